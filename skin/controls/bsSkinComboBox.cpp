#include "skin/controls/bsSkinComboBox.h"

#include <algorithm>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsAppMessageFilters.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

using forms::TLiveness;

namespace {

constexpr unsigned kAutoScrollTimer = 1;
constexpr unsigned kAutoScrollInterval = 25;
constexpr unsigned kFadeTimer = 2;
constexpr win::DWORD kSearchResetMs = 500;
constexpr win::DWORD kAutoCompleteMs = 200;
constexpr unsigned CM_REGRAB = win::WM_USER + 0x3A0;

bool IsLoading(TComponent* C) {
  return C->ComponentState().Contains(rtl::csLoading) || C->ComponentState().Contains(rtl::csDesigning);
}

win::POINT CursorPos() {
  win::POINT P{};
  win::GetCursorPos(&P);
  return P;
}

}  // namespace

// ------------------------------------------------------------------ popup list
TbsPopupListBox::TbsPopupListBox(TComponent* AOwner) : TbsSkinListBox(AOwner) {
  SetControlStyle(ControlStyle() + forms::TControlStyle{forms::csAcceptsControls, forms::csNoDesignVisible,
                                                        forms::csReplicatable});
  SetVisible(false);
  SetTabStop(false);
  ListBox->SetTabStop(false);
}

void TbsPopupListBox::CreateParams(forms::TCreateParams& P) {
  TbsSkinListBox::CreateParams(P);
  MenuPopupWindowParams(P);
  P.Style |= win::WS_CLIPCHILDREN;
}

void TbsPopupListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_MOUSEACTIVATE: M.Result = win::MA_NOACTIVATE; return;
    case forms::CM_VISIBLECHANGED: return;  // shown and hidden without activation by Show and Hide
    case win::WM_TIMER:
      if (M.WParam == kFadeTimer) {
        if (!PopupFadeStep(this, FOldAlphaBlendValue, FadeAlpha)) win::KillTimer(Handle(), kFadeTimer);
        return;
      }
      break;
    default: break;
  }
  TbsSkinListBox::Dispatch(M);
}

void TbsPopupListBox::Show(TPoint Origin) {
  HandleNeeded();
  SetBounds(Origin.X, Origin.Y, Width(), Height());
  win::SetWindowPos(Handle(), win::HWND_TOPMOST, Origin.X, Origin.Y, 0, 0,
                    win::SWP_SHOWWINDOW | win::SWP_NOACTIVATE | win::SWP_NOSIZE);
  SetVisible(true);
  Invalidate();
}

void TbsPopupListBox::StartFade(bool AlphaBlend, bool Animation, int Value) {
  ApplyPopupAlpha(this, AlphaBlend, Animation, Value, FOldAlphaBlend, FOldAlphaBlendValue);
  if (AlphaBlend && Animation && IsLayeringSupported()) {
    FOldAlphaBlendValue = Value;
    FadeAlpha = 0;
    win::SetTimer(Handle(), kFadeTimer, 5, nullptr);
  }
}

void TbsPopupListBox::Hide() {
  if (HandleAllocated()) {
    win::KillTimer(Handle(), kFadeTimer);
    win::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                      win::SWP_NOSIZE | win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                          win::SWP_HIDEWINDOW);
  }
  SetVisible(false);
}

// ------------------------------------------------------------------ face base
TbsSkinComboFace::TbsSkinComboFace(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FWatchAlive = std::make_shared<bool>(true);
}

TbsSkinComboFace::~TbsSkinComboFace() {
  *FWatchAlive = false;
  RemoveAppMessageFilter(this);
}

void TbsSkinComboFace::SetUseSkinSize(bool Value) {
  FUseSkinSize = Value;
  if (!ComponentState().Contains(rtl::csLoading)) ChangeSkinData();
}

void TbsSkinComboFace::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FIndex == -1) Invalidate();
}

bool TbsSkinComboFace::CanCancelDropDown() const {
  if (!IsPopupVisible()) return false;
  if (!HandleAllocated()) return true;
  win::RECT R;
  win::GetWindowRect(const_cast<TbsSkinComboFace*>(this)->Handle(), &R);
  return !R.Contains(CursorPos());
}

void TbsSkinComboFace::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  if (FIndex == -1) return;
  auto* D = dynamic_cast<TbsDataSkinComboBox*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) return;
  ActiveSkinRect = D->ActiveSkinRect;
  ActiveFontColor = D->ActiveFontColor;
  SItemRect = D->SItemRect;
  ActiveItemRect = D->ActiveItemRect;
  FocusItemRect = IsEmptyRect(D->FocusItemRect) ? D->SItemRect : D->FocusItemRect;
  ItemLeftOffset = D->ItemLeftOffset;
  ItemRightOffset = D->ItemRightOffset;
  ItemTextRect = D->ItemTextRect;
  FontName = D->FontName;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
  FontColor = D->FontColor;
  FocusFontColor = D->FocusFontColor;
  ButtonRect = D->ButtonRect;
  ActiveButtonRect = D->ActiveButtonRect;
  DownButtonRect = D->DownButtonRect;
  UnEnabledButtonRect = D->UnEnabledButtonRect;
  ListBoxName = D->ListBoxName;
  ItemStretchEffect = D->ItemStretchEffect;
  FocusItemStretchEffect = D->FocusItemStretchEffect;
  ShowFocus = D->ShowFocus;
}

void TbsSkinComboFace::AdjustSkinSize(int& W, int& H) {
  if (FUseSkinSize) {
    TbsSkinCustomControl::AdjustSkinSize(W, H);
    return;
  }
  if (FIndex == -1) return;
  NewLTPoint = LTPt;
  NewRTPoint = {RTPt.X + W - RectWidth(SkinRect), RTPt.Y};
  NewClRect = ClRect;
  NewClRect.Right += W - RectWidth(SkinRect);
}

void TbsSkinComboFace::UpdateSkinRegion() {
  if (FUseSkinSize) {
    TbsSkinCustomControl::UpdateSkinRegion();
    return;
  }
  if (HandleAllocated() && FHasRgn) {
    win::SetWindowRgn(Handle(), nullptr, true);
    FHasRgn = false;
  }
}

void TbsSkinComboFace::ApplyDefaultFont() { Font()->Assign(FDefaultFont.get()); }

void TbsSkinComboFace::UpdateFaceRects() {
  const int W = Width(), H = Height();
  if (FIndex == -1 || FToolButtonStyle) {
    Button.R = {W - 19, 2, W - 2, H - 2};
    CBItem.R = {2, 2, Button.R.Left - 1, H - 2};
    return;
  }
  const int dW = W - RectWidth(SkinRect);
  Button.R = ButtonRect;
  if (ButtonRect.Left >= RectWidth(SkinRect) - RTPt.X) {
    Button.R.Left += dW;
    Button.R.Right += dW;
  }
  CBItem.R = ClRect;
  CBItem.R.Right += dW;
  if (!FUseSkinSize) {
    const int dH = H - RectHeight(SkinRect);
    Button.R.Bottom += dH;
    CBItem.R.Bottom += dH;
  }
}

TPoint TbsSkinComboFace::PopupOrigin(int PopupWidth, int PopupHeight, bool RightAligned) {
  TPoint P{RightAligned ? Left() + Width() - PopupWidth : Left(), Top() + Height()};
  if (Parent()) P = Parent()->ClientToScreen(P);
  TRect WA{};
  GetMonitorWorkArea(HandleAllocated() ? Handle() : nullptr, true, WA);
  if (WA.Bottom < P.Y + PopupHeight) P.Y = P.Y - Height() - PopupHeight;
  return P;
}

void TbsSkinComboFace::StartAutoScroll(int Mode) {
  if (Mode == TimerMode) return;
  TimerMode = Mode;
  if (!HandleAllocated()) return;
  if (FTimerOn) win::KillTimer(Handle(), kAutoScrollTimer);
  win::SetTimer(Handle(), kAutoScrollTimer, kAutoScrollInterval, nullptr);
  FTimerOn = true;
}

void TbsSkinComboFace::StopAutoScroll() {
  if (FTimerOn && HandleAllocated()) win::KillTimer(Handle(), kAutoScrollTimer);
  FTimerOn = false;
  TimerMode = 0;
}

bool TbsSkinComboFace::IsOwnPopupWindow(win::HWND H) const {
  forms::TWinControl* P = PopupWindow();
  if (!H || !P || !P->HandleAllocated()) return false;
  for (win::HWND W = H; W; W = win::GetParent(W))
    if (W == P->Handle()) return true;
  return false;
}

void TbsSkinComboFace::WatchForm(bool On) {
  FWatching = On;
  if (!On) {
    RemoveAppMessageFilter(this);
    return;
  }
  // A press in any other window of the program closes the list; the press
  // goes on to its window.
  AddAppMessageFilter(this, [this](win::MSG& Msg) {
    switch (Msg.message) {
      case win::WM_LBUTTONDOWN:
      case win::WM_RBUTTONDOWN:
      case win::WM_MBUTTONDOWN:
      case win::WM_LBUTTONDBLCLK:
      case win::WM_NCLBUTTONDOWN:
      case win::WM_NCRBUTTONDOWN:
      case win::WM_NCMBUTTONDOWN: {
        if (IsOwnPopupWindow(Msg.hwnd)) return false;
        bool Own = false;
        for (win::HWND W = Msg.hwnd; W && HandleAllocated(); W = win::GetParent(W))
          if (W == Handle()) Own = true;
        if (!Own && IsPopupVisible()) CloseUp(false);
        return false;
      }
      case win::WM_LBUTTONUP:
        if (IsPopupVisible() && !FLBDown && HandleAllocated()) win::PostMessageW(Handle(), CM_REGRAB, 0, 0);
        return false;
      default: return false;
    }
  });
  // The form: moving it or leaving it closes the list.
  forms::TCustomForm* F = forms::GetParentForm(this);
  if (F && F != FWatchedForm) {
    FWatchedForm = F;
    forms::TWndMethod Old = F->WindowProc;
    if (!Old) Old = [F](TMessage& M) { F->WndProc(M); };
    std::weak_ptr<bool> Alive = FWatchAlive;
    F->WindowProc = [Old, Alive, this](TMessage& M) {
      Old(M);
      auto A = Alive.lock();
      if (!A || !*A || !FWatching) return;
      const bool Moved = M.Msg == win::WM_MOVE;
      const bool Left = M.Msg == win::WM_ACTIVATE && win::LOWORD(M.WParam) == win::WA_INACTIVE;
      if ((Moved || Left) && IsPopupVisible()) CloseUp(false);
    };
  }
}

void TbsSkinComboFace::GrabOutsideClicks() {
  forms::TWinControl* W = PopupRowsWindow();
  if (IsPopupVisible() && !FLBDown && W && W->HandleAllocated() && !W->MouseCapture()) W->SetMouseCapture(true);
}

void TbsSkinComboFace::ReleaseGrab() {
  forms::TWinControl* W = PopupRowsWindow();
  if (W && W->HandleAllocated() && W->MouseCapture()) W->SetMouseCapture(false);
}

bool TbsSkinComboFace::HandleGrabbedPress(TMessage& M) {
  forms::TWinControl* W = PopupRowsWindow();
  if (!W || !W->MouseCapture()) return false;
  const TPoint Client{win::GET_X_LPARAM(M.LParam), win::GET_Y_LPARAM(M.LParam)};
  const TPoint Screen = W->ClientToScreen(Client);
  const win::HWND Target = win::WindowFromPoint(Screen);
  if (Target == W->Handle() && W->ClientRect().Contains(Client)) return false;  // a press on the rows
  ReleaseGrab();
  auto Forward = [&] {
    if (!Target) return;
    win::POINT P = Screen;
    win::ScreenToClient(Target, &P);
    win::SendMessageW(Target, M.Msg, M.WParam, win::MAKELPARAM(win::WORD(P.X), win::WORD(P.Y)));
  };
  if (IsOwnPopupWindow(Target)) {  // the list's own scroll bars
    Forward();
    return true;
  }
  bool OnFace = false;
  for (win::HWND H = Target; H && HandleAllocated(); H = win::GetParent(H))
    if (H == Handle()) OnFace = true;
  TLiveness Live = Liveness();
  CloseUp(false);
  if (Live.Alive() && !OnFace) Forward();
  return true;
}

bool TbsSkinComboFace::FaceFocused() { return Focused(); }

void TbsSkinComboFace::FaceMouseDown(forms::TMouseButton Btn, int X, int Y) {
  TLiveness Live = Liveness();
  if (!Focused() && !HasEdit() && CanFocus()) {
    SetFocus();
    if (!Live.Alive()) return;
  }
  if (Btn != forms::mbLeft) return;
  const TPoint P{X, Y};
  const bool OnFace = Button.MouseIn || Button.R.Contains(P) || (CBItem.R.Contains(P) && !HasEdit()) || FToolButtonStyle;
  if (OnFace) {
    Button.Down = true;
    Invalidate();
    if (!IsPopupVisible()) {
      WasInLB = false;
      FLBDown = true;
      DropDown();
    } else {
      CloseUp(false);
    }
  } else if (IsPopupVisible()) {
    CloseUp(false);
  }
}

void TbsSkinComboFace::FaceMouseUp() {
  if (Button.Down) {
    Button.Down = false;
    Invalidate();
  }
}

void TbsSkinComboFace::TrackButtonHover(int X, int Y) {
  const bool In = Button.R.Contains(TPoint{X, Y});
  if (In != Button.MouseIn) {
    Button.MouseIn = In;
    Invalidate();
  }
}

void TbsSkinComboFace::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_TIMER:
      TbsSkinCustomControl::Dispatch(M);
      if (M.WParam == kAutoScrollTimer && TimerMode != 0) AutoScrollStep(TimerMode);
      return;
    case win::WM_SIZE:
      TbsSkinCustomControl::Dispatch(M);
      UpdateFaceRects();
      return;
    case win::WM_GETDLGCODE:
      M.Result = win::DLGC_WANTARROWS | win::DLGC_WANTCHARS;
      if (IsPopupVisible()) M.Result |= win::DLGC_WANTALLKEYS;
      return;
    case forms::CM_WANTSPECIALKEY:
      TbsSkinCustomControl::Dispatch(M);
      if (M.WParam >= 37 && M.WParam <= 40) M.Result = 1;
      if (IsPopupVisible() && (M.WParam == win::VK_RETURN || M.WParam == win::VK_ESCAPE)) M.Result = 1;
      return;
    case forms::CM_MOUSEENTER:
      TbsSkinCustomControl::Dispatch(M);
      FMouseIn = true;
      if ((FIndex != -1 && !IsEmptyRect(ActiveSkinRect)) || FToolButtonStyle) Invalidate();
      return;
    case forms::CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(M);
      FMouseIn = false;
      if (Button.MouseIn) {
        Button.MouseIn = false;
        Invalidate();
      }
      if ((FIndex != -1 && !IsEmptyRect(ActiveSkinRect)) || FToolButtonStyle) Invalidate();
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      if (!Enabled() && IsPopupVisible()) CloseUp(false);
      Invalidate();
      return;
    case win::WM_ERASEBKGND: M.Result = 1; return;
    case CM_REGRAB: GrabOutsideClicks(); return;
    default: break;
  }
  TbsSkinCustomControl::Dispatch(M);
}

// ------------------------------------------------------------------ combo box
TbsSkinCustomComboBox::TbsSkinCustomComboBox(TComponent* AOwner) : TbsSkinComboFace(AOwner) {
  SetControlStyle({forms::csCaptureMouse, forms::csOpaque, forms::csDoubleClicks, forms::csReplicatable,
                   forms::csAcceptsControls});
  FListBox = new TbsPopupListBox(this);
  FListBoxWindowProc = FListBox->ListBox->WindowProc;
  if (!FListBoxWindowProc) FListBoxWindowProc = [L = FListBox->ListBox](TMessage& M) { L->WndProc(M); };
  FListBox->ListBox->WindowProc = [this](TMessage& M) { ListBoxWindowProcHook(M); };
  FListBox->ListBox->OnMouseMove = [this](TObject*, forms::TShiftState, int X, int Y) { ListBoxHover(X, Y); };
  FListBox->OnCheckButtonClick = [this](TObject*) { CloseUp(true); };
  FListBox->UseSkinFont = true;
  SetTabStop(true);
  Font()->SetName(u"Arial");
  Font()->SetHeight(14);
  Font()->SetColor(gdi::clWindowText);
  SetBounds(Left(), Top(), 120, 20);
  FSkinDataName = u"combobox";
  UpdateFaceRects();
}

TbsSkinCustomComboBox::~TbsSkinCustomComboBox() {
  StopAutoScroll();
  WatchForm(false);
  if (FEdit) {
    TbsCustomEdit* E = FEdit;
    FEdit = nullptr;
    E->Free();
  }
  if (FListBox) {
    TbsPopupListBox* L = FListBox;
    FListBox = nullptr;
    L->Free();
  }
}

void TbsSkinCustomComboBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinComboFace::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (FListBox && AComponent == FListBox->Images()) SetImages(nullptr);
  if (AComponent == FListBox) FListBox = nullptr;
  if (AComponent == FEdit) FEdit = nullptr;
}

rtl::TStrings* TbsSkinCustomComboBox::Items() const { return FListBox->Items(); }
void TbsSkinCustomComboBox::SetItems(rtl::TStrings* Value) { FListBox->SetItems(Value); }
int TbsSkinCustomComboBox::ItemIndex() const { return FListBox ? FListBox->ItemIndex() : -1; }
forms::TCustomImageList* TbsSkinCustomComboBox::Images() const { return FListBox ? FListBox->Images() : nullptr; }
void TbsSkinCustomComboBox::SetImages(forms::TCustomImageList* Value) {
  FListBox->SetImages(Value);
  Invalidate();
}
int TbsSkinCustomComboBox::ImageIndex() const { return FListBox->ImageIndex(); }
void TbsSkinCustomComboBox::SetImageIndex(int Value) {
  FListBox->SetImageIndex(Value);
  Invalidate();
}
rtl::TStrings* TbsSkinCustomComboBox::TabWidths() const { return FListBox->TabWidths(); }
void TbsSkinCustomComboBox::SetTabWidths(rtl::TStrings* Value) {
  FListBox->SetTabWidths(Value);
  Invalidate();
}
bool TbsSkinCustomComboBox::Sorted() const { return FListBox->Sorted(); }
void TbsSkinCustomComboBox::SetSorted(bool Value) { FListBox->SetSorted(Value); }
bool TbsSkinCustomComboBox::HorizontalExtent() const { return FListBox->HorizontalExtent(); }
void TbsSkinCustomComboBox::SetHorizontalExtent(bool Value) { FListBox->SetHorizontalExtent(Value); }
String TbsSkinCustomComboBox::ListBoxCaption() const { return FListBox->Caption(); }
void TbsSkinCustomComboBox::SetListBoxCaption(const String& Value) { FListBox->SetCaption(Value); }
bool TbsSkinCustomComboBox::ListBoxCaptionMode() const { return FListBox->CaptionMode(); }
void TbsSkinCustomComboBox::SetListBoxCaptionMode(bool Value) { FListBox->SetCaptionMode(Value); }
gdi::TFont* TbsSkinCustomComboBox::ListBoxDefaultFont() const { return FListBox->DefaultFont(); }
void TbsSkinCustomComboBox::SetListBoxDefaultFont(gdi::TFont* Value) { FListBox->SetDefaultFont(Value); }
gdi::TFont* TbsSkinCustomComboBox::ListBoxDefaultCaptionFont() const { return FListBox->DefaultCaptionFont(); }
void TbsSkinCustomComboBox::SetListBoxDefaultCaptionFont(gdi::TFont* Value) { FListBox->SetDefaultCaptionFont(Value); }
int TbsSkinCustomComboBox::ListBoxDefaultItemHeight() const { return FListBox->DefaultItemHeight(); }
void TbsSkinCustomComboBox::SetListBoxDefaultItemHeight(int Value) { FListBox->SetDefaultItemHeight(Value); }
forms::TAlignment TbsSkinCustomComboBox::ListBoxCaptionAlignment() const { return FListBox->Alignment(); }
void TbsSkinCustomComboBox::SetListBoxCaptionAlignment(forms::TAlignment Value) { FListBox->SetAlignment(Value); }
bool TbsSkinCustomComboBox::ListBoxUseSkinFont() const { return FListBox->UseSkinFont; }
void TbsSkinCustomComboBox::SetListBoxUseSkinFont(bool Value) { FListBox->UseSkinFont = Value; }
bool TbsSkinCustomComboBox::ListBoxUseSkinItemHeight() const { return FListBox->UseSkinItemHeight(); }
void TbsSkinCustomComboBox::SetListBoxUseSkinItemHeight(bool Value) { FListBox->SetUseSkinItemHeight(Value); }

void TbsSkinCustomComboBox::SetOnListBoxDrawItem(TbsDrawSkinItemEvent Value) {
  FOnListBoxDrawItem = Value;
  FListBox->OnDrawItem = Value;
}

void TbsSkinCustomComboBox::SetToolButtonStyle(bool Value) {
  if (FToolButtonStyle == Value) return;
  FToolButtonStyle = Value;
  if (Value) {
    SetStyle(bscbFixedStyle);
    FUseSkinSize = false;
  }
  Invalidate();
}

void TbsSkinCustomComboBox::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FIndex == -1) {
    Invalidate();
    if (FEdit) FEdit->SetColor(Value);
  }
}

void TbsSkinCustomComboBox::Invalidate() {
  TbsSkinComboFace::Invalidate();
  if (FIndex != -1 && FEdit) FEdit->Invalidate();
}

bool TbsSkinCustomComboBox::IsPopupVisible() const { return FListBox && FListBox->Visible(); }

void TbsSkinCustomComboBox::SetItemIndex(int Value) {
  TLiveness Live = Liveness();
  FListBox->SetItemIndex(Value);
  const int I = FListBox->ItemIndex();
  if (Items()->Count() > 0 && I != -1) SetText(Items()->Get(I));
  if (!Live.Alive()) return;
  FOldItemIndex = FListBox->ItemIndex();
  if (!FEdit) Invalidate();
  if (IsLoading(this)) return;
  if (OnClick) OnClick(this);
  if (Live.Alive()) Change();
}

void TbsSkinCustomComboBox::DropDown() {
  if (Items()->Count() == 0) return;
  TLiveness Live = Liveness();
  WasInLB = false;
  StopAutoScroll();
  if (OnDropDown) OnDropDown(this);
  if (!Live.Alive() || Items()->Count() == 0) return;
  FListBox->SetWidth(ListBoxWidth > 0 ? ListBoxWidth : Width());
  FListBox->SetRowCount(std::min(Items()->Count(), FDropDownCount));
  const TPoint Origin = PopupOrigin(FListBox->Width(), FListBox->Height(), false);
  if (FEdit && FEdit->CanFocus()) FEdit->SetFocus();
  FOldItemIndex = FListBox->ItemIndex();
  if (FOldItemIndex == 0 && Items()->Count() > 1) {
    FListBox->SetItemIndex(1);
    FListBox->SetItemIndex(0);
  }
  FDropDown = true;
  if (FToolButtonStyle) Invalidate();
  FListBox->SetTopIndex(std::max(0, FListBox->ItemIndex()));
  if (FListBox->SkinData() != FSD) {
    FListBox->SetSkinData(FSD);
    if (!FSD) FListBox->ChangeSkinData();
  }
  FListBox->Show(Origin);
  FListBox->StartFade(AlphaBlend, AlphaBlendAnimation, AlphaBlendValue);
  FListBox->UpDateScrollBar();
  WatchForm(true);
  GrabOutsideClicks();
}

void TbsSkinCustomComboBox::CloseUp(bool Value) {
  StopAutoScroll();
  if (!IsPopupVisible()) return;
  TLiveness Live = Liveness();
  FListBox->Hide();
  WatchForm(false);
  ReleaseGrab();
  if (MouseCapture()) SetMouseCapture(false);
  FLBDown = false;
  const int I = FListBox->ItemIndex();
  if (I < 0) {
    FListBox->SetItemIndex(FOldItemIndex);
  } else if (I < Items()->Count() && Value) {
    if (FEdit) {
      FEdit->SetText(Items()->Get(I));
      if (!Live.Alive()) return;
      FEdit->SelectAll();
    } else {
      SetText(Items()->Get(I));
      if (!Live.Alive()) return;
      Invalidate();
    }
    if (OnClick) OnClick(this);
    if (!Live.Alive()) return;
    Change();
    if (!Live.Alive()) return;
  } else {
    FListBox->SetItemIndex(FOldItemIndex);
  }
  FDropDown = false;
  Invalidate();
  if (Value && OnCloseUp) OnCloseUp(this);
}

void TbsSkinCustomComboBox::ListBoxWindowProcHook(TMessage& M) {
  switch (M.Msg) {
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK:
      if (HandleGrabbedPress(M)) return;
      break;
    default: break;
  }
  switch (M.Msg) {
    case win::WM_LBUTTONDOWN:
      ReleaseGrab();
      FLBDown = true;
      WasInLB = true;
      SetMouseCapture(true);
      return;
    case win::WM_LBUTTONUP:
    case win::WM_RBUTTONDOWN:
    case win::WM_RBUTTONUP:
    case win::WM_MBUTTONDOWN:
    case win::WM_MBUTTONUP: return;
    case win::WM_MOUSEACTIVATE:
      M.Result = win::MA_NOACTIVATE;
      if (FListBoxWindowProc) FListBoxWindowProc(M);
      M.Result = win::MA_NOACTIVATE;
      return;
    default: break;
  }
  if (FListBoxWindowProc) FListBoxWindowProc(M);
}

void TbsSkinCustomComboBox::ListBoxHover(int X, int Y) {
  if (!FListBox) return;
  auto* L = FListBox->ListBox;
  if (X < 0 || Y < 0 || X >= L->Width() || Y >= L->Height()) return;  // the grabbed pointer outside the rows
  const int I = FListBox->ItemAtPos({X, Y}, true);
  if (I >= 0 && I < Items()->Count() && I != FListBox->ItemIndex()) FListBox->ListBox->SetItemIndex(I);
}

forms::TWinControl* TbsSkinCustomComboBox::PopupWindow() const { return FListBox; }
forms::TWinControl* TbsSkinCustomComboBox::PopupRowsWindow() const { return FListBox ? FListBox->ListBox : nullptr; }
bool TbsSkinCustomComboBox::PopupHasVScrollBar() const { return FListBox && FListBox->ScrollBar; }
int TbsSkinCustomComboBox::ItemCount() const { return FListBox ? FListBox->Items()->Count() : 0; }
int TbsSkinCustomComboBox::ShownIndex() const { return IsPopupVisible() ? FOldItemIndex : ItemIndex(); }

void TbsSkinCustomComboBox::AutoScrollStep(int Mode) {
  const int I = FListBox->ItemIndex();
  if (Mode == 1 && I > 0) FListBox->ListBox->SetItemIndex(I - 1);
  else if (Mode == 2 && I < Items()->Count() - 1) FListBox->ListBox->SetItemIndex(I + 1);
  FListBox->UpDateScrollBar();
}

void TbsSkinCustomComboBox::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::KeyDown(Key, Shift);
  if (!Live.Alive()) return;
  const int N = Items()->Count(), I = ItemIndex();
  const bool Alt = Shift.Contains(forms::ssAlt);
  switch (Key) {
    case win::VK_RETURN:
      if (IsPopupVisible()) CloseUp(true);
      break;
    case win::VK_ESCAPE:
      if (IsPopupVisible()) CloseUp(false);
      break;
    case win::VK_F4:
      if (IsPopupVisible()) CloseUp(false);
      else DropDown();
      break;
    case win::VK_PRIOR: SetItemIndex(std::max(0, I - FDropDownCount - 1)); break;
    case win::VK_NEXT: SetItemIndex(std::min(N - 1, I + FDropDownCount - 1)); break;
    case win::VK_LEFT:
    case win::VK_UP:
      if (Alt) {
        if (IsPopupVisible()) CloseUp(false);
      } else if (I > 0) {
        SetItemIndex(I - 1);
      }
      break;
    case win::VK_RIGHT:
    case win::VK_DOWN:
      if (Alt) {
        if (!IsPopupVisible()) DropDown();
      } else if (I < N - 1) {
        SetItemIndex(I + 1);
      }
      break;
    default: return;
  }
  if (Live.Alive() && IsPopupVisible()) FListBox->UpDateScrollBar();
}

void TbsSkinCustomComboBox::FindAndSelect(const String& S, bool FromStart) {
  if (S.empty()) return;
  const int Found = int(FListBox->ListBox->Perform(forms::LB_FINDSTRING, win::WPARAM(FromStart ? -1 : ItemIndex()),
                                                   win::LPARAM(reinterpret_cast<std::intptr_t>(S.c_str()))));
  if (Found >= 0) SetItemIndex(Found);
}

void TbsSkinCustomComboBox::KeyPress(char16_t& Key) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::KeyPress(Key);
  if (!Live.Alive() || Key == 0) return;
  String S;
  if (AutoComplete) {
    const win::DWORD Now = win::GetTickCountWin();
    if (Now - FLastTime >= kSearchResetMs) FFilter.clear();
    FLastTime = Now;
    FFilter += Key;
    S = FFilter;
  } else {
    S = String(1, Key);
  }
  FindAndSelect(S, S.size() > 1);
}

void TbsSkinCustomComboBox::MouseDown(forms::TMouseButton Btn, forms::TShiftState Shift, int X, int Y) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::MouseDown(Btn, Shift, X, Y);
  if (Live.Alive()) FaceMouseDown(Btn, X, Y);
}

void TbsSkinCustomComboBox::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::MouseMove(Shift, X, Y);
  if (!Live.Alive()) return;
  if (FLBDown && IsPopupVisible()) {
    TPoint P = FListBox->ListBox->ScreenToClient(CursorPos());
    const int H = FListBox->ListBox->Height();
    const bool Bar = FListBox->ScrollBar != nullptr;
    if (P.Y < 0 && Bar && WasInLB) {
      StartAutoScroll(1);
    } else if (P.Y > H && Bar && WasInLB) {
      StartAutoScroll(2);
    } else if (P.Y >= 0 && P.Y <= H) {
      StopAutoScroll();
      FListBox->ListBox->Perform(win::WM_MOUSEMOVE, 0, win::MAKELPARAM(1, P.Y));
      WasInLB = true;
    }
    return;
  }
  TrackButtonHover(X, Y);
}

void TbsSkinCustomComboBox::MouseUp(forms::TMouseButton Btn, forms::TShiftState Shift, int X, int Y) {
  TLiveness Live = Liveness();
  if (FLBDown && WasInLB) {
    SetMouseCapture(false);
    FLBDown = false;
    const win::HWND Under = win::WindowFromPoint(CursorPos());
    const bool OnList = FListBox->ListBox->HandleAllocated() && Under == FListBox->ListBox->Handle();
    CloseUp(OnList);
    if (!Live.Alive()) return;
  } else {
    FLBDown = false;
  }
  TbsSkinComboFace::MouseUp(Btn, Shift, X, Y);
  if (!Live.Alive()) return;
  FaceMouseUp();
  if (HandleAllocated()) win::PostMessageW(Handle(), CM_REGRAB, 0, 0);
}

void TbsSkinCustomComboBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    // The inner edit's text colour follows the face: hot while the pointer is
    // over the control (unless the edit has the focus, which keeps the hot
    // colour anyway), grey while disabled.
    case forms::CM_MOUSEENTER: case forms::CM_MOUSELEAVE: {
      TLiveness Live = Liveness();
      TbsSkinComboFace::Dispatch(M);
      if (!Live.Alive()) return;
      if (FEdit && FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && !FEdit->Focused())
        FEdit->Font()->SetColor(M.Msg == forms::CM_MOUSEENTER ? ActiveFontColor : FontColor);
      return;
    }
    case forms::CM_ENABLEDCHANGED: {
      TLiveness Live = Liveness();
      TbsSkinComboFace::Dispatch(M);
      if (!Live.Alive() || !FEdit) return;
      if (!Enabled()) FEdit->Font()->SetColor(DisabledTextColor());
      else FEdit->Font()->SetColor(FIndex == -1 ? FDefaultFont->Color() : FontColor);
      Invalidate();
      return;
    }
    case forms::CM_TEXTCHANGED: {
      TLiveness Live = Liveness();
      TbsSkinComboFace::Dispatch(M);
      if (FEdit && !FromEdit) FEdit->SetText(Text());
      if (!Live.Alive()) return;
      if (OnChange) OnChange(this);
      if (Live.Alive() && FromEdit) Change();
      if (Live.Alive() && !FEdit) Invalidate();
      return;
    }
    case win::WM_SETFOCUS:
      if (FEdit) {
        if (FEdit->CanFocus()) FEdit->SetFocus();
        if (FIndex != -1 && !IsEmptyRect(ActiveSkinRect)) {
          FEdit->Font()->SetColor(ActiveFontColor);
          Invalidate();
        }
        return;
      }
      TbsSkinComboFace::Dispatch(M);
      Invalidate();
      return;
    case win::WM_KILLFOCUS: {
      TLiveness Live = Liveness();
      TbsSkinComboFace::Dispatch(M);
      if (!Live.Alive()) return;
      if (!FEdit && IsPopupVisible()) CloseUp(false);
      if (Live.Alive()) Invalidate();
      return;
    }
    case forms::CM_CANCELMODE: {
      TbsSkinComboFace::Dispatch(M);
      auto* Sender = reinterpret_cast<forms::TControl*>(M.LParam);
      const bool Own = Sender && (Sender == this || Sender == FListBox ||
                                  (FListBox && (Sender == FListBox->ListBox || Sender == FListBox->ScrollBar ||
                                                Sender == FListBox->HScrollBar)));
      if (!Own) CloseUp(false);
      return;
    }
    case win::WM_MOUSEWHEEL: {
      if (FEdit) break;
      const bool Up = int(std::int32_t(M.WParam)) > 0;
      const int I = ItemIndex(), N = Items()->Count();
      if (IsPopupVisible()) {
        if (Up && I > 0) FListBox->ListBox->SetItemIndex(I - 1);
        else if (!Up && I < N - 1) FListBox->ListBox->SetItemIndex(I + 1);
        FListBox->UpDateScrollBar();
      } else {
        if (Up && I > 0) SetItemIndex(I - 1);
        else if (!Up && I < N - 1) SetItemIndex(I + 1);
      }
      M.Result = 1;
      return;
    }
    default: break;
  }
  TbsSkinComboFace::Dispatch(M);
}

void TbsSkinCustomComboBox::GetSkinData() { TbsSkinComboFace::GetSkinData(); }

void TbsSkinCustomComboBox::ChangeSkinData() {
  TbsSkinComboFace::ChangeSkinData();
  UpdateFaceRects();
  if (FEdit) {
    if (FIndex != -1 && UseSkinFont) {
      ApplyDescriptionFont(FEdit->Font(), FontName, FontHeight, FontStyle);
      FEdit->Font()->SetColor(FontColor);
    } else {
      FEdit->Font()->Assign(FDefaultFont.get());
      if (FIndex != -1) FEdit->Font()->SetColor(FontColor);
    }
    if (FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && (FEdit->Focused() || FMouseIn))
      FEdit->Font()->SetColor(ActiveFontColor);
    if (FSD && FSD->ResourceStrData())
      FEdit->Font()->SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
    else
      FEdit->Font()->SetCharset(FDefaultFont->Charset());
    FEdit->SetEditTransparent(FIndex != -1);
    if (!Enabled()) FEdit->Font()->SetColor(DisabledTextColor());
  }
  Invalidate();
  if (FListBox) {
    FListBox->SetSkinDataName(FIndex != -1 ? ListBoxName : String());
    FListBox->SetSkinData(FSD);
    if (!FSD || FIndex == -1) FListBox->ChangeSkinData();
    FListBox->UpDateScrollBar();
  }
  UpdateFaceRects();
  if (FEdit && FIndex != -1) {
    int W = Width(), H = Height();
    AdjustSkinSize(W, H);
    if (W != Width() || H != Height()) SetBounds(Left(), Top(), W, H);
  }
}

// ------------------------------------------------------------------ edit style
void TbsSkinCustomComboBox::UpdateFaceRects() {
  TbsSkinComboFace::UpdateFaceRects();
  if (!FEdit) return;
  gdi::TBitmap M(1, 1);
  M.Canvas()->Font()->Assign(FEdit->Font());
  const int TH = M.Canvas()->TextHeight(u"Wg");
  FEdit->SetBounds(CBItem.R.Left, CBItem.R.Top + RectHeight(CBItem.R) / 2 - TH / 2, RectWidth(CBItem.R), TH);
}

void TbsSkinCustomComboBox::SetStyle(TbsSkinCustomComboBoxStyle Value) {
  if (Value == FStyle && ComponentState().Contains(rtl::csDesigning)) return;
  FStyle = Value;
  if (Value == bscbEditStyle) {
    if (!FEdit) {
      CreateEditControl();
      if (!ComponentState().Contains(rtl::csDesigning)) {
        if (TabStop()) {
          SetTabStop(false);
          FEdit->SetTabStop(true);
        } else {
          FEdit->SetTabStop(false);
        }
        FEdit->SetText(Text());
        if (Focused() && FEdit->CanFocus()) FEdit->SetFocus();
      }
    }
  } else if (FEdit) {
    TbsCustomEdit* E = FEdit;
    FEdit = nullptr;
    E->SetVisible(false);
    E->Free();
  }
  UpdateFaceRects();
  Invalidate();
}

void TbsSkinCustomComboBox::SetCharCase(forms::TEditCharCase Value) {
  FCharCase = Value;
  if (FEdit) FEdit->SetCharCase(Value);
}

int TbsSkinCustomComboBox::SelStart() const { return FEdit ? FEdit->SelStart() : 0; }
void TbsSkinCustomComboBox::SetSelStart(int Value) {
  if (FEdit) FEdit->SetSelStart(Value);
}
int TbsSkinCustomComboBox::SelLength() const { return FEdit ? FEdit->SelLength() : 0; }
void TbsSkinCustomComboBox::SetSelLength(int Value) {
  if (FEdit) FEdit->SetSelLength(Value);
}

void TbsSkinCustomComboBox::CreateEditControl() {
  FEdit = new TbsCustomEdit(this);
  FEdit->SetParent(this);
  FEdit->SetColor(FDefaultColor);
  FEdit->SetAutoSize(false);
  FEdit->SetHideSelection(HideSelection);
  FEdit->SetVisible(true);
  FEdit->SetEditTransparent(false);
  FEdit->OnChange = [this](TObject*) { EditChange(); };
  FEditWindowProc = FEdit->WindowProc;
  if (!FEditWindowProc) FEditWindowProc = [E = FEdit](TMessage& M) { E->WndProc(M); };
  FEdit->WindowProc = [this](TMessage& M) { EditWndProc(M); };
  FEdit->OnEditCancelMode = [this](forms::TControl* C) {
    const bool Own = C == this || C == FListBox ||
                     (FListBox && C && (C == FListBox->ListBox || C == FListBox->ScrollBar || C == FListBox->HScrollBar));
    if (!Own) CloseUp(false);
  };
  FEdit->OnKeyDown = [this](TObject*, rtl::Word& Key, forms::TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
  };
  FEdit->OnKeyPress = [this](TObject*, char16_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
  };
  FEdit->OnKeyUp = [this](TObject*, rtl::Word& Key, forms::TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
  };
  FEdit->SetCharCase(FCharCase);
  GetSkinData();
  if (FIndex == -1) {
    FEdit->Font()->Assign(Font());
  } else {
    ApplyDescriptionFont(FEdit->Font(), FontName, FontHeight, FontStyle);
    FEdit->Font()->SetColor(FontColor);
  }
  FEdit->SetEditTransparent(FIndex != -1);
  UpdateFaceRects();
}

void TbsSkinCustomComboBox::EditChange() {
  if (!FEdit) return;
  TLiveness Live = Liveness();
  FromEdit = true;
  const String T = FEdit->Text();
  if (!T.empty()) {
    auto* L = FListBox->ListBox;
    const int Found = int(L->Perform(forms::LB_FINDSTRING, win::WPARAM(-1),
                                     win::LPARAM(reinterpret_cast<std::intptr_t>(T.c_str()))));
    if (Found >= 0) {
      if (AutoComplete) L->Perform(forms::LB_SETCURSEL, win::WPARAM(Found), 0);
      else L->Perform(forms::LB_SETTOPINDEX, win::WPARAM(Found), 0);
    }
  }
  SetText(T);
  if (Live.Alive()) FromEdit = false;
}

void TbsSkinCustomComboBox::StepUp(bool Flag) {
  TLiveness Live = Liveness();
  if (ItemIndex() > 0) SetItemIndex(ItemIndex() - 1);
  if (!Live.Alive() || !Flag) return;
  if (ItemIndex() >= 0) SetText(Items()->Get(ItemIndex()));
  if (!Live.Alive()) return;
  if (FEdit) FEdit->SelectAll();
  if (OnClick) OnClick(this);
}

void TbsSkinCustomComboBox::StepDown(bool Flag) {
  TLiveness Live = Liveness();
  if (ItemIndex() < Items()->Count() - 1) FListBox->ListBox->SetItemIndex(ItemIndex() + 1);
  if (!Flag) return;
  if (ItemIndex() >= 0) SetText(Items()->Get(ItemIndex()));
  if (!Live.Alive()) return;
  if (FEdit) FEdit->SelectAll();
  if (OnClick) OnClick(this);
}

void TbsSkinCustomComboBox::EditAutoComplete() {
  const win::DWORD Now = win::GetTickCountWin();
  if (Now - FLastTime <= kAutoCompleteMs) return;
  FLastTime = Now;
  const String T = Text();
  if (T.empty()) return;
  const int Found = int(FListBox->ListBox->Perform(forms::LB_FINDSTRING, win::WPARAM(T.size() == 1 ? ItemIndex() : -1),
                                                   win::LPARAM(reinterpret_cast<std::intptr_t>(T.c_str()))));
  if (Found < 0) return;
  TLiveness Live = Liveness();
  SetItemIndex(Found);
  if (!Live.Alive() || !FEdit) return;
  FEdit->SetSelStart(int(T.size()));
  FEdit->SetSelLength(int(FEdit->Text().size()) - int(T.size()));
}

void TbsSkinCustomComboBox::EditWndProc(TMessage& M) {
  TLiveness Live = Liveness();
  auto Pass = [&] {
    if (FEditWindowProc) FEditWindowProc(M);
  };
  switch (M.Msg) {
    case win::WM_SETFOCUS:
      if (FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && FEdit) {
        FEdit->Font()->SetColor(ActiveFontColor);
        Invalidate();
      }
      Pass();
      return;
    case win::WM_KILLFOCUS:
      if (IsPopupVisible()) CloseUp(false);
      if (!Live.Alive()) return;
      if (FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && FEdit) {
        FEdit->Font()->SetColor(FontColor);
        Invalidate();
      }
      Pass();
      return;
    case win::WM_KEYDOWN:
      switch (M.WParam) {
        case win::VK_RETURN:
          if (IsPopupVisible()) {
            CloseUp(true);
            return;  // taken: the list's choice, not a dialog key
          }
          break;
        case win::VK_ESCAPE:
          if (IsPopupVisible()) {
            CloseUp(false);
            return;
          }
          break;
        case win::VK_PRIOR:
          if (IsPopupVisible())
            FListBox->ListBox->SetItemIndex(std::max(0, FListBox->ItemIndex() - FDropDownCount - 1));
          break;
        case win::VK_NEXT:
          if (IsPopupVisible())
            FListBox->ListBox->SetItemIndex(
                std::min(Items()->Count() - 1, FListBox->ItemIndex() + FDropDownCount - 1));
          break;
        case win::VK_UP: StepUp(true); return;
        case win::VK_DOWN: StepDown(true); return;
        case win::VK_F4:
          if (IsPopupVisible()) CloseUp(false);
          else DropDown();
          return;
        default: break;
      }
      if (!Live.Alive()) return;
      Pass();
      return;
    case win::WM_KEYUP:
    case win::WM_SYSKEYUP: {
      int CharSet = FDefaultFont->Charset();
      if (FSD && FSD->ResourceStrData()) CharSet = FSD->ResourceStrData()->CharSet;
      const int Key = int(M.WParam);
      if (CharSet == 128 || CharSet == 134 || CharSet == 136) {
        if (Key == win::VK_DELETE || Key == win::VK_BACK) {
          Pass();
          return;
        }
        if (FEdit) FEdit->SetSelLength(0);
        Pass();
        if (Live.Alive() && AutoComplete) EditAutoComplete();
        return;
      }
      if (M.Msg == win::WM_KEYUP && Key >= 48) {
        Pass();
        if (Live.Alive() && AutoComplete) EditAutoComplete();
        return;
      }
      Pass();
      return;
    }
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
      if (IsPopupVisible()) CloseUp(false);
      if (!Live.Alive()) return;
      Pass();
      return;
    case win::WM_MOUSEWHEEL: {
      const bool Closed = !IsPopupVisible();
      if (int(std::int32_t(M.WParam)) > 0) StepUp(Closed);
      else StepDown(Closed);
      if (!Live.Alive()) return;
      Pass();
      return;
    }
    default: break;
  }
  Pass();
}

// ------------------------------------------------------------------ office combo box
TbsSkinCustomOfficeComboBox::TbsSkinCustomOfficeComboBox(TComponent* AOwner) : TbsSkinComboFace(AOwner) {
  SetControlStyle({forms::csAcceptsControls, forms::csCaptureMouse, forms::csOpaque, forms::csDoubleClicks,
                   forms::csReplicatable});
  FListBox = new TbsPopupOfficeListBox(this);
  SetTabStop(true);
  FDefaultColor = gdi::clWindow;
  Font()->SetName(u"Arial");
  Font()->SetColor(gdi::clWindowText);
  Font()->SetHeight(14);
  FUseSkinSize = false;
  SetBounds(Left(), Top(), 120, 41);
  FListBoxWindowProc = FListBox->WindowProc;
  if (!FListBoxWindowProc) FListBoxWindowProc = [L = FListBox](TMessage& M) { L->WndProc(M); };
  FListBox->WindowProc = [this](TMessage& M) { ListBoxWindowProcHook(M); };
  FListBox->SetVisible(false);
  FListBox->MouseMoveChangeIndex = true;
  FListBoxSkinDataName = FListBox->SkinDataName();
  UpdateFaceRects();
  FSkinDataName = u"combobox";
  FDropDownCount = 7;
}

TbsSkinCustomOfficeComboBox::~TbsSkinCustomOfficeComboBox() {
  StopAutoScroll();
  WatchForm(false);
  if (FListBox) {
    TbsPopupOfficeListBox* L = FListBox;
    FListBox = nullptr;
    L->Free();
  }
}

void TbsSkinCustomOfficeComboBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinComboFace::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (FListBox && AComponent == FListBox->Images()) FListBox->SetImages(nullptr);
  if (AComponent == FListBox) FListBox = nullptr;
}

TbsSkinOfficeItems* TbsSkinCustomOfficeComboBox::Items() const { return FListBox->Items(); }
void TbsSkinCustomOfficeComboBox::SetItems(const TbsSkinOfficeItems* Value) { FListBox->SetItems(Value); }
int TbsSkinCustomOfficeComboBox::ItemIndex() const { return FListBox ? FListBox->ItemIndex() : -1; }
forms::TCustomImageList* TbsSkinCustomOfficeComboBox::Images() const { return FListBox ? FListBox->Images() : nullptr; }
void TbsSkinCustomOfficeComboBox::SetImages(forms::TCustomImageList* Value) { FListBox->SetImages(Value); }
bool TbsSkinCustomOfficeComboBox::ListBoxShowItemTitles() const { return FListBox->ShowItemTitles(); }
void TbsSkinCustomOfficeComboBox::SetListBoxShowItemTitles(bool Value) { FListBox->SetShowItemTitles(Value); }
bool TbsSkinCustomOfficeComboBox::ListBoxShowLines() const { return FListBox->ShowLines(); }
void TbsSkinCustomOfficeComboBox::SetListBoxShowLines(bool Value) { FListBox->SetShowLines(Value); }
int TbsSkinCustomOfficeComboBox::ListBoxItemHeight() const { return FListBox->ItemHeight(); }
void TbsSkinCustomOfficeComboBox::SetListBoxItemHeight(int Value) { FListBox->SetItemHeight(Value); }
int TbsSkinCustomOfficeComboBox::ListBoxHeaderHeight() const { return FListBox->HeaderHeight(); }
void TbsSkinCustomOfficeComboBox::SetListBoxHeaderHeight(int Value) { FListBox->SetHeaderHeight(Value); }
gdi::TFont* TbsSkinCustomOfficeComboBox::ListBoxDefaultFont() const { return FListBox->DefaultFont(); }
void TbsSkinCustomOfficeComboBox::SetListBoxDefaultFont(gdi::TFont* Value) { FListBox->SetDefaultFont(Value); }
bool TbsSkinCustomOfficeComboBox::ListBoxUseSkinFont() const { return FListBox->UseSkinFont; }
void TbsSkinCustomOfficeComboBox::SetListBoxUseSkinFont(bool Value) { FListBox->UseSkinFont = Value; }

void TbsSkinCustomOfficeComboBox::SetListBoxSkinDataName(const String& Value) {
  FListBoxSkinDataName = Value;
  if (FIndex != -1) FListBox->SetSkinDataName(Value);
}

void TbsSkinCustomOfficeComboBox::SetShowItemTitle(bool Value) {
  if (FShowItemTitle == Value) return;
  FShowItemTitle = Value;
  Invalidate();
}
void TbsSkinCustomOfficeComboBox::SetShowItemImage(bool Value) {
  if (FShowItemImage == Value) return;
  FShowItemImage = Value;
  Invalidate();
}
void TbsSkinCustomOfficeComboBox::SetShowItemText(bool Value) {
  if (FShowItemText == Value) return;
  FShowItemText = Value;
  Invalidate();
}

void TbsSkinCustomOfficeComboBox::SetToolButtonStyle(bool Value) {
  if (FToolButtonStyle == Value) return;
  FToolButtonStyle = Value;
  if (Value) FUseSkinSize = false;
  Invalidate();
}

bool TbsSkinCustomOfficeComboBox::IsPopupVisible() const { return FListBox && FListBox->Visible(); }

void TbsSkinCustomOfficeComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TbsSkinCustomOfficeComboBox::SetItemIndex(int Value) {
  TLiveness Live = Liveness();
  FListBox->SetItemIndex(Value);
  if (!Live.Alive()) return;
  FOldItemIndex = FListBox->ItemIndex();
  Invalidate();
  if (IsLoading(this)) return;
  if (OnClick) OnClick(this);
  if (Live.Alive()) Change();
}

void TbsSkinCustomOfficeComboBox::DropDown() {
  if (Items()->Count() == 0) return;
  TLiveness Live = Liveness();
  WasInLB = false;
  StopAutoScroll();
  if (OnDropDown) OnDropDown(this);
  if (!Live.Alive() || Items()->Count() == 0) return;
  FListBox->SetWidth(ListBoxWidth > 0 ? ListBoxWidth : Width());
  FListBox->OnDrawItem = OnDrawItem;
  FOldItemIndex = FListBox->ItemIndex();
  // Shows the chosen item afresh; no item events (they belong to a choice).
  if (FOldItemIndex >= 0 && FOldItemIndex < Items()->Count()) FListBox->SetItemActive(FOldItemIndex);
  FDropDown = true;
  if (FToolButtonStyle) Invalidate();
  if (FListBox->SkinData() != FSD) {
    FListBox->SetSkinData(FSD);
    if (!FSD) FListBox->ChangeSkinData();
  }
  int H = FListBox->Height();
  if (ListBoxHeight > 0) H = ListBoxHeight;
  else if (FDropDownCount > 0) H = FListBox->CalcHeight(FDropDownCount);
  FListBox->SetHeight(H);
  const TPoint Origin = PopupOrigin(FListBox->Width(), H, true);
  FListBox->Show(Origin);
  FListBox->StartFade(AlphaBlend, AlphaBlendAnimation, AlphaBlendValue);
  FListBox->UpdateScrollInfo();
  if (FListBox->ItemIndex() >= 0) FListBox->ScrollToItem(FListBox->ItemIndex());
  WatchForm(true);
  GrabOutsideClicks();
}

void TbsSkinCustomOfficeComboBox::CloseUp(bool Value) {
  StopAutoScroll();
  if (!IsPopupVisible()) return;
  TLiveness Live = Liveness();
  FListBox->Hide();
  WatchForm(false);
  ReleaseGrab();
  if (MouseCapture()) SetMouseCapture(false);
  FLBDown = false;
  const int I = FListBox->ItemIndex();
  if (I >= 0 && I < Items()->Count() && Value) {
    Invalidate();
    if (OnClick) OnClick(this);
    if (!Live.Alive()) return;
    Change();
    if (!Live.Alive()) return;
  } else {
    FListBox->SetItemActive(FOldItemIndex);
    if (FOldItemIndex < 0) FListBox->SetItemIndex(FOldItemIndex);
  }
  FDropDown = false;
  Invalidate();
  if (Value && OnCloseUp) OnCloseUp(this);
}

void TbsSkinCustomOfficeComboBox::ListBoxWindowProcHook(TMessage& M) {
  switch (M.Msg) {
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK:
      if (HandleGrabbedPress(M)) return;
      break;
    default: break;
  }
  switch (M.Msg) {
    case win::WM_LBUTTONDOWN: {
      ReleaseGrab();
      // A press on the list's own scroll bar is the bar's; a press on the
      // rows starts a choice that the release completes.
      FLBDown = true;
      WasInLB = true;
      SetMouseCapture(true);
      return;
    }
    case win::WM_LBUTTONUP:
    case win::WM_RBUTTONDOWN:
    case win::WM_RBUTTONUP:
    case win::WM_MBUTTONDOWN:
    case win::WM_MBUTTONUP: return;
    case win::WM_MOUSEACTIVATE: M.Result = win::MA_NOACTIVATE; return;
    default: break;
  }
  if (FListBoxWindowProc) FListBoxWindowProc(M);
}

forms::TWinControl* TbsSkinCustomOfficeComboBox::PopupWindow() const { return FListBox; }
forms::TWinControl* TbsSkinCustomOfficeComboBox::PopupRowsWindow() const { return FListBox; }
bool TbsSkinCustomOfficeComboBox::PopupHasVScrollBar() const { return FListBox && FListBox->ScrollBar; }
int TbsSkinCustomOfficeComboBox::ItemCount() const { return FListBox ? FListBox->Items()->Count() : 0; }
int TbsSkinCustomOfficeComboBox::ShownIndex() const { return IsPopupVisible() ? FOldItemIndex : ItemIndex(); }

void TbsSkinCustomOfficeComboBox::AutoScrollStep(int Mode) {
  if (Mode == 1) FListBox->FindUp();
  else if (Mode == 2) FListBox->FindDown();
}

void TbsSkinCustomOfficeComboBox::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::KeyDown(Key, Shift);
  if (!Live.Alive()) return;
  const bool Alt = Shift.Contains(forms::ssAlt);
  switch (Key) {
    case win::VK_RETURN:
      if (IsPopupVisible()) CloseUp(true);
      break;
    case win::VK_ESCAPE:
      if (IsPopupVisible()) CloseUp(false);
      break;
    case win::VK_F4:
      if (IsPopupVisible()) CloseUp(false);
      else DropDown();
      break;
    case win::VK_PRIOR:
      FListBox->FindPageUp();
      if (Live.Alive()) SetItemIndex(FListBox->ItemIndex());
      break;
    case win::VK_NEXT:
      FListBox->FindPageDown();
      if (Live.Alive()) SetItemIndex(FListBox->ItemIndex());
      break;
    case win::VK_LEFT:
    case win::VK_UP:
      if (Alt) {
        if (IsPopupVisible()) CloseUp(false);
      } else {
        FListBox->FindUp();
        if (Live.Alive()) SetItemIndex(FListBox->ItemIndex());
      }
      break;
    case win::VK_RIGHT:
    case win::VK_DOWN:
      if (Alt) {
        if (!IsPopupVisible()) DropDown();
      } else {
        FListBox->FindDown();
        if (Live.Alive()) SetItemIndex(FListBox->ItemIndex());
      }
      break;
    default: break;
  }
}

void TbsSkinCustomOfficeComboBox::MouseDown(forms::TMouseButton Btn, forms::TShiftState Shift, int X, int Y) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::MouseDown(Btn, Shift, X, Y);
  if (Live.Alive()) FaceMouseDown(Btn, X, Y);
}

void TbsSkinCustomOfficeComboBox::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TLiveness Live = Liveness();
  TbsSkinComboFace::MouseMove(Shift, X, Y);
  if (!Live.Alive()) return;
  if (IsPopupVisible()) {
    const TPoint P = FListBox->ScreenToClient(CursorPos());
    const bool Bar = FListBox->ScrollBar != nullptr;
    const bool Inside = P.X >= 0 && P.Y >= 0 && P.X < FListBox->Width() && P.Y < FListBox->Height();
    if (P.Y < 0 && Bar && WasInLB) {
      StartAutoScroll(1);
    } else if (P.Y >= FListBox->Height() && Bar && WasInLB) {
      StartAutoScroll(2);
    } else if (Inside) {
      StopAutoScroll();
      FListBox->Perform(win::WM_MOUSEMOVE, 0, win::MAKELPARAM(win::WORD(P.X), win::WORD(P.Y)));
      WasInLB = true;
      if (!FLBDown) {
        FLBDown = true;
        WasInLB = false;
      }
    }
  }
  TrackButtonHover(X, Y);
}

void TbsSkinCustomOfficeComboBox::MouseUp(forms::TMouseButton Btn, forms::TShiftState Shift, int X, int Y) {
  TLiveness Live = Liveness();
  if (FLBDown && WasInLB) {
    SetMouseCapture(false);
    FLBDown = false;
    const win::HWND Under = win::WindowFromPoint(CursorPos());
    CloseUp(FListBox->HandleAllocated() && Under == FListBox->Handle());
    if (!Live.Alive()) return;
  } else {
    FLBDown = false;
  }
  TbsSkinComboFace::MouseUp(Btn, Shift, X, Y);
  if (!Live.Alive()) return;
  FaceMouseUp();
  if (HandleAllocated()) win::PostMessageW(Handle(), CM_REGRAB, 0, 0);
}

void TbsSkinCustomOfficeComboBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_SETFOCUS:
      TbsSkinComboFace::Dispatch(M);
      Invalidate();
      return;
    case win::WM_KILLFOCUS: {
      TLiveness Live = Liveness();
      TbsSkinComboFace::Dispatch(M);
      if (!Live.Alive()) return;
      if (IsPopupVisible()) CloseUp(false);
      if (Live.Alive()) Invalidate();
      return;
    }
    case forms::CM_CANCELMODE: {
      TbsSkinComboFace::Dispatch(M);
      auto* Sender = reinterpret_cast<forms::TControl*>(M.LParam);
      const bool Own = Sender && (Sender == this || Sender == FListBox || (FListBox && Sender == FListBox->ScrollBar));
      if (!Own) CloseUp(false);
      return;
    }
    case win::WM_MOUSEWHEEL: {
      TLiveness Live = Liveness();
      TbsSkinComboFace::Dispatch(M);
      if (!Live.Alive()) return;
      if (int(std::int32_t(M.WParam)) > 0) FListBox->FindUp();
      else FListBox->FindDown();
      if (Live.Alive() && !IsPopupVisible()) SetItemIndex(FListBox->ItemIndex());
      M.Result = 1;
      return;
    }
    default: break;
  }
  TbsSkinComboFace::Dispatch(M);
}

void TbsSkinCustomOfficeComboBox::ChangeSkinData() {
  TbsSkinComboFace::ChangeSkinData();
  UpdateFaceRects();
  Invalidate();
  if (FListBox) {
    FListBox->SetSkinDataName(FIndex == -1 ? String() : FListBoxSkinDataName);
    FListBox->SetSkinData(FSD);
    if (!FSD || FIndex == -1) FListBox->ChangeSkinData();
  }
  UpdateFaceRects();
}

}  // namespace skin
