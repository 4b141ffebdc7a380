// Labels, push buttons, check boxes and radio buttons.
#include <algorithm>

#include "platform/forms/StdCtrls.h"
#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"

namespace forms {

using namespace win;

// ------------------------------------------------------------------ TCustomLabel
TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetBounds(0, 0, 65, 17);
  SetColor(gdi::clBtnFace);
  TControl::SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment v) {
  alignment_ = v;
  Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout v) {
  layout_ = v;
  Invalidate();
}
void TCustomLabel::SetWordWrap(bool v) {
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool v) {
  showAccelChar_ = v;
  AdjustBounds();
  Invalidate();
}
void TCustomLabel::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}
void TCustomLabel::SetAutoSize(bool v) {
  TControl::SetAutoSize(v);
  AdjustBounds();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* component, rtl::TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == rtl::opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::DoDrawText(TRect& rect, unsigned flags) {
  String text = Caption();
  if ((flags & gdi::DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == u"&"))) text += u" ";
  if (!showAccelChar_) flags |= gdi::DT_NOPREFIX;
  HDC dc = (flags & gdi::DT_CALCRECT) ? HDC(stddraw::MeasureDC()) : Canvas()->Handle();
  gdi::HGDIOBJ old = gdi::SelectObject(dc, Font()->Handle());
  if (flags & gdi::DT_CALCRECT) {
    gdi::DrawTextW(dc, text.c_str(), int(text.size()), &rect, flags);
  } else {
    stddraw::DrawTextIn(dc, text, rect, Enabled() ? Font()->Color() : gdi::clGrayText, flags);
  }
  gdi::SelectObject(dc, old);
}

void TCustomLabel::Paint() {
  TRect r = ClientRect();
  if (!transparent_) stddraw::FillSolid(Canvas()->Handle(), r, Color());
  unsigned flags = gdi::DT_EXPANDTABS | (wordWrap_ ? gdi::DT_WORDBREAK : 0) |
                   (alignment_ == taCenter ? gdi::DT_CENTER : alignment_ == taRightJustify ? gdi::DT_RIGHT : gdi::DT_LEFT);
  if (layout_ != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | gdi::DT_CALCRECT);
    int dy = layout_ == tlBottom ? r.Height() - calc.Height() : (r.Height() - calc.Height()) / 2;
    r.Top += std::max(0, dy);
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!AutoSize() || Loading()) return;
  TRect r = rtl::Rect(0, 0, wordWrap_ ? Width() : 0, 0);
  DoDrawText(r, gdi::DT_EXPANDTABS | gdi::DT_CALCRECT | (wordWrap_ ? gdi::DT_WORDBREAK : 0));
  int x = Left();
  if (alignment_ == taRightJustify) x += Width() - r.Width();
  else if (alignment_ == taCenter) x += (Width() - r.Width()) / 2;
  SetBounds(x, Top(), r.Width(), r.Height());
}

void TCustomLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED: case CM_FONTCHANGED:
      TGraphicControl::Dispatch(m);
      AdjustBounds();
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(char16_t(m.WParam), Caption()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TGraphicControl::Dispatch(m);
}

// ------------------------------------------------------------------ TButton
TButton::TButton(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetColor(gdi::clBtnFace);
}

void TButton::SetDefault(bool v) {
  default_ = v;
  Invalidate();
}

void TButton::Click() {
  TLiveness live = Liveness();
  TCustomForm* f = GetParentForm(this);
  TLiveness formLive = f ? f->Liveness() : TLiveness();
  TCustomControl::Click();
  if (live.Alive() && f && formLive.Alive() && modalResult_) f->SetModalResult(modalResult_);
}

void TButton::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Color());
  bool isDefault = active_ || (default_ && !dynamic_cast<TButton*>(GetParentForm(this) ? GetParentForm(this)->ActiveControl() : nullptr));
  if (isDefault || Focused()) {
    gdi::HBRUSH black = gdi::CreateSolidBrush(gdi::ColorToRGB(gdi::clWindowFrame));
    gdi::FrameRect(dc, &r, black);
    gdi::DeleteObject(black);
    r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  if (pressed_) {
    gdi::HBRUSH shadow = gdi::CreateSolidBrush(gdi::ColorToRGB(gdi::clBtnShadow));
    gdi::FrameRect(dc, &r, shadow);
    gdi::DeleteObject(shadow);
  } else {
    gdi::DrawEdge(dc, &r, gdi::EDGE_RAISED, gdi::BF_RECT);
  }
  gdi::SelectObject(dc, Font()->Handle());
  TRect t = r;
  if (pressed_) t = rtl::Rect(t.Left + 1, t.Top + 1, t.Right + 1, t.Bottom + 1);
  stddraw::DrawTextIn(dc, Caption(), t, Enabled() ? gdi::clBtnText : gdi::clGrayText,
                      gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  if (Focused()) Canvas()->DrawFocusRect(rtl::Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    if (!live.Alive()) return;
    SetMouseCapture(true);
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
  if (MouseCapture()) {
    bool in = ClientRect().Contains(TPoint{x, y});
    if (in != pressed_) {
      pressed_ = in;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool click = button == mbLeft && MouseCapture() && ClientRect().Contains(TPoint{x, y});
  if (button == mbLeft) {
    SetMouseCapture(false);
    pressed_ = false;
    Invalidate();
  }
  TLiveness live = Liveness();
  TCustomControl::MouseUp(button, shift, x, y);
  if (click && live.Alive()) Click();
}

void TButton::KeyUp(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE && spaceDown_) {
    spaceDown_ = false;
    pressed_ = false;
    Invalidate();
    Click();
  }
}

void TButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY:
      if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) && Enabled() && Showing()) {
        Click();
        m.Result = 1;
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
    case CM_FOCUSCHANGED: {
      // The default button is active unless another button has the focus.
      auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
      bool was = active_;
      active_ = focused == this || (default_ && !dynamic_cast<TButton*>(focused));
      if (was != active_) Invalidate();
      break;
    }
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE) {
        spaceDown_ = pressed_ = true;
        Invalidate();
        return;
      }
      if (m.WParam == VK_RETURN) {
        Click();
        return;
      }
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      spaceDown_ = pressed_ = false;
      Invalidate();
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ check and radio
TButtonControl::TButtonControl(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csSetCaption, csDoubleClicks, csClickEvents, csCaptureMouse});
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
  SetColor(gdi::clBtnFace);
}

void TButtonControl::SetAlignment(TAlignment v) {
  alignment_ = v;
  Invalidate();
}

void TButtonControl::SetStateQuiet(TCheckBoxState s) {
  if (state_ == s) return;
  state_ = s;
  Invalidate();
}

void TButtonControl::SetChecked(bool v) {
  if (Checked() == v && state_ != cbGrayed) return;
  SetStateQuiet(v ? cbChecked : cbUnchecked);
  if (!clicking_) TCustomControl::Click();  // a change from code fires OnClick too, as the native control's does
}

void TButtonControl::Click() {
  // A user's click toggles first; the state change raises the one OnClick.
  clicking_ = true;
  TCheckBoxState before = state_;
  Toggle();
  clicking_ = false;
  if (state_ != before) TCustomControl::Click();
}

void TButtonControl::KeyUp(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE) Click();
}

void TButtonControl::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Color());
  int box = 13;
  int top = (r.Height() - box) / 2;
  bool boxLeft = alignment_ == taRightJustify;
  TRect b = boxLeft ? rtl::Bounds(r.Left, top, box, box) : rtl::Bounds(r.Right - box, top, box, box);
  UINT state = (IsRadio() ? gdi::DFCS_BUTTONRADIO : gdi::DFCS_BUTTONCHECK) | (state_ != cbUnchecked ? gdi::DFCS_CHECKED : 0) |
               (Enabled() && state_ != cbGrayed ? 0 : gdi::DFCS_INACTIVE);
  gdi::DrawFrameControl(dc, &b, gdi::DFC_BUTTON, state);
  gdi::SelectObject(dc, Font()->Handle());
  TRect t = boxLeft ? rtl::Rect(b.Right + 4, r.Top, r.Right, r.Bottom) : rtl::Rect(r.Left, r.Top, b.Left - 4, r.Bottom);
  stddraw::DrawTextIn(dc, Caption(), t, Enabled() ? Font()->Color() : gdi::clGrayText,
                      gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  if (Focused() && !Caption().empty()) {
    TRect calc = t;
    gdi::DrawTextW(dc, Caption().c_str(), int(Caption().size()), &calc, gdi::DT_CALCRECT | gdi::DT_SINGLELINE);
    int h = calc.Height();
    TRect fr = rtl::Rect(t.Left - 1, (r.Height() - h) / 2 - 1, std::min(t.Right, calc.Right) + 1, (r.Height() + h) / 2 + 1);
    Canvas()->DrawFocusRect(fr);
  }
}

void TButtonControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(char16_t(m.WParam), Caption()) && CanFocus()) {
        SetFocus();
        Click();
        m.Result = 1;
        return;
      }
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      if (CanFocus() && !Focused()) SetFocus();
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS: Invalidate(); break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == state_) return;
  SetStateQuiet(s);
  TCustomControl::Click();
}

void TCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetStateQuiet(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbGrayed: SetStateQuiet(cbChecked); break;
    case cbChecked: SetStateQuiet(cbUnchecked); break;
  }
}

void TRadioButton::SetChecked(bool v) {
  if (Checked() == v) return;
  TButtonControl::SetChecked(v);
  if (!v || !Parent()) return;
  // Checking one radio button unchecks its siblings.
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* rb = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); rb && rb != this) rb->SetStateQuiet(cbUnchecked);
}

}  // namespace forms
