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

}  // namespace
}  // namespace app
