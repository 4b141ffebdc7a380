#include "skin/controls/bsSkinTreeView.h"

namespace skin {

using namespace win;

TbsSkinCustomTreeView::TbsSkinCustomTreeView(TComponent* AOwner) : TbsSkinViewBase(AOwner, u"treeview") {
  SetColor(FDefaultColor);
}

void TbsSkinCustomTreeView::CreateParams(forms::TCreateParams& Params) {
  TbsSkinViewBase::CreateParams(Params);
  Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

// Nodes added before the window existed left the native scroll state empty:
// lay the rows out once the window is there.
void TbsSkinCustomTreeView::CreateWnd() {
  TbsSkinViewBase::CreateWnd();
  Resize();
  UpDateScrollBars();
}

void TbsSkinCustomTreeView::Loaded() {
  TbsSkinViewBase::Loaded();
  ChangeSkinData();
}

void TbsSkinCustomTreeView::Change(forms::TTreeNode* Node) {
  TbsSkinViewBase::Change(Node);
  UpDateScrollBars();
}

void TbsSkinCustomTreeView::ChangeSkinData() {
  if (Loading()) return;
  ApplySkinLook();
  if (Images()) Images()->SetBkColor(Color());
  if (StateImages()) StateImages()->SetBkColor(Color());
  UpDateScrollBars();
  RealignBars();
}

void TbsSkinCustomTreeView::UpDateScrollBars() {
  if (Loading() || FInCheckScrollBars || !HandleAllocated()) return;
  bool Changed = false;
  int Min = 0, Max = 0;
  if (FVScrollBar) {
    GetScrollRange(Handle(), SB_VERT, &Min, &Max);
    const int Pos = GetScrollPos(Handle(), SB_VERT);
    const int Page = int(Perform(forms::TVM_GETVISIBLECOUNT, 0, 0));
    const int Count = int(Perform(forms::TVM_GETCOUNT, 0, 0));
    const bool Show = Max > 0 && Page <= Max && Max < Count && Visible();
    if (Show) FVScrollBar->SetRange(Min, Max, Pos, Page);
    Changed |= ShowBar(FVScrollBar, Show);
  }
  if (FHScrollBar) {
    GetScrollRange(Handle(), SB_HORZ, &Min, &Max);
    const int Pos = GetScrollPos(Handle(), SB_HORZ);
    const bool Show = Width() < Max && Visible();
    if (Show) FHScrollBar->SetRange(Min, Max, Pos, Width());
    Changed |= ShowBar(FHScrollBar, Show);
  }
  FinishBarUpdate(Changed);
}

// The position goes to the native state in full (a scroll message carries
// only 16 bits, which a tree of more rows would lose) and then as a thumb
// position request.
void TbsSkinCustomTreeView::ScrollTo(int Bar, int Position) {
  if (!HandleAllocated()) return;
  SCROLLINFO SI;
  SI.fMask = SIF_POS | SIF_TRACKPOS;
  SI.nPos = Position;
  SI.nTrackPos = Position;
  SetScrollInfo(Handle(), Bar, &SI, TRUE);
  Perform(Bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(Position & 0xFFFF)), 0);
}

void TbsSkinCustomTreeView::VScrollBarChange(TObject*) { ScrollTo(SB_VERT, FVScrollBar->Position()); }

void TbsSkinCustomTreeView::HScrollBarChange(TObject*) { ScrollTo(SB_HORZ, FHScrollBar->Position()); }

void TbsSkinCustomTreeView::WndProc(forms::TMessage& M) {
  if (HandleViewMessage(M)) return;
  auto Live = Liveness();
  TbsSkinViewBase::WndProc(M);
  if (Live.Alive()) FollowViewMessage(M.Msg, true);
}

}  // namespace skin
