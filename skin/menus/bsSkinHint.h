// Skinned hints: the hint component and the hint window it installs.
//
// While a TbsSkinHint exists, the application's hint window is a
// TbsSkinHintWindow, drawn from the skin's HINTWINDOW description or, without
// one, in a plain look. Every showing of any TbsSkinHintWindow takes its
// settings (skin, fonts, alpha, line separator, title and image) from the
// first Active TbsSkinHint among the main form's components; without one
// nothing is shown. A hint is plain (lines of text) or extended (a bold
// title, an image and the text); skinned controls supply title and image
// through HintTitle, HintImageIndex and HintImageList.
//
// The component also shows hints on demand, at once or after the
// application's hint pause (frame objects, quick buttons, the images menu).
// Destroying the last TbsSkinHint gives the application back the hint window
// class and OnShowHint handler it had before; destroying one of several
// hands OnShowHint to the most recent one still alive.
// GUI thread only.
#pragma once

#include <memory>

#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Timers.h"
#include "skin/controls/bsSkinImagesMenu.h"
#include "skin/data/bsSkinData.h"

namespace skin {

using rtl::String;
using rtl::TPoint;
using rtl::TRect;

class TbsSkinHint;

class TbsSkinHintWindow : public forms::THintWindow {
 public:
  explicit TbsSkinHintWindow(rtl::TComponent* AOwner);
  ~TbsSkinHintWindow() override;

  // Only Rect's top-left is used.
  void ActivateHint(TRect Rect, const String& AHint) override;
  void ActivateHintEx(TRect Rect, const String& AHintTitle, const String& AHint, int AImageIndex,
                      forms::TCustomImageList* AImageList);
  // Centred horizontally on ARect, above it (ATop) or below it.
  void ActivateHintFromRect(TRect ARect, const String& AHint, bool ATop);

  TPoint CalcHintSize(const String& Caption);
  TPoint CalcHintSizeEx(const String& Caption, const String& ATitle, forms::TCustomImageList* AImageList,
                        int AImageIndex);
  // The first Active TbsSkinHint of the main form, in component order.
  static TbsSkinHint* FindSkinHint();

  bool ExtendedStyle() const { return AExtendedStyle; }
  TbsSkinData* SkinInUse() const { return FSD; }
  TRect ClientRectInSkin() const { return NewClRect; }

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(forms::TMessage& Message) override;

 private:
  // Steps 3 to 11 of a showing, once the hint's size is known.
  void PrepareFont();
  bool DecideSkin();
  void PlaceAndShow(TRect R);
  void UpdateSkinRegion();
  void CorrectCornerPoints(int& W, int& H);
  void PaintBackground(gdi::TCanvas* C);
  void PaintExtended(gdi::TCanvas* C);
  rtl::TSize MeasureText(const String& Text);

  TRect NewClRect{};
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TbsSkinHint* FspHint = nullptr;
  TbsSkinData* FSD = nullptr;
  gdi::HRGN FRgn = nullptr;
  bool FOldAlphaBlend = false;
  std::uint8_t FOldAlphaBlendValue = 0;
  bool AExtendedStyle = false;
};

// Also the hint of the images menu's cells, and (installed by the first
// hint component made) of the frames' objects and quick buttons.
class TbsSkinHint : public rtl::TComponent, public TbsImagesMenuHint {
 public:
  explicit TbsSkinHint(rtl::TComponent* AOwner);
  ~TbsSkinHint() override;

  void ActivateHint(TPoint P, const String& AHint);
  void ActivateHintEx(TPoint P, const String& AHintTitle, const String& AHint, int AImageIndex,
                      forms::TCustomImageList* AImageList);
  // Delayed showings at the cursor (hint pause, then hide pause).
  void ActivateHint2(const String& AHint) override;
  void ActivateHint3(TRect AFromRect, const String& AHint, bool ATop);
  void ActivateHintEx2(const String& AHintTitle, const String& AHint, int AImageIndex,
                       forms::TCustomImageList* AImageList);
  void HideHint() override;
  bool IsVisible() const;
  int GetCursorHeightMargin();

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  bool AlphaBlend = false;
  std::uint8_t AlphaBlendValue = 0;
  bool AlphaBlendAnimation = false;
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  bool UseSkinFont = true;
  String LineSeparator = u"@";
  forms::TShowHintEvent OnShowHint;

  // The application's show-hint handler while this component provides hints.
  void ShowHintHandler(String& HintStr, bool& CanShow, forms::THintInfo& HintInfo);
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;

  // Title and image of the hint being shown.
  String FHintTitle;
  int FHintImageIndex = 0;
  forms::TCustomImageList* FHintImageList = nullptr;

  TbsSkinHintWindow* Window() const { return HW; }
  // A delayed hint is pending or shown (the hint timer runs).
  bool TimerRunning() const { return HintTimer && HintTimer->Enabled(); }
  // Whether H is a hint component that still exists.
  static bool IsAlive(const TbsSkinHint* H);

 private:
  enum class TDelayed { Plain, FromRect, Extended };
  void StartDelayed(TDelayed Kind);
  void DelayedShow();
  void ClearHintData();

  bool FActive = true;
  TbsSkinData* FSD = nullptr;
  TbsSkinHintWindow* HW = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  // The hint timer is kept for the component's life; "no timer" is a
  // disabled one, so a tick may end the hint without freeing itself.
  forms::TTimer* HintTimer = nullptr;
  TDelayed FDelayed = TDelayed::Plain;
  String HintText;
  TRect FromRect{};
  bool Top = false;
};

// The hint text with every Separator replaced by a line feed and a carriage
// return; an empty separator changes nothing.
String ReplaceLineSeparator(const String& Text, const String& Separator);

}  // namespace skin
