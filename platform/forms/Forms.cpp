#include "platform/forms/Forms.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/forms/FormsInternal.h"
#include "platform/forms/Icon.h"
#include "platform/forms/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Strings.h"

namespace forms {

using namespace win;

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

// ------------------------------------------------------------------ TCustomForm
TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetColor(gdi::clBtnFace);
  SetParentColor(false);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (!destroyed_) {
    destroyed_ = true;
    TLiveness live = Liveness();
    try {
      DoDestroy();
    } catch (...) {
      if (detail::gExceptionHook) detail::gExceptionHook(this);
    }
    (void)live;
  }
  if (Screen) Screen->RemoveForm(this);
  if (icon_ && HandleAllocated()) {
    // The window must not keep a handle the icon is about to destroy.
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, 0);
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, 0);
  }
  if (menu_) menu_->RemoveFreeNotification(this);
}

void TCustomForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  DoCreate();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}
void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}
void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}
void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}
void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}
void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}
void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (Parent()) return;  // a form placed inside another control is a plain child window
  p.Style = WS_CLIPCHILDREN;
  p.ExStyle = 0;
  DWORD icons = 0;
  if (borderIcons_.Contains(biSystemMenu)) {
    icons |= WS_SYSMENU;
    if (borderIcons_.Contains(biMinimize)) icons |= WS_MINIMIZEBOX;
    if (borderIcons_.Contains(biMaximize)) icons |= WS_MAXIMIZEBOX;
  }
  switch (borderStyle_) {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle: p.Style |= WS_CAPTION | icons; break;
    case bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME | icons; break;
    case bsDialog:
      p.Style |= WS_POPUP | WS_CAPTION | (icons & WS_SYSMENU);
      p.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      p.Style |= WS_CAPTION | (icons & WS_SYSMENU);
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME | (icons & WS_SYSMENU);
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (!Enabled()) p.Style |= WS_DISABLED;
  // A shown form whose window is made anew (a new border style) stays shown.
  if (Visible() && shownOnce_) p.Style |= WS_VISIBLE;
  // Forms of a program sit above its main form; a caption-less form stays
  // unowned so that the display manages it like any form.
  p.WndParent = nullptr;
  if (Application && Application->MainForm() && Application->MainForm() != this &&
      Application->MainForm()->HandleAllocated() && borderStyle_ != bsNone)
    p.WndParent = Application->MainForm()->Handle();
}

void TCustomForm::CreateWnd() {
  TCustomControl::CreateWnd();
  if (HandleAllocated() && Screen && Screen->Cursor() != crDefault) Perform(CM_CURSORCHANGED);
  ApplyIcon();
}

bool TCustomForm::Showing() const {
  return HandleAllocated() ? IsWindowVisible(const_cast<TCustomForm*>(this)->Handle()) : false;
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated() && IsWindowVisible(Handle())) {
    SetWindowPos(Handle(), formStyle_ == fsStayOnTop ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(Handle());
  }
}

void TCustomForm::PlaceOnFirstShow() {
  TRect wa;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
  auto centreOn = [this](const TRect& r) {
    SetBounds(r.Left + (r.Width() - Width()) / 2, r.Top + (r.Height() - Height()) / 2, Width(), Height());
  };
  TCustomForm* over = nullptr;
  switch (position_) {
    case poScreenCenter: case poDesktopCenter: centreOn(wa); return;
    case poMainFormCenter:
      over = Application ? Application->MainForm() : nullptr;
      break;
    case poOwnerFormCenter: over = dynamic_cast<TCustomForm*>(Owner()); break;
    default: return;
  }
  if (over && over != this && over->HandleAllocated() && IsWindowVisible(over->Handle())) centreOn(over->BoundsRect());
  else centreOn(wa);
}

void TCustomForm::VisibleChanged() {
  if (Parent()) {
    if (HandleAllocated()) ShowWindow(Handle(), Visible() ? SW_SHOWNA : SW_HIDE);
    return;
  }
  TLiveness live = Liveness();
  if (Visible()) {
    if (!shownOnce_) PlaceOnFirstShow();
    HandleNeeded();  // made hidden: OnShow comes before the window shows
    shownOnce_ = true;
    DoShow();
    if (!live.Alive() || !Visible()) return;
    ShowWindow(Handle(), SW_SHOW);
  } else {
    DoHide();
    if (!live.Alive()) return;
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  }
}

int TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || inModal_) throw rtl::EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  HWND activeBefore = GetActiveWindow();
  TLiveness live = Liveness();
  // Every other window of the program is disabled while the dialog runs.
  std::vector<std::pair<TCustomForm*, TLiveness>> disabled;
  if (Screen)
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f == this || !f->HandleAllocated() || f->Parent()) continue;
      if (IsWindowVisible(f->Handle()) && IsWindowEnabled(f->Handle())) {
        EnableWindow(f->Handle(), FALSE);
        disabled.push_back({f, f->Liveness()});
      }
    }
  auto restore = [&] {
    for (auto& [f, l] : disabled)
      if (l.Alive() && f->HandleAllocated()) EnableWindow(f->Handle(), TRUE);
    if (activeBefore && IsWindow(activeBefore)) SetActiveWindow(activeBefore);
  };
  int result = mrCancel;
  inModal_ = true;
  try {
    modalResult_ = mrNone;
    Show();
    while (live.Alive()) {
      if (modalResult_ == mrNone) Application->HandleMessage();
      if (!live.Alive()) break;
      if (Application->Terminated()) modalResult_ = mrCancel;
      if (modalResult_ != mrNone) {
        CloseModal();
        if (!live.Alive() || modalResult_ != mrNone) break;
      }
    }
    if (live.Alive()) {
      result = modalResult_;
      inModal_ = false;
      if (Visible()) Hide();
    }
  } catch (...) {
    if (live.Alive()) inModal_ = false;
    restore();
    throw;
  }
  restore();
  return result;
}

void TCustomForm::CloseModal() {
  TLiveness live = Liveness();
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    if (!live.Alive()) return;
    DoClose(action);
  }
  if (!live.Alive()) return;
  switch (action) {
    case caNone: modalResult_ = mrNone; break;
    case caFree: Release(); break;
    default: break;
  }
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Close() {
  if (inModal_) {
    modalResult_ = mrCancel;
    return;
  }
  TLiveness live = Liveness();
  if (!CloseQuery() || !live.Alive()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (!live.Alive() || action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    Hide();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Hide(); Release(); break;
    default: break;
  }
}

void TCustomForm::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  TLiveness live = Liveness();
  if (active) {
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    if (activeControl_ && activeControl_->CanFocus()) win::SetFocus(activeControl_->Handle());
    else win::SetFocus(Handle());
    if (!live.Alive()) return;
    if (Screen) Screen->SetActiveForm(this);
    if (Application) Application->FormActivated(this, true);
    Activate();
  } else {
    Deactivate();
    if (!live.Alive()) return;
    if (Application) Application->FormActivated(this, false);
  }
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (c == activeControl_) return;
  if (c && (!ContainsControl(c) || !c->CanFocus()))
    throw rtl::EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = c;
  if (c && active_ && HandleAllocated()) win::SetFocus(c->Handle());
}

void TCustomForm::FocusControl(TWinControl* c) {
  if (!c->CanFocus()) throw rtl::EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = c;
  if (active_ && HandleAllocated()) win::SetFocus(c->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* c) {
  if (c == focusedControl_) return true;
  TLiveness live = Liveness();
  TWinControl* old = focusedControl_;
  focusedControl_ = c;
  if (c != this) activeControl_ = c;
  // Exit from the old control up to the common parent, then enter down to the new one.
  std::vector<TWinControl*> oldChain, newChain;
  for (TWinControl* p = old; p && p != this; p = p->Parent()) oldChain.push_back(p);
  for (TWinControl* p = c; p && p != this; p = p->Parent()) newChain.push_back(p);
  while (!oldChain.empty() && !newChain.empty() && oldChain.back() == newChain.back())
    oldChain.pop_back(), newChain.pop_back();
  for (TWinControl* p : oldChain) {
    TLiveness pl = p->Liveness();
    p->Perform(CM_EXIT);
    if (!live.Alive() || focusedControl_ != c) return false;
    (void)pl;
  }
  for (auto it = newChain.rbegin(); it != newChain.rend(); ++it) {
    (*it)->Perform(CM_ENTER);
    if (!live.Alive() || focusedControl_ != c) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, LPARAM(reinterpret_cast<std::intptr_t>(c)));
  if (live.Alive() && Screen && Screen->OnActiveControlChange && Screen->ActiveForm() == this)
    Screen->OnActiveControlChange(Screen);
  return live.Alive();
}

void TCustomForm::DefocusControl(TWinControl* c, bool removing) {
  if (removing && c->ContainsControl(focusedControl_)) focusedControl_ = nullptr;
  if (c->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

void TCustomForm::SendCancelMode(TControl* sender) {
  if (active_ && activeControl_) activeControl_->Perform(CM_CANCELMODE, 0, LPARAM(reinterpret_cast<std::intptr_t>(sender)));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (v == borderIcons_) return;
  borderIcons_ = v;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
  if (v == fsMDIChild || v == fsMDIForm) return;  // no form of this program is an MDI form
  if (v == formStyle_) return;
  formStyle_ = v;
  if (HandleAllocated())
    SetWindowPos(Handle(), v == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const {
  if (!HandleAllocated()) return wsNormal;
  HWND h = const_cast<TCustomForm*>(this)->Handle();
  if (IsIconic(h)) return wsMinimized;
  if (IsZoomed(h)) return wsMaximized;
  return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState v) {
  if (!HandleAllocated()) HandleNeeded();
  int cmd = v == wsMinimized ? SW_MINIMIZE : v == wsMaximized ? SW_MAXIMIZE : SW_RESTORE;
  if (Visible()) ShowWindow(Handle(), cmd);
}

TIcon* TCustomForm::Icon() {
  if (!icon_) {
    icon_ = std::make_unique<TIcon>();
    icon_->OnChange = [this](TObject*) { ApplyIcon(); };
  }
  return icon_.get();
}

void TCustomForm::ApplyIcon() {
  if (!HandleAllocated() || Parent()) return;
  HICON h = icon_ ? icon_->Handle() : nullptr;
  // The window keeps only the handle; the icon object stays its owner.
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, LPARAM(reinterpret_cast<std::intptr_t>(h)));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, LPARAM(reinterpret_cast<std::intptr_t>(h)));
}

void TCustomForm::SetMenu(TMainMenu* m) {
  if (menu_) menu_->RemoveFreeNotification(this);
  menu_ = m;
  if (m) m->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* component, rtl::TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != rtl::opRemove) return;
  if (component == menu_) menu_ = nullptr;
  if (component == activeControl_) activeControl_ = nullptr;
  if (component == focusedControl_) focusedControl_ = nullptr;
}

bool TCustomForm::IsShortCut(MSG& msg) {
  bool handled = false;
  TLiveness live = Liveness();
  if (OnShortCut) OnShortCut(msg, handled);
  if (!live.Alive()) return true;
  if (!handled && menu_) handled = menu_->IsShortCut(rtl::Word(msg.wParam), KeyDataToShiftState(msg.lParam));
  return handled;
}

bool TCustomForm::PreviewKeyDown(rtl::Word& key, TShiftState shift) {
  TLiveness live = Liveness();
  KeyDown(key, shift);
  return !live.Alive() || key == 0;
}

bool TCustomForm::PreviewKeyPress(char16_t& key) {
  TLiveness live = Liveness();
  KeyPress(key);
  return !live.Alive() || key == 0;
}

bool TCustomForm::PreviewKeyUp(rtl::Word& key, TShiftState shift) {
  TLiveness live = Liveness();
  KeyUp(key, shift);
  return !live.Alive() || key == 0;
}

void TCustomForm::CMDialogKey(TMessage& m) {
  TShiftState s = KeyDataToShiftState(m.LParam);
  if (!s.Contains(ssAlt)) {
    switch (int(m.WParam)) {
      case VK_TAB:
        if (!s.Contains(ssCtrl)) {
          SelectNext(activeControl_, !s.Contains(ssShift), true);
          m.Result = 1;
          return;
        }
        break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_, m.WParam == WPARAM(VK_RIGHT) || m.WParam == WPARAM(VK_DOWN),
                                               false);
          m.Result = 1;
        }
        return;
      default: break;
    }
  }
  Broadcast(m);
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_VISIBLECHANGED: VisibleChanged(); return;
    case CM_DIALOGKEY: CMDialogKey(m); return;
    case WM_CLOSE: Close(); return;
    case WM_ACTIVATE:
      SetActive(LOWORD(m.WParam) != WA_INACTIVE && !HIWORD(m.WParam));
      return;
    case WM_SETFOCUS:
      if (activeControl_ && activeControl_ != this && activeControl_->CanFocus()) {
        win::SetFocus(activeControl_->Handle());
        return;
      }
      DefaultHandler(m);
      SetFocusedControl(this);
      return;
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
        Application->Minimize();
        return;
      }
      break;
    case CM_TEXTCHANGED:
      if (HandleAllocated()) SetWindowTextW(Handle(), Text().c_str());
      return;
    case CM_CURSORCHANGED:
      return;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ THintWindow
THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  SetColor(gdi::clInfoBk);
  Font()->Assign(Screen ? Screen->HintFont() : Font());
  Font()->SetColor(gdi::clInfoText);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  p.WndParent = Application ? Application->Handle() : nullptr;
}

TRect THintWindow::CalcHintRect(int maxWidth, const String& hint) {
  HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, Font()->Handle());
  RECT r = rtl::Rect(0, 0, maxWidth > 0 ? maxWidth : 300, 0);
  gdi::DrawTextW(dc, hint.c_str(), int(hint.size()), &r, gdi::DT_CALCRECT | gdi::DT_LEFT | gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
  gdi::SelectObject(dc, old);
  gdi::DeleteDC(dc);
  return rtl::Rect(0, 0, r.Width() + 8, r.Height() + 4);
}

void THintWindow::ActivateHint(TRect rect, const String& hint) {
  SetCaption(hint);
  TRect wa;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
  if (rect.Right > wa.Right) rect = rtl::Bounds(wa.Right - rect.Width(), rect.Top, rect.Width(), rect.Height());
  if (rect.Bottom > wa.Bottom) rect = rtl::Bounds(rect.Left, rect.Top - rect.Height() - 24, rect.Width(), rect.Height());
  if (rect.Left < wa.Left) rect = rtl::Bounds(wa.Left, rect.Top, rect.Width(), rect.Height());
  if (rect.Top < wa.Top) rect = rtl::Bounds(rect.Left, wa.Top, rect.Width(), rect.Height());
  SetBoundsRect(rect);
  HandleNeeded();
  visible_ = true;
  SetWindowPos(Handle(), HWND_TOPMOST, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  visible_ = false;
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint() {
  gdi::TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Brush()->SetColor(gdi::clInfoText);
  c->FrameRect(r);
  RECT t = rtl::Rect(r.Left + 4, r.Top + 2, r.Right - 4, r.Bottom - 2);
  detail::DrawTextIn(c->Handle(), Font(), Font()->Color(), Caption(), t, gdi::DT_LEFT | gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
}

void THintWindow::Dispatch(TMessage& m) {
  if (m.Msg == WM_NCHITTEST) {
    m.Result = HTTRANSPARENT;
    return;
  }
  if (m.Msg == CM_VISIBLECHANGED) {
    if (HandleAllocated()) ShowWindow(Handle(), m.WParam ? SW_SHOWNA : SW_HIDE);
    return;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ TApplication
TApplication::TApplication(TComponent* owner) : TComponent(owner), guiThread_(GetCurrentThreadId()) {}

TApplication::~TApplication() {
  StopHintTimer();
  OnException = nullptr;
  // Forms first (they may still look at the application), then the rest.
  DestroyComponents();
  if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
}

void TApplication::Initialize() { guiThread_ = GetCurrentThreadId(); }

LRESULT TApplication::AppWndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CLOSE:
      if (Application && Application->MainForm()) Application->MainForm()->Close();
      return 0;
    case WM_NCDESTROY:
      if (Application && Application->handle_ == h) Application->handle_ = nullptr;
      break;
    default: break;
  }
  return DefWindowProcW(h, msg, w, l);
}

HWND TApplication::Handle() {
  if (handle_ && IsWindow(handle_)) return handle_;
  WNDCLASSW wc;
  if (!GetClassInfoW(u"TApplication", &wc) || wc.lpfnWndProc != AppWndProc) {
    WNDCLASSW c;
    c.lpfnWndProc = AppWndProc;
    c.lpszClassName = u"TApplication";
    if (GetClassInfoW(u"TApplication", &wc)) UnregisterClassW(u"TApplication");
    RegisterClassW(&c);
  }
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, u"TApplication", title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                            0, 0, nullptr, 0, nullptr);
  return handle_;
}

void TApplication::SetTitle(const String& v) {
  title_ = v;
  if (handle_) SetWindowTextW(handle_, v.c_str());
}

void TApplication::AddCreatedForm(TCustomForm* f) {
  if (!mainForm_) {
    mainForm_ = f;
    f->FreeNotification(this);
  }
  f->AfterConstruction();
}

void TApplication::Notification(TComponent* component, rtl::TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != rtl::opRemove) return;
  if (component == mainForm_) mainForm_ = nullptr;
  if (component == hintWindow_) hintWindow_ = nullptr;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  try {
    if (OnMessage) OnMessage(msg, handled);
    if (!handled) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    ProcessMessage(m);
    if (m.message == WM_QUIT) break;
  }
  FlushWindows();
}

void TApplication::HandleMessage() {
  MSG m;
  if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    ProcessMessage(m);
    return;
  }
  Idle();
}

void TApplication::Idle() {
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
  } catch (...) {
    HandleException(this);
  }
  if (done && !terminated_) WaitMessage();
}

void TApplication::Run() {
  running_ = true;
  if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) HandleMessage();
  running_ = false;
  CancelHint();
}

void TApplication::Terminate() {
  terminated_ = true;
  PostThreadMessageW(guiThread_, WM_NULL, 0, 0);
}

void TApplication::Minimize() {
  if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_RESTORE);
  if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
  if (Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated())
    SetForegroundWindow(Screen->ActiveForm()->Handle());
  else if (mainForm_ && mainForm_->HandleAllocated())
    SetForegroundWindow(mainForm_->Handle());
}

void TApplication::FormActivated(TCustomForm* f, bool active) {
  int before = activeCount_;
  activeCount_ = std::max(0, activeCount_ + (active ? 1 : -1));
  if (before == 0 && activeCount_ > 0 && OnActivate) OnActivate(this);
  if (before > 0 && activeCount_ == 0 && OnDeactivate) OnDeactivate(this);
}

void TApplication::HandleException(TObject* sender) {
  if (handlingException_) return;
  handlingException_ = true;
  try {
    try {
      throw;
    } catch (const rtl::EAbort&) {
    } catch (const std::exception& e) {
      if (OnException) OnException(sender, e);
      else ShowException(e);
    } catch (...) {
      rtl::Exception e("Unknown exception");
      if (OnException) OnException(sender, e);
      else ShowException(e);
    }
  } catch (...) {
    std::fprintf(stderr, "exception while handling an exception\n");
  }
  handlingException_ = false;
}

void TApplication::ShowException(const std::exception& e) {
  String text;
  if (auto* re = dynamic_cast<const rtl::Exception*>(&e)) text = re->Message();
  else text = rtl::Utf8ToString(e.what());
  if (!text.empty() && text.back() > u'.') text += u'.';
  MessageBox(text, title_, MB_OK | MB_ICONHAND);
}

namespace {

// The message box's form: the text, and an OK button that closes it.
class TMessageForm : public TForm {
 public:
  TMessageForm(TComponent* owner, const String& text) : TForm(owner), text_(text) {
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poMainFormCenter);
    SetKeyPreview(true);
    HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ old = gdi::SelectObject(dc, Font()->Handle());
    RECT r = rtl::Rect(0, 0, 360, 0);
    gdi::DrawTextW(dc, text.c_str(), int(text.size()), &r, gdi::DT_CALCRECT | gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
    gdi::SelectObject(dc, old);
    gdi::DeleteDC(dc);
    textRect_ = rtl::Bounds(16, 16, std::max(r.Width(), 120), r.Height());
    SetClientSize(textRect_.Width() + 32, textRect_.Height() + 16 + 16 + 24 + 12);
    button_ = rtl::Bounds((ClientWidth() - 75) / 2, textRect_.Bottom + 16, 75, 24);
    OnKeyDown = [this](TObject*, rtl::Word& key, TShiftState) {
      if (key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE) {
        SetModalResult(key == VK_ESCAPE ? mrCancel : mrOk);
        key = 0;
      }
    };
    OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
      if (b == mbLeft && button_.Contains({x, y})) SetModalResult(mrOk);
    };
  }

 protected:
  void Paint() override {
    gdi::TCanvas* c = Canvas();
    RECT r = textRect_;
    detail::DrawTextIn(c->Handle(), Font(), gdi::clBtnText, text_, r, gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
    RECT b = button_;
    gdi::DrawEdge(c->Handle(), &b, gdi::EDGE_RAISED, gdi::BF_RECT);
    detail::DrawTextIn(c->Handle(), Font(), gdi::clBtnText, u"OK", b, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  }

 private:
  String text_;
  TRect textRect_, button_;
};

}  // namespace

int TApplication::MessageBox(const String& text, const String& caption, unsigned) {
  std::unique_ptr<TMessageForm, rtl::TComponentFree> f(new TMessageForm(nullptr, text));
  f->SetCaption(caption.empty() ? title_ : caption);
  f->AfterConstruction();
  int r = f->ShowModal();
  return r == mrOk ? 1 : 2;
}

// ---- hints
void TApplication::SetShowHint(bool v) {
  showHint_ = v;
  if (!v) CancelHint();
}

void TApplication::SetHintWindowClass(THintWindowClass cls) {
  hintWindowClass_ = std::move(cls);
  HideHint();
  if (hintWindow_) {
    THintWindow* w = hintWindow_;
    hintWindow_ = nullptr;
    w->Free();
  }
}

void TApplication::StartHintTimer(int ms, int kind) {
  hintTimerKind_ = kind;
  hintTimerId_ = detail::StartUtilTimer(hintTimerId_, unsigned(std::max(1, ms)), [this] { HintTimerExpired(); });
}

void TApplication::StopHintTimer() {
  if (hintTimerKind_) detail::StopUtilTimer(hintTimerId_);
  hintTimerKind_ = 0;
}

void TApplication::HintTimerExpired() {
  int kind = hintTimerKind_;
  StopHintTimer();
  if (kind == 1) {
    POINT p;
    GetCursorPos(&p);
    ActivateHint(p);
  } else if (kind == 2) {
    HideHint();
  }
}

void TApplication::HideHint() {
  if (hintWindow_ && hintActive_) hintWindow_->ReleaseHandle();
  hintActive_ = false;
}

void TApplication::CancelHint() {
  StopHintTimer();
  HideHint();
  hintControl_ = nullptr;
  hintControlLive_ = TLiveness();
}

void TApplication::HintMouseMessage(TControl* control, const TMessage& m) {
  if (!showHint_ || dynamic_cast<THintWindow*>(control)) return;
  if (m.Msg != WM_MOUSEMOVE) {
    if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN) CancelHint();
    return;
  }
  TPoint local{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (control == hintControl_ && hintControlLive_.Alive()) {
    if (hintActive_ && !hintCursorRect_.Contains(local)) {
      HideHint();
      StartHintTimer(HintShortPause, 1);
    }
    return;
  }
  bool wasActive = hintActive_;
  HideHint();
  StopHintTimer();
  hintControl_ = control;
  hintControlLive_ = control->Liveness();
  hintCursorRect_ = control->ClientRect();
  StartHintTimer(wasActive ? HintShortPause : HintPause, 1);
}

void TApplication::ActivateHint(TPoint cursorPos) {
  if (!hintControl_ || !hintControlLive_.Alive()) return;
  TControl* c = hintControl_;
  String hint;
  for (TControl* p = c; p && hint.empty(); p = p->Parent()) hint = p->Hint();
  if (!c->ShowHint() || hint.empty()) return;
  THintInfo info;
  info.HintControl = c;
  info.HintPos = {cursorPos.X, cursorPos.Y + 20};
  info.HintMaxWidth = Screen ? Screen->Width() : 1024;
  info.HintColor = HintColor;
  info.CursorRect = c->ClientRect();
  info.CursorPos = c->ScreenToClient(cursorPos);
  info.HintStr = hint;
  info.HideTimeout = HintHidePause;
  bool canShow = c->Perform(CM_HINTSHOW, 0, LPARAM(reinterpret_cast<std::intptr_t>(&info))) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) return;
  if (OnHint) OnHint(this);
  if (!hintWindow_) {
    hintWindow_ = hintWindowClass_ ? hintWindowClass_(this) : new THintWindow(this);
    if (hintWindow_->Owner() != this) hintWindow_->FreeNotification(this);
  }
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(std::min(info.HintMaxWidth, 400), info.HintStr);
  r = rtl::Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  hintCursorRect_ = info.CursorRect;
  hintWindow_->ActivateHint(r, info.HintStr);
  hintActive_ = true;
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, 2);
}

// ------------------------------------------------------------------ TScreen
TScreen::TScreen(TComponent* owner)
    : TComponent(owner),
      hintFont_(std::make_unique<gdi::TFont>()),
      menuFont_(std::make_unique<gdi::TFont>()),
      iconFont_(std::make_unique<gdi::TFont>()) {}

TScreen::~TScreen() = default;

TWinControl* TScreen::ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }

void TScreen::AddForm(TCustomForm* f) { forms_.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
  std::erase(forms_, f);
  if (activeForm_ == f) {
    activeForm_ = nullptr;
    if (OnActiveFormChange) OnActiveFormChange(this);
  }
}

void TScreen::FormToFront(TCustomForm* f) {
  auto it = std::find(forms_.begin(), forms_.end(), f);
  if (it == forms_.end()) return;
  forms_.erase(it);
  forms_.insert(forms_.begin(), f);
}

void TScreen::SetActiveForm(TCustomForm* f) {
  if (f == activeForm_) return;
  activeForm_ = f;
  if (f) FormToFront(f);
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetCursor(TCursor c) {
  cursor_ = c;
  win::SetCursor(detail::CursorHandle(c == crDefault ? crArrow : c));
}

HCURSOR TScreen::Cursors(TCursor c) const { return detail::CursorHandle(c); }
void TScreen::SetCursors(TCursor c, HCURSOR h) { detail::SetCursorHandle(c, h); }

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  TRect r;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

int TScreen::MonitorCount() const { return std::max(1, GetSystemMetrics(SM_CMONITORS)); }

rtl::TStrings* TScreen::Fonts() {
  if (fonts_) return fonts_.get();
  fonts_ = std::make_unique<rtl::TStringList>();
  std::set<String> names;
  if (FcInit()) {
    FcPattern* pat = FcPatternCreate();
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
    if (FcFontSet* fs = FcFontList(nullptr, pat, os)) {
      for (int i = 0; i < fs->nfont; ++i) {
        FcChar8* fam = nullptr;
        if (FcPatternGetString(fs->fonts[i], FC_FAMILY, 0, &fam) == FcResultMatch && fam)
          names.insert(rtl::Utf8ToString(reinterpret_cast<const char*>(fam)));
      }
      FcFontSetDestroy(fs);
    }
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
  }
  for (const String& n : names) fonts_->Add(n);
  return fonts_.get();
}

// ------------------------------------------------------------------ set-up
void InitForms() {
  if (!Screen) Screen = new TScreen(nullptr);
  if (!Application) Application = new TApplication(nullptr);
  Application->Initialize();
  detail::gExceptionHook = [](TObject* sender) {
    if (Application) Application->HandleException(sender);
  };
  detail::gHintHook = [](TControl* c, const TMessage& m) {
    if (Application) Application->HintMouseMessage(c, m);
  };
  detail::gScreenCursor = [] { return Screen ? Screen->Cursor() : crDefault; };
}

void DoneForms() {
  if (Application) {
    Application->CancelHint();
    TApplication* a = Application;
    a->Free();
    Application = nullptr;
  }
  // Forms nobody owns are freed with the framework.
  while (Screen && Screen->FormCount() > 0) Screen->Forms(Screen->FormCount() - 1)->Free();
  delete Screen;
  Screen = nullptr;
  detail::gExceptionHook = nullptr;
  detail::gHintHook = nullptr;
  detail::gScreenCursor = nullptr;
  detail::DestroyUtilWindow();
}

}  // namespace forms
