// Skinned control bases: a windowed and a window-less control that find
// their description in the loaded skin by name and paint through an
// off-screen bitmap, either in the skin's look or, without a description, in
// a plain look of their own.
//
// TbsSkinCustomControl / TbsGraphicSkinCustomControl add the nine-part skin
// geometry: the control's picture is composed from a rectangle of a skin
// picture at any size, keeping corners and tiling or stretching edges
// (ResizeMode 0 fixed size, 1 nine-part, 2 width only, 3 height only), and
// the windowed one cuts its window region from the skin's mask.
//
// Every paint, bounds change and skin change looks the description up again,
// so a control follows a skin switch at its next repaint; the form's frame
// calls ChangeSkinData on each control when the skin changes.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Timers.h"
#include "platform/gdi/Bitmap.h"
#include "skin/data/bsSkinData.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsUtils.h"

namespace skin {

using forms::TControl;
using forms::TMessage;
using gdi::TBitmap;
using rtl::TComponent;
using rtl::TNotifyEvent;
using rtl::TObject;

constexpr unsigned MSG_SKIN_MENU_CLOSED = win::WM_USER + 204;
constexpr unsigned MSG_CHECK_PARENT_BACKGROUND = win::WM_USER + 260;
// Sent by a skin menu to the control it was opened for once the chosen
// command has run.
constexpr unsigned MSG_SKIN_MENU_COMMAND_DONE = win::WM_USER + 205;
// Paint-to-device-context requests of other painters (answered, never sent
// within the program): WParam a DC; the client and frame requests carry the
// key in LParam and are answered with it.
constexpr unsigned MSG_SKIN_PAINT_TO_DC = 45513;
constexpr unsigned MSG_SKIN_PAINT_CLIENT_TO_DC = 48202;
constexpr unsigned MSG_SKIN_PAINT_NC_TO_DC = 48203;
constexpr win::LRESULT MSG_SKIN_PAINT_TO_DC_ANSWER = 12851;
constexpr win::LPARAM MSG_SKIN_PAINT_NC_KEY = 16802;
constexpr unsigned MSG_SHOW_BUTTON_LAYER = win::WM_USER + 400;
constexpr unsigned MSG_HIDE_BUTTON_LAYER = win::WM_USER + 401;

// The skin picture number Index of SD, or nullptr for -1 or out of range.
TBitmap* SkinPictureAt(TbsSkinData* SD, int Index);
// A description font applied to a canvas font (name, height, style).
void ApplyDescriptionFont(gdi::TFont* Font, const String& Name, int Height, TFontStyles Style);

// The description at Index of SD's control list, or nullptr.
TbsDataSkinControl* SkinDescriptionAt(TbsSkinData* SD, int Index);
// A font of "Arial", height 14, no style, that calls OnChange when changed.
std::unique_ptr<gdi::TFont> MakeDefaultFont(std::function<void()> OnChange);
// Fills W x H of B with the system button face.
void FillButtonFace(TBitmap* B, int W, int H);
// Centres ATop vertically on a container that asks for it.
void CentreOnContainer(TControl* C, int& ATop, int AHeight);

// The questions a skinned control asks of the container it sits on, answered
// by the tool bar; the bases know no container class.
class TbsSkinContainerQuery {
 public:
  virtual ~TbsSkinContainerQuery() = default;
  // Controls placed on it are centred vertically in this rectangle.
  virtual bool CentresControls(TRect& ClientR) { return false; }
};

// The image lists of a container whose speed buttons without a glyph take
// their images from it (the tool bar).
class TbsSkinImageSource {
 public:
  virtual ~TbsSkinImageSource() = default;
  virtual forms::TCustomImageList* Images() const = 0;
  virtual forms::TCustomImageList* HotImages() const = 0;
  virtual forms::TCustomImageList* DisabledImages() const = 0;
};

// The nine-part geometry shared by the windowed and the graphic bases.
struct TbsSkinGeometry {
  TPoint LTPt{}, RTPt{}, LBPt{}, RBPt{};
  TRect SkinRect{}, ClRect{};
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewClRect{};
  TBitmap* Picture = nullptr;
  int ResizeMode = -1;
  bool StretchEffect = false;
  TbsStretchType StretchType = bsstFull;
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;

  // Reads the geometry of a description; false for one of another class.
  bool Read(TbsSkinData* SD, TbsDataSkinControl* D);
  int GetResizeMode() const;
  // Fits W x H to the skin and sets the new points (Skinned false: nothing).
  void Adjust(bool Skinned, int& W, int& H);
  // Draws rectangle R of SB into B at W x H by ResizeMode (mode 1 only when
  // Compose1 is set).
  void ComposeFrom(TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Compose1);
  // A rectangle of the skin image moved and sized to the control's size.
  TRect Translate(TRect R, int W, int H) const;
};

// ------------------------------------------------------------------ windowed
class TbsSkinControl : public forms::TCustomControl {
 public:
  explicit TbsSkinControl(TComponent* AOwner);
  ~TbsSkinControl() override;

  TbsSkinData* SkinData() const { return FSD; }
  virtual void SetSkinData(TbsSkinData* Value);
  const String& SkinDataName() const { return FSkinDataName; }
  virtual void SetSkinDataName(const String& Value);
  int SkinIndex() const { return FIndex; }

  String HintTitle;
  int HintImageIndex = 0;
  forms::TCustomImageList* HintImageList = nullptr;

  virtual void GetSkinData();
  virtual void ChangeSkinData();
  virtual void BeforeChangeSkinData();
  virtual void AfterChangeSkinData() {}
  virtual void CheckParentBackground() {}
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;
  bool Designing() const { return ComponentState().Contains(rtl::csDesigning); }

 protected:
  virtual void CreateControlDefaultImage(TBitmap* B) {}
  virtual void CreateControlSkinImage(TBitmap* B) {}
  void Paint() override;
  // The off-screen paint cycle: default or skin image, copied in one step.
  void PaintThroughBitmap();

  bool FromWMPaint = false;
  TbsSkinData* FSD = nullptr;
  String FSkinDataName;
  bool FHasRgn = false;
  int FIndex = -1;
};

// ------------------------------------------------------------------ graphic
class TbsGraphicSkinControl : public forms::TGraphicControl {
 public:
  explicit TbsGraphicSkinControl(TComponent* AOwner);
  ~TbsGraphicSkinControl() override;

  TbsSkinData* SkinData() const { return FSD; }
  virtual void SetSkinData(TbsSkinData* Value);
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  int SkinIndex() const { return FIndex; }

  String HintTitle;
  int HintImageIndex = 0;
  forms::TCustomImageList* HintImageList = nullptr;

  virtual void GetSkinData();
  virtual void ChangeSkinData();
  virtual void BeforeChangeSkinData() { FIndex = -1; }
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;
  bool Designing() const { return ComponentState().Contains(rtl::csDesigning); }

 protected:
  virtual void CreateControlDefaultImage(TBitmap* B) {}
  virtual void CreateControlSkinImage(TBitmap* B) {}
  void Paint() override;

  TbsSkinData* FSD = nullptr;
  String FSkinDataName;
  int FIndex = -1;
};

// The default size and font, the skin geometry and its fitting, shared by
// the windowed and the graphic custom bases (Base: TbsSkinControl or
// TbsGraphicSkinControl).
template <class Base>
class TbsSkinCustomBase : public Base, protected TbsSkinGeometry {
 public:
  explicit TbsSkinCustomBase(TComponent* AOwner) : Base(AOwner) {
    FDefaultFont = MakeDefaultFont([this] {
      ApplyDefaultFont();
      if (this->FIndex == -1) this->Repaint();
    });
  }

  int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value) {
    FDefaultWidth = Value;
    if (this->FIndex == -1 && Value > 0) this->SetWidth(Value);
  }
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value) {
    FDefaultHeight = Value;
    if (this->FIndex == -1 && Value > 0) this->SetHeight(Value);
  }
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) {
    FDefaultFont->Assign(Value);
    ApplyDefaultFont();
  }
  bool UseSkinFont = true;

  TRect RealClientRect() const { return NewClRect; }
  int RealClientWidth() const { return RectWidth(NewClRect); }
  int RealClientHeight() const { return RectHeight(NewClRect); }
  int RealClientLeft() const { return NewClRect.Left; }
  int RealClientTop() const { return NewClRect.Top; }
  int GetResizeModeValue() const { return ResizeMode; }

  void GetSkinData() override {
    Base::GetSkinData();
    if (this->FIndex != -1) Read(this->FSD, SkinDescriptionAt(this->FSD, this->FIndex));
  }
  virtual void ApplyDefaultFont() {}
  virtual void AdjustSkinSize(int& W, int& H) { Adjust(this->FIndex != -1, W, H); }

  void ChangeSkinData() override {
    GetSkinData();
    bool SizeChanged = false;
    if (this->FIndex == -1) {
      if (FDefaultWidth > 0) this->SetWidth(FDefaultWidth);
      if (FDefaultHeight > 0) this->SetHeight(FDefaultHeight);
    } else {
      int W = this->Width(), H = this->Height();
      AdjustSkinSize(W, H);
      if (W != this->Width() || H != this->Height()) {
        SizeChanged = true;
        SetBounds(this->Left(), this->Top(), W, H);
      }
    }
    if (!SizeChanged || this->FIndex == -1) SkinSizeKept();
  }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override {
    GetSkinData();
    const bool Changed = this->FIndex != -1 && (AWidth != this->Width() || AHeight != this->Height());
    if (Changed) {
      AdjustSkinSize(AWidth, AHeight);
      if (ResizeMode == 0) NewClRect = ClRect;
    }
    CentreOnContainer(this, ATop, AHeight);
    Base::SetBounds(ALeft, ATop, AWidth, AHeight);
    BoundsApplied(Changed);
  }

 protected:
  // After a skin change that kept the size (or left the control unskinned).
  virtual void SkinSizeKept() { this->Repaint(); }
  // After SetBounds; Changed: the skinned size changed.
  virtual void BoundsApplied(bool Changed) {
    if (Changed) this->Repaint();
  }
  void CreateControlDefaultImage(TBitmap* B) override { FillButtonFace(B, this->Width(), this->Height()); }
  void CreateControlSkinImage(TBitmap* B) override { CreateSkinImageFromRect(B, Picture, SkinRect); }
  virtual void CreateSkinImageFromRect(TBitmap* B, TBitmap* SB, TRect R) {
    ComposeFrom(B, SB, R, this->Width(), this->Height(), true);
  }

  int FDefaultWidth = 0, FDefaultHeight = 0;
  std::unique_ptr<gdi::TFont> FDefaultFont;
};

class TbsSkinCustomControl : public TbsSkinCustomBase<TbsSkinControl> {
 public:
  explicit TbsSkinCustomControl(TComponent* AOwner) : TbsSkinCustomBase(AOwner) {}
  ~TbsSkinCustomControl() override;

  bool ForcebackGround = false;
  bool DrawbackGround = true;
  bool HasWindowRegion() const { return FHasRgn; }

  void GetSkinData() override;
  virtual void UpdateSkinRegion();
  TRect TranslateSkinRect(TRect R) const { return Translate(R, Width(), Height()); }
  void CheckControlsBackground();

 protected:
  void Paint() override;
  void SkinSizeKept() override;
  void BoundsApplied(bool Changed) override;
  void CreateSkinImageFromRect(TBitmap* B, TBitmap* SB, TRect R) override;
  void CreateSkinRegion();
  void PaintFrameAndBackground();

  TBitmap* MaskPicture = nullptr;
};

class TbsGraphicSkinCustomControl : public TbsSkinCustomBase<TbsGraphicSkinControl> {
 public:
  explicit TbsGraphicSkinCustomControl(TComponent* AOwner) : TbsSkinCustomBase(AOwner) {}
};

// A skinned control built on a framework control instead of the bases (labels,
// splitter, bevel, link label, page control, list and tree views): how the
// skin-change walk reaches it.
class TbsSkinChangeable {
 public:
  virtual ~TbsSkinChangeable() = default;
  virtual TbsSkinData* SkinData() const = 0;
  virtual void ChangeSkinData() = 0;
  // Called before the skin is cleared: drop what was taken from it.
  virtual void BeforeChangeSkinData() {}
};

// The skin-change walks of the form frame, over AControl first and then every
// control below it (through windowed parents of any kind): each skinned
// control whose SkinData is ASkinData, or every one when ASkinData is nullptr,
// is told the skin is about to be cleared, or to take the changed skin.
void BeforeChangeSkinDataOfControls(forms::TControl* AControl, TbsSkinData* ASkinData);
void ChangeSkinDataOfControls(forms::TControl* AControl, TbsSkinData* ASkinData);

}  // namespace skin
