// What the skinned list and tree views share: a framework view (View, a
// TCustomListView or TCustomTreeView) fitted into a skinned window. Its
// colours and font come from a text-view entry of the skin (Entry), it has no
// non-client area (so no native bars or border ever show), and two external
// skinned scroll bars mirror and drive its native scroll state.
//
// FInCheckScrollBars guards the bar updates: showing, hiding and realigning a
// bar, or scrolling the view, send messages that would otherwise update the
// bars again from inside an update.
// GUI thread only.
#pragma once

#include <memory>

#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

constexpr forms::LRESULT kSkinPaintToDCAnswer = MSG_SKIN_PAINT_TO_DC_ANSWER;
constexpr forms::LPARAM kSkinPaintNCKey = MSG_SKIN_PAINT_NC_KEY;

template <class View, class Entry>
class TbsSkinViewBase : public View, public TbsSkinChangeable {
 public:
  TbsSkinViewBase(TComponent* AOwner, const char16_t* ASkinDataName) : View(AOwner), FSkinDataName(ASkinDataName) {
    FDefaultFont = MakeDefaultFont([this] {
      if (FIndex == -1) this->Font()->Assign(FDefaultFont.get());
    });
    this->Font()->Assign(FDefaultFont.get());
    this->SetBorderStyle(forms::bsNoBorder);
  }
  ~TbsSkinViewBase() override {
    if (FSD) FSD->RemoveFreeNotification(this);
    if (FVScrollBar) FVScrollBar->RemoveFreeNotification(this);
    if (FHScrollBar) FHScrollBar->RemoveFreeNotification(this);
  }

  TbsSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TbsSkinData* Value) {
    if (FSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD) FSD->FreeNotification(this);
    if (FSD && !FSD->Empty && !Designing()) ChangeSkinData();
  }
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  int SkinIndex() const { return FIndex; }
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) {
    FDefaultFont->Assign(Value);
    if (FIndex == -1) this->Font()->Assign(Value);
  }
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value) {
    FDefaultColor = Value;
    if (FIndex == -1) this->SetColor(Value);
  }
  bool UseSkinFont = true;

  TbsSkinScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value) { AttachBar(FVScrollBar, Value, true); }
  TbsSkinScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TbsSkinScrollBar* Value) { AttachBar(FHScrollBar, Value, false); }

  // Re-reads the skin entry and brings font, colours and bars up to date.
  void ChangeSkinData() override = 0;
  // Brings the external bars in step with the native scroll state.
  virtual void UpDateScrollBars() = 0;
  bool Designing() const { return this->ComponentState().Contains(rtl::csDesigning); }

  void Notification(TComponent* AComponent, rtl::TOperation Operation) override {
    View::Notification(AComponent, Operation);
    if (Operation != rtl::opRemove) return;
    if (AComponent == FSD) {
      FSD = nullptr;
      FIndex = -1;
    }
    if (AComponent == FVScrollBar) FVScrollBar = nullptr;
    if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  }

 protected:
  virtual void VScrollBarChange(TObject* Sender) = 0;
  virtual void HScrollBarChange(TObject* Sender) = 0;

  // The common part of a skin change: the entry index, font and colour.
  void ApplySkinLook() {
    FIndex = FSD && !FSD->Empty ? FSD->GetControlIndex(FSkinDataName) : -1;
    gdi::TFont* F = this->Font();
    if (FIndex == -1) {
      this->SetColor(FDefaultColor);
      F->Assign(FDefaultFont.get());
    } else if (auto* D = dynamic_cast<Entry*>(SkinDescriptionAt(FSD, FIndex))) {
      if (UseSkinFont)
        ApplyDescriptionFont(F, D->FontName, D->FontHeight, D->FontStyle);
      else
        F->Assign(FDefaultFont.get());
      F->SetColor(D->FontColor);
      this->SetColor(D->BGColor);
    }
    if (FSD && FSD->ResourceStrData())
      F->SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
    else
      F->SetCharset(FDefaultFont->Charset());
  }

  // Aligned bars take their places again.
  void RealignBars() {
    for (TbsSkinScrollBar* B : {FVScrollBar, FHScrollBar})
      if (B && B->Align() != forms::alNone && B->Parent()) B->Parent()->Realign();
  }

  // Shows or hides a bar under the guard; true when its visibility changed.
  bool ShowBar(TbsSkinScrollBar* B, bool Show) {
    if (!B || B->Visible() == Show) return false;
    FInCheckScrollBars = true;
    B->SetVisible(Show);
    FInCheckScrollBars = false;
    return true;
  }

  // After the bars were updated: the horizontal bar's corner marker follows
  // the vertical bar, and an aligned view lets its parent lay the bars out.
  void FinishBarUpdate(bool VisibilityChanged) {
    if (FVScrollBar && FHScrollBar && FHScrollBar->Both() != FVScrollBar->Visible())
      FHScrollBar->SetBoth(FVScrollBar->Visible());
    if (VisibilityChanged && this->Align() != forms::alNone && this->Parent()) {
      FInCheckScrollBars = true;
      this->Parent()->Realign();
      FInCheckScrollBars = false;
    }
  }

  // After the framework handled a message: those that move or repaint the
  // view bring the bars in step (a size change only when SizeCounts).
  void FollowViewMessage(unsigned Msg, bool SizeCounts) {
    switch (Msg) {
      case win::WM_SIZE:
        if (!FInCheckScrollBars && SizeCounts) UpDateScrollBars();
        break;
      case win::WM_PAINT:
        if (!FInCheckScrollBars) UpDateScrollBars();
        break;
      case win::WM_KEYDOWN:
      case win::WM_LBUTTONUP:
        UpDateScrollBars();
        break;
    }
  }

  // Messages every skinned view answers alike; true when handled.
  bool HandleViewMessage(forms::TMessage& M) {
    switch (M.Msg) {
      case win::WM_NCCALCSIZE:
      case win::WM_NCPAINT:
        M.Result = 0;
        return true;
      case forms::CM_VISIBLECHANGED:
        View::WndProc(M);
        for (TbsSkinScrollBar* B : {FVScrollBar, FHScrollBar})
          if (B) B->SetVisible(this->Visible());
        return true;
      case MSG_SKIN_PAINT_TO_DC:
        M.Result = kSkinPaintToDCAnswer;
        return true;
    }
    return false;
  }

  TbsSkinData* FSD = nullptr;
  String FSkinDataName;
  int FIndex = -1;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  TColor FDefaultColor = gdi::clWindow;
  bool FInCheckScrollBars = false;
  TbsSkinScrollBar* FVScrollBar = nullptr;
  TbsSkinScrollBar* FHScrollBar = nullptr;

 private:
  void AttachBar(TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, bool Vertical) {
    if (Field) Field->RemoveFreeNotification(this);
    Field = Value;
    if (Value) {
      Value->FreeNotification(this);
      Value->SetEnabled(true);
      Value->SetVisible(false);
      if (Vertical)
        Value->OnChange = [this](TObject* S) { VScrollBarChange(S); };
      else
        Value->OnChange = [this](TObject* S) { HScrollBarChange(S); };
    }
    UpDateScrollBars();
  }
};

}  // namespace skin
