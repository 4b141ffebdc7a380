// The player's own handlers and waits: handlers that open the next file, stop
// or free the player, or throw; calls made from the windows served while the
// player waits; play windows that stop or loop; pausing a paused player;
// byte seeks and motion vectors.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/MyUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Threads.h"
#include "tests/player/PlayerTestUtils.h"

using namespace player;
using playertest::Difference;
using playertest::Media;
using rtl::S;
using rtl::U8;

namespace {

class PlayerHandlersTest : public playertest::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    player_->SetScreenWidth(160);
    player_->SetScreenHeight(120);
  }
  void TearDown() override {
    // A test that ended early leaves no handler pointing into its body.
    if (player_) player_->OnPosition = nullptr;
    engine::SetMessagePump(nullptr);
    engine::SetExceptionHandler(nullptr);
    PlayerFixture::TearDown();
  }
  // Serves the main thread (events delivered there) until ADone or 20 s.
  template <class F>
  bool ServeUntil(F ADone) {
    for (int i = 0; i < 2000; ++i) {
      if (ADone()) return true;
      rtl::CheckSynchronize(10);
    }
    return ADone();
  }
  static rtl::String File(const char* AName) { return S(Media::Get()(AName)); }
  // The time of the picture on screen once it is past AAfter (a shown seek
  // target reaches the screen with the next refresh), or the last one seen.
  int64_t ShownAfter(int64_t AAfter) {
    int64_t pts = -1;
    for (int i = 0; i < 200; ++i) {
      player_->CurrentFrame(pts);
      if (pts > AAfter) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pts;
  }
};

// Delivery on the main thread and on the event thread.
const bool kMainThread[] = {true, false};

TEST_F(PlayerHandlersTest, AHandlerThatOpensTheNextFileAtTheEndPlaysThreeFilesInTurn) {
  for (bool main : kMainThread) {
    SCOPED_TRACE(main ? "main thread" : "event thread");
    player_->SetTriggerEventInMainThread(main);
    const char* files[] = {"twocolor.mkv", "tone.wav", "wide.mkv"};
    std::mutex lock;
    std::vector<std::string> ended;
    std::atomic<int> next{1};
    std::atomic<bool> openFailed{false};
    player_->OnState = [&](rtl::TObject*, TPlayState s) {
      if (s != psEnd) return;
      {
        std::lock_guard g(lock);
        if (!ended.empty() && ended.back() == U8(player_->FileName())) return;  // audio repeats psEnd
        ended.push_back(U8(player_->FileName()));
      }
      const int n = next++;
      if (n < 3 && !player_->Open(File(files[n]), nullptr, false)) openFailed = true;
    };
    ASSERT_TRUE(player_->Open(File(files[0]), nullptr, false));
    ASSERT_TRUE(ServeUntil([&] {
      std::lock_guard g(lock);
      return ended.size() == 3;
    }));
    EXPECT_FALSE(openFailed.load()) << U8(player_->LastErrMsg());
    player_->Stop(true);
    std::lock_guard g(lock);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ended[i], U8(File(files[i])));
    player_->OnState = nullptr;
  }
}

TEST_F(PlayerHandlersTest, AHandlerMayStopOrFreeThePlayer) {
  enum { kStop, kFree } actions[] = {kStop, kFree};
  for (bool main : kMainThread) {
    for (auto action : actions) {
      SCOPED_TRACE(std::string(main ? "main thread" : "event thread") + (action == kStop ? ", stop" : ", free"));
      if (!player_) {
        player_ = std::make_unique<TRIDodevu>(nullptr);
        player_->SetScreenWidth(160);
        player_->SetScreenHeight(120);
      }
      player_->SetTriggerEventInMainThread(main);
      std::atomic<bool> fired{false}, done{false};
      TRIDodevu* p = player_.get();
      player_->OnState = [&, p](rtl::TObject*, TPlayState s) {
        if (s != psEnd || fired.exchange(true)) return;
        if (action == kStop)
          p->Stop(true);
        else
          delete p;
        done = true;  // once the player has stopped or is gone
      };
      ASSERT_TRUE(player_->Open(File("wide.mkv"), nullptr, false));
      ASSERT_TRUE(ServeUntil([&] { return done.load(); }));
      if (action == kFree) {
        (void)player_.release();
        continue;
      }
      // Stopped from its handler: what is left is delivered, and it plays again.
      EXPECT_TRUE(ServeUntil([&] { return player_->PlayState() == psStop; }));
      ASSERT_TRUE(player_->Open(File("twocolor.mkv"), nullptr, true));
      player_->Stop(true);
      player_->OnState = nullptr;  // its threads are over
    }
  }
}

TEST_F(PlayerHandlersTest, AThrowingHandlerIsReportedAndThePlayerStaysUsable) {
  std::mutex lock;
  std::vector<std::string> reported;
  engine::SetExceptionHandler([&](rtl::TObject* ASender) {
    try {
      throw;
    } catch (const rtl::Exception& e) {
      std::lock_guard g(lock);
      reported.push_back(U8(e.Message()) + (ASender == player_.get() ? " from the player" : ""));
    }
  });
  for (bool main : kMainThread) {
    SCOPED_TRACE(main ? "main thread" : "event thread");
    player_->SetTriggerEventInMainThread(main);
    std::atomic<int> ends{0};
    player_->OnState = [&](rtl::TObject*, TPlayState s) {
      if (s == psPlay) throw rtl::Exception("handler failed");
      if (s == psEnd) ++ends;
    };
    player_->OnPosition = [&](rtl::TObject*, int64_t) { throw rtl::Exception("position failed"); };
    for (const char* name : {"wide.mkv", "twocolor.mkv"}) {
      ASSERT_TRUE(player_->Open(File(name), nullptr, false)) << U8(player_->LastErrMsg());
      const int before = ends.load();
      ASSERT_TRUE(ServeUntil([&] { return ends.load() > before; })) << "events go on after a throw";
      player_->Stop(true);
    }
    std::lock_guard g(lock);
    EXPECT_EQ(std::count(reported.begin(), reported.end(), "handler failed from the player"), 2);
    EXPECT_GE(std::count(reported.begin(), reported.end(), "position failed from the player"), 2);
    reported.clear();
  }
}

// Calls made while Open has not returned yet: from its OnFileOpen, or from
// the windows the main thread serves while Open waits.
TEST_F(PlayerHandlersTest, CallsMadeWhileThePlayerOpensAreGuarded) {
  enum TCall { kOpenDuringOpen, kStopDuringOpen };
  struct Case {
    TCall call;
    const char* name;
  } cases[] = {{kOpenDuringOpen, "open during open"}, {kStopDuringOpen, "stop during open"}};
  player_->SetTriggerEventInMainThread(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool inner = false, innerResult = true;
    player_->OnFileOpen = [&](rtl::TObject*, int64_t, int, int, int&, int&) {
      if (inner) return;
      inner = true;
      if (c.call == kOpenDuringOpen)
        innerResult = player_->Open(File("wide.mkv"), nullptr, true);
      else
        player_->Stop(true);
    };
    const bool outer = player_->Open(File("video.mkv"), nullptr, true);
    ASSERT_TRUE(inner);
    if (c.call == kOpenDuringOpen) {
      EXPECT_FALSE(innerResult) << "a second open is refused while the first is under way";
      EXPECT_TRUE(outer);
      EXPECT_EQ(U8(player_->FileName()), U8(File("video.mkv")));
    } else {
      EXPECT_FALSE(outer) << "the stop wins over the open it came during";
      EXPECT_TRUE(player_->Paused()) << "nothing is open";
    }
    player_->Stop(true);
    player_->OnFileOpen = nullptr;
    // Usable afterwards.
    ASSERT_TRUE(player_->Open(File("twocolor.mkv"), nullptr, true)) << U8(player_->LastErrMsg());
    player_->Stop(true);
  }
}

TEST_F(PlayerHandlersTest, PlayWindowsLoopOrStopWithoutDeadlock) {
  // The window ends inside the file (the refresh sees it) or at its very
  // end (the video decoder sees it first).
  struct Case {
    TRepeatType repeat;
    int64_t playTime;
  } cases[] = {{rtLoop, 500000}, {rtLoop, 2000000}, {rtStop, 500000}, {rtStop, 2000000}};
  // What the handler sees outlives every case: a position may still arrive
  // after a case has ended.
  std::mutex lock;
  int loops = 0;
  int64_t last = -1, playTime = 0;
  player_->OnPosition = [&](rtl::TObject*, int64_t pts) {
    std::lock_guard g(lock);
    if (last >= playTime - 200000 && pts < 300000) ++loops;
    last = pts;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.repeat) + " at " + std::to_string(c.playTime));
    player_->SetPlayTime(c.playTime);
    player_->SetRepeatType(c.repeat);
    {
      std::lock_guard g(lock);
      loops = 0;
      last = -1;
      playTime = c.playTime;
    }
    ASSERT_TRUE(player_->Open(File("video.mkv"), nullptr, false));
    if (c.repeat == rtLoop) {
      ASSERT_TRUE(ServeUntil([&] {
        std::lock_guard g(lock);
        return loops >= 3;
      })) << "looped " << loops << " times";
      player_->Stop(true);
    } else {
      ASSERT_TRUE(rec_.WaitState(psStop, 1, 15)) << "the window's end stops the player";
      std::lock_guard g(lock);
      EXPECT_GE(last, c.playTime - 200000);
      EXPECT_EQ(loops, 0);
    }
    EXPECT_EQ(player_->PlayState(), psStop);
    player_->Stop(true);
    rec_.Clear();
  }
  player_->OnPosition = nullptr;
  player_->SetPlayTime(AV_NOPTS_VALUE);
  player_->SetRepeatType(rtStop);
  ASSERT_TRUE(player_->Open(File("wide.mkv"), nullptr, false));
  ASSERT_TRUE(rec_.WaitState(psEnd, 1, 15)) << "without a window the file plays to its end";
}

TEST_F(PlayerHandlersTest, PausingAPausedPlayerKeepsItPaused) {
  // Opened paused, and paused while playing: a second Pause changes nothing.
  for (bool openPaused : {true, false}) {
    SCOPED_TRACE(openPaused ? "opened paused" : "paused while playing");
    ASSERT_TRUE(player_->Open(File("video.mkv"), nullptr, openPaused));
    if (!openPaused) {
      ASSERT_TRUE(rec_.WaitState(psPlay));
      player_->Pause();
    }
    ASSERT_TRUE(rec_.WaitState(psPause));
    ASSERT_TRUE(player_->Paused());
    player_->Pause();
    player_->Pause();
    EXPECT_TRUE(player_->Paused());
    EXPECT_EQ(player_->PlayState(), psPause);
    // Resume is what resumes it, and it is reported once.
    player_->Resume();
    EXPECT_FALSE(player_->Paused());
    ASSERT_TRUE(rec_.WaitState(psResume));
    player_->Stop(true);
    const auto states = rec_.States();
    EXPECT_EQ(std::count(states.begin(), states.end(), psResume), 1);
    EXPECT_EQ(std::count(states.begin(), states.end(), psPause), 1);
    rec_.Clear();
  }
}

TEST_F(PlayerHandlersTest, RelativeSeeksGoByBytesInFilesWhoseStampsJump) {
  struct Case {
    const char* file;
    int setting;
    int inUse;
  } cases[] = {{"late.ts", -1, 1}, {"av.mp4", -1, 0}, {"late.ts", 0, 0}, {"av.mp4", 1, 1}};
  EXPECT_EQ(player_->SeekByBytesInUse(), -1);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.setting));
    player_->seek_by_bytes = c.setting;
    ASSERT_TRUE(player_->Open(File(c.file), nullptr, true));
    EXPECT_EQ(player_->SeekByBytesInUse(), c.inUse);
    EXPECT_EQ(player_->seek_by_bytes, c.setting) << "the setting is left as it was";
    ASSERT_TRUE(rec_.WaitState(psPause));
    const int64_t before = player_->CurrentPTS();
    if (c.inUse) {
      // A second's worth of bytes forward, without the byte flag.
      player_->Seek(1.0, {}, true);
      EXPECT_GT(ShownAfter(before), before) << "the seek moved forward";
    }
    player_->Stop(true);
    rec_.Clear();
  }
  player_->seek_by_bytes = -1;
}

TEST_F(PlayerHandlersTest, MotionVectorsAreDrawnWhenAsked) {
  // The same P picture with and without its motion vectors.
  gdi::TBitmap plain, vectors;
  for (int mv : {0, 1}) {
    player_->debug_mv = mv;
    ASSERT_TRUE(player_->Open(File("video.mkv"), nullptr, true));
    ASSERT_TRUE(rec_.WaitState(psPause));
    player_->Seek(int64_t(1240000), {}, true);
    const int64_t pts = ShownAfter(1200000);
    gdi::TBitmap& into = mv ? vectors : plain;
    into.Assign(player_->CurrentFrame());
    EXPECT_NEAR(static_cast<double>(pts), 1240000.0, 40000.0);
    player_->Stop(true);
    rec_.Clear();
  }
  player_->debug_mv = 0;
  // (Decoding is exact: the same picture without vectors differs by 0.)
  EXPECT_GT(Difference(plain, vectors), 0.1) << "arrows are drawn over the picture";
}

}  // namespace
