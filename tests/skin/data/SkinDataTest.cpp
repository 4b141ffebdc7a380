#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "SkinFixtures.h"
#include "skin/data/bsCompressedSkinList.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bszlibcompress.h"

namespace skin {
namespace {

using test::TempDir;

struct Received {
  std::string form;
  unsigned msg;
  bool empty;
  bool changing;
  bool operator==(const Received&) const = default;
};

// Stand-in for the application's forms: records what each form receives and
// how the skin data looked at that moment.
class RecordingForms : public IbsSkinFormRegistry {
 public:
  class Form : public IbsSkinForm {
   public:
    Form(RecordingForms* owner, std::string name, std::string cls)
        : owner_(owner), name_(std::move(name)), class_(std::move(cls)), component_(nullptr) {}
    rtl::String FormClassName() const override { return rtl::Utf8ToString(class_); }
    void SendSkinMessage(unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam) override {
      auto* data = reinterpret_cast<TbsSkinData*>(WParam);
      EXPECT_EQ(LParam, 1000);
      owner_->log.push_back({name_, Msg, data->Empty, data->ChangeSkinDataProcess});
    }
    rtl::TComponent* Component() { return &component_; }

   private:
    RecordingForms* owner_;
    std::string name_, class_;
    rtl::TComponent component_;
  };

  RecordingForms() { SetSkinFormRegistry(this); }
  ~RecordingForms() override { SetSkinFormRegistry(nullptr); }

  Form* Add(const std::string& name, const std::string& cls = "TForm1") {
    forms_.push_back(std::make_unique<Form>(this, name, cls));
    return forms_.back().get();
  }
  std::vector<IbsSkinForm*> Forms() const override {
    std::vector<IbsSkinForm*> out;
    for (const auto& f : forms_) out.push_back(f.get());
    return out;
  }
  IbsSkinForm* FormOf(const rtl::TComponent* c) const override {
    for (const auto& f : forms_)
      if (f->Component() == c) return f.get();
    return nullptr;
  }
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> m;
    for (const auto& r : log) m.push_back(r.msg);
    return m;
  }

  std::vector<Received> log;

 private:
  std::vector<std::unique_ptr<Form>> forms_;
};

const std::vector<unsigned> kChange{MSG_SKIN_CHANGING, MSG_SKIN_CHANGED, MSG_SKIN_CHANGE_DONE};

class SkinDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteSmallSkin(dir);
    forms.Add("main");
  }
  TempDir dir;
  RecordingForms forms;
};

TEST_F(SkinDataTest, LoadsASkinFromAFolderWithTheChangeProtocol) {
  TbsSkinData data(nullptr);
  EXPECT_TRUE(data.Empty);
  EXPECT_EQ(data.SkinColors().cBtnFace, 0);
  data.LoadFromFile(dir.S("skin.ini"));
  EXPECT_EQ(forms.log, (std::vector<Received>{{"main", MSG_SKIN_CHANGING, true, true},
                                              {"main", MSG_SKIN_CHANGED, false, true},
                                              {"main", MSG_SKIN_CHANGE_DONE, false, false}}));
  EXPECT_FALSE(data.Empty);
  EXPECT_EQ(data.SkinName, u"Test skin");
  EXPECT_EQ(data.Picture().Width(), 64);
  EXPECT_EQ(data.Mask().BitCount(), 8);
  EXPECT_TRUE(data.InActivePicture().Empty());
  ASSERT_EQ(data.ActivePictures().size(), 2u);
  EXPECT_EQ(data.ActivePicturesNames(), (std::vector<rtl::String>{u"controls.bmp", u"menu.bmp"}));
  EXPECT_EQ(data.ActivePictures()[1]->Height(), 12);
  // Objects and controls: unknown kinds, wrong case and two colons are skipped.
  ASSERT_EQ(data.ObjectList.size(), 3u);
  EXPECT_NE(dynamic_cast<TbsDataSkinStdButton*>(data.ObjectList[1].get()), nullptr);
  EXPECT_EQ(data.GetIndex(u"closebutton"), 1);
  ASSERT_EQ(data.CtrlList.size(), 5u);
  EXPECT_EQ(data.GetControlIndex(u"button"), 0);  // first of two "button"s
  EXPECT_NE(dynamic_cast<TbsDataSkinPanelControl*>(data.CtrlList[4].get()), nullptr);
  EXPECT_EQ(data.GetControlIndex(u"Button"), -1);
  EXPECT_EQ(data.GetControlIndex(u""), -1);
  EXPECT_EQ(data.SkinColors().cBtnFace, 12039860);
  EXPECT_EQ(data.SkinColors().cBtnText, -16777198);
  EXPECT_EQ(data.LayerFrame->PictureIndex, -1);
  EXPECT_EQ(data.HintWindow->FontHeight, 14);
  EXPECT_EQ(data.StretchType, bsstHorz);
  EXPECT_EQ(data.InActiveEffect, ieDarkness);
}

TEST_F(SkinDataTest, FormInfoAdjustmentsDependOnTheMask) {
  TbsSkinData data(nullptr);
  data.LoadFromFile(dir.S("skin.ini"));
  // With a mask: an empty mask area becomes the client rectangle, and a hit-test
  // point with a zero coordinate takes its corner point.
  EXPECT_EQ(data.MaskRectArea, (TRect{2, 25, 62, 42}));
  EXPECT_EQ(data.HitTestLTPoint, (TPoint{2, 25}));
  EXPECT_EQ(data.HitTestRBPoint, (TPoint{60, 40}));
  // Corner points are pulled into the client rectangle (after the hit-test
  // points took their values).
  std::string text = test::kSkinText;
  text.replace(text.find("lefttoppoint=2,25"), 17, "lefttoppoint=0,0");
  test::WriteFile(dir.File("corner.ini"), text);
  data.LoadFromFile(dir.S("corner.ini"));
  EXPECT_EQ(data.LTPoint, (TPoint{2, 25}));
  EXPECT_EQ(data.RTPoint, (TPoint{60, 25}));
  EXPECT_EQ(data.LBPoint, (TPoint{5, 40}));
  EXPECT_EQ(data.HitTestLTPoint, (TPoint{0, 0}));

  text.replace(text.find("mask=mask.bmp"), 13, "mask=");
  test::WriteFile(dir.File("nomask.ini"), text);
  data.LoadFromFile(dir.S("nomask.ini"));
  EXPECT_EQ(data.MaskRectArea, TRect{});
  EXPECT_EQ(data.HitTestLTPoint, (TPoint{0, 5}));
  EXPECT_TRUE(data.Mask().Empty());
}

TEST_F(SkinDataTest, RejectedSourcesChangeNothingAndSendNothing) {
  TbsSkinData data(nullptr);
  data.LoadFromFile(dir.S("skin.ini"));
  forms.log.clear();
  test::WriteFile(dir.File("bad.ini"), std::string("[VERSION]\r\nver=1\r\n[PICTURES]\r\n[FORMINFO]\r\nx=1\r\n"));
  data.LoadFromFile(dir.S("bad.ini"));
  data.LoadFromFile(dir.S("missing.ini"));
  TbsCompressedStoredSkin empty(nullptr);
  data.LoadCompressedStoredSkin(&empty);
  EXPECT_TRUE(forms.log.empty());
  EXPECT_FALSE(data.Empty);
  EXPECT_EQ(data.CtrlList.size(), 5u);
}

TEST_F(SkinDataTest, AFailedLoadEndsAsAChangeToAnEmptySkin) {
  TbsSkinData data(nullptr);
  data.LoadFromFile(dir.S("skin.ini"));
  struct Case {
    std::string what;
    std::function<void()> load;
    std::function<bool(const rtl::Exception&)> expected;
  };
  std::string badRect = test::kSkinText;
  badRect.replace(badRect.find("skinrect=20,0,30,10"), 19, "skinrect=20,,30,10");
  test::WriteFile(dir.File("badrect.ini"), badRect);
  std::string noPicture = test::kSkinText;
  noPicture.replace(noPicture.find("1=menu.bmp"), 10, "1=gone.bmp");
  test::WriteFile(dir.File("nopicture.ini"), noPicture);
  test::WriteFile(dir.File("junk.bmp"), std::string("BMjunk"));
  std::string badBmp = test::kSkinText;
  badBmp.replace(badBmp.find("1=menu.bmp"), 10, "1=junk.bmp");
  test::WriteFile(dir.File("badbmp.ini"), badBmp);
  TbsCompressedStoredSkin corrupt(nullptr);
  const std::uint8_t junk[] = {0x78, 0xDA, 1, 2, 3, 4, 5, 6};
  corrupt.CompressedStream().WriteBuffer(junk, sizeof junk);
  const Case cases[] = {
      {"malformed rectangle", [&] { data.LoadFromFile(dir.S("badrect.ini")); },
       [](const rtl::Exception& e) { return dynamic_cast<const rtl::EConvertError*>(&e) != nullptr; }},
      {"missing picture", [&] { data.LoadFromFile(dir.S("nopicture.ini")); },
       [](const rtl::Exception& e) { return dynamic_cast<const rtl::EFOpenError*>(&e) != nullptr; }},
      {"damaged picture", [&] { data.LoadFromFile(dir.S("badbmp.ini")); },
       [](const rtl::Exception& e) { return dynamic_cast<const rtl::EInvalidGraphic*>(&e) != nullptr; }},
      {"corrupt stored skin", [&] { data.LoadCompressedStoredSkin(&corrupt); },
       [](const rtl::Exception& e) { return dynamic_cast<const EDecompressionError*>(&e) != nullptr; }},
  };
  for (const auto& c : cases) {
    forms.log.clear();
    try {
      c.load();
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const rtl::Exception& e) {
      EXPECT_TRUE(c.expected(e)) << c.what << ": " << e.what();
    }
    EXPECT_EQ(forms.log, (std::vector<Received>{{"main", MSG_SKIN_CHANGING, true, true},
                                                {"main", MSG_SKIN_CHANGED, true, false},
                                                {"main", MSG_SKIN_CHANGE_DONE, true, false}}))
        << c.what;
    EXPECT_TRUE(data.Empty);
    EXPECT_FALSE(data.ChangeSkinDataProcess);
    EXPECT_TRUE(data.CtrlList.empty() && data.ObjectList.empty() && data.ActivePictures().empty()) << c.what;
  }
}

TEST_F(SkinDataTest, BroadcastOrderOwnerFirstLayerWindowsSkippedReverseWithLayeredBorders) {
  auto* owner = forms.Add("owner");
  forms.Add("layer", "TbsFormLayerWindow");
  forms.Add("last");
  TbsSkinData data(owner->Component());
  auto order = [&] {
    std::vector<std::string> names;
    for (const auto& r : forms.log) names.push_back(r.form);
    forms.log.clear();
    return names;
  };
  data.SetShowLayeredBorders(false);
  EXPECT_EQ(order(), (std::vector<std::string>{"owner", "main", "last"}));
  data.ClearSkin();
  EXPECT_EQ(forms.Messages().size(), 9u);
  EXPECT_EQ(std::vector<std::string>(order()).front(), "owner");
  data.SetShowLayeredBorders(true);
  order();
  data.LayerFrame->PictureIndex = 0;
  data.SendSkinDataMessage(MSG_SKIN_CHANGED);
  EXPECT_EQ(order(), (std::vector<std::string>{"last", "owner", "main"}));
  data.LayerFrame->PictureIndex = -1;
  data.SendSkinDataMessage(MSG_SKIN_CHANGED);
  EXPECT_EQ(order(), (std::vector<std::string>{"main", "owner", "last"}));
}

TEST_F(SkinDataTest, PropertySettersAnnounceOnlyRealChanges) {
  TbsSkinData data(nullptr);
  data.SetSkinnableForm(true);
  data.SetShowLayeredBorders(true);
  EXPECT_TRUE(forms.log.empty());
  data.SetSkinnableForm(false);
  data.BeginLoading();
  data.SetShowLayeredBorders(false);  // not while the form is being read
  TbsResourceStrData strings(nullptr);
  data.SetResourceStrData(&strings);  // also while the form is being read
  data.Loaded();
  EXPECT_EQ(forms.Messages(), (std::vector<unsigned>{MSG_SKINNABLE_FORM_CHANGED, MSG_RESOURCE_STRINGS_CHANGED}));
}

// Skin data as the form designer holds it.
class DesignedSkinData : public TbsSkinData {
 public:
  DesignedSkinData() : TbsSkinData(nullptr) { SetState(rtl::csDesigning, true); }
};

TEST_F(SkinDataTest, WhileDesignedReferencesAndIndexAreOnlyStored) {
  TbsCompressedSkinList list(nullptr);
  list.Skins()->AddItem()->Skin()->LoadFromIniFile(dir.S("skin.ini"));
  list.Skins()->AddItem()->Skin()->LoadFromIniFile(dir.S("skin.ini"));
  TbsResourceStrData strings(nullptr);
  DesignedSkinData data;
  data.SetSkinList(&list);
  data.SetSkinIndex(1);
  data.SetCompressedStoredSkin(list.Skins()->GetItem(0)->Skin());
  data.SetResourceStrData(&strings);
  data.SetSkinnableForm(!data.SkinnableForm());
  EXPECT_TRUE(forms.log.empty());
  EXPECT_TRUE(data.Empty);
  EXPECT_EQ(data.SkinIndex(), 1);
  EXPECT_EQ(data.SkinList(), &list);
  EXPECT_EQ(data.CompressedStoredSkin(), list.Skins()->GetItem(0)->Skin());
  data.SetSkinIndex(2);  // out of range: not stored, also while designed
  EXPECT_EQ(data.SkinIndex(), 1);
}

TEST_F(SkinDataTest, ClearSkinSendsTheThreeMessagesEvenWhenEmpty) {
  TbsSkinData data(nullptr);
  data.ClearSkin();
  EXPECT_EQ(forms.log, (std::vector<Received>{{"main", MSG_SKIN_CHANGING, true, false},
                                              {"main", MSG_SKIN_CHANGED, true, false},
                                              {"main", MSG_SKIN_CHANGE_DONE, true, false}}));
}

TEST_F(SkinDataTest, SaveToFileWritesSectionsInOrderAndReloadsEqual) {
  TbsSkinData data(nullptr);
  data.LoadFromFile(dir.S("skin.ini"));
  std::filesystem::create_directories(dir.File("out"));
  test::WriteFile(dir.File("out/skin.ini"), std::string("[FOREIGN]\r\nkeep=1\r\n"));
  data.StoreToDisk(dir.S("out/skin.ini"));
  TMemIniFile written(dir.S("out/skin.ini"));
  EXPECT_EQ(written.ReadString(u"FOREIGN", u"keep", u""), u"1");
  const auto sections = IniSectionNames(written);
  const std::vector<rtl::String> expected{u"FOREIGN", u"VERSION", u"PICTURES", u"FORMINFO", u"POPUPWINDOW",
                                          u"LAYERFRAME", u"HINTWINDOW", u"SKINCOLORS", u"SKINOBJECTS", u"caption",
                                          u"closebutton", u"menuitem", u"SKINCONTROLS", u"panel", u"hscrollbar",
                                          u"combobox", u"button"};  // "button" twice: the last writer wins
  EXPECT_EQ(sections, expected);
  EXPECT_EQ(written.ReadString(u"SKINCONTROLS", u"4", u""), u"button:panel");
  EXPECT_EQ(written.ReadString(u"LAYERFRAME", u"unknown", u"gone"), u"gone");
  EXPECT_EQ(test::ReadFile(dir.File("out/menu.bmp")), test::ReadFile(dir.File("menu.bmp")));
  TbsSkinData again(nullptr);
  again.LoadFromFile(dir.S("out/skin.ini"));
  TMemIniFile a, b;
  data.WriteSkinDescription(a);
  again.WriteSkinDescription(b);
  EXPECT_EQ(GetIniText(a), GetIniText(b));
  EXPECT_EQ(again.Mask().Data(), data.Mask().Data());
}

TEST_F(SkinDataTest, PackedSkinUnpacksEqualThroughAContainerFile) {
  TbsSkinData data(nullptr);
  data.LoadFromFile(dir.S("skin.ini"));
  data.SaveToCompressedFile(dir.S("skin.skn"));
  forms.log.clear();
  TbsSkinData loaded(nullptr);
  loaded.LoadFromCompressedFile(dir.S("skin.skn"));
  EXPECT_EQ(forms.Messages(), kChange);
  TMemIniFile a, b;
  data.WriteSkinDescription(a);
  loaded.WriteSkinDescription(b);
  EXPECT_EQ(GetIniText(a), GetIniText(b));
  EXPECT_EQ(loaded.Picture().Data(), data.Picture().Data());
  EXPECT_EQ(loaded.Mask().Data(), data.Mask().Data());
  ASSERT_EQ(loaded.ActivePictures().size(), 2u);
  EXPECT_EQ(loaded.ActivePictures()[0]->ToPixels(), data.ActivePictures()[0]->ToPixels());
  EXPECT_EQ(loaded.ActivePictures()[1]->Data(), data.ActivePictures()[1]->Data());
  // Packing straight from the description file gives the same skin.
  TbsCompressedStoredSkin fromIni(nullptr);
  fromIni.LoadFromIniFile(dir.S("skin.ini"));
  TbsSkinData viaIni(nullptr);
  viaIni.LoadCompressedStoredSkin(&fromIni);
  TMemIniFile c;
  viaIni.WriteSkinDescription(c);
  EXPECT_EQ(GetIniText(c), GetIniText(a));
}

TEST_F(SkinDataTest, StoredSkinListSelectsByIndex) {
  TbsCompressedSkinList list(nullptr);
  auto* s0 = list.Skins()->AddItem();
  auto* s1 = list.Skins()->AddItem();
  auto* s2 = list.Skins()->AddItem();
  EXPECT_EQ(s0->Name, u"bsSkin0");
  EXPECT_EQ(s2->DisplayName(), u"bsSkin2");
  s1->Skin()->LoadFromIniFile(dir.S("skin.ini"));
  // Item 2 holds a container of a later format: it reads as empty.
  rtl::TMemoryStream later;
  const std::int32_t head[] = {4, 3};
  later.WriteBuffer(head, 8);
  later.WriteBuffer("abc", 3);
  s2->ReadSkin(later);
  EXPECT_TRUE(s2->Skin()->Empty());

  TbsSkinData data(nullptr);
  data.SetSkinIndex(1);  // no list yet: only stored
  EXPECT_TRUE(forms.log.empty());
  data.SetSkinList(&list);
  EXPECT_EQ(forms.Messages(), kChange);
  EXPECT_FALSE(data.Empty);
  forms.log.clear();
  data.SetSkinIndex(1);  // equal: ignored
  data.SetSkinIndex(3);  // out of range: ignored, not stored
  data.SetSkinIndex(-1);
  EXPECT_EQ(data.SkinIndex(), 1);
  data.SetSkinIndex(2);  // empty stored skin: stored, no change starts
  EXPECT_EQ(data.SkinIndex(), 2);
  EXPECT_TRUE(forms.log.empty());
  data.SetSkinIndex(0);  // empty item skin
  EXPECT_TRUE(forms.log.empty());
  data.SetSkinIndex(1);
  data.SetSkinList(&list);  // the same list again reloads
  EXPECT_EQ(forms.Messages().size(), 6u);
}

TEST_F(SkinDataTest, StoredSkinOfALaterPayloadFormatEndsTheChangeEmpty) {
  TbsSkinData data(nullptr);
  data.LoadFromFile(dir.S("skin.ini"));
  forms.log.clear();
  rtl::TMemoryStream payload;
  const std::int32_t version = 4;
  payload.WriteBuffer(&version, 4);
  TbsCompressedStoredSkin stored(nullptr);
  CompressMemoryStream(&payload, &stored.CompressedStream());
  data.SetCompressedStoredSkin(&stored);  // assigning loads at once
  EXPECT_EQ(forms.log, (std::vector<Received>{{"main", MSG_SKIN_CHANGING, true, true},
                                              {"main", MSG_SKIN_CHANGED, true, false},
                                              {"main", MSG_SKIN_CHANGE_DONE, true, false}}));
  EXPECT_TRUE(data.CtrlList.empty());
}

TEST_F(SkinDataTest, ReferencesAreDroppedWhenTheirComponentsGo) {
  TbsSkinData data(nullptr);
  auto list = std::make_unique<TbsCompressedSkinList>(nullptr);
  auto strings = std::make_unique<TbsResourceStrData>(nullptr);
  data.SetSkinList(list.get());
  data.SetResourceStrData(strings.get());
  list.reset();
  strings.reset();
  EXPECT_EQ(data.SkinList(), nullptr);
  EXPECT_EQ(data.ResourceStrData(), nullptr);
  data.SetSkinIndex(5);
  EXPECT_EQ(data.SkinIndex(), 5);
}

TEST_F(SkinDataTest, AddAndDeletePicturesKeepNamesInStep) {
  TbsSkinData data(nullptr);
  data.AddBitMap(dir.S("menu.bmp"));
  data.AddBitMap(dir.S("controls.bmp"));
  EXPECT_EQ(data.ActivePicturesNames(), (std::vector<rtl::String>{u"menu.bmp", u"controls.bmp"}));
  data.DeleteBitMap(0);
  EXPECT_EQ(data.ActivePicturesNames(), std::vector<rtl::String>{u"controls.bmp"});
  EXPECT_EQ(data.ActivePictures()[0]->Width(), 30);
  EXPECT_THROW(data.DeleteBitMap(1), rtl::EListError);
}

}  // namespace
}  // namespace skin
