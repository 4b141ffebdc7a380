// The skinned edit and the edit base it is built on.
//
// TbsCustomEdit is the edit engine (caret, selection, clipboard, undo, input
// methods) with a read-only mode of its own that keeps caret, selection and
// copying but refuses every change, a transparent mode in which the owner
// supplies the ground under the text, Enter and Esc handed to the form as
// dialog keys, a cancel-mode notification, and a context menu of six
// commands whose captions come from the skin's texts.
//
// TbsSkinCustomEdit draws a frame from the skin's "edit" description (or
// "buttonedit" with an edit button) in the window's non-client area and the
// description's client part under the text. Optional: an edit button at the
// right (ButtonMode, OnButtonClick) and left and right image buttons from an
// image list (OnLeftButtonClick, OnRightButtonClick). Without a skin it has a
// plain look. Its height follows the skin (UseSkinFont) or the font.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/ImgList.h"
#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/controls/bsSkinUpDown.h"

namespace skin {

// Hit codes of the skinned edit's image buttons (the edit button answers
// HTHSCROLL, the frame outside the text HTVSCROLL).
constexpr win::LRESULT HT_EDIT_LEFT_IMAGE = 104, HT_EDIT_RIGHT_IMAGE = 105;

// How an edit learns about its form's frame: the skin data of the form's
// frame component (nullptr when it has none), and whether the form has a
// frame at all. Set by the frame library; unset, every form counts as framed
// without skin texts.
extern TbsSkinData* (*FindFormFrameSkinData)(forms::TCustomForm* Form, bool* HasFrame);
// Whether a form is an MDI child (its menus then open through the main
// form's frame): its form style, or what its frame makes of it once the
// frame library is in.
extern bool (*IsMDIChildForm)(forms::TCustomForm* Form);

using TbsOnEditCancelMode = std::function<void(forms::TControl* C)>;

// ------------------------------------------------------------------ edit base
class TbsCustomEdit : public forms::TCustomMaskEdit {
 public:
  explicit TbsCustomEdit(TComponent* AOwner);
  ~TbsCustomEdit() override;

  // Caret, selection and copying stay; typing, cutting, pasting, clearing
  // and undoing are refused.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool EditTransparent() const { return FEditTransparent; }
  void SetEditTransparent(bool Value);
  // The context menu of the last request, until its command has run.
  forms::TPopupMenu* SysPopupMenu() const { return FSysPopupMenu; }

  TbsOnEditCancelMode OnEditCancelMode;

  void Dispatch(TMessage& M) override;

 protected:
  void Change() override;
  // A transparent edit shows its parent's ground under the text.
  void PaintBackground(win::HDC DC, const TRect& Client) override;
  // Repaints a transparent edit (the ground under the text changes with it).
  void RefreshEdit();
  void ShowContextMenu(TMessage& M);

  bool FDown = false;
  bool FReadOnly = false;
  bool FEditTransparent = false;

 private:
  void FreeSysPopupMenu();
  TbsSkinPopupMenu* FSysPopupMenu = nullptr;
};

// ------------------------------------------------------------------ skinned edit
class TbsSkinCustomEdit : public TbsCustomEdit, public TbsSkinChangeable {
 public:
  explicit TbsSkinCustomEdit(TComponent* AOwner);
  ~TbsSkinCustomEdit() override;

  TbsSkinData* SkinData() const override { return FSD; }
  virtual void SetSkinData(TbsSkinData* Value);
  void ChangeSkinData() override;
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  int SkinIndex() const { return FIndex; }

  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  bool ButtonMode() const { return FButtonMode; }
  void SetButtonMode(bool Value);
  forms::TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(forms::TAlignment Value);

  forms::TCustomImageList* Images() const { return FImages; }
  void SetImages(forms::TCustomImageList* Value);
  int LeftImageIndex() const { return FLeftImageIndex; }
  void SetLeftImageIndex(int Value);
  int RightImageIndex() const { return FRightImageIndex; }
  void SetRightImageIndex(int Value);
  int LeftImageHotIndex = -1, LeftImageDownIndex = -1, RightImageHotIndex = -1, RightImageDownIndex = -1;

  TNotifyEvent OnButtonClick, OnLeftButtonClick, OnRightButtonClick;

  // Geometry as last calculated: the edit button and the text area in window
  // coordinates, the image buttons in client coordinates.
  TRect ButtonRectNow() const { return FButtonRect; }
  TRect EditRect() const { return FEditRect; }
  const TbsCBButtonX& LeftButton() const { return FLeftButton; }
  const TbsCBButtonX& RightButton() const { return FRightButton; }
  bool ButtonDown() const { return FButtonDown; }
  bool ButtonActive() const { return FButtonActive; }
  bool MouseIn() const { return FMouseIn; }

  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& M) override;

  // The text height rule: font height plus 4 unskinned, plus the skin's
  // frame height skinned.
  int CalcFontHeight();
  void AdjustHeight();

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void Change() override;
  void Paint() override;
  void PaintBackground(win::HDC DC, const TRect& Client) override;
  void GetSkinData();
  void CalcRects();
  void CalcImageRects(bool SetFormatRect);
  void RepaintFrame();

 private:
  void DefaultFontChange();
  void ApplyCharSet();
  void ApplyStateFontColor();
  void FrameChanged();
  void PaintClientBackground(gdi::TCanvas* C);
  void DrawImages(gdi::TCanvas* C);
  void PaintDisabledText(gdi::TCanvas* C);
  // The frame into DC (window coordinates), FEditRect left out when Exclude.
  void PaintFrameTo(win::HDC DC, bool Exclude);
  void PaintFrame(TBitmap* B);
  void PaintStretchedFrame(TBitmap* B);
  void DrawEditButton(gdi::TCanvas* C);
  bool Skinned() const { return FIndex != -1; }
  TRect FaceRect() { return FMouseIn || Focused() ? ActiveSkinRect : SkinRect; }
  void UpdateFormatRect(TRect R);
  TPoint WindowOffset() const;
  win::LRESULT HitTest(TPoint Screen);
  void SetImageHot(TbsCBButtonX& Btn, bool Hot);
  void SetEditButtonHot(bool Hot);
  void PointerOver(bool In);

  TbsCBButtonX FLeftButton, FRightButton;
  TColor FDefaultColor;
  TRect FButtonRect{};
  bool FButtonMode = false, FButtonDown = false, FButtonActive = false;
  TRect FEditRect{};
  bool FMouseIn = false;
  int FIndex = -1;
  TbsSkinData* FSD = nullptr;
  String FSkinDataName = u"edit";
  TBitmap* Picture = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  bool FUseSkinFont = true;
  int FDefaultWidth = 0, FDefaultHeight = 0;
  forms::TAlignment FAlignment = forms::taLeftJustify;
  forms::TCustomImageList* FImages = nullptr;
  int FLeftImageIndex = -1, FRightImageIndex = -1;

  int LOffset = 0, ROffset = 0;
  TRect ClRect{}, SkinRect{}, ActiveSkinRect{};
  String FontName;
  TFontStyles FontStyle = 0;
  int FontHeight = 0;
  TColor FontColor = 0, DisabledFontColor = 0, ActiveFontColor = 0;
  TRect ButtonRect{}, ActiveButtonRect{}, DownButtonRect{}, UnEnabledButtonRect{};
  bool StretchEffect = false;
};

class TbsSkinEdit : public TbsSkinCustomEdit {
 public:
  explicit TbsSkinEdit(TComponent* AOwner) : TbsSkinCustomEdit(AOwner) {}
};

}  // namespace skin
