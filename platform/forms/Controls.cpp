#include "platform/forms/Controls.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "platform/forms/Actions.h"
#include "platform/forms/Forms.h"
#include "platform/forms/FormsInternal.h"
#include "platform/forms/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"

namespace forms {

using namespace win;


namespace {

std::unordered_map<HWND, TWinControl*>& HandleMap() {
  static std::unordered_map<HWND, TWinControl*> m;
  return m;
}
thread_local TWinControl* gCreating = nullptr;
TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;

bool IsMouseMsg(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEWHEEL; }

TPoint PointOf(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }

void DefaultExceptionReport() {
  try {
    throw;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown exception in a window procedure\n");
  }
}

}  // namespace

void detail::ForgetControl(TControl* c) {
  ForgetDragControl(c);
  if (gMouseControl == c) gMouseControl = nullptr;
  if (gCaptureControl == c) {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
}

TControl* MouseControl() { return gMouseControl; }
TControl* CaptureControl() { return gCaptureControl; }

// The window procedure of every window the framework makes.
LRESULT FormsWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* c = TWinControl::FromHandle(h);
  if (!c) {
    if (!gCreating) return DefWindowProcW(h, msg, wParam, lParam);
    c = gCreating;
    c->handle_ = h;
    HandleMap()[h] = c;
  }
  TLiveness live = c->Liveness();
  TMessage m{msg, wParam, lParam, 0};
  try {
    if (msg == WM_KEYDOWN && detail::DragKey(wParam)) return 0;
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_CHAR || msg == WM_SYSCHAR) {
      MSG km{h, msg, wParam, lParam, GetMessageTime(), {}, 0};
      if (c->PreProcessKey(km)) {
        if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
          // The key was taken: the characters it typed go with it.
          MSG ch;
          while (PeekMessageW(&ch, h, WM_CHAR, WM_SYSCHAR, PM_NOREMOVE) && ch.lParam == lParam &&
                 (ch.message == WM_CHAR || ch.message == WM_SYSCHAR))
            PeekMessageW(&ch, h, ch.message, ch.message, PM_REMOVE);
        }
        return 0;
      }
      if (!live.Alive()) return 0;
    }
    if (msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE) {
      POINT p = msg == WM_MOUSEMOVE ? POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)} : PointOf(lParam);
      if (msg == WM_MOUSEMOVE) ClientToScreen(h, &p);
      UpdateMouseControl(&p);
      TRACKMOUSEEVENT tme;
      tme.dwFlags = TME_LEAVE | (msg == WM_NCMOUSEMOVE ? TME_NONCLIENT : 0);
      tme.hwndTrack = h;
      TrackMouseEvent(&tme);
      if (!live.Alive()) return 0;
    } else if (msg == WM_MOUSELEAVE || msg == WM_NCMOUSELEAVE) {
      POINT p;
      GetCursorPos(&p);
      HWND at = WindowFromPoint(p);
      if (at && TWinControl::FromHandle(GetAncestor(at, GA_ROOT))) UpdateMouseControl(&p);
      else UpdateMouseControl(nullptr);
      if (!live.Alive()) return 0;
    }
    if (c->WindowProc) c->WindowProc(m);
    else c->WndProc(m);
  } catch (...) {
    if (detail::gExceptionHook) detail::gExceptionHook(live.Alive() ? c : nullptr);
    else DefaultExceptionReport();
  }
  if (msg == WM_NCDESTROY) {
    auto& map = HandleMap();
    auto it = map.find(h);
    if (it != map.end()) {
      if (live.Alive() && it->second->handle_ == h) it->second->handle_ = nullptr;
      map.erase(it);
    }
  }
  return m.Result;
}

// ------------------------------------------------------------------ helpers
TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if ((keyData & (LPARAM(1) << 29)) || GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

bool IsAccel(char16_t key, const String& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    return rtl::AnsiUpperCase(String(1, caption[i + 1])) == rtl::AnsiUpperCase(String(1, key));
  }
  return false;
}

String StripHotkey(const String& caption) {
  String out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&') out += u'&', ++i;
      continue;
    }
    out += caption[i];
  }
  return out;
}

TCustomForm* GetParentForm(TControl* control) {
  while (control && control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

namespace {

// The innermost control of `root` at a point in root's client coordinates.
TControl* InnermostAt(TWinControl* root, TPoint p, bool allowDisabled) {
  TControl* c = root->ControlAtPos(p, allowDisabled, true);
  if (!c) return root;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    TPoint o = w->ClientOrigin(), ro = root->ClientOrigin();
    return InnermostAt(w, {p.X + ro.X - o.X, p.Y + ro.Y - o.Y}, allowDisabled);
  }
  return c;
}

}  // namespace

TControl* FindDragTarget(TPoint screen, bool allowDisabled) {
  HWND at = WindowFromPoint(screen);
  if (!at) return nullptr;
  HWND root = GetAncestor(at, GA_ROOT);
  TWinControl* top = TWinControl::FromHandle(root);
  if (!top) return nullptr;
  return InnermostAt(top, top->ScreenToClient(screen), allowDisabled);
}

void UpdateMouseControl(const TPoint* screen) {
  TControl* now = screen ? FindDragTarget(*screen, true) : nullptr;
  if (now == gMouseControl) return;
  TControl* old = gMouseControl;
  gMouseControl = now;
  TLiveness nowLive = now ? now->Liveness() : TLiveness();
  if (old) old->Perform(CM_MOUSELEAVE, 0, LPARAM(reinterpret_cast<std::intptr_t>(old)));
  if (now && nowLive.Alive() && gMouseControl == now)
    now->Perform(CM_MOUSEENTER, 0, LPARAM(reinterpret_cast<std::intptr_t>(now)));
}

// ------------------------------------------------------------------ TSizeConstraints
void TSizeConstraints::SetMinWidth(int v) {
  if (v == minWidth_) return;
  minWidth_ = std::max(0, v);
  if (maxWidth_ > 0 && maxWidth_ < minWidth_) maxWidth_ = minWidth_;
  Changed();
}
void TSizeConstraints::SetMinHeight(int v) {
  if (v == minHeight_) return;
  minHeight_ = std::max(0, v);
  if (maxHeight_ > 0 && maxHeight_ < minHeight_) maxHeight_ = minHeight_;
  Changed();
}
void TSizeConstraints::SetMaxWidth(int v) {
  if (v == maxWidth_) return;
  maxWidth_ = std::max(0, v);
  if (maxWidth_ > 0 && minWidth_ > maxWidth_) minWidth_ = maxWidth_;
  Changed();
}
void TSizeConstraints::SetMaxHeight(int v) {
  if (v == maxHeight_) return;
  maxHeight_ = std::max(0, v);
  if (maxHeight_ > 0 && minHeight_ > maxHeight_) minHeight_ = maxHeight_;
  Changed();
}
void TSizeConstraints::Assign(rtl::TPersistent* source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(source)) {
    minWidth_ = s->minWidth_, minHeight_ = s->minHeight_, maxWidth_ = s->maxWidth_, maxHeight_ = s->maxHeight_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}
void TSizeConstraints::Apply(int& w, int& h) const {
  if (maxWidth_ > 0 && w > maxWidth_) w = maxWidth_;
  if (w < minWidth_) w = minWidth_;
  if (maxHeight_ > 0 && h > maxHeight_) h = maxHeight_;
  if (h < minHeight_) h = minHeight_;
}
void TSizeConstraints::Changed() {
  if (OnChange) OnChange(this);
}

// ------------------------------------------------------------------ TControl
TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<gdi::TFont>()) {
  WindowProc = nullptr;
  font_->OnChange = [this](TObject* s) { FontChanged(s); };
  constraints_.OnChange = [this](TObject* s) { ConstraintsChanged(s); };
}

TControl::~TControl() {
  alive_.reset();
  actionLink_.reset();
  WindowProc = nullptr;
  detail::ForgetControl(this);
  if (auto* app = Application; app && app->HintControl() == this) app->CancelHint();
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  if (parent_) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  Perform(m);
  return m.Result;
}

void TControl::Perform(TMessage& m) {
  if (WindowProc) WindowProc(m);
  else WndProc(m);
}

void TControl::WndProc(TMessage& m) {
  if (detail::DragMessage(this, m)) return;
  if (IsMouseMsg(m.Msg)) {
    if (!controlStyle_.Contains(csDoubleClicks)) {
      switch (m.Msg) {
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
          m.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
          break;
        default: break;
      }
    }
    if (detail::gHintHook) {
      TLiveness live = Liveness();
      detail::gHintHook(this, m);
      if (!live.Alive()) return;
    }
  }
  Dispatch(m);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: WMMouseButton(m, mbLeft, true, false); return;
    case WM_LBUTTONDBLCLK: WMMouseButton(m, mbLeft, true, true); return;
    case WM_LBUTTONUP: WMMouseButton(m, mbLeft, false, false); return;
    case WM_RBUTTONDOWN: WMMouseButton(m, mbRight, true, false); return;
    case WM_RBUTTONDBLCLK: WMMouseButton(m, mbRight, true, true); return;
    case WM_RBUTTONUP: WMMouseButton(m, mbRight, false, false); return;
    case WM_MBUTTONDOWN: WMMouseButton(m, mbMiddle, true, false); return;
    case WM_MBUTTONDBLCLK: WMMouseButton(m, mbMiddle, true, true); return;
    case WM_MBUTTONUP: WMMouseButton(m, mbMiddle, false, false); return;
    case WM_MOUSEMOVE: WMMouseMove(m); return;
    case CM_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (OnMouseLeave) OnMouseLeave(this);
      return;
    case CM_HITTEST: m.Result = HTCLIENT; return;
    case CM_ENABLEDCHANGED: case CM_FONTCHANGED: case CM_COLORCHANGED: case CM_TEXTCHANGED: Invalidate(); return;
    case CM_VISIBLECHANGED: return;
    case CM_PARENTFONTCHANGED:
      if (parentFont_ && parent_) {
        fontChanging_ = true;
        font_->Assign(parent_->Font());
        fontChanging_ = false;
        Perform(CM_FONTCHANGED);
      }
      return;
    case CM_PARENTCOLORCHANGED:
      if (parentColor_ && parent_) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED);
      }
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
      return;
    case WM_CANCELMODE:
      if (gCaptureControl == this) SetMouseCapture(false);
      return;
    default: break;
  }
  DefaultHandler(m);
}

void TControl::DefaultHandler(TMessage& m) {}

void TControl::WMMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl) {
  TShiftState shift = KeysToShiftState(m.WParam);
  TPoint p = PointOf(m.LParam);
  TLiveness live = Liveness();
  if (down) {
    if (TCustomForm* f = GetParentForm(this)) {
      f->SendCancelMode(this);
      if (!live.Alive()) return;
    }
    if (button == mbLeft) {
      if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (controlStyle_.Contains(csClickEvents) && !dbl) controlState_.Include(csClicked);
      controlState_.Include(csLButtonDown);
      if (dbl && controlStyle_.Contains(csClickEvents)) {
        DblClick();
        if (!live.Alive()) return;
      }
    }
    if (dbl) shift.Include(ssDouble);
    if (!controlStyle_.Contains(csNoStdEvents)) MouseDown(button, shift, p.X, p.Y);
    if (live.Alive()) DefaultHandler(m);
    if (live.Alive() && button == mbLeft && !dbl) detail::AutoDragPress(this);
    return;
  }
  if (button == mbLeft) {
    controlState_.Exclude(csLButtonDown);
    if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (controlState_.Contains(csClicked)) {
      controlState_.Exclude(csClicked);
      if (ClientRect().Contains(p)) {
        Click();
        if (!live.Alive()) return;
      }
    }
  }
  if (!controlStyle_.Contains(csNoStdEvents)) MouseUp(button, shift, p.X, p.Y);
  if (live.Alive()) DefaultHandler(m);
}

void TControl::WMMouseMove(TMessage& m) {
  TPoint p = PointOf(m.LParam);
  TLiveness live = Liveness();
  if (!controlStyle_.Contains(csNoStdEvents)) MouseMove(KeysToShiftState(m.WParam), p.X, p.Y);
  if (live.Alive()) DefaultHandler(m);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::Click() {
  // OnClick wins over the action unless it is the action's own handler.
  TBasicAction* a = Action();
  if (OnClick && a && !SameHandlerCode(OnClick, a->OnExecute))
    OnClick(this);
  else if (actionLink_ && a && !ComponentState().Contains(rtl::csDesigning))
    actionLink_->Execute(this);
  else if (OnClick)
    OnClick(this);
}

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value) {
  if (!value) {
    if (TBasicAction* old = Action()) old->RemoveFreeNotification(this);
    actionLink_.reset();
    controlStyle_.Exclude(csActionClient);
    return;
  }
  controlStyle_.Include(csActionClient);
  if (!actionLink_) actionLink_ = std::make_unique<TControlActionLink>(this);
  if (TBasicAction* old = Action(); old && old != value) old->RemoveFreeNotification(this);
  actionLink_->SetAction(value);
  ActionChange(value, value->ComponentState().Contains(rtl::csLoading));
  value->FreeNotification(this);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(sender);
  if (!a) return;
  if (!checkDefaults || text_.empty() || text_ == Name()) SetCaption(a->Caption());
  if (!checkDefaults || enabled_) SetEnabled(a->Enabled());
  if (!checkDefaults || hint_.empty()) SetHint(a->Hint());
  if (!checkDefaults || visible_) SetVisible(a->Visible());
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

bool TControl::MouseCapture() const { return gCaptureControl == this; }

void TControl::SetMouseCapture(bool v) {
  if (v == MouseCapture()) return;
  if (v) {
    HWND h = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(this)) h = w->Handle();
    else if (parent_) h = parent_->Handle();
    if (!h) return;
    gCaptureControl = this;
    SetCapture(h);
  } else {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw rtl::EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  ParentChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (!Loading()) {
    constraints_.Apply(width, height);
    if (autoSize_) CanAutoSize(width, height);
    if (!CanResize(width, height)) return;
  }
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool sized = width != width_ || height != height_;
  Invalidate();
  left_ = left, top_ = top, width_ = width, height_ = height;
  Invalidate();
  if (!Loading()) {
    RequestAlign();
    if (sized) Resize();
  }
}

void TControl::UpdateBoundsRect(const TRect& r) {
  left_ = r.Left, top_ = r.Top, width_ = r.Width(), height_ = r.Height();
}

TRect TControl::ClientRect() { return rtl::Rect(0, 0, width_, height_); }

void TControl::SetClientSize(int w, int h) {
  TRect c = ClientRect();
  SetBounds(left_, top_, width_ - c.Width() + w, height_ - c.Height() + h);
}
void TControl::SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
void TControl::SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }

TPoint TControl::ClientOrigin() {
  if (!parent_) return {left_, top_};
  TPoint o = parent_->ClientOrigin();
  return {o.X + left_, o.Y + top_};
}

void TControl::SetAlign(TAlign v) {
  if (v == align_) return;
  TAlign old = align_;
  align_ = v;
  anchors_ = v == alNone ? TAnchors{akLeft, akTop} : anchors_;
  if (old == alNone && v != alNone) anchorsKnown_ = false;
  RequestAlign();
}

void TControl::SetAnchors(TAnchors v) {
  anchors_ = v;
  anchorsKnown_ = false;
}

void TControl::SetAutoSize(bool v) {
  if (v == autoSize_) return;
  autoSize_ = v;
  if (v) AdjustSize();
}

void TControl::AdjustSize() {
  if (!Loading()) SetBounds(left_, top_, width_, height_);
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

void TControl::SetZOrder(bool topMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (topMost) list.push_back(this);
  else list.insert(list.begin(), this);
  Invalidate();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  VisibleChanging();
  if (!v) Invalidate();
  visible_ = v;
  Perform(CM_VISIBLECHANGED, v);
  if (v) Invalidate();
  if (!Loading()) RequestAlign();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const String& v) {
  if (v == text_) return;
  text_ = v;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool v) {
  parentShowHint_ = false;
  if (v == showHint_) return;
  showHint_ = v;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
  parentShowHint_ = v;
  if (v && parent_) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v && parent_) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged(TObject*) {
  if (fontChanging_) return;
  parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::ConstraintsChanged(TObject*) {
  if (!Loading()) SetBounds(left_, top_, width_, height_);
}

void TControl::SetColor(TColor v) {
  parentColor_ = false;
  if (v == color_) return;
  color_ = v;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v && parent_) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  Perform(CM_CURSORCHANGED);
}

void TControl::Invalidate() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, !controlStyle_.Contains(csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Release() { detail::DeferFree(this, Liveness()); }

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_) {
    if (parentColor_) Perform(CM_PARENTCOLORCHANGED);
    if (parentFont_) Perform(CM_PARENTFONTCHANGED);
    if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED);
  }
  if (autoSize_) AdjustSize();
  RequestAlign();
  if (TBasicAction* a = Action()) ActionChange(a, true);
}

void TControl::Notification(TComponent* component, rtl::TOperation operation) {
  TComponent::Notification(component, operation);
  // A freed action has already unhooked the link (its Action is nullptr).
  if (operation == rtl::opRemove && actionLink_ && (!actionLink_->Action() || actionLink_->Action() == component)) {
    actionLink_.reset();
    controlStyle_.Exclude(csActionClient);
  }
  if (operation == rtl::opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

// ------------------------------------------------------------------ TGraphicControl
TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& m) {
  if (m.Msg == WM_PAINT) {
    if (m.WParam) {
      canvas_->Lock();
      canvas_->SetHandle(HDC(m.WParam));
      canvas_->Font()->Assign(Font());
      try {
        Paint();
      } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
      }
      canvas_->SetHandle(nullptr);
      canvas_->Unlock();
    }
    return;
  }
  TControl::Dispatch(m);
}

// ------------------------------------------------------------------ TWinControl
TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(std::make_unique<gdi::TBrush>()) {
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  WindowProc = nullptr;
  if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, true);
  // Leave the parent while this is still a windowed control.
  if (Parent()) Parent()->RemoveControl(this);
  if (handle_) {
    HWND h = handle_;
    HandleMap().erase(h);
    handle_ = nullptr;
    DestroyWindow(h);
  }
  // Children go with their parent, whoever owns them.
  while (!winControls_.empty() || !controls_.empty()) {
    TControl* c = !winControls_.empty() ? static_cast<TControl*>(winControls_.back()) : controls_.back();
    RemoveControl(c);
    c->Free();
  }
}

TWinControl* TWinControl::FromHandle(HWND h) {
  auto& m = HandleMap();
  auto it = m.find(h);
  return it == m.end() ? nullptr : it->second;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  if (!handle_) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  if (!handle_) return;
  CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
  for (TWinControl* c : std::vector<TWinControl*>(winControls_))
    if (!c->handle_) c->CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = Text();
  p.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  p.X = Left(), p.Y = Top(), p.Width = Width(), p.Height = Height();
  p.WndParent = parent_ ? parent_->handle_ : nullptr;
  p.WindowClass.style = CS_DBLCLKS;
  p.WindowClass.lpfnWndProc = DefWindowProcW;
  p.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  p.WinClassName = rtl::ClassName(this);
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent) return;  // a child control needs its parent's window first
  defWndProc_ = p.WindowClass.lpfnWndProc ? p.WindowClass.lpfnWndProc : DefWindowProcW;
  WNDCLASSW existing;
  if (!GetClassInfoW(p.WinClassName.c_str(), &existing) || existing.lpfnWndProc != FormsWindowProc) {
    WNDCLASSW wc = p.WindowClass;
    wc.lpfnWndProc = FormsWindowProc;
    wc.lpszClassName = p.WinClassName.c_str();
    if (GetClassInfoW(p.WinClassName.c_str(), &existing)) UnregisterClassW(p.WinClassName.c_str());
    RegisterClassW(&wc);
  }
  CreateWindowHandle(p);
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  TWinControl* prev = gCreating;
  gCreating = this;
  HWND h = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                           p.Height, p.WndParent, 0, p.Param);
  gCreating = prev;
  if (h && !handle_) {
    handle_ = h;
    HandleMap()[h] = this;
  }
  if (!h) throw rtl::EOutOfResources("Error creating window");
}

void TWinControl::DestroyWnd() {
  if (!handle_) return;
  HWND h = handle_;
  DestroyWindow(h);
  HandleMap().erase(h);
  handle_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  controlState_.Include(csDestroyingHandle);
  DestroyWnd();
  controlState_.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  HWND fh = GetFocus();
  TWinControl* focused = fh && (fh == handle_ || IsChild(handle_, fh)) ? FromHandle(fh) : nullptr;
  TLiveness live = focused ? focused->Liveness() : TLiveness();
  bool wasActive = !Parent() && GetActiveWindow() == handle_;
  DestroyHandle();
  HandleNeeded();
  if (wasActive && handle_ && IsWindowVisible(handle_)) SetActiveWindow(handle_);
  if (focused && live.Alive() && focused->HandleAllocated() && focused->CanFocus()) win::SetFocus(focused->Handle());
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) return;
  m.Result = CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, m.Msg, m.WParam, m.LParam);
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) throw rtl::EListError(u"List index out of bounds");
  if (std::size_t(index) < controls_.size()) return controls_[std::size_t(index)];
  return winControls_[std::size_t(index) - controls_.size()];
}

bool TWinControl::ContainsControl(TControl* c) const {
  while (c && c != this) c = c->Parent();
  return c == this;
}

void TWinControl::InsertControl(TControl* c) {
  c->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    winControls_.push_back(w);
    tabList_.push_back(w);
  } else {
    controls_.push_back(c);
  }
  c->anchorsKnown_ = false;
  if (c->parentFont_) c->Perform(CM_PARENTFONTCHANGED);
  if (c->parentColor_) c->Perform(CM_PARENTCOLORCHANGED);
  if (c->parentShowHint_) c->Perform(CM_PARENTSHOWHINTCHANGED);
  if (auto* w = dynamic_cast<TWinControl*>(c); w && handle_) {
    if (w->handle_) SetParentW(w);
    else w->CreateHandle();
  }
  c->Invalidate();
  if (!c->Loading() && !Loading()) AlignControl(c);
}

void TWinControl::RemoveControl(TControl* c) {
  if (TCustomForm* f = GetParentForm(this))
    if (auto* w = dynamic_cast<TWinControl*>(c)) f->DefocusControl(w, true);
  c->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    std::erase(winControls_, w);
    std::erase(tabList_, w);
    if (w->handle_) w->DestroyHandle();
  } else {
    std::erase(controls_, c);
  }
  if (gCaptureControl && ContainsControl(gCaptureControl) && gCaptureControl != this &&
      (gCaptureControl == c || (dynamic_cast<TWinControl*>(c) &&
                                static_cast<TWinControl*>(c)->ContainsControl(gCaptureControl))))
    detail::ForgetControl(gCaptureControl);
  c->parent_ = nullptr;
  if (!Loading() && c->align_ != alNone) Realign();
}

void TWinControl::SetParentW(TWinControl* w) {
  // The child already has a window made for another parent: make it anew here.
  w->DestroyHandle();
  w->CreateHandle();
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) {
  if (allowWinControls) {
    for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it) {
      TWinControl* w = *it;
      if (!w->Visible() || (!allowDisabled && !w->Enabled())) continue;
      if (w->BoundsRect().Contains(pos)) return w;
    }
  }
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (!c->BoundsRect().Contains(pos)) continue;
    TPoint local{pos.X - c->Left(), pos.Y - c->Top()};
    if (c->Perform(CM_HITTEST, 0, MAKELPARAM(local.X, local.Y)) == 0) continue;
    return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    TLiveness live = Liveness();
    c->WindowProc ? c->WindowProc(m) : c->WndProc(m);
    if (!live.Alive() || m.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage m{msg, 0, 0, 0};
  Broadcast(m);
}

bool TWinControl::Showing() const {
  if (handle_) return IsWindowVisible(handle_);
  return TControl::Showing();
}

// ---- layout
void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (alignLevel_ > 0) --alignLevel_;
  if (alignLevel_ == 0 && controlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* control) {
  if (ComponentState().Contains(rtl::csDestroying)) return;
  if (alignLevel_ != 0 || Loading()) {
    controlState_.Include(csAlignmentNeeded);
    return;
  }
  DisableAlign();
  TRect r = ClientRect();
  AdjustClientRect(r);
  AlignControls(control, r);
  controlState_.Exclude(csAlignmentNeeded);
  --alignLevel_;
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  // Children anchored to the right or bottom follow a change of the client size.
  TRect client = ClientRect();
  if (lastClientW_ >= 0 && (lastClientW_ != client.Width() || lastClientH_ != client.Height()))
    AnchorChildren(lastClientW_, lastClientH_);
  lastClientW_ = client.Width(), lastClientH_ = client.Height();

  auto before = [](TControl* a, TControl* b, TAlign al) {
    switch (al) {
      case alTop: return a->Top() < b->Top();
      case alBottom: return a->Top() + a->Height() >= b->Top() + b->Height();
      case alLeft: return a->Left() < b->Left();
      case alRight: return a->Left() + a->Width() >= b->Left() + b->Width();
      default: return false;
    }
  };
  for (TAlign al : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    if (control && control->Align() == al && control->Visible() && control->Parent() == this) list.push_back(control);
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c == control || c->Align() != al || !c->Visible()) continue;
      std::size_t j = 0;
      while (j < list.size() && !before(c, list[j], al)) ++j;
      list.insert(list.begin() + std::ptrdiff_t(j), c);
    }
    for (TControl* c : list) {
      int w = std::max(0, rect.Width()), h = std::max(0, rect.Height());
      switch (al) {
        case alTop:
          c->SetBounds(rect.Left, rect.Top, w, c->Height());
          rect.Top += c->Height();
          break;
        case alBottom:
          c->SetBounds(rect.Left, rect.Bottom - c->Height(), w, c->Height());
          rect.Bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(rect.Left, rect.Top, c->Width(), h);
          rect.Left += c->Width();
          break;
        case alRight:
          c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), h);
          rect.Right -= c->Width();
          break;
        case alClient: c->SetBounds(rect.Left, rect.Top, w, h); break;
        default: break;
      }
    }
  }
}

void TWinControl::AnchorChildren(int oldW, int oldH) {
  TRect client = ClientRect();
  int dw = client.Width() - oldW, dh = client.Height() - oldH;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() != alNone) continue;
    TAnchors a = c->Anchors();
    int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
    if (a.Contains(akRight)) {
      if (a.Contains(akLeft)) w += dw;
      else l += dw;
    } else if (!a.Contains(akLeft)) {
      l += dw / 2;
    }
    if (a.Contains(akBottom)) {
      if (a.Contains(akTop)) h += dh;
      else t += dh;
    } else if (!a.Contains(akTop)) {
      t += dh / 2;
    }
    if (l != c->Left() || t != c->Top() || w != c->Width() || h != c->Height()) c->SetBounds(l, t, w, h);
  }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (!Loading()) {
    Constraints()->Apply(width, height);
    if (AutoSize()) CanAutoSize(width, height);
    if (!CanResize(width, height)) return;
  }
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  bool sized = width != Width() || height != Height();
  UpdateBoundsRect(rtl::Bounds(left, top, width, height));
  if (handle_) {
    settingBounds_ = true;
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    settingBounds_ = false;
  }
  if (Loading()) return;
  if (sized) Realign();
  RequestAlign();
  if (sized) Resize();
}

void TWinControl::ReadBoundsFromWindow() {
  RECT r;
  GetWindowRect(handle_, &r);
  if (parent_ && parent_->handle_) {
    POINT p{r.Left, r.Top};
    win::ScreenToClient(parent_->handle_, &p);
    r = rtl::Bounds(p.X, p.Y, r.Width(), r.Height());
  }
  bool sized = r.Width() != Width() || r.Height() != Height();
  if (r == BoundsRect()) return;
  UpdateBoundsRect(r);
  if (sized && !Loading()) {
    Realign();
    Resize();
  }
}

TRect TWinControl::ClientRect() {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  // No window yet: the frame its style will give it still takes its room.
  TCreateParams p;
  CreateParams(p);
  if (!(p.Style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_DLGFRAME)) && !(p.ExStyle & WS_EX_CLIENTEDGE))
    return TControl::ClientRect();
  RECT frame = rtl::Rect(0, 0, 0, 0);
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  return rtl::Rect(0, 0, std::max(0, Width() - frame.Width()), std::max(0, Height() - frame.Height()));
}

TPoint TWinControl::ClientOrigin() {
  if (handle_) {
    POINT p{0, 0};
    win::ClientToScreen(handle_, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::ScrollBy(int dx, int dy) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  Invalidate();
}

void TWinControl::SetZOrder(bool topMost) {
  if (!Parent()) {
    if (handle_) SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  auto& list = Parent()->winControls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (topMost) list.push_back(this);
  else list.insert(list.begin(), this);
  if (handle_) SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- focus
int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& l = Parent()->tabList_;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : int(it - l.begin());
}

void TWinControl::SetTabOrder(int v) {
  if (!Parent()) return;
  auto& l = Parent()->tabList_;
  std::erase(l, this);
  v = std::clamp(v, 0, int(l.size()));
  l.insert(l.begin() + v, this);
}

bool TWinControl::CanFocus() {
  TControl* c = this;
  while (c) {
    if (!c->Visible() || !c->Enabled()) return false;
    if (dynamic_cast<TCustomForm*>(c)) return true;
    c = c->Parent();
  }
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* f = GetParentForm(this); f && f != this) {
    f->FocusControl(this);
    return;
  }
  if (!CanFocus()) throw rtl::EInvalidOperation("Cannot focus a disabled or invisible window");
  win::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = int(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[std::size_t(i)] == cur) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = goForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[std::size_t(i)];
    if (c == cur) break;
    if (c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) &&
        dynamic_cast<TCustomForm*>(c) == nullptr)
      return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* cur, bool goForward, bool checkTabStop) {
  if (TWinControl* c = FindNextControl(cur, goForward, checkTabStop, !checkTabStop)) c->SetFocus();
}

void TWinControl::KeyDown(rtl::Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}
void TWinControl::KeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}
void TWinControl::KeyUp(rtl::Word& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- keys
namespace {

// The form's key preview first, then the control's own handler (unless it
// keeps no standard events); true when the key was taken, cleared, or the
// control did not survive it.
template <class TKey, class TPreview, class THandle>
bool RouteKey(TWinControl* c, TLiveness live, TKey& key, TPreview preview, THandle handle) {
  TCustomForm* f = GetParentForm(c);
  if (f && f != c && f->KeyPreview() && preview(f)) return true;
  if (!live.Alive()) return true;
  if (!c->ControlStyle().Contains(csNoStdEvents)) {
    handle();
    if (!live.Alive() || key == 0) return true;
  }
  return false;
}

}  // namespace

bool TWinControl::DoKeyDown(rtl::Word& key, TShiftState shift) {
  return RouteKey(this, Liveness(), key, [&](TCustomForm* f) { return f->PreviewKeyDown(key, shift); },
                  [&] { KeyDown(key, shift); });
}

bool TWinControl::DoKeyPress(char16_t& key) {
  return RouteKey(this, Liveness(), key, [&](TCustomForm* f) { return f->PreviewKeyPress(key); },
                  [&] { KeyPress(key); });
}

bool TWinControl::DoKeyUp(rtl::Word& key, TShiftState shift) {
  return RouteKey(this, Liveness(), key, [&](TCustomForm* f) { return f->PreviewKeyUp(key, shift); },
                  [&] { KeyUp(key, shift); });
}

bool TWinControl::PreProcessKey(MSG& msg) {
  TCustomForm* form = GetParentForm(this);
  TLiveness live = Liveness();
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    if (form && form->IsShortCut(msg)) return true;
    if (!live.Alive()) return true;
    if (Perform(CM_WANTSPECIALKEY, msg.wParam, msg.lParam) != 0) return false;
    if (!live.Alive()) return true;
    LRESULT code = Perform(WM_GETDLGCODE, msg.wParam, LPARAM(reinterpret_cast<std::intptr_t>(&msg)));
    if (!live.Alive()) return true;
    bool dialog = false;
    switch (int(msg.wParam)) {
      case VK_TAB: dialog = !(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)); break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        dialog = !(code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS));
        break;
      case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: dialog = !(code & DLGC_WANTALLKEYS); break;
      default: break;
    }
    if (dialog && form) return form->Perform(CM_DIALOGKEY, msg.wParam, msg.lParam) != 0 || !live.Alive();
    return false;
  }
  if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
    bool alt = msg.message == WM_SYSCHAR;
    if (!alt) {
      if (msg.wParam < 0x20) return false;  // control characters belong to the control
      LRESULT code = Perform(WM_GETDLGCODE, msg.wParam, LPARAM(reinterpret_cast<std::intptr_t>(&msg)));
      if (!live.Alive()) return true;
      if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return false;
    }
    if (form) return form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0 || !live.Alive();
  }
  return false;
}

// ---- messages
bool TWinControl::ForwardToGraphicChild(TMessage& m) {
  TControl* target = nullptr;
  TPoint p = PointOf(m.LParam);
  if (handle_ && GetCapture() == handle_) {
    if (gCaptureControl && gCaptureControl->Parent() == this && !dynamic_cast<TWinControl*>(gCaptureControl))
      target = gCaptureControl;
  } else {
    target = ControlAtPos(p, false);
  }
  if (!target) return false;
  m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(p.X - target->Left(), p.Y - target->Top()));
  return true;
}

void TWinControl::WndProc(TMessage& m) {
  if (IsMouseMsg(m.Msg)) {
    TLiveness live = Liveness();
    if (ForwardToGraphicChild(m)) {
      // The window's own default handling still sees it (a right release
      // still asks for a context menu).
      if (live.Alive() && m.Result == 0 && handle_) DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
      return;
    }
  }
  TControl::WndProc(m);
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_SETCURSOR: WMSetCursor(m); return;
    case WM_SETFOCUS: {
      DefaultHandler(m);
      if (TCustomForm* f = GetParentForm(this); f && f != this) f->SetFocusedControl(this);
      return;
    }
    case WM_KEYDOWN: case WM_SYSKEYDOWN: {
      rtl::Word key = rtl::Word(m.WParam);
      if (!DoKeyDown(key, KeyDataToShiftState(m.LParam))) {
        m.WParam = key;
        DefaultHandler(m);
      }
      return;
    }
    case WM_KEYUP: case WM_SYSKEYUP: {
      rtl::Word key = rtl::Word(m.WParam);
      if (!DoKeyUp(key, KeyDataToShiftState(m.LParam))) {
        m.WParam = key;
        DefaultHandler(m);
      }
      return;
    }
    case WM_CHAR: case WM_SYSCHAR: {
      char16_t ch = char16_t(m.WParam);
      if (!DoKeyPress(ch)) {
        m.WParam = ch;
        DefaultHandler(m);
      }
      return;
    }
    case WM_WINDOWPOSCHANGED: {
      TLiveness live = Liveness();
      DefaultHandler(m);
      if (live.Alive() && !settingBounds_ && handle_) ReadBoundsFromWindow();
      return;
    }
    case WM_CAPTURECHANGED:
      if (gCaptureControl && HWND(m.LParam) != handle_ &&
          (gCaptureControl == this || gCaptureControl->Parent() == this))
        gCaptureControl = nullptr;
      DefaultHandler(m);
      return;
    case WM_CONTEXTMENU: {
      TPoint p = PointOf(m.LParam);
      TControl* target = this;
      if (p.X != -1 || p.Y != -1) {
        TPoint local = ScreenToClient(p);
        if (TControl* g = ControlAtPos(local, false)) target = g;
      } else {
        p = ClientToScreen({0, 0});
      }
      for (TControl* c = target; c; c = c->Parent()) {
        if (c->PopupMenu() && c->PopupMenu()->AutoPopup()) {
          c->PopupMenu()->SetPopupComponent(c);
          c->PopupMenu()->Popup(p.X, p.Y);
          m.Result = 1;
          return;
        }
        if (c == this) break;
      }
      DefaultHandler(m);
      return;
    }
    case CM_DIALOGKEY: case CM_DIALOGCHAR: case CM_FOCUSCHANGED: Broadcast(m); return;
    case CM_VISIBLECHANGED:
      if (handle_) ShowWindow(handle_, m.WParam ? SW_SHOWNA : SW_HIDE);
      return;
    case CM_ENABLEDCHANGED:
      if (handle_) EnableWindow(handle_, Enabled());
      Invalidate();
      return;
    case CM_TEXTCHANGED:
      if (handle_) SetWindowTextW(handle_, Text().c_str());
      Invalidate();
      return;
    case CM_COLORCHANGED:
      brush_->SetColor(Color());
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      NotifyControls(CM_PARENTFONTCHANGED);
      Invalidate();
      return;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case WM_GETDLGCODE: m.Result = 0; return;
    default: break;
  }
  TControl::Dispatch(m);
}

void TWinControl::WMPaint(TMessage& m) {
  if (m.WParam) {
    PaintHandler(HDC(m.WParam));
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  try {
    PaintHandler(dc);
  } catch (...) {
    EndPaint(handle_, &ps);
    throw;
  }
  EndPaint(handle_, &ps);
}

void TWinControl::PaintHandler(HDC dc) {
  TLiveness live = Liveness();
  PaintWindow(dc);
  if (live.Alive()) PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC dc) {}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = controls_.begin();
  if (first) it = std::find(controls_.begin(), controls_.end(), first);
  std::vector<TControl*> list(it, controls_.end());
  for (TControl* c : list) {
    if (!c->Visible() && !c->ControlState().Contains(csPaintCopy)) continue;
    RECT r = c->BoundsRect();
    if (!gdi::RectVisible(dc, &r)) continue;
    int saved = gdi::SaveDC(dc);
    gdi::OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
    gdi::IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, WPARAM(dc), 0);
    gdi::RestoreDC(dc, saved);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  HDC dc = HDC(m.WParam);
  if (!dc) return;
  RECT r = ClientRect();
  gdi::FillRect(dc, &r, brush_->Handle());
  m.Result = 1;
}

void TWinControl::WMSetCursor(TMessage& m) {
  if (LOWORD(m.LParam) == HTCLIENT && HWND(m.WParam) == handle_) {
    TCursor cur = detail::gScreenCursor ? detail::gScreenCursor() : crDefault;
    if (cur == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      cur = c ? c->Cursor() : crDefault;
      if (cur == crDefault) cur = Cursor();
    }
    if (cur != crDefault) {
      win::SetCursor(detail::CursorHandle(cur));
      m.Result = 1;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  int saved = gdi::SaveDC(dc);
  gdi::OffsetViewportOrgEx(dc, x, y, nullptr);
  gdi::IntersectClipRect(dc, 0, 0, Width(), Height());
  controlState_.Include(csPaintCopy);
  Perform(WM_ERASEBKGND, WPARAM(dc), 0);
  Perform(WM_PAINT, WPARAM(dc), 0);
  controlState_.Exclude(csPaintCopy);
  for (TWinControl* c : winControls_)
    if (c->Visible()) c->PaintTo(dc, c->Left(), c->Top());
  gdi::RestoreDC(dc, saved);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  if (!handle_) return;
  RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// ------------------------------------------------------------------ TCustomControl
TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->SetHandle(dc);
  canvas_->Font()->Assign(Font());
  canvas_->Brush()->SetColor(Color());
  try {
    Paint();
  } catch (...) {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    throw;
  }
  canvas_->SetHandle(nullptr);
  canvas_->Unlock();
}

}  // namespace forms
