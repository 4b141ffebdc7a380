// The icons of the shell controls, drawn once at run time: folder, open
// folder, drive, computer, desktop, and files by kind (video, audio, picture,
// other), in the order of shell::TShellIconKind.
#include "platform/forms/ImgList.h"
#include "platform/gdi/Bitmap.h"
#include "platform/shell/ShellNamespace.h"
#include "skin/shell/bsSkinShellCtrls.h"

namespace skin {
namespace {

using rtl::TPoint;

constexpr rtl::TColor kMask = 0xFF00FF;

// Draws one icon of kind K into a size x size cell at (ox, 0).
void DrawIcon(gdi::TCanvas* c, int ox, int size, shell::TShellIconKind k) {
  const double s = size / 16.0;
  auto P = [&](double x, double y) { return TPoint{ox + int(x * s + 0.5), int(y * s + 0.5)}; };
  auto Box = [&](double l, double t, double r, double b, rtl::TColor fill, rtl::TColor line) {
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(line);
    const TPoint a = P(l, t), z = P(r, b);
    c->Rectangle(a.X, a.Y, z.X, z.Y);
  };
  auto Poly = [&](std::initializer_list<std::pair<double, double>> pts, rtl::TColor fill, rtl::TColor line) {
    std::vector<TPoint> v;
    for (auto& p : pts) v.push_back(P(p.first, p.second));
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(line);
    c->Polygon(v);
  };
  auto Page = [&](rtl::TColor band) {
    Poly({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}}, 0xFFFFFF, 0x606060);
    Poly({{10, 1}, {10, 4}, {13, 4}}, 0xD8D8D8, 0x606060);
    if (band != kMask) Box(4, 7, 12.5, 14, band, band);
  };
  c->Brush()->SetStyle(gdi::bsSolid);
  switch (k) {
    case shell::ikFolder:
      Poly({{1, 3}, {6, 3}, {7, 5}, {15, 5}, {15, 14}, {1, 14}}, 0x3CB4E8, 0x1A6FA0);
      Box(1, 6, 15, 14, 0x5CCCF8, 0x1A6FA0);
      break;
    case shell::ikFolderOpen:
      Poly({{1, 3}, {6, 3}, {7, 5}, {13, 5}, {13, 14}, {1, 14}}, 0x3CB4E8, 0x1A6FA0);
      Poly({{3, 8}, {16, 8}, {13, 14}, {1, 14}}, 0x80DCFC, 0x1A6FA0);
      break;
    case shell::ikDrive:
      Box(1, 6, 15, 12, 0xC8C8C8, 0x505050);
      Box(2, 10, 14, 11, 0x909090, 0x909090);
      Box(11, 7, 13, 8.5, 0x00C000, 0x008000);
      break;
    case shell::ikComputer:
      Box(1, 1, 15, 11, 0xE0E0E0, 0x404040);
      Box(2.5, 2.5, 13.5, 9.5, 0x9E5A1E, 0x9E5A1E);
      Box(6, 11, 10, 13, 0x808080, 0x404040);
      Box(3, 13, 13, 15, 0xC0C0C0, 0x404040);
      break;
    case shell::ikDesktop:
      Box(1, 2, 15, 13, 0xC08040, 0x603010);
      Box(2, 10, 14, 12, 0x60A060, 0x60A060);
      Box(3, 4, 6, 7, 0x3CB4E8, 0x1A6FA0);
      break;
    case shell::ikVideo:
      Page(0x303030);
      for (int i = 0; i < 3; ++i) Box(4.5 + i * 3, 7.5, 5.5 + i * 3, 8.5, 0xFFFFFF, 0xFFFFFF);
      Poly({{7, 9.5}, {10, 11}, {7, 12.5}}, 0x2020E0, 0x2020E0);
      break;
    case shell::ikAudio:
      Page(kMask);
      Box(6, 6, 7, 12, 0xA03070, 0xA03070);
      Box(6, 6, 11, 7, 0xA03070, 0xA03070);
      Box(10, 6, 11, 11, 0xA03070, 0xA03070);
      c->Brush()->SetColor(0xA03070);
      c->Pen()->SetColor(0xA03070);
      c->Ellipse(P(4, 11).X, P(4, 11).Y, P(7, 14).X, P(7, 14).Y);
      c->Ellipse(P(8, 10).X, P(8, 10).Y, P(11, 13).X, P(11, 13).Y);
      break;
    case shell::ikPicture:
      Page(0xF0C890);
      Poly({{4, 14}, {7, 9}, {10, 14}}, 0x40A040, 0x40A040);
      Poly({{8, 14}, {10, 11}, {12.5, 14}}, 0x308030, 0x308030);
      c->Brush()->SetColor(0x00D0F0);
      c->Pen()->SetColor(0x00A0C0);
      c->Ellipse(P(9.5, 7.5).X, P(9.5, 7.5).Y, P(12, 10).X, P(12, 10).Y);
      break;
    default:
      Page(kMask);
      for (int i = 0; i < 4; ++i) Box(5, 6 + i * 2, 11, 6.5 + i * 2, 0xA0A0A0, 0xA0A0A0);
      break;
  }
}

forms::TCustomImageList* Make(int size) {
  constexpr int kCount = shell::ikPicture + 1;
  auto* list = new forms::TImageList(nullptr);
  list->SetSize(size, size);
  gdi::TBitmap strip(size * kCount, size);
  strip.Canvas()->Brush()->SetColor(kMask);
  strip.Canvas()->FillRect({0, 0, size * kCount, size});
  for (int i = 0; i < kCount; ++i) DrawIcon(strip.Canvas(), i * size, size, shell::TShellIconKind(i));
  list->AddMasked(&strip, kMask);
  return list;
}

}  // namespace

// Made on first use and kept for the life of the process (shared by every view).
forms::TCustomImageList* ShellSmallImages() {
  static forms::TCustomImageList* list = Make(16);
  return list;
}

forms::TCustomImageList* ShellLargeImages() {
  static forms::TCustomImageList* list = Make(32);
  return list;
}

}  // namespace skin
