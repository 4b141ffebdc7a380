#include "skin/menus/bsTrayIcon.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/win/WinApi.h"

namespace skin {

using namespace win;

namespace {

constexpr UINT WM_QUERYENDSESSION = 0x0011, WM_USERCHANGED = 0x0054;
// Posted to the notification window: the main form, shown by the message
// loop, goes to the tray (MinimizedOnStart).
constexpr UINT MSG_HIDE_ON_START = WM_USER + 1;
// Posted to it when the application was minimised.
constexpr UINT MSG_MINIMIZE_TO_TRAY = WM_USER + 2;
const char16_t* const kNotifyClass = u"TbsTrayIconWindow";

forms::TShiftState KeyShift() {
  forms::TShiftState S;
  if (GetAsyncKeyState(VK_SHIFT) < 0) S.Include(forms::ssShift);
  if (GetAsyncKeyState(VK_CONTROL) < 0) S.Include(forms::ssCtrl);
  if (GetAsyncKeyState(VK_MENU) < 0) S.Include(forms::ssAlt);
  return S;
}

forms::TShiftState With(forms::TShiftState S, forms::TShiftStateItem I) {
  S.Include(I);
  return S;
}

}  // namespace

// The application window is one window shared by every tray icon: its
// procedure is replaced once, by the first icon, and given back by the last.
struct TTrayHooks {
  struct THooked {
    WNDPROC Old = nullptr;
    std::vector<TbsTrayIcon*> Icons;
  };
  static std::map<HWND, THooked>& Windows() {
    static std::map<HWND, THooked> M;
    return M;
  }
  static LRESULT AppProc(HWND H, UINT Msg, WPARAM W, LPARAM L) {
    auto It = Windows().find(H);
    if (It == Windows().end()) return DefWindowProcW(H, Msg, W, L);
    WNDPROC Old = It->second.Old;
    std::vector<TbsTrayIcon*> Icons = It->second.Icons;
    for (TbsTrayIcon* I : Icons) {
      auto& Live = Windows()[H].Icons;
      if (std::find(Live.begin(), Live.end(), I) != Live.end()) I->AppWndProc(Msg, W, L);
    }
    return CallWindowProcW(Old, H, Msg, W, L);
  }
  static void Hook(HWND H, TbsTrayIcon* I) {
    if (!H) return;
    THooked& E = Windows()[H];
    if (E.Icons.empty()) E.Old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(H, GWLP_WNDPROC, LONG_PTR(&AppProc)));
    E.Icons.push_back(I);
  }
  static void Unhook(HWND H, TbsTrayIcon* I) {
    auto It = Windows().find(H);
    if (It == Windows().end()) return;
    auto& V = It->second.Icons;
    V.erase(std::remove(V.begin(), V.end(), I), V.end());
    if (!V.empty()) return;
    if (IsWindow(H) && GetWindowLongPtrW(H, GWLP_WNDPROC) == LONG_PTR(&AppProc))
      SetWindowLongPtrW(H, GWLP_WNDPROC, LONG_PTR(It->second.Old));
    Windows().erase(It);
  }
  static void Owner(TbsTrayIcon* I, forms::TMessage& M) { I->OwnerWndProc(M); }
};

// The owner's window procedure likewise: one replacement for all icons of
// that owner, the owner's own procedure kept by the first.
struct TOwnerHook {
  forms::TWinControl* Owner;
  void operator()(forms::TMessage& M) const;
};

struct TOwnerHooks {
  struct THooked {
    forms::TWndMethod Old;  // empty: the owner's own WndProc
    std::vector<TbsTrayIcon*> Icons;
    forms::TLiveness Live;  // icons go while their owner is half destroyed
  };
  static std::map<forms::TWinControl*, THooked>& Owners() {
    static std::map<forms::TWinControl*, THooked> M;
    return M;
  }
  static void Hook(forms::TWinControl* O, TbsTrayIcon* I) {
    THooked& E = Owners()[O];
    if (E.Icons.empty()) {
      E.Live = O->Liveness();
      E.Old = O->WindowProc;
      O->WindowProc = TOwnerHook{O};
    }
    E.Icons.push_back(I);
  }
  static void Unhook(forms::TWinControl* O, TbsTrayIcon* I) {
    auto It = Owners().find(O);
    if (It == Owners().end()) return;
    auto& V = It->second.Icons;
    V.erase(std::remove(V.begin(), V.end(), I), V.end());
    if (!V.empty()) return;
    if (It->second.Live.Alive()) {
      const auto* Mine = O->WindowProc.target<TOwnerHook>();
      if (Mine && Mine->Owner == O) O->WindowProc = It->second.Old;
    }
    Owners().erase(It);
  }
};

void TOwnerHook::operator()(forms::TMessage& M) const {
  auto It = TOwnerHooks::Owners().find(Owner);
  if (It == TOwnerHooks::Owners().end()) {
    Owner->WndProc(M);
    return;
  }
  const std::vector<TbsTrayIcon*> Icons = It->second.Icons;
  const forms::TWndMethod Old = It->second.Old;
  for (TbsTrayIcon* I : Icons) {
    auto Live = TOwnerHooks::Owners().find(Owner);
    if (Live != TOwnerHooks::Owners().end() &&
        std::find(Live->second.Icons.begin(), Live->second.Icons.end(), I) != Live->second.Icons.end())
      TTrayHooks::Owner(I, M);
  }
  if (Old)
    Old(M);
  else
    Owner->WndProc(M);
}

unsigned TbsTrayIcon::TaskbarCreatedMessage = 0;

TbsTrayIcon::TbsTrayIcon(rtl::TComponent* AOwner) : rtl::TComponent(AOwner), FIcon(std::make_unique<forms::TIcon>()) {
  if (!TaskbarCreatedMessage) TaskbarCreatedMessage = RegisterWindowMessageW(u"TaskbarCreated");
  WNDCLASSW Existing;
  if (!GetClassInfoW(kNotifyClass, &Existing) || Existing.lpfnWndProc != &NotifyWindowProc) {
    if (GetClassInfoW(kNotifyClass, &Existing)) UnregisterClassW(kNotifyClass);
    WNDCLASSW C;
    C.lpfnWndProc = &NotifyWindowProc;
    C.lpszClassName = kNotifyClass;
    RegisterClassW(&C);
  }
  FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, kNotifyClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, 0, nullptr);
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, LONG_PTR(this));
  FIconData.hWnd = FHandle;
  FIconData.uID = 1;
  FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FIconData.uCallbackMessage = MSG_TRAY_ICON_NOTIFY;

  AnimateTimer = new forms::TTimer(this);
  AnimateTimer->SetEnabled(false);
  AnimateTimer->SetInterval(FAnimateTimerInterval);
  AnimateTimer->OnTimer = [this](TObject*) { AnimateTimerTick(); };
  ClickTimer = new forms::TTimer(this);
  ClickTimer->SetEnabled(false);
  ClickTimer->SetInterval(GetDoubleClickTime());
  ClickTimer->OnTimer = [this](TObject*) { ClickTimerTick(); };

  if (Designing()) return;
  if (FIcon->Empty() && LoadDefaultIcon() && forms::Application && forms::Application->MainForm() &&
      !forms::Application->MainForm()->Icon()->Empty())
    FIcon->Assign(forms::Application->MainForm()->Icon());
  if (forms::Application) {
    FAppWindow = forms::Application->Handle();
    TTrayHooks::Hook(FAppWindow, this);
  }
  if (forms::TWinControl* O = WindowedOwner()) {
    FHookedOwner = O;
    TOwnerHooks::Hook(O, this);
  }
}

TbsTrayIcon::~TbsTrayIcon() {
  SetIconVisible(false);
  SetDesignPreview(false);
  if (FHandle) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
  if (Designing()) return;
  TTrayHooks::Unhook(FAppWindow, this);
  if (FHookedOwner) TOwnerHooks::Unhook(FHookedOwner, this);
}

forms::TWinControl* TbsTrayIcon::WindowedOwner() const { return dynamic_cast<forms::TWinControl*>(Owner()); }

HWND TbsTrayIcon::WindowHandle() const {
  forms::TWinControl* O = WindowedOwner();
  return O && O->HandleAllocated() ? O->Handle() : nullptr;
}

void TbsTrayIcon::Loaded() {
  rtl::TComponent::Loaded();
  if (WindowedOwner() && MinimizedOnStart && !Designing()) {
    FIconVisible = true;
    MinimizeToTray = true;
    // The message loop shows the main form first; it goes to the tray then.
    PostMessageW(FHandle, MSG_HIDE_ON_START, 0, 0);
  }
  ModifyIcon();
  if (FIconVisible)
    AddIcon();
  else
    RemoveIcon();
}

void TbsTrayIcon::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FIconList) FIconList = nullptr;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

// ---------------------------------------------------------------- shell calls
bool TbsTrayIcon::UpdateIconData() {
  FIconData.hIcon = FIcon->Handle();
  SetNotifyText(FIconData.szTip, !FHint.empty() && FShowHint ? FHint : String());
  return true;
}

bool TbsTrayIcon::ShellCall(DWORD Message) {
  if (Designing() && !SettingPreview && !FDesignPreview) return false;
  UpdateIconData();
  const bool Ok = Shell_NotifyIconW(Message, &FIconData);
  if (Ok && Message == NIM_ADD) FIconAdded = true;
  if (Message == NIM_DELETE) FIconAdded = false;
  return Ok;
}

bool TbsTrayIcon::AddIcon() {
  if (!SettingPreview) FIconVisible = true;
  if (Designing() && !SettingPreview) return false;
  return ShellCall(NIM_ADD);
}

bool TbsTrayIcon::RemoveIcon() {
  if (!SettingPreview) FIconVisible = false;
  if (Designing() && !SettingPreview) return false;
  return ShellCall(NIM_DELETE);
}

bool TbsTrayIcon::ModifyIcon() { return ShellCall(NIM_MODIFY); }

bool TbsTrayIcon::HideBalloonHint() {
  FIconData.uFlags |= NIF_INFO;
  SetNotifyText(FIconData.szInfo, String());
  return ModifyIcon();
}

bool TbsTrayIcon::ShowBalloonHint(const String& Title, const String& Text, TbsBalloonHintIcon IconType) {
  HideBalloonHint();
  FIconData.uFlags |= NIF_INFO;
  SetNotifyText(FIconData.szInfo, Text);
  SetNotifyText(FIconData.szInfoTitle, Title);
  FIconData.dwInfoFlags = DWORD(IconType);
  const bool Ok = ModifyIcon();
  FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  return Ok;
}

// ---------------------------------------------------------------- properties
void TbsTrayIcon::SetDesignPreview(bool Value) {
  FDesignPreview = Value;
  if (!Designing()) return;
  SettingPreview = true;
  SetIconVisible(Value);
  SettingPreview = false;
}

void TbsTrayIcon::SetIconList(forms::TCustomImageList* Value) {
  FIconList = Value;
  if (Value) Value->FreeNotification(this);
  SetIconIndex(0);
}

void TbsTrayIcon::SetCycleIcons(bool Value) {
  FCycleIcons = Value;
  if (Value) SetIconIndex(0);
  AnimateTimer->SetEnabled(Value);
}

void TbsTrayIcon::SetAnimateTimerInterval(unsigned Value) {
  FAnimateTimerInterval = Value;
  AnimateTimer->SetInterval(Value);
}

void TbsTrayIcon::SetHint(const String& Value) {
  FHint = Value;
  ModifyIcon();
}

void TbsTrayIcon::SetShowHint(bool Value) {
  FShowHint = Value;
  ModifyIcon();
}

void TbsTrayIcon::SetIcon(forms::TIcon* Value) {
  FIcon->Assign(Value);
  ModifyIcon();
}

void TbsTrayIcon::SetIconVisible(bool Value) {
  if (Value)
    AddIcon();
  else
    RemoveIcon();
}

void TbsTrayIcon::TakeListIcon(int Index) {
  gdi::TBitmap B;
  FIconList->GetBitmap(Index, &B);
  FIcon->LoadFromBitmap(&B);
}

void TbsTrayIcon::SetIconIndex(int Value) {
  // An empty list has no icon to take: the index stays 0 and the icon as it is.
  if (FIconList && FIconList->Count() > 0) {
    FIconIndex = std::clamp(Value, 0, FIconList->Count() - 1);
    TakeListIcon(FIconIndex);
  } else {
    FIconIndex = 0;
  }
  ModifyIcon();
}

void TbsTrayIcon::SetPopupMenu(forms::TPopupMenu* Value) {
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

bool TbsTrayIcon::BitmapToIcon(gdi::TBitmap* Bitmap, forms::TIcon* Icon, rtl::TColor MaskColor) {
  forms::TImageList List(nullptr, 16, 16);
  List.AddMasked(Bitmap, MaskColor);
  gdi::TBitmap First;
  List.GetBitmap(0, &First);
  Icon->LoadFromBitmap(&First);
  return true;
}

// ---------------------------------------------------------------- events
void TbsTrayIcon::Click() {
  if (OnClick) OnClick(this);
}
void TbsTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TbsTrayIcon::Cycle(int NextIndex) {
  if (OnCycle) OnCycle(this, NextIndex);
}
void TbsTrayIcon::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TbsTrayIcon::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TbsTrayIcon::MouseMove(forms::TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TbsTrayIcon::DoMinimizeToTray() {
  // The form leaves the screen only when the icon is there to bring it back.
  if (!FIconAdded && !AddIcon()) return;
  FIconVisible = true;
  HideMainForm();
}

// ---------------------------------------------------------------- windows
LRESULT TbsTrayIcon::NotifyWindowProc(HWND H, UINT Msg, WPARAM W, LPARAM L) {
  auto* Self = reinterpret_cast<TbsTrayIcon*>(GetWindowLongPtrW(H, GWLP_USERDATA));
  if (Self) return Self->IconWndProc(Msg, W, L);
  return DefWindowProcW(H, Msg, W, L);
}

LRESULT TbsTrayIcon::IconWndProc(UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == MSG_TRAY_ICON_NOTIFY) {
    if (!Enabled) return 0;
    POINT P;
    GetCursorPos(&P);
    const forms::TShiftState Shift = KeyShift();
    switch (UINT(L)) {
      case WM_MOUSEMOVE: MouseMove(Shift, P.X, P.Y); break;
      case WM_LBUTTONDOWN:
        ClickTimer->SetEnabled(false);
        ClickTimer->SetEnabled(true);
        MouseDown(forms::mbLeft, With(Shift, forms::ssLeft), P.X, P.Y);
        FClickStart = true;
        if (PopupByLeftButton) PopupAtCursor();
        break;
      case WM_LBUTTONUP:
        if (FClickStart) {
          FClickReady = true;
          if (!ClickTimer->Enabled()) {
            FClickStart = FClickReady = false;
            Click();
          }
        }
        FClickStart = false;
        MouseUp(forms::mbLeft, With(Shift, forms::ssLeft), P.X, P.Y);
        break;
      case WM_LBUTTONDBLCLK:
        FClickReady = false;
        IsDblClick = true;
        DblClick();
        if (FPopupMenu && FPopupMenu->AutoPopup() && !PopupByLeftButton) {
          forms::TMenuItem* Items = FPopupMenu->Items();
          for (int i = 0; Items && i < Items->Count(); ++i)
            if (Items->Items(i)->Default()) {
              Items->Items(i)->Click();
              break;
            }
        }
        break;
      case WM_RBUTTONDOWN:
        MouseDown(forms::mbRight, With(Shift, forms::ssRight), P.X, P.Y);
        PopupAtCursor();
        break;
      case WM_RBUTTONUP: MouseUp(forms::mbRight, With(Shift, forms::ssRight), P.X, P.Y); break;
      case WM_MBUTTONDOWN: MouseDown(forms::mbMiddle, With(Shift, forms::ssMiddle), P.X, P.Y); break;
      case WM_MBUTTONUP: MouseUp(forms::mbMiddle, With(Shift, forms::ssMiddle), P.X, P.Y); break;
      case NIN_BALLOONUSERCLICK:
        if (OnBalloonHintClick) OnBalloonHintClick(this);
        break;
      default: break;
    }
    return 0;
  }
  if (Msg == TaskbarCreatedMessage) {
    // A new notification area: the icon goes back while it should be shown.
    FIconAdded = false;
    if (FIconVisible) AddIcon();
    return 0;
  }
  if (Msg == MSG_HIDE_ON_START || Msg == MSG_MINIMIZE_TO_TRAY) {
    if (MinimizeToTray) DoMinimizeToTray();
    return 0;
  }
  switch (Msg) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_USERCHANGED:
    case WM_NCDESTROY: return 1;
    default: return DefWindowProcW(FHandle, Msg, W, L);
  }
}

void TbsTrayIcon::ClickTimerTick() {
  ClickTimer->SetEnabled(false);
  if (!IsDblClick && FClickReady) {
    FClickReady = false;
    Click();
  }
  IsDblClick = false;
}

void TbsTrayIcon::AnimateTimerTick() {
  if (!FIconList || FIconList->Count() == 0) return;
  const int Last = FIconList->Count() - 1;
  const int Current = std::clamp(FIconIndex, 0, Last);
  const int Next = Current >= Last ? 0 : Current + 1;
  TakeListIcon(Current);
  Cycle(Next);
  ModifyIcon();
  SetIconIndex(Next);
}

void TbsTrayIcon::PopupAtCursor() {
  if (!FPopupMenu || !FPopupMenu->AutoPopup()) return;
  POINT P;
  if (!GetCursorPos(&P)) return;
  if (forms::Application) forms::Application->ProcessMessages();
  forms::TWinControl* O = WindowedOwner();
  if (O && O->HandleAllocated() && IsWindowVisible(O->Handle())) SetForegroundWindow(O->Handle());
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(P.X, P.Y);
  if (O && O->HandleAllocated()) PostMessageW(O->Handle(), WM_NULL, 0, 0);
}

void TbsTrayIcon::AppWndProc(UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_SIZE && W == SIZE_MINIMIZED && MinimizeToTray) {
    // Once the minimising is over: a window hidden inside its own WM_SIZE
    // would be left half-way.
    PostMessageW(FHandle, MSG_MINIMIZE_TO_TRAY, 0, 0);
  } else if (Msg == WM_WINDOWPOSCHANGED && SettingMDIForm && forms::Application && forms::Application->MainForm()) {
    if (forms::Application->MainForm()->FormStyle() == forms::fsMDIForm && MinimizedOnStart)
      ShowWindow(FAppWindow, SW_HIDE);
    SettingMDIForm = false;
  } else if (Msg == TaskbarCreatedMessage && FIconVisible) {
    AddIcon();
  }
}

void TbsTrayIcon::OwnerWndProc(forms::TMessage& M) {
  forms::TWinControl* O = WindowedOwner();
  switch (M.Msg) {
    case WM_ACTIVATE:
      if ((LOWORD(M.WParam) == WA_ACTIVE || LOWORD(M.WParam) == WA_CLICKACTIVE) && forms::Screen &&
          forms::Screen->ActiveControl()) {
        forms::TWinControl* C = forms::Screen->ActiveControl();
        forms::TWinControl* P = C->Parent() ? C->Parent() : C;
        if (P->HandleAllocated() && HWND(M.LParam) != P->Handle() && C->HandleAllocated()) SetFocus(C->Handle());
      }
      break;
    case WM_SHOWWINDOW:
      if (M.WParam == 1 && M.LParam == 0 && O && O->HandleAllocated()) SetForegroundWindow(O->Handle());
      break;
    case WM_SIZE:
      // The main form stands for the application here: its minimising is the
      // application's.
      if (forms::Application && O == forms::Application->MainForm()) AppWndProc(M.Msg, M.WParam, M.LParam);
      break;
    default: break;
  }
}

void TbsTrayIcon::HideMainForm() {
  forms::TCustomForm* F = forms::Application ? forms::Application->MainForm() : nullptr;
  if (!WindowedOwner() || !F) return;
  F->SetVisible(false);
  F->SetTag(ShownFromTrayTag);
}

void TbsTrayIcon::ShowMainForm() {
  forms::TCustomForm* F = forms::Application ? forms::Application->MainForm() : nullptr;
  if (!WindowedOwner() || !F) return;
  F->SetVisible(true);
  if (F->WindowState() == forms::wsMinimized) F->SetWindowState(forms::wsNormal);
  if (F->HandleAllocated() && IsIconic(F->Handle())) ShowWindow(F->Handle(), SW_RESTORE);
  F->SetTag(ShownFromTrayTag);
  if (F->HandleAllocated()) PostMessageW(F->Handle(), MSG_SHOWN_FROM_TRAY, 0, 0);
}

// ---------------------------------------------------------------- frame side
void TbsTrayFrameLink::SetTrayIcon(TbsTrayIcon* Value) {
  FTrayIcon = Value;
  if (!Value) {
    if (ComponentState().Contains(rtl::csDesigning) && !ComponentState().Contains(rtl::csLoading))
      FFrame.ShowMinimizeToTrayIcon(false);
    return;
  }
  Value->FreeNotification(this);
  if (!FFrame.AlwaysShowInTray()) Value->SetIconVisible(false);
  Value->MinimizeToTray = false;
  const rtl::TComponentState S = Value->ComponentState();
  if (S.Contains(rtl::csDesigning)) {
    if (!S.Contains(rtl::csLoading)) FFrame.ShowMinimizeToTrayIcon(true);
    return;
  }
  if (!Value->PopupMenu()) {
    Value->SetPopupMenu(FFrame.SysTrayMenu());
    if (!Value->OnDblClick) Value->OnDblClick = [this, Alive = std::weak_ptr<int>(FAlive)](TObject* Sender) {
        if (!Alive.expired()) RestoreFromTrayDblClick(Sender);
      };
  }
}

void TbsTrayFrameLink::MinimizeToTray() {
  if (!FTrayIcon) return;
  FTrayIcon->MinimizeToTray = true;
  if (forms::Application) forms::Application->Minimize();
  FFrame.MinimizedToTray();
}

void TbsTrayFrameLink::RestoreFromTray() {
  if (!FTrayIcon) return;
  FTrayIcon->MinimizeToTray = false;
  FTrayIcon->ShowMainForm();
  if (forms::Application) forms::Application->Restore();
  if (!FFrame.AlwaysShowInTray()) FTrayIcon->SetIconVisible(false);
  FFrame.RestoredFromTray();
}

void TbsTrayFrameLink::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FTrayIcon) FTrayIcon = nullptr;
}

}  // namespace skin
