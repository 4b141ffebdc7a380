// The catalogue and preset steps against stand-ins for the pickers that keep
// the pickers' change rules: the format picker raises its change on every
// index write, a preset box only when the text it shows changes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/tables/CatalogueBuilder.h"
#include "app/tables/PresetLoader.h"
#include "platform/rtl/Strings.h"

namespace tables {
namespace {

using rtl::U8;

struct FormatItem {
  std::string title, caption;
  int imageIndex;
};

class FakeFormatPicker : public IFormatPicker {
 public:
  void ClearItems() override { items.clear(), log.push_back("clear"); }
  void AddItem(const rtl::String& t, const rtl::String& c, int image) override {
    items.push_back({U8(t), U8(c), image});
  }
  void Repaint() override { log.push_back("repaint:" + std::to_string(items.size())); }
  void SetItemIndex(int index) override {
    itemIndex = index;
    log.push_back("index:" + std::to_string(index));
    if (OnChange) OnChange();
  }
  std::vector<FormatItem> items;
  std::vector<std::string> log;
  int itemIndex = -1;
  std::function<void()> OnChange;
};

TEST(CatalogueBuilder, StartUpCategoryListsTheAndroidGroup) {
  FakeFormatPicker picker;
  int changes = 0;
  picker.OnChange = [&] { ++changes; };
  picker.items.push_back({"placeholder", "", 0});
  BuildFormatList(0, picker);
  ASSERT_EQ(picker.items.size(), 12u);
  EXPECT_EQ(picker.items[0].title, "Android手机AVI视频(*.avi)");
  EXPECT_EQ(picker.items[1].title, "Android手机MPEG-4视频(*.mp4)");
  EXPECT_EQ(picker.log, (std::vector<std::string>{"clear", "repaint:0", "repaint:12", "index:0"}));
  EXPECT_EQ(changes, 1);

  BuildFormatList(0, picker);  // the same category again still re-selects and re-fires
  EXPECT_EQ(picker.items.size(), 12u);
  EXPECT_EQ(changes, 2);
}

TEST(CatalogueBuilder, GroupsInOrderWithAlternatingPictures) {
  FakeFormatPicker picker;
  BuildFormatList(5, picker);
  ASSERT_EQ(picker.items.size(), 13u);
  EXPECT_EQ(picker.items.front().title, "MP3 - MPEG Layer-3音频格式(*.mp3)");
  EXPECT_EQ(picker.items.back().title, "AMR-手机音频格式(*.amr)");
  EXPECT_EQ(picker.items.back().caption, "AMR是流行的手机数字音乐文件格式之一");

  BuildFormatList(8, picker);
  ASSERT_EQ(picker.items.size(), 14u);
  EXPECT_EQ(picker.items.back().title, "iPod touch MPEG-4 (480X320)视频(*.mp4)");
  for (std::size_t i = 0; i < picker.items.size(); ++i)
    EXPECT_EQ(picker.items[i].imageIndex, static_cast<int>(i % 2));

  // Every category lists exactly its group, and never an unreachable one.
  for (int category = 0; category < 16; ++category) {
    BuildFormatList(category, picker);
    const int group = *FormatCategories().GroupOf(category);
    const auto entries = OutputFormatCatalogue().Group(group);
    ASSERT_EQ(picker.items.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
      EXPECT_EQ(picker.items[i].title, U8(entries[i].Title)) << entries[i].Key;
  }
}

TEST(CatalogueBuilder, CategoryOutsideTheMapLeavesThePickerEmpty) {
  FakeFormatPicker picker;
  int changes = 0;
  picker.OnChange = [&] { ++changes; };
  BuildFormatList(0, picker);
  BuildFormatList(16, picker);
  EXPECT_TRUE(picker.items.empty());
  EXPECT_EQ(picker.itemIndex, -1);
  EXPECT_EQ(changes, 2);
}

// A preset box with the skinned combo box's rules, logging into a shared list.
class FakePresetBox : public IPresetBox {
 public:
  FakePresetBox(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
  void ClearItems() override { items.clear(), log.push_back("clear " + name); }
  void SetEnabled(bool e) override {
    enabled = e;
    log.push_back((e ? "enable " : "disable ") + name);
  }
  void AddItem(const rtl::String& t) override {
    if (items.empty()) log.push_back("fill " + name);
    items.push_back(U8(t));
  }
  void SetItemIndex(int index) override {
    itemIndex = index;
    if (index >= 0 && index < static_cast<int>(items.size()) && items[index] != text) {
      text = items[index];
      log.push_back("change " + name + " " + text);
      if (OnChange) OnChange();
    }
  }
  std::string name;
  std::vector<std::string>& log;
  std::vector<std::string> items;
  std::string text;
  int itemIndex = -1;
  bool enabled = false;
  std::function<void()> OnChange;
};

class PresetLoad : public ::testing::Test {
 protected:
  PresetLoad()
      : fs("1", log), vb("2", log), fr("9", log), ab("3", log), sr("10", log), am("4", log),
        boxes{&fs, &vb, &fr, &ab, &sr, &am} {}

  bool Load(int category, int format) { return LoadPresetChoices({category, format}, boxes, video); }
  std::vector<std::string> Texts() const {
    return {fs.text, vb.text, fr.text, ab.text, sr.text, am.text};
  }
  std::vector<bool> Enabled() const {
    return {fs.enabled, vb.enabled, fr.enabled, ab.enabled, sr.enabled, am.enabled};
  }

  std::vector<std::string> log;
  FakePresetBox fs, vb, fr, ab, sr, am;
  TPresetBoxes boxes;
  TVideoFields video;
};

TEST_F(PresetLoad, StartUpProfileAndOrderOfWork) {
  video.Video_DisableVideo = true;
  ASSERT_TRUE(Load(0, 0));  // key 1900
  EXPECT_EQ(Texts(), (std::vector<std::string>{"保持原分辨率", "816 kbps", "保持原帧速率",
                                               "128 kbps", "48000", "保持原视频模式"}));
  EXPECT_EQ(Enabled(), std::vector<bool>(6, true));
  EXPECT_FALSE(video.Video_DisableVideo);
  EXPECT_EQ(fs.items.size(), 27u);  // FS10
  EXPECT_EQ(ab.itemIndex, 10);
  const std::vector<std::string> expected = {
      "clear 1",  "clear 2",  "clear 3",  "clear 4",  "clear 9",  "clear 10",
      "enable 1", "enable 2", "enable 3", "enable 4", "enable 9", "enable 10",
      "fill 1",   "change 1 保持原分辨率",
      "fill 2",   "change 2 816 kbps",
      "fill 9",   "change 9 保持原帧速率",
      "fill 3",   "change 3 128 kbps",
      "fill 10",  "change 10 48000",
      "fill 4",   "change 4 保持原视频模式"};
  EXPECT_EQ(log, expected);
}

TEST_F(PresetLoad, ChangeHandlersRunBeforeLaterBoxesAreFilled) {
  std::vector<std::size_t> laterSizes;
  fr.OnChange = [&] { laterSizes = {ab.items.size(), sr.items.size(), am.items.size()}; };
  Load(1, 0);  // key 0
  EXPECT_EQ(laterSizes, (std::vector<std::size_t>{0, 0, 0}));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"保持原分辨率", "816 kbps", "25.00", "128 kbps",
                                               "44100", "保持原视频模式"}));
  EXPECT_EQ((std::vector<int>{fs.itemIndex, vb.itemIndex, fr.itemIndex, ab.itemIndex,
                              sr.itemIndex, am.itemIndex}),
            (std::vector<int>{0, 3, 9, 10, 4, 0}));
}

TEST_F(PresetLoad, SameProfileAgainRaisesOnlyForChangedTexts) {
  Load(1, 9);  // key 9
  EXPECT_EQ(Texts(), (std::vector<std::string>{"176*144", "128 kbps", "12", "12 kbps", "8000",
                                               "保持原视频模式"}));
  fs.SetItemIndex(0);  // the user picks another size
  ab.SetItemIndex(0);
  log.clear();
  Load(1, 9);
  std::vector<std::string> changes;
  for (const std::string& entry : log)
    if (entry.rfind("change", 0) == 0) changes.push_back(entry);
  EXPECT_EQ(changes, (std::vector<std::string>{"change 1 176*144", "change 3 12 kbps"}));
}

TEST_F(PresetLoad, AudioOnlyDisablesTheVideoBoxesUntilTheNextLoad) {
  ASSERT_TRUE(Load(5, 12));  // key 112
  EXPECT_EQ(Texts(), (std::vector<std::string>{"该格式无视频", "无视频", "无视频", "7.4 kbps",
                                               "8000", "无视频"}));
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false, true, true, false}));
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"disable 1", "disable 2", "disable 4", "disable 9"}));
  EXPECT_FALSE(video.Video_DisableVideo) << "the codec step, not the loader, sets it";

  log.clear();
  ASSERT_TRUE(Load(1, 0));
  EXPECT_EQ(Enabled(), std::vector<bool>(6, true));
  EXPECT_EQ(log[6], "enable 1") << "re-enabled before anything is filled";
}

TEST_F(PresetLoad, NoProfileLeavesTheBoxesEmptyAndEnabled) {
  Load(5, 0);
  video.Video_DisableVideo = true;
  EXPECT_FALSE(Load(0, -1));
  EXPECT_FALSE(Load(16, 0));
  for (const FakePresetBox* box : {&fs, &vb, &fr, &ab, &sr, &am}) EXPECT_TRUE(box->items.empty());
  EXPECT_EQ(Enabled(), std::vector<bool>(6, true));
  EXPECT_FALSE(video.Video_DisableVideo);
}

}  // namespace
}  // namespace tables
