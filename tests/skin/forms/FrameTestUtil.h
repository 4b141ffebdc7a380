// Shared fixture of the frame tests: a headless window system on the fake
// clock (1280 x 1024 screen, work area 1280 x 984), a form with a frame, and
// a small made-up skin whose frame picture is 400 x 300 with flat colours.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace frametest {

using namespace skin;
using forms::TForm;

// Colours (0x00BBGGRR) of the made-up skin.
constexpr rtl::TColor kFrame = 0x00603010, kClient = 0x00E0E0C0, kNormal = 0x000000C0, kHot = 0x0000C000,
                      kDown = 0x00C00000;

inline std::uint32_t Bgra(rtl::TColor c) {
  return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}
inline std::uint32_t Rgb(rtl::TColor c) { return Bgra(c) & 0xFFFFFF; }

inline void LoadPicture(TbsSkinPicture& pic, int w, int h, const std::vector<std::uint32_t>& px) {
  auto bmp = MakeBmpFile(w, h, 32, px);
  pic.LoadFromBytes(bmp.data(), bmp.size());
}

// A frame picture of 400 x 300 (client rectangle (5, 30, 395, 295) in its
// own colour), a mask that cuts a triangle of 6 pixels off each corner, an
// active picture of three 20 x 20 squares (normal, hot, down), a caption
// object and five standard buttons laid out in the caption rectangle.
inline void MakeFrameSkin(TbsSkinData& sd, bool morphing = false) {
  const int W = 400, H = 300;
  std::vector<std::uint32_t> px(std::size_t(W) * H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      px[std::size_t(y) * W + x] = Bgra(x >= 5 && x < 395 && y >= 30 && y < 295 ? kClient : kFrame);
  LoadPicture(sd.Picture(), W, H, px);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      int cx = std::min(x, W - 1 - x), cy = std::min(y, H - 1 - y);
      px[std::size_t(y) * W + x] = cx + cy < 6 ? 0xFFFFFFFF : 0xFF000000;
    }
  LoadPicture(sd.Mask(), W, H, px);
  std::vector<std::uint32_t> sq(60 * 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) sq[std::size_t(y) * 60 + x] = Bgra(x < 20 ? kNormal : x < 40 ? kHot : kDown);
  auto pic = std::make_unique<TbsSkinPicture>();
  LoadPicture(*pic, 60, 20, sq);
  sd.ActivePictures().push_back(std::move(pic));

  sd.LTPoint = {20, 30};
  sd.RTPoint = {380, 30};
  sd.LBPoint = {20, 280};
  sd.RBPoint = {380, 280};
  sd.ClRect = {5, 30, 395, 295};
  sd.CaptionRect = {20, 5, 380, 25};
  sd.ButtonsOffset = 2;
  sd.HitTestLTPoint = {15, 15};
  sd.HitTestRTPoint = {385, 15};
  sd.HitTestLBPoint = {15, 285};
  sd.HitTestRBPoint = {385, 285};
  sd.MaskRectArea = {10, 10, 390, 290};
  sd.BorderW = 4;
  sd.TopStretch = sd.LeftStretch = sd.RightStretch = sd.BottomStretch = false;

  auto cap = std::make_unique<TbsDataSkinCaption>(u"caption");
  cap->SkinRect = {20, 5, 380, 25};
  cap->TextRct = {0, 0, 360, 20};
  cap->FontName = u"Arial";
  cap->FontHeight = 14;
  cap->FontColor = 0xC0C0C0;
  cap->ActiveFontColor = 0xFFFFFF;
  cap->Alignment = taCenter;
  sd.ObjectList.push_back(std::move(cap));
  struct B {
    const char16_t* name;
    TbsStdCommand cmd;
  };
  for (B b : {B{u"closebutton", cmClose}, B{u"maxbutton", cmMaximize}, B{u"minbutton", cmMinimize},
              B{u"rollupbutton", cmRollUp}, B{u"sysmenubutton", cmSysMenu}}) {
    auto d = std::make_unique<TbsDataSkinStdButton>(b.name);
    d->Command = b.cmd;
    d->SkinRectInAPicture = true;
    d->ActivePictureIndex = 0;
    d->SkinRect = {0, 0, 20, 20};
    d->ActiveSkinRect = {20, 0, 40, 20};
    d->DownRect = {40, 0, 60, 20};
    d->Morphing = morphing;
    sd.ObjectList.push_back(std::move(d));
  }
  sd.Empty = false;
}

inline std::unique_ptr<TbsCompressedStoredSkin> StoredFrom(int index) {
  const auto& r = resources::StoredSkin(index);
  auto stored = std::make_unique<TbsCompressedStoredSkin>(nullptr);
  rtl::TMemoryStream in;
  in.WriteBuffer(r.Data, rtl::Int64(r.Size));
  stored->LoadFromCompressStream(in);
  return stored;
}

inline std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    form = new TForm(forms::Application);
    form->SetBounds(100, 100, 600, 500);
    form->SetCaption(u"Frame");
    form->AfterConstruction();
  }
  void TearDown() override {
    forms::DoneForms();
    sd.reset();
    win::ShutdownWindowSystem();
  }

  TbsBusinessSkinForm* MakeFrame(TForm* f = nullptr, bool skinned = true, bool morphing = false) {
    if (!f) f = form;
    auto* bsf = new TbsBusinessSkinForm(f);
    if (skinned) {
      if (!sd) {
        sd = std::make_unique<TbsSkinData>(nullptr);
        MakeFrameSkin(*sd, morphing);
      }
      bsf->SetSkinData(sd.get());
    }
    return bsf;
  }
  void ShowForm(TForm* f = nullptr) {
    TForm* t = f ? f : form;
    t->Show();
    win::SetForegroundWindow(t->Handle());
    Pump();
  }

  int Pump() { return win::headless::Pump(); }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 5) {
      win::headless::AdvanceClock(5);
      Pump();
    }
  }
  // A frame point of form f on the screen.
  win::POINT Scr(int x, int y, TForm* f = nullptr) {
    win::RECT r;
    win::GetWindowRect((f ? f : form)->Handle(), &r);
    return {r.Left + x, r.Top + y};
  }
  std::uint32_t FramePixel(int x, int y, TForm* f = nullptr) {
    Pump();
    const gdi::Surface* s = win::headless::BackBuffer((f ? f : form)->Handle());
    return s ? s->GetPixel(x, y) & 0xFFFFFF : 0xFFFFFFFF;
  }

  TForm* form = nullptr;
  std::unique_ptr<TbsSkinData> sd;
  std::vector<std::string> log;
};

}  // namespace frametest
