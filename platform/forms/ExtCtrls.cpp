#include "platform/forms/ExtCtrls.h"

#include <algorithm>

#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"

namespace forms {

using namespace win;

namespace {

// A raised or lowered frame of one pixel's width: highlight and shadow sides.
void Frame3D(HDC dc, TRect& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width; ++i) {
    stddraw::FillSolid(dc, rtl::Rect(r.Left, r.Top, r.Right - 1, r.Top + 1), topLeft);
    stddraw::FillSolid(dc, rtl::Rect(r.Left, r.Top, r.Left + 1, r.Bottom - 1), topLeft);
    stddraw::FillSolid(dc, rtl::Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottomRight);
    stddraw::FillSolid(dc, rtl::Rect(r.Right - 1, r.Top, r.Right, r.Bottom), bottomRight);
    r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
}

}  // namespace

// ------------------------------------------------------------------ TCustomPanel
TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                   csReplicatable});
  SetBounds(0, 0, 185, 41);
  SetColor(gdi::clBtnFace);
}

int TCustomPanel::FrameWidth() const {
  return (bevelOuter_ != bvNone ? bevelWidth_ : 0) + borderWidth_ + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

void TCustomPanel::SetBevelOuter(TPanelBevel v) {
  bevelOuter_ = v;
  Realign();
  Invalidate();
}
void TCustomPanel::SetBevelInner(TPanelBevel v) {
  bevelInner_ = v;
  Realign();
  Invalidate();
}
void TCustomPanel::SetBevelWidth(int v) {
  bevelWidth_ = std::max(1, v);
  Realign();
  Invalidate();
}
void TCustomPanel::SetBorderWidth(int v) {
  borderWidth_ = std::max(0, v);
  Realign();
  Invalidate();
}
void TCustomPanel::SetAlignment(TAlignment v) {
  alignment_ = v;
  Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& r) {
  int f = FrameWidth();
  r = rtl::Rect(r.Left + f, r.Top + f, std::max(r.Left + f, r.Right - f), std::max(r.Top + f, r.Bottom - f));
}

void TCustomPanel::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Color());
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone) return;
    if (b == bvSpace) {
      r = rtl::Rect(r.Left + bevelWidth_, r.Top + bevelWidth_, r.Right - bevelWidth_, r.Bottom - bevelWidth_);
      return;
    }
    bool raised = b == bvRaised;
    Frame3D(dc, r, raised ? gdi::clBtnHighlight : gdi::clBtnShadow, raised ? gdi::clBtnShadow : gdi::clBtnHighlight,
            bevelWidth_);
  };
  bevel(bevelOuter_);
  r = rtl::Rect(r.Left + borderWidth_, r.Top + borderWidth_, r.Right - borderWidth_, r.Bottom - borderWidth_);
  bevel(bevelInner_);
  if (!Caption().empty()) {
    gdi::SelectObject(dc, Font()->Handle());
    unsigned al = alignment_ == taCenter ? gdi::DT_CENTER : alignment_ == taRightJustify ? gdi::DT_RIGHT : gdi::DT_LEFT;
    stddraw::DrawTextIn(dc, Caption(), r, Enabled() ? Font()->Color() : gdi::clGrayText,
                        al | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS);
  }
}

void TCustomPanel::Dispatch(TMessage& m) {
  if (m.Msg == CM_TEXTCHANGED) {
    TCustomControl::Dispatch(m);
    Invalidate();
    return;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ TBevel
TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetBounds(0, 0, 50, 50);
}
void TBevel::SetShape(TBevelShape v) {
  shape_ = v;
  Invalidate();
}
void TBevel::SetStyle(TBevelStyle v) {
  style_ = v;
  Invalidate();
}

void TBevel::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  TColor c1 = style_ == bsLowered ? gdi::clBtnShadow : gdi::clBtnHighlight;
  TColor c2 = style_ == bsLowered ? gdi::clBtnHighlight : gdi::clBtnShadow;
  auto hline = [&](int y, TColor c) { stddraw::FillSolid(dc, rtl::Rect(r.Left, y, r.Right, y + 1), c); };
  auto vline = [&](int x, TColor c) { stddraw::FillSolid(dc, rtl::Rect(x, r.Top, x + 1, r.Bottom), c); };
  switch (shape_) {
    case bsBox: Frame3D(dc, r, c1, c2, 1); break;
    case bsFrame: {
      TRect outer = rtl::Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
      TRect inner = rtl::Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
      Frame3D(dc, inner, c2, c2, 1);
      Frame3D(dc, outer, c1, c1, 1);
      break;
    }
    case bsTopLine: hline(r.Top, c1), hline(r.Top + 1, c2); break;
    case bsBottomLine: hline(r.Bottom - 2, c1), hline(r.Bottom - 1, c2); break;
    case bsLeftLine: vline(r.Left, c1), vline(r.Left + 1, c2); break;
    case bsRightLine: vline(r.Right - 2, c1), vline(r.Right - 1, c2); break;
    case bsSpacer: break;
  }
}

// ------------------------------------------------------------------ TSplitter
TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetAlign(alLeft);
  SetBounds(0, 0, 3, 100);
  SetCursor(crHSplit);
}

void TSplitter::SetBeveled(bool v) {
  beveled_ = v;
  Invalidate();
}

void TSplitter::RequestAlign() {
  TGraphicControl::RequestAlign();
  SetCursor(Align() == alTop || Align() == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindControl() {
  if (!Parent()) return nullptr;
  // The neighbour on the side the splitter is aligned to, touching its edge.
  TPoint p;
  switch (Align()) {
    case alLeft: p = {Left() - 1, Top()}; break;
    case alRight: p = {Left() + Width(), Top()}; break;
    case alTop: p = {Left(), Top() - 1}; break;
    case alBottom: p = {Left(), Top() + Height()}; break;
    default: return nullptr;
  }
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    TRect r = c->BoundsRect();
    if (Align() == alLeft || Align() == alRight) r.Top = p.Y, r.Bottom = p.Y + 1;
    else r.Left = p.X, r.Right = p.X + 1;
    if (r.Contains(p)) return c;
  }
  return nullptr;
}

int TSplitter::SizeOf(TControl* c) const {
  return Align() == alLeft || Align() == alRight ? c->Width() : c->Height();
}

void TSplitter::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Parent() ? Parent()->Color() : gdi::clBtnFace);
  if (beveled_) {
    TRect b = r;
    Frame3D(dc, b, gdi::clBtnHighlight, gdi::clBtnShadow, 1);
  }
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  control_ = FindControl();
  if (!control_) return;
  bool horz = Align() == alLeft || Align() == alRight;
  TPoint s = ClientToScreen({x, y});
  downPos_ = horz ? s.X : s.Y;
  startSize_ = SizeOf(control_);
  // Room: the parent's client extent less MinSize for the rest and the splitter.
  TRect pc = Parent()->ClientRect();
  int total = horz ? pc.Width() : pc.Height();
  int others = 0;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c == control_ || c == this || !c->Visible()) continue;
    if (horz && (c->Align() == alLeft || c->Align() == alRight)) others += c->Width();
    if (!horz && (c->Align() == alTop || c->Align() == alBottom)) others += c->Height();
  }
  maxSize_ = std::max(minSize_, total - others - (horz ? Width() : Height()) - minSize_);
  dragging_ = true;
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_ || !control_) return;
  bool horz = Align() == alLeft || Align() == alRight;
  TPoint s = ClientToScreen({x, y});
  int delta = (horz ? s.X : s.Y) - downPos_;
  if (Align() == alRight || Align() == alBottom) delta = -delta;
  int size = std::clamp(startSize_ + delta, minSize_, maxSize_);
  bool accept = true;
  if (OnCanResize) OnCanResize(this, size, accept);
  if (!accept || size == SizeOf(control_)) return;
  if (horz) {
    if (Align() == alRight) control_->SetBounds(control_->Left() + control_->Width() - size, control_->Top(), size, control_->Height());
    else control_->SetWidth(size);
  } else {
    if (Align() == alBottom) control_->SetBounds(control_->Left(), control_->Top() + control_->Height() - size, control_->Width(), size);
    else control_->SetHeight(size);
  }
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool was = dragging_;
  dragging_ = false;
  control_ = nullptr;
  TLiveness live = Liveness();
  TGraphicControl::MouseUp(button, shift, x, y);
  if (was && live.Alive() && OnMoved) OnMoved(this);
}

// ------------------------------------------------------------------ TImage
TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<gdi::TPicture>()) {
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this](TObject*) {
    AdjustSize();
    Invalidate();
  };
}
TImage::~TImage() = default;

void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}
void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}
void TImage::SetProportional(bool v) {
  proportional_ = v;
  Invalidate();
}
void TImage::SetTransparent(bool v) {
  transparent_ = v;
  if (picture_->Graphic()) picture_->Graphic()->SetTransparent(v);
  Invalidate();
}

bool TImage::CanAutoSize(int& w, int& h) {
  if (!picture_->Graphic() || picture_->Width() <= 0) return false;
  w = picture_->Width();
  h = picture_->Height();
  return true;
}

TRect TImage::DestRect() {
  int pw = picture_->Width(), ph = picture_->Height(), cw = Width(), ch = Height();
  if (pw <= 0 || ph <= 0) return TRect();
  int w = pw, h = ph;
  if (stretch_ || (proportional_ && (pw > cw || ph > ch))) {
    if (proportional_) {
      // Fit inside, keeping the aspect.
      if (std::int64_t(cw) * ph < std::int64_t(ch) * pw) w = cw, h = int(std::int64_t(ph) * cw / pw);
      else h = ch, w = int(std::int64_t(pw) * ch / ph);
    } else {
      w = cw, h = ch;
    }
  }
  int x = center_ ? (cw - w) / 2 : 0, y = center_ ? (ch - h) / 2 : 0;
  return rtl::Bounds(x, y, w, h);
}

void TImage::Paint() {
  if (gdi::TGraphic* g = picture_->Graphic(); g && !g->Empty()) {
    g->SetTransparent(transparent_);
    Canvas()->StretchDraw(DestRect(), g);
  }
}

// ------------------------------------------------------------------ TScrollBox
TScrollBox::TScrollBox(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 185, 41);
  SetColor(gdi::clBtnFace);
}

void TScrollBox::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  Invalidate();
}

void TScrollBox::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Color());
  if (borderStyle_ == bsSingleBorder) stddraw::DrawSunkenBorder(dc, r);
}

void TScrollBox::AlignControls(TControl* control, TRect& rect) {
  TCustomControl::AlignControls(control, rect);
  UpdateScrollBars();
}

void TScrollBox::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollBox::Resize() {
  TCustomControl::Resize();
  UpdateScrollBars();
}

void TScrollBox::UpdateScrollBars() {
  if (!HandleAllocated() || updating_) return;
  updating_ = true;
  // The children's extent in unscrolled coordinates.
  int right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    right = std::max(right, c->Left() + c->Width() + x_);
    bottom = std::max(bottom, c->Top() + c->Height() + y_);
  }
  for (int pass = 0; pass < 2; ++pass) {  // a bar taking room may make the other one needed
    TRect cr = ClientRect();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, right - 1);
    si.nPage = UINT(cr.Width());
    si.nPos = x_;
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
    si.nMax = std::max(0, bottom - 1);
    si.nPage = UINT(cr.Height());
    si.nPos = y_;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    bool changed = bars_.AutoShow(SB_HORZ);
    changed = bars_.AutoShow(SB_VERT) || changed;
    if (!changed) break;
  }
  // Keep the position inside the new range.
  TRect cr = ClientRect();
  int nx = std::clamp(x_, 0, std::max(0, right - cr.Width()));
  int ny = std::clamp(y_, 0, std::max(0, bottom - cr.Height()));
  updating_ = false;
  if (nx != x_ || ny != y_) ScrollTo(nx, ny);
  bars_.Refresh();
}

void TScrollBox::ScrollTo(int x, int y) {
  if (x == x_ && y == y_) return;
  int dx = x_ - x, dy = y_ - y;
  x_ = x, y_ = y;
  DisableAlign();
  ScrollBy(dx, dy);
  EnableAlign();
  UpdateScrollBars();
}

void TScrollBox::ScrollInView(TControl* c) {
  if (!c || c->Parent() != this) return;
  TRect cr = ClientRect();
  int x = x_, y = y_;
  if (c->Left() < 0) x += c->Left();
  else if (c->Left() + c->Width() > cr.Width()) x += std::min(c->Left(), c->Left() + c->Width() - cr.Width());
  if (c->Top() < 0) y += c->Top();
  else if (c->Top() + c->Height() > cr.Height()) y += std::min(c->Top(), c->Top() + c->Height() - cr.Height());
  ScrollTo(std::max(0, x), std::max(0, y));
}

void TScrollBox::Dispatch(TMessage& m) {
  if (bars_.Handle(m)) return;
  switch (m.Msg) {
    case WM_HSCROLL: case WM_VSCROLL: {
      bool vert = m.Msg == WM_VSCROLL;
      SCROLLINFO si;
      si.fMask = SIF_ALL;
      GetScrollInfo(Handle(), vert ? SB_VERT : SB_HORZ, &si);
      int page = int(si.nPage);
      std::optional<int> req = ScrollRequestPos(m.WParam, si.nPos, 8, page, si.nMax, si.nTrackPos);
      if (!req) return;
      int pos = *req;
      pos = std::clamp(pos, 0, std::max(0, si.nMax - page + 1));
      if (vert) ScrollTo(x_, pos);
      else ScrollTo(pos, y_);
      return;
    }
    case WM_MOUSEWHEEL:
      Perform(WM_VSCROLL, short(HIWORD(m.WParam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
      Perform(WM_VSCROLL, short(HIWORD(m.WParam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
      Perform(WM_VSCROLL, short(HIWORD(m.WParam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
      m.Result = 1;
      return;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ TProgressBar
TProgressBar::TProgressBar(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::SetMin(int v) {
  min_ = v;
  max_ = std::max(max_, min_);
  position_ = std::clamp(position_, min_, max_);
  Invalidate();
}
void TProgressBar::SetMax(int v) {
  max_ = v;
  min_ = std::min(min_, max_);
  position_ = std::clamp(position_, min_, max_);
  Invalidate();
}
void TProgressBar::SetPosition(int v) {
  v = std::clamp(v, min_, max_);
  if (v == position_) return;
  position_ = v;
  Invalidate();
}
void TProgressBar::StepIt() {
  int p = position_ + step_;
  if (p > max_) p = min_ + (p - max_ - 1) % std::max(1, max_ - min_ + 1);
  SetPosition(p);
}
void TProgressBar::StepBy(int delta) { SetPosition(position_ + delta); }
void TProgressBar::SetOrientation(TProgressBarOrientation v) {
  orientation_ = v;
  Invalidate();
}
void TProgressBar::SetSmooth(bool v) {
  smooth_ = v;
  Invalidate();
}

void TProgressBar::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, gdi::clBtnFace);
  TRect edge = r;
  gdi::DrawEdge(dc, &edge, gdi::BDR_SUNKENOUTER, gdi::BF_RECT);
  TRect in = rtl::Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  if (max_ <= min_ || in.Width() <= 0 || in.Height() <= 0) return;
  bool horz = orientation_ == pbHorizontal;
  int len = horz ? in.Width() : in.Height();
  int fill = int(std::int64_t(len) * (position_ - min_) / (max_ - min_));
  if (smooth_) {
    stddraw::FillSolid(dc, horz ? rtl::Rect(in.Left, in.Top, in.Left + fill, in.Bottom)
                                : rtl::Rect(in.Left, in.Bottom - fill, in.Right, in.Bottom),
                       gdi::clHighlight);
    return;
  }
  // Blocks two thirds of the bar's thickness wide, two pixels apart.
  int block = std::max(2, (horz ? in.Height() : in.Width()) * 2 / 3);
  for (int at = 0; at < fill; at += block + 2) {
    int e = std::min(at + block, len);
    stddraw::FillSolid(dc, horz ? rtl::Rect(in.Left + at, in.Top, in.Left + e, in.Bottom)
                                : rtl::Rect(in.Left, in.Bottom - e, in.Right, in.Bottom - at),
                       gdi::clHighlight);
  }
}

// ------------------------------------------------------------------ TTabSheet
TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
  SetAlign(alClient);
  SetVisible(false);
  SetColor(gdi::clBtnFace);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) {
  if (pc == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = pc;
  SetParent(pc);
  if (pc) pc->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == tabVisible_) return;
  tabVisible_ = v;
  if (pageControl_) {
    if (!v && pageControl_->ActivePage() == this) pageControl_->SelectNextPage(true);
    if (!v && pageControl_->ActivePage() == this) pageControl_->SetActivePage(nullptr);
    pageControl_->Invalidate();
  }
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  for (int i = 0; i < pageControl_->PageCount(); ++i)
    if (pageControl_->Pages(i) == this) return i;
  return -1;
}

int TTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  auto tabs = pageControl_->VisibleTabs();
  return int(std::find(tabs.begin(), tabs.end(), this) - tabs.begin());
}

void TTabSheet::Paint() { stddraw::FillSolid(Canvas()->Handle(), ClientRect(), Color()); }

void TTabSheet::Dispatch(TMessage& m) {
  if (m.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->Invalidate();
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ TPageControl
TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  SetColor(gdi::clBtnFace);
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  if (!active_ && page->TabVisible()) SetActivePage(page);
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  if (active_ == page) {
    active_ = nullptr;
    TTabSheet* next = nullptr;
    for (TTabSheet* p : pages_)
      if (p != page && p->TabVisible()) {
        next = p;
        break;
      }
    pages_.erase(std::find(pages_.begin(), pages_.end(), page));
    SetActivePage(next);
  } else {
    pages_.erase(it);
  }
  Invalidate();
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const {
  std::vector<TTabSheet*> v;
  for (TTabSheet* p : pages_)
    if (p->TabVisible()) v.push_back(p);
  return v;
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }
void TPageControl::SetActivePageIndex(int i) { SetActivePage(i >= 0 && i < PageCount() ? pages_[std::size_t(i)] : nullptr); }

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->PageControl() != this) return;
  if (page == active_) return;
  TTabSheet* old = active_;
  active_ = page;
  if (page) {
    page->BringToFront();
    page->SetVisible(true);
  }
  if (old) old->SetVisible(false);
  Realign();
  Invalidate();
}

bool TPageControl::SelectPage(TTabSheet* page) {
  if (!page || page == active_ || !page->TabVisible()) return false;
  bool allow = true;
  TLiveness live = Liveness();
  if (OnChanging) OnChanging(this, allow);
  if (!live.Alive() || !allow) return false;
  SetActivePage(page);
  Change();
  return true;
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}

void TPageControl::SelectNextPage(bool goForward) {
  auto tabs = VisibleTabs();
  if (tabs.empty()) return;
  int i = active_ ? active_->TabIndex() : -1;
  int n = int(tabs.size());
  i = ((i < 0 ? (goForward ? -1 : 0) : i) + (goForward ? 1 : -1) + n) % n;
  SelectPage(tabs[std::size_t(i)]);
}

int TPageControl::TabHeight() { return FontTextHeight(Font()) + 8; }

TRect TPageControl::TabRect(int tabIndex) {
  auto tabs = VisibleTabs();
  if (tabIndex < 0 || tabIndex >= int(tabs.size())) return TRect();
  int x = 2;
  for (int i = 0; i < tabIndex; ++i) x += FontTextWidth(Font(), StripHotkey(tabs[std::size_t(i)]->Caption())) + 12;
  int w = FontTextWidth(Font(), StripHotkey(tabs[std::size_t(tabIndex)]->Caption())) + 12;
  return rtl::Rect(x, 2, x + w, 2 + TabHeight());
}

int TPageControl::IndexOfTabAt(int x, int y) {
  int n = int(VisibleTabs().size());
  for (int i = 0; i < n; ++i)
    if (TabRect(i).Contains(TPoint{x, y})) return i;
  return -1;
}

TRect TPageControl::DisplayRect() {
  TRect r = ClientRect();
  int top = VisibleTabs().empty() ? 0 : TabHeight() + 2;
  return rtl::Rect(r.Left + 4, r.Top + top + 4, std::max(r.Left + 4, r.Right - 4), std::max(r.Top + top + 4, r.Bottom - 4));
}

void TPageControl::AdjustClientRect(TRect& rect) { rect = DisplayRect(); }

void TPageControl::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Color());
  auto tabs = VisibleTabs();
  int top = tabs.empty() ? 0 : TabHeight() + 2;
  TRect body = rtl::Rect(r.Left, r.Top + top, r.Right, r.Bottom);
  gdi::DrawEdge(dc, &body, gdi::EDGE_RAISED, gdi::BF_RECT);
  gdi::SelectObject(dc, Font()->Handle());
  // The selected tab is drawn last, larger, and open into the page below it.
  int selIndex = active_ ? active_->TabIndex() : -1;
  std::vector<int> order;
  for (int i = 0; i < int(tabs.size()); ++i)
    if (i != selIndex) order.push_back(i);
  if (selIndex >= 0) order.push_back(selIndex);
  for (int i : order) {
    TRect t = TabRect(i);
    bool sel = i == selIndex;
    if (sel) t = rtl::Rect(t.Left - 2, t.Top - 2, t.Right + 2, t.Bottom + 2);
    stddraw::FillSolid(dc, t, Color());
    TRect e = t;
    gdi::DrawEdge(dc, &e, gdi::EDGE_RAISED, gdi::BF_LEFT | gdi::BF_TOP | gdi::BF_RIGHT);
    if (sel) t.Bottom -= 2;
    stddraw::DrawTextIn(dc, tabs[std::size_t(i)]->Caption(), t, Enabled() ? Font()->Color() : gdi::clGrayText,
                        gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    if (sel && Focused()) Canvas()->DrawFocusRect(rtl::Rect(t.Left + 3, t.Top + 3, t.Right - 3, t.Bottom - 2));
  }
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (button == mbLeft) {
    int i = IndexOfTabAt(x, y);
    if (i >= 0) {
      if (CanFocus() && !Focused()) SetFocus();
      if (!live.Alive()) return;
      SelectPage(VisibleTabs()[std::size_t(i)]);
      if (!live.Alive()) return;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TPageControl::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_LEFT || key == VK_RIGHT) {
    SelectNextPage(key == VK_RIGHT);
    key = 0;
  }
}

void TPageControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case CM_DIALOGKEY:
      // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from anywhere on them.
      if (m.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && Showing()) {
        HWND f = GetFocus();
        TWinControl* fc = TWinControl::FromHandle(f);
        bool inside = fc == this;
        for (TControl* c = fc; c && !inside; c = c->Parent()) inside = c == this;
        if (inside) {
          SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
          m.Result = 1;
          return;
        }
      }
      break;
    case CM_DIALOGCHAR:
      for (TTabSheet* p : VisibleTabs())
        if (IsAccel(char16_t(m.WParam), p->Caption()) && CanFocus()) {
          SelectPage(p);
          m.Result = 1;
          return;
        }
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS: Invalidate(); break;
    case CM_FONTCHANGED: Realign(); break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

}  // namespace forms
