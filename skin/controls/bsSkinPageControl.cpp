#include "skin/controls/bsSkinPageControl.h"

#include <algorithm>

#include "platform/forms/StdCtrls.h"
#include "platform/win/WinApi.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

using forms::TTabSheet;

namespace {

constexpr int SB_THUMBPOSITION = 4;

TRect Shifted(TRect R, int DX, int DY) { return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY}; }
bool InRect(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

}  // namespace

// ------------------------------------------------------------------ tab sheet
TbsSkinCustomTabSheet::TbsSkinCustomTabSheet(TComponent* AOwner) : TTabSheet(AOwner) {
  FWallPaper = std::make_unique<gdi::TBitmap>();
}

TbsSkinCustomTabSheet::~TbsSkinCustomTabSheet() { SetPageControl(nullptr); }

TbsSkinPageControl* TbsSkinCustomTabSheet::SkinPageControl() const {
  return dynamic_cast<TbsSkinPageControl*>(PageControl());
}

void TbsSkinCustomTabSheet::SetWallPaper(gdi::TBitmap* Value) {
  if (Value)
    FWallPaper->Assign(Value);
  else
    FWallPaper = std::make_unique<gdi::TBitmap>();
  Invalidate();
}

void TbsSkinCustomTabSheet::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (PageControl()) PageControl()->Invalidate();
}

void TbsSkinCustomTabSheet::Paint() { PaintBG(Canvas()->Handle()); }

void TbsSkinCustomTabSheet::Resize() {
  TTabSheet::Resize();
  Invalidate();
  TbsSkinPageControl* PC = SkinPageControl();
  if (PC && PC->SkinData() && !PC->SkinData()->Empty) {
    PC->GetSkinData();
    if (PC->SkinIndex() != -1 && PC->StretchEffect) CheckChildrenBackground();
  }
}

void TbsSkinCustomTabSheet::CheckChildrenBackground() {
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* W = dynamic_cast<forms::TWinControl*>(Controls(i))) W->Perform(MSG_CHECK_PARENT_BACKGROUND, 0, 0);
}

void TbsSkinCustomTabSheet::Dispatch(TMessage& M) {
  if (M.Msg == MSG_SKIN_PAINT_TO_DC) {
    M.Result = SKIN_PAINT_TO_DC_ANSWER;
    return;
  }
  TTabSheet::Dispatch(M);
}

// ------------------------------------------------------------------ page control
TbsSkinPageControl::TbsSkinPageControl(TComponent* AOwner) : forms::TPageControl(AOwner) {
  FDefaultFont = std::make_unique<gdi::TFont>();
  FDefaultFont->SetName(u"Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetColor(gdi::clBtnText);
  Font()->Assign(FDefaultFont.get());
  FTempImages = std::make_unique<forms::TCustomImageList>(nullptr, 1, 1);
  // What loading does for a control without a skin entry.
  SetItemSize(FTabWidth, FDefaultItemHeight);
}

TbsSkinPageControl::~TbsSkinPageControl() {
  if (FSD) FSD->RemoveFreeNotification(this);
  if (FImages) FImages->RemoveFreeNotification(this);
}

void TbsSkinPageControl::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  if (FSD && !FSD->Empty && !ComponentState().Contains(rtl::csDesigning)) ChangeSkinData();
}

void TbsSkinPageControl::GetSkinData() {
  BGPictureIndex = -1;
  if (!FSD) {
    FIndex = -1;
    return;
  }
  FIndex = FSD->Empty ? -1 : FSD->GetControlIndex(FSkinDataName);
  if (FIndex == -1) return;
  auto* D = dynamic_cast<TbsDataSkinTabControl*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) {  // a description of another kind: the plain look
    FIndex = -1;
    return;
  }
  Picture = SkinPictureAt(FSD, D->PictureIndex);
  SkinRect = D->SkinRect;
  ClRect = D->ClRect;
  TabRect = D->TabRect;
  ActiveTabRect = IsEmptyRect(D->ActiveTabRect) ? D->TabRect : D->ActiveTabRect;
  FocusTabRect = IsEmptyRect(D->FocusTabRect) ? D->ActiveTabRect : D->FocusTabRect;
  MouseInTabRect = D->MouseInTabRect;
  TabsBGRect = D->TabsBGRect;
  LTPoint = D->LTPoint;
  RTPoint = D->RTPoint;
  LBPoint = D->LBPoint;
  RBPoint = D->RBPoint;
  TabLeftOffset = D->TabLeftOffset;
  TabRightOffset = D->TabRightOffset;
  FontName = D->FontName;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
  FontColor = D->FontColor;
  ActiveFontColor = D->ActiveFontColor;
  FocusFontColor = D->FocusFontColor;
  MouseInFontColor = D->MouseInFontColor;
  UpDown = D->UpDown;
  BGPictureIndex = D->BGPictureIndex;
  TabStretchEffect = D->TabStretchEffect;
  ShowFocus = D->ShowFocus;
  FocusOffsetX = D->FocusOffsetX;
  FocusOffsetY = D->FocusOffsetY;
  LeftStretch = D->LeftStretch;
  TopStretch = D->TopStretch;
  RightStretch = D->RightStretch;
  BottomStretch = D->BottomStretch;
  StretchEffect = D->StretchEffect;
  StretchType = D->StretchType;
  CloseButtonRect = D->CloseButtonRect;
  ClosebuttonActiveRect = IsEmptyRect(D->CloseButtonActiveRect) ? CloseButtonRect : D->CloseButtonActiveRect;
  CloseButtonDownRect = IsEmptyRect(D->CloseButtonDownRect) ? ClosebuttonActiveRect : D->CloseButtonDownRect;
  ButtonTransparent = D->ButtonTransparent;
  ButtonTransparentColor = D->ButtonTransparentColor;
}

int TbsSkinPageControl::GetCloseSize() {
  return !HasSkinEntry() || IsEmptyRect(CloseButtonRect) ? 14 : RectWidth(CloseButtonRect);
}

void TbsSkinPageControl::ChangeSkinData() {
  GetSkinData();
  if (FShowCloseButtons) {
    AddRoom(-FCloseSize);
    FCloseSize = GetCloseSize();
    AddRoom(FCloseSize);
  }
  gdi::TFont F;
  int H;
  if (!HasSkinEntry()) {
    F.Assign(FDefaultFont.get());
    if (FSD && FSD->ResourceStrData()) F.SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
    H = FTabHeight > 0 ? FTabHeight : FDefaultItemHeight;
  } else {
    if (FUseSkinFont)
      ApplyDescriptionFont(&F, FontName, FontHeight, FontStyle);
    else
      F.Assign(FDefaultFont.get());
    F.SetCharset(FSD->ResourceStrData() ? gdi::BYTE(FSD->ResourceStrData()->CharSet) : FDefaultFont->Charset());
    F.SetColor(FontColor);
    H = FTabHeight > 0 ? FTabHeight : RectHeight(TabRect);
  }
  Font()->Assign(&F);
  SetItemSize(FTabWidth, H);
  UpdateScrollerPosition();
  Realign();
  RemoveScroller();
  UpdateScroller();
  if (ActivePage()) ActivePage()->Invalidate();
  Invalidate();
}

void TbsSkinPageControl::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TPageControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) {
    FSD = nullptr;
    FIndex = -1;
  }
  if (AComponent == FImages) {
    AddRoom(-(FTabPosition == tpLeft || FTabPosition == tpRight ? FImages->Height() : FImages->Width()));
    FImages = nullptr;
    Invalidate();
  }
  if (AComponent == FSkinUpDown) FSkinUpDown = nullptr;
}

void TbsSkinPageControl::Loaded() {
  forms::TPageControl::Loaded();
  GetSkinData();
  if (!HasSkinEntry()) {
    SetItemSize(FTabWidth, FTabHeight > 0 ? FTabHeight : FDefaultItemHeight);
    UpdateScrollerPosition();
    Realign();
  }
}

void TbsSkinPageControl::SetDefaultItemHeight(int Value) {
  FDefaultItemHeight = Value;
  GetSkinData();
  if (!HasSkinEntry()) {
    SetItemSize(FTabWidth, FTabHeight > 0 ? FTabHeight : FDefaultItemHeight);
    UpdateScrollerPosition();
    Realign();
  }
}

// ---- properties
void TbsSkinPageControl::SetTabPosition(TTabPosition Value) {
  if (FTabPosition == Value) return;
  FTabPosition = Value;
  Realign();
  Invalidate();
}

void TbsSkinPageControl::SetTabHeight(int Value) {
  FTabHeight = Value;
  SetItemSize(FTabWidth, Value);
}

void TbsSkinPageControl::SetTabWidth(int Value) {
  FTabWidth = Value;
  SetItemSize(Value, FTabHeight > 0 ? FTabHeight : FItemHeight);
}

void TbsSkinPageControl::SetMultiLine(bool Value) {
  if (FMultiLine == Value) return;
  FMultiLine = Value;
  FFirstTab = 0;
  if (Value) RemoveScroller();
  Realign();
  Invalidate();
}

void TbsSkinPageControl::SetStyle(TTabStyle Value) {
  FStyle = Value;
  Realign();
  Invalidate();
}

int TbsSkinPageControl::TabIndex() const {
  forms::TTabSheet* P = ActivePage();
  return P && P->TabVisible() ? P->TabIndex() : -1;
}

void TbsSkinPageControl::SetTabExtededDraw(bool Value) {
  FTabExtendedDraw = Value;
  Invalidate();
}

void TbsSkinPageControl::SetTabMargin(int Value) {
  if (Value < -1 || Value == FTabMargin) return;
  FTabMargin = Value;
  Invalidate();
}

void TbsSkinPageControl::SetTabSpacing(int Value) {
  if (Value == FTabSpacing) return;
  FTabSpacing = Value;
  Invalidate();
}

void TbsSkinPageControl::SetTabLayout(TbsButtonLayout Value) {
  if (Value == FTabLayout) return;
  FTabLayout = Value;
  Invalidate();
}

void TbsSkinPageControl::SetTextInHorizontal(bool Value) {
  FTextInHorizontal = Value;
  Invalidate();
}

void TbsSkinPageControl::SetTabsBGTransparent(bool Value) {
  if (FTabsBGTransparent == Value) return;
  FTabsBGTransparent = Value;
  Invalidate();
}

void TbsSkinPageControl::SetTabsInCenter(bool Value) {
  if (Value && FTabWidth == 0) return;  // centring needs tabs of one width
  FTabsInCenter = Value;
  if (Value) {
    SetTabPosition(tpTop);
    SetMultiLine(false);
    FTabsBGTransparent = true;
  }
  Invalidate();
}

void TbsSkinPageControl::SetTabsOffset(int Value) {
  FTabsOffset = Value;
  if (Value > 0) {
    SetTabPosition(tpTop);
    SetMultiLine(false);
    FTabsBGTransparent = true;
  }
  Invalidate();
}

void TbsSkinPageControl::AddRoom(int Delta) {
  if (FTabPosition == tpLeft || FTabPosition == tpRight)
    FTempImages->SetHeight(std::max(0, FTempImages->Height() + Delta));
  else
    FTempImages->SetWidth(std::max(0, FTempImages->Width() + Delta));
  Realign();
}

int TbsSkinPageControl::ReservedRoom() const {
  return FTabPosition == tpLeft || FTabPosition == tpRight ? FTempImages->Height() : FTempImages->Width();
}

void TbsSkinPageControl::SetImages(forms::TCustomImageList* Value) {
  const bool Side = FTabPosition == tpLeft || FTabPosition == tpRight;
  if (FImages) {
    AddRoom(-(Side ? FImages->Height() : FImages->Width()));
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    AddRoom(Side ? FImages->Height() : FImages->Width());
    FImages->FreeNotification(this);
  }
  Invalidate();
}

void TbsSkinPageControl::SetShowCloseButtons(bool Value) {
  if (FShowCloseButtons == Value) return;
  FShowCloseButtons = Value;
  AddRoom(Value ? FCloseSize : -FCloseSize);
  Invalidate();
}

// ---- hidden tabs and border
void TbsSkinPageControl::HideTabs() {
  if (FOldTabHeight != -1 || VisibleTabs().empty()) return;
  FHideTabs = true;
  FOLdTabPosition = FTabPosition;
  FOldMultiLine = FMultiLine;
  if (FTabPosition == tpLeft || FTabPosition == tpRight) SetTabPosition(tpTop);
  SetMultiLine(false);
  FOldTabHeight = FTabHeight;
  SetTabHeight(1);
  RemoveScroller();
  Realign();
  Invalidate();
}

void TbsSkinPageControl::ShowTabs() {
  if (FOldTabHeight == -1) return;
  SetTabPosition(FOLdTabPosition);
  SetMultiLine(FOldMultiLine);
  FHideTabs = false;
  SetTabHeight(FOldTabHeight);
  GetSkinData();
  if (FOldTabHeight <= 0 && HasSkinEntry()) SetItemSize(FTabWidth, RectHeight(TabRect));
  FOldTabHeight = -1;
  if (!FMultiLine) UpdateScroller();
  Realign();
  Invalidate();
}

void TbsSkinPageControl::HideBorderAndTabs() {
  SetTabPosition(tpTop);
  FHideTabs = true;
  FHideBorder = true;
  RemoveScroller();
  Realign();
  Invalidate();
}

void TbsSkinPageControl::ShowBorderAndTabs() {
  FHideTabs = false;
  FHideBorder = false;
  ShowTabs();
  Realign();
  Invalidate();
}

void TbsSkinPageControl::UpDateTabs() {
  GetSkinData();
  const int H = FTabHeight > 0 ? FTabHeight : !HasSkinEntry() ? FDefaultItemHeight : RectHeight(TabRect);
  SetItemSize(FTabWidth, H);
  if (FMultiLine) RemoveScroller();
  Realign();
}

// ---- the tab strip
int TbsSkinPageControl::NativeThickness() {
  return FItemHeight > 0 ? FItemHeight : forms::FontTextHeight(Font()) + 6;
}

int TbsSkinPageControl::NativeTabLength(TTabSheet* P) {
  if (FItemWidth > 0) return FItemWidth;
  return forms::FontTextWidth(Font(), forms::StripHotkey(P->Caption())) + 12 + ReservedRoom();
}

TbsSkinPageControl::NativeLayout TbsSkinPageControl::Layout() {
  NativeLayout L;
  const auto Tabs = VisibleTabs();
  const int N = int(Tabs.size());
  const bool Horz = FTabPosition == tpTop || FTabPosition == tpBottom;
  const int Extent = Horz ? Width() : Height();
  const int Th = NativeThickness();
  std::vector<int> Len(N), Pos(N), Row(N);
  for (int i = 0; i < N; ++i) Len[i] = NativeTabLength(Tabs[i]);
  int Rows = 1;
  // Tabs at the sides always wrap into rows, as the system's vertical tabs do.
  if (!FMultiLine && Horz) {
    FFirstTab = std::clamp(FFirstTab, 0, std::max(0, N - 1));
    int X = 2;
    for (int i = 0; i < FFirstTab; ++i) X -= Len[i];
    for (int i = 0; i < N; ++i) {
      Pos[i] = X;
      X += Len[i];
    }
  } else {
    int X = 2, R = 0;
    for (int i = 0; i < N; ++i) {
      if (X > 2 && X + Len[i] > Extent - 2) {
        ++R;
        X = 2;
      }
      Pos[i] = X;
      Row[i] = R;
      X += Len[i];
    }
    Rows = R + 1;
    // The row of the selected tab lies next to the pages.
    const int Sel = TabIndex();
    if (Sel >= 0 && Sel < N && Row[Sel] != Rows - 1) {
      const int SR = Row[Sel];
      for (int& r : Row) r = r == SR ? Rows - 1 : r == Rows - 1 ? SR : r;
    }
  }
  const int W = Width(), H = Height();
  for (int i = 0; i < N; ++i) {
    const int O = 2 + Row[i] * Th;
    const int A = Pos[i], B = Pos[i] + Len[i];
    switch (FTabPosition) {
      case tpTop: L.Items.push_back({A, O, B, O + Th}); break;
      case tpBottom: L.Items.push_back({A, H - O - Th, B, H - O}); break;
      case tpLeft: L.Items.push_back({O, A, O + Th, B}); break;
      case tpRight: L.Items.push_back({W - O - Th, A, W - O, B}); break;
    }
  }
  L.Rows = Rows;
  const int Band = 2 + Rows * Th;
  switch (FTabPosition) {
    case tpTop: L.Display = {4, Band + 4, W - 4, H - 4}; break;
    case tpBottom: L.Display = {4, 4, W - 4, H - Band - 2}; break;
    case tpLeft: L.Display = {Band + 2, 4, W - 4, H - 4}; break;
    case tpRight: L.Display = {4, 4, W - Band - 2, H - 4}; break;
  }
  return L;
}

void TbsSkinPageControl::AdjustItemRect(TRect& R) {
  if (FStyle != tsTabs) return;
  switch (FTabPosition) {
    case tpTop:
      if (!FMultiLine) R = Shifted(R, -2, 0);
      R = Shifted(R, 0, -2);
      if (FTabsInCenter || FTabsOffset > 0) R = Shifted(R, CalcTabsOffset(), 0);
      break;
    case tpBottom:
      if (!FMultiLine) R = Shifted(R, -2, 0);
      R = Shifted(R, 0, 2);
      break;
    case tpLeft: R = Shifted(R, -2, 0); break;
    case tpRight: R = Shifted(R, 2, 0); break;
  }
}

void TbsSkinPageControl::AdjustDisplayRect(TRect& R) {
  if (FHideBorder) {
    R = {0, -2, Width(), Height()};
    return;
  }
  const int L = ClRect.Left, T = ClRect.Top, Rb = RectWidth(SkinRect) - ClRect.Right,
            Bb = RectHeight(SkinRect) - ClRect.Bottom, CW = ClientWidth(), CH = ClientHeight();
  const bool Skin = HasSkinEntry();
  switch (FTabPosition) {
    case tpTop:
      R = Skin ? TRect{L, R.Top + T - 6, CW - Rb, CH - Bb} : TRect{1, R.Top - 5, CW - 1, CH - 1};
      if (FHideTabs) R.Top -= 1;
      break;
    case tpBottom:
      R = Skin ? TRect{L, R.Top + T - 4, CW - Rb, R.Bottom + 4 - Bb} : TRect{1, 1, CW - 1, R.Bottom + 3};
      if (FHideTabs && Skin) R.Bottom += 1;
      break;
    case tpLeft:
      // Without a skin the frame's top edge stays inside the control (at
      // Top - 5 it would be drawn above it).
      R = Skin ? TRect{R.Left + L - 4, R.Top + T - 4, CW - Rb, CH - Bb} : TRect{R.Left - 3, 1, CW - 1, CH - 1};
      if (FHideTabs) R.Left -= 1;
      break;
    case tpRight:
      R = Skin ? TRect{L, R.Top + T - 4, R.Right + 4 - Rb, CH - Bb}
               : TRect{R.Left - 3, 1, R.Right + 3, CH - 1};
      if (FHideTabs) R.Right += 1;
      break;
  }
}

void TbsSkinPageControl::AdjustClientRect(TRect& R) {
  GetSkinData();
  Perform(TCM_ADJUSTRECT, 0, reinterpret_cast<win::LPARAM>(&R));
}

void TbsSkinPageControl::GetItemRect(int Index, TRect& R) {
  R = {};
  Perform(TCM_GETITEMRECT, win::WPARAM(Index), reinterpret_cast<win::LPARAM>(&R));
  if (Index == 0 && !FMultiLine) R.Left += 1;
}

void TbsSkinPageControl::SetItemSize(int AWidth, int AHeight) {
  Perform(TCM_SETITEMSIZE, 0, win::MAKELPARAM(AWidth, AHeight));
}

int TbsSkinPageControl::CalcTabsOffset() {
  if (FTabsOffset > 0) return FTabsOffset;
  if (FTabWidth == 0) return 0;
  return std::max(0, Width() / 2 - int(VisibleTabs().size()) * FTabWidth / 2);
}

int TbsSkinPageControl::HiddenTabCount() {
  if (FTabPosition == tpLeft || FTabPosition == tpRight) return 0;  // side tabs always wrap
  int N = 0;
  const int Count = int(VisibleTabs().size());
  for (int i = 0; i < Count; ++i) {
    TRect R;
    GetItemRect(i, R);
    if (R.Right <= 0 || R.Right > Width() - 3) ++N;
  }
  return N;
}

int TbsSkinPageControl::ScrolledTabCount() {
  if (FTabPosition == tpLeft || FTabPosition == tpRight) return 0;
  int N = 0;
  const int Count = int(VisibleTabs().size());
  for (int i = 0; i < Count; ++i) {
    TRect R;
    GetItemRect(i, R);
    if (R.Right <= 0) ++N;
  }
  return N;
}

// ---- messages
void TbsSkinPageControl::Dispatch(TMessage& M) {
  const bool Offset = FTabsInCenter || FTabsOffset > 0;
  switch (M.Msg) {
    case TCM_GETITEMRECT: {
      auto* R = reinterpret_cast<TRect*>(M.LParam);
      NativeLayout L = Layout();
      const int i = int(M.WParam);
      M.Result = 0;
      if (!R || i < 0 || i >= int(L.Items.size())) return;
      *R = L.Items[std::size_t(i)];
      AdjustItemRect(*R);
      M.Result = 1;
      return;
    }
    case TCM_ADJUSTRECT: {
      auto* R = reinterpret_cast<TRect*>(M.LParam);
      if (!R) return;
      *R = Layout().Display;
      AdjustDisplayRect(*R);
      M.Result = 0;
      return;
    }
    case TCM_SETITEMSIZE: {
      M.Result = win::MAKELRESULT(FItemWidth, FItemHeight);
      FItemWidth = win::LOWORD(std::uintptr_t(M.LParam));
      FItemHeight = win::HIWORD(std::uintptr_t(M.LParam));
      Realign();
      Invalidate();
      return;
    }
    case TCM_SETCURSEL: {
      const auto Tabs = VisibleTabs();
      const int i = int(M.WParam);
      M.Result = TabIndex();
      if (i >= 0 && i < int(Tabs.size())) {
        SetActivePage(Tabs[std::size_t(i)]);
        MakeTabVisible();
      }
      if (!Loading()) Invalidate();
      return;
    }
    case MSG_SKIN_PAINT_TO_DC: M.Result = SKIN_PAINT_TO_DC_ANSWER; return;
    case MSG_CHECK_PARENT_BACKGROUND:
      if (FTabsBGTransparent) Invalidate();
      return;
    case win::WM_HSCROLL:
      if (win::LOWORD(M.WParam) == SB_THUMBPOSITION) {
        FFirstTab = win::HIWORD(M.WParam);
        Layout();  // clamps
        Invalidate();
      }
      return;
    case win::WM_LBUTTONDOWN: case win::WM_LBUTTONUP: case win::WM_LBUTTONDBLCLK:
      if (Offset) {
        const int X = std::int16_t(win::LOWORD(std::uintptr_t(M.LParam))) - CalcTabsOffset();
        M.LParam = win::MAKELPARAM(X, std::int16_t(win::HIWORD(std::uintptr_t(M.LParam))));
      }
      break;
    case win::WM_MOUSEWHEEL: {
      forms::TPageControl::Dispatch(M);
      if (!MouseWheelSupport || !ActivePage()) return;
      const int From = ActivePage()->PageIndex();
      if (win::GET_WHEEL_DELTA_WPARAM(M.WParam) < 0) {
        for (int i = From + 1; i < PageCount(); ++i)
          if (Pages(i)->TabVisible()) {
            SetActivePage(Pages(i));
            break;
          }
      } else {
        for (int i = From - 1; i >= 0; --i)
          if (Pages(i)->TabVisible()) {
            SetActivePage(Pages(i));
            break;
          }
      }
      MakeTabVisible();
      UpdateScrollerPosition();
      return;
    }
    case forms::CM_MOUSELEAVE:
      forms::TPageControl::Dispatch(M);
      UpdateHotTab(-1, -1);
      ForgetHotTab();
      return;
    default: break;
  }
  forms::TPageControl::Dispatch(M);
}

// ---- the hot tab and close buttons
TbsSkinCustomTabSheet* TbsSkinPageControl::SkinPage(int PageIndex) const {
  return PageIndex >= 0 && PageIndex < PageCount() ? dynamic_cast<TbsSkinCustomTabSheet*>(Pages(PageIndex)) : nullptr;
}

void TbsSkinPageControl::UpdateHotTab(int X, int Y) {
  if (FHideTabs) return;
  FOldActiveTab = FActiveTab;
  FOldActiveTabIndex = FActiveTabIndex;
  FActiveTab = FActiveTabIndex = -1;
  const auto Tabs = VisibleTabs();
  for (int i = 0; i < int(Tabs.size()); ++i) {
    TRect R;
    GetItemRect(i, R);
    if (InRect(R, X, Y)) {
      FActiveTabIndex = i;
      FActiveTab = Tabs[std::size_t(i)]->PageIndex();
      break;
    }
  }
  const int Sel = TabIndex();
  if (FActiveTabIndex != FOldActiveTabIndex) {
    if (FOldActiveTabIndex != -1 && FOldActiveTabIndex != Sel) {
      if (auto* P = SkinPage(FOldActiveTab)) P->ButtonMouseIn = P->ButtonMouseDown = false;
      Invalidate();
    }
    if (FActiveTabIndex != -1 && FActiveTabIndex != Sel) Invalidate();
  }
  if (FActiveTab != -1 && FShowCloseButtons) {
    TbsSkinCustomTabSheet* P = SkinPage(FActiveTab);
    if (!P) return;
    const bool In = CloseButtonHit(X, Y, false);
    if (In && !P->ButtonMouseIn) {
      P->ButtonMouseIn = true;
      Invalidate();
    } else if (!In && P->ButtonMouseIn) {
      P->ButtonMouseIn = P->ButtonMouseDown = false;
      Invalidate();
    }
  }
}

void TbsSkinPageControl::ForgetHotTab() {
  const int Sel = TabIndex();
  if ((FOldActiveTabIndex != -1 && FOldActiveTabIndex != Sel) || (FActiveTabIndex != -1 && FActiveTabIndex != Sel)) {
    FOldActiveTab = FOldActiveTabIndex = FActiveTab = FActiveTabIndex = -1;
    Invalidate();
  }
}

bool TbsSkinPageControl::CloseButtonHit(int X, int Y, bool ShiftedByOffset) {
  TbsSkinCustomTabSheet* P = SkinPage(FActiveTab);
  if (!P || FActiveTabIndex < 0) return false;
  TRect R;
  GetItemRect(FActiveTabIndex, R);
  const int DX = ShiftedByOffset && (FTabsInCenter || FTabsOffset > 0) ? CalcTabsOffset() : 0;
  return InRect(Shifted(P->ButtonRect, R.Left - DX, R.Top), X, Y);
}

void TbsSkinPageControl::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  const bool Offset = FTabsInCenter || FTabsOffset > 0;
  if (Button == forms::mbLeft && !FHideTabs) {
    // The strip's own hit test, on the layout before centring.
    const auto Tabs = VisibleTabs();
    for (int i = 0; i < int(Tabs.size()); ++i) {
      TRect R;
      GetItemRect(i, R);
      if (Offset) R = Shifted(R, -CalcTabsOffset(), 0);
      if (!InRect(R, X, Y)) continue;
      if (CanFocus() && !Focused()) SetFocus();
      if (!Live.Alive()) return;
      SelectPage(Tabs[std::size_t(i)]);
      if (!Live.Alive()) return;
      break;
    }
  }
  forms::TCustomControl::MouseDown(Button, Shift, X, Y);
  if (!Live.Alive() || FHideTabs) return;
  if (!Offset) UpdateHotTab(X, Y);
  if (Button == forms::mbLeft && FActiveTab != -1 && FShowCloseButtons) {
    if (TbsSkinCustomTabSheet* P = SkinPage(FActiveTab)) {
      const bool In = CloseButtonHit(X, Y, true);
      P->ButtonMouseIn = P->ButtonMouseDown = In;
      Invalidate();
    }
  }
}

void TbsSkinPageControl::MouseMove(forms::TShiftState Shift, int X, int Y) {
  if (!ComponentState().Contains(rtl::csDesigning)) UpdateHotTab(X, Y);
  forms::TPageControl::MouseMove(Shift, X, Y);
}

void TbsSkinPageControl::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  forms::TPageControl::MouseUp(Button, Shift, X, Y);
  if (!Live.Alive() || FHideTabs) return;
  if (!(FTabsInCenter || FTabsOffset > 0)) UpdateHotTab(X, Y);
  if (Button != forms::mbLeft || FActiveTab == -1 || !FShowCloseButtons) return;
  TbsSkinCustomTabSheet* P = SkinPage(FActiveTab);
  if (!P) return;
  // A click needs the press on the button as well as the release.
  const bool Clicked = P->ButtonMouseDown && CloseButtonHit(X, Y, true);
  P->ButtonMouseIn = Clicked;
  P->ButtonMouseDown = false;
  Invalidate();
  if (Clicked) CloseActivePage();
}

void TbsSkinPageControl::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  // Tabs at the sides step with the up and down arrows.
  if ((FTabPosition == tpLeft || FTabPosition == tpRight) && (Key == win::VK_UP || Key == win::VK_DOWN)) {
    forms::TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    SelectNextPage(Key == win::VK_DOWN);
    Key = 0;
    return;
  }
  forms::TPageControl::KeyDown(Key, Shift);
}

void TbsSkinPageControl::CloseActivePage() {
  TTabSheet* P = ActivePage();
  if (!P) return;
  forms::TLiveness Live = Liveness();
  bool CanClose = true;
  if (OnClose) OnClose(P, CanClose);
  if (!Live.Alive()) return;
  if (CanClose) {
    FActiveTab = FActiveTabIndex = FOldActiveTab = FOldActiveTabIndex = -1;
    P->SetTabVisible(false);
    if (FreeOnClose) delete P;
    if (OnAfterClose) OnAfterClose(this);
    return;
  }
  win::POINT Pt{};
  win::GetCursorPos(&Pt);
  if (!HandleAllocated() || win::WindowFromPoint(Pt) != Handle()) {
    if (auto* S = dynamic_cast<TbsSkinCustomTabSheet*>(P)) S->ButtonMouseIn = S->ButtonMouseDown = false;
    Invalidate();
  }
}

// ---- the scroller
void TbsSkinPageControl::CreateScroller() {
  if (FHideTabs || FSkinUpDown) return;
  // The skinned up-down in place of the native arrows: its own faces, hot
  // look and repeat while an arrow is held.
  FSkinUpDown = new TbsSkinUpDown(this);
  FSkinUpDown->SetBounds(0, 0, FDefaultItemHeight * 2, FDefaultItemHeight);
  FSkinUpDown->SetMin(0);
  FSkinUpDown->SetMax(HiddenTabCount());
  FSkinUpDown->SetPosition(ScrolledTabCount());
  FSkinUpDown->SetIncrement(1);
  FSkinUpDown->OnChange = [this](TObject* S) { ScrollerChange(S); };
  FSkinUpDown->SetBounds(Width() - FSkinUpDown->Width(), FTabPosition == tpTop ? 0 : Height() - FSkinUpDown->Height(),
                         FSkinUpDown->Width(), FSkinUpDown->Height());
  FSkinUpDown->SetSkinDataName(UpDown.empty() ? String(u"hupdown") : UpDown);
  FSkinUpDown->SetSkinData(FSD);
  FSkinUpDown->SetParent(this);
  FSkinUpDown->SetVisible(true);
}

void TbsSkinPageControl::RemoveScroller() {
  delete FSkinUpDown;
  FSkinUpDown = nullptr;
}

void TbsSkinPageControl::UpdateScroller() {
  const int Count = int(VisibleTabs().size());
  if (!FMultiLine && FFirstTab > 0) {
    // Scrolled tabs come back once everything fits from the first one.
    int Total = 2;
    for (auto* P : VisibleTabs()) Total += NativeTabLength(P);
    if (Total - 2 <= Width() - 3) FFirstTab = 0;
  }
  const int N = Count ? HiddenTabCount() : 0;
  if (N == 0 || FMultiLine || FHideTabs)
    RemoveScroller();
  else if (!FSkinUpDown)
    CreateScroller();
  if (!FSkinUpDown) return;
  FSkinUpDown->SetMax(N);
  FSkinUpDown->SetBounds(Width() - FSkinUpDown->Width(), FTabPosition == tpTop ? 0 : Height() - FSkinUpDown->Height(),
                         FSkinUpDown->Width(), FSkinUpDown->Height());
  FSkinUpDown->BringToFront();
}

void TbsSkinPageControl::ScrollerChange(TObject*) {
  if (!FSkinUpDown) return;
  FSkinUpDown->SetMax(HiddenTabCount());
  Perform(win::WM_HSCROLL, win::WPARAM(win::MAKELPARAM(SB_THUMBPOSITION, FSkinUpDown->Position())), 0);
}

void TbsSkinPageControl::UpdateScrollerPosition() {
  if (FSkinUpDown) {
    FSkinUpDown->SetMax(HiddenTabCount());
    FSkinUpDown->SetPosition(ScrolledTabCount());
  }
  Invalidate();
}

void TbsSkinPageControl::MakeTabVisible() {
  if (FMultiLine) return;
  const int Sel = TabIndex();
  if (Sel < 0) return;
  const int Limit = FSkinUpDown ? FSkinUpDown->Left() : Width() - 3;
  TRect R;
  GetItemRect(Sel, R);
  if (R.Left < 0) FFirstTab = Sel;
  for (int Guard = 0; Guard < 1000 && R.Right > Limit && FFirstTab < Sel; ++Guard) {
    ++FFirstTab;
    GetItemRect(Sel, R);
  }
}

void TbsSkinPageControl::Change() {
  MakeTabVisible();
  UpdateScrollerPosition();
  forms::TLiveness Live = Liveness();
  forms::TPageControl::Change();
  if (!Live.Alive()) return;
  Invalidate();
  if (ActivePage()) ActivePage()->Invalidate();
}

void TbsSkinPageControl::Resize() {
  GetSkinData();
  forms::TPageControl::Resize();
  if (!FMultiLine && !ComponentState().Contains(rtl::csDesigning)) UpdateScroller();
}

void TbsSkinPageControl::Paint() {
  // Pages added, captions changed: the strip may have started or stopped
  // overflowing since the last resize.
  if (!FMultiLine && !FHideTabs && (HiddenTabCount() > 0) != (FSkinUpDown != nullptr)) UpdateScroller();
  PaintClient(Canvas()->Handle());
}

}  // namespace skin
