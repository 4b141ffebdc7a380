// Plain controls for the framework's tests and benchmarks: a push button with
// default/cancel behaviour and accelerators, a label, a panel and an edit-like
// control that wants characters and arrows. The real standard controls live
// with the standard-control library; these only exercise the framework.
#pragma once

#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Strings.h"

namespace formstest {

using namespace forms;

// Caption text in the control's font, transparently.
inline void DrawCaption(gdi::TCanvas* c, gdi::TFont* font, rtl::TColor color, const std::u16string& text, gdi::RECT r,
                        unsigned flags) {
  gdi::HGDIOBJ old = gdi::SelectObject(c->Handle(), font->Handle());
  gdi::SetBkMode(c->Handle(), gdi::TRANSPARENT);
  gdi::SetTextColor(c->Handle(), gdi::ColorToRGB(color));
  gdi::DrawTextW(c->Handle(), text.c_str(), int(text.size()), &r, flags);
  gdi::SelectObject(c->Handle(), old);
}

class TTestButton : public TCustomControl {
 public:
  explicit TTestButton(rtl::TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    SetColor(gdi::clBtnFace);
  }
  bool Default = false, Cancel = false;
  int ModalResult = 0;
  int clicks = 0;

  void Click() override {
    ++clicks;
    TLiveness live = Liveness();
    TCustomForm* f = GetParentForm(this);
    TCustomControl::Click();
    if (live.Alive() && f && ModalResult) f->SetModalResult(ModalResult);
  }

  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case CM_DIALOGKEY:
        if ((m.WParam == win::VK_RETURN && (Default || Focused())) || (m.WParam == win::VK_ESCAPE && Cancel)) {
          if (CanFocus() || !HandleAllocated()) {
            Click();
            m.Result = 1;
          }
          return;
        }
        break;
      case CM_DIALOGCHAR:
        if (IsAccel(char16_t(m.WParam), Caption()) && CanFocus()) {
          Click();
          m.Result = 1;
          return;
        }
        break;
      case win::WM_KEYDOWN:
        // Enter on a focused button reaches it only when no dialog-key handler took it:
        // clicking here too must not make a second click.
        if (m.WParam == win::VK_RETURN || m.WParam == win::VK_SPACE) {
          Click();
          return;
        }
        break;
      case win::WM_SETFOCUS: case win::WM_KILLFOCUS: Invalidate(); break;
      default: break;
    }
    TCustomControl::Dispatch(m);
  }

 protected:
  void Paint() override {
    gdi::TCanvas* c = Canvas();
    gdi::RECT r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    gdi::DrawEdge(c->Handle(), &r, gdi::EDGE_RAISED, gdi::BF_RECT);
    DrawCaption(c, Font(), Enabled() ? gdi::clBtnText : gdi::clGrayText, Caption(), r,
                gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    if (Focused()) {
      gdi::RECT f = rtl::Rect(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4);
      c->DrawFocusRect(f);
    }
  }
};

class TTestLabel : public TGraphicControl {
 public:
  explicit TTestLabel(rtl::TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 17); }
  bool Transparent = true;

 protected:
  void Paint() override {
    gdi::TCanvas* c = Canvas();
    gdi::RECT r = ClientRect();
    if (!Transparent) {
      c->Brush()->SetColor(Color());
      c->FillRect(r);
    }
    DrawCaption(c, Font(), Enabled() ? Font()->Color() : gdi::clGrayText, Caption(), r,
                gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  }
};

class TTestPanel : public TCustomControl {
 public:
  explicit TTestPanel(rtl::TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
    SetBounds(0, 0, 185, 41);
    SetColor(gdi::clBtnFace);
  }

 protected:
  void Paint() override {
    gdi::TCanvas* c = Canvas();
    gdi::RECT r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    gdi::DrawEdge(c->Handle(), &r, gdi::BDR_RAISEDINNER, gdi::BF_RECT);
    if (!Caption().empty()) {
      DrawCaption(c, Font(), Font()->Color(), Caption(), r, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    }
  }
};

// Wants characters and arrows; keeps what is typed.
class TTestEdit : public TCustomControl {
 public:
  explicit TTestEdit(rtl::TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
    SetColor(gdi::clWindow);
  }
  std::u16string typed;

  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case win::WM_GETDLGCODE: m.Result = win::DLGC_WANTARROWS | win::DLGC_WANTCHARS; return;
      case win::WM_LBUTTONDOWN:
        if (CanFocus()) SetFocus();
        break;
      default: break;
    }
    TCustomControl::Dispatch(m);
  }

 protected:
  // Typing comes after OnKeyPress, which may change or drop the character.
  void KeyPress(char16_t& key) override {
    TCustomControl::KeyPress(key);
    if (key >= 0x20) {
      typed += key;
      Invalidate();
    }
  }
  void Paint() override {
    gdi::TCanvas* c = Canvas();
    gdi::RECT r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    gdi::DrawEdge(c->Handle(), &r, gdi::EDGE_SUNKEN, gdi::BF_RECT);
    gdi::RECT t = rtl::Rect(r.Left + 4, r.Top, r.Right - 2, r.Bottom);
    DrawCaption(c, Font(), Font()->Color(), typed, t, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  }
};

}  // namespace formstest
