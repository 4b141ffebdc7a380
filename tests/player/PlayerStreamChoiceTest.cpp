// Which streams the player opens: the wanted n-th stream of a kind, counted
// among the streams of that kind only.
#include <gtest/gtest.h>

#include "tests/player/PlayerTestUtils.h"

namespace {

using playertest::Media;

class PlayerStreamChoiceTest : public playertest::PlayerFixture {};

// multi.mkv: a video, two sounds and an attachment, in that order.
TEST_F(PlayerStreamChoiceTest, TheWantedNthStreamOfAKindIsOpened) {
  struct Case {
    int wantedAudio, wantedVideo;
    int audio, video;
  } cases[] = {
      {-1, -1, 1, 0},  // FFmpeg's choice
      {0, -1, 1, 0},
      {1, -1, 2, 0},
      {1, 0, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("audio " + std::to_string(c.wantedAudio) + ", video " + std::to_string(c.wantedVideo));
    player_->wanted_audio_stream = c.wantedAudio;
    player_->wanted_video_stream = c.wantedVideo;
    ASSERT_TRUE(player_->Open(rtl::S(Media::Get()("multi.mkv")), nullptr, true)) << rtl::U8(player_->LastErrMsg());
    EXPECT_EQ(player_->AudioStreamIndex(), c.audio);
    EXPECT_EQ(player_->VideoStreamIndex(), c.video);
    player_ = std::make_unique<player::TRIDodevu>(nullptr);
    player_->SetTriggerEventInMainThread(false);
  }
}

}  // namespace
