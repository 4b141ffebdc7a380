#include "platform/forms/EditBuffer.h"

#include <algorithm>

#include "platform/rtl/StrUtils.h"

namespace forms {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

enum class TCharClass { Blank, Punct, Word };

TCharClass ClassOf(char16_t c) {
  if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000) return TCharClass::Blank;
  if (c < 0x80 && !((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'))
    return TCharClass::Punct;
  return TCharClass::Word;
}

}  // namespace

int TEditBuffer::Clamp(int pos) const {
  pos = std::clamp(pos, 0, Length());
  if (pos > 0 && pos < Length() && IsLowSurrogate(text_[pos]) && IsHighSurrogate(text_[pos - 1])) --pos;
  return pos;
}

rtl::String TEditBuffer::Cased(const rtl::String& s) const {
  switch (charCase_) {
    case TEditCharCase::UpperCase: return rtl::AnsiUpperCase(s);
    case TEditCharCase::LowerCase: return rtl::AnsiLowerCase(s);
    case TEditCharCase::Normal: break;
  }
  return s;
}

bool TEditBuffer::SetText(const rtl::String& text) {
  rtl::String t = Cased(text);
  if (maxLength_ > 0 && static_cast<int>(t.size()) > maxLength_) {
    t.resize(maxLength_);
    if (!t.empty() && IsHighSurrogate(t.back())) t.pop_back();
  }
  const bool changed = t != text_;
  text_ = std::move(t);
  anchor_ = caret_ = Length();
  hasUndo_ = false;
  return changed;
}

void TEditBuffer::SetMaxLength(int units) { maxLength_ = std::max(0, units); }

void TEditBuffer::SetCharCase(TEditCharCase charCase) {
  charCase_ = charCase;
  const int a = anchor_, c = caret_;
  text_ = Cased(text_);
  anchor_ = Clamp(a);
  caret_ = Clamp(c);
}

void TEditBuffer::SetSelStart(int start) { anchor_ = caret_ = Clamp(start); }

void TEditBuffer::SetSelLength(int length) {
  const int start = SelStart();
  anchor_ = start;
  caret_ = Clamp(start + std::max(0, length));
}

void TEditBuffer::Select(int anchor, int caret) {
  anchor_ = Clamp(anchor);
  caret_ = Clamp(caret);
}

int TEditBuffer::WordBoundary(int pos, bool forward) const {
  pos = Clamp(pos);
  const int n = Length();
  if (forward) {
    if (pos < n && ClassOf(text_[pos]) != TCharClass::Blank) {
      const TCharClass cls = ClassOf(text_[pos]);
      while (pos < n && ClassOf(text_[pos]) == cls) ++pos;
    }
    while (pos < n && ClassOf(text_[pos]) == TCharClass::Blank) ++pos;
    return pos;
  }
  while (pos > 0 && ClassOf(text_[pos - 1]) == TCharClass::Blank) --pos;
  if (pos > 0) {
    const TCharClass cls = ClassOf(text_[pos - 1]);
    while (pos > 0 && ClassOf(text_[pos - 1]) == cls) --pos;
  }
  return pos;
}

void TEditBuffer::MoveCaret(TMove move, bool extend) {
  int to = caret_;
  if (!extend && SelLength() > 0 && (move == TMove::CharLeft || move == TMove::CharRight)) {
    anchor_ = caret_ = move == TMove::CharLeft ? SelStart() : SelStart() + SelLength();
    return;
  }
  switch (move) {
    case TMove::CharLeft:
      to = caret_ - 1;
      if (to > 0 && IsLowSurrogate(text_[to]) && IsHighSurrogate(text_[to - 1])) --to;
      break;
    case TMove::CharRight:
      to = caret_ + 1;
      if (to < Length() && IsLowSurrogate(text_[to]) && IsHighSurrogate(text_[to - 1])) ++to;
      break;
    case TMove::WordLeft: to = WordBoundary(caret_, false); break;
    case TMove::WordRight: to = WordBoundary(caret_, true); break;
    case TMove::Home: to = 0; break;
    case TMove::End: to = Length(); break;
  }
  caret_ = Clamp(to);
  if (!extend) anchor_ = caret_;
}

void TEditBuffer::SelectWordAt(int pos) {
  pos = Clamp(pos);
  const int n = Length();
  if (n == 0) return Select(0, 0);
  if (pos == n) --pos;
  const TCharClass cls = ClassOf(text_[pos]);
  int a = pos, b = pos;
  while (a > 0 && ClassOf(text_[a - 1]) == cls) --a;
  while (b < n && ClassOf(text_[b]) == cls) ++b;
  // A word takes the blanks after it, as a native edit's double click does.
  if (cls == TCharClass::Word)
    while (b < n && ClassOf(text_[b]) == TCharClass::Blank && text_[b] != u'\n') ++b;
  Select(a, b);
}

void TEditBuffer::SaveUndo() {
  undo_ = {text_, anchor_, caret_};
  hasUndo_ = true;
}

bool TEditBuffer::ReplaceSelection(const rtl::String& with) {
  if (readOnly_) return false;
  const int start = SelStart(), length = SelLength();
  rtl::String insert = with;
  if (maxLength_ > 0) {
    const int room = maxLength_ - (Length() - length);
    if (room < static_cast<int>(insert.size())) {
      insert.resize(std::max(0, room));
      if (!insert.empty() && IsHighSurrogate(insert.back())) insert.pop_back();
    }
  }
  if (length == 0 && insert.empty()) return false;
  SaveUndo();
  text_.replace(start, length, insert);
  anchor_ = caret_ = start + static_cast<int>(insert.size());
  return true;
}

bool TEditBuffer::InsertText(const rtl::String& text) {
  rtl::String t;
  t.reserve(text.size());
  for (char16_t c : text)
    if (multiLine_ || (c != u'\r' && c != u'\n')) t += c;
  return ReplaceSelection(Cased(t));
}

bool TEditBuffer::TypeChar(char16_t ch) {
  if (ch < 0x20 || ch == 0x7F) return false;
  return InsertText(rtl::String(1, ch));
}

bool TEditBuffer::DeleteBack() {
  if (SelLength() == 0) {
    if (caret_ == 0 || readOnly_) return false;
    int from = caret_ - 1;
    if (from > 0 && IsLowSurrogate(text_[from]) && IsHighSurrogate(text_[from - 1])) --from;
    anchor_ = from;
  }
  return ReplaceSelection({});
}

bool TEditBuffer::DeleteForward() {
  if (SelLength() == 0) {
    if (caret_ >= Length() || readOnly_) return false;
    int to = caret_ + 1;
    if (to < Length() && IsLowSurrogate(text_[to]) && IsHighSurrogate(text_[to - 1])) ++to;
    anchor_ = caret_;
    caret_ = to;
  }
  return ReplaceSelection({});
}

bool TEditBuffer::ClearSelection() { return SelLength() > 0 && ReplaceSelection({}); }

bool TEditBuffer::Paste(const rtl::String& clipboardText) {
  rtl::String t = clipboardText;
  if (!multiLine_) {
    const std::size_t br = t.find_first_of(u"\r\n");
    if (br != rtl::String::npos) t.resize(br);
  }
  return InsertText(t);
}

bool TEditBuffer::Undo() {
  if (!hasUndo_ || readOnly_) return false;
  TState now{text_, anchor_, caret_};
  text_ = undo_.text;
  anchor_ = undo_.anchor;
  caret_ = undo_.caret;
  undo_ = std::move(now);
  return true;
}

rtl::String TEditBuffer::DisplayText(char16_t passwordChar) const {
  if (passwordChar == 0) return text_;
  return rtl::String(text_.size(), passwordChar);
}

}  // namespace forms
