#include "platform/forms/StdCtrls.h"

#include <algorithm>

#include "platform/forms/FormsInternal.h"
#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/StrUtils.h"

namespace forms {

using namespace win;

// ------------------------------------------------------------------ measuring
namespace stddraw {

HDC MeasureDC() {
  static HDC dc = gdi::CreateCompatibleDC(nullptr);
  return dc;
}

TFontDC::TFontDC(gdi::TFont* font) : dc_(MeasureDC()) { old_ = gdi::SelectObject(dc_, font->Handle()); }
TFontDC::~TFontDC() { gdi::SelectObject(dc_, old_); }

int TextWidth(HDC dc, const char16_t* text, int count) {
  if (count <= 0) return 0;
  gdi::SIZE s{};
  gdi::GetTextExtentPoint32W(dc, text, count, &s);
  return s.cx;
}

int TextHeight(HDC dc) {
  gdi::TEXTMETRICW tm{};
  gdi::GetTextMetricsW(dc, &tm);
  return std::max(1, int(tm.tmHeight));
}

void FillSolid(HDC dc, const TRect& r, TColor color) {
  gdi::HBRUSH b = gdi::CreateSolidBrush(gdi::ColorToRGB(color));
  gdi::FillRect(dc, &r, b);
  gdi::DeleteObject(b);
}

void DrawTextIn(HDC dc, const String& text, TRect r, TColor color, unsigned flags) {
  gdi::SetBkMode(dc, gdi::TRANSPARENT);
  gdi::SetTextColor(dc, gdi::ColorToRGB(color));
  gdi::DrawTextW(dc, text.c_str(), int(text.size()), &r, flags);
}

void DrawSunkenBorder(HDC dc, TRect r) { gdi::DrawEdge(dc, &r, gdi::EDGE_SUNKEN, gdi::BF_RECT); }

TRect InsideBorder(const TRect& r, bool border) {
  int b = border ? 2 : 0;
  return rtl::Rect(r.Left + b, r.Top + b, std::max(r.Left + b, r.Right - b), std::max(r.Top + b, r.Bottom - b));
}

int BeginFramedPaint(HDC dc, const TRect& client, TColor color, bool border, const TRect& clip) {
  FillSolid(dc, client, color);
  if (border) DrawSunkenBorder(dc, client);
  int saved = gdi::SaveDC(dc);
  gdi::IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
  return saved;
}

}  // namespace stddraw

int FontTextHeight(gdi::TFont* font) {
  stddraw::TFontDC dc(font);
  return stddraw::TextHeight(dc);
}

int FontTextWidth(gdi::TFont* font, const String& text) {
  stddraw::TFontDC dc(font);
  return stddraw::TextWidth(dc, text.c_str(), int(text.size()));
}

// ------------------------------------------------------------------ TControlStrings
void TControlStrings::Check(int index) const {
  if (index < 0 || index >= Count()) Error(u"List index out of bounds (%d)", index);
}

String TControlStrings::Get(int index) const {
  Check(index);
  return items_[std::size_t(index)].first;
}

rtl::TObject* TControlStrings::GetObject(int index) const {
  Check(index);
  return items_[std::size_t(index)].second;
}

void TControlStrings::Put(int index, const String& s) {
  Check(index);
  items_[std::size_t(index)].first = s;
  if (notify_) notify_(TChange::Changed, index);
}

void TControlStrings::PutObject(int index, rtl::TObject* obj) {
  Check(index);
  items_[std::size_t(index)].second = obj;
}

void TControlStrings::Insert(int index, const String& s) {
  if (index < 0 || index > Count()) Error(u"List index out of bounds (%d)", index);
  items_.insert(items_.begin() + index, {s, nullptr});
  if (notify_) notify_(TChange::Inserted, index);
}

int TControlStrings::Add(const String& s) {
  int at = Count();
  if (sorted_) {
    at = int(std::upper_bound(items_.begin(), items_.end(), s,
                              [this](const String& v, const auto& it) { return CompareStrings(v, it.first) < 0; }) -
             items_.begin());
  }
  Insert(at, s);
  return at;
}

void TControlStrings::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
  if (notify_) notify_(TChange::Deleted, index);
}

void TControlStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  if (notify_) notify_(TChange::Cleared, -1);
}

void TControlStrings::SetSorted(bool v) {
  if (sorted_ == v) return;
  sorted_ = v;
  if (!v || items_.size() < 2) return;
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const auto& a, const auto& b) { return CompareStrings(a.first, b.first) < 0; });
  if (notify_) notify_(TChange::Changed, -1);
}

// ------------------------------------------------------------------ TCustomEdit
namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The edit's default context menu commands.
enum TEditCommand { ecUndo, ecCut, ecCopy, ecPaste, ecDelete, ecSelectAll };

}  // namespace

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(gdi::clWindow);
  SetCursor(crIBeam);
}

TCustomEdit::~TCustomEdit() {
  if (autoScrollTimer_) detail::StopUtilTimer(autoScrollTimer_);
}

void TCustomEdit::SetText(const String& v) {
  String before = buf_.Text();
  buf_.SetText(v);
  buf_.ClearUndo();
  if (buf_.Text() == before && Text() == before) return;
  rowsValid_ = false;
  scrollX_ = 0;
  SyncText();
  ScrollCaret();
  Change();
}

void TCustomEdit::SyncText() {
  if (Text() != buf_.Text()) TCustomControl::SetText(buf_.Text());
  rowsValid_ = false;
  Invalidate();
}

void TCustomEdit::SetMaxLength(int v) {
  buf_.SetMaxLength(v);
  if (Text() != buf_.Text()) {
    SyncText();
    Change();
  }
}

void TCustomEdit::SetReadOnly(bool v) { buf_.SetReadOnly(v); }

void TCustomEdit::SetPasswordChar(char16_t c) {
  if (passwordChar_ == c) return;
  passwordChar_ = c;
  rowsValid_ = false;
  Invalidate();
  UpdateCaret();
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  buf_.SetCharCase(v);
  if (Text() != buf_.Text()) {
    SyncText();
    Change();
  }
}

void TCustomEdit::SetHideSelection(bool v) {
  hideSelection_ = v;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  rowsValid_ = false;
  Invalidate();
}

void TCustomEdit::SetWordWrapFlag(bool v) {
  wordWrap_ = v;
  rowsValid_ = false;
  scrollX_ = 0;
  Invalidate();
}

void TCustomEdit::SetSelStart(int v) {
  buf_.SetSelStart(v);
  desiredX_ = -1;
  ScrollCaret();
  Invalidate();
}

void TCustomEdit::SetSelLength(int v) {
  buf_.SetSelLength(v);
  ScrollCaret();
  Invalidate();
}

void TCustomEdit::SelectAll() {
  buf_.SelectAll();
  Invalidate();
  UpdateCaret();
}

void TCustomEdit::SetSelText(const String& v) {
  bool ro = buf_.ReadOnly();
  buf_.SetReadOnly(false);
  bool changed = buf_.InsertText(v);
  buf_.SetReadOnly(ro);
  TextEdited(changed);
}

void TCustomEdit::ClearSelection() { TextEdited(buf_.ClearSelection()); }

void TCustomEdit::CopyToClipboard() {
  if (passwordChar_ || buf_.SelLength() == 0) return;
  if (!OpenClipboard(Handle())) return;
  EmptyClipboard();
  SetClipboardText(buf_.SelText());
  CloseClipboard();
}

void TCustomEdit::CutToClipboard() {
  if (buf_.ReadOnly() || passwordChar_) return;
  CopyToClipboard();
  ClearSelection();
}

void TCustomEdit::PasteFromClipboard() {
  if (buf_.ReadOnly() || !OpenClipboard(Handle())) return;
  String text;
  bool got = GetClipboardText(&text);
  CloseClipboard();
  if (got) TextEdited(buf_.Paste(text));
}

void TCustomEdit::Undo() { TextEdited(buf_.Undo()); }

void TCustomEdit::TextEdited(bool changed) {
  desiredX_ = -1;
  if (changed) {
    modified_ = true;
    SyncText();
  } else {
    Invalidate();
  }
  ScrollCaret();
  if (changed) Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

// ---- layout
TRect TCustomEdit::FormatRect() {
  if (haveRect_) return formatRect_;
  TRect r = ClientRect();
  int b = borderStyle_ == bsSingleBorder ? 2 : 0;
  r = rtl::Rect(r.Left + b + marginLeft_, r.Top + b + (buf_.MultiLine() ? 0 : 1), r.Right - b - marginRight_,
                r.Bottom - b);
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

int TCustomEdit::LineHeight() { return FontTextHeight(Font()); }

String TCustomEdit::Shown(int start, int length) const {
  if (passwordChar_) return String(std::size_t(std::max(0, length)), passwordChar_);
  return buf_.Text().substr(std::size_t(start), std::size_t(std::max(0, length)));
}

void TCustomEdit::Relayout() {
  rows_.clear();
  const String& t = buf_.Text();
  if (!buf_.MultiLine()) {
    rows_.push_back({0, int(t.size())});
    rowsValid_ = true;
    return;
  }
  int avail = FormatRect().Width();
  stddraw::TFontDC dc(Font());
  int n = int(t.size()), lineStart = 0;
  while (true) {
    int end = lineStart;
    while (end < n && t[std::size_t(end)] != u'\r' && t[std::size_t(end)] != u'\n') ++end;
    int start = lineStart;
    if (wordWrap_ && avail > 0) {
      while (end - start > 0) {
        int fit = 0;
        gdi::SIZE sz{};
        gdi::GetTextExtentExPointW(dc, t.c_str() + start, end - start, avail, &fit, nullptr, &sz);
        if (fit >= end - start) break;
        int brk = start + std::max(fit, 1);
        if (brk < end && IsLow(t[std::size_t(brk)])) ++brk;
        // Break after the last blank that fits, when there is one.
        for (int i = brk; i > start; --i)
          if (t[std::size_t(i - 1)] == u' ' || t[std::size_t(i - 1)] == u'\t') {
            brk = i;
            break;
          }
        rows_.push_back({start, brk - start});
        start = brk;
      }
    }
    rows_.push_back({start, end - start});
    if (end >= n) break;
    lineStart = end + ((t[std::size_t(end)] == u'\r' && end + 1 < n && t[std::size_t(end + 1)] == u'\n') ? 2 : 1);
    if (lineStart >= n) {
      rows_.push_back({n, 0});
      break;
    }
  }
  rowsValid_ = true;
}

const std::vector<TCustomEdit::TRow>& TCustomEdit::Rows() {
  if (!rowsValid_) {
    Relayout();
    topRow_ = std::clamp(topRow_, 0, std::max(0, int(rows_.size()) - 1));
    RowsChanged();
  }
  return rows_;
}

int TCustomEdit::RowOf(int pos) {
  const auto& rows = Rows();
  auto it = std::upper_bound(rows.begin(), rows.end(), pos, [](int p, const TRow& r) { return p < r.start; });
  return std::max(0, int(it - rows.begin()) - 1);
}

int TCustomEdit::VisibleRows() { return std::max(1, FormatRect().Height() / LineHeight()); }

void TCustomEdit::SetTopRow(int row) {
  int maxTop = std::max(0, int(Rows().size()) - VisibleRows());
  row = std::clamp(row, 0, maxTop);
  if (row == topRow_) return;
  topRow_ = row;
  RowsChanged();
  Invalidate();
  UpdateCaret();
}

int TCustomEdit::XOfPos(int row, int pos) {
  const TRow& r = Rows()[std::size_t(row)];
  String s = Shown(r.start, std::min(pos, r.start + r.length) - r.start);
  return FormatRect().Left + FontTextWidth(Font(), s) - scrollX_;
}

int TCustomEdit::PosOfX(int row, int x) {
  const TRow& r = Rows()[std::size_t(row)];
  int rel = x - FormatRect().Left + scrollX_;
  if (rel <= 0 || r.length == 0) return r.start;
  String s = Shown(r.start, r.length);
  std::vector<int> dx(s.size());
  stddraw::TFontDC dc(Font());
  int fit = 0;
  gdi::SIZE sz{};
  gdi::GetTextExtentExPointW(dc, s.c_str(), int(s.size()), 1 << 30, &fit, dx.data(), &sz);
  int prev = 0;
  for (int i = 0; i < int(s.size()); ++i) {
    if (rel < prev + (dx[std::size_t(i)] - prev + 1) / 2) return r.start + i;
    prev = dx[std::size_t(i)];
  }
  return r.start + r.length;
}

int TCustomEdit::PosFromPoint(TPoint p) {
  const auto& rows = Rows();
  int row = 0;
  if (buf_.MultiLine()) {
    int rel = p.Y - FormatRect().Top;
    int lh = LineHeight();
    row = topRow_ + (rel < 0 ? -1 - (-rel - 1) / lh : rel / lh);
    row = std::clamp(row, 0, int(rows.size()) - 1);
  }
  return PosOfX(row, p.X);
}

TPoint TCustomEdit::CaretPoint() {
  int row = RowOf(buf_.Caret());
  int y = FormatRect().Top + (row - topRow_) * LineHeight();
  if (!buf_.MultiLine()) {
    // A single line sits at the top of the format rectangle, as the native edit's does.
    y = FormatRect().Top;
  }
  return {XOfPos(row, buf_.Caret()), y};
}

void TCustomEdit::ScrollCaret() {
  const auto& rows = Rows();
  int row = RowOf(buf_.Caret());
  if (buf_.MultiLine()) {
    int vis = VisibleRows();
    if (row < topRow_) SetTopRow(row);
    else if (row >= topRow_ + vis) SetTopRow(row - vis + 1);
  }
  if (!buf_.MultiLine() || !wordWrap_) {
    int avail = std::max(1, FormatRect().Width());
    const TRow& r = rows[std::size_t(row)];
    int x = FontTextWidth(Font(), Shown(r.start, buf_.Caret() - r.start));
    int old = scrollX_;
    if (x - scrollX_ > avail - 1) scrollX_ = x - avail + 1 + avail / 3;
    else if (x < scrollX_) scrollX_ = std::max(0, x - avail / 3);
    // No empty room at the right while text is scrolled out at the left.
    if (!buf_.MultiLine()) {
      int total = FontTextWidth(Font(), Shown(0, buf_.Length()));
      if (scrollX_ > 0 && total - scrollX_ < avail - 1) scrollX_ = std::max(0, std::min(scrollX_, total - avail + 1));
      scrollX_ = std::max(scrollX_, x - avail + 1);
    }
    if (old != scrollX_) {
      Invalidate();
      RowsChanged();
    }
  }
  UpdateCaret();
}

void TCustomEdit::SetScrollX(int x) {
  if (buf_.MultiLine() && wordWrap_) return;
  int widest = 0;
  for (const TRow& r : Rows()) widest = std::max(widest, FontTextWidth(Font(), Shown(r.start, r.length)));
  x = std::clamp(x, 0, std::max(0, widest - FormatRect().Width() + 1));
  if (x == scrollX_) return;
  scrollX_ = x;
  RowsChanged();
  Invalidate();
  UpdateCaret();
}

void TCustomEdit::UpdateCaret() {
  if (!caretMade_ || !HandleAllocated()) return;
  TPoint p = CaretPoint();
  SetCaretPos(p.X, p.Y);
}

void TCustomEdit::Resize() {
  rowsValid_ = false;
  TCustomControl::Resize();
  ScrollCaret();
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && !buf_.MultiLine()) SelectAll();
  TCustomControl::DoEnter();
}

// ---- painting
void TCustomEdit::PaintBackground(HDC dc, const TRect& client) {
  stddraw::FillSolid(dc, client, Color());
  if (borderStyle_ == bsSingleBorder) stddraw::DrawSunkenBorder(dc, client);
}

void TCustomEdit::Paint() {
  HDC dc = Canvas()->Handle();
  TRect client = ClientRect();
  PaintBackground(dc, client);
  TRect fr = FormatRect();
  gdi::SelectObject(dc, Font()->Handle());
  int saved = gdi::SaveDC(dc);
  TRect clip = fr;
  if (!buf_.MultiLine()) clip.Left -= marginLeft_, clip.Right += marginRight_;
  gdi::IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
  int lh = LineHeight();
  TColor text = Enabled() ? Font()->Color() : gdi::clGrayText;
  bool showSel = buf_.SelLength() > 0 && (!hideSelection_ || Focused());
  int selA = buf_.SelStart(), selB = buf_.SelStart() + buf_.SelLength();
  const auto& rows = Rows();
  int vis = buf_.MultiLine() ? VisibleRows() + 1 : 1;
  // A single line is clipped by the format rectangle only: strokes below the
  // font's cell (underscores, tails of g and q) show where there is room.
  const unsigned clipLine = buf_.MultiLine() ? 0u : unsigned(gdi::DT_NOCLIP);
  for (int i = topRow_; i < int(rows.size()) && i < topRow_ + vis; ++i) {
    const TRow& r = rows[std::size_t(i)];
    int y = fr.Top + (i - topRow_) * lh;
    String s = Shown(r.start, r.length);
    stddraw::DrawTextIn(dc, s, rtl::Rect(fr.Left - scrollX_, y, 1 << 20, y + lh), text,
                        gdi::DT_LEFT | gdi::DT_TOP | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_EXPANDTABS | clipLine);
    if (!showSel) continue;
    int a = std::max(selA, r.start), b = std::min(selB, r.start + r.length);
    bool breakSelected = buf_.MultiLine() && selB > r.start + r.length && selA <= r.start + r.length &&
                         i + 1 < int(rows.size());
    if (a > b || (a == b && !breakSelected)) continue;
    int x1 = XOfPos(i, a), x2 = XOfPos(i, b) + (breakSelected ? 4 : 0);
    TRect hr = rtl::Rect(x1, y, x2, buf_.MultiLine() ? y + lh : std::max(y + lh, fr.Bottom));
    stddraw::FillSolid(dc, hr, gdi::clHighlight);
    int s2 = gdi::SaveDC(dc);
    gdi::IntersectClipRect(dc, hr.Left, hr.Top, hr.Right, hr.Bottom);
    stddraw::DrawTextIn(dc, s, rtl::Rect(fr.Left - scrollX_, y, 1 << 20, y + lh), gdi::clHighlightText,
                        gdi::DT_LEFT | gdi::DT_TOP | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_EXPANDTABS | clipLine);
    gdi::RestoreDC(dc, s2);
  }
  gdi::RestoreDC(dc, saved);
}

// ---- keys
void TCustomEdit::FixLineBreak(bool forward) {
  // The caret never rests between CR and LF.
  const String& t = buf_.Text();
  int c = buf_.Caret();
  if (c > 0 && c < int(t.size()) && t[std::size_t(c - 1)] == u'\r' && t[std::size_t(c)] == u'\n') {
    int anchor = buf_.Caret() == buf_.SelStart() ? buf_.SelStart() + buf_.SelLength() : buf_.SelStart();
    int to = forward ? c + 1 : c - 1;
    buf_.Select(buf_.SelLength() ? anchor : to, to);
  }
}

void TCustomEdit::MoveVertical(int rows, bool extend) {
  int row = RowOf(buf_.Caret());
  if (desiredX_ < 0) desiredX_ = XOfPos(row, buf_.Caret()) + scrollX_;
  int target = std::clamp(row + rows, 0, int(Rows().size()) - 1);
  int pos = PosOfX(target, desiredX_ - scrollX_);
  int anchor = buf_.Caret() == buf_.SelStart() ? buf_.SelStart() + buf_.SelLength() : buf_.SelStart();
  buf_.Select(extend ? anchor : pos, pos);
}

void TCustomEdit::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool sh = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
  bool multi = buf_.MultiLine();
  int anchor = buf_.Caret() == buf_.SelStart() ? buf_.SelStart() + buf_.SelLength() : buf_.SelStart();
  auto moved = [&] {
    Invalidate();
    ScrollCaret();
    key = 0;
  };
  switch (key) {
    case VK_LEFT: case VK_RIGHT: {
      bool fwd = key == VK_RIGHT;
      buf_.MoveCaret(ctrl ? (fwd ? TEditBuffer::TMove::WordRight : TEditBuffer::TMove::WordLeft)
                          : (fwd ? TEditBuffer::TMove::CharRight : TEditBuffer::TMove::CharLeft),
                     sh);
      FixLineBreak(fwd);
      desiredX_ = -1;
      moved();
      return;
    }
    case VK_HOME: case VK_END: {
      bool end = key == VK_END;
      int pos;
      if (!multi || ctrl) {
        pos = end ? buf_.Length() : 0;
      } else {
        const TRow& r = Rows()[std::size_t(RowOf(buf_.Caret()))];
        pos = end ? r.start + r.length : r.start;
      }
      buf_.Select(sh ? anchor : pos, pos);
      desiredX_ = -1;
      moved();
      return;
    }
    case VK_UP: case VK_DOWN:
      if (!multi) return;
      MoveVertical(key == VK_UP ? -1 : 1, sh);
      moved();
      return;
    case VK_PRIOR: case VK_NEXT:
      if (!multi) return;
      SetTopRow(topRow_ + (key == VK_PRIOR ? -VisibleRows() : VisibleRows()));
      MoveVertical(key == VK_PRIOR ? -VisibleRows() : VisibleRows(), sh);
      moved();
      return;
    case VK_DELETE:
      key = 0;
      if (sh) {
        CutToClipboard();
        return;
      }
      if (buf_.SelLength() == 0 && multi) {
        const String& t = buf_.Text();
        int c = buf_.Caret();
        if (c + 1 < int(t.size()) && t[std::size_t(c)] == u'\r' && t[std::size_t(c + 1)] == u'\n') buf_.Select(c, c + 2);
      }
      TextEdited(buf_.DeleteForward());
      return;
    case VK_BACK: {
      key = 0;
      if (buf_.SelLength() == 0 && multi) {
        const String& t = buf_.Text();
        int c = buf_.Caret();
        if (c >= 2 && t[std::size_t(c - 2)] == u'\r' && t[std::size_t(c - 1)] == u'\n') buf_.Select(c, c - 2);
      }
      TextEdited(buf_.DeleteBack());
      return;
    }
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (sh) PasteFromClipboard();
      key = 0;
      return;
    default: break;
  }
  if (ctrl && !sh && !shift.Contains(ssAlt)) {
    switch (key) {
      case 'A': SelectAll(); key = 0; return;
      case 'C': CopyToClipboard(); key = 0; return;
      case 'X': CutToClipboard(); key = 0; return;
      case 'V': PasteFromClipboard(); key = 0; return;
      case 'Z': Undo(); key = 0; return;
      default: break;
    }
  }
}

void TCustomEdit::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  char16_t ch = key;
  if (ch == 0) return;
  if (IsHigh(ch)) {  // the first half of a pair: wait for the second
    pendingHigh_ = ch;
    return;
  }
  if (IsLow(ch)) {
    if (pendingHigh_) {
      String pair{pendingHigh_, ch};
      pendingHigh_ = 0;
      TextEdited(buf_.InsertText(pair));
    }
    return;
  }
  pendingHigh_ = 0;
  if (buf_.MultiLine() && ch == u'\r' && wantReturns_) {
    TextEdited(buf_.InsertText(u"\r\n"));
    return;
  }
  if (buf_.MultiLine() && ch == u'\t' && wantTabs_) {
    TextEdited(buf_.InsertText(u"\t"));
    return;
  }
  if (ch < 0x20) return;  // Backspace is a key; Enter and Escape belong to the form
  TextEdited(buf_.TypeChar(ch));
}

// ---- mouse
void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (CanFocus() && !Focused()) {
    bool autoSel = autoSelect_;
    autoSelect_ = false;  // the click places the caret
    SetFocus();
    autoSelect_ = autoSel;
    if (!live.Alive()) return;
  }
  if (button == mbLeft) {
    int pos = PosFromPoint({x, y});
    if (shift.Contains(ssDouble)) {
      buf_.SelectWordAt(pos);
      selecting_ = false;
    } else {
      int anchor = buf_.Caret() == buf_.SelStart() ? buf_.SelStart() + buf_.SelLength() : buf_.SelStart();
      buf_.Select(shift.Contains(ssShift) ? anchor : pos, pos);
      FixLineBreak(true);
      selecting_ = true;
      lastMouse_ = {x, y};
    }
    desiredX_ = -1;
    Invalidate();
    ScrollCaret();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::AutoScrollTick() {
  if (!selecting_ || !MouseCapture()) {
    if (autoScrollTimer_) detail::StopUtilTimer(autoScrollTimer_);
    autoScrollTimer_ = 0;
    return;
  }
  TRect fr = FormatRect();
  TPoint p = lastMouse_;
  if (buf_.MultiLine()) {
    if (p.Y < fr.Top) SetTopRow(topRow_ - 1), p.Y = fr.Top;
    else if (p.Y >= fr.Bottom) SetTopRow(topRow_ + 1), p.Y = fr.Bottom - 1;
  }
  if (p.X < fr.Left) p.X = fr.Left - FontTextWidth(Font(), u"W");
  else if (p.X >= fr.Right) p.X = fr.Right + FontTextWidth(Font(), u"W");
  int anchor = buf_.Caret() == buf_.SelStart() ? buf_.SelStart() + buf_.SelLength() : buf_.SelStart();
  int pos = PosFromPoint(p);
  buf_.Select(anchor, pos);
  Invalidate();
  ScrollCaret();
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  if (selecting_ && MouseCapture()) {
    lastMouse_ = {x, y};
    int anchor = buf_.Caret() == buf_.SelStart() ? buf_.SelStart() + buf_.SelLength() : buf_.SelStart();
    buf_.Select(anchor, PosFromPoint({x, y}));
    Invalidate();
    ScrollCaret();
    bool outside = !FormatRect().Contains(TPoint{x, y});
    if (outside && !autoScrollTimer_)
      autoScrollTimer_ = detail::StartUtilTimer(0, 100, [this] { AutoScrollTick(); });
    else if (!outside && autoScrollTimer_) {
      detail::StopUtilTimer(autoScrollTimer_);
      autoScrollTimer_ = 0;
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  selecting_ = false;
  if (autoScrollTimer_) detail::StopUtilTimer(autoScrollTimer_);
  autoScrollTimer_ = 0;
  TCustomControl::MouseUp(button, shift, x, y);
}

// ---- context menu
TPopupMenu* TCustomEdit::DefaultMenu() {
  if (menu_) return menu_;
  menu_ = new TPopupMenu(this);
  struct {
    const char16_t* caption;
    int command;
  } const items[] = {{u"撤消(&U)", ecUndo},   {u"-", -1},           {u"剪切(&T)", ecCut},
                     {u"复制(&C)", ecCopy},   {u"粘贴(&P)", ecPaste}, {u"删除(&D)", ecDelete},
                     {u"-", -1},              {u"全选(&A)", ecSelectAll}};
  for (const auto& it : items) {
    auto* mi = new TMenuItem(menu_);
    mi->SetCaption(it.caption);
    mi->SetTag(it.command);
    int cmd = it.command;
    mi->OnClick = [this, cmd](TObject*) {
      switch (cmd) {
        case ecUndo: Undo(); break;
        case ecCut: CutToClipboard(); break;
        case ecCopy: CopyToClipboard(); break;
        case ecPaste: PasteFromClipboard(); break;
        case ecDelete: if (!ReadOnly()) ClearSelection(); break;
        case ecSelectAll: SelectAll(); break;
        default: break;
      }
    };
    menu_->Items()->Add(mi);
  }
  menu_->OnPopup = [this](TObject*) {
    bool sel = buf_.SelLength() > 0, ro = buf_.ReadOnly();
    bool clip = IsClipboardFormatAvailable(CF_UNICODETEXT);
    for (int i = 0; i < menu_->Items()->Count(); ++i) {
      TMenuItem* mi = menu_->Items()->Items(i);
      switch (mi->Tag()) {
        case ecUndo: mi->SetEnabled(CanUndo() && !ro); break;
        case ecCut: case ecDelete: mi->SetEnabled(sel && !ro && !passwordChar_); break;
        case ecCopy: mi->SetEnabled(sel && !passwordChar_); break;
        case ecPaste: mi->SetEnabled(clip && !ro); break;
        case ecSelectAll: mi->SetEnabled(buf_.SelLength() < buf_.Length()); break;
        default: break;
      }
    }
  };
  return menu_;
}

// ---- messages
void TCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (buf_.MultiLine() && wantReturns_) m.Result |= DLGC_WANTALLKEYS;
      if (buf_.MultiLine() && wantTabs_) m.Result |= DLGC_WANTTAB;
      return;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(m);
      if (HandleAllocated() && Focused()) {
        CreateCaret(Handle(), nullptr, 1, LineHeight());
        caretMade_ = true;
        UpdateCaret();
        ShowCaret(Handle());
      }
      Invalidate();
      return;
    case WM_KILLFOCUS:
      if (caretMade_) DestroyCaret();
      caretMade_ = false;
      pendingHigh_ = 0;
      Invalidate();
      TCustomControl::Dispatch(m);
      return;
    case WM_IME_CHAR: {
      // A character an input method composed: typed like any other.
      char16_t ch = char16_t(m.WParam);
      if (!DoKeyPress(ch)) KeyPress(ch);
      return;
    }
    case WM_CONTEXTMENU:
      if (!PopupMenu()) {
        TPoint p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        if (p.X == -1 && p.Y == -1) p = ClientToScreen(CaretPoint());
        if (CanFocus() && !Focused()) SetFocus();
        DefaultMenu()->SetPopupComponent(this);
        DefaultMenu()->Popup(p.X, p.Y);
        m.Result = 1;
        return;
      }
      break;
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_CLEAR: if (!ReadOnly()) ClearSelection(); return;
    case WM_UNDO: case EM_UNDO: m.Result = CanUndo(); Undo(); return;
    case EM_CANUNDO: m.Result = CanUndo(); return;
    case EM_EMPTYUNDOBUFFER: ClearUndo(); return;
    case EM_GETSEL:
      if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = DWORD(SelStart());
      if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = DWORD(SelStart() + SelLength());
      m.Result = MAKELRESULT(SelStart(), SelStart() + SelLength());
      return;
    case EM_SETSEL: {
      int a = int(m.WParam), b = int(m.LParam);
      if (a == -1) a = b = buf_.Caret();       // -1 start: no selection
      if (b == -1) b = buf_.Length();          // -1 end: to the end
      buf_.Select(a, b);
      Invalidate();
      ScrollCaret();
      return;
    }
    case EM_REPLACESEL: {
      auto* s = reinterpret_cast<const char16_t*>(m.LParam);
      bool changed = buf_.InsertText(s ? String(s) : String());
      if (!m.WParam) buf_.ClearUndo();
      TextEdited(changed);
      return;
    }
    case EM_SCROLLCARET: ScrollCaret(); return;
    case EM_GETMODIFY: m.Result = modified_; return;
    case EM_SETMODIFY: modified_ = m.WParam != 0; return;
    case EM_LIMITTEXT: SetMaxLength(int(m.WParam)); return;
    case EM_SETREADONLY: SetReadOnly(m.WParam != 0); m.Result = 1; return;
    case EM_SETPASSWORDCHAR: SetPasswordChar(char16_t(m.WParam)); return;
    case EM_GETLINECOUNT: m.Result = LRESULT(Rows().size()); return;
    case EM_GETFIRSTVISIBLELINE: m.Result = topRow_; return;
    case EM_LINEINDEX: {
      int row = int(m.WParam) == -1 ? RowOf(buf_.Caret()) : int(m.WParam);
      m.Result = row >= 0 && row < int(Rows().size()) ? Rows()[std::size_t(row)].start : -1;
      return;
    }
    case EM_LINEFROMCHAR: m.Result = RowOf(int(m.WParam) == -1 ? buf_.Caret() : int(m.WParam)); return;
    case EM_GETRECT:
      if (m.LParam) *reinterpret_cast<RECT*>(m.LParam) = FormatRect();
      return;
    case EM_SETRECT: case EM_SETRECTNP:
      if (m.LParam) {
        formatRect_ = *reinterpret_cast<const RECT*>(m.LParam);
        haveRect_ = true;
      } else {
        haveRect_ = false;
      }
      rowsValid_ = false;
      if (m.Msg == EM_SETRECT) Invalidate();
      ScrollCaret();
      return;
    case EM_SETMARGINS:
      if (m.WParam & EC_LEFTMARGIN) marginLeft_ = LOWORD(m.LParam);
      if (m.WParam & EC_RIGHTMARGIN) marginRight_ = HIWORD(m.LParam);
      rowsValid_ = false;
      Invalidate();
      ScrollCaret();
      return;
    case CM_FONTCHANGED:
      rowsValid_ = false;
      TCustomControl::Dispatch(m);
      if (caretMade_ && HandleAllocated()) {
        CreateCaret(Handle(), nullptr, 1, LineHeight());
        UpdateCaret();
        ShowCaret(Handle());
      }
      return;
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(m);
      return;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ TInplaceEdit
TInplaceEdit::TInplaceEdit(TComponent* owner, TDone done) : TCustomEdit(owner), done_(std::move(done)) {
  SetBorderStyle(bsNoBorder);
}

TInplaceEdit* TInplaceEdit::Open(TWinControl* host, const TRect& label, int minWidth, const String& text, TDone done) {
  auto* e = new TInplaceEdit(host, std::move(done));
  e->SetFont(host->Font());
  int h = FontTextHeight(host->Font()) + 4;
  e->SetBounds(label.Left, label.Top + (label.Height() - h) / 2, std::max(minWidth, label.Width()), h);
  e->SetText(text);
  e->SetParent(host);
  e->SelectAll();
  if (e->CanFocus()) e->SetFocus();
  return e;
}

String TInplaceEdit::Close(TCustomEdit* editor, TWinControl* host) {
  bool hadFocus = editor->Focused();
  String s = editor->Text();
  editor->Hide();
  editor->Release();
  if (hadFocus && host->CanFocus()) host->SetFocus();
  return s;
}

void TInplaceEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_KEYDOWN:
      if (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) {
        if (done_) done_(m.WParam == VK_RETURN);
        return;
      }
      break;
    case WM_CHAR:
      if (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) return;
      break;
    case WM_KILLFOCUS: {
      TLiveness live = Liveness();
      TCustomEdit::Dispatch(m);
      if (live.Alive() && done_) done_(true);
      return;
    }
    default: break;
  }
  TCustomEdit::Dispatch(m);
}

// ------------------------------------------------------------------ TMemo
TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) {
  Buffer().SetMultiLine(true);
  SetAutoSelect(false);
  SetWants(true, false);
  SetWordWrapFlag(true);
  SetBounds(0, 0, 185, 89);
  lines_ = std::make_unique<TControlStrings>([this](TControlStrings::TChange, int) {
    if (syncing_) return;
    syncing_ = true;
    String t;
    for (int i = 0; i < lines_->Count(); ++i) {
      if (i) t += u"\r\n";
      t += lines_->Get(i);
    }
    SetText(t);
    syncing_ = false;
  });
}

TMemo::~TMemo() = default;

void TMemo::SetWordWrap(bool v) {
  if (v == WordWrap()) return;
  SetWordWrapFlag(v);
  RowsChanged();
}

void TMemo::SetScrollBars(TScrollStyle v) {
  if (scrollBars_ == v) return;
  scrollBars_ = v;
  if (HandleAllocated()) {
    ShowScrollBar(Handle(), SB_VERT, v == ssVertical || v == ssBoth);
    ShowScrollBar(Handle(), SB_HORZ, v == ssHorizontal || v == ssBoth);
  }
  RowsChanged();
  Invalidate();
}

void TMemo::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.Style |= WS_HSCROLL;
}

void TMemo::CreateWnd() {
  TCustomEdit::CreateWnd();
  RowsChanged();
}

void TMemo::Change() {
  if (!syncing_) {
    // Lines follow the text: split at CR LF, LF or CR, a final break adding an empty line.
    syncing_ = true;
    lines_->BeginUpdate();
    lines_->Clear();
    const String& t = Text();
    std::size_t start = 0;
    if (!t.empty()) {
      while (true) {
        std::size_t e = t.find_first_of(u"\r\n", start);
        if (e == String::npos) {
          lines_->Add(t.substr(start));
          break;
        }
        lines_->Add(t.substr(start, e - start));
        start = e + ((t[e] == u'\r' && e + 1 < t.size() && t[e + 1] == u'\n') ? 2 : 1);
        if (start >= t.size()) break;
      }
    }
    lines_->EndUpdate();
    syncing_ = false;
  }
  TCustomEdit::Change();
}

void TMemo::RowsChanged() {
  if (!HandleAllocated()) return;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, int(Rows().size()) - 1);
  si.nPage = UINT(VisibleRows());
  si.nPos = TopRow();
  SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
  int widest = 0;
  if (!WordWrap()) {
    for (const TRow& r : Rows())
      widest = std::max(widest, FontTextWidth(Font(), Buffer().Text().substr(std::size_t(r.start), std::size_t(r.length))));
  }
  si.nMax = std::max(0, widest);
  si.nPage = UINT(std::max(1, FormatRect().Width()));
  si.nPos = ScrollX();
  SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
  bars_.Refresh();
}

void TMemo::Dispatch(TMessage& m) {
  if (bars_.Handle(m)) return;
  switch (m.Msg) {
    case WM_VSCROLL: {
      if (auto top = ScrollRequestPos(m.WParam, TopRow(), 1, VisibleRows(), int(Rows().size()), HIWORD(m.WParam)))
        SetTopRow(*top);
      return;
    }
    case WM_HSCROLL: {
      int page = FormatRect().Width();
      if (auto x = ScrollRequestPos(m.WParam, ScrollX(), FontTextWidth(Font(), u"W"), page, 1 << 30, HIWORD(m.WParam)))
        SetScrollX(*x);
      return;
    }
    case WM_MOUSEWHEEL: {
      int delta = short(HIWORD(m.WParam));
      SetTopRow(TopRow() - delta / 120 * 3);
      m.Result = 1;
      return;
    }
    default: break;
  }
  TCustomEdit::Dispatch(m);
}

}  // namespace forms

// ------------------------------------------------------------------ TCustomMaskEdit
namespace forms {

void TCustomMaskEdit::SetEditMask(const String& v) {
  const String value = Text();
  editMask_ = v;
  mask_ = TEditMask(v);
  SetMaxLength(IsMasked() ? mask_.Length() : 0);
  SetText(value);
}

String TCustomMaskEdit::Text() const { return IsMasked() ? mask_.ValueOf(EditText()) : EditText(); }

void TCustomMaskEdit::SetText(const String& v) {
  TCustomEdit::SetText(IsMasked() ? mask_.EditTextOf(v) : v);
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified()) return;
  const int pos = mask_.FirstMissing(EditText());
  if (pos < 0) return;
  SetSelStart(pos);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::DoExit() {
  try {
    ValidateEdit();
  } catch (const EDBEditError&) {
    // The text stays to be completed: the focus comes back and the error is shown.
    TLiveness live = Liveness();
    if (CanFocus()) SetFocus();
    if (!live.Alive()) return;
    if (const int pos = mask_.FirstMissing(EditText()); pos >= 0) SetSelStart(pos);  // not a selection on entry
    if (Application) Application->HandleException(this);
    return;
  }
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::Apply(const String& t, int caret) {
  TEditBuffer& b = Buffer();
  b.Select(0, b.Length());
  const bool changed = t != b.Text() && b.InsertText(t);
  b.Select(caret, caret);
  TextEdited(changed);
}

void TCustomMaskEdit::BlankSelection() {
  if (ReadOnly()) return;
  String t = EditText();
  const int from = SelStart(), to = SelStart() + SelLength();
  for (int pos = from; pos < to && pos < int(t.size()); ++pos)
    if (!mask_.IsLiteral(pos)) t[std::size_t(pos)] = mask_.Blank();
  Apply(t, from);
}

void TCustomMaskEdit::TypeMasked(const String& chars) {
  if (ReadOnly() || chars.empty()) return;
  String t = EditText();
  const int from = SelStart(), to = SelStart() + SelLength();
  for (int pos = from; pos < to && pos < int(t.size()); ++pos)
    if (!mask_.IsLiteral(pos)) t[std::size_t(pos)] = mask_.Blank();
  int pos = from;
  bool typed = false;
  for (char16_t ch : chars) {
    if (mask_.IsLiteral(pos) && t[std::size_t(pos)] == ch) {  // typing the literal steps over it
      ++pos;
      continue;
    }
    const int at = mask_.NextInput(pos);
    if (at >= mask_.Length() || !mask_.Accept(at, ch)) {
      MessageBeep(0);
      break;
    }
    t[std::size_t(at)] = ch;
    pos = mask_.NextInput(at + 1);
    typed = true;
  }
  if (typed) Apply(t, pos);
}

void TCustomMaskEdit::ClearSelection() {
  if (IsMasked()) BlankSelection();
  else TCustomEdit::ClearSelection();
}

void TCustomMaskEdit::CutToClipboard() {
  if (!IsMasked()) return TCustomEdit::CutToClipboard();
  if (ReadOnly() || PasswordChar()) return;
  CopyToClipboard();
  BlankSelection();
}

void TCustomMaskEdit::PasteFromClipboard() {
  if (!IsMasked()) return TCustomEdit::PasteFromClipboard();
  if (ReadOnly() || !OpenClipboard(Handle())) return;
  String text;
  const bool got = GetClipboardText(&text);
  CloseClipboard();
  if (!got) return;
  const std::size_t br = text.find_first_of(u"\r\n");
  TypeMasked(br == String::npos ? text : text.substr(0, br));
}

void TCustomMaskEdit::KeyDown(rtl::Word& key, TShiftState shift) {
  if (!IsMasked()) return TCustomEdit::KeyDown(key, shift);
  const bool sh = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  const bool back = key == VK_BACK, del = key == VK_DELETE && !sh;
  const bool cut = (key == VK_DELETE && sh) || (ctrl && !sh && key == 'X');
  const bool paste = (key == VK_INSERT && sh) || (ctrl && !sh && key == 'V');
  if (!back && !del && !cut && !paste) return TCustomEdit::KeyDown(key, shift);
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  key = 0;
  if (cut) return CutToClipboard();
  if (paste) return PasteFromClipboard();
  if (ReadOnly()) return;
  if (SelLength() > 0) return BlankSelection();
  String t = EditText();
  const int caret = CaretPos();
  const int pos = back ? mask_.PrevInput(caret) : mask_.NextInput(caret);
  if (pos < 0 || pos >= mask_.Length()) return;
  t[std::size_t(pos)] = mask_.Blank();
  Apply(t, back ? pos : caret);
}

void TCustomMaskEdit::KeyPress(char16_t& key) {
  if (!IsMasked()) return TCustomEdit::KeyPress(key);
  TCustomControl::KeyPress(key);
  if (key < 0x20) return;
  TypeMasked(String(1, key));
}

void TCustomMaskEdit::Dispatch(TMessage& m) {
  if (IsMasked()) {
    switch (m.Msg) {
      case WM_CUT: CutToClipboard(); return;
      case WM_PASTE: PasteFromClipboard(); return;
      case WM_CLEAR: if (!ReadOnly()) ClearSelection(); return;
      default: break;
    }
  }
  TCustomEdit::Dispatch(m);
}

}  // namespace forms
