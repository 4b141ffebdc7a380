// The eleven stored skins: each loads through the skin data classes with a
// description of every kind the program's windows use, every rectangle it
// names lies inside its picture, and its container round-trips byte for byte.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/rtl/Strings.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "tools/tvlSkinRects.h"

namespace {

using namespace skin;
using rtl::TRect;

std::unique_ptr<TbsCompressedStoredSkin> StoredFrom(const resources::TResource& r) {
  auto stored = std::make_unique<TbsCompressedStoredSkin>(nullptr);
  rtl::TMemoryStream in;
  in.WriteBuffer(r.Data, rtl::Int64(r.Size));
  stored->LoadFromCompressStream(in);
  return stored;
}

std::vector<std::uint8_t> Container(TbsCompressedStoredSkin& stored) {
  rtl::TMemoryStream out;
  stored.SaveToCompressStream(out);
  const auto* p = static_cast<const std::uint8_t*>(out.Memory());
  return {p, p + out.Size()};
}

std::string Name(const rtl::String& s) { return rtl::StringToUtf8(s); }

bool Inside(const TRect& r, int w, int h) {
  return r.Left >= 0 && r.Top >= 0 && r.Right <= w && r.Bottom <= h && !r.IsEmpty();
}

class StoredSkin : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    stored_ = StoredFrom(resources::StoredSkin(GetParam()));
    ASSERT_FALSE(stored_->Empty());
    data_.LoadCompressedStoredSkin(stored_.get());
    ASSERT_FALSE(data_.Empty);
  }
  std::unique_ptr<TbsCompressedStoredSkin> stored_;
  TbsSkinData data_{nullptr};
};

TEST(StoredSkins, ElevenInTheOrderOfTheSkinChoice) {
  const char* names[] = {"OFFICE2007蓝色", "金属光泽", "银色天地", "Mac风格",   "条纹色调",  "纹理风格",
                         "Ampix效果",      "绿色世界", "深蓝色彩", "OFFICE2007", "Vista皮肤"};
  ASSERT_EQ(resources::StoredSkinCount(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(Name(resources::StoredSkinName(i)), names[i]) << i;
  EXPECT_THROW(resources::StoredSkin(11), rtl::EListError);
  EXPECT_THROW(resources::StoredSkinName(-1), rtl::EListError);
}

TEST(StoredSkins, EachLooksItsOwn) {
  // Distinct skins: no two share their control picture.
  std::set<std::vector<std::uint8_t>> controls;
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    auto stored = StoredFrom(resources::StoredSkin(i));
    TbsSkinData data(nullptr);
    data.LoadCompressedStoredSkin(stored.get());
    ASSERT_FALSE(data.ActivePictures().empty()) << i;
    controls.insert(data.ActivePictures()[0]->Data());
  }
  EXPECT_EQ(controls.size(), 11u);
}

TEST_P(StoredSkin, DescribesEveryKindTheWindowsUse) {
  const std::pair<const char16_t*, const char16_t*> controls[] = {
      {u"button", u"button"},          {u"resizebutton", u"button"},       {u"toolbutton", u"button"},
      {u"resizetoolbutton", u"button"}, {u"toolmenubutton", u"menubutton"}, {u"panel", u"panel"},
      {u"groupbox", u"panel"},         {u"toolpanel", u"panel"},           {u"resizetoolpanel", u"panel"},
      {u"statusbar", u"panel"},        {u"checkbox", u"checkradio"},       {u"radiobox", u"checkradio"},
      {u"stdlabel", u"stdlabel"},      {u"label", u"label"},               {u"menuheader", u"label"},
      {u"edit", u"edit"},              {u"buttonedit", u"edit"},           {u"memo", u"memo"},
      {u"spinedit", u"spinedit"},      {u"combobox", u"combobox"},         {u"listbox", u"listbox"},
      {u"hscrollbar", u"scrollbar"},   {u"vscrollbar", u"scrollbar"},      {u"bothhscrollbar", u"scrollbar"},
      {u"listview", u"listview"},      {u"treeview", u"treeview"},         {u"slider", u"slider"},
      {u"tab", u"tab"},                {u"hupdown", u"updown"},            {u"vupdown", u"updown"},
      {u"vsplitter", u"splitter"},     {u"hsplitter", u"splitter"},        {u"scrollbox", u"scrollbox"},
      {u"mainmenubar", u"mainmenubar"}, {u"gauge", u"gauge"}, {u"resizetoolbuttonheader", u"button"}};
  for (const auto& [name, kind] : controls) {
    const int i = data_.GetControlIndex(name);
    ASSERT_GE(i, 0) << Name(name);
    EXPECT_EQ(SkinControlKind(*data_.CtrlList[size_t(i)]), kind) << Name(name);
  }
  const std::pair<const char16_t*, const char16_t*> objects[] = {
      {u"caption", u"caption"},       {u"closebutton", u"stdbutton"},  {u"maxbutton", u"stdbutton"},
      {u"minbutton", u"stdbutton"},   {u"rollupbutton", u"stdbutton"}, {u"traybutton", u"stdbutton"},
      {u"sysmenubutton", u"stdbutton"}, {u"menuitem", u"menuitem"},   {u"mainmenubaritem", u"mainmenubaritem"}};
  for (const auto& [name, kind] : objects) {
    const int i = data_.GetIndex(name);
    ASSERT_GE(i, 0) << Name(name);
    EXPECT_EQ(SkinObjectKind(*data_.ObjectList[size_t(i)]), kind) << Name(name);
  }
  EXPECT_NE(data_.PopupWindow->WindowPictureIndex, -1);
  EXPECT_NE(data_.HintWindow->WindowPictureIndex, -1);
  EXPECT_EQ(data_.LayerFrame->PictureIndex != -1, GetParam() == 3) << "only Mac风格 has a layer frame";
  EXPECT_FALSE(data_.Picture().Empty());
  EXPECT_FALSE(data_.Mask().Empty());
}

// Mac风格 gives every bordered window a click-through shadow: a picture with
// its mask, no inactive picture, the window's rectangle left clear.
TEST(StoredSkins, MacSkinHasTheShadowLayerFrame) {
  auto stored = StoredFrom(resources::StoredSkin(3));
  TbsSkinData data(nullptr);
  data.LoadCompressedStoredSkin(stored.get());
  const TbsDataSkinLayerFrame& lf = *data.LayerFrame;
  ASSERT_NE(lf.PictureIndex, -1);
  ASSERT_NE(lf.MaskPictureIndex, -1);
  EXPECT_EQ(lf.InActivePictureIndex, -1);
  EXPECT_EQ(lf.LTPoint, (rtl::TPoint{40, 37}));
  EXPECT_EQ(lf.RTPoint, (rtl::TPoint{152, 37}));
  EXPECT_EQ(lf.LBPoint, (rtl::TPoint{45, 123}));
  EXPECT_EQ(lf.RBPoint, (rtl::TPoint{146, 123}));
  EXPECT_EQ(lf.ClRect, (TRect{27, 24, 164, 132}));
  EXPECT_EQ(lf.AlphaBlendValue, 120);
  EXPECT_EQ(lf.InActiveAlphaBlendValue, 100);
  EXPECT_TRUE(lf.BorderRect.IsEmpty());
  EXPECT_FALSE(lf.HitTestEnable);
  const auto& pics = data.ActivePictures();
  ASSERT_LT(size_t(lf.MaskPictureIndex), pics.size());
  TbsSkinPicture& pic = *pics[size_t(lf.PictureIndex)];
  TbsSkinPicture& mask = *pics[size_t(lf.MaskPictureIndex)];
  ASSERT_EQ(pic.Width(), mask.Width());
  ASSERT_EQ(pic.Height(), mask.Height());
  EXPECT_GT(pic.Width(), lf.ClRect.Right);
  EXPECT_GT(pic.Height(), lf.ClRect.Bottom);
  const std::vector<std::uint32_t> px = mask.ToPixels();
  auto grey = [&](int x, int y) { return int(px[size_t(y * mask.Width() + x)] & 0xFF); };
  EXPECT_EQ(grey(95, 80), 0) << "the window's own rectangle is clear";
  EXPECT_EQ(grey(27, 24), 0);
  EXPECT_GT(grey(25, 80), 150) << "dark right beside the window";
  EXPECT_GT(grey(95, 134), grey(95, 22)) << "heavier below than above";
  EXPECT_LT(grey(1, 1), 10) << "fading out at the picture's corner";
}

// Two skins glow around their caption buttons and push buttons: each glow
// names a picture and a mask of the same size, clear where the button lies.
TEST(StoredSkins, MacAndVistaGlowAroundTheirButtons) {
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    auto stored = StoredFrom(resources::StoredSkin(i));
    TbsSkinData data(nullptr);
    data.LoadCompressedStoredSkin(stored.get());
    const bool glows = i == 3 || i == 10;
    const auto& pics = data.ActivePictures();
    auto checkPair = [&](int p, int m, int ox, int oy, const std::string& who) {
      ASSERT_LT(size_t(p), pics.size()) << who;
      ASSERT_LT(size_t(m), pics.size()) << who;
      TbsSkinPicture& mask = *pics[size_t(m)];
      EXPECT_EQ(pics[size_t(p)]->Width(), mask.Width()) << who;
      const std::vector<std::uint32_t> px = mask.ToPixels();
      auto grey = [&](int x, int y) { return int(px[size_t(y * mask.Width() + x)] & 0xFF); };
      EXPECT_EQ(grey(mask.Width() / 2, mask.Height() / 2), 0) << who << ": the button itself stays clear";
      EXPECT_GT(grey(mask.Width() / 2, oy - 1), 100) << who << ": the halo touches the button";
      EXPECT_LT(grey(mask.Width() / 2, 0), grey(mask.Width() / 2, oy - 1)) << who << ": and fades outwards";
      EXPECT_GT(ox, 0) << who;
    };
    int captionGlows = 0;
    for (const auto& o : data.ObjectList)
      if (auto* b = dynamic_cast<const TbsDataSkinStdButton*>(o.get()); b && b->GlowLayerPictureIndex != -1) {
        ++captionGlows;
        checkPair(b->GlowLayerPictureIndex, b->GlowLayerMaskPictureIndex, b->GlowLayerOffsetX, b->GlowLayerOffsetY,
                  std::to_string(i) + " " + Name(b->IDName));
      }
    EXPECT_EQ(captionGlows, glows ? 5 : 0) << i << ": every caption button but the system button";
    auto* button = dynamic_cast<TbsDataSkinButtonControl*>(data.CtrlList[size_t(data.GetControlIndex(u"button"))].get());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GlowLayerPictureIndex != -1, glows) << i;
    if (glows)
      checkPair(button->GlowLayerPictureIndex, button->GlowLayerMaskPictureIndex, button->GlowLayerShowOffsetX,
                button->GlowLayerShowOffsetY, std::to_string(i) + " button");
  }
}

TEST_P(StoredSkin, StatesAreComplete) {
  // Buttons have every state, each the size of the normal image; caption
  // buttons have hot, pressed, inactive and disabled images.
  for (const auto& c : data_.CtrlList)
    if (auto* b = dynamic_cast<const TbsDataSkinButtonControl*>(c.get()))
      for (const TRect& r : {b->ActiveSkinRect, b->DownSkinRect, b->FocusedSkinRect, b->DisabledSkinRect}) {
        EXPECT_EQ(r.Width(), b->SkinRect.Width()) << Name(b->IDName);
        EXPECT_EQ(r.Height(), b->SkinRect.Height()) << Name(b->IDName);
      }
  for (const auto& o : data_.ObjectList)
    if (auto* b = dynamic_cast<const TbsDataSkinStdButton*>(o.get()))
      for (const TRect& r : {b->ActiveSkinRect, b->DownRect, b->InActiveSkinRect, b->DisableSkinRect}) {
        EXPECT_EQ(r.Width(), b->SkinRect.Width()) << Name(b->IDName);
        EXPECT_EQ(r.Height(), b->SkinRect.Height()) << Name(b->IDName);
      }
}

TEST_P(StoredSkin, EveryRectangleLiesInsideItsPicture) {
  const auto& pics = data_.ActivePictures();
  auto check = [&](const std::string& who, const tools::NamedRect& r, const TRect& own) {
    int w = 0, h = 0;
    if (r.Picture == tools::kRelative) {
      w = own.Width(), h = own.Height();
    } else if (r.Picture == tools::kFramePicture) {
      w = data_.Picture().Width(), h = data_.Picture().Height();
    } else {
      ASSERT_LT(size_t(r.Picture), pics.size()) << who << " " << r.Key;
      w = pics[size_t(r.Picture)]->Width(), h = pics[size_t(r.Picture)]->Height();
    }
    EXPECT_TRUE(Inside(r.Rect, w, h)) << who << " " << r.Key << " (" << r.Rect.Left << "," << r.Rect.Top << ","
                                      << r.Rect.Right << "," << r.Rect.Bottom << ") in " << w << "x" << h;
  };
  for (const auto& c : data_.CtrlList)
    for (const auto& r : tools::ControlRects(*c)) check(Name(c->IDName), r, c->SkinRect);
  for (const auto& o : data_.ObjectList)
    for (const auto& r : tools::ObjectRects(*o)) check(Name(o->IDName), r, o->SkinRect);
  // The frame geometry.
  const int fw = data_.Picture().Width(), fh = data_.Picture().Height();
  EXPECT_TRUE(Inside(data_.ClRect, fw, fh));
  EXPECT_TRUE(Inside(data_.CaptionRect, fw, fh));
  EXPECT_TRUE(Inside(data_.MaskRectArea, fw, fh));
  EXPECT_EQ(data_.Mask().Width(), fw);
  EXPECT_EQ(data_.Mask().Height(), fh);
  for (const auto* window : {&data_.PopupWindow->ItemsRect, &data_.HintWindow->ClRect}) {
    const int index = window == &data_.PopupWindow->ItemsRect ? data_.PopupWindow->WindowPictureIndex
                                                               : data_.HintWindow->WindowPictureIndex;
    EXPECT_TRUE(Inside(*window, pics[size_t(index)]->Width(), pics[size_t(index)]->Height()));
  }
}

TEST_P(StoredSkin, HeaderSectionsShowASeparatorWhereToolFacesStayFlat) {
  auto face = [&](const char16_t* name) {
    auto* d = dynamic_cast<const TbsDataSkinButtonControl*>(data_.CtrlList[size_t(data_.GetControlIndex(name))].get());
    const auto& pic = *data_.ActivePictures()[size_t(d->PictureIndex)];
    const std::vector<std::uint32_t> px = pic.ToPixels();
    const TRect r = d->SkinRect;
    return [px, r, w = pic.Width()](int x, int y) { return px[size_t((r.Top + y) * w + r.Left + x)] & 0xFFFFFF; };
  };
  auto luma = [](std::uint32_t c) { return int(c >> 16 & 0xFF) + int(c >> 8 & 0xFF) + int(c & 0xFF); };
  const auto* header = dynamic_cast<const TbsDataSkinButtonControl*>(
      data_.CtrlList[size_t(data_.GetControlIndex(u"resizetoolbuttonheader"))].get());
  ASSERT_NE(header, nullptr);
  const int w = header->SkinRect.Width(), h = header->SkinRect.Height();
  auto hp = face(u"resizetoolbuttonheader");
  // The right column stands apart from the middle, inside the right part that
  // the nine-part composition keeps unstretched.
  EXPECT_GT(std::abs(luma(hp(w - 1, h / 2)) - luma(hp(w / 2, h / 2))), 60);
  EXPECT_LE(header->RTPoint.X, w - 1);
  // The tool face itself keeps no such line.
  const auto* tool = dynamic_cast<const TbsDataSkinButtonControl*>(
      data_.CtrlList[size_t(data_.GetControlIndex(u"resizetoolbutton"))].get());
  auto tp = face(u"resizetoolbutton");
  const int tw = tool->SkinRect.Width(), th = tool->SkinRect.Height();
  EXPECT_LT(std::abs(luma(tp(tw - 1, th / 2)) - luma(tp(tw / 2, th / 2))), 30);
}

TEST_P(StoredSkin, NinePartGeometryIsUsable) {
  for (const auto& c : data_.CtrlList) {
    auto* d = dynamic_cast<const TbsDataSkinCustomControl*>(c.get());
    if (!d || d->SkinRect.IsEmpty() || dynamic_cast<const TbsDataSkinUpDownControl*>(d)) continue;
    const int w = d->SkinRect.Width(), h = d->SkinRect.Height();
    const std::string who = Name(d->IDName);
    if (d->RBPoint.X != 0 && d->RBPoint.Y != 0) {  // both ways
      EXPECT_LT(d->LTPoint.X, d->RTPoint.X) << who;
      EXPECT_LE(d->RTPoint.X, w) << who;
      EXPECT_LT(d->LTPoint.Y, d->LBPoint.Y) << who;
      EXPECT_LE(d->LBPoint.Y, h) << who;
      EXPECT_FALSE(d->ClRect.IsEmpty()) << who;
    } else if (d->RTPoint.X != 0) {  // along x
      EXPECT_LT(d->LTPoint.X, d->RTPoint.X) << who;
    } else {
      EXPECT_LT(d->LTPoint.Y, d->LBPoint.Y) << who;
    }
  }
}

TEST_P(StoredSkin, ContainerRoundTripsByteForByte) {
  const auto& r = resources::StoredSkin(GetParam());
  const std::vector<std::uint8_t> original(r.Data, r.Data + r.Size);
  EXPECT_EQ(Container(*stored_), original);
  // Repacking what the reader loaded gives the same container again: the
  // reader kept every picture and key the writer wrote.
  TbsCompressedStoredSkin repacked(nullptr);
  repacked.LoadFromSkinData(&data_);
  EXPECT_EQ(Container(repacked), original);
}

INSTANTIATE_TEST_SUITE_P(All, StoredSkin, ::testing::Range(0, 11));

}  // namespace
