// Cell texts of the queue and the job slot table's life cycle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/queue/QueueModel.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace app {
namespace {

using rtl::U8;

TEST(QueueCells, ClockSizeAndProgressTexts) {
  const std::vector<std::pair<int, const char*>> clocks = {
      {59, "00:00:59"}, {3725, "01:02:05"}, {90000, "01:00:00"}, {0, "00:00:00"}};
  for (auto [sec, text] : clocks) EXPECT_EQ(U8(SecToDate(sec)), text) << sec;
  EXPECT_EQ(U8(DurationText(0)), "N/A");
  EXPECT_EQ(U8(DurationText(-5)), "N/A");
  EXPECT_EQ(U8(DurationText(3725999999)), "01:02:05");

  const std::vector<std::pair<std::int64_t, const char*>> sizes = {
      {5242880, "5MB"}, {1234567, "1.18MB"}, {11010048, "10.5MB"}, {73400, "0.07MB"}, {0, "0MB"}};
  for (auto [bytes, text] : sizes) EXPECT_EQ(U8(MegabytesText(bytes)), text) << bytes;

  EXPECT_EQ(U8(ProgressText(42, 100)), "42%");
  EXPECT_EQ(U8(ProgressText(999, 1000)), "99%");
  EXPECT_EQ(U8(ProgressText(5, 0)), "N/A");
  EXPECT_EQ(U8(ProgressText(INT64_MAX, 10)), "N/A");
}

TEST(QueueCells, CategoryAndPresetCodesRoundTrip) {
  EXPECT_EQ(U8(CategoryCode(0, 0)), "100");
  EXPECT_EQ(U8(CategoryCode(15, 11)), "1611");
  auto choice = DecodeCategoryCode(u"1611");
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->CategoryIndex, 15);
  EXPECT_EQ(choice->FormatIndex, 11);
  EXPECT_FALSE(DecodeCategoryCode(u"abc"));

  EXPECT_EQ(U8(PresetChoicesCode({0, 0, 0, 0, 0, 0})), "000000000000");
  EXPECT_EQ(U8(PresetChoicesCode({3, 12, 10, 0, 9, 4})), "031210000904");
  auto presets = DecodePresetChoices(u"031210000904");
  ASSERT_TRUE(presets);
  EXPECT_EQ(*presets, (TPresetIndexes{3, 12, 10, 0, 9, 4}));
  for (const char16_t* bad : {u"", u"0312100009", u"03121000090x", u"0312100009041"})
    EXPECT_FALSE(DecodePresetChoices(bad));
}

TEST(JobSlots, TakenInOrderDeletedNeverReusedUntilFreed) {
  TJobSlotTable slots;
  engine::TInputOptions in;
  engine::TOutputOptions out;
  for (int i = 0; i < 3; ++i) {
    in.FileName = u"/in/" + rtl::IntToStr(i);
    EXPECT_EQ(slots.Take(in, out), i);
  }
  slots.MarkDeleted(0);  // the first row removed
  EXPECT_EQ(slots.Take(in, out), 3);
  EXPECT_EQ(U8(slots.State(0)), "DELETED");
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(U8(slots.State(i)), "Full");
  EXPECT_EQ(U8(slots.Input(2).FileName), "/in/2");
  slots.MarkDeleted(-1);
  slots.MarkDeleted(501);  // out of range: ignored

  while (slots.Take(in, out)) {
  }
  EXPECT_FALSE(slots.HasFree());
  EXPECT_FALSE(slots.Take(in, out).has_value());  // full: the add is refused, nothing overflows
  slots.FreeAll();
  EXPECT_TRUE(slots.HasFree());
  EXPECT_EQ(slots.Take(in, out), 0);
  EXPECT_EQ(U8(slots.Input(1).FileName), "/in/1");  // freeing keeps the options
}

TEST(QueueCells, ExtensionFollowsTheFormatTitle) {
  const std::vector<std::pair<const char16_t*, const char*>> titles = {
      {u"AVI - 音频视频交错格式(*.avi)", ".avi"}, {u"RM-RealMedia格式(*.rm)", ".rm"},
      {u"RA音频(*.ra)", ".ra"},                    {u"FLAC-音频格式(*.flac)", ".flac"},
      {u"AIFF音频(*.aiff)", ".aiff"},              {u"MPEG-1(*.mpeg)", ".mpeg"},
      {u"ALAC无损(*.alac))", ".alac"},             {u"3GP(*.3gp)", ".3gp"},
      {u")", ""},                                  {u"", ""}};
  for (auto [title, ext] : titles) EXPECT_EQ(U8(ExtensionFromTitle(title)), ext) << U8(title);

  EXPECT_EQ(U8(ReplaceExtension(u"clip.mp4", u".avi")), "clip.avi");
  EXPECT_EQ(U8(ReplaceExtension(u"a.b.c.mp4", u".rm")), "a.b.c.rm");
  EXPECT_EQ(U8(ReplaceExtension(u"clip", u".flac")), "clip.flac");
  EXPECT_EQ(U8(NameWithoutExtension(u"片段 1.mp4")), "片段 1");
}

TEST(QueueCells, EachPresetPickerOwnsTwoCharactersAndAValueCell) {
  // Positions in cell 9 by picker: frame size, video bit rate, frame rate,
  // audio bit rate, sample rate, aspect.
  const int positions[] = {0, 1, 4, 2, 5, 3};
  const int valueCells[] = {qcFrameSize, qcVideoBitrate, qcFrameRate, qcAudioBitrate, qcSampleRate, qcAspect};
  for (int box = 0; box < 6; ++box) {
    EXPECT_EQ(kPresetCellPlaces[box].Position, positions[box]);
    EXPECT_EQ(kPresetCellPlaces[box].ValueCell, valueCells[box]);
  }
  EXPECT_EQ(U8(WithPresetChoice(u"000310000904", 2, 7)), "000307000904");
  EXPECT_EQ(U8(WithPresetChoice(u"000310000904", 5, 12)), "000310000912");
  EXPECT_EQ(U8(WithPresetChoice(u"", 1, 3)), "0003");
  EXPECT_EQ(U8(WithPresetChoice(u"000310000904", 0, -1)), "000310000904");
}

}  // namespace
}  // namespace app
