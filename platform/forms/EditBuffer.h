// The text model behind the single-line edit and the memo: UTF-16 text with
// a caret and a selection anchored at one end, one level of undo, and the
// editing rules of a native edit control (maximum length, character case,
// read-only, Enter and Escape never inserted). Painting, the clipboard and
// keys are the control's; this class only answers what an action does.
//
// Positions count UTF-16 units, as SelStart and SelLength do; the caret never
// stops between the two halves of a surrogate pair, and a deletion takes a
// pair whole. GUI thread only.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

namespace forms {

enum class TEditCharCase { Normal, UpperCase, LowerCase };

class TEditBuffer {
 public:
  const rtl::String& Text() const { return text_; }
  // Replaces the text (clamped to MaxLength, case applied), puts the caret at
  // the end and forgets the undo step. Returns whether the text changed.
  bool SetText(const rtl::String& text);

  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetMaxLength(int units);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase charCase);  // converts the present text too
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool multiLine) { multiLine_ = multiLine; }

  // The selection as SelStart/SelLength; the caret is at one of its ends.
  int SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  int SelLength() const { return anchor_ < caret_ ? caret_ - anchor_ : anchor_ - caret_; }
  int Caret() const { return caret_; }
  rtl::String SelText() const { return text_.substr(SelStart(), SelLength()); }
  void SetSelStart(int start);        // collapses the selection there
  void SetSelLength(int length);      // from SelStart, caret at the far end
  void Select(int anchor, int caret);  // both clamped and kept off pair middles
  void SelectAll() { Select(0, Length()); }

  enum class TMove { CharLeft, CharRight, WordLeft, WordRight, Home, End };
  // Moves the caret; extend keeps the anchor (Shift held). Without extend, a
  // left or right move over a selection lands on its near edge.
  void MoveCaret(TMove move, bool extend);
  // Double click: selects the word (or run of blanks or punctuation) at pos.
  void SelectWordAt(int pos);
  // The position in [0, Length()] a word move from pos reaches.
  int WordBoundary(int pos, bool forward) const;

  // Typing: replaces the selection with the text (line breaks dropped from a
  // single-line edit, case applied, cut to what MaxLength leaves room for).
  // Returns whether the text changed; read-only buffers never change.
  bool InsertText(const rtl::String& text);
  // A typed character: control characters (Enter, Escape, Tab, Backspace as
  // a character) insert nothing.
  bool TypeChar(char16_t ch);
  bool DeleteBack();     // Backspace: the selection, or the unit(s) before the caret
  bool DeleteForward();  // Delete: the selection, or the unit(s) after the caret
  bool ClearSelection();
  // Pasted text: a single-line edit takes it up to its first line break.
  bool Paste(const rtl::String& clipboardText);

  bool CanUndo() const { return hasUndo_; }
  // Swaps with the saved state, so a second Undo redoes.
  bool Undo();
  void ClearUndo() { hasUndo_ = false; }

  // What is drawn: the text, or one password character per unit, so that
  // caret and selection positions stay those of the text.
  rtl::String DisplayText(char16_t passwordChar) const;

  int Length() const { return static_cast<int>(text_.size()); }

 private:
  struct TState {
    rtl::String text;
    int anchor = 0, caret = 0;
  };
  int Clamp(int pos) const;  // into [0, Length()], off a pair's middle
  rtl::String Cased(const rtl::String& s) const;
  bool ReplaceSelection(const rtl::String& with);
  void SaveUndo();

  rtl::String text_;
  int anchor_ = 0, caret_ = 0;
  int maxLength_ = 0;
  TEditCharCase charCase_ = TEditCharCase::Normal;
  bool readOnly_ = false, multiLine_ = false;
  TState undo_;
  bool hasUndo_ = false;
};

// The input mask of a mask edit: "mask;save;blank". In the mask, L, A, C, 0
// stand for a required letter, letter or digit, any character, digit; l, a,
// c, 9 for the same optional; # an optional digit or sign; > turns what
// follows to upper case, < to lower case, <> ends either; \ makes the next
// character a literal; _ is a literal space; ! is accepted and changes
// nothing here; every other character is a literal. "save" 0 keeps the
// literals out of the value (1, the default, keeps them in); "blank" is the
// character shown in an empty position ('_' by default). An empty mask
// masks nothing. The edit text has one character per position.
class TEditMask {
 public:
  explicit TEditMask(const rtl::String& editMask = {});
  bool Empty() const { return positions_.empty(); }
  int Length() const { return static_cast<int>(positions_.size()); }
  char16_t Blank() const { return blank_; }
  bool SaveLiterals() const { return saveLiterals_; }
  bool IsLiteral(int pos) const;
  // The first position at or after pos that takes input, or Length().
  int NextInput(int pos) const;
  // The last position before pos that takes input, or -1.
  int PrevInput(int pos) const;
  // Whether ch may stand at input position pos; ch takes the position's case.
  bool Accept(int pos, char16_t& ch) const;
  // Every input position blank, the literals in place.
  rtl::String EmptyText() const;
  // A value (literals in it when SaveLiterals) laid into the positions;
  // characters a position refuses leave it blank.
  rtl::String EditTextOf(const rtl::String& value) const;
  // The value of an edit text: blanks as spaces, literals only when saved.
  rtl::String ValueOf(const rtl::String& editText) const;
  // The first required position left blank in the edit text, or -1.
  int FirstMissing(const rtl::String& editText) const;

 private:
  enum class TCase { Asis, Upper, Lower };
  struct TPosition {
    char16_t kind = 0;  // 0: a literal; else the mask character
    char16_t literal = 0;
    TCase charCase = TCase::Asis;
  };
  std::vector<TPosition> positions_;
  bool saveLiterals_ = true;
  char16_t blank_ = u'_';
};

}  // namespace forms
