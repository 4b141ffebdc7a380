// The layered border of a skinned form: the skin's layer-frame picture (a
// soft shadow or glow with per-pixel alpha, wider than the window) shown
// around the form as four top-level layered windows (top, bottom and the two
// sides). The border follows the form's moves and sizes, takes the inactive
// alpha while the form is inactive, fades in with the form and, when the skin
// asks for it, resizes the form when dragged.
//
// The frame decides when the border is used (IsLayeredBorderInUse); where the
// display cannot show per-pixel alpha windows it never is.
// GUI thread only.
#pragma once

#include <memory>

#include "platform/forms/Forms.h"
#include "skin/data/bsSkinData.h"
#include "skin/images/bsBitmap.h"

namespace skin {

class TbsBusinessSkinForm;
class TbsFormLayerBorder;

enum TbsFormLayerBorderType { bsflLeft, bsflTop, bsflRight, bsflBottom };
enum TbsFormLayerBorderHit {
  bsflhNone, bsflhLeft, bsflhTop, bsflhRight, bsflhBottom, bsflhTopLeft, bsflhTopRight, bsflhBottomLeft,
  bsflhBottomRight
};

class TbsFormLayerWindow : public forms::TForm {
 public:
  TbsFormLayerWindow(TbsFormLayerBorder* AOwner, forms::TCustomForm* AForm);
  // The band of the border under the screen point P.
  TbsFormLayerBorderHit HitTestBorder(TPoint P);

  bool FDown = false;
  forms::TCustomForm* FForm;
  TbsFormLayerBorder* FLayerBorder;
  TPoint MousePos1{}, MousePos2{};
  TbsFormLayerBorderHit FHitMode = bsflhNone;
  bool FInProcessMessages = false;
  TbsFormLayerBorderType BorderType = bsflLeft;

  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void Dispatch(forms::TMessage& M) override;

 protected:
  void CreateParams(forms::TCreateParams& P) override;

 private:
  bool CanResizeForm();
};

class TbsFormLayerBorder : public rtl::TComponent {
 public:
  explicit TbsFormLayerBorder(rtl::TComponent* AOwner);
  ~TbsFormLayerBorder() override;

  void InitFrame(TbsSkinData* ASkinData, forms::TCustomForm* AForm);
  void Show(int X, int Y, int AWidth, int AHeight);
  void SetBounds(int X, int Y, int AWidth, int AHeight);
  void Draw(gdi::TCanvas* C, int X, int Y, int AWidth, int AHeight);
  void ShowWithForm();
  void SetBoundsWithForm();
  void SetBoundsWithForm2(int AW, int AH);
  void SetBoundsWithForm3(int ALeft, int ATop, int AW, int AH);
  void MoveWithForm();
  void MoveWithForm2(int ALeft, int ATop);
  void ShowWithFormAnimation();
  void Hide();
  void SetAlphaBlend();
  void SetAlphaBlend2();
  void CheckFormAlpha(int AFormAlpha, bool AUpdate);
  void SetActive(bool AValue, bool AUpdate);
  // The border box of a form at (L, T) of size W x H.
  TRect BoxOf(int L, int T, int W, int H) const;
  void CreateBorderImages(int W, int H);

  TbsBusinessSkinForm* BSF;
  forms::TCustomForm* FForm = nullptr;
  TbsSkinData* FSD = nullptr;
  TbsDataSkinLayerFrame* FData = nullptr;
  bool FVisible = false;
  std::unique_ptr<TbsBitmap> FSourceBitmap, FSourceInActiveBitMap;
  std::unique_ptr<TbsBitmap> LeftImage, TopImage, RightImage, BottomImage;
  TbsFormLayerWindow* LeftBorder = nullptr;
  TbsFormLayerWindow* TopBorder = nullptr;
  TbsFormLayerWindow* RightBorder = nullptr;
  TbsFormLayerWindow* BottomBorder = nullptr;
  int FWidth = 0, FHeight = 0;
  int LeftSize = 0, TopSize = 0, RightSize = 0, BottomSize = 0;
  bool FActive = true;
  int FCurrentAlphaBlendValue = -1, FCurrentInActiveAlphaBlendValue = 0;

 private:
  void FreeWindows();
  void PlaceWindows(int X, int Y, int AWidth, int AHeight, bool Raise);
  void PushStrips();
};

}  // namespace skin
