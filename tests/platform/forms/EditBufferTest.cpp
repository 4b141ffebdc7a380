// The edit text model: typing, deleting, caret and word moves, selection,
// limits, case, undo and paste, with CJK text and surrogate pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/EditBuffer.h"
#include "platform/rtl/Strings.h"

namespace forms {
namespace {

using rtl::U8;
using TMove = TEditBuffer::TMove;

// "😀" is one code point in two UTF-16 units.
const rtl::String kEmoji = u"\U0001F600";

TEST(EditBuffer, TypingReplacesTheSelectionAndSkipsControlCharacters) {
  TEditBuffer b;
  for (char16_t c : rtl::String(u"视频 file")) b.TypeChar(c);
  EXPECT_EQ(U8(b.Text()), "视频 file");
  EXPECT_FALSE(b.TypeChar(u'\r'));
  EXPECT_FALSE(b.TypeChar(27));
  EXPECT_FALSE(b.TypeChar(u'\t'));
  b.Select(0, 2);
  EXPECT_EQ(U8(b.SelText()), "视频");
  EXPECT_TRUE(b.InsertText(u"音乐"));
  EXPECT_EQ(U8(b.Text()), "音乐 file");
  EXPECT_EQ(b.Caret(), 2);
  EXPECT_EQ(b.SelLength(), 0);
}

struct MoveCase {
  const char16_t* text;
  int caret;
  TMove move;
  int expected;
};

TEST(EditBuffer, CaretMovesByCharacterWordAndLine) {
  const std::vector<MoveCase> cases = {
      {u"abc def", 0, TMove::WordRight, 4},
      {u"abc def", 4, TMove::WordRight, 7},
      {u"abc  def", 7, TMove::WordLeft, 5},
      {u"abc  def", 5, TMove::WordLeft, 0},
      {u"a.mp4 b", 0, TMove::WordRight, 1},
      {u"a.mp4 b", 1, TMove::WordRight, 2},
      {u"转换 视频", 0, TMove::WordRight, 3},
      {u"xy", 1, TMove::Home, 0},
      {u"xy", 0, TMove::End, 2},
      {u"xy", 0, TMove::CharLeft, 0},
      {u"xy", 2, TMove::CharRight, 2},
  };
  for (const MoveCase& c : cases) {
    TEditBuffer b;
    b.SetText(c.text);
    b.SetSelStart(c.caret);
    b.MoveCaret(c.move, false);
    EXPECT_EQ(b.Caret(), c.expected) << U8(c.text) << " from " << c.caret;
  }
}

TEST(EditBuffer, SurrogatePairsMoveAndDeleteWhole) {
  TEditBuffer b;
  b.SetText(u"a" + kEmoji + u"b");
  ASSERT_EQ(b.Length(), 4);
  b.SetSelStart(1);
  b.MoveCaret(TMove::CharRight, false);
  EXPECT_EQ(b.Caret(), 3);
  b.MoveCaret(TMove::CharLeft, false);
  EXPECT_EQ(b.Caret(), 1);
  b.SetSelStart(2);  // the middle of the pair is not a place
  EXPECT_EQ(b.Caret(), 1);
  b.SetSelStart(3);
  EXPECT_TRUE(b.DeleteBack());
  EXPECT_EQ(U8(b.Text()), "ab");
  b.SetText(u"a" + kEmoji);
  b.SetSelStart(1);
  EXPECT_TRUE(b.DeleteForward());
  EXPECT_EQ(U8(b.Text()), "a");
  // A limit never keeps half a pair.
  TEditBuffer lim;
  lim.SetMaxLength(2);
  lim.InsertText(u"x" + kEmoji);
  EXPECT_EQ(U8(lim.Text()), "x");
}

TEST(EditBuffer, SelectionExtendsCollapsesAndSelectsWords) {
  TEditBuffer b;
  b.SetText(u"clip one.avi");
  b.SetSelStart(0);
  b.MoveCaret(TMove::WordRight, true);
  EXPECT_EQ(b.SelStart(), 0);
  EXPECT_EQ(b.SelLength(), 5);
  b.MoveCaret(TMove::CharLeft, false);  // collapses onto the near edge
  EXPECT_EQ(b.Caret(), 0);
  EXPECT_EQ(b.SelLength(), 0);
  b.SelectWordAt(6);
  EXPECT_EQ(U8(b.SelText()), "one");
  b.SelectWordAt(8);
  EXPECT_EQ(U8(b.SelText()), ".");
  b.SelectWordAt(1);
  EXPECT_EQ(U8(b.SelText()), "clip ");
  b.SetSelStart(2);
  b.SetSelLength(100);
  EXPECT_EQ(b.SelLength(), 10);
  b.SelectAll();
  EXPECT_EQ(b.SelLength(), 12);
}

TEST(EditBuffer, LimitsCaseReadOnlyAndPaste) {
  TEditBuffer b;
  b.SetMaxLength(5);
  b.InsertText(u"abcdefgh");
  EXPECT_EQ(U8(b.Text()), "abcde");
  EXPECT_FALSE(b.TypeChar(u'x'));
  b.Select(1, 3);
  EXPECT_TRUE(b.TypeChar(u'Z'));
  EXPECT_EQ(U8(b.Text()), "aZde");

  TEditBuffer up;
  up.SetCharCase(TEditCharCase::UpperCase);
  up.InsertText(u"mp4 äb");
  EXPECT_EQ(U8(up.Text()), "MP4 ÄB");

  TEditBuffer ro;
  ro.SetText(u"fixed");
  ro.SetReadOnly(true);
  EXPECT_FALSE(ro.TypeChar(u'x'));
  EXPECT_FALSE(ro.DeleteBack());
  EXPECT_FALSE(ro.Paste(u"y"));
  EXPECT_EQ(U8(ro.Text()), "fixed");

  TEditBuffer one;
  one.Paste(u"/home/用户/a.mp4\r\nsecond line");
  EXPECT_EQ(U8(one.Text()), "/home/用户/a.mp4");
  TEditBuffer memo;
  memo.SetMultiLine(true);
  memo.Paste(u"a\nb");
  EXPECT_EQ(U8(memo.Text()), "a\nb");
}

TEST(EditBuffer, OneUndoLevelThatRedoesOnSecondUndo) {
  TEditBuffer b;
  EXPECT_FALSE(b.CanUndo());
  b.InsertText(u"abc");
  b.SelectAll();
  b.InsertText(u"x");
  ASSERT_TRUE(b.CanUndo());
  EXPECT_TRUE(b.Undo());
  EXPECT_EQ(U8(b.Text()), "abc");
  EXPECT_EQ(b.SelLength(), 3);  // the selection the edit replaced comes back
  EXPECT_TRUE(b.Undo());
  EXPECT_EQ(U8(b.Text()), "x");
  EXPECT_TRUE(b.SetText(u"new"));
  EXPECT_FALSE(b.CanUndo());
  EXPECT_FALSE(b.SetText(u"new"));  // unchanged: no change reported
}

TEST(EditBuffer, PasswordDisplayKeepsPositions) {
  TEditBuffer b;
  b.SetText(u"pw" + kEmoji);
  EXPECT_EQ(U8(b.DisplayText(u'*')), "****");
  EXPECT_EQ(U8(b.DisplayText(0)), U8(b.Text()));
}

// ------------------------------------------------------------------ input masks
// The mask rules as a table: what the positions take, the empty text, how a
// value is laid in and read back, and which blank fails the validation.
TEST(EditMask, RulesOfTheMaskCharacters) {
  struct Case {
    const char16_t* mask;
    const char16_t* empty;      // EmptyText
    const char16_t* value;      // laid in by EditTextOf
    const char16_t* editText;   // expected
    const char16_t* readBack;   // ValueOf(editText)
    int missing;                // FirstMissing(editText)
  } cases[] = {
      {u"000-0000;1;_", u"___-____", u"555-12a4", u"555-12_4", u"555-12 4", 6},
      {u"000-0000;0;_", u"___-____", u"5551234", u"555-1234", u"5551234", -1},
      {u"000-0000", u"___-____", u"555-1234", u"555-1234", u"555-1234", -1},  // literals saved by default
      {u">LL<ll;1;*", u"****", u"abCD", u"ABcd", u"ABcd", -1},
      {u">LL<ll;1;*", u"****", u"a", u"A***", u"A   ", 1},  // ll optional, the second L not
      {u"\\L0;1;_", u"L_", u"L7", u"L7", u"L7", -1},            // an escaped mask character is a literal
      {u"99/99;1; ", u"  /  ", u"1", u"1 /  ", u"1 /  ", -1},     // a space as the blank
      {u"#9;1;_", u"__", u"-5", u"-5", u"-5", -1},
      {u"#9;1;_", u"__", u"5-", u"5_", u"5 ", -1},                 // 9 takes no sign
      {u"(999)_000;0;_", u"(___) ___", u"12345", u"(123) 45_", u"12345 ", 8},  // _ a literal space
      {u"!90:00;1;_", u"__:__", u"1:30", u"1_:0_", u"1 :0 ", 1},   // ! changes nothing here
      {u"AaCc;1;_", u"____", u"x1?", u"x1?_", u"x1? ", -1},
      {u"AaCc;1;_", u"____", u"?", u"____", u"    ", 0},           // A takes letters and digits only
      {u"Ll\\;;1;_", u"__;", u"ab;", u"ab;", u"ab;", -1},          // an escaped semicolon stays in the mask
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.mask) + " <- " + rtl::StringToUtf8(c.value));
    TEditMask m(c.mask);
    EXPECT_FALSE(m.Empty());
    EXPECT_EQ(m.EmptyText(), c.empty);
    const rtl::String t = m.EditTextOf(c.value);
    EXPECT_EQ(t, c.editText);
    EXPECT_EQ(m.ValueOf(t), c.readBack);
    EXPECT_EQ(m.FirstMissing(t), c.missing);
  }
}

TEST(EditMask, PositionsCaseAndFields) {
  TEditMask m(u">L<l0-0;0;*");
  EXPECT_EQ(m.Blank(), u'*');
  EXPECT_FALSE(m.SaveLiterals());
  EXPECT_EQ(m.Length(), 5);
  EXPECT_TRUE(m.IsLiteral(3));
  EXPECT_EQ(m.NextInput(3), 4);
  EXPECT_EQ(m.PrevInput(4), 2);
  EXPECT_EQ(m.PrevInput(0), -1);
  EXPECT_EQ(m.NextInput(5), 5);
  char16_t ch = u'q';
  EXPECT_TRUE(m.Accept(0, ch));
  EXPECT_EQ(ch, u'Q');
  ch = u'Q';
  EXPECT_TRUE(m.Accept(1, ch));
  EXPECT_EQ(ch, u'q');
  ch = u'7';
  EXPECT_FALSE(m.Accept(0, ch));
  EXPECT_FALSE(m.Accept(3, ch)) << "a literal takes no input";
  EXPECT_TRUE(TEditMask(u"").Empty());
  EXPECT_TRUE(TEditMask(u";1;_").Empty());
}

}  // namespace
}  // namespace forms

