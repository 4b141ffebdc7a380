#include "skin/menus/bsSkinHint.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsSkinRegions.h"
#include "skin/images/bsUtils.h"

namespace skin {

using namespace win;

namespace {

// Every live hint component, in the order they took over the application's
// hints, and what the application had before the first of them.
struct TTakeover {
  std::vector<TbsSkinHint*> Live;
  forms::THintWindowClass OldClass;
  forms::TShowHintEvent OldHandler;
};
TTakeover& Takeover() {
  static TTakeover T;
  return T;
}

// Hint windows that exist: the application may still point at one it has
// already freed while it destroys its components.
std::vector<const TbsSkinHintWindow*>& LiveWindows() {
  static std::vector<const TbsSkinHintWindow*> V;
  return V;
}

// The application's OnShowHint while a component provides it; the owner
// tells whose handler is installed.
struct THintHandler {
  TbsSkinHint* Owner;
  void operator()(String& S, bool& CanShow, forms::THintInfo& Info) const {
    if (TbsSkinHint::IsAlive(Owner)) Owner->ShowHintHandler(S, CanShow, Info);
  }
};

bool HandlerIsOf(const TbsSkinHint* H) {
  if (!forms::Application) return false;
  const auto* T = forms::Application->OnShowHint.target<THintHandler>();
  return T && T->Owner == H;
}

constexpr UINT kTextFlags = 0;  // lines break only at line breaks; "&" underlines

bool ImageValid(forms::TCustomImageList* L, int Index) { return L && Index >= 0 && Index < L->Count(); }

// A separator becomes "line feed, carriage return", which is one line break
// in a hint; our text drawing would read it as two.
String LinesOf(const String& Text) {
  String R;
  R.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    R += Text[i];
    if (Text[i] == u'\n' && i + 1 < Text.size() && Text[i + 1] == u'\r') ++i;
  }
  return R;
}

rtl::TSize MeasureWith(gdi::TCanvas* C, const String& Raw) {
  const String Text = LinesOf(Raw);
  RECT R = rtl::Rect(0, 0, 0, 0);
  gdi::HGDIOBJ Old = gdi::SelectObject(C->Handle(), C->Font()->Handle());
  gdi::DrawText(C->Handle(), Text.c_str(), int(Text.size()), &R, gdi::DT_CALCRECT | kTextFlags);
  gdi::SelectObject(C->Handle(), Old);
  return {R.Right - R.Left, R.Bottom - R.Top};
}

void DrawTextAt(gdi::TCanvas* C, const String& Raw, TRect R) {
  const String Text = LinesOf(Raw);
  C->Brush()->SetStyle(gdi::bsClear);
  gdi::SetBkMode(C->Handle(), gdi::TRANSPARENT);
  gdi::SetTextColor(C->Handle(), gdi::ColorToRGB(C->Font()->Color()));
  gdi::HGDIOBJ Old = gdi::SelectObject(C->Handle(), C->Font()->Handle());
  RECT Rc = R;
  gdi::DrawText(C->Handle(), Text.c_str(), int(Text.size()), &Rc, kTextFlags);
  gdi::SelectObject(C->Handle(), Old);
}

}  // namespace

String ReplaceLineSeparator(const String& Text, const String& Separator) {
  if (Separator.empty()) return Text;
  String R;
  std::size_t From = 0;
  for (std::size_t At; (At = Text.find(Separator, From)) != String::npos; From = At + Separator.size()) {
    R.append(Text, From, At - From);
    R += u"\n\r";
  }
  R.append(Text, From, String::npos);
  return R;
}

// ====================================================================== window
TbsSkinHintWindow::TbsSkinHintWindow(rtl::TComponent* AOwner) : forms::THintWindow(AOwner) {
  LiveWindows().push_back(this);
}

TbsSkinHintWindow::~TbsSkinHintWindow() {
  auto& L = LiveWindows();
  L.erase(std::remove(L.begin(), L.end(), this), L.end());
  // The window system owns a region once set; it goes with the window.
  FRgn = nullptr;
}

void TbsSkinHintWindow::CreateParams(forms::TCreateParams& Params) {
  forms::THintWindow::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
  if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TbsSkinHintWindow::Dispatch(forms::TMessage& M) {
  if (M.Msg == WM_ERASEBKGND) {
    M.Result = 1;
    return;
  }
  if (M.Msg == WM_NCPAINT) return;
  forms::THintWindow::Dispatch(M);
}

TbsSkinHint* TbsSkinHintWindow::FindSkinHint() {
  forms::TCustomForm* F = forms::Application ? forms::Application->MainForm() : nullptr;
  if (!F) return nullptr;
  for (int i = 0; i < F->ComponentCount(); ++i)
    if (auto* H = dynamic_cast<TbsSkinHint*>(F->Components(i)); H && H->Active()) return H;
  return nullptr;
}

bool TbsSkinHintWindow::DecideSkin() {
  TbsSkinData* SD = FspHint->SkinData();
  FSD = SD && !SD->Empty && SD->HintWindow && SD->HintWindow->WindowPictureIndex != -1 &&
                SkinPictureAt(SD, SD->HintWindow->WindowPictureIndex)
            ? SD
            : nullptr;
  return FSD != nullptr;
}

void TbsSkinHintWindow::PrepareFont() {
  gdi::TFont* F = Canvas()->Font();
  if (FSD && FspHint->UseSkinFont) {
    const TbsDataSkinHintWindow& D = *FSD->HintWindow;
    ApplyDescriptionFont(F, D.FontName, D.FontHeight, D.FontStyle);
  } else {
    F->Assign(FspHint->DefaultFont());
  }
  TbsSkinData* SD = FspHint->SkinData();
  if (SD && SD->ResourceStrData())
    F->SetCharset(gdi::BYTE(SD->ResourceStrData()->CharSet));
  else
    F->SetCharset(FspHint->DefaultFont()->Charset());
  F->SetColor(FSD ? FSD->HintWindow->FontColor : gdi::clInfoText);
  // Painting starts from the window's own font: it must carry the same.
  Font()->Assign(F);
}

rtl::TSize TbsSkinHintWindow::MeasureText(const String& Text) {
  // On a bitmap: the window may not have its handle yet.
  TBitmap B(1, 1);
  B.Canvas()->Font()->Assign(Canvas()->Font());
  return MeasureWith(B.Canvas(), Text);
}

void TbsSkinHintWindow::CorrectCornerPoints(int& W, int& H) {
  const TbsDataSkinHintWindow& D = *FSD->HintWindow;
  TBitmap* Pic = SkinPictureAt(FSD, D.WindowPictureIndex);
  const int pw = Pic->Width(), ph = Pic->Height();
  int dx = W - pw, dy = H - ph;
  // Where a far corner would pass the near one, the size grows by the difference.
  auto Grow = [](int& Size, int& Delta, int Far, int Near, int Picture) {
    if (Far + Delta >= Near) return;
    Size += Near - (Far + Delta);
    Delta = Size - Picture;
  };
  Grow(W, dx, D.RTPoint.X, D.LTPoint.X, pw);
  Grow(W, dx, D.RBPoint.X, D.LBPoint.X, pw);
  Grow(H, dy, D.LBPoint.Y, D.LTPoint.Y, ph);
  Grow(H, dy, D.RBPoint.Y, D.RTPoint.Y, ph);
  NewClRect = rtl::Rect(D.ClRect.Left, D.ClRect.Top, D.ClRect.Right + dx, D.ClRect.Bottom + dy);
  NewLTPoint = D.LTPoint;
  NewRTPoint = {D.RTPoint.X + dx, D.RTPoint.Y};
  NewLBPoint = {D.LBPoint.X, D.LBPoint.Y + dy};
  NewRBPoint = {D.RBPoint.X + dx, D.RBPoint.Y + dy};
}

TPoint TbsSkinHintWindow::CalcHintSize(const String& Caption) {
  rtl::TSize S = MeasureText(Caption);
  int W = S.cx, H = S.cy;
  if (!FSD) return {W + 4, H + 4};
  const TbsDataSkinHintWindow& D = *FSD->HintWindow;
  TBitmap* Pic = SkinPictureAt(FSD, D.WindowPictureIndex);
  W += D.ClRect.Left + (Pic->Width() - D.ClRect.Right) + 5;
  H += D.ClRect.Top + (Pic->Height() - D.ClRect.Bottom);
  CorrectCornerPoints(W, H);
  return {W, H};
}

TPoint TbsSkinHintWindow::CalcHintSizeEx(const String& Caption, const String& ATitle,
                                         forms::TCustomImageList* AImageList, int AImageIndex) {
  rtl::TSize S = MeasureText(Caption);
  int W = S.cx, H = S.cy, TH = 0;
  if (!ATitle.empty()) {
    gdi::TFontStyles Old = Canvas()->Font()->Style();
    gdi::TFontStyles Bold;
    Bold.Include(gdi::fsBold);
    Canvas()->Font()->SetStyle(Bold);
    rtl::TSize T = MeasureText(ATitle);
    Canvas()->Font()->SetStyle(Old);
    TH = T.cy;
    H += TH + 10;
    W = std::max(W, T.cx);
  }
  if (ImageValid(AImageList, AImageIndex)) {
    W += AImageList->Width() + 10;
    H = std::max(H, AImageList->Height() + TH + 5);
  }
  if (!FSD) return {W + 4, H + 4};
  const TbsDataSkinHintWindow& D = *FSD->HintWindow;
  TBitmap* Pic = SkinPictureAt(FSD, D.WindowPictureIndex);
  W += 10 + D.ClRect.Left + (Pic->Width() - D.ClRect.Right);
  H += D.ClRect.Top + (Pic->Height() - D.ClRect.Bottom);
  CorrectCornerPoints(W, H);
  return {W, H};
}

void TbsSkinHintWindow::ActivateHint(TRect Rect, const String& AHint) {
  AExtendedStyle = false;
  FspHint = FindSkinHint();
  if (!FspHint) return;
  if (!FspHint->FHintTitle.empty() || FspHint->FHintImageList) {
    ActivateHintEx(Rect, FspHint->FHintTitle, AHint, FspHint->FHintImageIndex, FspHint->FHintImageList);
    return;
  }
  DecideSkin();
  PrepareFont();
  SetCaption(ReplaceLineSeparator(AHint, FspHint->LineSeparator));
  TPoint S = CalcHintSize(Caption());
  PlaceAndShow(rtl::Rect(Rect.Left, Rect.Top, Rect.Left + S.X, Rect.Top + S.Y));
}

void TbsSkinHintWindow::ActivateHintEx(TRect Rect, const String& AHintTitle, const String& AHint, int AImageIndex,
                                       forms::TCustomImageList* AImageList) {
  AExtendedStyle = true;
  FspHint = FindSkinHint();
  if (!FspHint) return;
  DecideSkin();
  PrepareFont();
  SetCaption(ReplaceLineSeparator(AHint, FspHint->LineSeparator));
  TPoint S = CalcHintSizeEx(Caption(), AHintTitle, AImageList, AImageIndex);
  PlaceAndShow(rtl::Rect(Rect.Left, Rect.Top, Rect.Left + S.X, Rect.Top + S.Y));
}

void TbsSkinHintWindow::ActivateHintFromRect(TRect ARect, const String& AHint, bool ATop) {
  AExtendedStyle = false;
  FspHint = FindSkinHint();
  if (!FspHint) return;
  DecideSkin();
  PrepareFont();
  SetCaption(ReplaceLineSeparator(AHint, FspHint->LineSeparator));
  TPoint S = CalcHintSize(Caption());
  const int L = ARect.Left + ARect.Width() / 2 - S.X / 2;
  const int T = ATop ? ARect.Top - S.Y : ARect.Bottom;
  PlaceAndShow(rtl::Rect(L, T, L + S.X, T + S.Y));
}

void TbsSkinHintWindow::PlaceAndShow(TRect R) {
  const int W = R.Width(), H = R.Height();
  // The limit: the work area of the active form's monitor, else the main
  // form's, else the whole screen.
  TRect Limit = rtl::Rect(0, 0, forms::Screen ? forms::Screen->Width() : 0, forms::Screen ? forms::Screen->Height() : 0);
  forms::TCustomForm* F = forms::Screen ? forms::Screen->ActiveCustomForm() : nullptr;
  if (!F && forms::Application && forms::Application->MainForm() && forms::Application->MainForm()->Visible())
    F = forms::Application->MainForm();
  if (F && F->HandleAllocated()) GetMonitorWorkArea(F->Handle(), true, Limit);
  if (R.Right > Limit.Right) R = rtl::Rect(R.Left - (W + 2), R.Top, R.Right - (W + 2), R.Bottom);
  if (R.Bottom > Limit.Bottom) R = rtl::Rect(R.Left, R.Top - (H + 2), R.Right, R.Bottom - (H + 2));
  SetBoundsRect(R);
  HandleNeeded();

  const bool Layering = IsLayeringSupported();
  const bool Fade = Layering && FspHint->AlphaBlend && FspHint->AlphaBlendAnimation;
  if (Layering) {
    LONG_PTR Ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    if (FspHint->AlphaBlend && !FOldAlphaBlend) SetWindowLongPtrW(Handle(), GWL_EXSTYLE, Ex | WS_EX_LAYERED);
    if (!FspHint->AlphaBlend && FOldAlphaBlend) SetWindowLongPtrW(Handle(), GWL_EXSTYLE, Ex & ~LONG_PTR(WS_EX_LAYERED));
    FOldAlphaBlend = FspHint->AlphaBlend;
    if (Fade) SetWindowAlphaValue(Handle(), 0);
    if (FspHint->AlphaBlend && FspHint->AlphaBlendValue != FOldAlphaBlendValue) {
      if (!Fade) SetWindowAlphaValue(Handle(), FspHint->AlphaBlendValue);
      FOldAlphaBlendValue = FspHint->AlphaBlendValue;
    }
  }
  UpdateSkinRegion();
  SetWindowPos(Handle(), HWND_TOPMOST, R.Left, R.Top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  Repaint();
  if (!Fade) return;
  // Fade-in: about 15 steps, one whenever more than 3 ms have passed (real
  // time: the effect is seen, and a test's stopped clock must not hang it).
  const int Target = FspHint->AlphaBlendValue;
  const int Step = std::max(1, Target / 15);
  int Alpha = 0;
  auto Last = std::chrono::steady_clock::now() - std::chrono::milliseconds(4);
  while (Alpha < Target) {
    auto Now = std::chrono::steady_clock::now();
    if (Now - Last <= std::chrono::milliseconds(3)) continue;
    Last = Now;
    Alpha = std::min(Target, Alpha + Step);
    Repaint();
    SetWindowAlphaValue(Handle(), std::uint8_t(Alpha));
  }
}

void TbsSkinHintWindow::UpdateSkinRegion() {
  const TbsDataSkinHintWindow* D = FSD ? FSD->HintWindow.get() : nullptr;
  TBitmap* Mask = D && D->MaskPictureIndex != -1 ? SkinPictureAt(FSD, D->MaskPictureIndex) : nullptr;
  if (Mask) {
    gdi::HRGN Rgn = nullptr;
    CreateSkinMaskRegion(Rgn, D->LTPoint, D->RTPoint, D->LBPoint, D->RBPoint, D->ClRect, NewLTPoint, NewRTPoint,
                         NewLBPoint, NewRBPoint, NewClRect, Mask, Width(), Height());
    if (Rgn) {
      // The window takes the region over and frees the one it had.
      if (SetWindowRgn(Handle(), Rgn, false) == 0) {
        gdi::DeleteObject(Rgn);
        Rgn = nullptr;
      }
      FRgn = Rgn;
      return;
    }
  }
  if (FRgn) SetWindowRgn(Handle(), nullptr, false);
  FRgn = nullptr;
}

void TbsSkinHintWindow::PaintBackground(gdi::TCanvas* C) {
  const int W = Width(), H = Height();
  if (FSD) {
    const TbsDataSkinHintWindow& D = *FSD->HintWindow;
    TBitmap* Pic = SkinPictureAt(FSD, D.WindowPictureIndex);
    TBitmap B;
    B.SetPixelFormat(gdi::pf32bit);
    ComposeSkinImage2(D.LTPoint, D.RTPoint, D.LBPoint, D.RBPoint, D.ClRect, NewLTPoint, NewRTPoint, NewLBPoint,
                      NewRBPoint, NewClRect, &B, Pic, rtl::Rect(0, 0, Pic->Width(), Pic->Height()), W, H, true,
                      D.LeftStretch, D.TopStretch, D.RightStretch, D.BottomStretch, D.StretchEffect, D.StretchType);
    C->Draw(0, 0, &B);
    return;
  }
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(gdi::clInfoBk);
  C->FillRect(rtl::Rect(0, 0, W, H));
  C->Brush()->SetColor(gdi::clBtnShadow);
  C->FrameRect(rtl::Rect(0, 0, W, H));
}

void TbsSkinHintWindow::Paint() {
  if (!TbsSkinHint::IsAlive(FspHint)) {
    FspHint = nullptr;
    return;
  }
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  TBitmap DrawBuffer(W, H);
  DrawBuffer.SetPixelFormat(gdi::pf32bit);
  gdi::TCanvas* C = DrawBuffer.Canvas();
  C->Font()->Assign(Canvas()->Font());
  PaintBackground(C);
  if (AExtendedStyle) {
    PaintExtended(C);
  } else if (FSD) {
    rtl::TSize S = MeasureWith(C, Caption());
    const int L = NewClRect.Left + NewClRect.Width() / 2 - S.cx / 2;
    const int T = NewClRect.Top + NewClRect.Height() / 2 - S.cy / 2;
    DrawTextAt(C, Caption(), rtl::Rect(L, T, L + S.cx, T + S.cy));
  } else {
    DrawTextAt(C, Caption(), rtl::Rect(2, 2, W - 2, H - 2));
  }
  Canvas()->Draw(0, 0, &DrawBuffer);
}

void TbsSkinHintWindow::PaintExtended(gdi::TCanvas* C) {
  const String& Title = FspHint->FHintTitle;
  forms::TCustomImageList* IL = FspHint->FHintImageList;
  const int Index = FspHint->FHintImageIndex;
  const bool HasImage = ImageValid(IL, Index);
  gdi::TFontStyles Plain = C->Font()->Style();
  gdi::TFontStyles Bold;
  Bold.Include(gdi::fsBold);
  rtl::TSize Text = MeasureWith(C, Caption());
  if (FSD) {
    const int x0 = NewClRect.Left + 5;
    int a = 0;
    if (!Title.empty()) {
      C->Font()->SetStyle(Bold);
      rtl::TSize T = MeasureWith(C, Title);
      DrawTextAt(C, Title, rtl::Rect(x0, NewClRect.Top, x0 + T.cx, NewClRect.Top + T.cy));
      C->Font()->SetStyle(Plain);
      a = T.cy + 5;
    }
    int x = x0;
    if (HasImage) {
      const int y = Title.empty() ? NewClRect.Top + NewClRect.Height() / 2 - IL->Height() / 2 : NewClRect.Top + a;
      IL->Draw(C, x0, y, Index, true);
      x = x0 + IL->Width() + 5;
    }
    const int y = Title.empty() ? NewClRect.Top + NewClRect.Height() / 2 - Text.cy / 2 : NewClRect.Top + a;
    DrawTextAt(C, Caption(), rtl::Rect(x, y, x + Text.cx, y + Text.cy));
    return;
  }
  TRect Area = rtl::Rect(2, 2, Width() - 2, Height() - 2);
  int a = 0;
  if (!Title.empty()) {
    C->Font()->SetStyle(Bold);
    rtl::TSize T = MeasureWith(C, Title);
    DrawTextAt(C, Title, rtl::Rect(2, 2, 2 + T.cx, 2 + T.cy));
    C->Font()->SetStyle(Plain);
    a = T.cy + 5;
  }
  if (HasImage) {
    const int y = Title.empty() ? Area.Top + Area.Height() / 2 - IL->Height() / 2 : a;
    IL->Draw(C, 2, y, Index, true);
  }
  Area.Top += a;
  if (HasImage) Area.Left += IL->Width() + 7;
  DrawTextAt(C, Caption(), Area);
}

// ====================================================================== component
bool TbsSkinHint::IsAlive(const TbsSkinHint* H) {
  if (!H) return false;
  auto& L = Takeover().Live;
  return std::find(L.begin(), L.end(), H) != L.end();
}

namespace {

// The frames' object and quick-button hints go to the hint component a
// frame names in its SkinHint, while that component exists.
class TbsFrameHints : public TbsFrameHintSupport {
 public:
  void ActivateHint2(rtl::TComponent* SkinHint, const String& AHint) override {
    if (TbsSkinHint* H = Of(SkinHint)) H->ActivateHint2(AHint);
  }
  void HideHint(rtl::TComponent* SkinHint) override {
    if (TbsSkinHint* H = Of(SkinHint)) H->HideHint();
  }

 private:
  static TbsSkinHint* Of(rtl::TComponent* C) {
    auto& L = Takeover().Live;
    for (TbsSkinHint* H : L)
      if (static_cast<rtl::TComponent*>(H) == C) return H;
    return nullptr;
  }
};

TbsFrameHints gFrameHints;

}  // namespace

TbsSkinHint::TbsSkinHint(rtl::TComponent* AOwner) : rtl::TComponent(AOwner), FDefaultFont(std::make_unique<gdi::TFont>()) {
  if (!FrameHintSupport()) SetFrameHintSupport(&gFrameHints);
  HW = new TbsSkinHintWindow(this);
  HW->SetVisible(false);
  HintTimer = new forms::TTimer(this);
  HintTimer->SetEnabled(false);
  HintTimer->OnTimer = [this](rtl::TObject*) { DelayedShow(); };
  TTakeover& T = Takeover();
  if (!forms::Application) {
    T.Live.push_back(this);
    return;
  }
  if (T.Live.empty()) {
    T.OldClass = forms::Application->HintWindowClass();
    T.OldHandler = forms::Application->OnShowHint;
  }
  T.Live.push_back(this);
  forms::Application->SetHintWindowClass([](rtl::TComponent* Owner) { return new TbsSkinHintWindow(Owner); });
  // Switching hints off and on drops the application's old hint window.
  forms::Application->SetShowHint(false);
  forms::Application->SetShowHint(true);
  forms::Application->OnShowHint = THintHandler{this};
  forms::Application->HintShortPause = 100;
}

TbsSkinHint::~TbsSkinHint() {
  TTakeover& T = Takeover();
  const bool Installed = HandlerIsOf(this);
  T.Live.erase(std::remove(T.Live.begin(), T.Live.end(), this), T.Live.end());
  if (forms::Application) {
    if (T.Live.empty()) {
      if (Installed || !forms::Application->OnShowHint) forms::Application->OnShowHint = T.OldHandler;
      // While our class is installed the application's hint window is one of
      // ours; one already gone means the application is tearing down.
      const forms::THintWindow* Current = forms::Application->HintWindow();
      auto& W = LiveWindows();
      if (!Current || std::find(W.begin(), W.end(), Current) != W.end())
        forms::Application->SetHintWindowClass(T.OldClass);
      T.OldClass = nullptr;
      T.OldHandler = nullptr;
    } else if (Installed) {
      TbsSkinHint* Next = T.Live.back();
      for (auto It = T.Live.rbegin(); It != T.Live.rend(); ++It)
        if ((*It)->Active()) {
          Next = *It;
          break;
        }
      forms::Application->OnShowHint = THintHandler{Next};
    }
  }
  // HW and the timer are owned components and go with this one.
}

void TbsSkinHint::SetActive(bool Value) {
  FActive = Value;
  if (!Value) return;
  forms::TCustomForm* F = forms::Application ? forms::Application->MainForm() : nullptr;
  if (F)
    for (int i = 0; i < F->ComponentCount(); ++i)
      if (auto* H = dynamic_cast<TbsSkinHint*>(F->Components(i)); H && H != this && H->Active()) H->SetActive(false);
  if (forms::Application && !ComponentState().Contains(rtl::csDesigning))
    forms::Application->OnShowHint = THintHandler{this};
}

void TbsSkinHint::SetSkinData(TbsSkinData* Value) {
  FSD = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinHint::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FHintImageList) FHintImageList = nullptr;
}

void TbsSkinHint::ClearHintData() {
  FHintTitle.clear();
  FHintImageList = nullptr;
  FHintImageIndex = 0;
}

void TbsSkinHint::ShowHintHandler(String& HintStr, bool& CanShow, forms::THintInfo& HintInfo) {
  ClearHintData();
  if (auto* C = dynamic_cast<TbsSkinControl*>(HintInfo.HintControl)) {
    FHintTitle = C->HintTitle;
    FHintImageIndex = C->HintImageIndex;
    FHintImageList = C->HintImageList;
  } else if (auto* G = dynamic_cast<TbsGraphicSkinControl*>(HintInfo.HintControl)) {
    FHintTitle = G->HintTitle;
    FHintImageIndex = G->HintImageIndex;
    FHintImageList = G->HintImageList;
  }
  if (FHintImageList) FHintImageList->FreeNotification(this);
  if (OnShowHint) OnShowHint(HintStr, CanShow, HintInfo);
}

void TbsSkinHint::ActivateHint(TPoint P, const String& AHint) {
  ClearHintData();
  HW->ActivateHint(rtl::Rect(P.X, P.Y, P.X, P.Y), AHint);
  if (TbsSkinHintWindow::FindSkinHint()) HW->SetVisible(true);
}

void TbsSkinHint::ActivateHintEx(TPoint P, const String& AHintTitle, const String& AHint, int AImageIndex,
                                 forms::TCustomImageList* AImageList) {
  FHintTitle = AHintTitle;
  FHintImageList = AImageList;
  FHintImageIndex = AImageIndex;
  if (AImageList) AImageList->FreeNotification(this);
  HW->ActivateHintEx(rtl::Rect(P.X, P.Y, P.X, P.Y), AHintTitle, AHint, AImageIndex, AImageList);
  if (TbsSkinHintWindow::FindSkinHint()) HW->SetVisible(true);
}

void TbsSkinHint::StartDelayed(TDelayed Kind) {
  HintTimer->SetEnabled(false);
  FDelayed = Kind;
  HintTimer->OnTimer = [this](rtl::TObject*) { DelayedShow(); };
  HintTimer->SetInterval(unsigned(forms::Application ? forms::Application->HintPause : 500));
  HintTimer->SetEnabled(true);
}

void TbsSkinHint::ActivateHint2(const String& AHint) {
  HintText = AHint;
  ClearHintData();
  StartDelayed(TDelayed::Plain);
}

void TbsSkinHint::ActivateHint3(TRect AFromRect, const String& AHint, bool ATop) {
  FromRect = AFromRect;
  Top = ATop;
  HintText = AHint;
  ClearHintData();
  StartDelayed(TDelayed::FromRect);
}

void TbsSkinHint::ActivateHintEx2(const String& AHintTitle, const String& AHint, int AImageIndex,
                                  forms::TCustomImageList* AImageList) {
  FHintTitle = AHintTitle;
  FHintImageIndex = AImageIndex;
  FHintImageList = AImageList;
  if (AImageList) AImageList->FreeNotification(this);
  HintText = AHint;
  StartDelayed(TDelayed::Extended);
}

void TbsSkinHint::DelayedShow() {
  HintTimer->SetEnabled(false);
  if (FDelayed == TDelayed::FromRect) {
    HW->ActivateHintFromRect(FromRect, HintText, Top);
  } else {
    POINT P;
    GetCursorPos(&P);
    P.Y += GetCursorHeightMargin();
    const TRect R = rtl::Rect(P.X, P.Y, P.X, P.Y);
    if (FDelayed == TDelayed::Extended)
      HW->ActivateHintEx(R, FHintTitle, HintText, FHintImageIndex, FHintImageList);
    else
      HW->ActivateHint(R, HintText);
  }
  if (TbsSkinHintWindow::FindSkinHint()) HW->SetVisible(true);
  HintTimer->OnTimer = [this](rtl::TObject*) { HideHint(); };
  HintTimer->SetInterval(unsigned(forms::Application ? forms::Application->HintHidePause : 2500));
  HintTimer->SetEnabled(true);
}

void TbsSkinHint::HideHint() {
  HintTimer->SetEnabled(false);
  if (!HW->Visible()) return;
  HW->SetVisible(false);
  if (HW->HandleAllocated())
    SetWindowPos(HW->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  ClearHintData();
}

bool TbsSkinHint::IsVisible() const { return HW->Visible(); }

int TbsSkinHint::GetCursorHeightMargin() {
  int Result = GetSystemMetrics(SM_CYCURSOR);
  ICONINFO II{};
  HCURSOR Cur = GetCursor();
  if (!Cur || !GetIconInfo(reinterpret_cast<HICON>(Cur), &II)) return Result;
  const gdi::Surface* Mask = II.hbmMask ? gdi::GetBitmapSurface(II.hbmMask) : nullptr;
  if (Mask && Mask->Width() > 0) {
    const int W = Mask->Width(), MH = Mask->Height();
    // The AND mask is the first W rows of a monochrome cursor's mask (the
    // XOR mask follows), or the whole mask of a colour one. The margin is
    // the lowest row that shows anything, less the hot spot.
    const bool Mono = !II.hbmColor && MH >= 2 * W;
    const int AndRows = Mono ? W : MH;
    auto LowestRow = [&](int From, int Rows, bool Visible(std::uint32_t)) {
      for (int y = From + Rows - 1; y >= From; --y)
        for (int x = 0; x < W; ++x)
          if (Visible(Mask->GetPixel(x, y))) return y - From;
      return -1;
    };
    int Row = LowestRow(0, AndRows, [](std::uint32_t P) { return (P & 0xFFFFFF) != 0xFFFFFF; });
    if (Row < 0 && Mono) Row = LowestRow(W, W, [](std::uint32_t P) { return (P & 0xFFFFFF) != 0; });
    if (Row >= 0) Result = Row - int(II.yHotspot);
  }
  if (II.hbmMask) gdi::DeleteObject(II.hbmMask);
  if (II.hbmColor) gdi::DeleteObject(II.hbmColor);
  return Result;
}

}  // namespace skin
