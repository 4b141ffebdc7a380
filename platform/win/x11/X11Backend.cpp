// The X11 back end: one undecorated X window per top-level window (override-
// redirect for popups, which never take focus), composed images uploaded with
// XPutImage (ARGB windows for layered ones where a compositor runs), window
// regions as XShape, keysyms turned into virtual keys (the keypad by Num
// Lock), text through XIM (over the spot at the caret), the CLIPBOARD
// selection, work areas from _NET_WORKAREA, icons as _NET_WM_ICON, font and
// ARGB cursors, and real child windows for foreign video output.
//
// Only the GUI thread calls in; XInitThreads runs before the connection is
// opened because the video player's library talks to the same server from its
// own threads.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrender.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

#include <clocale>
#include <langinfo.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/InputSink.h"

namespace win {

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// The X server went away (it ended, or the connection broke): nothing can be
// shown or asked any more, and every later request would fail the same way.
// The process ends at once with status 1. Xlib's own handler calls exit(),
// which runs the static destructors while the other threads (conversions,
// the preview player) still use what they destroy.
int ConnectionLost(Display* d) {
  const char* name = d ? DisplayString(d) : "";
  const std::string text = std::string("X connection to ") + (name ? name : "") + " lost: ending\n";
  [[maybe_unused]] const ssize_t n = ::write(2, text.data(), text.size());
  _exit(1);
}

int KeysymToVk(KeySym k) {
  if (k >= XK_a && k <= XK_z) return int('A' + (k - XK_a));
  if (k >= XK_A && k <= XK_Z) return int('A' + (k - XK_A));
  if (k >= XK_0 && k <= XK_9) return int('0' + (k - XK_0));
  if (k >= XK_F1 && k <= XK_F12) return int(VK_F1 + (k - XK_F1));
  if (k >= XK_KP_0 && k <= XK_KP_9) return int(VK_NUMPAD0 + (k - XK_KP_0));
  switch (k) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Delete: case XK_KP_Delete: return VK_DELETE;
    case XK_Insert: case XK_KP_Insert: return VK_INSERT;
    case XK_Home: case XK_KP_Home: return VK_HOME;
    case XK_End: case XK_KP_End: return VK_END;
    case XK_Prior: case XK_KP_Prior: return VK_PRIOR;
    case XK_Next: case XK_KP_Next: return VK_NEXT;
    case XK_Left: case XK_KP_Left: return VK_LEFT;
    case XK_Right: case XK_KP_Right: return VK_RIGHT;
    case XK_Up: case XK_KP_Up: return VK_UP;
    case XK_Down: case XK_KP_Down: return VK_DOWN;
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L: case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R: return VK_MENU;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_Num_Lock: return VK_NUMLOCK;
    case XK_Scroll_Lock: return VK_SCROLL;
    case XK_Pause: return VK_PAUSE;
    case XK_Print: return VK_SNAPSHOT;
    case XK_Menu: return VK_APPS;
    case XK_Super_L: return VK_LWIN;
    case XK_Super_R: return VK_RWIN;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Separator: return VK_SEPARATOR;
    case XK_KP_Begin: case XK_Clear: return VK_CLEAR;
    case XK_KP_Divide: return VK_DIVIDE;
    case XK_semicolon: case XK_colon: return VK_OEM_1;
    case XK_equal: case XK_plus: return VK_OEM_PLUS;
    case XK_comma: case XK_less: return VK_OEM_COMMA;
    case XK_minus: case XK_underscore: return VK_OEM_MINUS;
    case XK_period: case XK_greater: return VK_OEM_PERIOD;
    case XK_slash: case XK_question: return VK_OEM_2;
    case XK_grave: case XK_asciitilde: return VK_OEM_3;
    case XK_bracketleft: case XK_braceleft: return VK_OEM_4;
    case XK_backslash: case XK_bar: return VK_OEM_5;
    case XK_bracketright: case XK_braceright: return VK_OEM_6;
    case XK_apostrophe: case XK_quotedbl: return VK_OEM_7;
    default: return 0;
  }
}

// Text typed by a key when no input method is open: Latin-1 keysyms are their
// code points, Unicode keysyms carry theirs.
std::u16string KeysymText(KeySym k) {
  std::uint32_t cp = 0;
  if ((k >= 0x20 && k <= 0x7E) || (k >= 0xA0 && k <= 0xFF)) cp = std::uint32_t(k);
  else if ((k & 0xFF000000) == 0x01000000) cp = std::uint32_t(k & 0x00FFFFFF);
  else if (k == XK_Return || k == XK_KP_Enter) cp = '\r';
  else if (k == XK_BackSpace) cp = 8;
  else if (k == XK_Tab) cp = '\t';
  else if (k == XK_Escape) cp = 27;
  if (!cp) return {};
  std::u16string s;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    s += char16_t(0xD800 + (cp >> 10));
    s += char16_t(0xDC00 + (cp & 0x3FF));
  } else {
    s += char16_t(cp);
  }
  return s;
}

class X11Backend final : public Backend {
 public:
  explicit X11Backend(Display* d) : dpy_(d) {
    screen_ = DefaultScreen(dpy_);
    root_ = RootWindow(dpy_, screen_);
    XSetErrorHandler(IgnoreErrors);  // windows may vanish under us (WM, a closing video child)
    auto atom = [&](const char* n) { return XInternAtom(dpy_, n, False); };
    aDelete_ = atom("WM_DELETE_WINDOW");
    aProtocols_ = atom("WM_PROTOCOLS");
    aMotif_ = atom("_MOTIF_WM_HINTS");
    aClipboard_ = atom("CLIPBOARD");
    aUtf8_ = atom("UTF8_STRING");
    aTargets_ = atom("TARGETS");
    aSelProp_ = atom("TVL_SELECTION");
    aWorkArea_ = atom("_NET_WORKAREA");
    aName_ = atom("_NET_WM_NAME");
    aType_ = atom("_NET_WM_WINDOW_TYPE");
    aTypeMenu_ = atom("_NET_WM_WINDOW_TYPE_POPUP_MENU");
    aTypeDialog_ = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    aTypeNormal_ = atom("_NET_WM_WINDOW_TYPE_NORMAL");
    aOpacity_ = atom("_NET_WM_WINDOW_OPACITY");
    helper_ = XCreateSimpleWindow(dpy_, root_, -10, -10, 1, 1, 0, 0, 0);
    XSetLocaleModifiers("");  // honours XMODIFIERS (the user's input method)
    imServer_ = ServerSelection();
    OpenInputMethod();
    int ev, err;
    hasShape_ = XShapeQueryExtension(dpy_, &ev, &err);
    XVisualInfo vi;
    if (XMatchVisualInfo(dpy_, screen_, 32, TrueColor, &vi)) argbVisual_ = vi.visual;
  }

  ~X11Backend() override {
    if (imWaiting_)
      XUnregisterIMInstantiateCallback(dpy_, nullptr, nullptr, nullptr, &X11Backend::InputMethodReady,
                                       reinterpret_cast<XPointer>(this));
    if (InputMethodAlive()) {
      for (auto& [w, ic] : ics_) XDestroyIC(ic);
      if (im_) XCloseIM(im_);
    }
    if (fontSet_) XFreeFontSet(dpy_, fontSet_);
    for (auto& [id, c] : cursors_) XFreeCursor(dpy_, c);
    for (auto& [id, c] : imageCursors_)
      if (c) XFreeCursor(dpy_, c);
    XDestroyWindow(dpy_, helper_);
    XCloseDisplay(dpy_);
  }

  const char* Name() const override { return "x11"; }

  NativeWindow CreateTopLevel(const NativeCreate& c) override {
    XSetWindowAttributes a{};
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | StructureNotifyMask | FocusChangeMask | LeaveWindowMask | EnterWindowMask;
    a.override_redirect = c.popup ? True : False;
    a.save_under = c.popup ? True : False;
    a.background_pixel = BlackPixel(dpy_, screen_);
    a.bit_gravity = NorthWestGravity;
    a.win_gravity = StaticGravity;
    int w = std::max(c.screenRect.Width(), 1), h = std::max(c.screenRect.Height(), 1);
    unsigned long mask = CWEventMask | CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWBitGravity | CWWinGravity;
    // Layered windows get an ARGB visual where a compositor can show it.
    bool argb = (c.exStyle & WS_EX_LAYERED) && argbVisual_ && LayeringSupported();
    int depth = CopyFromParent;
    Visual* visual = CopyFromParent;
    if (argb) {
      a.colormap = XCreateColormap(dpy_, root_, argbVisual_, AllocNone);
      a.border_pixel = 0;
      a.background_pixel = 0;
      mask |= CWColormap | CWBorderPixel;
      depth = 32;
      visual = argbVisual_;
    }
    Window x = XCreateWindow(dpy_, root_, c.screenRect.Left, c.screenRect.Top, unsigned(w), unsigned(h), 0, depth,
                             InputOutput, visual, mask, &a);
    if (argb) argb_.insert(x);
    // No decorations: frames are drawn by the windows themselves.
    long motif[5] = {2, 0, 0, 0, 0};
    XChangeProperty(dpy_, x, aMotif_, aMotif_, 32, PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
    XSetWMProtocols(dpy_, x, &aDelete_, 1);
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PWinGravity;
    hints.x = c.screenRect.Left, hints.y = c.screenRect.Top, hints.width = w, hints.height = h;
    hints.win_gravity = StaticGravity;
    XSetWMNormalHints(dpy_, x, &hints);
    XWMHints wm{};
    wm.flags = InputHint;
    wm.input = c.popup ? False : True;
    XSetWMHints(dpy_, x, &wm);
    if (c.popup) {
      Atom type = aTypeMenu_;
      XChangeProperty(dpy_, x, aType_, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
      if (c.owner) XSetTransientForHint(dpy_, x, Window(c.owner));
    } else if (c.owner) {
      owners_[x] = c.owner;  // transient-for or not is decided when it is shown
    }
    if (!c.popup) {
      if (c.exStyle & WS_EX_TOPMOST) topmost_.insert(x);
      if (c.exStyle & WS_EX_APPWINDOW) appWindows_.insert(x);
      SetWindowState(x, false);
    }
    SetTitle(x, c.title);
    if (!c.popup) managed_.insert(x);
    if (im_ && !c.popup)
      if (XIC ic = CreateInputContext(x)) ics_[x] = ic;
    gcs_[x] = XCreateGC(dpy_, x, 0, nullptr);
    tops_[x] = c.screenRect;
    if (shownCursor_) XDefineCursor(dpy_, x, shownCursor_);
    XFlush(dpy_);
    return x;
  }

  NativeWindow RecreateLayered(NativeWindow old, const NativeCreate& c) override {
    if (argb_.count(old) || !LayeringSupported()) return 0;
    NativeCreate layered = c;
    layered.exStyle |= WS_EX_LAYERED;
    return CreateTopLevel(layered);
  }

  void DestroyTopLevel(NativeWindow w) override {
    if (auto it = ics_.find(w); it != ics_.end()) {
      if (InputMethodAlive()) XDestroyIC(it->second);
      ics_.erase(it);
    }
    if (auto it = gcs_.find(w); it != gcs_.end()) {
      XFreeGC(dpy_, it->second);
      gcs_.erase(it);
    }
    tops_.erase(w);
    mapped_.erase(w);
    managed_.erase(w);
    owners_.erase(w);
    overTheSpot_.erase(w);
    topmost_.erase(w);
    appWindows_.erase(w);
    argb_.erase(w);
    perPixel_.erase(w);
    XDestroyWindow(dpy_, Window(w));
    XFlush(dpy_);
  }

  void ShowTopLevel(NativeWindow w, bool show, bool activate) override {
    if (show) {
      iconic_.erase(w);
      if (!mapped_.count(w)) PlaceUnderOwner(w);
      mapped_.insert(w);
      XMapRaised(dpy_, Window(w));
    } else {
      hiding_.insert(w);
      mapped_.erase(w);
      XUnmapWindow(dpy_, Window(w));
    }
    XFlush(dpy_);
  }

  void MoveTopLevel(NativeWindow w, const RECT& r) override {
    tops_[w] = r;
    XMoveResizeWindow(dpy_, Window(w), r.Left, r.Top, unsigned(std::max(r.Width(), 1)), unsigned(std::max(r.Height(), 1)));
  }

  void SetTitle(NativeWindow w, const std::u16string& title) override {
    std::string t = rtl::StringToUtf8(title);
    XChangeProperty(dpy_, Window(w), aName_, aUtf8_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(t.data()), int(t.size()));
    XStoreName(dpy_, Window(w), t.c_str());
  }

  void Raise(NativeWindow w) override { XRaiseWindow(dpy_, Window(w)); }
  void Iconify(NativeWindow w) override {
    iconic_.insert(w);
    // Without a window manager nobody would act on the request: unmap ourselves.
    if (HasWindowManager()) XIconifyWindow(dpy_, Window(w), screen_);
    else XUnmapWindow(dpy_, Window(w));
    XFlush(dpy_);
  }
  void Activate(NativeWindow w) override {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy_, Window(w), &a) || a.override_redirect) return;
    if (HasWindowManager()) {
      // Ask the window manager (source 1: an application), which also raises it.
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = Window(w);
      e.xclient.message_type = XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False);
      e.xclient.format = 32;
      e.xclient.data.l[0] = 1;
      e.xclient.data.l[1] = CurrentTime;
      XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    } else if (a.map_state == IsViewable) {
      Window focused = 0;
      int revert = 0;
      XGetInputFocus(dpy_, &focused, &revert);
      if (focused == Window(w)) return;  // already there: no new focus events
      XSetInputFocus(dpy_, Window(w), RevertToParent, CurrentTime);
    }
    XFlush(dpy_);
  }

  void Upload(NativeWindow w, const gdi::Surface& image, const gdi::Region& area) override {
    auto gc = gcs_.find(w);
    if (gc == gcs_.end()) return;
    if (argb_.count(w)) {
      UploadArgb(w, gc->second, image, area, perPixel_.count(w) != 0);
      return;
    }
    Visual* v = DefaultVisual(dpy_, screen_);
    XImage* img = XCreateImage(dpy_, v, unsigned(DefaultDepth(dpy_, screen_)), ZPixmap, 0,
                               reinterpret_cast<char*>(const_cast<std::uint8_t*>(image.Bits())),
                               unsigned(image.Width()), unsigned(image.Height()), 32, image.Stride());
    if (!img) return;
    img->byte_order = LSBFirst;  // BGRA in memory, as the surface holds it
    for (const RECT& r : area.Rects())
      XPutImage(dpy_, Window(w), gc->second, img, r.Left, r.Top, r.Left, r.Top, unsigned(r.Width()), unsigned(r.Height()));
    img->data = nullptr;  // the surface owns the pixels
    XDestroyImage(img);
  }

  // ARGB windows take premultiplied pixels; an opaque one gets alpha 255,
  // whatever ordinary drawing left in the alpha byte.
  void UploadArgb(NativeWindow w, GC gc, const gdi::Surface& image, const gdi::Region& area, bool perPixel) {
    for (const RECT& r : area.Rects()) {
      std::vector<std::uint32_t> px(std::size_t(r.Width()) * std::size_t(r.Height()));
      for (int y = 0; y < r.Height(); ++y) {
        const std::uint32_t* src = image.Row32(r.Top + y) + r.Left;
        std::uint32_t* dst = px.data() + std::size_t(y) * std::size_t(r.Width());
        for (int x = 0; x < r.Width(); ++x) dst[x] = perPixel ? src[x] : (src[x] | 0xFF000000u);
      }
      XImage* img = XCreateImage(dpy_, argbVisual_, 32, ZPixmap, 0, reinterpret_cast<char*>(px.data()),
                                 unsigned(r.Width()), unsigned(r.Height()), 32, r.Width() * 4);
      if (!img) continue;
      img->byte_order = LSBFirst;
      XPutImage(dpy_, Window(w), gc, img, 0, 0, r.Left, r.Top, unsigned(r.Width()), unsigned(r.Height()));
      img->data = nullptr;
      XDestroyImage(img);
    }
  }

  void SetPerPixelAlpha(NativeWindow w, bool perPixel) override {
    if (perPixel) perPixel_.insert(w);
    else perPixel_.erase(w);
  }

  void SetShape(NativeWindow w, const gdi::Region* shape) override {
    if (!hasShape_) return;
    if (!shape) {
      XShapeCombineMask(dpy_, Window(w), ShapeBounding, 0, 0, None, ShapeSet);
      return;
    }
    std::vector<XRectangle> rs;
    for (const RECT& r : shape->Rects())
      rs.push_back({short(r.Left), short(r.Top), (unsigned short)r.Width(), (unsigned short)r.Height()});
    XShapeCombineRectangles(dpy_, Window(w), ShapeBounding, 0, 0, rs.data(), int(rs.size()), ShapeSet, YXBanded);
  }

  void SetInputTransparent(NativeWindow w, bool transparent) override {
    if (!hasShape_) return;
    if (transparent) XShapeCombineRectangles(dpy_, Window(w), ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    else XShapeCombineMask(dpy_, Window(w), ShapeInput, 0, 0, None, ShapeSet);
  }

  void SetOpacity(NativeWindow w, BYTE alpha) override {
    if (alpha == 255) {
      XDeleteProperty(dpy_, Window(w), aOpacity_);
      return;
    }
    unsigned long v = (unsigned long)(alpha) * 0x01010101UL;
    XChangeProperty(dpy_, Window(w), aOpacity_, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&v), 1);
  }

  NativeWindow CreateForeignChild(NativeWindow parent, const RECT& r) override {
    Window c = XCreateSimpleWindow(dpy_, Window(parent), r.Left, r.Top, unsigned(std::max(r.Width(), 1)),
                                   unsigned(std::max(r.Height(), 1)), 0, 0, BlackPixel(dpy_, screen_));
    // Only exposure and structure: clicks fall through to the top-level window,
    // where the usual hit test finds the panel.
    XSelectInput(dpy_, c, ExposureMask | StructureNotifyMask);
    XSync(dpy_, False);
    return c;
  }
  void DestroyForeignChild(NativeWindow w) override {
    XDestroyWindow(dpy_, Window(w));
    XFlush(dpy_);
  }
  void PlaceForeignChild(NativeWindow w, const RECT& r, bool visible) override {
    XMoveResizeWindow(dpy_, Window(w), r.Left, r.Top, unsigned(std::max(r.Width(), 1)), unsigned(std::max(r.Height(), 1)));
    if (visible) XMapWindow(dpy_, Window(w));
    else XUnmapWindow(dpy_, Window(w));
    XSync(dpy_, False);
  }

  void ReparentForeignChild(NativeWindow w, NativeWindow parent, const RECT& r, bool visible) override {
    XReparentWindow(dpy_, Window(w), Window(parent), r.Left, r.Top);
    PlaceForeignChild(w, r, visible);
  }

  void GrabPointer(NativeWindow w, bool grab) override {
    if (grab)
      XGrabPointer(dpy_, Window(w), True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                   GrabModeAsync, None, None, CurrentTime);
    else
      XUngrabPointer(dpy_, CurrentTime);
    XFlush(dpy_);
  }

  void SetCursorShape(std::uintptr_t idc) override {
    unsigned shape = XC_left_ptr;
    switch (idc) {
      case IDC_SIZEWE: shape = XC_sb_h_double_arrow; break;
      case IDC_SIZENS: shape = XC_sb_v_double_arrow; break;
      case IDC_SIZENWSE: shape = XC_bottom_right_corner; break;
      case IDC_SIZENESW: shape = XC_bottom_left_corner; break;
      case IDC_IBEAM: shape = XC_xterm; break;
      case IDC_WAIT: shape = XC_watch; break;
      case IDC_HAND: shape = XC_hand2; break;
      case IDC_CROSS: shape = XC_crosshair; break;
      case IDC_SIZEALL: shape = XC_fleur; break;
      case IDC_UPARROW: shape = XC_sb_up_arrow; break;
      case IDC_NO: case IDC_NODROP: shape = XC_circle; break;
      case IDC_APPSTARTING: shape = XC_watch; break;
      case IDC_HELP: shape = XC_question_arrow; break;
      case IDC_DRAG: shape = XC_dotbox; break;
      case IDC_MULTIDRAG: shape = XC_draped_box; break;
      case IDC_HSPLIT: shape = XC_sb_h_double_arrow; break;
      case IDC_VSPLIT: shape = XC_sb_v_double_arrow; break;
      default: break;
    }
    Cursor& c = cursors_[shape];
    if (!c) c = XCreateFontCursor(dpy_, shape);
    DefineCursor(c);
  }

  // ARGB cursors through RENDER; without it a two-colour cursor (black where
  // dark, white where light, shown where alpha is at least half).
  void SetCursorImage(std::uintptr_t key, const IconImage& img) override {
    Cursor& c = imageCursors_[key];
    if (!c) c = MakeCursor(img);
    if (c) DefineCursor(c);
  }

  void SetIcons(NativeWindow w, const std::vector<IconImage>& icons) override {
    Atom prop = XInternAtom(dpy_, "_NET_WM_ICON", False);
    if (icons.empty()) {
      XDeleteProperty(dpy_, Window(w), prop);
      XFlush(dpy_);
      return;
    }
    std::vector<unsigned long> data;  // format 32 travels as longs
    for (const IconImage& i : icons) {
      data.push_back((unsigned long)i.width);
      data.push_back((unsigned long)i.height);
      for (std::uint32_t px : i.argb) data.push_back(px);
    }
    XChangeProperty(dpy_, Window(w), prop, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(data.data()), int(data.size()));
    XFlush(dpy_);
  }

  void SetTextCursor(NativeWindow w, const RECT& caret) override {
    auto ic = ics_.find(w);
    if (ic == ics_.end() || !overTheSpot_.count(w)) return;
    XPoint spot{short(caret.Left), short(caret.Bottom)};  // the spot is on the text's base line
    XVaNestedList pre = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
    XSetICValues(ic->second, XNPreeditAttributes, pre, nullptr);
    XFree(pre);
    XFlush(dpy_);
  }

  POINT CursorPos() override {
    Window rr, cr;
    int rx = 0, ry = 0, wx, wy;
    unsigned mask;
    XQueryPointer(dpy_, root_, &rr, &cr, &rx, &ry, &wx, &wy, &mask);
    return {rx, ry};
  }
  void WarpCursor(POINT p) override { XWarpPointer(dpy_, None, root_, 0, 0, 0, 0, p.X, p.Y); }

  RECT ScreenRect() override { return rtl::Rect(0, 0, DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)); }

  RECT WorkArea() override {
    RECT s = ScreenRect();
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, root_, aWorkArea_, 0, 4, False, XA_CARDINAL, &type, &format, &n, &after, &data) ==
            Success &&
        data && n >= 4 && format == 32) {
      long* v = reinterpret_cast<long*>(data);
      RECT r = rtl::Bounds(int(v[0]), int(v[1]), int(v[2]), int(v[3]));
      XFree(data);
      if (!r.IsEmpty()) return r;
    } else if (data) {
      XFree(data);
    }
    return s;
  }

  bool LayeringSupported() override {
    std::string name = "_NET_WM_CM_S" + std::to_string(screen_);
    Atom cm = XInternAtom(dpy_, name.c_str(), False);
    return argbVisual_ && XGetSelectionOwner(dpy_, cm) != None;
  }

  void Beep() override { XBell(dpy_, 0); }

  void SetClipboardText(const std::u16string& text) override {
    clip_ = rtl::StringToUtf8(text);
    XSetSelectionOwner(dpy_, aClipboard_, helper_, CurrentTime);
    XFlush(dpy_);
  }

  bool GetClipboardText(std::u16string& out) override {
    if (XGetSelectionOwner(dpy_, aClipboard_) == helper_) {
      out = rtl::Utf8ToString(clip_);
      return true;
    }
    if (XGetSelectionOwner(dpy_, aClipboard_) == None) {
      out.clear();
      return true;
    }
    XConvertSelection(dpy_, aClipboard_, aUtf8_, aSelProp_, helper_, CurrentTime);
    XFlush(dpy_);
    // A bounded wait: an owner that never answers costs half a second.
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    XEvent e;
    while (std::chrono::steady_clock::now() < until) {
      if (XCheckTypedWindowEvent(dpy_, helper_, SelectionNotify, &e)) {
        if (e.xselection.property == None) return false;
        Atom type;
        int format;
        unsigned long n = 0, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(dpy_, helper_, aSelProp_, 0, 1 << 24, True, AnyPropertyType, &type, &format, &n, &after, &data);
        out = data ? rtl::Utf8ToString(std::string(reinterpret_cast<char*>(data), n)) : std::u16string();
        if (data) XFree(data);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  int EventFd() override { return ConnectionNumber(dpy_); }
  bool EventsPending() override { return XEventsQueued(dpy_, QueuedAlready) > 0; }
  void Flush() override { XFlush(dpy_); }

  void ProcessEvents() override {
    while (XPending(dpy_)) {
      XEvent e;
      XNextEvent(dpy_, &e);
      bool filtered = XFilterEvent(&e, None);  // the input method took it
      if (imLost_) {
        imLost_ = false;
        OpenInputMethod();
      }
      if (!filtered) Handle(e);
    }
  }

 private:
  // A managed window owned by a shown window is its dialog: transient for it,
  // kept above it, no task-bar entry of its own. Owned by a window that is not
  // shown (the application's hidden window) it is an ordinary window of its own,
  // as the window manager would otherwise keep it off the task bar for good.
  void PlaceUnderOwner(NativeWindow w) {
    auto it = owners_.find(w);
    if (it == owners_.end()) return;
    Atom transient = XInternAtom(dpy_, "WM_TRANSIENT_FOR", False);
    Atom type = aTypeNormal_;
    bool dialog = mapped_.count(it->second) != 0;
    if (dialog) {
      XSetTransientForHint(dpy_, Window(w), Window(it->second));
      type = aTypeDialog_;
    } else {
      XDeleteProperty(dpy_, Window(w), transient);
    }
    XChangeProperty(dpy_, Window(w), aType_, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
    SetWindowState(w, dialog && !appWindows_.count(w));
  }

  // _NET_WM_STATE of a managed window before it is mapped: above the others
  // (WS_EX_TOPMOST), off the task bar (an owned window, as on Windows).
  void SetWindowState(NativeWindow w, bool skipTaskBar) {
    std::vector<Atom> state;
    if (topmost_.count(w)) state.push_back(XInternAtom(dpy_, "_NET_WM_STATE_ABOVE", False));
    if (skipTaskBar) state.push_back(XInternAtom(dpy_, "_NET_WM_STATE_SKIP_TASKBAR", False));
    Atom prop = XInternAtom(dpy_, "_NET_WM_STATE", False);
    if (state.empty()) XDeleteProperty(dpy_, Window(w), prop);
    else
      XChangeProperty(dpy_, Window(w), prop, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(state.data()), int(state.size()));
  }

  static bool CountsAsFocus(const XEvent& e) {
    return e.xfocus.mode == NotifyNormal && e.xfocus.detail != NotifyInferior && e.xfocus.detail != NotifyPointer;
  }

  // Whether a FocusIn for one of our top-level windows is already read and waiting.
  bool FocusInQueued() {
    struct Scan {
      const std::map<NativeWindow, RECT>* tops;
      bool found;
    } scan{&tops_, false};
    auto look = [](Display*, XEvent* ev, XPointer arg) -> Bool {
      auto* s = reinterpret_cast<Scan*>(arg);
      if (ev->type == FocusIn && CountsAsFocus(*ev) && s->tops->count(ev->xfocus.window)) s->found = true;
      return False;  // leaves every event where it is
    };
    XEvent none;
    XCheckIfEvent(dpy_, &none, look, reinterpret_cast<XPointer>(&scan));
    return scan.found;
  }

  // Xlib waits for the server's answer when an input context goes: with the
  // server gone it would wait for ever, so the contexts are left as they are.
  static void InputMethodGone(XIM, XPointer self, XPointer) {
    auto* b = reinterpret_cast<X11Backend*>(self);
    b->ics_.clear();
    b->overTheSpot_.clear();
    b->im_ = nullptr;
    b->imLost_ = true;  // waited for again once this event is through
  }

  // Opens the input method, or, when its server does not run (yet, or any
  // more), waits for it to start: the windows then get their input contexts.
  void OpenInputMethod() {
    im_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
    if (!im_) {
      if (!imWaiting_)
        imWaiting_ = XRegisterIMInstantiateCallback(dpy_, nullptr, nullptr, nullptr, &X11Backend::InputMethodReady,
                                                    reinterpret_cast<XPointer>(this));
      return;
    }
    if (imWaiting_) {
      XUnregisterIMInstantiateCallback(dpy_, nullptr, nullptr, nullptr, &X11Backend::InputMethodReady,
                                       reinterpret_cast<XPointer>(this));
      imWaiting_ = false;
    }
    imStyle_ = PickInputStyle();
    // The server may quit or crash: Xlib says so here.
    XIMCallback gone{reinterpret_cast<XPointer>(this), &X11Backend::InputMethodGone};
    XSetIMValues(im_, XNDestroyCallback, &gone, nullptr);
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(dpy_, &focused, &revert);
    for (NativeWindow w : managed_)
      if (XIC ic = CreateInputContext(Window(w))) {
        ics_[w] = ic;
        if (Window(w) == focused) XSetICFocus(ic);
      }
  }

  static void InputMethodReady(Display*, XPointer self, XPointer) {
    auto* b = reinterpret_cast<X11Backend*>(self);
    if (!b->im_) b->OpenInputMethod();
  }

  // The selection a server named in XMODIFIERS (@im=name) holds while it runs.
  Atom ServerSelection() {
    const char* mods = std::getenv("XMODIFIERS");
    const char* at = mods ? std::strstr(mods, "@im=") : nullptr;
    if (!at) return 0;
    std::string name(at + 4);
    name = name.substr(0, name.find('@'));
    return name.empty() ? 0 : XInternAtom(dpy_, ("@server=" + name).c_str(), False);
  }

  bool InputMethodAlive() { return im_ && (!imServer_ || XGetSelectionOwner(dpy_, imServer_) != 0); }

  // Over the spot (the pre-edit and candidates at the caret) when the input
  // method offers it, else the root style, else none.
  XIMStyle PickInputStyle() {
    XIMStyles* offered = nullptr;
    if (XGetIMValues(im_, XNQueryInputStyle, &offered, nullptr) != nullptr || !offered) return 0;
    const XIMStyle wanted[] = {XIMPreeditPosition | XIMStatusNothing, XIMPreeditPosition | XIMStatusNone,
                               XIMPreeditNothing | XIMStatusNothing, XIMPreeditNothing | XIMStatusNone,
                               XIMPreeditNone | XIMStatusNone};
    XIMStyle pick = 0;
    for (XIMStyle w : wanted) {
      for (unsigned short i = 0; i < offered->count_styles && !pick; ++i)
        if (offered->supported_styles[i] == w) pick = w;
      if (pick) break;
    }
    XFree(offered);
    return pick;
  }

  XIC CreateInputContext(Window x) {
    if (!imStyle_) return nullptr;
    if (imStyle_ & XIMPreeditPosition) {
      if (!fontSetTried_) {
        fontSetTried_ = true;
        char** missing = nullptr;
        int count = 0;
        char* def = nullptr;
        fontSet_ = XCreateFontSet(dpy_, "-*-*-medium-r-normal--16-*-*-*-*-*-*-*,-*-*-*-*-*-*-16-*-*-*-*-*-*-*,*",
                                  &missing, &count, &def);
        if (missing) XFreeStringList(missing);
      }
      XPoint spot{0, 0};
      XVaNestedList pre = fontSet_ ? XVaCreateNestedList(0, XNSpotLocation, &spot, XNFontSet, fontSet_, nullptr)
                                   : XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
      XIC ic = XCreateIC(im_, XNInputStyle, imStyle_, XNClientWindow, x, XNFocusWindow, x, XNPreeditAttributes, pre,
                         nullptr);
      XFree(pre);
      if (ic) {
        overTheSpot_.insert(x);
        return ic;
      }
      // Some input methods refuse it after all: the root style then.
      XIMStyle root = (imStyle_ & XIMStatusNone) ? (XIMPreeditNothing | XIMStatusNone)
                                                 : (XIMPreeditNothing | XIMStatusNothing);
      return XCreateIC(im_, XNInputStyle, root, XNClientWindow, x, XNFocusWindow, x, nullptr);
    }
    return XCreateIC(im_, XNInputStyle, imStyle_, XNClientWindow, x, XNFocusWindow, x, nullptr);
  }

  void DefineCursor(Cursor c) {
    shownCursor_ = c;
    for (auto& [w, r] : tops_) XDefineCursor(dpy_, Window(w), c);
    XFlush(dpy_);
  }

  Cursor MakeCursor(const IconImage& img) {
    if (img.width <= 0 || img.height <= 0 || img.argb.size() < std::size_t(img.width) * std::size_t(img.height)) return 0;
    int ev, err;
    XRenderPictFormat* fmt = XRenderFindStandardFormat(dpy_, PictStandardARGB32);
    if (XRenderQueryExtension(dpy_, &ev, &err) && fmt) {
      std::vector<std::uint32_t> pm(img.argb.size());  // RENDER wants premultiplied pixels
      for (std::size_t i = 0; i < pm.size(); ++i) {
        std::uint32_t c = img.argb[i], a = c >> 24;
        auto ch = [&](int shift) { return (((c >> shift) & 0xFF) * a + 127) / 255 << shift; };
        pm[i] = (a << 24) | ch(16) | ch(8) | ch(0);
      }
      Pixmap pix = XCreatePixmap(dpy_, root_, unsigned(img.width), unsigned(img.height), 32);
      XImage* xi = XCreateImage(dpy_, nullptr, 32, ZPixmap, 0, reinterpret_cast<char*>(pm.data()), unsigned(img.width),
                                unsigned(img.height), 32, img.width * 4);
      if (!xi) {
        XFreePixmap(dpy_, pix);
        return 0;
      }
      xi->byte_order = LSBFirst;
      GC gc = XCreateGC(dpy_, pix, 0, nullptr);
      XPutImage(dpy_, pix, gc, xi, 0, 0, 0, 0, unsigned(img.width), unsigned(img.height));
      XFreeGC(dpy_, gc);
      xi->data = nullptr;
      XDestroyImage(xi);
      Picture pic = XRenderCreatePicture(dpy_, pix, fmt, 0, nullptr);
      Cursor c = XRenderCreateCursor(dpy_, pic, unsigned(img.hotSpot.X), unsigned(img.hotSpot.Y));
      XRenderFreePicture(dpy_, pic);
      XFreePixmap(dpy_, pix);
      return c;
    }
    int stride = (img.width + 7) / 8;
    std::vector<char> src(std::size_t(stride) * img.height), mask(src.size());
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x) {
        std::uint32_t c = img.argb[std::size_t(y) * img.width + x];
        int lum = int(((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF));
        std::size_t i = std::size_t(y) * stride + x / 8;
        if ((c >> 24) >= 128) mask[i] = char(mask[i] | (1 << (x % 8)));
        if (lum < 384) src[i] = char(src[i] | (1 << (x % 8)));  // foreground (black)
      }
    Pixmap sp = XCreateBitmapFromData(dpy_, root_, src.data(), unsigned(img.width), unsigned(img.height));
    Pixmap mp = XCreateBitmapFromData(dpy_, root_, mask.data(), unsigned(img.width), unsigned(img.height));
    XColor black{}, white{};
    white.red = white.green = white.blue = 0xFFFF;
    Cursor c = XCreatePixmapCursor(dpy_, sp, mp, &black, &white, unsigned(img.hotSpot.X), unsigned(img.hotSpot.Y));
    XFreePixmap(dpy_, sp);
    XFreePixmap(dpy_, mp);
    return c;
  }

  // The key's symbol for its virtual key: the unshifted one, except on the
  // keypad, where Num Lock (unless Shift undoes it) makes the digit keys
  // digits (VK_NUMPAD0..9, VK_DECIMAL) rather than navigation keys.
  KeySym KeyOf(XKeyEvent& k) {
    KeySym plain = XLookupKeysym(&k, 0), second = XLookupKeysym(&k, 1);
    if (!IsKeypadKey(second)) return plain;
    bool numLock = (k.state & NumLockMask()) != 0, shift = (k.state & ShiftMask) != 0;
    return numLock != shift ? second : plain;
  }

  unsigned NumLockMask() {
    if (numLockMask_) return *numLockMask_;
    unsigned mask = 0;
    KeyCode nl = XKeysymToKeycode(dpy_, XK_Num_Lock);
    if (XModifierKeymap* m = XGetModifierMapping(dpy_)) {
      for (int mod = 0; mod < 8; ++mod)
        for (int i = 0; i < m->max_keypermod; ++i)
          if (nl && m->modifiermap[mod * m->max_keypermod + i] == nl) mask |= 1u << mod;
      XFreeModifiermap(m);
    }
    numLockMask_ = mask;
    return mask;
  }

  bool HasWindowManager() {
    Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(dpy_, root_, check, 0, 1, False, XA_WINDOW, &type, &format, &n, &after, &data) ==
                     Success &&
                 data && n == 1;
    if (data) XFree(data);
    return found;
  }

  void Handle(XEvent& e) {
    switch (e.type) {
      case Expose:
        if (e.xexpose.count == 0 && tops_.count(e.xexpose.window)) input::Exposed(e.xexpose.window);
        break;
      case ConfigureNotify: {
        Window w = e.xconfigure.window;
        auto it = tops_.find(w);
        if (it == tops_.end()) break;
        // Real events are relative to a window manager's frame, and the
        // synthetic ones a manager sends do not always hold root
        // coordinates (openbox sends its frame-relative 0,0 to an
        // undecorated window): the server says where the window is. Taking
        // such a 0,0 for a move sets the window moving back and forth.
        int x = e.xconfigure.x, y = e.xconfigure.y;
        Window child;
        if (!XTranslateCoordinates(dpy_, w, root_, 0, 0, &x, &y, &child)) {
          x = e.xconfigure.x;
          y = e.xconfigure.y;
        }
        if (x != it->second.Left || y != it->second.Top) {
          it->second = rtl::Bounds(x, y, it->second.Width(), it->second.Height());
          input::MovedByDisplay(w, {x, y});
        }
        break;
      }
      case MotionNotify: {
        while (XCheckTypedWindowEvent(dpy_, e.xmotion.window, MotionNotify, &e)) {
        }
        input::MouseMove({e.xmotion.x_root, e.xmotion.y_root});
        break;
      }
      case ButtonPress: case ButtonRelease: {
        bool down = e.type == ButtonPress;
        POINT p{e.xbutton.x_root, e.xbutton.y_root};
        switch (e.xbutton.button) {
          case Button1: input::MouseButton(p, 0, down); break;
          case Button2: input::MouseButton(p, 2, down); break;
          case Button3: input::MouseButton(p, 1, down); break;
          case Button4: if (down) input::MouseWheel(p, WHEEL_DELTA); break;
          case Button5: if (down) input::MouseWheel(p, -WHEEL_DELTA); break;
          default: break;
        }
        break;
      }
      case LeaveNotify:
        if (e.xcrossing.mode == NotifyNormal) input::MouseMove({e.xcrossing.x_root, e.xcrossing.y_root});
        break;
      case KeyPress: case KeyRelease: {
        bool down = e.type == KeyPress;
        if (!down && XEventsQueued(dpy_, QueuedAfterReading)) {
          // Auto-repeat: a release followed at once by a press of the same key is a repeat.
          XEvent next;
          XPeekEvent(dpy_, &next);
          if (next.type == KeyPress && next.xkey.keycode == e.xkey.keycode && next.xkey.time == e.xkey.time) break;
        }
        KeySym ks = KeyOf(e.xkey);
        std::u16string text;
        if (down) {
          std::vector<char> buf(64);
          KeySym typed = 0;
          Status st = 0;
          auto ic = ics_.find(e.xkey.window);
          if (ic != ics_.end()) {
            int n = Xutf8LookupString(ic->second, &e.xkey, buf.data(), int(buf.size()), &typed, &st);
            if (st == XBufferOverflow) {
              // A commit longer than the buffer (a phrase from the input
              // method): the same event read again gives it whole.
              buf.resize(std::size_t(n) + 1);
              n = Xutf8LookupString(ic->second, &e.xkey, buf.data(), int(buf.size()), &typed, &st);
            }
            if ((st == XLookupChars || st == XLookupBoth) && n > 0)
              text = rtl::Utf8ToString(std::string(buf.data(), std::size_t(n)));
          } else {
            XLookupString(&e.xkey, buf.data(), int(buf.size()), &typed, nullptr);
            text = KeysymText(typed);
          }
          if (e.xkey.state & ControlMask) text.clear();  // control chords type nothing here
        }
        int vk = KeysymToVk(ks);
        if (vk) input::Key(vk, down, text);
        else if (!text.empty()) input::Text(text);  // composed text without a key of its own
        break;
      }
      case FocusIn: case FocusOut:
        if (CountsAsFocus(e)) {
          if (auto ic = ics_.find(e.xfocus.window); ic != ics_.end()) {
            if (e.type == FocusIn) XSetICFocus(ic->second);
            else XUnsetICFocus(ic->second);
          }
          // Focus moving between two of our windows: the application stays
          // active (the FocusIn already read activates the other window).
          if (e.type == FocusOut && FocusInQueued()) break;
          input::FocusChanged(e.xfocus.window, e.type == FocusIn);
        }
        break;
      case ClientMessage:
        if (e.xclient.message_type == aProtocols_ && Atom(e.xclient.data.l[0]) == aDelete_)
          input::CloseRequested(e.xclient.window);
        break;
      case SelectionRequest: ServeSelection(e.xselectionrequest); break;
      case MappingNotify:
        XRefreshKeyboardMapping(&e.xmapping);
        numLockMask_.reset();
        break;
      case SelectionClear: clip_.clear(); break;
      case UnmapNotify: {
        Window w = e.xunmap.window;
        if (!tops_.count(w)) break;
        if (hiding_.erase(w)) break;  // our own hide
        // The window manager iconified it (task bar, keyboard).
        if (!iconic_.count(w)) {
          iconic_.insert(w);
          input::Iconified(w, true);
        }
        break;
      }
      case MapNotify: {
        Window w = e.xmap.window;
        if (tops_.count(w) && iconic_.erase(w)) input::Iconified(w, false);  // restored from the task bar
        break;
      }
      default: break;
    }
  }

  void ServeSelection(const XSelectionRequestEvent& r) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = r.display;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    reply.property = None;
    Atom prop = r.property ? r.property : r.target;
    if (r.target == aTargets_) {
      Atom targets[] = {aTargets_, aUtf8_, XA_STRING};
      XChangeProperty(dpy_, r.requestor, prop, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(targets), 3);
      reply.property = prop;
    } else if (r.target == aUtf8_) {
      XChangeProperty(dpy_, r.requestor, prop, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(clip_.data()), int(clip_.size()));
      reply.property = prop;
    } else if (r.target == XA_STRING) {
      // STRING is Latin-1: what it cannot hold becomes '?' rather than stray bytes.
      std::string latin1;
      for (char16_t c : rtl::Utf8ToString(clip_)) latin1 += c < 0x100 ? char(c) : '?';
      XChangeProperty(dpy_, r.requestor, prop, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(latin1.data()), int(latin1.size()));
      reply.property = prop;
    }
    XSendEvent(dpy_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XFlush(dpy_);
  }

  Display* dpy_;
  int screen_;
  Window root_, helper_;
  XIM im_ = nullptr;
  XIMStyle imStyle_ = 0;
  Atom imServer_ = 0;
  XFontSet fontSet_ = nullptr;
  bool fontSetTried_ = false;
  bool hasShape_ = false;
  std::map<NativeWindow, XIC> ics_;
  std::map<NativeWindow, GC> gcs_;
  std::map<NativeWindow, RECT> tops_;
  std::map<unsigned, Cursor> cursors_;
  std::map<std::uintptr_t, Cursor> imageCursors_;
  Cursor shownCursor_ = 0;
  std::optional<unsigned> numLockMask_;  // given to every window made from now on
  std::set<NativeWindow> hiding_, iconic_, argb_, perPixel_, mapped_, topmost_, appWindows_;
  std::set<NativeWindow> overTheSpot_;  // input contexts that take a spot location
  std::set<NativeWindow> managed_;      // windows that take text (have or get an input context)
  bool imWaiting_ = false;              // for an input method server to start
  bool imLost_ = false;
  std::map<NativeWindow, NativeWindow> owners_;  // managed owned windows: their owner
  Visual* argbVisual_ = nullptr;
  std::string clip_;
  Atom aDelete_, aProtocols_, aMotif_, aClipboard_, aUtf8_, aTargets_, aSelProp_, aWorkArea_, aName_, aType_,
      aTypeMenu_, aTypeDialog_, aTypeNormal_, aOpacity_;
};

// Text input needs a locale that can hold any character: the user's, or a
// UTF-8 one when theirs is plain ASCII or unknown to Xlib. Numbers stay in the
// C format the program reads and writes them in.
void SetUpLocale() {
  const char* got = setlocale(LC_ALL, "");
  std::string codeset = got ? nl_langinfo(CODESET) : "";
  if (!got || !XSupportsLocale() || codeset == "ANSI_X3.4-1968") {
    for (const char* utf8 : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
      if (setlocale(LC_CTYPE, utf8) && XSupportsLocale()) break;
  }
  setlocale(LC_NUMERIC, "C");
}

}  // namespace

std::unique_ptr<Backend> CreateX11Backend() {
  static bool threads = XInitThreads() != 0;
  (void)threads;
  SetUpLocale();
  Display* d = XOpenDisplay(nullptr);
  if (!d) return nullptr;
  XSetIOErrorHandler(ConnectionLost);
  return std::make_unique<X11Backend>(d);
}

}  // namespace win
