// Files whose streams start late (MPEG-TS and MPEG-PS with an offset of
// 1.4 s or 10 h, as camcorders, DVDs and broadcasts write them): times are
// counted from the start, forward seeks reach the next key picture and
// backward seeks the key picture the target needs.
#include <gtest/gtest.h>

#include "engine/probe/AVProbe.h"
#include "tests/engine/probe/ProbeTestUtils.h"

using namespace player;
using probetest::Media;
using rtl::S;
using rtl::U8;

namespace {

class ProbeLateStartTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { probetest::LoadProbeLibraries(); }
};

TEST_P(ProbeLateStartTest, TimesCountFromTheStartAndSeeksReachTheTarget) {
  TAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()(GetParam())))) << U8(probe.LastErrMsg());
  const TFileStreamInfo info = probe.FileStreamInfo();
  EXPECT_GT(info.StartTime, 1000000);
  EXPECT_NEAR(static_cast<double>(info.Duration), 2e6, 50000);
  const TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_NEAR(static_cast<double>(video.DurationScaled), 2e6, 50000);

  ASSERT_TRUE(probe.Decode());
  EXPECT_LT(probe.FrameInfo().PTS, 40000) << "the first picture is at the start";
  for (int64_t target : {1000000, 480000, 1500000}) {
    SCOPED_TRACE(target);
    // Forward: the first key picture at or after the target.
    ASSERT_TRUE(probe.Seek(target));
    ASSERT_TRUE(probe.Decode());
    EXPECT_TRUE(probe.FrameInfo().IsKeyFrame);
    EXPECT_GE(probe.FrameInfo().PTS, target - 40000);
    EXPECT_LE(probe.FrameInfo().PTS, target + 480000);
    // Backward: the key picture the target needs, then the target itself.
    ASSERT_TRUE(probe.Seek(target, {engine::sfBackward}));
    ASSERT_TRUE(probe.Decode());
    EXPECT_LE(probe.FrameInfo().PTS, target + 40000) << "the seek does not overshoot";
    int decodes = 1;
    while (probe.FrameInfo().PTS + 40000 <= target && probe.Decode()) ++decodes;
    EXPECT_NEAR(static_cast<double>(probe.FrameInfo().PTS), static_cast<double>(target), 40000.0);
    // At worst half a second and a group of pictures (12) before the target.
    EXPECT_LE(decodes, 26) << "the seek lands on a near key picture";
  }
}

INSTANTIATE_TEST_SUITE_P(Containers, ProbeLateStartTest, ::testing::Values("late.ts", "late10h.ts", "late.mpg"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
