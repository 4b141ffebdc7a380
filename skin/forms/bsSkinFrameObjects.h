// Frame objects: the caption, its buttons and the other active pieces of a
// skinned form frame. Each is built from one object description of the skin
// (or, without a skin, as one of six plain standard buttons), placed by the
// frame at ObjectRect (frame coordinates: origin at the window's top-left
// corner), and drawn, hit-tested and driven by the frame.
// GUI thread only; the frame owns every object.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/Menus.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "skin/data/bsSkinData.h"
#include "skin/images/bsUtils.h"

namespace skin {

class TbsBusinessSkinForm;
using gdi::TBitmap;
using gdi::TCanvas;

// Runs a caption button's window command on its frame.
void ExecuteFrameCommand(TbsBusinessSkinForm* F, TbsStdCommand Command);
// The skin's inactive-form effect applied to a bitmap in place.
void ApplyInActiveEffect(TbsSkinData* SD, TBitmap* B);

class TbsActiveSkinObject : public rtl::TObject {
 public:
  TbsActiveSkinObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData);
  virtual ~TbsActiveSkinObject() = default;

  // X, Y relative to ObjectRect's top-left corner.
  virtual bool PointInObjectMask(int X, int Y);
  virtual void ShowLayer();
  virtual void HideLayer();
  virtual bool CanMorphing();
  virtual void Draw(TCanvas* Cnvs, bool UpDate);
  virtual void DblClick() {}
  virtual void MouseDown(int X, int Y, forms::TMouseButton Button);
  virtual void MouseUp(int X, int Y, forms::TMouseButton Button);
  virtual void MouseMove(int X, int Y);
  virtual void MouseEnter();
  virtual void MouseLeave();

  bool EnableMorphing() const;
  void DoMorphing();
  void RedrawOrMorph();
  double MorphKf() const { return FMorphKf; }
  void SetMorphKf(double Value);
  // ObjectRect on the screen (glow frames, menus).
  TRect ScreenRect() const;
  bool SkinPresent() const;

  TbsBusinessSkinForm* Parent;
  double FMorphKf = 0;
  bool FMouseIn = false;
  TBitmap* Picture = nullptr;
  TBitmap* ActivePicture = nullptr;
  TBitmap* ActiveMaskPicture = nullptr;
  TbsSkinData* SD = nullptr;
  String IDName, Hint;
  TRect SkinRect{}, ActiveSkinRect{}, InActiveSkinRect{};
  TRect ObjectRect{};
  bool Active = false;
  bool Morphing = false;
  TbsMorphKind MorphKind = mkDefault;
  bool Enabled = true, Visible = true;
  bool SkinRectInAPicture = false;
  int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
  int GlowLayerOffsetX = 0, GlowLayerOffsetY = 0, GlowLayerAlphaBlendValue = 255;

 protected:
  // Copies Src of APicture (stretched) onto ObjectRect.
  void CopyFrom(TCanvas* Cnvs, TBitmap* APicture, const TRect& Src);
  // The morph between two rectangles, drawn at ObjectRect's top-left corner.
  void DrawMorph(TCanvas* Cnvs, TBitmap* NormalPic, const TRect& NormalR, TBitmap* HotPic, const TRect& HotR);
  // The layer manager the glow uses (the menu one while a menu is linked).
  virtual bool UsesMenuLayer() const { return false; }
  void Redraw();
};

class TbsUserObject : public TbsActiveSkinObject {
 public:
  using TbsActiveSkinObject::TbsActiveSkinObject;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
};

class TbsSkinButtonObject : public TbsActiveSkinObject {
 public:
  TbsSkinButtonObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData);
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  bool CanMorphing() override;
  void MouseDown(int X, int Y, forms::TMouseButton Button) override;
  void MouseUp(int X, int Y, forms::TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;

  bool Down() const { return FDown; }
  void SetDown(bool Value);
  // Opens MenuItem below (or above) the object.
  void PopupObjectMenu();

  bool FDown = false, FPopupUp = false;
  TRect DisableSkinRect{}, DownRect{};
  forms::TMenuItem* MenuItem = nullptr;

 protected:
  bool UsesMenuLayer() const override { return MenuItem != nullptr; }
  bool CursorOver() const;
};

class TbsSkinStdButtonObject : public TbsSkinButtonObject {
 public:
  TbsSkinStdButtonObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData);
  bool PointInObjectMask(int X, int Y) override;
  void ShowLayer() override;
  void HideLayer() override;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  bool CanMorphing() override;
  void DblClick() override;
  void MouseDown(int X, int Y, forms::TMouseButton Button) override;
  void MouseUp(int X, int Y, forms::TMouseButton Button) override;
  void MouseEnter() override;
  void DefaultDraw(TCanvas* Cnvs);
  void ExecuteCommand();
  // The button shows its restore look now.
  bool InRestoreState() const;
  bool RestoreLook() const { return InRestoreState() && !IsEmptyRect(RestoreRect); }

  bool FSkinSupport = false;
  TbsStdCommand Command = cmClose;
  TRect RestoreRect{}, RestoreActiveRect{}, RestoreInActiveRect{}, RestoreDownRect{};
  String RestoreHint, FTempHint;

 private:
  bool IconCase() const;
};

class TbsSkinAnimateObject : public TbsActiveSkinObject {
 public:
  TbsSkinAnimateObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData);
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void DblClick() override;
  void MouseDown(int X, int Y, forms::TMouseButton Button) override;
  void MouseUp(int X, int Y, forms::TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;

  void Start();
  void Stop();
  void ChangeFrame();
  int Frame() const { return FFrame; }
  void SetFrame(int Value);
  void ExecuteCommand();
  bool RestoreLook() const;
  TRect FrameRect(int N) const;

  int FFrame = 1, FInc = 25, TimerInterval = 25;
  forms::TMenuItem* MenuItem = nullptr;
  bool FPopupUp = false, FDown = false, FMenuTracking = false;
  int CountFrames = 0;
  bool Cycle = false, ButtonStyle = false, Increment = true;
  TbsStdCommand Command = cmClose;
  TRect DownSkinRect{}, RestoreRect{}, RestoreActiveRect{}, RestoreInActiveRect{}, RestoreDownRect{};
  String RestoreHint, FTempHint;

 protected:
  bool UsesMenuLayer() const override { return MenuItem != nullptr; }

 private:
  bool CursorOver() const;
  void PopupObjectMenu();
  void StartTimer();
  void PlayTowards(bool Forward);
};

// ---------------------------------------------------------------- quick buttons
class TbsQuickButtonItems;

class TbsQuickButtonItem {
 public:
  explicit TbsQuickButtonItem(TbsQuickButtonItems* ACollection) : FCollection(ACollection) {}
  virtual ~TbsQuickButtonItem() = default;
  int ImageIndex() const { return FImageIndex; }
  virtual void SetImageIndex(int Value);
  virtual void SetEnabled(bool Value);
  virtual void SetVisible(bool Value);
  bool IsEnabled() const { return FEnabled; }
  bool IsVisible() const { return FVisible; }
  void Assign(const TbsQuickButtonItem& Source);

  int FImageIndex = -1;
  String FHint;
  bool FEnabled = true, FVisible = true;
  rtl::TNotifyEvent FOnClick;
  TRect ItemRect{};
  bool Active = false, Down = false;

 private:
  TbsQuickButtonItems* FCollection;
};

class TbsQuickButtonItems {
 public:
  explicit TbsQuickButtonItems(TbsBusinessSkinForm* ABSF) : BSF(ABSF) {}
  TbsQuickButtonItem* Add();
  TbsQuickButtonItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return int(FItems.size()); }
  TbsQuickButtonItem* Items(int Index) const { return FItems.at(std::size_t(Index)).get(); }
  void Assign(const TbsQuickButtonItems& Source);
  // The collection's change report: the frame's caption is repainted.
  void Update();

  TbsBusinessSkinForm* BSF;

 private:
  std::vector<std::unique_ptr<TbsQuickButtonItem>> FItems;
};

// ---------------------------------------------------------------- caption
class TbsSkinCaptionObject : public TbsActiveSkinObject {
 public:
  TbsSkinCaptionObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData);
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void MouseDown(int X, int Y, forms::TMouseButton Button) override;
  void MouseUp(int X, int Y, forms::TMouseButton Button) override;
  void MouseMove(int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;

  bool EnableAnimation() const;
  void TrackQuickButtons(int X, int Y);
  // The text rectangle relative to the object's top-left corner.
  TRect TextRectNow() const;
  TRect GetAnimationFrameRect() const;

  int ActiveQuickButton = -1, OldActiveQuickButton = -1;
  String FontName;
  TFontStyles FontStyle = 0;
  int FontHeight = 0;
  TColor FontColor = 0, ActiveFontColor = 0;
  TColor ShadowColor = 0, ActiveShadowColor = 0;
  bool Shadow = false;
  TColor LightColor = 0, ActiveLightColor = 0;
  bool Light = false;
  TAlignment Alignment = taLeftJustify;
  TRect TextRct{}, FrameRect{}, ActiveFrameRect{};
  int FrameLeftOffset = 0, FrameRightOffset = 0;
  TRect FrameTextRect{};
  bool StretchEffect = false, FullFrame = false;
  int FIncTime = 0;
  TRect AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0, CurrentFrame = 0;
  bool InActiveAnimation = false;
  bool VistaGlowEffect = false, VistaGlowInActiveEffect = false, GlowEffect = false, GlowInActiveEffect = false;
  int GlowSize = 0;
  TColor GlowColor = 0, GlowActiveColor = 0;
  int GlowOffset = 0;
  bool ReflectionEffect = false;
  TColor ReflectionColor = 0, ReflectionActiveColor = 0;
  int ReflectionOffset = 0;

 private:
  bool HasQuickButtons() const;
  void BuildCaptionBackground(TBitmap* B, const TRect& R, TBitmap* Pic) const;
  void SetCaptionFont(TCanvas* C, TColor Color) const;
  void DrawCaptionText(TCanvas* C, TCanvas* DrawCnvs, int DX, int DY, bool AActive);
  void DrawQuickButtons(TCanvas* C);
  // Background and text of one look into B (ObjectRect's size).
  void BuildLook(TBitmap* B, const TRect& R, TBitmap* Pic, TColor Color, bool AActive, TCanvas* DrawCnvs);
};

}  // namespace skin
