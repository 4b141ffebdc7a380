// The frame component: construction on its form, property setters, size
// limits and the window procedure that takes the form's non-client area over.
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/forms/bsClientInActivePanel.h"
#include "skin/forms/bsFormLayerBorder.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/forms/bsSkinMDITabsBar.h"
#include "skin/data/bsSkinFormRegistry.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"

namespace skin {

using namespace win;
using forms::TMessage;

namespace {
TbsFrameMenuSupport* gMenuSupport = nullptr;
TbsFrameHintSupport* gHintSupport = nullptr;
}  // namespace

void SetFrameHintSupport(TbsFrameHintSupport* Support) { gHintSupport = Support; }
TbsFrameHintSupport* FrameHintSupport() { return gHintSupport; }

std::function<void()> FadeWait = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };

void SetFrameMenuSupport(TbsFrameMenuSupport* Support) { gMenuSupport = Support; }
TbsFrameMenuSupport* FrameMenuSupport() { return gMenuSupport; }

TbsBusinessSkinForm* FindSkinFormComponent(forms::TCustomForm* Form) {
  if (!Form) return nullptr;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TbsBusinessSkinForm*>(Form->Components(i))) return f;
  return nullptr;
}

namespace {

// What an edit's context menu asks of its form: the frame's skin, for the
// menu's texts, and whether there is a frame to show a skin menu at all.
TbsSkinData* FrameSkinDataOf(forms::TCustomForm* Form, bool* HasFrame) {
  TbsBusinessSkinForm* F = FindSkinFormComponent(Form);
  if (HasFrame) *HasFrame = F != nullptr;
  return F ? F->SkinData() : nullptr;
}

}  // namespace

// ------------------------------------------------------------------ construction
TbsBusinessSkinForm::TbsBusinessSkinForm(TComponent* AOwner) : TComponent(AOwner) {
  FindFormFrameSkinData = FrameSkinDataOf;
  FForm = dynamic_cast<forms::TCustomForm*>(AOwner);
  if (!FForm) throw EInvalidCast(u"Invalid class typecast");
  FQuickButtons = std::make_unique<TbsQuickButtonItems>(this);
  FLayerManager = new TbsLayerManager(this);
  FMenuLayerManager = new TbsLayerManager(this);
  FBorderLayer = new TbsFormLayerBorder(this);
  FIsVistaOs = IsWindowsVistaOrLater();
  for (auto* f : {&FDefCaptionFont, &FDefInActiveCaptionFont}) {
    *f = std::make_unique<gdi::TFont>();
    (*f)->SetName(u"Arial");
    (*f)->SetStyle(gdi::TFontStyles{gdi::fsBold});
    (*f)->SetHeight(14);
  }
  FDefCaptionFont->SetColor(gdi::clBtnText);
  FDefMenuItemFont = std::make_unique<gdi::TFont>();
  FDefMenuItemFont->SetName(u"Arial");
  FDefMenuItemFont->SetHeight(14);
  FDefInActiveCaptionFont->SetColor(gdi::clBtnShadow);
  FLogoBitMap = std::make_unique<gdi::TBitmap>();
  FIsLayerEnabled = IsLayeringSupported();
  RMTop = std::make_unique<TBitmap>();
  RMLeft = std::make_unique<TBitmap>();
  RMBottom = std::make_unique<TBitmap>();
  RMRight = std::make_unique<TBitmap>();
  auto makeTimer = [this](unsigned ms, void (TbsBusinessSkinForm::*tick)()) {
    auto* t = new forms::TTimer(this);
    t->SetEnabled(false);
    t->SetInterval(ms);
    t->OnTimer = [this, tick](TObject*) { (this->*tick)(); };
    return t;
  };
  MouseTimer = makeTimer(50, &TbsBusinessSkinForm::MouseTimerTick);
  MorphTimer = makeTimer(25, &TbsBusinessSkinForm::MorphTimerTick);
  AnimateTimer = makeTimer(25, &TbsBusinessSkinForm::AnimateTimerTick);

  // A skin change reaches the frame as a message to its form; without the
  // forms' delivery in place a skin loaded later would free the pictures the
  // frame's objects still draw from.
  if (!SkinFormRegistry()) InstallFormsSkinRegistry();

  FForm->SetBorderIcons({});
  FForm->OnShortCut = [this](win::MSG& Msg, bool& Handled) { FormShortCutHandler(Msg, Handled); };
  FForm->SetAutoSize(false);

  // The frame's procedure is in place before the window's next creation; a
  // window that exists already recalculates its frame now.
  OldWindowProc = FForm->WindowProc;
  FForm->WindowProc = [this](TMessage& M) { SkinFormWndProc(M); };
  if (FForm->HandleAllocated())
    SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TbsBusinessSkinForm::~TbsBusinessSkinForm() {
  if (gMenuSupport) gMenuSupport->FrameDestroyed(this);
  for (auto* t : {MouseTimer, MorphTimer, AnimateTimer}) t->SetEnabled(false);
  ClearObjects();
  FForm->WindowProc = OldWindowProc;
  if (!FForm->ComponentState().Contains(rtl::csDestroying)) {
    FForm->OnShortCut = OnShortCut;
    if (FForm->HandleAllocated()) {
      if (FHasRgn) SetWindowRgn(FForm->Handle(), nullptr, TRUE);
      SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
  }
  if (FIcon) DestroyIcon(FIcon);
}

void TbsBusinessSkinForm::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FMSD) FMSD = nullptr;
  if (AComponent == FSD) {
    FSD = nullptr;
    // The objects, the window region and the border draw from the skin's
    // pictures: the frame falls back to its default look at once, so the
    // messages that follow see no skin.
    if (!ComponentState().Contains(rtl::csDestroying) && !FForm->ComponentState().Contains(rtl::csDestroying))
      ApplySkinData();
    else {
      FSkinSupport = false;
      ClearObjects();
      FBorderLayer->InitFrame(nullptr, FForm);
    }
  }
  if (AComponent == FMainMenu) FMainMenu = nullptr;
  if (AComponent == SystemMenu) SystemMenu = nullptr;
  if (AComponent == MainMenuBar) MainMenuBar = nullptr;
  if (AComponent == MDITabsBar) MDITabsBar = nullptr;
  if (AComponent == TrayIcon) TrayIcon = nullptr;
  if (AComponent == SkinHint) SkinHint = nullptr;
  if (AComponent == reinterpret_cast<TComponent*>(StatusBar)) StatusBar = nullptr;
  if (AComponent == QuickImageList) QuickImageList = nullptr;
}

// ------------------------------------------------------------------ helpers
HWND TbsBusinessSkinForm::FormHandle() const { return FForm->HandleAllocated() ? FForm->Handle() : nullptr; }

void TbsBusinessSkinForm::SendNCPaint() {
  if (HWND h = FormHandle()) SendMessageW(h, WM_NCPAINT, 0, 0);
}

bool TbsBusinessSkinForm::MDIMaxChild() const { return IsMDIChild() && FWindowState == forms::wsMaximized; }
bool TbsBusinessSkinForm::IsMainForm() const {
  return forms::Application && forms::Application->MainForm() == FForm;
}
bool TbsBusinessSkinForm::HasBorder() const { return FForm->BorderStyle() != forms::bsNone; }
// Neither loading, reading, designing nor destroying (a component told of
// another's freeing is still settled).
bool TbsBusinessSkinForm::Settled() const {
  const auto s = ComponentState();
  return !s.Contains(rtl::csLoading) && !s.Contains(rtl::csReading) && !s.Contains(rtl::csDesigning) &&
         !s.Contains(rtl::csDestroying);
}

bool TbsBusinessSkinForm::LoadingOrDesigning() const {
  return ComponentState().Contains(rtl::csLoading) || Designing();
}

TRect TbsBusinessSkinForm::FormBounds() const { return FForm->BoundsRect(); }

void TbsBusinessSkinForm::SetFormBounds(int L, int T, int W, int H) { FForm->SetBounds(L, T, W, H); }

void TbsBusinessSkinForm::CallOld(TMessage& M) {
  if (OldWindowProc) OldWindowProc(M);
  else FForm->WndProc(M);
}

bool TbsBusinessSkinForm::GetFormActive() const {
  if (PreviewMode) return true;
  if (IsMDIChild() || IsMDIForm()) return FFormActive;
  return FForm->Active();
}

int TbsBusinessSkinForm::GetDefaultCaptionHeight() const {
  auto bs = FForm->BorderStyle();
  return bs == forms::bsToolWindow || bs == forms::bsSizeToolWin ? 15 : 19;
}

int TbsBusinessSkinForm::GetDefaultButtonSize() const {
  auto bs = FForm->BorderStyle();
  return bs == forms::bsToolWindow || bs == forms::bsSizeToolWin ? 13 : 17;
}

// ------------------------------------------------------------------ setters
void TbsBusinessSkinForm::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  if (Value && !IsMDIChild()) FSkinnableForm = Value->SkinnableForm();
  if (!Designing()) ApplySkinData();
}

void TbsBusinessSkinForm::SetMenusSkinData(TbsSkinData* Value) {
  if (FMSD) FMSD->RemoveFreeNotification(this);
  FMSD = Value;
  if (FMSD) FMSD->FreeNotification(this);
}

void TbsBusinessSkinForm::SetAlphaBlend(bool Value) {
  if (FAlphaBlend == Value) return;
  FAlphaBlend = Value;
  if (!Settled() || !FIsLayerEnabled || !FormHandle()) return;
  HWND h = FormHandle();
  LONG_PTR ex = GetWindowLongW(h, GWL_EXSTYLE);
  if (Value) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongW(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetWindowAlpha(FAlphaBlendValue);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongW(h, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
  }
}

void TbsBusinessSkinForm::SetAlphaBlendValue(int Value) {
  if (FAlphaBlendValue == Value) return;
  FAlphaBlendValue = Value;
  if (FAlphaBlend && Settled() && FIsLayerEnabled) SetWindowAlpha(Value);
}

void TbsBusinessSkinForm::SetWindowAlpha(int Alpha) {
  if (HWND h = FormHandle()) SetLayeredWindowAttributes(h, 0, BYTE(Alpha), LWA_ALPHA);
}

void TbsBusinessSkinForm::SetBorderIcons(TbsBorderIcons Value) {
  FBorderIcons = Value;
  if (LoadingOrDesigning()) return;
  ApplyBorderIconsToObjects();
  SendNCPaint();
}

void TbsBusinessSkinForm::SetDefCaptionFont(gdi::TFont* Value) {
  FDefCaptionFont->Assign(Value);
  if (!LoadingOrDesigning() && !FSkinSupport) SendNCPaint();
}

void TbsBusinessSkinForm::SetDefInActiveCaptionFont(gdi::TFont* Value) {
  FDefInActiveCaptionFont->Assign(Value);
  if (!LoadingOrDesigning() && !FSkinSupport) SendNCPaint();
}

void TbsBusinessSkinForm::SetShowIcon(bool Value) {
  FShowIcon = Value;
  if (!LoadingOrDesigning()) SendNCPaint();
}

void TbsBusinessSkinForm::SetUseRibbon(bool Value) {
  FUseRibbon = Value;
  if (!Designing() && Value) SetSkinnableForm(false);
}

void TbsBusinessSkinForm::SetSkinnableForm(bool Value) {
  bool ribbon = FUseRibbon;
  FFormActive = GetFormActive();
  if (Designing()) return;
  bool wasMaximized = false;
  if (FWindowState == forms::wsMaximized && FSkinnableForm) {
    FForm->Hide();
    FWindowState = forms::wsNormal;
    wasMaximized = true;
  } else if (FForm->WindowState() == forms::wsMaximized && !FSkinnableForm) {
    FForm->SetWindowState(forms::wsNormal);
    FForm->Hide();
    wasMaximized = true;
  }
  FSkinnableForm = ribbon ? false : Value;
  ApplySkinData();
  ChangeSkinDataWalk(nullptr, FForm);
  if (HWND h = FormHandle())
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (wasMaximized) {
    if (!FSkinnableForm) FForm->SetWindowState(forms::wsMaximized);
    else SetWindowState(forms::wsMaximized);
    FForm->Show();
  }
}

void TbsBusinessSkinForm::SetFormBorderStyle(forms::TFormBorderStyle BS) {
  FForm->SetBorderStyle(BS);
  ChangeSkinDataWalk(nullptr, FForm);
}

void TbsBusinessSkinForm::SetFormStyle(forms::TFormStyle FS) {
  if (FS != forms::fsNormal && FS != forms::fsStayOnTop) return;
  FForm->SetFormStyle(FS);
  ChangeSkinDataWalk(nullptr, FForm);
}

void TbsBusinessSkinForm::ApplyNativeBorderIcons() {
  forms::TBorderIcons icons;
  if (!HideCaptionButtons && !FSkinnableForm) icons.Include(forms::biSystemMenu);
  if (FBorderIcons.Contains(biMaximize)) icons.Include(forms::biMaximize);
  if (FBorderIcons.Contains(biMinimize)) icons.Include(forms::biMinimize);
  FForm->SetBorderIcons(icons);
}

bool TbsBusinessSkinForm::IsSizeableFrame() const {
  auto bs = FForm->BorderStyle();
  return AlwaysResize || bs == forms::bsSizeable || bs == forms::bsSizeToolWin;
}

bool TbsBusinessSkinForm::IsLayeredBorderInUse() const {
  return FSD && !FSD->Empty && FSD->ShowLayeredBorders() && FSD->LayerFrame &&
         FSD->LayerFrame->PictureIndex != -1 && FIsLayerEnabled && FSkinnableForm && !AlwaysDisableLayeredFrames &&
         !PreviewMode && HasBorder() && !IsMDIChild() && !FSmartEffectsShow;
}

bool TbsBusinessSkinForm::DeferShowForLayeredBorder() const {
  return FIsVistaOs && IsLayeredBorderInUse() && !FAlphaBlend && !AlphaBlendAnimation &&
         !(FSD && FSD->AnimationForAllWindows);
}

void TbsBusinessSkinForm::EnableShadow(bool AShowShadow, bool AHideFormBefore) {
  if (!FIsLayerEnabled || FHaveShadow == AShowShadow) return;
  FHaveShadow = AShowShadow;
  HWND h = FormHandle();
  if (!h) return;
  bool hidden = AHideFormBefore && FForm->Visible();
  if (hidden) FForm->Hide();
  LONG_PTR cs = GetClassLongPtrW(h, GCL_STYLE);
  SetClassLongPtrW(h, GCL_STYLE, AShowShadow ? (cs | CS_DROPSHADOW) : (cs & ~LONG_PTR(CS_DROPSHADOW)));
  if (hidden) FForm->Show();
}

// ------------------------------------------------------------------ limits
int TbsBusinessSkinForm::GetMinWidth() {
  if (!FSkinSupport) return MinWidth > 0 ? MinWidth : 120;
  int pw = FSD->Picture().Width();
  bool minimized = FWindowState == forms::wsMinimized;
  if (pw < MinWidth && !minimized) return MinWidth;
  if (FSD->FormMinWidth > 0) return MinWidth > FSD->FormMinWidth && !minimized ? MinWidth : FSD->FormMinWidth;
  return pw;
}

int TbsBusinessSkinForm::GetMinHeight() {
  int h = FSkinSupport ? FSD->Picture().Height() - (FSD->ClRect.Bottom - FSD->ClRect.Top)
                       : GetDefaultCaptionHeight() + 6;
  if (h >= MinHeight || FRollUpState || FWindowState == forms::wsMinimized) return h;
  return MinHeight;
}

int TbsBusinessSkinForm::GetMaxWidth() {
  if (MaxWidth != 0) return MaxWidth;
  TRect r = rtl::Rect(0, 0, forms::Screen ? forms::Screen->Width() : 0, forms::Screen ? forms::Screen->Height() : 0);
  GetMonitorWorkArea(FormHandle(), !MaximizeOnFullScreen, r);
  return r.Width();
}

int TbsBusinessSkinForm::GetMaxHeight() {
  if (MaxHeight != 0) return MaxHeight;
  TRect r = rtl::Rect(0, 0, forms::Screen ? forms::Screen->Width() : 0, forms::Screen ? forms::Screen->Height() : 0);
  GetMonitorWorkArea(FormHandle(), !MaximizeOnFullScreen, r);
  return r.Height();
}

// ------------------------------------------------------------------ shortcuts
void TbsBusinessSkinForm::FormShortCutHandler(win::MSG& Msg, bool& Handled) {
  if (OnShortCut) OnShortCut(Msg, Handled);
  if (Handled) return;
  const bool alt = (Msg.lParam & (LPARAM(1) << 29)) != 0;
  const bool ctrlOrShift = (GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_SHIFT) & 0x8000);
  if (alt && !ctrlOrShift && Msg.wParam == WPARAM(VK_SPACE)) {
    ShowSystemMenuAtButton();
    AltKeyTaken = true;
    FInShortCut = false;
    Handled = true;
    return;
  }
  if (gMenuSupport) gMenuSupport->FormShortCut(this, Msg, Handled);
}

// ------------------------------------------------------------------ window procedure
TPoint TbsBusinessSkinForm::ScreenToFramePoint(TPoint P) const {
  RECT r{};
  if (HWND h = FormHandle()) GetWindowRect(h, &r);
  else r = FForm->BoundsRect();
  return {P.X - r.Left, P.Y - r.Top};
}

bool TbsBusinessSkinForm::PointInCaptionObject(TPoint P) {
  for (auto& o : FObjectList) {
    auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get());
    if (!c || !c->ObjectRect.Contains(P)) continue;
    if (FQuickButtons->Count() > 0 && QuickImageList)
      return P.X > c->ObjectRect.Left + FQuickButtons->Count() * (QuickImageList->Width() + 8);
    return true;
  }
  return false;
}

int TbsBusinessSkinForm::DefaultHitTest(TPoint P) {
  int W = FForm->Width(), H = FForm->Height();
  bool borders = FWindowState == forms::wsNormal && !FRollUpState && IsSizeableFrame();
  if (borders) {
    if (ActiveObject != -1) return HTOBJECT;
    int X = P.X, Y = P.Y;
    if (X <= 2 && Y <= 2) return HTTOPLEFT;
    if (X >= W - 2 && Y <= 2) return HTTOPRIGHT;
    if (X <= 2 && Y >= H - 2) return HTBOTTOMLEFT;
    if (X >= W - 2 && Y >= H - 2) return HTBOTTOMRIGHT;
    if (X <= 2) return HTLEFT;
    if (Y <= 2) return HTTOP;
    if (X >= W - 2) return HTRIGHT;
    if (Y >= H - 2) return HTBOTTOM;
  }
  if (GetDefCaptionRect().Contains(P)) return HTCAPTION;
  if (rtl::Rect(3, GetDefaultCaptionHeight() + 3, W - 3, H - 3).Contains(P)) return HTCLIENT;
  return HTOBJECT;
}

int TbsBusinessSkinForm::SkinHitTest(TPoint P) {
  if (FRollUpState || FWindowState == forms::wsMinimized) return PointInCaptionObject(P) ? HTCAPTION : HTOBJECT;
  bool inCaption = PointInCaptionObject(P);
  if (ActiveObject != -1 && !inCaption && !NewClRect.Contains(P) && !FSizeMove) return HTOBJECT;
  int W = FForm->Width(), H = FForm->Height();
  if (FWindowState != forms::wsMaximized && IsSizeableFrame()) {
    int b = FSD->BorderW;
    TPoint probes[4] = {{P.X - b, P.Y}, {P.X, P.Y - b}, {P.X + b, P.Y}, {P.X, P.Y + b}};
    bool nearEdge = false;
    if (FSD->Mask().Empty()) {
      for (auto& q : probes)
        if (!rtl::Rect(0, 0, W, H).Contains(q)) nearEdge = true;
    } else if (!NewMaskRectArea.Contains(P)) {
      for (auto& q : probes)
        if (!PointInFrameMask(q)) nearEdge = true;
    }
    if (!nearEdge) {
      if (NewClRect.Contains(P)) return HTCLIENT;
      return inCaption ? HTCAPTION : HTOBJECT;
    }
    const TPoint &LT = NewHitTestLTPoint, &RT = NewHitTestRTPoint, &LB = NewHitTestLBPoint, &RB = NewHitTestRBPoint;
    if (P.X <= LT.X && P.Y <= LT.Y) return HTTOPLEFT;
    if (P.X >= RT.X && P.Y <= RT.Y) return HTTOPRIGHT;
    if (P.X <= LB.X && P.Y >= LB.Y) return HTBOTTOMLEFT;
    if (P.X >= RB.X && P.Y >= RB.Y) return HTBOTTOMRIGHT;
    if (rtl::Rect(LT.X, 0, RT.X, NewClRect.Top).Contains(P)) return HTTOP;
    if (rtl::Rect(LB.X, NewClRect.Bottom, RB.X, H).Contains(P)) return HTBOTTOM;
    if (rtl::Rect(0, LT.Y, NewClRect.Left, LB.Y).Contains(P)) return HTLEFT;
    if (rtl::Rect(NewClRect.Right, RT.Y, W, RB.Y).Contains(P)) return HTRIGHT;
  }
  if (NewClRect.Contains(P)) return HTCLIENT;
  return inCaption ? HTCAPTION : HTOBJECT;
}

void TbsBusinessSkinForm::SkinFormWndProc(TMessage& M) {
  if (gMenuSupport) gMenuSupport->CloseMenusOnMessage(this, M);
  const bool skinnable = FSkinnableForm;
  bool callOld = true;  // the previous procedure runs after the row
  switch (M.Msg) {
    case WM_DESTROY:
      for (auto* t : {MouseTimer, MorphTimer, AnimateTimer}) t->SetEnabled(false);
      FBorderLayer->Hide();
      if (IsMDIChild()) {
        FWindowState = forms::wsNormal;
        NotifyMDIFrame(MSG_MDI_CHILD_RESTORED);
        UpdateMainMenuBarItems();
        UpdateMainFormTabsBar();
      }
      break;
    case WM_SIZE:
      if (FSizeMove && FFullDrag) {
        if (!FLogoBitMap->Empty() && !IsMDIForm()) FForm->Invalidate();
      } else {
        DoSizeChange(M);
        callOld = false;
      }
      break;
    case WM_ACTIVATE:
      if (!skinnable) break;
      CallOld(M);
      callOld = false;
      SendNCPaint();
      if (MDIMaxChild()) UpdateActiveLook(false);
      else {
        ResetObjectStates();
        UpdateActiveLook(true);
      }
      if (IsMDIForm()) UpdateMainMenuBarItems();
      break;
    case WM_SETTEXT:
      if (!skinnable) break;
      CallOld(M);
      callOld = false;
      if (HasBorder() && !MDIMaxChild()) SendNCPaint();
      if (IsMDIChild()) {
        UpDateChildCaptionInMenu(FForm);
        RefreshMDIBarTab(FForm);
      }
      break;
    case WM_MOUSEACTIVATE:
      if (skinnable && IsMDIChild()) {
        auto* client = MDIClientOf(MDIMainForm());
        // The MDI client of this window system: a click activates the child.
        if (client && client->ActiveMDIChild() != FForm) client->ActivateChild(FForm);
        else if (client && !FFormActive) {
          FFormActive = true;
          UpdateActiveLook(!MDIMaxChild());
        }
      }
      break;
    case WM_ERASEBKGND: {
      callOld = false;
      if (IsMDIForm() && !FClientInActiveDraw) break;
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      if (!FSkinSupport) PaintBGDefault(dc);
      else if (FUseRibbon && FSD->MDIBGPictureIndex != -1) PaintBG3(dc);
      else if (FSD->BGPictureIndex == -1) PaintBG(dc);
      else PaintBG2(dc);
      break;
    }
    case WM_SHOWWINDOW:
      DoShowWindow(M);
      break;
    case WM_SETCURSOR:
      if (skinnable && UseFormCursorInNCArea) {
        int code = LOWORD(M.LParam);
        if (code < HTLEFT || code > HTBOTTOMRIGHT) M.LParam = MAKELPARAM(HTCLIENT, HIWORD(M.LParam));
      }
      break;
    case WM_GETMINMAXINFO:
      if (skinnable) {
        auto* mmi = reinterpret_cast<MINMAXINFO*>(M.LParam);
        // The previous procedure runs first here so that its defaults do not
        // replace the frame's limits.
        CallOld(M);
        callOld = false;
        if (mmi) {
          mmi->ptMinTrackSize = {GetMinWidth(), GetMinHeight()};
          mmi->ptMaxTrackSize = {GetMaxWidth(), GetMaxHeight()};
        }
      }
      break;
    case WM_WINDOWPOSCHANGED:
      DoPositionChanged(M);
      break;
    case WM_DISPLAYCHANGE:
      if (HasBorder() && (FForm->Width() > GetMaxWidth() || FForm->Height() > GetMaxHeight())) NudgeFormWidth();
      break;
    case WM_NCCALCSIZE:
      if (skinnable) {
        DoNCCalcSize(M);
        callOld = false;
      }
      break;
    case WM_NCHITTEST:
      if (skinnable) {
        TPoint p = ScreenToFramePoint({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        M.Result = FSkinSupport ? SkinHitTest(p) : DefaultHitTest(p);
        if (!MouseTimer->Enabled() && M.Result == HTOBJECT) {
          TrackActiveObject(p.X, p.Y, true);
          MouseTimer->SetEnabled(true);
        }
        callOld = false;
      }
      break;
    case WM_NCPAINT:
      if (skinnable) {
        callOld = false;
        if (!HasBorder() || MDIMaxChild()) break;
        if (FSkinSupport) PaintNCSkin(nullptr, false);
        else if (!FStopPainting) PaintNCDefault(nullptr, false);
      }
      break;
    case WM_NCACTIVATE:
      if (skinnable) {
        DoNCActivate(M);
        callOld = false;
      }
      break;
    case WM_SYNCPAINT:
      if (skinnable && FRollUpState) {
        SendNCPaint();
        M.Result = 0;
        callOld = false;
      }
      break;
    case WM_SYSCOMMAND:
      if ((M.WParam & 0xFFF0) == SC_RESTORE) {
        if (OnRestore) OnRestore(this);
      } else if ((M.WParam & 0xFFF0) == SC_KEYMENU) {
        callOld = false;
        if (AltKeyTaken && M.LParam == 0) {
          AltKeyTaken = false;  // the Alt of a shortcut just taken
          break;
        }
        if (!InMainMenu) SkinMenuClose();
        if (gMenuSupport) gMenuSupport->KeyMenu(this, int(M.LParam));
        callOld = false;
      }
      break;
    case WM_TIMER:
      if (M.WParam == 1) DoFadeTimer();
      break;
    case WM_SIZING:
      if (FSizeMove && FFullDrag) {
        DoLiveResize(M);
        callOld = false;
      }
      break;
    case WM_MOVING:
      if (skinnable) DoMoving(M);
      break;
    case WM_ENTERSIZEMOVE:
      if (skinnable) {
        POINT p;
        GetCursorPos(&p);
        FOnMouseDownCoord = p;
        ResetObjectStates();
        MouseTimer->SetEnabled(false);
        ActiveObject = MouseCaptureObject = -1;
        FSizeMove = true;
        FFullDrag = true;  // windows always show their contents while dragged here
      }
      break;
    case WM_EXITSIZEMOVE:
      if (skinnable) {
        if (IsLayeredBorderInUse()) FBorderLayer->SetBoundsWithForm();
        if (FSizing && (FForm->Width() != FFormWidth || FForm->Height() != FFormHeight)) {
          FFormLeft = FForm->Left();
          FFormTop = FForm->Top();
          FFormWidth = FForm->Width();
          FFormHeight = FForm->Height();
          UpdateSkinFrame(true);
        }
        FSizing = FSizeMove = false;
        MouseTimer->SetEnabled(false);
        ActiveObject = OldActiveObject = MouseCaptureObject = -1;
        if (FSD && !FSD->Empty) SendNCPaint();
      }
      break;
    default:
      if (M.Msg == MSG_SKIN_CHANGING) {
        if (reinterpret_cast<TbsSkinData*>(M.WParam) == FSD && FSD) {
          FStopPainting = true;
          FSkinSupport = false;
          for (auto* t : {MouseTimer, MorphTimer, AnimateTimer}) t->SetEnabled(false);
          ClearObjects();
          BeforeChangeSkinDataWalk(FSD, FForm);
          if (OnBeforeChangeSkinData) OnBeforeChangeSkinData(this);
        }
      } else if (M.Msg == MSG_SKIN_CHANGED) {
        FStopPainting = false;
        auto* sd = reinterpret_cast<TbsSkinData*>(M.WParam);
        if (sd == FSD && FSD) ApplySkinData();
        ChangeSkinDataWalk(sd, FForm);
      } else if (M.Msg == MSG_SKIN_CHANGE_DONE) {
        if (reinterpret_cast<TbsSkinData*>(M.WParam) == FSD && IsMDIForm()) RefitMDIChildren();
        if (OnAfterChangeSkinData) OnAfterChangeSkinData(this);
      } else if (M.Msg == MSG_MDI_CHILD_REFIT) {
        if (MDIMaxChild()) {
          TRect A = GetMDIChildArea();
          FForm->SetBounds(0, 0, A.Width(), A.Height());
        }
          } else if (M.Msg == MSG_MDI_CHILD_MAXIMIZED) {
        if (IsMDIForm()) {
          FMDIChildMaximized = true;
          SendNCPaint();
          if (gMenuSupport) gMenuSupport->MDIChildMaximized(this);
        }
      } else if (M.Msg == MSG_MDI_CHILD_RESTORED) {
        if (IsMDIForm()) {
          FMDIChildMaximized = FindMaximizedMDIChild() != nullptr;
          SendNCPaint();
          if (gMenuSupport) gMenuSupport->MDIChildRestored(this);
        }
      } else if (M.Msg == MSG_LAYERED_BORDERS_CHANGED) {
        if (!IsLayeredBorderInUse()) {
          if (FBorderLayer->FVisible) FBorderLayer->Hide();
        } else if (FForm->Visible() && !FBorderLayer->FVisible) {
          FBorderLayer->SetActive(FFormActive, false);
          FBorderLayer->ShowWithForm();
          FForm->Show();
        }
      } else if (M.Msg == MSG_SKIN_MENU_CLOSED) {
        SkinMenuClose();
      } else if (M.Msg == MSG_RESOURCE_STRINGS_CHANGED) {
        LoadObjectHints();
      } else if (M.Msg == MSG_SKINNABLE_FORM_CHANGED) {
        if (!FUseRibbon && FSD && reinterpret_cast<TbsSkinData*>(M.WParam) == FSD && !IsMDIChild())
          SetSkinnableForm(FSD->SkinnableForm());
      } else if (M.Msg == MSG_SHOWN_FROM_TRAY) {
        if (FForm->Tag() == ShownFromTrayTag) {
          if (IsLayeredBorderInUse()) {
            if (forms::Application && forms::Application->MainForm() && forms::Application->MainForm()->HandleAllocated())
              SetForegroundWindow(forms::Application->MainForm()->Handle());
            for (int i = 0; forms::Screen && i < forms::Screen->FormCount(); ++i) {
              forms::TCustomForm* f = forms::Screen->Forms(i);
              if (f->Visible() && f->FormStyle() == forms::fsStayOnTop && f->HandleAllocated()) {
                SetForegroundWindow(f->Handle());
                break;
              }
            }
          }
          FForm->SetTag(0);
        }
      } else if (M.Msg == MSG_QUERY_SKIN_FRAME) {
        M.Result = skinnable || !FIsVistaOs ? 12853 : 12852;
        callOld = false;
      } else if (M.Msg == MSG_SMART_EFFECTS_BEGIN) {
        FSmartEffectsShow = true;
      } else if (M.Msg == MSG_SMART_EFFECTS_END) {
        if (FSmartEffectsShow) {
          FSmartEffectsShow = false;
          if ((FForm->Visible() || FForm->Tag() == ShownFromTrayTag) && IsLayeredBorderInUse()) {
            ProcessPendingMessages();
            FBorderLayer->SetActive(true, false);
            FBorderLayer->ShowWithFormAnimation();
          }
        }
      } else if ((M.Msg == MSG_SKIN_PAINT_TO_DC || (M.Msg == MSG_SKIN_PAINT_NC_TO_DC && M.LParam == 16802)) &&
                 skinnable) {
        callOld = false;
        HDC dc = reinterpret_cast<HDC>(M.WParam);
        if (M.Msg == MSG_SKIN_PAINT_NC_TO_DC || (dc && HasBorder() && !MDIMaxChild())) {
          if (dc) {
            if (FSkinSupport) PaintNCSkin(dc, true);
            else PaintNCDefault(dc, true);
          }
          M.Result = M.Msg == MSG_SKIN_PAINT_TO_DC ? 12851 : 16802;
        }
      }
      break;
  }
  if (callOld) CallOld(M);
  SecondDispatch(M);
}

void TbsBusinessSkinForm::SecondDispatch(TMessage& M) {
  if ((M.Msg == WM_NCLBUTTONDOWN || M.Msg == WM_NCRBUTTONDOWN) && IsMDIChild())
    if (auto* client = MDIClientOf(MDIMainForm()); client && client->ActiveMDIChild() != FForm)
      client->ActivateChild(FForm);
  if (M.Msg == WM_LBUTTONUP) {
    ObjectMouseUp(forms::mbLeft, -1, -1);
    return;
  }
  if (M.Msg == WM_RBUTTONUP) {
    ObjectMouseUp(forms::mbRight, -1, -1);
    return;
  }
  if (!FSkinnableForm) return;
  if (M.Msg < WM_NCMOUSEMOVE || M.Msg > WM_NCMBUTTONDBLCLK) return;
  TPoint p = ScreenToFramePoint({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
  bool caption = M.WParam == WPARAM(HTCAPTION);
  switch (M.Msg) {
    case WM_NCMOUSEMOVE: ObjectMouseMove(p.X, p.Y); break;
    case WM_NCLBUTTONDOWN:
      if (FSizeMove) {
        FSizeMove = false;
        break;
      }
      TrackActiveObject(p.X, p.Y, true);
      ObjectMouseDown(forms::mbLeft, p.X, p.Y);
      if (caption) MouseCaptureObject = -1;
      M.Result = 0;
      break;
    case WM_NCLBUTTONUP: ObjectMouseUp(forms::mbLeft, p.X, p.Y); break;
    case WM_NCLBUTTONDBLCLK:
      TrackActiveObject(p.X, p.Y, true);
      ObjectMouseDown(forms::mbLeft, p.X, p.Y);
      ObjectDblClick();
      if (caption) {
        CaptionDblClick();
        MouseCaptureObject = -1;
      }
      break;
    case WM_NCRBUTTONDOWN:
      TrackActiveObject(p.X, p.Y, true);
      ObjectMouseDown(forms::mbRight, p.X, p.Y);
      if (caption) {
        MouseCaptureObject = -1;
        if (!DisableSystemMenu) {
          POINT c;
          GetCursorPos(&c);
          PopupSystemMenuAt(c);
        }
      }
      break;
    case WM_NCRBUTTONUP: ObjectMouseUp(forms::mbRight, p.X, p.Y); break;
    case WM_NCRBUTTONDBLCLK:
      TrackActiveObject(p.X, p.Y, true);
      ObjectMouseDown(forms::mbRight, p.X, p.Y);
      if (caption) MouseCaptureObject = -1;
      break;
    default: break;
  }
}

void TbsBusinessSkinForm::DoNCCalcSize(TMessage& M) {
  if (!M.LParam) return;
  auto* r = reinterpret_cast<RECT*>(M.LParam);
  if (HasBorder() && !MDIMaxChild()) {
    if (!FSkinSupport) {
      r->Left += 3;
      r->Top += GetDefaultCaptionHeight() + 3;
      r->Right -= 3;
      r->Bottom -= 3;
    } else {
      CalcSkinRects();
      r->Left += FSD->ClRect.Left;
      r->Top += FSD->ClRect.Top;
      r->Right += FSD->ClRect.Right - FSD->Picture().Width();
      r->Bottom += FSD->ClRect.Bottom - FSD->Picture().Height();
    }
  }
  r->Right = std::max(r->Right, r->Left);
  r->Bottom = std::max(r->Bottom, r->Top);
  M.Result = 0;
}

void TbsBusinessSkinForm::DoSizeChange(TMessage& M) {
  if (!FBorderLayerChangeSize) {
    CallOld(M);
    FFormWidth = FForm->Width();
    FFormHeight = FForm->Height();
  }
  HMagnetized = VMagnetized = HMagnetized2 = VMagnetized2 = false;
  if (FSkinSupport) {
    if (FSD && FSkinnableForm && FFormWidth >= GetMinWidth() && FFormHeight >= GetMinHeight()) {
      if (IsLayeredBorderInUse()) {
        if (FBorderLayerChangeSize) FBorderLayer->SetBoundsWithForm3(FFormLeft, FFormTop, FFormWidth, FFormHeight);
        else FBorderLayer->SetBoundsWithForm();
      }
      UpdateSkinFrame(true);
    }
  } else if (FSkinnableForm) {
    UpdateWindowRegion(true);
    SendNCPaint();
  }
  if (FBorderLayerChangeSize) CallOld(M);
  if (FAlphaBlend && FAlphaBlendValue != 255 && FIsLayerEnabled) {
    SendNCPaint();
    FForm->Invalidate();
  }
  if (!FLogoBitMap->Empty() && !IsMDIForm()) FForm->Invalidate();
}

void TbsBusinessSkinForm::DoLiveResize(TMessage& M) {
  FSizing = true;
  FBorderLayerChangeSize = false;
  HMagnetized = VMagnetized = HMagnetized2 = VMagnetized2 = false;
  CallOld(M);
  auto* r = reinterpret_cast<RECT*>(M.LParam);
  if (!r) return;
  FFormWidth = r->Width();
  FFormHeight = r->Height();
  if (!FSD || (FSD->Empty && FSkinnableForm)) {
    UpdateWindowRegion(true);
  } else if (FSkinnableForm && FForm->Width() >= GetMinWidth() && FForm->Height() >= GetMinHeight() &&
             (FForm->Width() != FFormWidth || FForm->Height() != FFormHeight)) {
    FOldFormLeft = FFormLeft;
    FOldFormTop = FFormTop;
    UpdateSkinFrame(true);
  }
}

void TbsBusinessSkinForm::DoPositionChanged(TMessage& M) {
  auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam);
  if (!wp) return;
  FFormLeft = wp->x;
  FFormTop = wp->y;
  if (!FSizing && FBorderLayerChangeSize) {
    FFormWidth = wp->cx;
    FFormHeight = wp->cy;
  }
  if (FSizing && IsLayeredBorderInUse() && (FForm->Left() != FFormLeft || FForm->Top() != FFormTop))
    FBorderLayer->SetBoundsWithForm3(FFormLeft, FFormTop, FFormWidth, FFormHeight);
  if (!FSizing && !FBorderLayerChangeSize) {
    if (IsLayeredBorderInUse()) FBorderLayer->MoveWithForm2(FFormLeft, FFormTop);
    FOldFormLeft = FFormLeft;
    FOldFormTop = FFormTop;
  }
}

void TbsBusinessSkinForm::DoMoving(TMessage& M) {
  auto* r = reinterpret_cast<RECT*>(M.LParam);
  if (!r) return;
  int w = FForm->Width(), h = FForm->Height();
  if (FWindowState == forms::wsMaximized && !IsMDIChild()) {
    *r = rtl::Rect(FForm->Left(), FForm->Top(), FForm->Left() + w, FForm->Top() + h);
  } else if (Magnetic) {
    int l = r->Left, t = r->Top;
    MagnetizeBounds(l, t, w, h);
    *r = rtl::Rect(l, t, l + w, t + h);
  }
}

void TbsBusinessSkinForm::DoNCActivate(TMessage& M) {
  FBorderLayerChangeSize = false;
  SkinMenuClose();
  if (FLayerManager->IsVisible()) FLayerManager->Hide();
  if (FMenuLayerManager->IsVisible()) FMenuLayerManager->Hide();
  FFormActive = M.WParam != 0;
  if (!FFormActive) TrackActiveObject(-1, -1, false);
  if (IsMDIChild()) CallOld(M);
  else M.Result = 1;
  if (MDIMaxChild() || !HasBorder()) {
    UpdateActiveLook(false);
  } else {
    // The form's own state may still be the old one while the message runs.
    SendNCPaint();
    UpdateActiveLook(true);
  }
  if (MDIMaxChild())
    if (forms::TCustomForm* main = MDIMainForm()) main->Perform(WM_NCPAINT, 0, 0);
  if (FForm->Visible() && ClientInActiveEffect) {
    if (FFormActive) HideClientInActiveEffect();
    else ShowClientInActiveEffect();
  }
  if (IsMDIChild()) {
    UpdateMainMenuBarItems();
    UpdateMainFormTabsBar();
    UpDateChildActiveInMenu();
  }
  if (FForm->Visible()) {
    if (IsLayeredBorderInUse()) FBorderLayer->SetActive(FFormActive, true);
  } else if (FForm->Tag() != ShownFromTrayTag && IsLayeredBorderInUse()) {
    FBorderLayer->Hide();
  }
}

void TbsBusinessSkinForm::NotifyMDIFrame(unsigned Msg) {
  if (forms::TCustomForm* main = MDIMainForm(); main && main != FForm && main->HandleAllocated())
    SendMessageW(main->Handle(), Msg, 0, 0);
}

void TbsBusinessSkinForm::ShowClientInActiveEffect() {
  HideClientInActiveEffect();
  FClientInActivePanel = new TbsClientInActivePanel(this);
  FClientInActiveDraw = true;
  FClientInActivePanel->ShowPanel(FForm, int(ClientInActiveEffectType));
  FClientInActiveDraw = false;
}

void TbsBusinessSkinForm::HideClientInActiveEffect() {
  if (!FClientInActivePanel) return;
  FClientInActivePanel->HidePanel();
  delete FClientInActivePanel;
  FClientInActivePanel = nullptr;
}

void TbsBusinessSkinForm::CancelModeOnMDIFormEditors() {
  for (int i = 0; i < FForm->ComponentCount(); ++i) {
    auto* C = dynamic_cast<forms::TControl*>(FForm->Components(i));
    if (!C || !C->Visible() || !C->Enabled()) continue;
    if (dynamic_cast<TbsSkinComboFace*>(C) || dynamic_cast<TbsSkinCustomEdit*>(C)) C->Perform(forms::CM_CANCELMODE, 0, 0);
  }
}

void TbsBusinessSkinForm::PaintMDIClientBG(HDC DC) {
  if (!FSD || FSD->Empty) PaintMDIBGDefault(DC);
  else if (FSD->MDIBGPictureIndex != -1) PaintBG3(DC);
  else if (FSD->BGPictureIndex == -1) PaintBG(DC);
  else PaintBG2(DC);
}

void TbsBusinessSkinForm::DoShowWindow(TMessage& M) {
  bool layering = FIsLayerEnabled && (FAlphaBlend || AlphaBlendAnimation || (FSD && FSD->AnimationForAllWindows));
  if (M.WParam) {
    if (FStartShow && PositionInMonitor == bspDefault) FStartShow = false;
    if (FStartShow && FWindowState == forms::wsNormal) {
      FStartShow = false;
      ApplyPositionInMonitor();
    }
    if (FSkinnableForm) {
      if (FSD && FSD->AnimationForAllWindows && FAlphaBlendValue == 0) FAlphaBlendValue = 255;
      if (layering || DeferShowForLayeredBorder()) {
        if (HWND h = FormHandle()) {
          LONG_PTR ex = GetWindowLongW(h, GWL_EXSTYLE);
          if (!(ex & WS_EX_LAYERED)) SetWindowLongW(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
          SetWindowAlpha(0);
          if (IsLayeredBorderInUse() && (FForm->Visible() || FForm->Tag() == ShownFromTrayTag)) {
            FBorderLayer->CheckFormAlpha(0, false);
            FBorderLayer->ShowWithForm();
          }
          SetTimer(h, 1, 1, nullptr);
        }
      }
      if (!IsMDIForm()) NudgeFormWidth();
      // The frame shows menus through its menu bar only.
      if (FForm->Menu()) FForm->SetMenu(nullptr);
      if (IsMDIChild()) {
        AddChildToMenu(FForm);
        AddChildToBar(FForm);
      }
    } else if (layering) {
      if (HWND h = FormHandle()) {
        SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetWindowAlpha(0);
        SetTimer(h, 1, 1, nullptr);
      }
    }
  } else if (FSkinnableForm) {
    if (FLayerManager->IsVisible()) FLayerManager->Hide();
    if (FMenuLayerManager->IsVisible()) FMenuLayerManager->Hide();
    if (IsMDIChild()) {
      DeleteChildFromMenu(FForm);
      DeleteChildFromBar(FForm);
    }
  }
  const bool shown = FForm->Visible() || FForm->Tag() == ShownFromTrayTag;
  if (M.WParam && IsLayeredBorderInUse() && shown && !layering && !DeferShowForLayeredBorder() &&
      !(FSD && FSD->AnimationForAllWindows)) {
    ProcessPendingMessages();
    FBorderLayer->SetActive(true, false);
    FBorderLayer->ShowWithForm();
  } else if (!M.WParam && IsLayeredBorderInUse()) {
    FBorderLayer->Hide();
  }
}

void TbsBusinessSkinForm::DoFadeTimer() {
  HWND h = FormHandle();
  if (!h) return;
  bool anim = AlphaBlendAnimation || (FSD && FSD->AnimationForAllWindows);
  const bool border = IsLayeredBorderInUse() && (FForm->Visible() || FForm->Tag() == ShownFromTrayTag);
  if (DeferShowForLayeredBorder()) {
    KillTimer(h, 1);
    // Opaque first: the window system keeps a window's constant alpha when
    // it stops being layered, and the form was hidden at alpha 0.
    SetWindowAlpha(255);
    SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_LAYERED));
    if (border) {
      FBorderLayer->SetActive(FForm->Active(), false);
      FBorderLayer->CheckFormAlpha(255, true);
    }
    return;
  }
  if (!FIsLayerEnabled || !(FAlphaBlend || anim)) return;
  KillTimer(h, 1);
  if (border) FBorderLayer->SetActive(FForm->Active(), false);
  int target = anim && !FAlphaBlend ? 255 : FAlphaBlendValue;
  if (anim) {
    int step = std::max(1, target / 15);
    ProcessPendingMessages();
    if (!IsWindow(h)) return;
    int alpha = 0;
    DWORD last = GetTickCountWin();
    // Steps of more than 5 ms; the wait sleeps instead of spinning.
    while (alpha < target) {
      DWORD now = GetTickCountWin();
      if (now - last > 5) {
        last = now;
        alpha = std::min(alpha + step, target);
        SetWindowAlpha(alpha);
        if (border) FBorderLayer->CheckFormAlpha(alpha, true);
      } else {
        FadeWait();
      }
    }
  } else if (target != 255) {
    SetWindowAlpha(FAlphaBlendValue);
  }
  if (target == 255) {
    SetWindowAlpha(255);
    SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_LAYERED));
    if (border) FBorderLayer->CheckFormAlpha(255, true);
  }
}

}  // namespace skin
