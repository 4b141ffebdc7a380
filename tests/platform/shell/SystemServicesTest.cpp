#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/rtl/DynLib.h"
#include "platform/rtl/Strings.h"
#include "platform/shell/ShellNamespace.h"
#include "platform/shell/SystemServices.h"
#include "platform/shell/WaveSound.h"
#include "tests/platform/shell/ShellFixture.h"

#include <SDL/SDL.h>

using namespace shell;
using rtl::S;

namespace {

// A script that writes its arguments, one a line, to Out.
std::string ArgumentRecorder(const TTempTree& tree, const std::string& out) {
  const std::string script = tree.File("record.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                                        out + ".part'\nmv '" + out + ".part' '" + out + "'\n");
  ::chmod(script.c_str(), 0755);
  return script;
}

// Waits for a file a started program writes; empty when none came.
std::string AwaitFile(const std::string& path) {
  for (int i = 0; i < 2000; ++i) {
    std::ifstream in(path);
    if (in) {
      std::stringstream ss;
      ss << in.rdbuf();
      return ss.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::string();
}

std::string Le(std::uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

// A RIFF WAV: format tag, channels, rate, bits, then extra chunks and data.
std::string Wave(int tag, int channels, int rate, int bits, const std::string& data,
                 const std::string& before = "", std::uint32_t claimed = 0) {
  std::string fmt = Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * channels * bits / 8, 4) +
                    Le(channels * bits / 8, 2) + Le(bits, 2);
  std::string body = "WAVE" + before + "fmt " + Le(16, 4) + fmt + "data" +
                     Le(claimed ? claimed : static_cast<std::uint32_t>(data.size()), 4) + data;
  return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

}  // namespace

TEST(OpenDocument, StartsTheOpenerWithTheTargetAsOneArgument) {
  TTempTree tree;
  const std::string out = tree.Path("args");
  SetOpenCommandForTests(S(ArgumentRecorder(tree, out)));
  const std::pair<const char*, const char*> cases[] = {
      {"/视频 文件/a b$HOME'.avi", "/视频 文件/a b$HOME'.avi\n"},
      {"-rf", "./-rf\n"},
      {"https://example.org/?a=1&b=2", "https://example.org/?a=1&b=2\n"}};
  for (auto [target, expected] : cases) {
    ::unlink(out.c_str());
    EXPECT_TRUE(OpenDocument(S(target)));
    EXPECT_EQ(AwaitFile(out), expected);
  }
  // A name that is not UTF-8 reaches the opener byte for byte.
  ::unlink(out.c_str());
  EXPECT_TRUE(OpenDocument(rtl::FileNameToString("/x/\xff\xfe.mp4")));
  EXPECT_EQ(AwaitFile(out), "/x/\xff\xfe.mp4\n");
  EXPECT_FALSE(OpenDocument(u""));
  SetOpenCommandForTests(u"/no/such/opener");
  EXPECT_FALSE(OpenDocument(u"/tmp"));
  SetOpenCommandForTests(u"");
}

TEST(OpenDocument, DefaultActionOfAnItemOpensItsPath) {
  TTempTree tree;
  const std::string out = tree.Path("args");
  SetOpenCommandForTests(S(ArgumentRecorder(tree, out)));
  const std::string clip = tree.File("片段 1.mp4");
  TItemList list;
  ASSERT_EQ(GetDesktopShellFolder()->ParseDisplayName(S(clip), list), 0);
  std::unique_ptr<TbsShellFolder> item(FolderObjectFromItemList(list.get()));
  EXPECT_EQ(item->ExecuteDefault(), 1);
  EXPECT_EQ(AwaitFile(out), clip + "\n");
  // The computer has no path to open.
  TRoot root = u"rfMyComputer";
  std::unique_ptr<TbsShellFolder> computer(ResolveRootFolder(nullptr, u"", root));
  EXPECT_EQ(computer->ExecuteDefault(), 0);
  SetOpenCommandForTests(u"");
}

TEST(SystemActions, PowerOffRunsSystemctlButNeverUnderCi) {
  TTempTree tree;
  const std::string out = tree.Path("args");
  TSystemdActions actions(S(ArgumentRecorder(tree, out)));
  String error;
  {
    TEnvSetting ci("CI", "true");
    EXPECT_FALSE(actions.PowerOff(error));
    EXPECT_NE(error.find(u"CI"), String::npos);
  }
  const char* ci = std::getenv("CI");
  if (ci && *ci) GTEST_SKIP() << "the suite itself runs under CI";
  {
    TEnvSetting unset("CI", "");
    ASSERT_TRUE(actions.PowerOff(error));
  }
  EXPECT_EQ(AwaitFile(out), "poweroff\n");

  // Tests put a fake in place of the real actions.
  struct TFake : TSystemActions {
    int* calls;
    explicit TFake(int* c) : calls(c) {}
    bool PowerOff(String&) override { return ++*calls > 0; }
  };
  int calls = 0;
  SetSystemActions(std::make_unique<TFake>(&calls));
  EXPECT_TRUE(SystemActions().PowerOff(error));
  EXPECT_EQ(calls, 1);
  SetSystemActions(nullptr);
}

TEST(WaveFiles, ParseWhatSdlPlaysAndRefuseTheRest) {
  const std::string pcm16(400, '\x10');
  TWaveData d;
  ASSERT_TRUE(ParseWave(Wave(1, 2, 44100, 16, pcm16), d));
  EXPECT_EQ(d.Frequency, 44100);
  EXPECT_EQ(d.Channels, 2);
  EXPECT_EQ(d.BitsPerSample, 16);
  EXPECT_EQ(d.Samples.size(), 400u);

  // An odd-sized chunk before the format is skipped with its pad byte.
  ASSERT_TRUE(ParseWave(Wave(1, 1, 8000, 8, "abc", "LIST" + Le(3, 4) + "xyz" + std::string(1, '\0')), d));
  EXPECT_EQ(d.Samples, "abc");
  // A data size larger than the file plays the whole frames that are there.
  ASSERT_TRUE(ParseWave(Wave(1, 2, 22050, 16, std::string(10, 'x'), "", 100000), d));
  EXPECT_EQ(d.Samples.size(), 8u);

  const std::string refused[] = {
      "", "RIFF", Wave(2, 1, 8000, 16, pcm16) /* ADPCM */, Wave(1, 6, 8000, 16, pcm16),
      Wave(1, 1, 8000, 24, pcm16), Wave(1, 1, 8000, 16, "") , Wave(1, 1, 8000, 16, "x"),
      "RIFF\x04\0\0\0WAVEdata\x04\0\0\0abcd" /* no format */,
      "RIFF\x10\0\0\0WAVEjunk\xff\xff\xff\x7f" /* chunk beyond the end */};
  for (const std::string& bytes : refused) EXPECT_FALSE(ParseWave(bytes, d)) << bytes.size();
}

TEST(Sounds, PlayOnceAndSkipWhenTheDeviceIsBusy) {
  TEnvSetting driver("SDL_AUDIODRIVER", "dummy");
  TTempTree tree;
  const std::string wav = tree.Path("beep.wav");
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i sine=frequency=880:duration=0.2 -ac 1 -ar 22050 '" + wav + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);

  TSdlSoundPlayer player;
  player.Play(S(wav));
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::Played);

  player.Play(S(tree.Path("missing.wav")));
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::Unreadable);
  tree.File("text.wav", "not a wave");
  player.Play(S(tree.Path("text.wav")));
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::Unreadable);

  // Another user of the same SDL holds the device: the sound is skipped.
  rtl::HMODULE sdl = rtl::LoadLibrary(std::string("libSDL-1.2.so.0"));
  ASSERT_NE(sdl, nullptr);
  auto init = reinterpret_cast<decltype(&SDL_InitSubSystem)>(rtl::GetProcAddress(sdl, "SDL_InitSubSystem"));
  auto open = reinterpret_cast<decltype(&SDL_OpenAudio)>(rtl::GetProcAddress(sdl, "SDL_OpenAudio"));
  auto close = reinterpret_cast<decltype(&SDL_CloseAudio)>(rtl::GetProcAddress(sdl, "SDL_CloseAudio"));
  auto quit = reinterpret_cast<decltype(&SDL_QuitSubSystem)>(rtl::GetProcAddress(sdl, "SDL_QuitSubSystem"));
  ASSERT_EQ(init(SDL_INIT_AUDIO), 0);
  SDL_AudioSpec spec{};
  spec.freq = 22050;
  spec.format = AUDIO_S16LSB;
  spec.channels = 1;
  spec.samples = 1024;
  spec.callback = [](void*, Uint8* stream, int len) { std::memset(stream, 0, len); };
  ASSERT_EQ(open(&spec, nullptr), 0);
  player.Play(S(wav));
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::DeviceBusy);
  close();
  // ... and the other user's audio is still set up afterwards: free again.
  player.Play(S(wav));
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::Played);
  quit(SDL_INIT_AUDIO);
  rtl::FreeLibrary(sdl);

  // Stop, and a new sound, end the one playing (it would last 30 s).
  const std::string longWav = tree.Path("long.wav");
  ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i sine=duration=30 -ac 1 -ar 8000 '" + longWav + "'").c_str()), 0);
  player.Play(S(longWav));
  while (!player.Busy()) std::this_thread::yield();
  player.Stop();
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::Stopped);
  const int before = player.Finished();
  player.Play(S(longWav));
  while (player.Finished() == before && !player.Busy()) std::this_thread::yield();
  player.Play(S(wav));
  player.WaitIdle();
  EXPECT_EQ(player.LastOutcome(), TSoundOutcome::Played);
  EXPECT_EQ(player.Finished() - before, 2);
}
