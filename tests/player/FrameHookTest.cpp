// Video-hook libraries: loading, entry points and configuration, the chain
// order and release, and hooks changing the pictures of a conversion.
#include <gtest/gtest.h>
#include <dlfcn.h>

#include <chrono>
#include <filesystem>

#include "engine/FFmpegLogger.h"
#include "engine/FFmpegVCL.h"
#include "engine/FrameHook.h"
#include "engine/probe/AVProbe.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Threads.h"
#include "tests/player/PlayerTestUtils.h"

using namespace engine;

namespace {

int& Counter(const char* ALib, const char* AName) {
  void* h = dlopen(ALib, RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(h, nullptr);
  int* v = static_cast<int*>(dlsym(h, AName));
  dlclose(h);
  return *v;
}

class FrameHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    playertest::LoadPlayerLibraries();
    GetFFLogger()->SetTriggerEventInMainThread(false);
    GetFFLogger()->SetOnLog([this](rtl::TObject*, uint32_t, TLogLevel, const rtl::String& AMsg) {
      std::lock_guard g(lock_);
      log_ += rtl::U8(AMsg);
    });
  }
  void TearDown() override { GetFFLogger()->SetOnLog(nullptr); }
  std::string Log() {
    std::lock_guard g(lock_);
    return log_;
  }
  std::mutex lock_;
  std::string log_;
};

TEST_F(FrameHookTest, RefusesWhatCannotBeAHook) {
  PFrameHookEntry chain = nullptr;
  EXPECT_EQ(FrameHookAdd(chain, {}), -2);
  EXPECT_EQ(FrameHookAdd(chain, {"/nonexistent/hook.so"}), -1);
  EXPECT_NE(Log().find("/nonexistent/hook.so"), std::string::npos) << "the loader's reason is logged";
  EXPECT_EQ(FrameHookAdd(chain, {TVL_TEST_VHOOK_NOPROCESS}), -2);
  EXPECT_NE(Log().find("Failed to find Process entrypoint in"), std::string::npos);
  EXPECT_EQ(FrameHookAdd(chain, {TVL_TEST_VHOOK_BARE, "7"}), -2);
  EXPECT_NE(Log().find("Failed to find Configure entrypoint in"), std::string::npos);
  EXPECT_EQ(FrameHookAdd(chain, {TVL_TEST_VHOOK, "fail"}), -22);
  EXPECT_NE(Log().find("Failed to Configure"), std::string::npos);
  EXPECT_EQ(chain, nullptr);
}

TEST_F(FrameHookTest, ChainRunsInOrderWithOwnContextsAndReleases) {
  PFrameHookEntry chain = nullptr;
  ASSERT_EQ(FrameHookAdd(chain, {TVL_TEST_VHOOK, "10"}), 0);
  const int libraries = FrameHookLibraryCount();
  ASSERT_EQ(FrameHookAdd(chain, {TVL_TEST_VHOOK, "99"}), 0);
  EXPECT_EQ(FrameHookLibraryCount(), libraries) << "one library loaded once for two entries";
  ASSERT_EQ(FrameHookAdd(chain, {TVL_TEST_VHOOK_BARE}), 0) << "no Configure and no arguments";
  ASSERT_NE(chain->next, nullptr);
  EXPECT_NE(chain->ctx, chain->next->ctx);

  uint8_t luma[32 * 32] = {};
  TFrameHookPicture pict;
  pict.data[0] = luma;
  pict.linesize[0] = 32;
  int& processed = Counter(TVL_TEST_VHOOK, "HookProcessCalls");
  const int before = processed;
  FrameHookProcess(chain, &pict, AV_PIX_FMT_GRAY8, 32, 32, 0);
  EXPECT_EQ(processed - before, 2);
  EXPECT_EQ(Counter(TVL_TEST_VHOOK, "HookLastValue"), 99) << "the second entry read its kept argument";
  EXPECT_EQ(luma[0], 200) << "the last hook (the bare one, 200) wrote last";
  EXPECT_EQ(luma[20 * 32], 0);

  int& released = Counter(TVL_TEST_VHOOK, "HookReleaseCalls");
  const int releasedBefore = released;
  FrameHookRelease(chain);
  EXPECT_EQ(chain, nullptr);
  EXPECT_EQ(released - releasedBefore, 2);
}

TEST_F(FrameHookTest, VideoHookOptionChangesTheConvertedPictures) {
  rtl::InitMainThread();
  const std::string in = playertest::Media::Get()("video.mkv");
  const std::string out = std::filesystem::path(in).parent_path().string() + "/hooked.avi";
  TFFmpegVCL vcl(nullptr);
  std::atomic<bool> done{false};
  vcl.OnTerminate = [&](rtl::TObject*, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex == -1) done = true;
  };
  const int task = vcl.AddTask(rtl::S(in));
  ASSERT_GE(task, 0) << rtl::U8(vcl.LastErrMsg());
  TOutputOptions opts;
  opts.VideoCodec = u"mpeg4";
  opts.ExtOptions = rtl::S(std::string("vhook=") + TVL_TEST_VHOOK + "|240");
  ASSERT_TRUE(vcl.SetOutputFile(task, rtl::S(out), &opts)) << rtl::U8(vcl.LastErrMsg());
  vcl.Start(1);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done && std::chrono::steady_clock::now() < end) rtl::CheckSynchronize(5);
  ASSERT_TRUE(done);
  // The hook kept its argument as Configure got it and read it again for the
  // last picture: the argument outlives the option that gave it.
  EXPECT_EQ(Counter(TVL_TEST_VHOOK, "HookLastValue"), 240);

  player::TAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(rtl::S(out))) << rtl::U8(probe.LastErrMsg());
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(probe.Decode());
    gdi::TBitmap bmp;
    ASSERT_TRUE(probe.CopyToBitmap(bmp));
    // The black corner of the pattern with the hook's bright luma.
    const auto* px = static_cast<const uint8_t*>(bmp.ScanLine(4)) + 4 * 3;
    for (int c = 0; c < 3; ++c) EXPECT_GT(px[c], 200) << "picture " << i;
  }

  // A library that cannot be loaded fails the option.
  TFFmpegVCL other(nullptr);
  const int bad = other.AddTask(rtl::S(in));
  opts.ExtOptions = u"vhook=/nonexistent/hook.so";
  EXPECT_FALSE(other.SetOutputFile(bad, rtl::S(out + ".2.avi"), &opts));
  EXPECT_NE(rtl::U8(other.LastErrMsg()).find("Failed to add video hook function: /nonexistent/hook.so"),
            std::string::npos)
      << rtl::U8(other.LastErrMsg());
}

}  // namespace
