// Reading table text: what is kept exactly, and what is refused.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/tables/FormatCategories.h"
#include "app/tables/FormatCodecTable.h"
#include "app/tables/OutputFormatCatalogue.h"
#include "app/tables/PresetChoiceTable.h"
#include "app/tables/TsvReader.h"
#include "platform/rtl/Strings.h"

namespace tables {
namespace {

using rtl::U8;

TEST(TableParsing, KeepsBlanksEmptyFieldsAndSkipsHeadings) {
  const auto catalogue = TOutputFormatCatalogue::FromTsv(
      "#key\ttitle\tcaption\n"
      "0\t A  -  B(*.avi) \t\r\n"
      "\n"
      "1\tx(*.mp4)\tc\n"
      "200\ty(*.mkv)\td");  // no final line break
  ASSERT_EQ(catalogue.Count(), 3);
  EXPECT_EQ(U8(catalogue.Find(0)->Title), " A  -  B(*.avi) ");
  EXPECT_EQ(U8(catalogue.Find(0)->Caption), "");
  EXPECT_EQ(catalogue.GroupCount(), 3);
  EXPECT_TRUE(catalogue.Group(1).empty());
  EXPECT_EQ(catalogue.Group(2).size(), 1u);
  EXPECT_EQ(catalogue.Find(200)->ImageIndex, 0);
  EXPECT_EQ(catalogue.Find(1)->ImageIndex, 1);
  EXPECT_EQ(catalogue.Find(2), nullptr);
  EXPECT_TRUE(catalogue.Group(7).empty());

  // A data set with pictures of its own.
  const auto own = TOutputFormatCatalogue::FromTsv("0\ta\tb\t20\n1\tc\td\t21\n100\te\tf\t22\n",
                                                   "own", TCatalogueImages::FromColumn);
  EXPECT_EQ(own.Find(0)->ImageIndex, 20);
  EXPECT_EQ(own.Find(100)->ImageIndex, 22);
  EXPECT_THROW(TOutputFormatCatalogue::FromTsv("0\ta\tb\n", "own", TCatalogueImages::FromColumn),
               ETableError);
}

TEST(TableParsing, CodecRowKindsAndUnsetFields) {
  const auto table = TFormatCodecTable::FromTsv(
      "A\tlibx\t2\t44100\t128000\t1\nT\t\t\t\t-1000\t1\nE\t\t\t\t\t1\n",
      "0\t.avi\t.avi\tmpeg4\tXVID\t25\t\t\t816000\tA\n"
      "1\t.mpg\t\ttarget svcd\t\t\t\t\t-1000\tT\n"
      "2\t.mp3\t.mp3\tno video\t\t\t\t\t\tA\n"
      "3\t.rm\t\trv20\t\t\t320*240\t\t\tE\n");
  const TFormatCodecRow& video = *table.Find(0);
  EXPECT_EQ(video.Kind, TCodecRowKind::Video);
  EXPECT_EQ(U8(video.AudioCodec), "libx");
  EXPECT_EQ(video.AudioBitrate, 128000);
  const TFormatCodecRow& target = *table.Find(1);
  EXPECT_EQ(target.Kind, TCodecRowKind::Target);
  EXPECT_EQ(U8(target.TargetType), "svcd");
  EXPECT_EQ(U8(target.NormType), "PAL");
  EXPECT_TRUE(target.VideoCodec.empty());
  EXPECT_EQ(target.AudioBitrate, -1000);
  EXPECT_TRUE(table.Find(2)->DisableVideo());
  EXPECT_EQ(table.Find(2)->VideoBitrate, -1);
  EXPECT_EQ(table.Find(3)->AudioBitrate, -1);
  EXPECT_EQ(table.Find(4), nullptr);
}

struct BadTable {
  const char* name;
  std::function<void()> parse;
  const char* message;  // part of the error text
};

void Catalogue(const char* text) { TOutputFormatCatalogue::FromTsv(text, "cat"); }
void Codecs(const char* rows) {
  TFormatCodecTable::FromTsv("A\tc\t2\t8000\t1000\t1\n", rows, "codecs");
}
void Presets(const char* lists, const char* rows) {
  TPresetChoiceTable::FromTsv(lists, rows, "presets");
}
constexpr const char* kLists =
    "FS1\t0\ta\nVB1\t0\tb\nFR1\t0\tc\nAB1\t0\td\nAB1\t1\te\nSR1\t0\tf\nAM1\t0\tg\n";

TEST(TableParsing, RefusesMalformedTables) {
  const BadTable cases[] = {
      {"field count", [] { Catalogue("0\tt\n"); }, "cat line 1: 2 fields, expected 3"},
      {"key not a number", [] { Catalogue("0\ta\tb\nx1\tc\td\n"); }, "line 2: field 1 is not a number"},
      {"key with blank", [] { Catalogue(" 0\ta\tb\n"); }, "not a number"},
      {"key descends", [] { Catalogue("100\ta\tb\n0\tc\td\n"); }, "keys must ascend"},
      {"gap in group", [] { Catalogue("0\ta\tb\n2\tc\td\n"); }, "leaves a gap"},
      {"negative key", [] { Catalogue("-1\ta\tb\n"); }, "negative key"},
      {"category order", [] { TFormatCategories::FromTsv("1\tc\t0\t0\t1\n", "c"); }, "numbered 0, 1"},
      {"unknown audio set", [] { Codecs("0\t.avi\t.avi\tmpeg4\t\t\t\t\t1\tB\n"); }, "unknown audio set \"B\""},
      {"extension without dot", [] { Codecs("0\tavi\t\tmpeg4\t\t\t\t\t1\tA\n"); }, "extension"},
      {"codec keys repeat", [] { Codecs("0\t.a\t\t\t\t\t\t\t1\tA\n0\t.a\t\t\t\t\t\t\t1\tA\n"); }, "ascend"},
      {"bit rate not a number", [] { Codecs("0\t.avi\t\t\t\t\t\t\t1k\tA\n"); }, "not a number"},
      {"list entries out of order", [] { Presets("FS1\t0\ta\nFS1\t2\tb\n", ""); }, "numbered 0, 1"},
      {"list without prefix", [] { Presets("XX1\t0\ta\n", ""); }, "box prefix"},
      {"list in the wrong box", [] { Presets(kLists, "0\tVB1:0\tVB1:0\tFR1:0\tAB1:0\tSR1:0\tAM1:0\t\n"); },
       "cell 1 names no list of its box"},
      {"default past the list", [] { Presets(kLists, "0\tFS1:0\tVB1:0\tFR1:0\tAB1:2\tSR1:0\tAM1:0\t\n"); },
       "default outside its list"},
      {"cell without colon", [] { Presets(kLists, "0\tFS1\tVB1:0\tFR1:0\tAB1:0\tSR1:0\tAM1:0\t\n"); }, "cell 1"},
      {"audio flag", [] { Presets(kLists, "0\tFS1:0\tVB1:0\tFR1:0\tAB1:0\tSR1:0\tAM1:0\tno\n"); }, "audio-only flag"},
  };
  for (const BadTable& c : cases) {
    try {
      c.parse();
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const ETableError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

TEST(TableParsing, PresetRowsResolveTheirLists) {
  const auto table = TPresetChoiceTable::FromTsv(
      kLists, "5\tFS1:0\tVB1:0\tFR1:0\tAB1:1\tSR1:0\tAM1:0\tyes\n", "presets");
  const TPresetChoiceRow* row = table.Find(5);
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(row->AudioOnly);
  EXPECT_EQ(U8(table.ListOf(row->Choices[pbAudioBitrate]).Entries[row->Choices[pbAudioBitrate].Default]), "e");
  EXPECT_EQ(table.ListOf(row->Choices[pbAspectMode]).Box, pbAspectMode);
  EXPECT_EQ(table.Find(4), nullptr);
}

}  // namespace
}  // namespace tables
