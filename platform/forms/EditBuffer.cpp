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

// ------------------------------------------------------------------ TEditMask
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7 && c < 0x2000) ||
         (c >= 0x3400 && c < 0xD800) || (c >= 0xF900 && c < 0xFF00);
}
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }
char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

}  // namespace

TEditMask::TEditMask(const rtl::String& editMask) {
  // The fields are split at the last two semicolons that no backslash escapes.
  std::vector<std::size_t> cuts;
  for (std::size_t i = 0; i < editMask.size(); ++i) {
    if (editMask[i] == u'\\') {
      ++i;
      continue;
    }
    if (editMask[i] == u';') cuts.push_back(i);
  }
  rtl::String mask = editMask;
  if (cuts.size() > 2) cuts.erase(cuts.begin(), cuts.end() - 2);
  if (!cuts.empty()) {
    mask = editMask.substr(0, cuts[0]);
    const rtl::String save = editMask.substr(cuts[0] + 1, cuts.size() > 1 ? cuts[1] - cuts[0] - 1 : rtl::String::npos);
    saveLiterals_ = !(save.size() == 1 && save[0] == u'0');
    if (cuts.size() > 1 && cuts[1] + 1 < editMask.size()) blank_ = editMask[cuts[1] + 1];
  }
  TCase charCase = TCase::Asis;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char16_t c = mask[i];
    TPosition p;
    switch (c) {
      case u'!': continue;
      case u'>': charCase = TCase::Upper; continue;
      case u'<':
        if (i + 1 < mask.size() && mask[i + 1] == u'>') {
          ++i;
          charCase = TCase::Asis;
        } else {
          charCase = TCase::Lower;
        }
        continue;
      case u'\\':
        if (++i >= mask.size()) continue;
        p.literal = mask[i];
        break;
      case u'_': p.literal = u' '; break;
      case u'L': case u'l': case u'A': case u'a': case u'C': case u'c': case u'0': case u'9': case u'#':
        p.kind = c;
        p.charCase = charCase;
        break;
      default: p.literal = c; break;
    }
    positions_.push_back(p);
  }
}

bool TEditMask::IsLiteral(int pos) const {
  return pos >= 0 && pos < Length() && positions_[std::size_t(pos)].kind == 0;
}

int TEditMask::NextInput(int pos) const {
  while (pos < Length() && IsLiteral(pos)) ++pos;
  return std::max(pos, 0);
}

int TEditMask::PrevInput(int pos) const {
  for (--pos; pos >= 0; --pos)
    if (!IsLiteral(pos)) return pos;
  return -1;
}

bool TEditMask::Accept(int pos, char16_t& ch) const {
  if (pos < 0 || pos >= Length() || IsLiteral(pos)) return false;
  const TPosition& p = positions_[std::size_t(pos)];
  if (p.charCase == TCase::Upper) ch = Upper(ch);
  if (p.charCase == TCase::Lower) ch = Lower(ch);
  switch (p.kind) {
    case u'L': case u'l': return IsLetter(ch);
    case u'A': case u'a': return IsLetter(ch) || IsDigit(ch);
    case u'C': case u'c': return ch >= 0x20;
    case u'0': case u'9': return IsDigit(ch);
    case u'#': return IsDigit(ch) || ch == u'+' || ch == u'-';
    default: return false;
  }
}

rtl::String TEditMask::EmptyText() const {
  rtl::String t;
  for (const TPosition& p : positions_) t += p.kind ? blank_ : p.literal;
  return t;
}

rtl::String TEditMask::EditTextOf(const rtl::String& value) const {
  rtl::String t = EmptyText();
  std::size_t v = 0;
  for (int pos = 0; pos < Length() && v < value.size(); ++pos) {
    if (IsLiteral(pos)) {
      if (saveLiterals_) ++v;  // the value carries the literal here
      continue;
    }
    char16_t ch = value[v++];
    if (ch != u' ' && ch != blank_ && Accept(pos, ch)) t[std::size_t(pos)] = ch;
  }
  return t;
}

rtl::String TEditMask::ValueOf(const rtl::String& editText) const {
  rtl::String v;
  for (int pos = 0; pos < Length() && pos < int(editText.size()); ++pos) {
    const char16_t ch = editText[std::size_t(pos)];
    if (IsLiteral(pos)) {
      if (saveLiterals_) v += ch;
    } else {
      v += ch == blank_ ? u' ' : ch;
    }
  }
  return v;
}

int TEditMask::FirstMissing(const rtl::String& editText) const {
  for (int pos = 0; pos < Length(); ++pos) {
    const char16_t kind = positions_[std::size_t(pos)].kind;
    if (kind != u'L' && kind != u'A' && kind != u'C' && kind != u'0') continue;
    if (pos >= int(editText.size()) || editText[std::size_t(pos)] == blank_ || editText[std::size_t(pos)] == u' ')
      return pos;
  }
  return -1;
}

}  // namespace forms
