// Shared fixture of the skinned-control tests: a headless window system on
// the fake clock, a shown form, and two skins: a small made-up one whose
// looks are flat colours (so a sample pixel names the look drawn) and the
// stored skins of the program.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/forms/FormRender.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "resources/tvlResources.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"

#include "tests/support/Looks.h"

namespace skinctltest {

using namespace skin;
using forms::TForm;

// Colours of the made-up skin's looks (0x00BBGGRR).
constexpr rtl::TColor kNormal = 0x0000C0, kHot = 0x00C000, kDown = 0xC00000, kDisabled = 0x808080,
                      kFocused = 0xC0C000, kPanel = 0x40A0A0, kPanelBorder = 0x202060;

inline std::uint32_t Bgra(rtl::TColor c) {
  return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Adds a picture to a skin: a strip of 20 x 20 squares, one colour each,
// each with a one-pixel border of the darker colour border.
inline void AddSquares(TbsSkinData& sd, const std::vector<rtl::TColor>& colours, rtl::TColor border) {
  const int w = 20 * int(colours.size()), h = 20;
  std::vector<std::uint32_t> px(std::size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int lx = x % 20;
      const bool edge = lx == 0 || lx == 19 || y == 0 || y == 19;
      px[std::size_t(y) * w + x] = Bgra(edge ? border : colours[x / 20]);
    }
  auto bmp = MakeBmpFile(w, h, 32, px);
  auto pic = std::make_unique<TbsSkinPicture>();
  pic->LoadFromBytes(bmp.data(), bmp.size());
  sd.ActivePictures().push_back(std::move(pic));
}

template <class D>
D* AddNinePart(TbsSkinData& sd, const char16_t* name, int picture, int square) {
  auto d = std::make_unique<D>(name);
  d->PictureIndex = picture;
  d->SkinRect = {20 * square, 0, 20 * square + 20, 20};
  d->LTPoint = {3, 3};
  d->RTPoint = {17, 3};
  d->LBPoint = {3, 17};
  d->RBPoint = {17, 17};
  d->ClRect = {3, 3, 17, 17};
  D* raw = d.get();
  sd.CtrlList.push_back(std::move(d));
  return raw;
}

inline rtl::TRect Square(int i) { return {20 * i, 0, 20 * i + 20, 20}; }

// "button" and "toolbutton": squares normal, hot, down, disabled, focused;
// "panel": one square; "fixed": a fixed-size 20 x 20 control; "wide": width only.
inline void MakeTestSkin(TbsSkinData& sd, bool morphing) {
  AddSquares(sd, {kNormal, kHot, kDown, kDisabled, kFocused}, 0x000000);
  AddSquares(sd, {kPanel}, kPanelBorder);
  for (const char16_t* n : {u"button", u"toolbutton"}) {
    auto* b = AddNinePart<TbsDataSkinButtonControl>(sd, n, 0, 0);
    b->ActiveSkinRect = Square(1);
    b->DownSkinRect = Square(2);
    b->DisabledSkinRect = Square(3);
    b->Morphing = morphing;
    b->FontColor = 0xFFFFFF;
    b->ActiveFontColor = 0xFFFFFF;
    b->DownFontColor = 0xFFFFFF;
    b->DisabledFontColor = 0xFFFFFF;
  }
  auto* p = AddNinePart<TbsDataSkinPanelControl>(sd, u"panel", 1, 0);
  p->FontColor = 0;
  auto* f = AddNinePart<TbsDataSkinCustomControl>(sd, u"fixed", 0, 0);
  f->LTPoint = f->RTPoint = f->LBPoint = f->RBPoint = {};
  auto* wd = AddNinePart<TbsDataSkinCustomControl>(sd, u"wide", 0, 1);
  wd->LBPoint = wd->RBPoint = {};
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

// Indexes of the stored skins by name.
inline int StoredIndex(const std::u16string& name) {
  for (int i = 0; i < resources::StoredSkinCount(); ++i)
    if (resources::StoredSkinName(i) == name) return i;
  return -1;
}

class SkinControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    form = new TForm(forms::Application);
    form->SetBounds(100, 100, 400, 300);
    form->AfterConstruction();
    form->Show();
    Pump();
  }
  void TearDown() override {
    delete form;
    sd.reset();
    forms::DoneForms();
    win::ShutdownWindowSystem();
  }

  TbsSkinData& Skin(bool morphing = false) {
    sd = std::make_unique<TbsSkinData>(nullptr);
    MakeTestSkin(*sd, morphing);
    return *sd;
  }

  template <class T>
  T* Make(forms::TWinControl* parent, int x, int y, int w, int h, const char16_t* caption = u"") {
    T* c = new T(form);
    c->SetBounds(x, y, w, h);
    c->SetCaption(caption);
    c->SetParent(parent);
    return c;
  }

  int Pump() { return win::headless::Pump(); }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 10) {
      win::headless::AdvanceClock(10);
      Pump();
    }
  }
  win::POINT Scr(forms::TControl* c, int x, int y) { return c->ClientToScreen({x, y}); }
  void Enter(forms::TControl* c) {
    win::headless::MouseMove(Scr(c, c->Width() / 2, c->Height() / 2));
    Pump();
  }
  void Leave() {
    win::headless::MouseMove(form->ClientToScreen({form->ClientWidth() - 2, form->ClientHeight() - 2}));
    Pump();
  }
  void Down(forms::TControl* c) {
    Enter(c);
    win::headless::MouseDown(Scr(c, c->Width() / 2, c->Height() / 2));
    Pump();
  }
  void Up(forms::TControl* c, int x, int y) {
    win::headless::MouseUp(Scr(c, x, y));
    Pump();
  }
  void Up(forms::TControl* c) { Up(c, c->Width() / 2, c->Height() / 2); }
  void Key(int vk) {
    win::headless::PressKey(vk);
    Pump();
  }

  // The form's client area as painted now; a pixel of it at a control's point.
  std::uint32_t PixelAt(forms::TControl* c, int x, int y) {
    forms::TControl* top = c;
    int ox = x, oy = y;
    while (top->Parent() && top->Parent() != form) {
      ox += top->Left();
      oy += top->Top();
      top = top->Parent();
    }
    ox += top->Left();
    oy += top->Top();
    gdi::TBitmap b(form->ClientWidth(), form->ClientHeight());
    form->PaintTo(b.Canvas()->Handle(), 0, 0);
    return b.GetSurface()->GetPixel(ox, oy) & 0xFFFFFF;
  }
  static std::uint32_t Rgb(rtl::TColor c) { return Bgra(c) & 0xFFFFFF; }

  // A gallery: for the plain look and four stored skins, a fresh form built
  // by Build (skin nullptr for the plain look), shown, posed by Pose and
  // written to TVL_TEST_PICTURES (else the working folder) as
  // Prefix_plain.png, Prefix_metal.png ...; a stored skin lacking one of the
  // Needed descriptions is a failure. Check (when given) then asserts the
  // looks of the posed form by its pixels, given the look's name; last,
  // every shown control of a skinned form must differ from the same control
  // in the plain look (a control left plain under a skin fails), except the
  // controls Plain names (by the form's control order, the caption or the
  // class) as drawn alike on purpose.
  void RenderGallery(const std::string& Prefix, std::initializer_list<const char16_t*> Needed,
                     const std::function<void(TbsSkinData*)>& Build, const std::function<void()>& Pose,
                     const std::function<void(const std::string&)>& Check = {},
                     const std::function<bool(forms::TControl*)>& Plain = {}) {
    const struct {
      std::u16string skin;
      std::string name;
    } looks[] = {{u"", "plain"}, {u"金属光泽", "metal"}, {u"OFFICE2007蓝色", "office2007blue"}, {u"Mac风格", "mac"}, {u"Ampix效果", "ampix"}};
    const char* dir = std::getenv("TVL_TEST_PICTURES");
    std::vector<testsupport::TShot> plain;
    for (const auto& l : looks) {
      SCOPED_TRACE(Prefix + " " + l.name);
      std::unique_ptr<TbsCompressedStoredSkin> stored;
      if (!l.skin.empty()) {
        const int i = StoredIndex(l.skin);
        ASSERT_GE(i, 0);
        stored = StoredFrom(i);
        sd = std::make_unique<TbsSkinData>(nullptr);
        sd->LoadCompressedStoredSkin(stored.get());
        for (const char16_t* n : Needed)
          if (sd->GetControlIndex(n) < 0) ADD_FAILURE() << rtl::StringToUtf8(l.skin) << " lacks " << rtl::StringToUtf8(n);
      }
      delete form;
      form = new TForm(forms::Application);
      form->AfterConstruction();
      Build(l.skin.empty() ? nullptr : sd.get());
      form->Show();
      Pump();
      Pose();
      if (Check) Check(l.name);
      std::vector<testsupport::TControlShot> shots;
      testsupport::ShotsOfControls(form, shots);
      if (l.skin.empty()) {
        for (const auto& c : shots) plain.push_back(c.Picture);
      } else {
        EXPECT_EQ(shots.size(), plain.size()) << "the same controls in every look";
        for (std::size_t i = 0; i < shots.size() && i < plain.size(); ++i) {
          forms::TControl* c = shots[i].Control;
          if (c->Width() < 4 || c->Height() < 4 || (Plain && Plain(c))) continue;
          EXPECT_GT(testsupport::Changed(shots[i].Picture, plain[i]), 0.0)
              << "control " << i << " (" << typeid(*c).name() << " \"" << rtl::StringToUtf8(c->Caption())
              << "\") looks as in the plain look";
        }
      }
      const std::string path = std::string(dir ? dir : ".") + "/" + Prefix + "_" + l.name + ".png";
      EXPECT_TRUE(forms::RenderToPng(form, path)) << path;
      delete form;
      form = nullptr;
      sd.reset();
      form = new TForm(forms::Application);
    }
  }

  TForm* form = nullptr;
  std::unique_ptr<TbsSkinData> sd;
  std::vector<std::string> log;
  rtl::TNotifyEvent Logger(const std::string& s) {
    return [this, s](rtl::TObject*) { log.push_back(s); };
  }
  forms::TMouseEvent MouseLogger(const std::string& s) {
    return [this, s](rtl::TObject*, forms::TMouseButton, forms::TShiftState, int, int) { log.push_back(s); };
  }
};

}  // namespace skinctltest
