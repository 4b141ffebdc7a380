// The player headless (SDL's dummy drivers): states in order, pictures and
// their times after opening and seeking, the end of files with and without
// video, the frame hook, bad inputs and stopping in every state.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/FFEntries.h"
#include "engine/FFmpegLogger.h"
#include "engine/probe/AVProbe.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Threads.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "tests/player/PlayerTestUtils.h"

using namespace player;
using playertest::Difference;
using playertest::Media;
using playertest::Recorder;
using rtl::S;
using rtl::U8;

namespace {

class PlayerTest : public playertest::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    player_->SetScreenWidth(160);
    player_->SetScreenHeight(120);
  }

  bool Open(const std::string& AName, bool APaused) {
    const bool ok = player_->Open(S(Media::Get()(AName)), nullptr, APaused);
    EXPECT_TRUE(ok) << U8(player_->LastErrMsg());
    return ok;
  }
};

// The probe's own decode of the picture shown at APTS (microseconds from
// the file's start).
std::unique_ptr<gdi::TBitmap> ProbePicture(const std::string& AFile, int64_t APTS) {
  TAVProbe probe(nullptr);
  EXPECT_TRUE(probe.LoadFile(S(AFile))) << U8(probe.LastErrMsg());
  EXPECT_TRUE(probe.Seek(std::max<int64_t>(0, APTS - 500000)));
  auto bmp = std::make_unique<gdi::TBitmap>();
  while (probe.Decode()) {
    if (probe.FrameInfo().PTS + 20000 >= APTS) break;
  }
  EXPECT_NEAR(static_cast<double>(probe.FrameInfo().PTS), static_cast<double>(APTS), 20000.0);
  EXPECT_TRUE(probe.CopyToBitmap(*bmp));
  return bmp;
}

TEST_F(PlayerTest, PausedOpenShowsTheFirstPictureThenPauses) {
  int64_t duration = 0;
  int fw = 0, fh = 0;
  player_->OnFileOpen = [&](rtl::TObject*, int64_t d, int w, int h, int&, int&) {
    duration = d;
    fw = w;
    fh = h;
  };
  ASSERT_TRUE(Open("av.mp4", true));
  EXPECT_TRUE(player_->Paused());
  EXPECT_NEAR(static_cast<double>(duration), 2e6, 50000);
  EXPECT_EQ(fw, 160);
  EXPECT_EQ(fh, 120);
  ASSERT_TRUE(rec_.WaitState(psPause));
  // psPlay, then psPause; a psPlay not yet delivered when psPause follows
  // is replaced by it, as notifications of one kind are.
  const auto states = rec_.States();
  const std::vector<TPlayState> full = {psPlay, psPause}, collapsed = {psPause};
  EXPECT_TRUE(states == full || states == collapsed) << states.size();
  int64_t pts = -2;
  gdi::TBitmap* frame = nullptr;
  for (int i = 0; i < 200 && pts < 0; ++i) {
    frame = player_->CurrentFrame(pts);
    if (pts < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(frame->Width(), 160);
  ASSERT_EQ(frame->Height(), 120);
  // The open decodes two pictures before the pause takes hold, and none of
  // them is skipped or dropped as late, however loaded the machine.
  EXPECT_LE(pts, 40000);
  auto expected = ProbePicture(Media::Get()("av.mp4"), pts);
  EXPECT_LT(Difference(*frame, *expected), 3.0) << "the capture is the probe's decode of the same picture";
  EXPECT_EQ(player_->CurrentFrame(), frame) << "the player keeps one bitmap";
  player_->Stop(true);
  EXPECT_EQ(rec_.States().back(), psStop);
  EXPECT_EQ(player_->CurrentFrame(pts)->Width(), 0);
  EXPECT_EQ(pts, -1);
}

TEST_F(PlayerTest, PausedSeeksShowThePictureOfTheTarget) {
  for (const char* name : {"av.mp4", "late.ts", "late10h.ts", "late.mpg"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Open(name, true));
    ASSERT_TRUE(rec_.WaitState(psPause));
    for (int64_t target : {1000000, 520000, 1480000, 0}) {
      player_->Seek(target, {}, true);
      int64_t pts = -1;
      gdi::TBitmap* frame = player_->CurrentFrame(pts);
      // The picture on screen is the one whose interval holds the target.
      // (A late stream's first picture may come a little after its start.)
      const int64_t latest = std::max<int64_t>(target, 20000);
      for (int i = 0; i < 100 && (pts > latest || pts + 40000 <= target); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        frame = player_->CurrentFrame(pts);
      }
      EXPECT_LE(pts, latest) << "target " << target;
      EXPECT_GT(pts + 40000, target) << "target " << target;
      auto expected = ProbePicture(Media::Get()(name), pts);
      EXPECT_LT(Difference(*frame, *expected), 4.0) << "target " << target;
      EXPECT_TRUE(player_->Paused());
    }
    player_->Stop(true);
    rec_.Clear();
  }
}

TEST_F(PlayerTest, PlayingToTheEndReportsTheDurationOnceThenTheEnd) {
  for (const char* name : {"av.mp4", "late.ts", "video.mkv", "longaudio.mkv", "tone.wav"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Open(name, false));
    ASSERT_TRUE(rec_.WaitState(psEnd, 1, 15));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto pos = rec_.Positions();
    ASSERT_FALSE(pos.empty());
    TAVProbe probe(nullptr);
    ASSERT_TRUE(probe.LoadFile(S(Media::Get()(name))));
    const int64_t duration = probe.FileStreamInfo().Duration;
    EXPECT_EQ(pos.back(), duration);
    EXPECT_EQ(std::count(pos.begin(), pos.end(), duration), 1);
    EXPECT_LT(pos.front(), 300000) << "positions count from the file's start";
    for (size_t i = 1; i + 1 < pos.size(); ++i) EXPECT_GT(std::llabs(pos[i] - pos[i - 1]), 10000);
    if (std::string(name) != "tone.wav") {
      const auto states = rec_.States();
      EXPECT_EQ(std::count(states.begin(), states.end(), psEnd), 1);
    }
    int64_t pts = 0;
    if (std::string(name) == "tone.wav") {
      EXPECT_EQ(player_->CurrentFrame(pts)->Width(), 0) << "no video, no picture";
      EXPECT_EQ(pts, -1);
    }
    player_->Stop(true);
    rec_.Clear();
  }
}

TEST_F(PlayerTest, PauseResumeAndASeekWhilePlayingReportStatesInOrder) {
  for (const char* name : {"av.mp4", "late.ts"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Open(name, false));
    auto waitPosition = [&](int64_t AAtLeast) {
      for (int i = 0; i < 1000; ++i) {
        const auto pos = rec_.Positions();
        if (!pos.empty() && pos.back() >= AAtLeast) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      return false;
    };
    ASSERT_TRUE(waitPosition(200000));
    // (Notifications of one kind collapse while undelivered: each is awaited.)
    player_->Pause();
    EXPECT_TRUE(player_->Paused());
    ASSERT_TRUE(rec_.WaitState(psPause));
    player_->Resume();
    EXPECT_FALSE(player_->Paused());
    ASSERT_TRUE(rec_.WaitState(psResume));
    // Sound and pictures go on from the target to the end.
    player_->Seek(int64_t(1500000), {}, true);
    // Positions taken while the seek was under way may still be on their way.
    const size_t atSeek = rec_.Positions().size();
    ASSERT_TRUE(waitPosition(1500000));
    ASSERT_TRUE(rec_.WaitState(psEnd, 1, 15));
    player_->Stop(true);
    const std::vector<TPlayState> expected = {psPlay, psPause, psResume, psEnd, psStop};
    EXPECT_EQ(rec_.States(), expected);
    const auto pos = rec_.Positions();
    ASSERT_LE(atSeek, pos.size());
    const auto seek = std::find_if(pos.begin() + static_cast<std::ptrdiff_t>(atSeek), pos.end(),
                                   [](int64_t p) { return p >= 1400000; });
    ASSERT_NE(seek, pos.end());
    EXPECT_TRUE(std::is_sorted(seek, pos.end())) << "no position before the target after the seek";
    EXPECT_LT(*seek, 1600000) << "playing resumes at the target";
    rec_.Clear();
  }
}

TEST_F(PlayerTest, HookDrawsIntoThePicturesAndAFailingHookLeavesThemAlone) {
  std::atomic<int> calls{0};
  player_->SetHook(true);
  player_->OnHook = [&](rtl::TObject*, gdi::TBitmap* bmp, int64_t) {
    ++calls;
    for (int y = 0; y < 10; ++y) std::memset(bmp->ScanLine(y), 0xFF, 10 * 3);
  };
  ASSERT_TRUE(Open("twocolor.mkv", true));
  ASSERT_TRUE(rec_.WaitState(psPause));
  int64_t pts = -1;
  gdi::TBitmap* frame = player_->CurrentFrame(pts);
  for (int i = 0; i < 200 && pts < 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    frame = player_->CurrentFrame(pts);
  }
  EXPECT_GE(calls.load(), 1);
  const auto* px = static_cast<const uint8_t*>(frame->ScanLine(2)) + 2 * 3;
  EXPECT_GT(px[0], 220);
  EXPECT_GT(px[1], 220);
  EXPECT_GT(px[2], 220);
  player_->Stop(true);

  std::vector<std::string> logged;
  std::mutex logLock;
  engine::GetFFLogger()->SetTriggerEventInMainThread(false);
  engine::GetFFLogger()->SetOnLog([&](rtl::TObject*, unsigned, engine::TLogLevel, const rtl::String& AMsg) {
    std::lock_guard g(logLock);
    logged.push_back(U8(AMsg));
  });
  player_->OnHook = [](rtl::TObject*, gdi::TBitmap* bmp, int64_t) {
    std::memset(bmp->ScanLine(0), 0xFF, 30);
    throw rtl::Exception(u"hook broke");
  };
  ASSERT_TRUE(Open("twocolor.mkv", true));
  ASSERT_TRUE(rec_.WaitState(psPause, 2));
  frame = player_->CurrentFrame(pts);
  for (int i = 0; i < 200 && pts < 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    frame = player_->CurrentFrame(pts);
  }
  px = static_cast<const uint8_t*>(frame->ScanLine(2)) + 2 * 3;
  EXPECT_LT(px[1], 120) << "the picture stays as decoded (blue)";
  player_->Stop(true);
  engine::GetFFLogger()->SetOnLog(nullptr);
  std::lock_guard g(logLock);
  EXPECT_TRUE(std::any_of(logged.begin(), logged.end(),
                          [](const std::string& s) { return s.find("Error occurs OnHook: hook broke") == 0; }));
}

TEST_F(PlayerTest, BadInputsFailWithATextAndLeaveThePlayerUsable) {
  const std::string dir = std::filesystem::path(Media::Get()("av.mp4")).parent_path().string();
  playertest::Media::Get()("late.ts");
  {
    std::ofstream(dir + "/text.mp4") << std::string(4096, 'x');
    std::ifstream in(dir + "/late.ts", std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(dir + "/cut.mp4", std::ios::binary) << Media::Get()("av.mp4").size();
    std::ifstream mp4(Media::Get()("av.mp4"), std::ios::binary);
    std::string m((std::istreambuf_iterator<char>(mp4)), {});
    std::ofstream(dir + "/cut.mp4", std::ios::binary) << m.substr(0, m.size() / 3);
  }
  for (const char* name : {"missing.mp4", "text.mp4", "cut.mp4"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(player_->Open(S(dir + "/" + name), nullptr, true));
    EXPECT_NE(U8(player_->LastErrMsg()).find(name), std::string::npos) << U8(player_->LastErrMsg());
    EXPECT_EQ(player_->VideoStreamIndex(), -1);
  }
  EXPECT_TRUE(Open("av.mp4", true));
  EXPECT_TRUE(rec_.WaitState(psPause));
}

TEST_F(PlayerTest, StreamSwitchingRefusesWrongKinds) {
  ASSERT_TRUE(Open("av.mp4", true));
  const int video = player_->VideoStreamIndex();
  ASSERT_GE(video, 0);
  player_->SetAudioStreamIndex(video);
  EXPECT_EQ(U8(player_->LastErrMsg()), "the stream type is not matched.");
  player_->SetAudioStreamIndex(99);
  EXPECT_EQ(U8(player_->LastErrMsg()), "the stream index is not valid.");
  EXPECT_NE(player_->AudioStreamIndex(), video);
}

TEST_F(PlayerTest, StopWhileSeekingPausedOrPlayingNeverHangs) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(Open("av.mp4", true));
    player_->Seek(int64_t(1500000), {}, false);
    player_->Stop(true);
    ASSERT_TRUE(Open("av.mp4", false));
    player_->Pause();
    player_->Seek(0.5, {}, false);
    player_->Stop(true);
    ASSERT_TRUE(Open("late.ts", false));
    player_->StepToNextFrame();
    player_->Stop(false);
    player_->Stop(true);
  }
  EXPECT_EQ(player_->PlayState(), psStop);
}

TEST_F(PlayerTest, EventsReachTheMainThreadWhenAsked) {
  player_->SetTriggerEventInMainThread(true);
  const auto main = std::this_thread::get_id();
  std::atomic<bool> elsewhere{false};
  std::vector<TPlayState> states;  // touched on the main thread only
  int positions = 0;
  player_->OnState = [&](rtl::TObject*, TPlayState s) {
    if (std::this_thread::get_id() != main) elsewhere = true;
    states.push_back(s);
  };
  player_->OnPosition = [&](rtl::TObject*, int64_t) {
    if (std::this_thread::get_id() != main) elsewhere = true;
    ++positions;
  };
  ASSERT_TRUE(Open("av.mp4", false));
  // Nothing reaches the handlers until the main thread serves its queue.
  for (int i = 0; i < 1500 && std::count(states.begin(), states.end(), psEnd) == 0; ++i) rtl::CheckSynchronize(10);
  player_->Stop(true);
  EXPECT_FALSE(elsewhere.load());
  const std::vector<TPlayState> expected = {psPlay, psEnd, psStop};
  EXPECT_EQ(states, expected) << "every state arrives, in order";
  EXPECT_GT(positions, 10);
}

}  // namespace

namespace {

class PlayerHostTest : public PlayerTest {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    PlayerTest::SetUp();
    win::WNDCLASSW wc{};
    wc.lpfnWndProc = win::DefWindowProcW;
    wc.lpszClassName = u"PlayerHost";
    win::RegisterClassW(&wc);
  }
};

TEST_F(PlayerHostTest, HostWindowSizesTheSurfaceAndKeepsItsWindowWhileOpen) {
  const win::HWND top = win::CreateWindowExW(0, u"PlayerHost", u"", win::WS_POPUP | win::WS_VISIBLE, 0, 0, 400, 300,
                                             nullptr, 0, nullptr);
  const win::HWND screen = win::CreateWindowExW(win::WS_EX_FOREIGNVIDEO, u"PlayerHost", u"",
                                                win::WS_CHILD | win::WS_VISIBLE, 10, 10, 200, 124, top, 0, nullptr);
  ASSERT_NE(screen, nullptr);
  player_->SetScreenWidth(0);
  player_->SetScreenHeight(0);
  ASSERT_TRUE(player_->Open(S(Media::Get()("av.mp4")), screen, true)) << U8(player_->LastErrMsg());
  EXPECT_EQ(player_->ScreenHandle(), screen);
  EXPECT_EQ(player_->ScreenWidth(), 200) << "the host's client size when the handler sets none";
  EXPECT_EQ(player_->ScreenHeight(), 124);
  ASSERT_TRUE(rec_.WaitState(psPause));
  win::SendMessageW(screen, win::WM_CLOSE, 0, 0);
  EXPECT_TRUE(win::IsWindow(screen)) << "the video window ignores a close while a file is open";
  win::MoveWindow(screen, 10, 10, 240, 136, true);
  for (int i = 0; i < 200 && player_->ScreenWidth() != 240; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(player_->ScreenWidth(), 240) << "a resized host resizes the surface";
  EXPECT_EQ(player_->ScreenHeight(), 136);
  int64_t pts;
  EXPECT_EQ(player_->CurrentFrame(pts)->Width(), 160) << "the picture keeps its own size";
  player_->Stop(true);
  win::DestroyWindow(top);
}

TEST_F(PlayerTest, SoundDisplaysDrawForFilesWithoutPictures) {
  // Lit pixels of the video surface (the dummy driver's memory surface).
  auto litPixels = [] {
    SDL_Surface* s = ff::SDL_GetVideoSurface();
    if (!s || s->format->BytesPerPixel != 4) return -1;
    int lit = 0;
    for (int y = 0; y < s->h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
      for (int x = 0; x < s->w; ++x) lit += (row[x] & 0xFFFFFF) != 0;
    }
    return lit;
  };
  for (TShowAudio mode : {saWave, saRDFT}) {
    SCOPED_TRACE(mode);
    player_->SetShowAudio(mode);
    ASSERT_TRUE(Open("tone.wav", false));
    // The display of the playing sound: some of the area lit, not all of it.
    int lit = 0;
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      auto hold = player_->HoldPicture();
      lit = std::max(lit, litPixels());
    }
    EXPECT_GT(lit, 160) << "the sound is drawn across the area";
    EXPECT_LT(lit, 160 * 120 / 2);
    player_->ToggleAudioDisplay();
    player_->Pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    player_->Resume();
    ASSERT_TRUE(rec_.WaitState(psEnd, 1, 15));
    player_->Stop(true);
    rec_.Clear();
  }
}

}  // namespace

namespace {

// The sound written by SDL's disk driver: the largest sample of a run.
int LoudestSample(TRIDodevu& APlayer, Recorder& ARec, const std::string& AOut) {
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", AOut.c_str(), 1);
  ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  EXPECT_TRUE(APlayer.Open(S(Media::Get()("tone.wav")), nullptr, false));
  EXPECT_TRUE(ARec.WaitState(psEnd, 1, 15));
  APlayer.Stop(true);
  ARec.Clear();
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::ifstream in(AOut, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(in)), {});
  int loudest = 0;
  for (size_t i = 0; i + 1 < data.size(); i += 2)
    loudest = std::max(loudest, std::abs(static_cast<int16_t>(uint8_t(data[i]) | (uint8_t(data[i + 1]) << 8))));
  EXPECT_GT(data.size(), 40000u) << "a second of 16-bit mono at 22050 Hz";
  return loudest;
}

TEST_F(PlayerTest, MuteAndVolumeReachTheSoundOutput) {
  const std::string out = std::filesystem::path(Media::Get()("tone.wav")).parent_path().string() + "/out.raw";
  player_->SetShowAudio(saNone);
  EXPECT_GT(LoudestSample(*player_, rec_, out), 3000) << "the sine at full volume";
  player_->SetAudioVolume(0);
  EXPECT_EQ(LoudestSample(*player_, rec_, out), 0);
  player_->SetAudioVolume(128);
  player_->SetMute(true);
  EXPECT_EQ(LoudestSample(*player_, rec_, out), 0);
}

}  // namespace

namespace {

TEST_F(PlayerTest, SteppingShowsTheNextPicturesAndPausesAgain) {
  ASSERT_TRUE(Open("av.mp4", true));
  ASSERT_TRUE(rec_.WaitState(psPause));
  auto shown = [&] {
    int64_t pts = -1;
    player_->CurrentFrame(pts);
    return pts;
  };
  int64_t before = -1;
  for (int i = 0; i < 100 && (before = shown()) < 40000; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  player_->StepToNextFrame();
  player_->StepToNextFrame();
  int64_t after = before;
  for (int i = 0; i < 200 && (after = shown()) <= before; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(after, before);
  EXPECT_LE(after, before + 200000) << "a step is a picture or two, not playback";
  const auto states = rec_.States();
  EXPECT_EQ(std::count(states.begin(), states.end(), psStep), 1);
  for (int i = 0; i < 100 && !player_->Paused(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(player_->Paused());
}

}  // namespace
