#include "skin/controls/bsSkinListBox.h"

#include <algorithm>
#include <climits>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

using forms::odFocused;
using forms::odSelected;
using gdi::TCanvas;

namespace {

constexpr unsigned kRepeatTimer = 1;
constexpr unsigned kRepeatDelay = 500, kRepeatInterval = 100, kRepeatReenter = 50;

void SetCharsetFrom(gdi::TFont* F, TbsSkinData* SD, gdi::TFont* DefaultFont) {
  if (SD && SD->ResourceStrData())
    F->SetCharset(gdi::BYTE(SD->ResourceStrData()->CharSet));
  else if (DefaultFont)
    F->SetCharset(DefaultFont->Charset());
}

void FillCanvas(TCanvas* C, TRect R, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->FillRect(R);
}

void FrameCanvas(TCanvas* C, TRect R, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->FrameRect(R);
}

}  // namespace

int TabWidthToInt(const String& S) {
  if (S.empty()) return 0;
  long long V = 0;
  for (char16_t Ch : S) {
    if (Ch < u'0' || Ch > u'9') return 0;
    V = std::min<long long>(V * 10 + (Ch - u'0'), INT_MAX / 2);  // long digit strings saturate
  }
  return int(V);
}

std::vector<int> TabStopsOf(rtl::TStrings* TabWidths) {
  std::vector<int> Stops;
  if (!TabWidths) return Stops;
  for (int i = 0; i < TabWidths->Count() && i < 10; ++i) Stops.push_back(TabWidthToInt(TabWidths->Get(i)));
  return Stops;
}

// ------------------------------------------------------------------ TbsListBox
TbsListBox::TbsListBox(TComponent* AOwner) : forms::TListBox(AOwner) {
  SetBorderStyle(forms::bsNoBorder);
  SetControlStyle({forms::csCaptureMouse, forms::csOpaque, forms::csDoubleClicks, forms::csClickEvents});
}

void TbsListBox::CreateParams(forms::TCreateParams& P) {
  forms::TListBox::CreateParams(P);
  P.Style &= ~win::WS_BORDER;
  P.Style |= win::WS_TABSTOP;
  P.ExStyle &= ~win::WS_EX_CLIENTEDGE;
  P.WindowClass.style = win::CS_DBLCLKS;
}

void TbsListBox::CreateWnd() {
  forms::TListBox::CreateWnd();
  if (SkinListBox) SkinListBox->ListBoxCreateWnd();
}

void TbsListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int OldW = Width();
  forms::TListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (Width() != OldW && HorizontalExtentValue >= 1) {
    HorizontalExtentValue = std::max(0, HorizontalExtentValue + OldW - Width());
    Invalidate();
  }
}

void TbsListBox::WndProc(TMessage& M) {
  if (SkinListBox) {
    bool Continue = true;
    SkinListBox->ListBoxWProc(M, Continue);
    if (!Continue) return;
  }
  forms::TListBox::WndProc(M);
}

void TbsListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_NCCALCSIZE: M.Result = 0; return;  // no frame and no native bars: the skin bars stand in
    case win::WM_NCPAINT: return;
    case MSG_SKIN_PAINT_TO_DC: M.Result = MSG_SKIN_PAINT_TO_DC_ANSWER; return;
    case MSG_SKIN_PAINT_CLIENT_TO_DC:
      if (Count() == 0 && M.LParam == MSG_SKIN_PAINT_NC_KEY) {
        if (M.WParam) {
          TCanvas C;
          C.SetHandle(win::HDC(M.WParam));
          PaintBackground(&C);
          C.SetHandle(nullptr);
        }
        M.Result = MSG_SKIN_PAINT_NC_KEY;
        return;
      }
      break;
    case win::WM_ERASEBKGND:
      if (Width() > 0 && Height() > 0 && M.WParam) {
        TCanvas C;
        C.SetHandle(win::HDC(M.WParam));
        PaintBackground(&C);
        C.SetHandle(nullptr);
      }
      M.Result = 1;
      if (SkinListBox) SkinListBox->UpDateScrollBar();
      return;
    case forms::CM_ENTER:
      if (SkinListBox) SkinListBox->ListBoxEnter();
      break;
    case forms::CM_EXIT:
      if (SkinListBox) SkinListBox->ListBoxExit();
      break;
    default: break;
  }
  forms::TLiveness Live = Liveness();
  forms::TListBox::Dispatch(M);
  if (!Live.Alive() || !SkinListBox) return;
  switch (M.Msg) {
    case forms::LB_ADDSTRING:
    case forms::LB_INSERTSTRING:
    case forms::LB_DELETESTRING: SkinListBox->UpDateScrollBar(); break;
    case win::WM_LBUTTONDBLCLK: SkinListBox->ListBoxDblClick(); break;
    case win::WM_MOUSEWHEEL: {
      const bool Up = int(std::int32_t(M.WParam)) > 0;
      if (SkinListBox->ScrollBar) {
        Perform(Columns() > 0 ? win::WM_HSCROLL : win::WM_VSCROLL, Up ? win::SB_LINEUP : win::SB_LINEDOWN, 0);
        SkinListBox->UpDateScrollBar();
      } else if (auto* H = SkinListBox->HScrollBar) {
        H->SetPosition(H->Position() + (Up ? -H->SmallChange() : H->SmallChange()));
      }
      break;
    }
    default: break;
  }
}

void TbsListBox::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  if (SkinListBox) {
    forms::TLiveness Live = Liveness();
    SkinListBox->ListBoxKeyDown(Key, Shift);
    if (!Live.Alive()) return;
    if (auto* H = SkinListBox->HScrollBar) {
      if (Key == win::VK_LEFT) {
        H->SetPosition(H->Position() - H->SmallChange());
        Key = 0;
      } else if (Key == win::VK_RIGHT) {
        H->SetPosition(H->Position() + H->SmallChange());
        Key = 0;
      }
    }
  }
  if (Key == 0) return;
  forms::TListBox::KeyDown(Key, Shift);
  if (SkinListBox) SkinListBox->UpDateScrollBar();
}

void TbsListBox::KeyUp(rtl::Word& Key, forms::TShiftState Shift) {
  if (SkinListBox) SkinListBox->ListBoxKeyUp(Key, Shift);
  forms::TListBox::KeyUp(Key, Shift);
}

void TbsListBox::KeyPress(char16_t& Key) {
  if (SkinListBox) SkinListBox->ListBoxKeyPress(Key);
  if (Key == 0) return;
  forms::TListBox::KeyPress(Key);
}

void TbsListBox::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  if (SkinListBox) SkinListBox->ListBoxMouseDown(Button, Shift, X, Y);
  if (Live.Alive()) forms::TListBox::MouseDown(Button, Shift, X, Y);
}

void TbsListBox::MouseMove(forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  if (SkinListBox) SkinListBox->ListBoxMouseMove(Shift, X, Y);
  if (Live.Alive()) forms::TListBox::MouseMove(Shift, X, Y);
}

void TbsListBox::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  if (SkinListBox) SkinListBox->ListBoxMouseUp(Button, Shift, X, Y);
  if (Live.Alive()) forms::TListBox::MouseUp(Button, Shift, X, Y);
}

void TbsListBox::Click() {
  forms::TLiveness Live = Liveness();
  if (SkinListBox) {
    SkinListBox->ListBoxClick();
    if (!Live.Alive()) return;
    SkinListBox->UpDateScrollBar();
  }
  forms::TListBox::Click();
}

TOwnerDrawState TbsListBox::GetItemState(int Index) {
  TOwnerDrawState S;
  if (Index == ItemIndex()) {
    if (Index >= 0 && (!MultiSelect() || Selected(Index))) S.Include(odSelected);
    if (Focused()) S.Include(odFocused);
  } else if (MultiSelect() && Index >= 0 && Index < Count() && Selected(Index)) {
    S.Include(odSelected);
  }
  return S;
}

void TbsListBox::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  TCanvas* C = Canvas();
  const int IH = std::max(1, ItemHeight());
  auto FillBelow = [&](int X, int Y, int W) {  // background where no row lies
    if (Y >= Height() || W <= 0) return;
    if (SkinListBox) SkinListBox->GetSkinData();
    if (!SkinListBox || SkinListBox->SkinIndex() == -1)
      FillCanvas(C, {X, Y, X + W, Height()}, gdi::clWindow);
    else
      PaintSkinBackground(C, W, Y, X, Height() - Y);
  };
  if (Columns() > 0) {  // column by column, each filled below its last row
    const int Rows = Model().PageRows(), CW = Model().ColumnWidth();
    for (int Col = 0, First = TopIndex(); Col * CW < Width(); ++Col, First += Rows) {
      const int Last = std::min(First + Rows, Count());
      for (int i = First; i < Last; ++i) DrawListItem(C, i, ItemRect(i), GetItemState(i));
      FillBelow(Col * CW, std::max(0, Last - First) * IH, std::min(CW, Width() - Col * CW));
    }
    return;
  }
  const int Last = std::min(TopIndex() + Height() / IH, Count() - 1);
  int Bottom = 0;
  for (int i = TopIndex(); i <= Last; ++i) {
    TRect R = ItemRect(i);
    DrawListItem(C, i, R, GetItemState(i));
    Bottom = R.Bottom;
  }
  FillBelow(0, Bottom, Width());
}

void TbsListBox::PaintBackground(TCanvas* C) {
  if (SkinListBox) SkinListBox->GetSkinData();
  if (!SkinListBox || SkinListBox->SkinIndex() == -1)
    FillCanvas(C, {0, 0, Width(), Height()}, gdi::clWindow);
  else
    PaintSkinBackground(C, Width(), 0, 0, Height());
}

void TbsListBox::PaintSkinBackground(TCanvas* C, int W, int Y, int X, int H) {
  TbsSkinCustomListBox* O = SkinListBox;
  if (!O || !O->SkinPicture() || W <= 0 || H <= 0) return;
  const TRect SR = O->SkinRectValue(), CR = O->SkinClRect();
  const int TW = RectWidth(CR), TH = RectHeight(CR);
  if (TW <= 0 || TH <= 0) return;
  TBitmap B(W, H);
  const TRect Src{SR.Left + CR.Left, SR.Top + CR.Top, SR.Left + CR.Left + TW, SR.Top + CR.Top + TH};
  for (int Col = 0; Col <= W / TW; ++Col)
    for (int Row = 0; Row <= H / TH; ++Row) {
      const int DX = Col * TW, DY = Row * TH;
      const int CW = std::min(TW, W - DX), CH = std::min(TH, H - DY);
      if (CW <= 0 || CH <= 0) continue;
      B.Canvas()->CopyRect({DX, DY, DX + CW, DY + CH}, O->SkinPicture()->Canvas(),
                           {Src.Left, Src.Top, Src.Left + CW, Src.Top + CH});
    }
  C->Draw(X, Y, &B);
}

void TbsListBox::DrawListItem(TCanvas* C, int Index, TRect R, TOwnerDrawState State) {
  if (Index < 0 || Index >= Count()) return;
  TbsSkinCustomListBox* O = SkinListBox;
  if (!O || O->SkinIndex() == -1)
    DrawDefaultItem(C, Index, R, State);
  else if (O->UseSkinItemHeight())
    DrawSkinItem(C, Index, R, State);
  else
    DrawStretchedSkinItem(C, Index, R, State);
}

void TbsListBox::SetItemFont(TCanvas* C, bool Skinned) {
  TbsSkinCustomListBox* O = SkinListBox;
  if (!Skinned) {
    C->Font()->Assign(O ? O->Font() : Font());
  } else if (O->UseSkinFont) {
    ApplyDescriptionFont(C->Font(), O->FontName, O->FontHeight, O->FontStyle);
  } else {
    C->Font()->Assign(O->DefaultFont());
  }
  if (O) SetCharsetFrom(C->Font(), O->SkinData(), O->DefaultFont());
}

void TbsListBox::DrawContent(TCanvas* C, int Index, TRect T) {
  TbsSkinCustomListBox* O = SkinListBox;
  int Indent = 0;
  if (O && O->Images()) {
    forms::TCustomImageList* IL = O->Images();
    const int Idx = O->ImageIndex() >= 0 ? O->ImageIndex() : Index;
    if (Idx < IL->Count())
      IL->Draw(C, T.Left - HorizontalExtentValue, T.Top + RectHeight(T) / 2 - IL->Height() / 2, Idx, true);
    Indent = IL->Width() + 2;
  }
  const String S = Items()->Get(Index);
  C->Brush()->SetStyle(gdi::bsClear);
  if (O && O->TabWidths()->Count() > 0 && O->Columns() == 0) {
    std::vector<int> Stops = TabStopsOf(O->TabWidths());
    const int TH = C->TextHeight(S.empty() ? String(u"Wg") : S);
    gdi::TabbedTextOutW(C->Handle(), T.Left + Indent + 2, T.Top + RectHeight(T) / 2 - TH / 2,
                        reinterpret_cast<const win::WCHAR*>(S.c_str()), int(S.size()), int(Stops.size()),
                        Stops.empty() ? nullptr : Stops.data(), 0);
  } else {
    TextRectVCenteredIndent(C, S, T, Indent - HorizontalExtentValue);
  }
}

void TbsListBox::DrawDefaultItem(TCanvas* C, int Index, TRect R, TOwnerDrawState State) {
  const int W = RectWidth(R), H = RectHeight(R);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  TCanvas* BC = B.Canvas();
  SetItemFont(BC, false);
  const bool Sel = State.Contains(odSelected);
  FillCanvas(BC, {0, 0, W, H}, Sel ? gdi::clHighlight : gdi::clWindow);
  BC->Font()->SetColor(Sel ? gdi::clHighlightText : (SkinListBox ? SkinListBox->Font()->Color() : Font()->Color()));
  const TRect T{2, 0, W - 2, H};
  if (SkinListBox && SkinListBox->OnDrawItem) {
    SkinListBox->OnDrawItem(BC, Index, W, H, T, State);
  } else {
    BC->Brush()->SetStyle(gdi::bsClear);
    DrawContent(BC, Index, T);
  }
  if (State.Contains(odFocused)) BC->DrawFocusRect({0, 0, W, H});
  C->Draw(R.Left, R.Top, &B);
}

void TbsListBox::DrawSkinItem(TCanvas* C, int Index, TRect R, TOwnerDrawState State) {
  TbsSkinCustomListBox* O = SkinListBox;
  if (!O->SkinPicture()) return;
  const int W = RectWidth(R), H = RectHeight(O->SItemRect);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  TCanvas* BC = B.Canvas();
  const bool Foc = State.Contains(odFocused), Sel = State.Contains(odSelected);
  TRect Part = O->SItemRect;
  bool Stretch = O->SkinStretchEffect();
  if (Foc && Sel) Part = O->FocusItemRect;
  else if (Sel) Part = O->ActiveItemRect;
  else if (!Foc) Stretch = false;
  ComposeHorzSkinImage(O->ItemLeftOffset, O->ItemRightOffset, &B, O->SkinPicture(), Part, W, H, Stretch);
  if (Foc && !Sel) {
    BC->Font()->SetColor(gdi::clWindowText);
    DrawDotFocusRect(BC, {0, 0, W, H});
  }
  TRect T = O->ItemTextRect;
  T.Right += W - RectWidth(O->SItemRect);
  SetItemFont(BC, true);
  const TColor TC = Foc && Sel ? O->FocusFontColor : Sel ? O->ActiveFontColor : O->FontColor;
  BC->Font()->SetColor(TC);
  BC->Brush()->SetStyle(gdi::bsClear);
  if (O->OnDrawItem) {
    O->OnDrawItem(BC, Index, W, H, T, State);
  } else {
    if (Foc && O->ShowFocus) DrawDotFocusRect(BC, {0, 0, W, H});
    DrawContent(BC, Index, T);
  }
  C->Draw(R.Left, R.Top, &B);
}

void TbsListBox::DrawStretchedSkinItem(TCanvas* C, int Index, TRect R, TOwnerDrawState State) {
  TbsSkinCustomListBox* O = SkinListBox;
  if (!O->SkinPicture()) return;
  const int W = RectWidth(R), H = RectHeight(R);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  TCanvas* BC = B.Canvas();
  const bool Foc = State.Contains(odFocused), Sel = State.Contains(odSelected);
  const TRect Part = Foc ? O->FocusItemRect : Sel ? O->ActiveItemRect : O->SItemRect;
  TRect Cl = O->ItemTextRect;
  Cl = {Cl.Left + 1, Cl.Top + 1, Cl.Right - 1, Cl.Bottom - 1};
  ComposeStretchedSkinImage(&B, O->SkinPicture(), Part, Cl, true);
  TRect T = O->ItemTextRect;
  T.Right += W - RectWidth(O->SItemRect);
  T.Bottom += H - RectHeight(O->SItemRect);
  SetItemFont(BC, true);
  BC->Font()->SetColor(Foc ? O->FocusFontColor : Sel ? O->ActiveFontColor : O->FontColor);
  BC->Brush()->SetStyle(gdi::bsClear);
  if (O->OnDrawItem) {
    O->OnDrawItem(BC, Index, W, RectHeight(O->SItemRect), T, State);
  } else {
    if (Foc && O->ShowFocus) DrawDotFocusRect(BC, {0, 0, W, H});
    DrawContent(BC, Index, T);
  }
  C->Draw(R.Left, R.Top, &B);
}

// ------------------------------------------------------------------ TbsSkinCustomListBox
TbsSkinCustomListBox::TbsSkinCustomListBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetControlStyle({forms::csCaptureMouse, forms::csClickEvents, forms::csOpaque, forms::csDoubleClicks,
                   forms::csReplicatable, forms::csAcceptsControls});
  ForcebackGround = true;
  DrawbackGround = false;
  FGlyph = std::make_unique<TBitmap>();
  FDefaultCaptionFont = MakeDefaultFont([this] {
    if (FIndex == -1 && FCaptionMode) Repaint();
  });
  Font()->SetName(u"Arial");
  Font()->SetHeight(14);
  Font()->SetColor(gdi::clWindowText);
  Font()->SetStyle({});
  ListBox = new TbsListBox(this);
  ListBox->SkinListBox = this;
  ListBox->SetStyle(forms::lbOwnerDrawFixed);
  ListBox->SetItemHeight(FDefaultItemHeight);
  ListBox->SetParent(this);
  ListBox->SetVisible(true);
  SetBounds(Left(), Top(), 120, 120);
  FSkinDataName = u"listbox";
  FTabWidths = std::make_unique<rtl::TStringList>();
}

TbsSkinCustomListBox::~TbsSkinCustomListBox() {
  StopTimer();
  if (ScrollBar) {
    ScrollBar->Free();
    ScrollBar = nullptr;
  }
  if (HScrollBar) {
    HScrollBar->Free();
    HScrollBar = nullptr;
  }
  if (ListBox) {
    ListBox->SkinListBox = nullptr;
    TbsListBox* L = ListBox;
    ListBox = nullptr;
    L->Free();
  }
}

rtl::TStrings* TbsSkinCustomListBox::Items() const { return ListBox->Items(); }

void TbsSkinCustomListBox::SetItems(rtl::TStrings* Value) {
  ListBox->Items()->Assign(Value);
  UpDateScrollBar();
}

int TbsSkinCustomListBox::GetItemIndex() const { return ListBox ? ListBox->ItemIndex() : -1; }

void TbsSkinCustomListBox::SetItemIndex(int Value) {
  if (!ListBox) return;
  if (Value >= ListBox->Count()) return;  // beyond the last entry: nothing new is selected
  ListBox->SetItemIndex(Value);
  UpDateScrollBar();
}

bool TbsSkinCustomListBox::MultiSelect() const { return ListBox->MultiSelect(); }
void TbsSkinCustomListBox::SetMultiSelect(bool Value) { ListBox->SetMultiSelect(Value); }
bool TbsSkinCustomListBox::Sorted() const { return ListBox->Sorted(); }
void TbsSkinCustomListBox::SetSorted(bool Value) {
  if (ScrollBar) HideScrollBar();
  ListBox->SetSorted(Value);
  UpDateScrollBar();
}
bool TbsSkinCustomListBox::AutoComplete() const { return ListBox->AutoComplete(); }
void TbsSkinCustomListBox::SetAutoComplete(bool Value) { ListBox->SetAutoComplete(Value); }
void TbsSkinCustomListBox::SetColumns(int Value) {
  Value = std::max(0, Value);
  // The main bar runs across for columns and down for rows: a bar of the
  // other kind goes and the next update makes the right one.
  if (ScrollBar && (Value > 0) != (FColumns > 0)) HideScrollBar();
  if (HScrollBar && Value > 0) HideHScrollBar();  // columns have no wide-row bar
  FColumns = Value;
  ListBox->SetColumns(Value);
  UpDateScrollBar();
}
int TbsSkinCustomListBox::TopIndex() const { return ListBox->TopIndex(); }
void TbsSkinCustomListBox::SetTopIndex(int Value) {
  ListBox->SetTopIndex(Value);
  UpDateScrollBar();
}
int TbsSkinCustomListBox::SelCount() const { return ListBox->SelCount(); }
gdi::TCanvas* TbsSkinCustomListBox::ListBoxCanvas() const { return ListBox->Canvas(); }
gdi::TFont* TbsSkinCustomListBox::ListBoxFont() const { return ListBox->Font(); }
void TbsSkinCustomListBox::SetListBoxFont(gdi::TFont* Value) { ListBox->Font()->Assign(Value); }
bool TbsSkinCustomListBox::GetSelected(int Index) const {
  return Index >= 0 && Index < ListBox->Count() && (ListBox->MultiSelect() ? ListBox->Selected(Index) : Index == ListBox->ItemIndex());
}
int TbsSkinCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const { return ListBox->ItemAtPos(Pos, Existing); }
TRect TbsSkinCustomListBox::ItemRect(int Index) const { return ListBox->ItemRect(Index); }

void TbsSkinCustomListBox::Clear() {
  ListBox->Items()->Clear();
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetTabWidths(rtl::TStrings* Value) {
  FTabWidths->Assign(Value);
  if (ListBox->Count() > 0) ListBox->Invalidate();
}

void TbsSkinCustomListBox::SetHorizontalExtent(bool Value) {
  FHorizontalExtent = Value;
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetRowCount(int Value) {
  FRowCount = Value;
  if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetImages(forms::TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  ListBox->Invalidate();
}

void TbsSkinCustomListBox::SetImageIndex(int Value) {
  FImageIndex = Value;
  ListBox->Invalidate();
}

void TbsSkinCustomListBox::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TbsSkinCustomListBox::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 2);
  Repaint();
}

void TbsSkinCustomListBox::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TbsSkinCustomListBox::SetCaptionMode(bool Value) {
  FCaptionMode = Value;
  GetSkinData();
  if (FIndex == -1) {
    CalcRects();
    Repaint();
  }
}

void TbsSkinCustomListBox::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  GetSkinData();
  if (FIndex == -1 && FCaptionMode) {
    CalcRects();
    Repaint();
  }
}

void TbsSkinCustomListBox::SetDefaultCaptionFont(gdi::TFont* Value) { FDefaultCaptionFont->Assign(Value); }

void TbsSkinCustomListBox::SetAlignment(forms::TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (FCaptionMode) Repaint();
}

void TbsSkinCustomListBox::SetDefaultItemHeight(int Value) {
  FDefaultItemHeight = Value;
  GetSkinData();
  if (FIndex == -1 || !FUseSkinItemHeight) ListBox->SetItemHeight(Value);
}

void TbsSkinCustomListBox::SetShowCaptionButtons(bool Value) {
  if (FShowCaptionButtons == Value) return;
  FShowCaptionButtons = Value;
  Repaint();
}

int TbsSkinCustomListBox::CalcHeight(int AItemsCount) const {
  int H;
  if (FIndex == -1) {
    H = AItemsCount * ListBox->ItemHeight() + 4;
    if (FCaptionMode) H += FDefaultCaptionHeight;
  } else {
    H = RectHeight(SkinRect) - RectHeight(ClRect) + AItemsCount * ListBox->ItemHeight();
  }
  if (HScrollBar) H += HScrollBar->Height();
  return H;
}

void TbsSkinCustomListBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  if (FIndex == -1) return;
  auto* D = dynamic_cast<TbsDataSkinListBox*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) return;
  FontName = D->FontName;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
  SItemRect = D->SItemRect;
  ActiveItemRect = IsEmptyRect(D->ActiveItemRect) ? D->SItemRect : D->ActiveItemRect;
  FocusItemRect = IsEmptyRect(D->FocusItemRect) ? D->SItemRect : D->FocusItemRect;
  ItemLeftOffset = D->ItemLeftOffset;
  ItemRightOffset = D->ItemRightOffset;
  ItemTextRect = D->ItemTextRect;
  FontColor = D->FontColor;
  ActiveFontColor = D->ActiveFontColor;
  FocusFontColor = D->FocusFontColor;
  CaptionRect = D->CaptionRect;
  CaptionFontName = D->CaptionFontName;
  CaptionFontStyle = D->CaptionFontStyle;
  CaptionFontHeight = D->CaptionFontHeight;
  CaptionFontColor = D->CaptionFontColor;
  UpButtonRect = D->UpButtonRect;
  ActiveUpButtonRect = D->ActiveUpButtonRect;
  DownUpButtonRect = IsEmptyRect(D->DownUpButtonRect) ? D->ActiveUpButtonRect : D->DownUpButtonRect;
  DownButtonRect = D->DownButtonRect;
  ActiveDownButtonRect = D->ActiveDownButtonRect;
  DownDownButtonRect = IsEmptyRect(D->DownDownButtonRect) ? D->ActiveDownButtonRect : D->DownDownButtonRect;
  CheckButtonRect = D->CheckButtonRect;
  ActiveCheckButtonRect = D->ActiveCheckButtonRect;
  DownCheckButtonRect = IsEmptyRect(D->DownCheckButtonRect) ? D->ActiveCheckButtonRect : D->DownCheckButtonRect;
  VScrollBarName = D->VScrollBarName;
  HScrollBarName = D->HScrollBarName;
  BothScrollBarName = D->BothScrollBarName;
  ShowFocus = D->ShowFocus;
  ButtonsArea = D->ButtonsArea;
  DisabledButtonsRect = D->DisabledButtonsRect;
}

void TbsSkinCustomListBox::ApplyDefaultFont() {
  if (FIndex == -1) Font()->Assign(FDefaultFont.get());
}

void TbsSkinCustomListBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    if (ListBox) ListBox->Invalidate();
  }
  if (AComponent == ScrollBar) ScrollBar = nullptr;
  if (AComponent == HScrollBar) HScrollBar = nullptr;
  if (AComponent == ListBox) ListBox = nullptr;
}

void TbsSkinCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FIndex == -1) Repaint();
}

void TbsSkinCustomListBox::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  if (!ListBox) return;
  FStopUpDateHScrollBar = true;
  if (FIndex == -1) {
    ListBox->SetItemHeight(FDefaultItemHeight);
    Font()->Assign(FDefaultFont.get());
  } else if (FUseSkinItemHeight && RectHeight(SItemRect) > 0) {
    ListBox->SetItemHeight(RectHeight(SItemRect));
  }
  if (ScrollBar) {
    ScrollBar->SetSkinDataName(FIndex == -1 ? String() : FColumns < 1 ? VScrollBarName : HScrollBarName);
    ScrollBar->SetSkinData(FSD);
    if (!FSD || FIndex == -1) ScrollBar->ChangeSkinData();
  }
  if (HScrollBar) {
    if (FIndex == -1) {
      HScrollBar->SetSkinDataName(String());
      HScrollBar->FBoth = ScrollBar != nullptr;
    } else if (ScrollBar) {
      HScrollBar->SetSkinDataName(BothScrollBarName);
      HScrollBar->FBoth = true;
    } else {
      HScrollBar->SetSkinDataName(HScrollBarName);
      HScrollBar->FBoth = false;
    }
    HScrollBar->SetSkinData(FSD);
    if (!FSD || FIndex == -1) HScrollBar->ChangeSkinData();
  }
  if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
  CalcRects();
  FStopUpDateHScrollBar = false;
  UpDateScrollBar();
  ListBox->Invalidate();
}

void TbsSkinCustomListBox::CalcRects() {
  if (!ListBox) return;
  int Top = 1;
  if (FIndex != -1) {
    NewClRect = ClRect;
    NewClRect.Right += Width() - RectWidth(SkinRect);
    NewClRect.Bottom += Height() - RectHeight(SkinRect);
  } else {
    Top = FCaptionMode ? FDefaultCaptionHeight : 1;
  }
  int HS = 0;
  if (FColumns == 0 && HScrollBar && HScrollBar->Visible()) {
    if (FIndex == -1) {
      HScrollBar->SetBounds(1, Height() - 20, Width() - 2, 19);
      HS = HScrollBar->Height() - 1;
    } else {
      const int BH = HScrollBar->Height();
      HScrollBar->SetBounds(NewClRect.Left, NewClRect.Bottom - BH, RectWidth(NewClRect), BH);
      HS = HScrollBar->Height();
    }
  }
  if (ScrollBar && ScrollBar->Visible()) {
    if (FIndex == -1) {
      if (FColumns > 0) {
        ScrollBar->SetBounds(1, Height() - 20, Width() - 2, 19);
        ListRect = {2, Top + 1, Width() - 2, ScrollBar->Top()};
      } else {
        ScrollBar->SetBounds(Width() - 20, Top, 19, Height() - Top - HS - 1);
        ListRect = {2, Top + 1, ScrollBar->Left(), Height() - 2 - HS};
      }
    } else {
      if (FColumns > 0) {
        const int BH = ScrollBar->Height();
        ScrollBar->SetBounds(NewClRect.Left, NewClRect.Bottom - BH, RectWidth(NewClRect), BH);
        ListRect = NewClRect;
        ListRect.Bottom -= BH;
      } else {
        const int BW = ScrollBar->Width();
        ScrollBar->SetBounds(NewClRect.Right - BW, NewClRect.Top, BW, RectHeight(NewClRect) - HS);
        ListRect = NewClRect;
        ListRect.Right -= BW;
        ListRect.Bottom -= HS;
      }
    }
  } else if (FIndex == -1) {
    ListRect = {2, Top + 1, Width() - 2, Height() - 2 - HS};
  } else {
    ListRect = NewClRect;
    ListRect.Bottom -= HS;
  }
  ListBox->SetBounds(ListRect.Left, ListRect.Top, std::max(0, RectWidth(ListRect)), std::max(0, RectHeight(ListRect)));
}

int TbsSkinCustomListBox::GetItemWidth(int Index, TCanvas* Canvas) {
  return Canvas->TextWidth(Items()->Get(Index));
}

void TbsSkinCustomListBox::UpDateScrollBar() {
  if (!ListBox) return;
  // Horizontal extent.
  if (FColumns == 0) {
    if (FHorizontalExtent && !FStopUpDateHScrollBar) {
      TBitmap M(1, 1);
      TCanvas* C = M.Canvas();
      if (FIndex != -1 && UseSkinFont)
        ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
      else
        C->Font()->Assign(ListBox->Font());
      int Max = 0;
      for (int i = 0; i < Items()->Count(); ++i) Max = std::max(Max, GetItemWidth(i, C));
      int Page = FIndex == -1 ? ListBox->Width() - 4
                              : ListBox->Width() + RectWidth(ItemTextRect) - RectWidth(SItemRect);
      if (FImages) Page -= FImages->Width() + 4;
      if (Page < Max) {
        if (!HScrollBar) ShowHScrollBar();
        HScrollBar->SetRange(0, Max, HScrollBar->Position(), Page);
        const int Zero = C->TextWidth(u"0");
        HScrollBar->SetSmallChange(Zero);
        HScrollBar->SetLargeChange(Zero);
      } else if (HScrollBar) {
        HideHScrollBar();
      }
    } else if (HScrollBar) {
      HideHScrollBar();
    }
  }
  // Columns: the main bar runs across, one step a column.
  if (FColumns >= 1) {
    forms::TListModel::TScrollState S = ListBox->Model().HorizontalScroll();
    const int Rows = ListBox->Height() / std::max(1, ListBox->ItemHeight());
    if (S.Max > S.Min && S.Pos <= S.Max && FColumns <= S.Max && Rows * FColumns < Items()->Count()) {
      if (!ScrollBar) {
        ShowScrollBar();
        S = ListBox->Model().HorizontalScroll();  // the bar took rows from the list: more columns
      }
      ScrollBar->SetRange(S.Min, S.Max, S.Pos, FColumns);
      return;
    }
    if (ScrollBar) HideScrollBar();
    return;
  }
  // Vertical (main) bar.
  if (FRowCount < 1 || FRowCount != Items()->Count()) {
    forms::TListModel::TScrollState S = ListBox->Model().VerticalScroll();
    const int Rows = ListBox->Height() / std::max(1, ListBox->ItemHeight());
    if (S.Max > S.Min && S.Pos <= S.Max && Rows < Items()->Count()) {
      if (!ScrollBar) ShowScrollBar();
      ScrollBar->SetRange(S.Min, S.Max, S.Pos, Rows);
      ScrollBar->SetLargeChange(Rows);
      return;
    }
  }
  if (ScrollBar) HideScrollBar();
}

void TbsSkinCustomListBox::ShowScrollBar() {
  ScrollBar = new TbsSkinScrollBar(this);
  ScrollBar->SetVisible(false);
  ScrollBar->SetKind(FColumns <= 0 ? sbVertical : sbHorizontal);
  ScrollBar->SetBounds(0, 0, 20, 100);
  ScrollBar->SetPageSize(0);
  ScrollBar->SetMin(0);
  ScrollBar->SetPosition(0);
  ScrollBar->OnChange = [this](TObject*) { SBChange(); };
  ScrollBar->SetSkinDataName(FIndex == -1 ? String() : FColumns <= 0 ? VScrollBarName : HScrollBarName);
  ScrollBar->SetSkinData(FSD);
  if (HScrollBar) {
    if (FIndex == -1) {
      HScrollBar->SetSkinDataName(String());
      HScrollBar->FBoth = true;
      HScrollBar->SetBothMarkerWidth(19);
    } else {
      HScrollBar->BothSkinDataName = BothScrollBarName;
      HScrollBar->SetSkinDataName(BothScrollBarName);
      HScrollBar->FBoth = true;
    }
  }
  ScrollBar->SetParent(this);
  ScrollBar->SetVisible(true);
  CalcRects();
  Repaint();
}

void TbsSkinCustomListBox::ShowHScrollBar() {
  HScrollBar = new TbsSkinScrollBar(this);
  HScrollBar->SetVisible(false);
  HScrollBar->SetKind(sbHorizontal);
  HScrollBar->SetBounds(0, 0, 100, 20);
  HScrollBar->SetPageSize(0);
  HScrollBar->SetMin(0);
  HScrollBar->SetPosition(0);
  HScrollBar->OnChange = [this](TObject*) { HSBChange(); };
  if (FIndex == -1) {
    HScrollBar->SetSkinDataName(String());
    if (ScrollBar) {
      HScrollBar->FBoth = true;
      HScrollBar->SetBothMarkerWidth(19);
    }
  } else if (ScrollBar) {
    HScrollBar->BothSkinDataName = BothScrollBarName;
    HScrollBar->SetSkinDataName(BothScrollBarName);
    HScrollBar->FBoth = true;
  } else {
    HScrollBar->BothSkinDataName = BothScrollBarName;
    HScrollBar->SetSkinDataName(HScrollBarName);
    HScrollBar->FBoth = false;
  }
  HScrollBar->SetSkinData(FSD);
  HScrollBar->SetParent(this);
  HScrollBar->SetVisible(true);
  CalcRects();
  Repaint();
}

void TbsSkinCustomListBox::HideScrollBar() {
  if (!ScrollBar) return;
  TbsSkinScrollBar* B = ScrollBar;
  ScrollBar = nullptr;
  B->SetVisible(false);
  B->Free();
  CalcRects();
}

void TbsSkinCustomListBox::HideHScrollBar() {
  if (!HScrollBar) return;
  ListBox->HorizontalExtentValue = 0;
  TbsSkinScrollBar* B = HScrollBar;
  HScrollBar = nullptr;
  B->SetVisible(false);
  B->Free();
  CalcRects();
  ListBox->Invalidate();
}

void TbsSkinCustomListBox::SBChange() {
  if (!ScrollBar || !ListBox) return;
  const unsigned Msg = FColumns > 0 ? win::WM_HSCROLL : win::WM_VSCROLL;
  ListBox->Perform(Msg, win::MAKEWPARAM(win::SB_THUMBPOSITION, win::WORD(ScrollBar->Position())), 0);
}

void TbsSkinCustomListBox::HSBChange() {
  if (!HScrollBar || !ListBox) return;
  ListBox->HorizontalExtentValue = HScrollBar->Position();
  ListBox->Invalidate();
}

// ------------------------------------------------------------------ list input hooks

void TbsSkinCustomListBox::ListBoxMouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseDown) OnListBoxMouseDown(this, Button, Shift, X, Y);
}
void TbsSkinCustomListBox::ListBoxMouseMove(forms::TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseMove) OnListBoxMouseMove(this, Shift, X, Y);
}
void TbsSkinCustomListBox::ListBoxMouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseUp) OnListBoxMouseUp(this, Button, Shift, X, Y);
}
void TbsSkinCustomListBox::ListBoxClick() {
  if (OnListBoxClick) OnListBoxClick(this);
}
void TbsSkinCustomListBox::ListBoxDblClick() {
  if (OnListBoxDblClick) OnListBoxDblClick(this);
}
void TbsSkinCustomListBox::ListBoxKeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  if (OnListBoxKeyDown) OnListBoxKeyDown(this, Key, Shift);
}
void TbsSkinCustomListBox::ListBoxKeyUp(rtl::Word& Key, forms::TShiftState Shift) {
  if (OnListBoxKeyUp) OnListBoxKeyUp(this, Key, Shift);
}
void TbsSkinCustomListBox::ListBoxKeyPress(char16_t& Key) {
  if (OnListBoxKeyPress) OnListBoxKeyPress(this, Key);
}

// ------------------------------------------------------------------ caption buttons
void TbsSkinCustomListBox::PlaceDefaultButtons() {
  const int A = std::min(17, FDefaultCaptionHeight - 3);
  Buttons[0].R = {Width() - A - 2, 2, Width() - 2, A + 1};
  Buttons[1].R = {Buttons[0].R.Left - A, 2, Buttons[0].R.Left, A + 1};
  Buttons[2].R = {Buttons[1].R.Left - A, 2, Buttons[1].R.Left, A + 1};
}

void TbsSkinCustomListBox::PlaceSkinButtons() {
  const TRect Src[3] = {UpButtonRect, DownButtonRect, CheckButtonRect};
  const int dW = Width() - RectWidth(SkinRect), dH = Height() - RectHeight(SkinRect);
  for (int i = 0; i < 3; ++i) {
    TRect R = Src[i];
    TPoint Next = RTPt;
    if (LTPt.Y < R.Top) {
      R.Top += dH;
      R.Bottom += dH;
      Next = RBPt;
    }
    if (Next.X < R.Left) {
      R.Left += dW;
      R.Right += dW;
    }
    Buttons[i].R = IsEmptyRect(Src[i]) ? TRect{} : R;
  }
}

void TbsSkinCustomListBox::TestActive(int X, int Y) {
  if (!FShowCaptionButtons) return;
  if (FIndex != -1 && IsEmptyRect(UpButtonRect) && IsEmptyRect(DownButtonRect)) return;
  FOldActiveButton = FActiveButton;
  FActiveButton = -1;
  for (int i = 0; i < 3; ++i)
    if (Buttons[i].R.Contains(TPoint{X, Y})) {
      FActiveButton = i;
      break;
    }
  if (FCaptureButton != -1 && FActiveButton != FCaptureButton && FActiveButton != -1) FActiveButton = -1;
  if (FOldActiveButton != FActiveButton) {
    if (FOldActiveButton != -1) ButtonLeave(FOldActiveButton);
    if (FActiveButton != -1) ButtonEnter(FActiveButton);
  }
}

void TbsSkinCustomListBox::StartTimer(unsigned Interval) {
  if (!HandleAllocated()) return;
  if (FTimerOn) win::KillTimer(Handle(), kRepeatTimer);
  win::SetTimer(Handle(), kRepeatTimer, Interval, nullptr);
  FTimerOn = true;
}

void TbsSkinCustomListBox::StopTimer() {
  if (FTimerOn && HandleAllocated()) win::KillTimer(Handle(), kRepeatTimer);
  FTimerOn = false;
  TimerMode = 0;
}

void TbsSkinCustomListBox::StepUp() {
  if (ItemIndex() > 0) SetItemIndex(ItemIndex() - 1);
}

void TbsSkinCustomListBox::StepDown() {
  // Stops at the last entry, as the up step stops at the first.
  if (ItemIndex() < Items()->Count() - 1) SetItemIndex(ItemIndex() + 1);
}

void TbsSkinCustomListBox::ButtonDown(int I) {
  Buttons[I].MouseIn = true;
  Buttons[I].Down = true;
  Repaint();
  const TNotifyEvent& E = I == 0 ? OnUpButtonClick : I == 1 ? OnDownButtonClick : OnCheckButtonClick;
  if (E) return;
  TimerMode = I == 0 ? 1 : I == 1 ? 2 : 0;
  if (TimerMode != 0) {
    WaitMode = true;
    StartTimer(kRepeatDelay);
  }
}

void TbsSkinCustomListBox::ButtonUp(int I) {
  Buttons[I].Down = false;
  if (I != FActiveButton) Buttons[I].MouseIn = false;
  Repaint();
  const TNotifyEvent& E = I == 0 ? OnUpButtonClick : I == 1 ? OnDownButtonClick : OnCheckButtonClick;
  if (Buttons[I].MouseIn && E) {
    E(this);
    return;
  }
  forms::TLiveness Live = Liveness();
  if (I == 0) StepUp();
  else if (I == 1) StepDown();
  else if (ListBox) ListBox->Click();
  if (Live.Alive() && TimerMode != 0) StopTimer();
}

void TbsSkinCustomListBox::ButtonEnter(int I) {
  Buttons[I].MouseIn = true;
  Repaint();
  if (TimerMode != 0 && Buttons[I].Down) StartTimer(kRepeatReenter);
}

void TbsSkinCustomListBox::ButtonLeave(int I) {
  Buttons[I].MouseIn = false;
  Repaint();
  if (TimerMode != 0 && Buttons[I].Down && FTimerOn) {
    win::KillTimer(Handle(), kRepeatTimer);
    FTimerOn = false;
  }
}

void TbsSkinCustomListBox::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (FCaptionMode && FShowCaptionButtons) {
    TestActive(X, Y);
    if (FActiveButton != -1) {
      FCaptureButton = FActiveButton;
      ButtonDown(FActiveButton);
    }
  }
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinCustomListBox::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
  if (FCaptionMode && FShowCaptionButtons) TestActive(X, Y);
}

void TbsSkinCustomListBox::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  forms::TLiveness Live = Liveness();
  if (FCaptureButton != -1) {
    const int C = FCaptureButton;
    FCaptureButton = -1;
    ButtonUp(C);
    if (!Live.Alive()) return;
  }
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinCustomListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_SIZE:
      TbsSkinCustomControl::Dispatch(M);
      CalcRects();
      UpDateScrollBar();
      if (ScrollBar) ScrollBar->Repaint();
      return;
    case win::WM_TIMER:
      TbsSkinCustomControl::Dispatch(M);
      if (M.WParam != kRepeatTimer) return;
      if (WaitMode) {
        WaitMode = false;
        StartTimer(kRepeatInterval);
      } else if (TimerMode == 1) {
        StepUp();
      } else if (TimerMode == 2) {
        StepDown();
      }
      return;
    case forms::CM_MOUSEENTER:
      TbsSkinCustomControl::Dispatch(M);
      if (FCaptionMode) TestActive(-1, -1);
      return;
    case forms::CM_MOUSELEAVE: {
      TbsSkinCustomControl::Dispatch(M);
      bool Any = false;
      for (auto& B : Buttons)
        if (B.MouseIn) {
          B.MouseIn = false;
          Any = true;
        }
      if (FCaptureButton == -1) FActiveButton = -1;
      if (Any) Repaint();
      return;
    }
    case forms::CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      if (FCaptionMode) Repaint();
      return;
    default: break;
  }
  TbsSkinCustomControl::Dispatch(M);
}

// ------------------------------------------------------------------ painting
void TbsSkinCustomListBox::DrawButton(TCanvas* C, int I) {
  const TbsCBButtonX& B = Buttons[I];
  if (FIndex == -1) {
    if (B.Down && B.MouseIn) {
      FillCanvas(C, B.R, TColor(0xB59385));
      FrameCanvas(C, B.R, gdi::clNavy);
    } else if (B.MouseIn) {
      FillCanvas(C, B.R, TColor(0xD2BDB6));
      FrameCanvas(C, B.R, gdi::clNavy);
    } else {
      FillCanvas(C, B.R, gdi::clBtnFace);
    }
    if (I == 0) DrawArrow(C, B.R, gdi::clBlack, 3);
    else if (I == 1) DrawArrow(C, B.R, gdi::clBlack, 4);
    else DrawCheckMark(C, B.R.Left + 4, B.R.Top + 4, gdi::clBlack);
    return;
  }
  if (IsEmptyRect(B.R) || !Picture) return;
  const TRect Normal[3] = {UpButtonRect, DownButtonRect, CheckButtonRect};
  const TRect Active[3] = {ActiveUpButtonRect, ActiveDownButtonRect, ActiveCheckButtonRect};
  const TRect Pressed[3] = {DownUpButtonRect, DownDownButtonRect, DownCheckButtonRect};
  TRect Src{};
  if (B.Down && B.MouseIn) Src = Pressed[I];
  else if (B.MouseIn) Src = Active[I];
  if (IsEmptyRect(Src)) {
    Src = Normal[I];
    Src = {Src.Left + SkinRect.Left, Src.Top + SkinRect.Top, Src.Right + SkinRect.Left, Src.Bottom + SkinRect.Top};
  }
  C->CopyRect(B.R, Picture->Canvas(), Src);
}

void TbsSkinCustomListBox::DrawCaption(TCanvas* C, TRect R, bool Skinned) {
  int W = C->TextWidth(Caption());
  const bool HasGlyph = !FGlyph->Empty();
  const int NG = std::max(1, FNumGlyphs);
  if (HasGlyph) W += FGlyph->Width() / NG + FSpacing;
  int X;
  switch (FAlignment) {
    case forms::taRightJustify: X = Skinned ? R.Right - W - 2 : R.Right - W; break;
    case forms::taCenter: X = (Skinned ? R.Left + 2 : R.Left) + RectWidth(R) / 2 - W / 2; break;
    default: X = Skinned ? R.Left + 2 : R.Left; break;
  }
  const int TH = C->TextHeight(Caption().empty() ? String(u"Wg") : Caption());
  const int Y = Skinned ? R.Top + RectHeight(R) / 2 - TH / 2 : (FDefaultCaptionHeight - 2) / 2 - TH / 2;
  if (HasGlyph) {
    const int GY = R.Top + RectHeight(R) / 2 - FGlyph->Height() / 2 - (Skinned ? 0 : 1);
    DrawGlyphFrame(C, X, GY, !Enabled() && NG == 2 ? 2 : 1, NG, FGlyph.get());
    X += FGlyph->Width() / NG + FSpacing;
  }
  C->Brush()->SetStyle(gdi::bsClear);
  C->TextRect(R, X, Y, Caption());
}

void TbsSkinCustomListBox::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  TCanvas* C = B->Canvas();
  if (FCaptionMode && FShowCaptionButtons) PlaceDefaultButtons();
  FrameCanvas(C, {0, 0, Width(), Height()}, gdi::clBtnShadow);
  if (FCaptionMode) {
    const int A = std::min(17, FDefaultCaptionHeight - 3);
    TRect CR = FShowCaptionButtons ? TRect{3, 2, Width() - 3 * A - 3, FDefaultCaptionHeight - 2}
                                   : TRect{3, 2, Width() - 2, FDefaultCaptionHeight - 2};
    C->Font()->Assign(FDefaultCaptionFont.get());
    SetCharsetFrom(C->Font(), FSD, FDefaultCaptionFont.get());
    DrawCaption(C, CR, false);
    C->Pen()->SetColor(gdi::clBtnShadow);
    C->MoveTo(1, FDefaultCaptionHeight - 1);
    C->LineTo(Width() - 1, FDefaultCaptionHeight - 1);
    if (FShowCaptionButtons)
      for (int i = 0; i < 3; ++i) DrawButton(C, i);
  }
}

void TbsSkinCustomListBox::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  TCanvas* C = B->Canvas();
  const int dW = Width() - RectWidth(SkinRect), dH = Height() - RectHeight(SkinRect);
  if (!FShowCaptionButtons && !IsEmptyRect(UpButtonRect) && Picture) {
    if (!IsEmptyRect(DisabledButtonsRect)) {
      TRect Dst = ButtonsArea;
      Dst.Left += dW;
      Dst.Right += dW;
      C->CopyRect(Dst, Picture->Canvas(), DisabledButtonsRect);
    } else {
      const int X0 = NewLTPoint.X, X1 = NewRTPoint.X, Y1 = ClRect.Top - 1;
      if (X1 > X0 && Y1 > 0) {
        TBitmap Strip(X1 - X0, Y1);
        Strip.Canvas()->CopyRect({0, 0, X1 - X0, Y1}, C, {X0, 0, X1, Y1});
        C->StretchDraw({X0, 0, Width() - (RectWidth(SkinRect) - UpButtonRect.Right), Y1}, &Strip);
      }
    }
  }
  NewClRect = ClRect;
  NewClRect.Right += dW;
  NewClRect.Bottom += dH;
  if (FCaptionMode) {
    NewCaptionRect = CaptionRect;
    if (FShowCaptionButtons) {
      if (CaptionRect.Right >= RTPt.X) NewCaptionRect.Right += dW;
      PlaceSkinButtons();
    } else {
      NewCaptionRect.Right = Width() - CaptionRect.Left;
      for (auto& Bt : Buttons) Bt.R = {};
    }
    if (!IsEmptyRect(CaptionRect)) {
      ApplyDescriptionFont(C->Font(), CaptionFontName, CaptionFontHeight, CaptionFontStyle);
      C->Font()->SetColor(CaptionFontColor);
      SetCharsetFrom(C->Font(), FSD, FDefaultCaptionFont.get());
      DrawCaption(C, NewCaptionRect, true);
    }
    if (FShowCaptionButtons)
      for (int i = 0; i < 3; ++i) DrawButton(C, i);
  }
}

}  // namespace skin
