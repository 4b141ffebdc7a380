#include "skin/controls/bsSkinOfficeListBox.h"

#include <algorithm>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Exceptions.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/images/bsLayerManager.h"

namespace skin {

using gdi::TCanvas;

namespace {

constexpr unsigned kFadeTimer = 2;

void Fill(TCanvas* C, TRect R, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->FillRect(R);
}

void OfficeCharset(gdi::TFont* F, TbsSkinData* SD, gdi::TFont* DefaultFont) {
  if (SD && SD->ResourceStrData())
    F->SetCharset(gdi::BYTE(SD->ResourceStrData()->CharSet));
  else if (DefaultFont)
    F->SetCharset(DefaultFont->Charset());
}

// Clips the canvas to R for the lifetime of the guard.
class TClip {
 public:
  TClip(TCanvas* C, TRect R) : dc_(C->Handle()) {
    saved_ = gdi::SaveDC(dc_);
    gdi::IntersectClipRect(dc_, R.Left, R.Top, R.Right, R.Bottom);
  }
  ~TClip() { gdi::RestoreDC(dc_, saved_); }

 private:
  gdi::HDC dc_;
  int saved_;
};

}  // namespace

// ------------------------------------------------------------------ items
TbsSkinOfficeItem::TbsSkinOfficeItem(TbsSkinOfficeItems* Collection) : FCollection(Collection) {}

int TbsSkinOfficeItem::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TbsSkinOfficeItem::Assign(const TbsSkinOfficeItem* Source) {
  if (!Source) return;
  FImageIndex = Source->FImageIndex;
  FCaption = Source->FCaption;
  FTitle = Source->FTitle;
  FEnabled = Source->FEnabled;
  FHeader = Source->FHeader;
  Changed();
}

void TbsSkinOfficeItem::Changed() {
  if (FCollection) FCollection->Update(this);
}

void TbsSkinOfficeItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  Changed();
}
void TbsSkinOfficeItem::SetTitle(const String& Value) {
  FTitle = Value;
  Changed();
}
void TbsSkinOfficeItem::SetCaption(const String& Value) {
  FCaption = Value;
  Changed();
}
void TbsSkinOfficeItem::SetEnabled(bool Value) {
  FEnabled = Value;
  Changed();
}
void TbsSkinOfficeItem::SetHeader(bool Value) {
  FHeader = Value;
  Changed();
}

TbsSkinOfficeItem* TbsSkinOfficeItems::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw rtl::EListError(u"List index out of bounds");
  return FItems[std::size_t(Index)].get();
}

int TbsSkinOfficeItems::IndexOf(const TbsSkinOfficeItem* Item) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[std::size_t(i)].get() == Item) return i;
  return -1;
}

void TbsSkinOfficeItems::Update(TbsSkinOfficeItem*) {
  if (FUpdateCount > 0 || !OfficeListBox) return;
  OfficeListBox->Invalidate();
  OfficeListBox->UpdateScrollInfo();
}

void TbsSkinOfficeItems::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Update(nullptr);
}

TbsSkinOfficeItem* TbsSkinOfficeItems::Add() { return Insert(Count()); }

TbsSkinOfficeItem* TbsSkinOfficeItems::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  auto Item = std::make_unique<TbsSkinOfficeItem>(this);
  TbsSkinOfficeItem* Raw = Item.get();
  FItems.insert(FItems.begin() + Index, std::move(Item));
  Raw->Active = OfficeListBox && Index == OfficeListBox->ItemIndex();
  Update(Raw);
  if (OfficeListBox) OfficeListBox->Invalidate();
  return Raw;
}

void TbsSkinOfficeItems::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw rtl::EListError(u"List index out of bounds");
  FItems.erase(FItems.begin() + Index);
  Update(nullptr);
  if (OfficeListBox) OfficeListBox->Invalidate();
}

void TbsSkinOfficeItems::Clear() {
  FItems.clear();
  Update(nullptr);
  if (OfficeListBox) OfficeListBox->Invalidate();
}

void TbsSkinOfficeItems::Assign(const TbsSkinOfficeItems* Source) {
  if (!Source || Source == this) return;
  BeginUpdate();
  FItems.clear();
  for (int i = 0; i < Source->Count(); ++i) {
    auto Item = std::make_unique<TbsSkinOfficeItem>(this);
    Item->Assign(Source->Items(i));
    Item->Active = OfficeListBox && i == OfficeListBox->ItemIndex();
    FItems.push_back(std::move(Item));
  }
  EndUpdate();
}

// ------------------------------------------------------------------ list
TbsSkinOfficeListBox::TbsSkinOfficeListBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + forms::TControlStyle{forms::csAcceptsControls, forms::csReplicatable});
  FItems = std::make_unique<TbsSkinOfficeItems>(this);
  SetBounds(Left(), Top(), 150, 150);
  SetTabStop(true);
  FSkinDataName = u"listbox";
}

TbsSkinOfficeListBox::~TbsSkinOfficeListBox() {
  FItems->OfficeListBox = nullptr;
  if (ScrollBar) {
    TbsSkinScrollBar* B = ScrollBar;
    ScrollBar = nullptr;
    B->Free();
  }
}

void TbsSkinOfficeListBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (AComponent == ScrollBar) ScrollBar = nullptr;
}

void TbsSkinOfficeListBox::SetItems(const TbsSkinOfficeItems* Value) {
  FItems->Assign(Value);
  Invalidate();
  UpdateScrollInfo();
}

void TbsSkinOfficeListBox::SetImages(forms::TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinOfficeListBox::SetShowItemTitles(bool Value) {
  if (FShowItemTitles == Value) return;
  FShowItemTitles = Value;
  Invalidate();
}

void TbsSkinOfficeListBox::SetItemHeight(int Value) {
  if (FItemHeight == Value || Value <= 0) return;
  FItemHeight = Value;
  Invalidate();
  UpdateScrollInfo();
}

void TbsSkinOfficeListBox::SetHeaderHeight(int Value) {
  if (FHeaderHeight == Value || Value <= 0) return;
  FHeaderHeight = Value;
  Invalidate();
  UpdateScrollInfo();
}

void TbsSkinOfficeListBox::SetShowLines(bool Value) {
  if (FShowLines == Value) return;
  FShowLines = Value;
  Invalidate();
}

int TbsSkinOfficeListBox::CalcHeight(int AItemsCount) {
  const int N = std::min(AItemsCount, FItems->Count());
  GetSkinData();
  if (FIndex == -1) return N * FItemHeight + 5;
  int W = Width(), H = Height();
  AdjustSkinSize(W, H);
  return N * FItemHeight + Height() - RectHeight(NewClRect) + 1;
}

void TbsSkinOfficeListBox::CalcItemRects() {
  FRealMax = 0;
  GetSkinData();
  if (FIndex == -1) {
    FItemsRect = {2, 2, Width() - 2, Height() - 2};
  } else {
    int W = Width(), H = Height();
    AdjustSkinSize(W, H);
    FItemsRect = NewClRect;
  }
  if (ScrollBar) FItemsRect.Right -= ScrollBar->Width();
  int Y = FItemsRect.Top;
  for (int i = 0; i < FItems->Count(); ++i) {
    TbsSkinOfficeItem* It = FItems->Items(i);
    const int H = It->Header() ? FHeaderHeight : FItemHeight;
    It->ItemRect = {FItemsRect.Left, Y - FScrollOffset, FItemsRect.Right, Y + H - FScrollOffset};
    Y += H;
    const TRect& R = It->ItemRect;
    const bool TopIn = R.Top >= FItemsRect.Top && R.Top < FItemsRect.Bottom;
    const bool BottomIn = R.Bottom >= FItemsRect.Top && R.Bottom < FItemsRect.Bottom;
    const bool Covers = R.Top <= FItemsRect.Top && R.Bottom >= FItemsRect.Bottom;
    It->IsVisible = TopIn || BottomIn || Covers;
    if (It->IsVisible) FRealMax = R.Bottom;
  }
  FMax = Y;
}

int TbsSkinOfficeListBox::ItemAtPos(int X, int Y) {
  for (int i = 0; i < FItems->Count(); ++i) {
    TbsSkinOfficeItem* It = FItems->Items(i);
    if (It->ItemRect.Contains(TPoint{X, Y}) && It->Enabled()) return i;
  }
  return -1;
}

void TbsSkinOfficeListBox::GetScrollInfo(int& AMin, int& AMax, int& APage, int& APosition) {
  CalcItemRects();
  AMin = 0;
  AMax = FMax - FItemsRect.Top;
  APage = RectHeight(FItemsRect);
  if (APage >= AMax) AMax = APage = 0;
  APosition = FScrollOffset;
}

void TbsSkinOfficeListBox::UpdateScrollInfo() {
  int Min, Max, Page, Pos;
  GetScrollInfo(Min, Max, Page, Pos);
  if (Max != 0) {
    if (!ScrollBar) ShowScrollbar();
    ScrollBar->SetRange(Min, Max, Pos, Page);
    ScrollBar->SetLargeChange(Page);
  } else if (ScrollBar) {
    HideScrollBar();
  }
}

void TbsSkinOfficeListBox::ShowScrollbar() {
  if (ScrollBar) return;
  ScrollBar = new TbsSkinScrollBar(this);
  ScrollBar->SetVisible(false);
  ScrollBar->SetParent(this);
  ScrollBar->SetDefaultHeight(0);
  ScrollBar->SetDefaultWidth(19);
  ScrollBar->SetSmallChange(FItemHeight);
  ScrollBar->SetLargeChange(FItemHeight);
  ScrollBar->SetSkinDataName(u"vscrollbar");
  ScrollBar->SetKind(sbVertical);
  ScrollBar->SetSkinData(FSD);
  if (!FSD) ScrollBar->ChangeSkinData();
  ScrollBar->OnChange = [this](TObject*) { SBChange(); };
  AdjustScrollBar();
  ScrollBar->SetVisible(true);
  Invalidate();
}

void TbsSkinOfficeListBox::HideScrollBar() {
  if (!ScrollBar) return;
  TbsSkinScrollBar* B = ScrollBar;
  ScrollBar = nullptr;
  B->SetVisible(false);
  B->Free();
  Invalidate();
}

void TbsSkinOfficeListBox::AdjustScrollBar() {
  if (!ScrollBar) return;
  TRect A{2, 2, Width() - 2, Height() - 2};
  GetSkinData();
  if (FIndex != -1) {
    int W = Width(), H = Height();
    AdjustSkinSize(W, H);
    A = NewClRect;
  }
  const int BW = ScrollBar->Width() > 0 ? ScrollBar->Width() : 19;
  ScrollBar->SetBounds(A.Right - BW, A.Top, BW, RectHeight(A));
}

void TbsSkinOfficeListBox::SBChange() {
  if (ScrollBar) Scroll(ScrollBar->Position());
}

void TbsSkinOfficeListBox::Scroll(int AScrollOffset) {
  FScrollOffset = AScrollOffset;
  Invalidate();
  UpdateScrollInfo();
}

void TbsSkinOfficeListBox::ScrollToItem(int Index) {
  CalcItemRects();
  if (Index < 0 || Index >= FItems->Count()) return;
  TbsSkinOfficeItem* It = FItems->Items(Index);
  TRect U = It->ItemRect;
  U.Top += FScrollOffset;
  U.Bottom += FScrollOffset;
  if (It->ItemRect.Top <= FItemsRect.Top) {
    if (Index == 1 && FItems->Items(0)->Header())
      FScrollOffset = 0;
    else
      FScrollOffset = U.Top - FItemsRect.Top;
    CalcItemRects();
    Invalidate();
  } else if (It->ItemRect.Bottom >= FItemsRect.Bottom) {
    FScrollOffset = U.Bottom + FItemsRect.Top - Height() + 1;
    CalcItemRects();
    Invalidate();
  }
  UpdateScrollInfo();
}

void TbsSkinOfficeListBox::SetItemActive(int Index) {
  FItemIndex = Index;
  for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->Active = i == Index;
  Invalidate();
  ScrollToItem(Index);
}

void TbsSkinOfficeListBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (Value < 0) {
    Invalidate();
    return;
  }
  for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->Active = i == Value;
  Invalidate();
  if (Value >= FItems->Count()) return;
  ScrollToItem(Value);
  forms::TLiveness Live = Liveness();
  TbsSkinOfficeItem* It = FItems->Items(Value);
  if (It->OnClick) It->OnClick(this);
  if (Live.Alive() && OnItemClick) OnItemClick(this);
}

bool TbsSkinOfficeListBox::Selectable(int Index) const {
  if (Index < 0 || Index >= FItems->Count()) return false;
  TbsSkinOfficeItem* It = FItems->Items(Index);
  return It->Enabled() && !It->Header();
}

void TbsSkinOfficeListBox::FindUp() {
  if (FItemIndex < 1) return;
  for (int i = std::min(FItemIndex, FItems->Count()) - 1; i >= 0; --i)
    if (Selectable(i)) {
      SetItemIndex(i);
      return;
    }
}

void TbsSkinOfficeListBox::FindDown() {
  for (int i = FItemIndex < 0 ? 0 : FItemIndex + 1; i < FItems->Count(); ++i)
    if (Selectable(i)) {
      SetItemIndex(i);
      return;
    }
}

void TbsSkinOfficeListBox::FindPage(int Start, int Last, int Step) {
  bool HeaderPassed = false;
  int Found = -1;
  for (int i = Start; Step > 0 ? i <= Last : i >= Last; i += Step) {
    if (FItems->Items(i)->Header()) {
      HeaderPassed = true;
      continue;
    }
    if (!Selectable(i)) continue;
    if (HeaderPassed) {
      SetItemIndex(i);
      return;
    }
    Found = i;
  }
  if (Found != -1) SetItemIndex(Found);
}

void TbsSkinOfficeListBox::FindPageDown() {
  const int Start = FItemIndex < 0 ? 0 : FItemIndex + 1;
  if (Start > FItems->Count() - 1) return;
  CalcItemRects();
  const int Page = std::max(1, RectHeight(FItemsRect) / std::max(1, FItemHeight));
  FindPage(Start, std::min(Start + Page, FItems->Count() - 1), 1);
}

void TbsSkinOfficeListBox::FindPageUp() {
  if (FItemIndex < 1) return;
  const int Start = std::min(FItemIndex - 1, FItems->Count() - 1);
  CalcItemRects();
  const int Page = std::max(1, RectHeight(FItemsRect) / std::max(1, FItemHeight));
  FindPage(Start, std::max(0, Start - Page), -1);
}

void TbsSkinOfficeListBox::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TbsSkinCustomControl::KeyDown(Key, Shift);
  switch (Key) {
    case win::VK_NEXT: FindPageDown(); break;
    case win::VK_PRIOR: FindPageUp(); break;
    case win::VK_UP:
    case win::VK_LEFT: FindUp(); break;
    case win::VK_DOWN:
    case win::VK_RIGHT: FindDown(); break;
    default: break;
  }
}

void TbsSkinOfficeListBox::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!Live.Alive()) return;
  const int I = ItemAtPos(X, Y);
  if (I != -1 && !FItems->Items(I)->Header() && Button == forms::mbLeft) {
    SetItemActive(I);
    FMouseDown = true;
    FMouseActive = I;
  }
}

void TbsSkinOfficeListBox::MouseMove(forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
  if (!Live.Alive()) return;
  const int I = ItemAtPos(X, Y);
  if (I != -1 && !FItems->Items(I)->Header() && (FMouseDown || MouseMoveChangeIndex) && I != FMouseActive) {
    SetItemActive(I);
    FMouseActive = I;
  }
}

void TbsSkinOfficeListBox::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (!Live.Alive()) return;
  FMouseDown = false;
  const int I = ItemAtPos(X, Y);
  if (I != -1 && !FItems->Items(I)->Header() && Button == forms::mbLeft) SetItemIndex(I);
}

void TbsSkinOfficeListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_LBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK:
      if (!Focused() && CanFocus() && !(GetWindowLongPtrW(Handle(), win::GWL_STYLE) & win::WS_POPUP)) {
        FClicksDisabled = true;
        forms::TLiveness Live = Liveness();
        SetFocus();
        if (!Live.Alive()) return;
        FClicksDisabled = false;
        if (!Focused()) return;
      }
      break;
    case forms::CN_COMMAND:
      if (FClicksDisabled) return;
      break;
    case win::WM_GETDLGCODE: M.Result = win::DLGC_WANTARROWS; return;
    case win::WM_MOUSEWHEEL:
      TbsSkinCustomControl::Dispatch(M);
      if (ScrollBar) {
        const bool Down = int(std::int32_t(M.WParam)) < 0;
        ScrollBar->SetPosition(ScrollBar->Position() + (Down ? ScrollBar->SmallChange() : -ScrollBar->SmallChange()));
      }
      M.Result = 1;
      return;
    case win::WM_SIZE:
      TbsSkinCustomControl::Dispatch(M);
      if (Height() != FOldHeight && FOldHeight != -1) {
        CalcItemRects();
        if (FItemsRect.Bottom >= FRealMax && FScrollOffset > 0) {
          FScrollOffset = std::max(0, FScrollOffset + FRealMax - FItemsRect.Bottom);
          CalcItemRects();
          Invalidate();
        }
      }
      AdjustScrollBar();
      UpdateScrollInfo();
      FOldHeight = Height();
      return;
    case forms::CM_FOCUSCHANGED:
    case win::WM_SETFOCUS:
    case win::WM_KILLFOCUS:
      TbsSkinCustomControl::Dispatch(M);
      Invalidate();
      return;
    default: break;
  }
  TbsSkinCustomControl::Dispatch(M);
}

void TbsSkinOfficeListBox::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  if (FSD) {
    const int E = FSD->GetControlIndex(u"edit");
    if (auto* D = dynamic_cast<TbsDataSkinEditControl*>(SkinDescriptionAt(FSD, E)))
      FDisabledFontColor = D->DisabledFontColor;
    else
      FDisabledFontColor = FSD->SkinColors().cBtnShadow;
  }
  if (ScrollBar) {
    ScrollBar->SetSkinData(FSD);
    if (!FSD) ScrollBar->ChangeSkinData();
    AdjustScrollBar();
  }
  CalcItemRects();
  UpdateScrollInfo();
  Invalidate();
}

// ------------------------------------------------------------------ painting
void TbsSkinOfficeListBox::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* C = B->Canvas();
  Fill(C, {0, 0, Width(), Height()}, gdi::clWindow);
  C->Brush()->SetColor(gdi::clBtnShadow);
  C->FrameRect({0, 0, Width(), Height()});
  CalcItemRects();
  TClip Clip(C, FItemsRect);
  for (int i = 0; i < FItems->Count(); ++i)
    if (FItems->Items(i)->IsVisible) DrawItem(i, C);
}

void TbsSkinOfficeListBox::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  TCanvas* C = B->Canvas();
  CalcItemRects();
  TClip Clip(C, FItemsRect);
  for (int i = 0; i < FItems->Count(); ++i)
    if (FItems->Items(i)->IsVisible) DrawItem(i, C);
}

void TbsSkinOfficeListBox::DrawItem(int Index, TCanvas* Cnvs) {
  if (FIndex == -1) DefaultDrawItem(Index, Cnvs);
  else SkinDrawItem(Index, Cnvs);
}

void TbsSkinOfficeListBox::DrawItemContent(TCanvas* C, TbsSkinOfficeItem* It, TRect R, unsigned Flags) {
  C->Brush()->SetStyle(gdi::bsClear);
  if (!It->Title().empty() && FShowItemTitles) {
    const gdi::TFontStyles Old = C->Font()->Style();
    gdi::TFontStyles Bold = Old;
    Bold.Include(gdi::fsBold);
    C->Font()->SetStyle(Bold);
    const int TH = C->TextHeight(It->Title());
    TRect TR{R.Left, R.Top, R.Right, R.Top + TH};
    // A title wider than the row ends in an ellipsis rather than a cut glyph.
    DrawWideText(C, It->Title(), TR, gdi::DT_LEFT | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_END_ELLIPSIS);
    C->Font()->SetStyle(Old);
    R.Top += TH;
  }
  if (FImages && It->ImageIndex() >= 0 && It->ImageIndex() < FImages->Count()) {
    DrawGlyphAndCaptionLeftAligned(C, R, 0, 2, blGlyphLeft, It->Caption(), It->ImageIndex(), FImages, false,
                                   It->Enabled(), false, 0);
    return;
  }
  if (FShowItemTitles) R.Left += 10;
  TRect M{0, 0, RectWidth(R), 0};
  DrawWideText(C, It->Caption(), M, Flags | gdi::DT_CALCRECT | gdi::DT_WORDBREAK);
  const int H = RectHeight(M);
  const int Top = std::max(R.Top, R.Top + RectHeight(R) / 2 - H / 2);
  TRect T{R.Left, Top, R.Left + RectWidth(M), Top + H};
  DrawWideText(C, It->Caption(), T, Flags | gdi::DT_WORDBREAK);
}

void TbsSkinOfficeListBox::DefaultDrawItem(int Index, TCanvas* C) {
  TbsSkinOfficeItem* It = FItems->Items(Index);
  const TRect IR = It->ItemRect;
  TColor Bg = gdi::clWindow, Tx = gdi::clWindowText;
  if (It->Header()) Bg = gdi::clBtnShadow, Tx = gdi::clBtnHighlight;
  else if (It->Active) Bg = gdi::clHighlight, Tx = gdi::clHighlightText;
  else if (!It->Enabled()) Tx = TColor(0x808080);
  C->Font()->Assign(FDefaultFont.get());
  C->Font()->SetColor(Tx);
  {
    TClip Clip(C, IR);
    Fill(C, IR, Bg);
    TRect R{IR.Left + 2, IR.Top + 2, IR.Right - 2, IR.Bottom - 2};
    if (It->Header()) {
      C->Brush()->SetStyle(gdi::bsClear);
      DrawWideText(C, It->Caption(), R, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
    } else if (OnDrawItem) {
      OnDrawItem(C, Index, IR);
    } else {
      DrawItemContent(C, It, R, gdi::DT_NOPREFIX);
    }
  }
  if (!It->Header() && FShowLines) {
    C->Pen()->SetColor(gdi::clBtnFace);
    C->MoveTo(IR.Left, IR.Bottom - 1);
    C->LineTo(IR.Right, IR.Bottom - 1);
  }
  if (It->Active && Focused()) C->DrawFocusRect(IR);
}

void TbsSkinOfficeListBox::SkinDrawItem(int Index, TCanvas* C) {
  TbsSkinOfficeItem* It = FItems->Items(Index);
  if (It->Header()) {
    SkinDrawHeaderItem(Index, C);
    return;
  }
  auto* D = dynamic_cast<TbsDataSkinListBox*>(SkinDescriptionAt(FSD, FSD->GetControlIndex(u"listbox")));
  if (!D) return;
  const TRect IR = It->ItemRect;
  TRect R{IR.Left + 2, IR.Top + 2, IR.Right - 2, IR.Bottom - 2};
  if (D->FontColor == 0 && FDisabledFontColor == 0) FDisabledFontColor = TColor(0x808080);
  auto SetFont = [&](TCanvas* Cv) {
    if (UseSkinFont) ApplyDescriptionFont(Cv->Font(), D->FontName, D->FontHeight, D->FontStyle);
    else Cv->Font()->Assign(FDefaultFont.get());
    OfficeCharset(Cv->Font(), FSD, FDefaultFont.get());
  };
  TColor Tx = (FSkinDataName == u"listbox" || FSkinDataName == u"memo") ? D->FontColor : FSD->SkinColors().cBtnText;
  if (!It->Enabled()) Tx = FDisabledFontColor;
  TBitmap* Pic = Picture;
  if (It->Active && It->Enabled() && Pic) {
    const int W = RectWidth(IR), H = RectHeight(IR);
    if (W <= 0 || H <= 0) return;
    TBitmap B(W, H);
    const TRect Part = Focused() ? (IsEmptyRect(D->FocusItemRect) ? D->SItemRect : D->FocusItemRect)
                                 : (IsEmptyRect(D->ActiveItemRect) ? D->SItemRect : D->ActiveItemRect);
    ComposeStretchedSkinImage(&B, Pic, Part, D->ItemTextRect, true);
    TCanvas* BC = B.Canvas();
    SetFont(BC);
    BC->Font()->SetColor(Focused() ? D->FocusFontColor : D->ActiveFontColor);
    const TRect T{2, 2, W - 2, H - 2};
    if (OnDrawItem) {
      BC->Brush()->SetStyle(gdi::bsClear);
      OnDrawItem(BC, Index, T);
    } else {
      DrawItemContent(BC, It, T, gdi::DT_EXPANDTABS | gdi::DT_NOPREFIX);
    }
    C->Draw(IR.Left, IR.Top, &B);
    return;
  }
  TClip Clip(C, IR);
  SetFont(C);
  C->Font()->SetColor(Tx);
  if (OnDrawItem) {
    C->Brush()->SetStyle(gdi::bsClear);
    OnDrawItem(C, Index, R);
  } else {
    DrawItemContent(C, It, R, gdi::DT_EXPANDTABS | gdi::DT_NOPREFIX);
  }
  if (FShowLines) {
    C->Pen()->SetColor(FSD->SkinColors().cBtnShadow);
    C->MoveTo(IR.Left, IR.Bottom - 1);
    C->LineTo(IR.Right, IR.Bottom - 1);
  }
}

void TbsSkinOfficeListBox::SkinDrawHeaderItem(int Index, TCanvas* C) {
  TbsSkinOfficeItem* It = FItems->Items(Index);
  int HI = FSD->GetControlIndex(u"menuheader");
  if (HI < 0) HI = FSD->GetControlIndex(u"label");
  auto* D = dynamic_cast<TbsDataSkinLabelControl*>(SkinDescriptionAt(FSD, HI));
  if (!D) return;
  TBitmap* Pic = SkinPictureAt(FSD, D->PictureIndex);
  const TRect IR = It->ItemRect;
  const int W = RectWidth(IR), H = RectHeight(IR);
  if (!Pic || IsEmptyRect(D->SkinRect) || W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  ComposeStretchedSkinImage(&B, Pic, D->SkinRect, D->ClRect, true);
  TCanvas* BC = B.Canvas();
  ApplyDescriptionFont(BC->Font(), D->FontName, D->FontHeight, D->FontStyle);
  BC->Font()->SetColor(D->FontColor);
  BC->Brush()->SetStyle(gdi::bsClear);
  TRect T{1, 1, W - 1, H - 1};
  DrawWideText(BC, It->Caption(), T, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
  C->Draw(IR.Left, IR.Top, &B);
}

// ------------------------------------------------------------------ popup
TbsPopupOfficeListBox::TbsPopupOfficeListBox(TComponent* AOwner) : TbsSkinOfficeListBox(AOwner) {
  SetControlStyle(ControlStyle() + forms::TControlStyle{forms::csNoDesignVisible});
  SetVisible(false);
  SetTabStop(false);
}

void TbsPopupOfficeListBox::CreateParams(forms::TCreateParams& P) {
  TbsSkinOfficeListBox::CreateParams(P);
  MenuPopupWindowParams(P);
  P.Style |= win::WS_CLIPCHILDREN;
}

void TbsPopupOfficeListBox::Dispatch(TMessage& M) {
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
  TbsSkinOfficeListBox::Dispatch(M);
}

void TbsPopupOfficeListBox::Show(TPoint Origin) {
  HandleNeeded();
  win::SetWindowPos(Handle(), win::HWND_TOPMOST, Origin.X, Origin.Y, 0, 0,
                    win::SWP_SHOWWINDOW | win::SWP_NOACTIVATE | win::SWP_NOSIZE);
  SetBounds(Origin.X, Origin.Y, Width(), Height());
  SetVisible(true);
  Invalidate();
}

void TbsPopupOfficeListBox::StartFade(bool AlphaBlend, bool Animation, int Value) {
  ApplyPopupAlpha(this, AlphaBlend, Animation, Value, FOldAlphaBlend, FOldAlphaBlendValue);
  if (AlphaBlend && Animation && IsLayeringSupported()) {
    FOldAlphaBlendValue = Value;
    FadeAlpha = 0;
    win::SetTimer(Handle(), kFadeTimer, 5, nullptr);
  }
}

void TbsPopupOfficeListBox::Hide() {
  if (HandleAllocated()) {
    win::KillTimer(Handle(), kFadeTimer);
    win::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                      win::SWP_NOSIZE | win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                          win::SWP_HIDEWINDOW);
  }
  SetVisible(false);
}

void ApplyPopupAlpha(forms::TWinControl* Popup, bool AlphaBlend, bool Animation, int Value, bool& OldAlphaBlend,
                     int& OldAlphaBlendValue) {
  if (!IsLayeringSupported() || !Popup->HandleAllocated()) return;
  win::HWND H = Popup->Handle();
  const auto Ex = win::GetWindowLongW(H, win::GWL_EXSTYLE);
  if (AlphaBlend && !OldAlphaBlend) win::SetWindowLongW(H, win::GWL_EXSTYLE, Ex | win::WS_EX_LAYERED);
  else if (!AlphaBlend && OldAlphaBlend) win::SetWindowLongW(H, win::GWL_EXSTYLE, Ex & ~win::WS_EX_LAYERED);
  OldAlphaBlend = AlphaBlend;
  if (AlphaBlend && (OldAlphaBlendValue != Value || Animation)) {
    if (Animation) {
      SetWindowAlphaValue(H, 0);
      OldAlphaBlendValue = 0;
    } else {
      SetWindowAlphaValue(H, std::uint8_t(Value));
      OldAlphaBlendValue = Value;
    }
  }
}

bool PopupFadeStep(forms::TWinControl* Popup, int Target, int& Alpha) {
  const int Step = std::max(Target / 15, 1);
  Alpha = std::min(Target, Alpha + Step);
  if (Popup->HandleAllocated()) SetWindowAlphaValue(Popup->Handle(), std::uint8_t(Alpha));
  return Alpha < Target;
}

}  // namespace skin
