// TIcon: an icon object (HICON) as a graphic: made from a 32-bit bitmap with
// alpha (or a bitmap and a mask), read from and written to .ico files, drawn
// with DrawIconEx. A form's Icon goes to its window (WM_SETICON), so the
// display shows it.
//
// The icon owns its handle. GUI thread, or one thread at a time.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/win/WinApi.h"

namespace forms {

class TIcon : public gdi::TGraphic {
 public:
  TIcon();
  ~TIcon() override;

  void Assign(rtl::TPersistent* source) override;
  bool Empty() const override { return handle_ == nullptr; }
  int Width() const override;
  int Height() const override;
  // An icon's size comes from its picture: setting it raises EInvalidGraphicOperation.
  void SetWidth(int w) override;
  void SetHeight(int h) override;
  // .ico files: the largest image is read (32-bit, 24-bit with mask, or
  // PNG-compressed); writing stores one 32-bit image with its mask.
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
  void Draw(gdi::TCanvas* canvas, const rtl::TRect& r) override;

  win::HICON Handle() const { return handle_; }
  // Takes ownership of the handle (nullptr empties the icon).
  void SetHandle(win::HICON h);
  // Gives the handle away: the icon is empty afterwards.
  win::HICON ReleaseHandle();
  // From a bitmap: a 32-bit one's alpha is the icon's; otherwise `mask` (non-black
  // pixels transparent) or, without one, every pixel shows.
  void LoadFromBitmap(gdi::TBitmap* image, gdi::TBitmap* mask = nullptr);
  // The icon's pixels as a 32-bit bitmap with straight alpha.
  void SaveToBitmap(gdi::TBitmap* out) const;

 private:
  win::HICON handle_ = nullptr;
};

}  // namespace forms
