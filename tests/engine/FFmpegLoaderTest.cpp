#include "engine/FFmpegLoader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "EngineTestUtils.h"
#include "engine/FFEntries.h"
#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "platform/rtl/Strings.h"

using namespace engine;
using enginetest::TempDir;

namespace {

std::string LastErr() { return rtl::U8(TFFmpegLoader::GetLastErrMsg()); }

class FFmpegLoaderTest : public ::testing::Test {
 protected:
  void TearDown() override { TFFmpegLoader::SetLibraryPath(u""); }
};

TEST_F(FFmpegLoaderTest, FileNamesAreSonames) {
  const std::pair<TLibrary, const char*> cases[] = {
      {avCodec, "libavcodec.so.59"},  {avDevice, "libavdevice.so.59"},
      {avFilter, "libavfilter.so.8"}, {avFormat, "libavformat.so.59"},
      {avUtil, "libavutil.so.57"},    {swScale, "libswscale.so.6"},
      {swResample, "libswresample.so.4"}, {myUtil, "libc.so.6"},
      {lbSDL, "libSDL-1.2.so.0"}};
  for (auto [lib, name] : cases) EXPECT_EQ(rtl::U8(TFFmpegLoader::GetLibraryFileName(lib)), name);
}

TEST_F(FFmpegLoaderTest, EmptySetIsAProgrammingError) {
  EXPECT_THROW(TFFmpegLoader::Load(TLibraries{}), EAssertionFailed);
  EXPECT_THROW(TFFmpegLoader::Loaded(TLibraries{}), EAssertionFailed);
  EXPECT_THROW(TFFmpegLoader::Unload(TLibraries{}), EAssertionFailed);
}

TEST_F(FFmpegLoaderTest, FolderWithoutTheLibrariesFallsBackToTheSystem) {
  TempDir empty;
  TFFmpegLoader::SetLibraryPath(rtl::S(empty.path().string()));
  ASSERT_TRUE(TFFmpegLoader::Load(PlayerLibraries)) << LastErr();
  EXPECT_TRUE(TFFmpegLoader::Loaded(PlayerLibraries));
  EXPECT_NE(ff::avcodec_open2, nullptr);
  EXPECT_NE(ff::swr_convert, nullptr);
  EXPECT_NE(ff::SDL_Init, nullptr);
  EXPECT_NE(ff::putenv, nullptr);  // SDL's putenv comes from the C library
  EXPECT_NE(ff::vsnprintf, nullptr);
  EXPECT_GE(ff::avcodec_version() >> 16, 59u);
  // avdevice belongs to no set.
  EXPECT_FALSE(TFFmpegLoader::Loaded(avDevice));
}

TEST_F(FFmpegLoaderTest, AvdeviceLoadsOnItsOwn) {
  ASSERT_TRUE(TFFmpegLoader::Load(avDevice)) << LastErr();
  EXPECT_NE(ff::avdevice_register_all, nullptr);
  TFFmpegLoader::Unload(avDevice);
  EXPECT_FALSE(TFFmpegLoader::Loaded(avDevice));
  EXPECT_EQ(ff::avdevice_register_all, nullptr);
}

TEST_F(FFmpegLoaderTest, BogusFileInTheFolderFailsWithoutFallback) {
  TFFmpegLoader::Unload(avCodec);
  TempDir dir;
  enginetest::WriteFile(dir / "libavcodec.so.59", std::string(4096, 'x'));
  TFFmpegLoader::SetLibraryPath(rtl::S(dir.path().string()));

  EXPECT_FALSE(TFFmpegLoader::Load(avCodec));
  const std::string prefix = "Load library " + (dir / "libavcodec.so.59") + " error: ";
  EXPECT_EQ(LastErr().substr(0, prefix.size()), prefix);
  EXPECT_NE(LastErr().find("invalid ELF header"), std::string::npos) << LastErr();
  EXPECT_FALSE(TFFmpegLoader::Loaded(avCodec));
  EXPECT_EQ(ff::avcodec_open2, nullptr);

  // An error text stays after a later success.
  TFFmpegLoader::SetLibraryPath(u"");
  ASSERT_TRUE(TFFmpegLoader::Load(avCodec));
  EXPECT_EQ(LastErr().substr(0, prefix.size()), prefix);
}

TEST_F(FFmpegLoaderTest, MissingFunctionUnloadsTheLibraryAndClearsItsEntries) {
  TFFmpegLoader::Unload(swScale);
  TempDir dir;
  std::filesystem::copy_file(TVL_FAKE_SWSCALE, dir / "libswscale.so.6");
  TFFmpegLoader::SetLibraryPath(rtl::S(dir.path().string()));

  EXPECT_FALSE(TFFmpegLoader::Load(swScale));
  const std::string prefix = "Load function sws_get_class@libswscale.so.6 error: ";
  EXPECT_EQ(LastErr().substr(0, prefix.size()), prefix) << LastErr();
  EXPECT_NE(LastErr().find("sws_get_class"), std::string::npos);
  EXPECT_FALSE(TFFmpegLoader::Loaded(swScale));
  // The name bound before the failure does not point into the freed library.
  EXPECT_EQ(ff::swscale_version, nullptr);
}

TEST_F(FFmpegLoaderTest, SecondSetLoadsOnlyWhatIsMissingAndReinstallsTheLogger) {
  TFFmpegLoader::Unload(TLibraries{avFilter, swResample});
  enginetest::LoadSystemSet(ProbeLibraries);
  auto* openBefore = ff::avcodec_open2;
  EXPECT_FALSE(TFFmpegLoader::Loaded(avFilter));

  // Someone else takes FFmpeg's log callback; loading again gives it back.
  ff::av_log_set_callback(ff::av_log_default_callback);
  ff::av_log_set_level(AV_LOG_QUIET);
  enginetest::LoadSystemSet(TranscoderLibraries);
  EXPECT_TRUE(TFFmpegLoader::Loaded(avFilter));
  EXPECT_TRUE(TFFmpegLoader::Loaded(swResample));
  EXPECT_EQ(ff::avcodec_open2, openBefore);

  std::vector<std::string> lines;
  TFFLogger* logger = GetFFLogger();
  logger->SetTriggerEventInMainThread(false);
  logger->SetOnLog([&](rtl::TObject*, uint32_t, TLogLevel, const rtl::String& msg) {
    lines.push_back(rtl::U8(msg));
  });
  ff::av_log(nullptr, AV_LOG_ERROR, "reinstalled %d\n", 1);
  logger->SetOnLog(nullptr);
  logger->SetTriggerEventInMainThread(true);
  EXPECT_EQ(lines, std::vector<std::string>{"reinstalled 1"});
}

TEST_F(FFmpegLoaderTest, FailedSetFreesOnlyWhatThatCallLoaded) {
  enginetest::LoadSystemSet(ProbeLibraries);
  TFFmpegLoader::Unload(TLibraries{avFilter, swResample, lbSDL});
  TempDir dir;
  enginetest::WriteFile(dir / "libSDL-1.2.so.0", "");
  TFFmpegLoader::SetLibraryPath(rtl::S(dir.path().string()));

  EXPECT_FALSE(TFFmpegLoader::Load(PlayerLibraries));
  EXPECT_EQ(LastErr().rfind("Load library " + (dir / "libSDL-1.2.so.0") + " error: ", 0), 0u)
      << LastErr();
  // The probe's libraries, loaded before, stay for their user.
  EXPECT_TRUE(TFFmpegLoader::Loaded(ProbeLibraries));
  EXPECT_NE(ff::avformat_open_input, nullptr);
  // What this call brought in is gone again.
  EXPECT_FALSE(TFFmpegLoader::Loaded(avFilter));
  EXPECT_FALSE(TFFmpegLoader::Loaded(swResample));
  EXPECT_FALSE(TFFmpegLoader::Loaded(lbSDL));
  EXPECT_EQ(ff::avfilter_graph_alloc, nullptr);
}

TEST_F(FFmpegLoaderTest, LibraryMissingFromTheFolderGoesToTheSystemSearch) {
  TempDir dir;
  rtl::String error;
  EXPECT_EQ(LoadDLLFromPath(rtl::S(dir.path().string()), u"libtvl-none.so.1", error), nullptr);
  // The bare name was searched, not the folder's path.
  EXPECT_EQ(rtl::U8(error).rfind("libtvl-none.so.1:", 0), 0u) << rtl::U8(error);

  std::filesystem::copy_file(TVL_FAKE_SWSCALE, dir / "libfake.so");
  void* handle = LoadDLLFromPath(rtl::S(dir.path().string()), u"libfake.so", error);
  ASSERT_NE(handle, nullptr) << rtl::U8(error);
  unsigned (*version)() = nullptr;
  BindFunction(u"libfake.so", handle, "swscale_version", version);
  EXPECT_NE(version, nullptr);
  void (*optional)() = reinterpret_cast<void (*)()>(1);
  BindFunction(u"libfake.so", handle, "not_there", optional, true);
  EXPECT_EQ(optional, nullptr);
  int* variable = nullptr;
  try {
    BindVariable(u"libfake.so", handle, "no_such_variable", variable);
    FAIL() << "a missing variable was bound";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(rtl::U8(e.Message()).rfind("Load variable no_such_variable@libfake.so error: ", 0), 0u)
        << rtl::U8(e.Message());
  }
  FreeDLL(handle);
}

TEST_F(FFmpegLoaderTest, LibrarySetsOperate) {
  TLibraries probe = ProbeLibraries;
  EXPECT_TRUE(probe.Contains(avCodec));
  EXPECT_FALSE(probe.Contains(avFilter));
  EXPECT_EQ(PlayerLibraries - TranscoderLibraries, TLibraries{lbSDL});
  EXPECT_EQ(TranscoderLibraries * ProbeLibraries, ProbeLibraries);
  EXPECT_TRUE((ProbeLibraries - ProbeLibraries).Empty());
}

}  // namespace
