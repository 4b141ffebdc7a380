#include "skin/controls/bsSkinListView.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace skin {

using namespace win;

// The subclass procedure of the headers: finds the list view that hooked
// the header and hands it the message.
struct TbsListViewHeaderHook {
  static std::unordered_map<HWND, TbsSkinCustomListView*>& Map() {
    static std::unordered_map<HWND, TbsSkinCustomListView*> M;
    return M;
  }
  static LRESULT Proc(HWND H, UINT Msg, WPARAM W, LPARAM L) {
    auto It = Map().find(H);
    if (It == Map().end()) return DefWindowProcW(H, Msg, W, L);
    return It->second->HeaderWndProc(Msg, W, L);
  }
};

namespace {

constexpr TColor kDownFace = 0x00B59385;

bool CornerPointsDefined(const TPoint& P) { return P.X != 0 || P.Y != 0; }

}  // namespace

TbsSkinCustomListView::TbsSkinCustomListView(TComponent* AOwner) : TbsSkinViewBase(AOwner, u"listview") {
  SetNativeScrollBars(false);
  SetColor(FDefaultColor);
}

TbsSkinCustomListView::~TbsSkinCustomListView() { ReleaseHeader(); }

void TbsSkinCustomListView::CreateParams(forms::TCreateParams& Params) {
  TbsSkinViewBase::CreateParams(Params);
  Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

void TbsSkinCustomListView::Loaded() {
  FInCheckScrollBars = true;
  TbsSkinViewBase::Loaded();
  FInCheckScrollBars = false;
  ChangeSkinData();
}

void TbsSkinCustomListView::Change(forms::TListItem* Item, int AChange) {
  TbsSkinViewBase::Change(Item, AChange);
  if (!FInCheckScrollBars) UpDateScrollBars();
}

// ------------------------------------------------------------------ skin
void TbsSkinCustomListView::ChangeSkinData() {
  ApplySkinLook();
  UpDateScrollBars();
  RealignBars();
  if (ViewStyle() == forms::vsReport && FHeaderHandle) InvalidateRect(FHeaderHandle, nullptr, TRUE);
}

// ------------------------------------------------------------------ bars
int TbsSkinCustomListView::Item0Height() {
  return Items()->Count() > 0 ? GetItemRect(0, forms::drBounds).Height() : 0;
}

void TbsSkinCustomListView::UpDateScrollBars() {
  if (!HandleAllocated() || FromSB || Width() <= 5 || Height() <= 5) return;
  switch (ViewStyle()) {
    case forms::vsReport: CheckReportScrollBars(); break;
    case forms::vsList: CheckListScrollBars(); break;
    default: CheckIconScrollBars(); break;
  }
}

void TbsSkinCustomListView::CheckReportScrollBars() {
  if (FInCheckScrollBars) return;
  bool Changed = false;
  int Min = 0, Max = 0;
  if (FVScrollBar) {
    GetScrollRange(Handle(), SB_VERT, &Min, &Max);
    const int Pos = GetScrollPos(Handle(), SB_VERT);
    const int PerPage = GetCountPerPage();
    const bool Show = PerPage < Max + 1 && Visible();
    if (Show) {
      FVScrollBar->SetRange(Min, Max, Pos, PerPage);
      FOldVScrollBarPos = FVScrollBar->Position();
      FVScrollBar->SetSmallChange(1);
      FVScrollBar->SetLargeChange(PerPage <= 0 ? 1 : PerPage);
    }
    Changed |= ShowBar(FVScrollBar, Show);
  }
  if (FHScrollBar) {
    GetScrollRange(Handle(), SB_HORZ, &Min, &Max);
    const int Pos = GetScrollPos(Handle(), SB_HORZ);
    const bool Show = Width() < Max && Visible();
    if (Show) {
      FHScrollBar->SetRange(Min, Max, Pos, Width());
      FOldHScrollBarPos = FHScrollBar->Position();
    }
    Changed |= ShowBar(FHScrollBar, Show);
  }
  FinishBarUpdate(Changed);
}

void TbsSkinCustomListView::CheckListScrollBars() {
  if (FInCheckScrollBars) return;
  bool Changed = ShowBar(FVScrollBar, false);
  if (FHScrollBar) {
    int Min = 0, Max = 0;
    GetScrollRange(Handle(), SB_HORZ, &Min, &Max);
    const int Pos = GetScrollPos(Handle(), SB_HORZ);
    int W = Items()->Count() > 0 ? GetItemRect(0, forms::drBounds).Width() : 1;
    if (W <= 0) W = 1;
    const bool Show = GetCountPerPage() < Items()->Count() && Visible();
    if (Show) {
      FHScrollBar->SetRange(Min, Max, Pos, Width() / W);
      FHScrollBar->SetSmallChange(1);
      FHScrollBar->SetLargeChange(1);
      FOldHScrollBarPos = FHScrollBar->Position();
    }
    Changed |= ShowBar(FHScrollBar, Show);
  }
  FinishBarUpdate(Changed);
}

void TbsSkinCustomListView::CheckIconScrollBars() {
  if (FInCheckScrollBars) return;
  bool Changed = false;
  int Step = Item0Height() / 2;
  if (Step == 0) Step = 1;
  struct Axis {
    TbsSkinScrollBar* Bar;
    int Kind, Extent;
    int* Old;
  } Axes[] = {{FVScrollBar, SB_VERT, Height(), &FOldVScrollBarPos}, {FHScrollBar, SB_HORZ, Width(), &FOldHScrollBarPos}};
  for (const Axis& A : Axes) {
    if (!A.Bar) continue;
    int Min = 0, Max = 0;
    GetScrollRange(Handle(), A.Kind, &Min, &Max);
    const int Pos = GetScrollPos(Handle(), A.Kind);
    const bool Show = A.Extent < Max && Visible();
    if (Show) {
      A.Bar->SetSmallChange(Step);
      A.Bar->SetLargeChange(Step);
      A.Bar->SetRange(Min, Max, Pos, A.Extent);
      *A.Old = A.Bar->Position();
    }
    Changed |= ShowBar(A.Bar, Show);
  }
  FinishBarUpdate(Changed);
}

void TbsSkinCustomListView::VScrollBarChange(TObject*) {
  FromSB = true;
  const int Diff = FVScrollBar->Position() - FOldVScrollBarPos;
  if (ViewStyle() == forms::vsList || ViewStyle() == forms::vsReport) {
    // An empty list has no row height to scroll by.
    if (Items()->Count() > 0) Scroll(0, Diff * Item0Height());
  } else {
    Scroll(0, Diff);
  }
  FOldVScrollBarPos = FVScrollBar->Position();
  FromSB = false;
}

void TbsSkinCustomListView::HScrollBarChange(TObject*) {
  FromSB = true;
  const int Diff = FHScrollBar->Position() - FOldHScrollBarPos;
  if (ViewStyle() == forms::vsList) {
    for (int I = 0; I < std::abs(Diff); ++I)
      Perform(WM_HSCROLL, Diff < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
  } else {
    Scroll(Diff, 0);
  }
  FOldHScrollBarPos = FHScrollBar->Position();
  FromSB = false;
}

// ------------------------------------------------------------------ window procedure
void TbsSkinCustomListView::WndProc(forms::TMessage& M) {
  if (HandleViewMessage(M)) return;
  switch (M.Msg) {
    case WM_PARENTNOTIFY:
      if (LOWORD(M.WParam) == WM_CREATE) {
        const HWND Child = HWND(M.LParam);
        char16_t Name[81] = {};
        GetClassNameW(Child, Name, 80);
        if (String(Name) == u"SysHeader32" && ShowColumnHeaders()) {
          ReleaseHeader();
          SubclassHeader(Child);
        }
      }
      break;
    case MSG_PAINT_HEADER_TO_DC:
      if (FHeaderHandle) PaintHeader(HDC(M.WParam));
      return;
  }
  auto Live = Liveness();
  TbsSkinViewBase::WndProc(M);
  if (!Live.Alive()) return;
  FollowViewMessage(M.Msg, Items()->Count() > 0);
  if (M.Msg == WM_SIZE && ViewStyle() == forms::vsReport && FHeaderHandle)
    InvalidateRect(FHeaderHandle, nullptr, FALSE);
}

// ------------------------------------------------------------------ header
void TbsSkinCustomListView::SubclassHeader(HWND H) {
  FDefHeaderProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(H, GWL_WNDPROC));
  TbsListViewHeaderHook::Map()[H] = this;
  SetWindowLongPtrW(H, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&TbsListViewHeaderHook::Proc));
  FHeaderHandle = H;
}

void TbsSkinCustomListView::ReleaseHeader() {
  if (!FHeaderHandle) return;
  if (IsWindow(FHeaderHandle)) SetWindowLongPtrW(FHeaderHandle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(FDefHeaderProc));
  TbsListViewHeaderHook::Map().erase(FHeaderHandle);
  FHeaderHandle = nullptr;
  FDefHeaderProc = nullptr;
}

void TbsSkinCustomListView::RedrawHeader() {
  if (FHeaderHandle) RedrawWindow(FHeaderHandle, nullptr, nullptr, RDW_INVALIDATE);
}

LRESULT TbsSkinCustomListView::HeaderWndProc(UINT Msg, WPARAM W, LPARAM L) {
  const HWND H = FHeaderHandle;
  switch (Msg) {
    case WM_WINDOWPOSCHANGING:
      if (L) reinterpret_cast<WINDOWPOS*>(L)->cx += 25;
      return 0;
    case WM_PAINT:
      PaintHeader(HDC(W));
      return 0;
    case WM_ERASEBKGND:
      return 1;
  }
  auto Live = Liveness();
  const LRESULT Result = CallWindowProcW(FDefHeaderProc, H, Msg, W, L);
  if (!Live.Alive() || FHeaderHandle != H) return Result;
  switch (Msg) {
    case WM_MOUSEMOVE:
      if (FDevDown) RedrawHeader();
      break;
    case WM_LBUTTONDOWN: {
      const TPoint P{GET_X_LPARAM(L), GET_Y_LPARAM(L)};
      FActiveSection = -1;
      for (int I = 0; I < Columns()->Count(); ++I)
        if (GetHeaderSectionRect(I).Contains(P)) {
          FActiveSection = I;
          break;
        }
      forms::HDHITTESTINFO Info;
      Info.pt = P;
      SendMessageW(H, forms::HDM_HITTEST, 0, LPARAM(&Info));
      FDevDown = (Info.flags & forms::HHT_ONDIVIDER) != 0;
      FHeaderDown = !FDevDown;
      RedrawHeader();
      break;
    }
    case WM_LBUTTONUP:
      FHeaderDown = false;
      FDevDown = false;
      FActiveSection = -1;
      RedrawHeader();
      break;
  }
  return Result;
}

void TbsSkinCustomListView::GetHeaderSkinData() {
  FHIndex = -1;
  if (FSD && !FSD->Empty) {
    // A skin may give column headers a face of their own beside the button
    // face they are named after ("resizetoolbutton" + "header"): tool faces
    // are flat, while sections need edges to stay apart.
    const int Own = FSD->GetControlIndex(HeaderSkinDataName + u"header");
    FHIndex = dynamic_cast<TbsDataSkinButtonControl*>(SkinDescriptionAt(FSD, Own))
                  ? Own
                  : FSD->GetControlIndex(HeaderSkinDataName);
  }
  auto* D = dynamic_cast<TbsDataSkinButtonControl*>(SkinDescriptionAt(FSD, FHIndex));
  if (!D) {
    HPicture = nullptr;
    return;
  }
  HLTPt = D->LTPoint;
  HRTPt = D->RTPoint;
  HLBPt = D->LBPoint;
  HRBPt = D->RBPoint;
  HSkinRect = D->SkinRect;
  HClRect = D->ClRect;
  HStretchEffect = D->StretchEffect;
  HLeftStretch = D->LeftStretch;
  HTopStretch = D->TopStretch;
  HRightStretch = D->RightStretch;
  HBottomStretch = D->BottomStretch;
  HStretchType = D->StretchType;
  HPicture = SkinPictureAt(FSD, D->PictureIndex);
  HFontColor = D->FontColor;
  HActiveFontColor = D->ActiveFontColor;
  HDownFontColor = D->DownFontColor;
  HActiveSkinRect = IsEmptyRect(D->ActiveSkinRect) ? HSkinRect : D->ActiveSkinRect;
  HDownSkinRect = IsEmptyRect(D->DownSkinRect) ? HActiveSkinRect : D->DownSkinRect;
}

TRect TbsSkinCustomListView::GetHeaderSectionRect(int I) {
  RECT R{};
  int Item = I;
  if (FullDrag) {
    const int N = Columns()->Count();
    std::vector<int> Order(std::size_t(std::max(N, 1)), 0);
    SendMessageW(FHeaderHandle, forms::HDM_GETORDERARRAY, WPARAM(N), LPARAM(Order.data()));
    if (I >= 0 && I < N) Item = Order[std::size_t(I)];
  }
  SendMessageW(FHeaderHandle, forms::HDM_GETITEMRECT, WPARAM(Item), LPARAM(&R));
  return R;
}

// Composes the header skin at W x H: nine parts with the corner points moved
// to the size, or three slices at the skin's height stretched to H.
void TbsSkinCustomListView::ComposeHeaderImage(TBitmap* B, TRect Src, int W, int H, bool NoRightEdge) {
  const int SW = RectWidth(HSkinRect), SH = RectHeight(HSkinRect);
  if (CornerPointsDefined(HLBPt)) {
    const int dx = W - SW, dy = H - SH;
    HNewLTPoint = HLTPt;
    HNewRTPoint = {HRTPt.X + dx, HRTPt.Y};
    HNewLBPoint = {HLBPt.X, HLBPt.Y + dy};
    HNewRBPoint = {HRBPt.X + dx, HRBPt.Y + dy};
    HNewClRect = {HClRect.Left, HClRect.Top, HClRect.Right + dx, HClRect.Bottom + dy};
    auto Compose = NoRightEdge ? ComposeSkinImageNoRightEdge : ComposeSkinImage;
    Compose(HLTPt, HRTPt, HLBPt, HRBPt, HClRect, HNewLTPoint, HNewRTPoint, HNewLBPoint, HNewRBPoint, HNewClRect, B,
            HPicture, Src, W, H, true, HLeftStretch, HTopStretch, HRightStretch, HBottomStretch, HStretchEffect,
            HStretchType);
    return;
  }
  TBitmap Strip;
  auto Compose = NoRightEdge ? ComposeHorzSkinImageNoRightEdge : ComposeHorzSkinImage;
  Compose(HLTPt.X, SW - HRTPt.X, &Strip, HPicture, Src, W, SH, HStretchEffect);
  B->SetSize(W, H);
  if (!Strip.Empty()) B->Canvas()->StretchDraw({0, 0, W, H}, &Strip);
}

void TbsSkinCustomListView::DrawHeaderSection(gdi::TCanvas* Cnvs, forms::TListColumn* Column, bool Pressed, TRect R) {
  if (IsEmptyRect(R)) return;
  const int W = RectWidth(R), H = RectHeight(R);
  TBitmap B(W, H);
  GetHeaderSkinData();
  gdi::TCanvas* C = B.Canvas();
  C->Font()->Assign(Font());
  if (FHIndex == -1 || !HPicture) {
    C->Brush()->SetColor(Pressed ? gdi::clNavy : gdi::clBtnShadow);
    C->FrameRect({0, 0, W, H});
    C->Brush()->SetColor(Pressed ? kDownFace : gdi::clBtnFace);
    C->FillRect({1, 1, W - 1, H - 1});
    C->Font()->SetColor(gdi::clBtnText);
  } else {
    C->Font()->SetColor(Pressed ? HDownFontColor : HFontColor);
    ComposeHeaderImage(&B, Pressed ? HDownSkinRect : HSkinRect, W, H, false);
    C = B.Canvas();
  }
  C->Brush()->SetStyle(gdi::bsClear);
  TRect BR{0, 0, W, H};
  if (OnDrawHeaderSection)
    OnDrawHeaderSection(C, Column, Pressed, BR);
  else
    DrawSectionCaption(C, Column, BR);
  Cnvs->Draw(R.Left, R.Top, &B);
}

void TbsSkinCustomListView::DrawSectionCaption(gdi::TCanvas* C, forms::TListColumn* Column, const TRect& R) {
  const TRect TR{R.Left + 5, R.Top, R.Right - 5, R.Bottom};
  const int TW = RectWidth(TR);
  String S = Column->Caption();
  const int TextH = C->TextHeight(u"Wq");
  const int Y = TR.Top + RectHeight(TR) / 2 - TextH / 2;
  forms::TCustomImageList* IL = SmallImages();
  const int Img = Column->ImageIndex();
  int X;
  if (IL && Img >= 0 && Img < IL->Count()) {
    const String Full = S;
    FitTextWithEllipsis(C, S, TW - 10 - IL->Width());
    const int CW = C->TextWidth(S);
    X = TR.Left;
    if (S == Full) {
      if (Column->Alignment() == forms::taRightJustify)
        X = TR.Right - CW - IL->Width() - 10;
      else if (Column->Alignment() == forms::taCenter)
        X = TR.Left + TW / 2 - (CW + IL->Width() + 10) / 2;
    }
    IL->Draw(C, X, TR.Top + RectHeight(TR) / 2 - IL->Height() / 2, Img, true);
    X += IL->Width() + 10;
  } else {
    FitTextWithEllipsis(C, S, TW);
    const int CW = C->TextWidth(S);
    X = Column->Alignment() == forms::taRightJustify ? TR.Right - CW
        : Column->Alignment() == forms::taCenter     ? TR.Left + TW / 2 - CW / 2
                                                     : TR.Left;
  }
  C->TextRect(TR, X, Y, S);
}

void TbsSkinCustomListView::PaintHeader(HDC DC) {
  const HWND H = FHeaderHandle;
  if (!H) return;
  PAINTSTRUCT PS;
  const bool OwnPaint = DC == nullptr;
  if (OwnPaint) DC = BeginPaint(H, &PS);
  {
    gdi::TCanvas C;
    C.SetHandle(DC);
    const int N = int(SendMessageW(H, forms::HDM_GETITEMCOUNT, 0, 0));
    int RightMost = 0;
    for (int I = 0; I < N; ++I) {
      const TRect R = GetHeaderSectionRect(I);
      DrawHeaderSection(&C, Columns()->Items(I), I == FActiveSection && FHeaderDown, R);
      RightMost = std::max(RightMost, R.Right);
    }
    RECT WR;
    GetClientRect(H, &WR);
    const TRect Rest{RightMost, 0, WR.Right + 1, WR.Bottom};
    if (!IsEmptyRect(Rest)) {
      GetHeaderSkinData();
      if (FHIndex == -1 || !HPicture) {
        C.Brush()->SetColor(gdi::clBtnFace);
        C.FillRect(Rest);
        C.Brush()->SetColor(gdi::clBtnShadow);
        C.FrameRect(Rest);
      } else {
        TBitmap B(RectWidth(Rest), RectHeight(Rest));
        ComposeHeaderImage(&B, HSkinRect, B.Width(), B.Height(), true);
        C.Draw(Rest.Left, Rest.Top, &B);
      }
    }
    C.SetHandle(nullptr);
  }
  if (OwnPaint) EndPaint(H, &PS);
}

}  // namespace skin
