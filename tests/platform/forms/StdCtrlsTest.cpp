// The standard controls driven through the headless window system: keys and
// mouse as a user gives them, events in the order the controls promise.
#include "platform/forms/StdCtrls.h"

#include <algorithm>

#include "platform/forms/FormRender.h"
#include "platform/forms/ListView.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

class StdCtrls : public FormsTest {
 protected:
  TForm* form = nullptr;
  void SetUp() override {
    FormsTest::SetUp();
    form = MakeForm(400, 300);
  }
  void Chord(int modifier, int vk, const std::u16string& text = {}) {
    headless::KeyDown(modifier);
    headless::PressKey(vk, text);
    headless::KeyUp(modifier);
    Pump();
  }
  void Chord2(int m1, int m2, int vk) {
    headless::KeyDown(m1);
    headless::KeyDown(m2);
    headless::PressKey(vk);
    headless::KeyUp(m2);
    headless::KeyUp(m1);
    Pump();
  }
  void Type(const std::u16string& s) {
    headless::TypeText(s);
    Pump();
  }
  void Press(TControl* c, int x, int y, int button = 0) {
    headless::MouseDown(Scr(c, x, y), button);
    Pump();
  }
  void Release(TControl* c, int x, int y, int button = 0) {
    headless::MouseUp(Scr(c, x, y), button);
    Pump();
  }
  void Move(TControl* c, int x, int y) {
    headless::MouseMove(Scr(c, x, y));
    Pump();
  }
};

// ------------------------------------------------------------------ edit
struct EditKeyCase {
  const char* name;
  std::u16string start;
  int selStart, selLength;
  std::vector<std::pair<int, int>> keys;  // (modifier or 0, vk)
  std::u16string typed;                   // typed after the keys
  std::u16string text;
  int expStart, expLength;
};

TEST_F(StdCtrls, EditKeysAndSelection) {
  const std::u16string pair = u"\U00020000";  // one character, two units
  const EditKeyCase cases[] = {
      {"type at end", u"ab", 2, 0, {}, u"cd", u"abcd", 4, 0},
      {"type replaces selection", u"hello", 1, 3, {}, u"X", u"hXo", 2, 0},
      {"left right", u"abc", 3, 0, {{0, VK_LEFT}, {0, VK_LEFT}, {0, VK_RIGHT}}, u"", u"abc", 2, 0},
      {"shift home selects to start", u"abc def", 5, 0, {{VK_SHIFT, VK_HOME}}, u"", u"abc def", 0, 5},
      {"shift end from middle", u"abc def", 2, 0, {{VK_SHIFT, VK_END}}, u"", u"abc def", 2, 5},
      {"ctrl left by words", u"one two three", 13, 0, {{VK_CONTROL, VK_LEFT}, {VK_CONTROL, VK_LEFT}}, u"", u"one two three", 4, 0},
      {"backspace", u"abc", 3, 0, {{0, VK_BACK}}, u"", u"ab", 2, 0},
      {"delete", u"abc", 0, 0, {{0, VK_DELETE}}, u"", u"bc", 0, 0},
      {"backspace takes a pair whole", u"a" + pair, 3, 0, {{0, VK_BACK}}, u"", u"a", 1, 0},
      {"left steps over a pair", u"a" + pair + u"b", 4, 0, {{0, VK_LEFT}, {0, VK_LEFT}}, u"", u"a" + pair + u"b", 1, 0},
      {"cjk typed", u"", 0, 0, {}, u"中文文件名", u"中文文件名", 5, 0},
      {"pair typed unit by unit", u"x", 1, 0, {}, pair, u"x" + pair, 3, 0},
      {"ctrl a selects all", u"abc", 1, 0, {{VK_CONTROL, 'A'}}, u"", u"abc", 0, 3},
  };
  for (const EditKeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto* e = Make<TEdit>(form, 10, 10, 200, 21);
    e->SetText(c.start);
    e->SetFocus();
    Pump();
    e->SetSelStart(c.selStart);
    e->SetSelLength(c.selLength);
    for (auto [mod, vk] : c.keys) {
      if (mod) Chord(mod, vk);
      else Key(vk, vk == VK_BACK ? u"\b" : u"");
    }
    if (!c.typed.empty()) Type(c.typed);
    EXPECT_EQ(e->Text(), c.text);
    EXPECT_EQ(e->SelStart(), c.expStart);
    EXPECT_EQ(e->SelLength(), c.expLength);
    e->Free();
  }
}

TEST_F(StdCtrls, EditLimitsReadOnlyCaseAndPassword) {
  auto* e = Make<TEdit>(form, 10, 10, 200, 21);
  e->SetMaxLength(4);
  e->SetFocus();
  Pump();
  Type(u"abcdef");
  EXPECT_EQ(e->Text(), u"abcd");
  e->SetReadOnly(true);
  Type(u"z");
  Key(VK_BACK, u"\b");
  EXPECT_EQ(e->Text(), u"abcd");
  e->SetReadOnly(false);
  e->SetMaxLength(0);
  e->SetCharCase(TEditCharCase::UpperCase);
  EXPECT_EQ(e->Text(), u"ABCD");
  e->SetSelStart(4);
  Type(u"x");
  EXPECT_EQ(e->Text(), u"ABCDX");
  // A password edit never gives its text to the clipboard.
  e->SetPasswordChar(u'*');
  e->SelectAll();
  OpenClipboard(e->Handle());
  EmptyClipboard();
  SetClipboardText(u"before");
  CloseClipboard();
  Chord(VK_CONTROL, 'C', u"\x03");
  String clip;
  OpenClipboard(e->Handle());
  GetClipboardText(&clip);
  CloseClipboard();
  EXPECT_EQ(clip, u"before");
}

TEST_F(StdCtrls, EditChangeEventsUndoAndClipboardRoundTrip) {
  auto* a = Make<TEdit>(form, 10, 10, 200, 21);
  auto* b = Make<TEdit>(form, 10, 40, 200, 21);
  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  a->SetText(u"same");
  a->SetText(u"same");
  EXPECT_EQ(changes, 1);  // only a different value fires
  a->SetFocus();
  Pump();
  a->SetSelStart(4);
  Type(u"!");
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(a->CanUndo());
  Chord(VK_CONTROL, 'Z', u"\x1a");
  EXPECT_EQ(a->Text(), u"same");
  Chord(VK_CONTROL, 'Z', u"\x1a");  // a second undo redoes
  EXPECT_EQ(a->Text(), u"same!");
  // Cut, then paste into the other edit (Shift+Insert); line breaks end a single-line paste.
  a->SelectAll();
  Chord(VK_CONTROL, 'X', u"\x18");
  EXPECT_EQ(a->Text(), u"");
  b->SetFocus();
  Pump();
  Chord(VK_SHIFT, VK_INSERT);
  EXPECT_EQ(b->Text(), u"same!");
  OpenClipboard(b->Handle());
  EmptyClipboard();
  SetClipboardText(u"line1\r\nline2");
  CloseClipboard();
  b->SelectAll();
  b->Perform(WM_PASTE);
  EXPECT_EQ(b->Text(), u"line1");
  // EM_ messages the skinned edits send.
  b->Perform(EM_SETSEL, 1, 3);
  DWORD s = 0, e = 0;
  b->Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 3u);
  b->Perform(EM_REPLACESEL, 1, LPARAM(u"NE"));
  EXPECT_EQ(b->Text(), u"lNEe1");
  EXPECT_TRUE(b->Perform(EM_CANUNDO));
}

TEST_F(StdCtrls, ComposedTextLandsInTheEditAndTheCaretIsReported) {
  auto* e = Make<TEdit>(form, 10, 10, 200, 21);
  e->SetFocus();
  Pump();
  // A 30-character commit from an input method arrives as characters.
  std::u16string thirty;
  for (int i = 0; i < 30; ++i) thirty += char16_t(u'中' + i);
  Type(thirty);
  EXPECT_EQ(e->Text(), thirty);
  e->Perform(WM_IME_CHAR, u'字');
  EXPECT_EQ(e->Text().back(), u'字');
  // The window system's caret (the pre-edit spot) is where the edit draws it.
  POINT p;
  GetCaretPos(&p);
  TPoint cp = e->CaretPoint();
  EXPECT_EQ(p.X, cp.X);
  EXPECT_EQ(p.Y, cp.Y);
  // Long text scrolled so that the caret stays inside the text area.
  EXPECT_GT(e->ScrollX(), 0);
  EXPECT_LE(cp.X, e->FormatRect().Right);
  EXPECT_GE(cp.X, e->FormatRect().Left);
  Key(VK_HOME);
  EXPECT_EQ(e->ScrollX(), 0);
}

TEST_F(StdCtrls, EditMouseClickDoubleClickAndDrag) {
  auto* e = Make<TEdit>(form, 10, 10, 200, 21);
  e->SetText(u"alpha beta gamma");
  Click(e, 3, 10);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 0);  // a click places the caret, AutoSelect or not
  int xBeta = e->CaretPoint().X + FontTextWidth(e->Font(), u"alpha be");
  headless::Click(Scr(e, xBeta, 10));
  headless::Click(Scr(e, xBeta, 10));
  Pump();
  EXPECT_EQ(e->SelText(), u"beta ");  // the word and the blanks after it, as the native edit selects
  // Drag from the start to past the end selects everything, with the anchor kept.
  headless::AdvanceClock(1000);
  Press(e, 3, 10);
  Move(e, 120, 10);
  Move(e, 199, 10);
  Release(e, 199, 10);
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 16);
}

TEST_F(StdCtrls, EditDefaultContextMenuFollowsTheState) {
  auto* e = Make<TEdit>(form, 10, 10, 200, 21);
  e->SetText(u"text");
  std::vector<std::pair<String, bool>> shown;
  TPopupMenu::PopupHandler = [&](TPopupMenu* m, int, int) {
    shown.clear();
    for (int i = 0; i < m->Items()->Count(); ++i)
      shown.push_back({m->Items()->Items(i)->Caption(), m->Items()->Items(i)->Enabled()});
  };
  e->SetFocus();
  Pump();
  e->SetSelStart(4);
  Click(e, 20, 10);
  headless::Click(Scr(e, 20, 10), 1);
  Pump();
  ASSERT_EQ(shown.size(), 8u);
  auto enabled = [&](const char16_t* caption) {
    for (auto& [c, en] : shown)
      if (c == caption) return en;
    ADD_FAILURE() << "no item";
    return false;
  };
  EXPECT_FALSE(enabled(u"复制(&C)"));  // nothing selected
  EXPECT_TRUE(enabled(u"全选(&A)"));
  e->SelectAll();
  Key(VK_APPS);
  EXPECT_TRUE(enabled(u"复制(&C)"));
  EXPECT_FALSE(enabled(u"全选(&A)"));
  e->DefaultMenu()->Items()->Items(3)->Click();  // Copy
  String clip;
  OpenClipboard(nullptr);
  GetClipboardText(&clip);
  CloseClipboard();
  EXPECT_EQ(clip, u"text");
  TPopupMenu::PopupHandler = nullptr;
}

// ------------------------------------------------------------------ memo
// A mask edit: typing fills the positions and skips literals, refused
// characters leave the text, Backspace and Delete blank positions, the
// value leaves blanks as spaces, leaving it incomplete keeps the focus.
TEST_F(StdCtrls, MaskEditTypingDeletingAndValidation) {
  auto* e = Make<TCustomMaskEdit>(form, 10, 10, 200, 21);
  auto* other = Make<TEdit>(form, 10, 40, 200, 21);
  e->SetEditMask(u"000-00;1;_");
  EXPECT_EQ(e->EditText(), u"___-__");
  EXPECT_EQ(e->MaxLength(), 6);
  e->SetFocus();
  Pump();
  e->SetSelStart(0);
  Type(u"12a3");
  EXPECT_EQ(e->EditText(), u"123-__") << "a letter is refused; the caret steps over the literal";
  EXPECT_EQ(e->SelStart(), 4);
  Type(u"45");
  EXPECT_EQ(e->Text(), u"123-45");
  Key(VK_BACK);
  EXPECT_EQ(e->EditText(), u"123-4_");
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(e->EditText(), u"_23-4_") << "Delete blanks, nothing moves up";
  EXPECT_EQ(e->Text(), u" 23-4 ") << "blanks read as spaces";
  try {
    e->ValidateEdit();
    ADD_FAILURE() << "an incomplete text is an error";
  } catch (const EDBEditError& x) {
    EXPECT_EQ(x.Message(), u"Invalid input value.  Use escape key to abandon changes");
  }
  EXPECT_EQ(e->SelStart(), 0) << "the caret goes to the first blank required position";

  std::vector<std::string> errors;
  Application->OnException = [&](TObject*, const std::exception&) { errors.push_back("error"); };
  other->SetFocus();
  Pump();
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_TRUE(e->Focused()) << "the focus stays until the text is complete";
  Type(u"9");
  EXPECT_EQ(e->EditText(), u"923-4_");
  other->SetFocus();
  Pump();
  EXPECT_EQ(errors.size(), 2u) << "the last position is required too";
  EXPECT_FALSE(other->Focused());
  e->SetSelStart(5);
  Type(u"0");
  other->SetFocus();
  Pump();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(errors.size(), 2u) << "complete: no error";
  Application->OnException = nullptr;

  e->SetFocus();
  Pump();
  e->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(e->EditText(), u"___-__") << "a cleared selection keeps the literals";
  e->SetText(u"987-65");
  EXPECT_EQ(e->EditText(), u"987-65");
  e->SetEditMask(u"");
  EXPECT_EQ(e->Text(), u"987-65") << "without a mask a plain edit";
}

TEST_F(StdCtrls, MemoLinesEnterArrowsAndLineBreaks) {
  auto* m = Make<TMemo>(form, 10, 10, 200, 120);
  m->Lines()->Add(u"first");
  m->Lines()->Add(u"second");
  EXPECT_EQ(m->Text(), u"first\r\nsecond");
  m->SetFocus();
  Pump();
  m->SetSelStart(5);
  Key(VK_RETURN, u"\r");
  Type(u"x");
  EXPECT_EQ(m->Lines()->Count(), 3);
  EXPECT_EQ(m->Lines()->Get(1), u"x");
  Key(VK_DOWN);
  EXPECT_EQ(m->SelStart(), 11);  // about the same x on the next line ("s|econd")
  Key(VK_HOME);
  Key(VK_BACK, u"\b");  // CR LF removed whole
  EXPECT_EQ(m->Text(), u"first\r\nxsecond");
  Key(VK_LEFT);
  EXPECT_EQ(m->SelStart(), 7);
  Key(VK_LEFT);
  EXPECT_EQ(m->SelStart(), 5);  // never between CR and LF
  EXPECT_EQ(m->Perform(EM_GETLINECOUNT), 2);
  EXPECT_EQ(m->Perform(EM_LINEINDEX, 1), 7);
}

TEST_F(StdCtrls, MemoWordWrapAndVerticalScroll) {
  auto* m = Make<TMemo>(form, 10, 10, 120, 60);
  m->SetScrollBars(ssVertical);
  m->SetText(u"one two three four five six seven eight nine ten eleven twelve");
  int wrapped = int(m->Perform(EM_GETLINECOUNT));
  EXPECT_GT(wrapped, 2);
  m->SetWordWrap(false);
  EXPECT_EQ(m->Perform(EM_GETLINECOUNT), 1);
  String many;
  for (int i = 0; i < 20; ++i) many += u"line\r\n";
  m->SetWordWrap(true);
  m->SetText(many);
  m->SetFocus();
  Pump();
  m->SetSelStart(0);
  Key(VK_NEXT);
  EXPECT_GT(m->TopLine(), 0);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(m->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 20);  // 21 rows: the text ends with a line break
  EXPECT_EQ(si.nPos, m->TopLine());
  m->Perform(WM_VSCROLL, SB_TOP);
  EXPECT_EQ(m->TopLine(), 0);
  headless::Wheel(Scr(m, 20, 20), -120);
  Pump();
  EXPECT_EQ(m->TopLine(), 3);
  // Without wrapping, long lines scroll sideways.
  m->SetWordWrap(false);
  m->SetScrollBars(ssBoth);
  m->SetText(u"a very long line that certainly does not fit in the memo's width at all");
  m->Perform(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_GT(m->ScrollX(), 0);
  m->Perform(WM_HSCROLL, SB_RIGHT);
  int right = m->ScrollX();
  m->Perform(WM_HSCROLL, SB_LEFT);
  EXPECT_EQ(m->ScrollX(), 0);
  EXPECT_EQ(right + m->FormatRect().Width() - 1, FontTextWidth(m->Font(), m->Text()));
}

// ------------------------------------------------------------------ list box
TEST_F(StdCtrls, ListBoxOwnerDrawVariableSizes) {
  auto* lb = Make<TListBox>(form, 10, 10, 150, 100);
  lb->SetBorderStyle(bsNoBorder);
  lb->SetStyle(lbOwnerDrawVariable);
  const int heights[] = {10, 30, 20, 25};
  int measured = 0;
  lb->OnMeasureItem = [&](TWinControl*, int index, int& h) {
    ++measured;
    h = heights[index];
  };
  std::vector<int> drawn;
  lb->OnDrawItem = [&](TWinControl*, int index, TRect r, TOwnerDrawState) { drawn.push_back(r.Height()); };
  for (const char16_t* s : {u"a", u"b", u"c", u"d"}) lb->Items()->Add(s);
  struct {
    int y, row;
  } const hits[] = {{0, 0}, {9, 0}, {10, 1}, {39, 1}, {40, 2}, {60, 3}, {84, 3}, {85, -1}};
  for (auto h : hits) EXPECT_EQ(lb->ItemAtPos({5, h.y}, true), h.row) << h.y;
  EXPECT_EQ(lb->ItemAtPos({5, 90}, false), 4);
  EXPECT_EQ(lb->ItemRect(2), rtl::Rect(0, 40, 150, 60));
  lb->Repaint();
  Pump();
  EXPECT_EQ(drawn, (std::vector<int>{10, 30, 20, 25}));
  EXPECT_EQ(measured, 4);  // asked once per row
}

TEST_F(StdCtrls, ListBoxKeysClickOnlyForTheUser) {
  auto* lb = Make<TListBox>(form, 10, 10, 150, 5 * 17 + 4);
  lb->SetItemHeight(17);
  for (int i = 0; i < 20; ++i) lb->Items()->Add(u"item " + rtl::IntToStr64(i));
  int clicks = 0;
  lb->OnClick = [&](TObject*) { ++clicks; };
  lb->SetItemIndex(3);
  EXPECT_EQ(clicks, 0);
  lb->SetFocus();
  Pump();
  Key(VK_END);
  EXPECT_EQ(lb->ItemIndex(), 19);
  EXPECT_EQ(lb->TopIndex(), 15);
  EXPECT_EQ(clicks, 1);
  Key(VK_PRIOR);
  EXPECT_EQ(lb->ItemIndex(), 15);
  Type(u"item 1");  // prefix search, wrapping after the current row
  EXPECT_EQ(lb->ItemIndex(), 16);
  Click(lb, 10, 2);
  EXPECT_EQ(lb->ItemIndex(), lb->TopIndex());
  EXPECT_EQ(lb->Perform(LB_FINDSTRING, 18, LPARAM(u"ITEM 2")), 2);  // wraps
  EXPECT_EQ(lb->Perform(LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(u"item 7")), 7);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(lb->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 19);
  EXPECT_EQ(si.nPage, 5u);
}

// Three columns of 100 pixels, four rows of 20 above the horizontal bar (five without it),
// 30 items: eight columns, the view starts at most at column 5.
class MultiColumnListBox : public StdCtrls {
 protected:
  TListBox* lb = nullptr;
  void SetUp() override {
    StdCtrls::SetUp();
    lb = Make<TListBox>(form, 10, 10, 300, 105);
    lb->SetBorderStyle(bsNoBorder);
    lb->SetItemHeight(20);
    for (int i = 0; i < 30; ++i) lb->Items()->Add(u"item " + rtl::IntToStr64(i));
    lb->SetColumns(3);
    Pump();
    ASSERT_EQ(lb->Model().PageRows(), 4);  // laid out again once the bar shows
  }
  SCROLLINFO Horz() {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(lb->Handle(), SB_HORZ, &si);
    return si;
  }
};

TEST_F(MultiColumnListBox, ItemsFlowDownThenAcrossAndHitTestMatches) {
  EXPECT_LT(lb->ClientHeight(), lb->Height());  // the horizontal bar shows
  SCROLLINFO si = Horz();
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 7);
  EXPECT_EQ(si.nPage, 3u);
  EXPECT_EQ(si.nPos, 0);
  GetScrollInfo(lb->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 0);  // nothing to scroll up and down
  struct Case { int top, item; TRect rect; } cases[] = {
      {0, 0, rtl::Rect(0, 0, 100, 20)},   {0, 3, rtl::Rect(0, 60, 100, 80)},
      {0, 5, rtl::Rect(100, 20, 200, 40)}, {0, 13, rtl::Rect(300, 20, 400, 40)},  // just past the view
      {8, 9, rtl::Rect(0, 20, 100, 40)},   {8, 2, rtl::Rect(-200, 40, -100, 60)},
  };
  for (const Case& c : cases) {
    lb->SetTopIndex(c.top);
    SCOPED_TRACE(testing::Message() << "top " << c.top << " item " << c.item);
    EXPECT_EQ(lb->ItemRect(c.item), c.rect);
    TRect r = c.rect;
    if (r.Left >= 0 && r.Right <= lb->ClientWidth()) {
      EXPECT_EQ(lb->ItemAtPos({r.Left + 1, r.Top + 1}, true), c.item);
      EXPECT_EQ(lb->ItemAtPos({r.Right - 1, r.Bottom - 1}, true), c.item);
    }
  }
  lb->SetTopIndex(20);  // the last columns: 28 and 29 alone in the third
  EXPECT_EQ(lb->ItemAtPos({150, 5}, true), 24);
  EXPECT_EQ(lb->ItemAtPos({250, 25}, true), 29);
  EXPECT_EQ(lb->ItemAtPos({250, 45}, true), -1);  // past the last item
  EXPECT_EQ(lb->ItemAtPos({250, 45}, false), 29);
  lb->SetTopIndex(0);
  EXPECT_EQ(lb->ItemAtPos({50, 81}, true), -1);  // below the rows of a column
  Click(lb, 150, 25);
  EXPECT_EQ(lb->ItemIndex(), 5);
  lb->SetColumns(0);  // back to one column: rows straight down, no horizontal bar
  Pump();
  EXPECT_EQ(lb->ClientHeight(), lb->Height());
  const int top = lb->TopIndex();
  EXPECT_EQ(lb->ItemRect(5), rtl::Rect(0, (5 - top) * 20, lb->ClientWidth(), (6 - top) * 20));
  EXPECT_EQ(lb->Model().VerticalScroll().Max, 29);
}

TEST_F(MultiColumnListBox, KeysMoveByRowsAndColumnsKeepingTheItemVisible) {
  struct Case { int from, vk, to, top; } cases[] = {
      {0, VK_RIGHT, 4, 0},   {9, VK_RIGHT, 13, 4},  {27, VK_RIGHT, 29, 20},  // the last item when no row beside
      {5, VK_LEFT, 1, 0},    {2, VK_LEFT, 2, 0},     {16, VK_LEFT, 12, 8},
      {3, VK_DOWN, 4, 0},    {4, VK_UP, 3, 0},       {11, VK_DOWN, 12, 4},
      {0, VK_NEXT, 12, 4},   {20, VK_PRIOR, 8, 8},   {0, VK_END, 29, 20},
      {29, VK_HOME, 0, 0},
  };
  lb->SetFocus();
  Pump();
  for (const Case& c : cases) {
    lb->SetItemIndex(c.from);
    Key(c.vk);
    SCOPED_TRACE(testing::Message() << "from " << c.from << " key " << c.vk);
    EXPECT_EQ(lb->ItemIndex(), c.to);
    EXPECT_EQ(lb->TopIndex(), c.top);
    EXPECT_EQ(Horz().nPos, c.top / 4);
  }
}

TEST_F(MultiColumnListBox, ScrollsByWholeColumns) {
  struct Case { int startTop; WORD code; int thumb, top; } cases[] = {
      {0, SB_LINEDOWN, 0, 4},  {4, SB_LINEUP, 0, 0},   {0, SB_LINEUP, 0, 0},
      {0, SB_PAGEDOWN, 0, 12}, {12, SB_PAGEDOWN, 0, 20}, {20, SB_PAGEUP, 0, 8},
      {0, SB_THUMBPOSITION, 2, 8}, {0, SB_THUMBTRACK, 7, 20}, {20, SB_TOP, 0, 0},
      {0, SB_BOTTOM, 0, 20},
  };
  for (const Case& c : cases) {
    lb->SetTopIndex(c.startTop);
    lb->Perform(WM_HSCROLL, MAKEWPARAM(c.code, c.thumb), 0);
    SCOPED_TRACE(testing::Message() << "code " << c.code << " from " << c.startTop);
    EXPECT_EQ(lb->TopIndex(), c.top);
    EXPECT_EQ(Horz().nPos, c.top / 4);
  }
  lb->SetTopIndex(6);  // a top row moves to the first row of its column
  EXPECT_EQ(lb->TopIndex(), 4);
  lb->SetItemIndex(27);  // column 6 comes into view as the right one
  EXPECT_EQ(lb->TopIndex(), 16);
  lb->SetItemIndex(1);
  EXPECT_EQ(lb->TopIndex(), 0);
  while (lb->Count() > 6) lb->Items()->Delete(lb->Count() - 1);  // two columns fit: nothing to scroll
  EXPECT_EQ(lb->TopIndex(), 0);
  EXPECT_EQ(Horz().nMax, 1);
}

// Laid out with five rows before its window exists, the list loses a row to
// the bar when it shows: the selection moves a column on and stays in view.
TEST_F(MultiColumnListBox, SelectionStaysInViewWhenTheBarTakesARow) {
  TForm* f = MakeForm(330, 130, false);
  auto* l = Make<TListBox>(f, 0, 0, 300, 105);
  l->SetBorderStyle(bsNoBorder);
  l->SetItemHeight(20);
  for (int i = 0; i < 30; ++i) l->Items()->Add(u"item");
  l->SetColumns(3);
  l->SetItemIndex(14);
  ASSERT_FALSE(l->HandleAllocated());
  EXPECT_EQ(l->TopIndex(), 0);
  f->Show();
  Pump();
  EXPECT_EQ(l->Model().PageRows(), 4);
  EXPECT_EQ(l->TopIndex(), 4);
  EXPECT_EQ(l->ItemRect(14), rtl::Rect(200, 40, 300, 60));
}

// ------------------------------------------------------------------ combo box
TEST_F(StdCtrls, ComboDropDownOpensAndClosesByMouseAndKeys) {
  auto* cb = Make<TComboBox>(form, 10, 10, 150, 21);
  cb->SetStyle(csDropDownList);
  for (const char16_t* s : {u"MP4", u"AVI", u"3GP", u"FLV"}) cb->Items()->Add(s);
  auto* other = Make<TEdit>(form, 10, 100, 100, 21);
  std::vector<std::string> ev;
  cb->OnDropDown = [&](TObject*) { ev.push_back("drop"); };
  cb->OnCloseUp = [&](TObject*) { ev.push_back("close"); };
  cb->OnChange = [&](TObject*) { ev.push_back("change " + rtl::U8(cb->Text())); };
  cb->OnSelect = [&](TObject*) { ev.push_back("select"); };
  TRect button = rtl::Rect(cb->Width() - 10, 5, cb->Width() - 9, 6);
  // Click on the face drops down; the list never takes the focus.
  Click(cb, button.Left, button.Top);
  ASSERT_TRUE(cb->DroppedDown());
  EXPECT_TRUE(cb->Focused());
  HWND list = cb->ListControl()->Handle();
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_NE(GetFocus(), list);
  // Click the third row.
  TCustomListBox* lc = cb->ListControl();
  TRect r2 = lc->ItemRect(2);
  headless::Click(lc->ClientToScreen({r2.Left + 5, r2.Top + 3}));
  Pump();
  EXPECT_FALSE(cb->DroppedDown());
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(cb->ItemIndex(), 2);
  EXPECT_EQ(ev, (std::vector<std::string>{"drop", "change 3GP", "select", "close"}));
  ev.clear();
  // F4 opens, Down moves in the list, Escape closes without a choice.
  Key(VK_F4);
  EXPECT_TRUE(cb->DroppedDown());
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_FALSE(cb->DroppedDown());
  EXPECT_EQ(cb->ItemIndex(), 2);
  // Alt+Down opens, Down and Enter choose.
  Chord(VK_MENU, VK_DOWN);
  EXPECT_TRUE(cb->DroppedDown());
  Key(VK_DOWN);
  Key(VK_RETURN, u"\r");
  EXPECT_FALSE(cb->DroppedDown());
  EXPECT_EQ(cb->Text(), u"FLV");
  EXPECT_EQ(ev, (std::vector<std::string>{"drop", "close", "drop", "change FLV", "select", "close"}));
  // Closed: arrows change the item directly; a click outside and focus loss close the list.
  Key(VK_UP);
  EXPECT_EQ(cb->ItemIndex(), 2);
  Key(VK_F4);
  ASSERT_TRUE(cb->DroppedDown());
  headless::Click(Scr(form, 350, 250));
  Pump();
  EXPECT_FALSE(cb->DroppedDown());
  Key(VK_F4);
  ASSERT_TRUE(cb->DroppedDown());
  other->SetFocus();
  Pump();
  EXPECT_FALSE(cb->DroppedDown());
  // Items.Clear keeps the text.
  cb->Items()->Clear();
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Text(), u"3GP");
}

TEST_F(StdCtrls, ComboEditStyleFollowsTypingAndDropsAboveAtTheWorkAreaEnd) {
  auto* cb = Make<TComboBox>(form, 10, 10, 150, 21);
  for (const char16_t* s : {u"1", u"2", u"3"}) cb->Items()->Add(s);
  int changes = 0;
  cb->OnChange = [&](TObject*) { ++changes; };
  cb->SetFocus();
  Pump();
  EXPECT_TRUE(cb->EditControl()->Focused());
  Type(u"2");
  EXPECT_EQ(cb->Text(), u"2");
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(changes, 1);
  Key(VK_DOWN);
  EXPECT_EQ(cb->Text(), u"3");
  EXPECT_EQ(changes, 2);
  cb->SetItemIndex(0);  // from code: no event
  EXPECT_EQ(changes, 2);
  form->SetTop(Screen->WorkAreaRect().Bottom - 60);
  Pump();
  cb->SetDroppedDown(true);
  EXPECT_LT(cb->ListControl()->Top(), cb->ClientToScreen({0, 0}).Y);
  cb->SetDroppedDown(false);
}

// ------------------------------------------------------------------ buttons, labels
TEST_F(StdCtrls, ButtonsChecksAndRadios) {
  auto* ok = Make<TButton>(form, 10, 10, 75, 25, u"&OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Make<TButton>(form, 100, 10, 75, 25, u"Cancel");
  cancel->SetCancel(true);
  auto* edit = Make<TEdit>(form, 10, 50, 100, 21);
  int okClicks = 0, cancelClicks = 0;
  ok->OnClick = [&](TObject*) { ++okClicks; };
  cancel->OnClick = [&](TObject*) { ++cancelClicks; };
  edit->SetFocus();
  Pump();
  Key(VK_RETURN, u"\r");
  Key(VK_ESCAPE, u"\x1b");
  EXPECT_EQ(okClicks, 1);
  EXPECT_EQ(cancelClicks, 1);
  EXPECT_EQ(form->ModalResult(), mrOk);
  Click(cancel, 10, 10);
  EXPECT_EQ(cancelClicks, 2);
  // A press released outside is no click.
  Press(ok, 10, 10);
  Move(ok, 200, 200);
  Release(ok, 200, 200);
  EXPECT_EQ(okClicks, 1);

  auto* check = Make<TCheckBox>(form, 10, 90, 120, 17, u"Check");
  auto* r1 = Make<TRadioButton>(form, 10, 110, 120, 17, u"One");
  auto* r2 = Make<TRadioButton>(form, 10, 130, 120, 17, u"Two");
  int checkClicks = 0;
  check->OnClick = [&](TObject*) { ++checkClicks; };
  Click(check);
  EXPECT_TRUE(check->Checked());
  Key(VK_SPACE, u" ");
  EXPECT_FALSE(check->Checked());
  EXPECT_EQ(checkClicks, 2);
  check->SetAllowGrayed(true);
  headless::AdvanceClock(1000);  // not a double click
  Click(check);
  EXPECT_EQ(check->State(), cbGrayed);
  Click(r1);
  Click(r2);
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
}

TEST_F(StdCtrls, LabelSizesToItsTextAndFocusesItsControl) {
  auto* l = new TLabel(form);
  l->SetParent(form);
  l->SetCaption(u"&Name:");
  int w = l->Width();
  EXPECT_GT(w, 10);
  l->SetCaption(u"&Name, longer:");
  EXPECT_GT(l->Width(), w);
  auto* e = Make<TEdit>(form, 100, 10, 100, 21);
  auto* e2 = Make<TEdit>(form, 100, 40, 100, 21);
  l->SetFocusControl(e);
  e2->SetFocus();
  Pump();
  headless::KeyDown(VK_MENU);
  headless::PressKey('N', u"n");
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_TRUE(e->Focused());
}

}  // namespace
}  // namespace formstest

namespace formstest {
namespace {

// Window scroll bars: drawn in the frame, clicks and holds and thumb drags
// arrive as WM_VSCROLL.
TEST_F(StdCtrls, WindowScrollBarsSendScrollMessages) {
  auto* lb = Make<TListBox>(form, 10, 10, 150, 10 * 16 + 4);
  lb->SetItemHeight(16);
  for (int i = 0; i < 100; ++i) lb->Items()->Add(u"row " + rtl::IntToStr64(i));
  Pump();
  ASSERT_TRUE(GetWindowLongPtrW(lb->Handle(), GWL_STYLE) & WS_VSCROLL);  // shown when needed
  EXPECT_EQ(lb->ClientWidth(), 150 - GetSystemMetrics(SM_CXVSCROLL));
  TWindowScrollBars bars(lb);
  auto partPoint = [&](TWindowScrollBars::TPart part) {
    TRect r = bars.PartRect(SB_VERT, part);
    RECT wr;
    GetWindowRect(lb->Handle(), &wr);
    return POINT{wr.Left + (r.Left + r.Right) / 2, wr.Top + (r.Top + r.Bottom) / 2};
  };
  // A click on the down arrow: one line.
  headless::Click(partPoint(TWindowScrollBars::spLineDown));
  Pump();
  EXPECT_EQ(lb->TopIndex(), 1);
  // Held: repeats after the first delay, then at the repeat rate.
  headless::AdvanceClock(1000);
  headless::MouseDown(partPoint(TWindowScrollBars::spLineDown));
  Pump();
  EXPECT_EQ(lb->TopIndex(), 2);
  headless::AdvanceClock(kScrollFirstDelay);
  Pump();
  EXPECT_EQ(lb->TopIndex(), 3);
  for (int i = 0; i < 3; ++i) {
    headless::AdvanceClock(kScrollRepeat);
    Pump();
  }
  EXPECT_EQ(lb->TopIndex(), 6);
  headless::MouseUp(partPoint(TWindowScrollBars::spLineDown));
  Pump();
  headless::AdvanceClock(1000);
  Pump();
  EXPECT_EQ(lb->TopIndex(), 6);
  // A page click below the thumb.
  headless::AdvanceClock(1000);
  headless::Click(partPoint(TWindowScrollBars::spPageDown));
  Pump();
  EXPECT_EQ(lb->TopIndex(), 16);
  // Dragging the thumb to the bottom of the track.
  POINT t = partPoint(TWindowScrollBars::spThumb);
  TRect bar = bars.BarRect(SB_VERT);
  headless::AdvanceClock(1000);
  headless::MouseDown(t);
  headless::MouseMove({t.X, t.Y + 40});
  Pump();
  int during = lb->TopIndex();
  EXPECT_GT(during, 16);
  headless::MouseMove({t.X, t.Y + bar.Height()});
  headless::MouseUp({t.X, t.Y + bar.Height()});
  Pump();
  EXPECT_EQ(lb->TopIndex(), 90);
}

TEST_F(StdCtrls, ScrollBarControlStepsAndReportsToItsParent) {
  auto* sb = Make<TScrollBar>(form, 10, 10, 200, 17);
  sb->SetParams(0, 0, 100);
  sb->SetLargeChange(10);
  std::vector<int> positions;
  sb->OnScroll = [&](TObject*, TScrollCode code, int& pos) {
    if (code != scEndScroll) positions.push_back(pos);
  };
  int changes = 0;
  sb->OnChange = [&](TObject*) { ++changes; };
  Click(sb, 200 - 5, 8);  // right arrow
  headless::AdvanceClock(1000);
  Click(sb, 150, 8);  // page right
  sb->SetFocus();
  Pump();
  Key(VK_END);
  Key(VK_LEFT);
  EXPECT_EQ(positions, (std::vector<int>{1, 11, 100, 99}));
  EXPECT_EQ(changes, 4);
  EXPECT_THROW(sb->SetParams(0, 10, 5), rtl::Exception);
}

}  // namespace
}  // namespace formstest

namespace formstest {
namespace {

TEST_F(StdCtrls, ComboOwnerDrawVariableListTakesTheMeasuredHeights) {
  auto* cb = Make<TComboBox>(form, 10, 10, 150, 21);
  cb->SetStyle(csOwnerDrawVariable);
  for (const char16_t* s : {u"a", u"b", u"c"}) cb->Items()->Add(s);
  cb->OnMeasureItem = [](TWinControl*, int index, int& h) { h = 10 * (index + 1); };
  std::vector<int> drawn;
  cb->OnDrawItem = [&](TWinControl*, int index, TRect r, TOwnerDrawState st) {
    if (!st.Contains(odComboBoxEdit)) drawn.push_back(r.Height());
  };
  cb->SetDroppedDown(true);
  Pump();
  EXPECT_EQ(cb->ListControl()->Height(), 10 + 20 + 30 + 2);
  EXPECT_EQ(drawn, (std::vector<int>{10, 20, 30}));
  cb->SetDroppedDown(false);
}

}  // namespace
}  // namespace formstest
