// The preview player on a 10 s 1280x720 30 fps H.264 file with a key
// picture every second (SDL's dummy drivers, the picture shown at its size):
// - BM_PlayAgainstCommandLine: CPU time of playing the file to its end
//   against decoding and scaling it with the ffmpeg command line on one
//   thread, runs alternating; counters "ratio" (player / command line, the
//   median of the pairs), "dropped" (pictures dropped by the player, the
//   most of the runs), "play_s" (wall time from the open to the end: the
//   pictures follow the sound, and SDL's dummy sound device takes its
//   samples faster than real time, so the player drops a picture whenever
//   the sound has gained a picture's duration) and "load" (the machine's
//   one-minute load when the run began).
// - BM_PlayWithoutSound: the same file without its sound, the pictures
//   timed by the wall clock alone: "dropped" counts what the player's own
//   timing loses.
// - BM_SeekLatency: from a paused seek request to the new picture on
//   screen, the median ("median_ms") and worst ("max_ms") of 30 seeks.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/FFmpegLoader.h"
#include "player/FFPlay.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

namespace {

// The picture is shown at its own size; the command line "scales" to the
// same size.
constexpr int kShowW = 1280, kShowH = 720;

std::string Fixture() {
  static std::string path = [] {
    static std::string t = (std::filesystem::temp_directory_path() / "tvl-playerbench-XXXXXX").string();
    if (!mkdtemp(t.data())) abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(t, ec);
    });
    const std::string p = t + "/hd.mp4";
    const std::string cmd =
        "ffmpeg -v error -nostdin -y -f lavfi -i testsrc2=size=1280x720:rate=30:duration=10 "
        "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=10 -c:v libx264 -preset fast -g 30 "
        "-pix_fmt yuv420p -c:a aac -b:a 128k -shortest '" + p + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) abort();
    return p;
  }();
  return path;
}

double CpuSeconds(int AWho) {
  rusage u{};
  getrusage(AWho, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Load() {
  double l = 0;
  std::ifstream("/proc/loadavg") >> l;
  return l;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void Setup() {
  static bool done = [] {
    rtl::InitMainThread();
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    // A sound driver chosen by the caller is kept: SDL's dummy device times
    // its buffers in whole milliseconds and so runs about 1 % fast, which a
    // player that follows its sound clock answers with dropped pictures;
    // a real-time sink (e.g. a null sink of a sound server) shows none.
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    engine::TFFmpegLoader::SetLibraryPath(u"");
    if (!engine::TFFmpegLoader::Load(engine::PlayerLibraries)) abort();
    return true;
  }();
  (void)done;
}

struct TPlayRun {
  double cpu_s = 0, wall_s = 0;
  int64_t dropped = 0;
};

// Plays the fixture to its end (this thread sleeps meanwhile).
TPlayRun PlayToEnd(const std::string& AFile, bool ASound) {
  player::TRIDodevu p(nullptr);
  p.SetTriggerEventInMainThread(false);
  p.SetScreenWidth(kShowW);
  p.SetScreenHeight(kShowH);
  p.SetDisableAudio(!ASound);
  std::mutex lock;
  std::condition_variable cond;
  bool ended = false;
  p.OnState = [&](rtl::TObject*, player::TPlayState s) {
    if (s != player::psEnd) return;
    std::lock_guard g(lock);
    ended = true;
    cond.notify_all();
  };
  TPlayRun run;
  const double c0 = CpuSeconds(RUSAGE_SELF);
  const auto t0 = std::chrono::steady_clock::now();
  if (!p.Open(rtl::S(AFile), nullptr, false)) abort();
  {
    std::unique_lock g(lock);
    cond.wait(g, [&] { return ended; });
  }
  run.cpu_s = CpuSeconds(RUSAGE_SELF) - c0;
  run.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  run.dropped = p.FramesDropped();
  p.Stop(true);
  return run;
}

void BM_PlayAgainstCommandLine(benchmark::State& state) {
  Setup();
  const std::string file = Fixture();
  std::vector<double> ratios, dropped, wall;
  const double load = Load();
  for (auto _ : state) {
    const TPlayRun run = PlayToEnd(file, true);
    const double player = run.cpu_s;
    dropped.push_back(static_cast<double>(run.dropped));
    wall.push_back(run.wall_s);

    const double k0 = CpuSeconds(RUSAGE_CHILDREN);
    const std::string cli = "ffmpeg -v error -nostdin -threads 1 -i '" + file +
                            "' -vf scale=" + std::to_string(kShowW) + ":" + std::to_string(kShowH) +
                            " -filter_threads 1 -f null - >/dev/null 2>&1";
    if (std::system(cli.c_str()) != 0) abort();
    const double cmd = CpuSeconds(RUSAGE_CHILDREN) - k0;
    ratios.push_back(player / cmd);
    state.counters["player_cpu_s"] = player;
    state.counters["cli_cpu_s"] = cmd;
  }
  state.counters["ratio"] = Median(ratios);
  state.counters["dropped"] = *std::max_element(dropped.begin(), dropped.end());
  state.counters["play_s"] = Median(wall);
  state.counters["load"] = load;
}
BENCHMARK(BM_PlayAgainstCommandLine)->Iterations(5)->Unit(benchmark::kSecond);

void BM_PlayWithoutSound(benchmark::State& state) {
  Setup();
  const std::string file = Fixture();
  const double load = Load();
  TPlayRun run;
  for (auto _ : state) run = PlayToEnd(file, false);
  state.counters["dropped"] = static_cast<double>(run.dropped);
  state.counters["play_s"] = run.wall_s;
  state.counters["player_cpu_s"] = run.cpu_s;
  state.counters["load"] = load;
}
BENCHMARK(BM_PlayWithoutSound)->Iterations(1)->Unit(benchmark::kSecond);

void BM_SeekLatency(benchmark::State& state) {
  Setup();
  const std::string file = Fixture();
  const double load = Load();
  std::vector<double> ms;
  std::mt19937 rng(7);
  for (auto _ : state) {
    player::TRIDodevu p(nullptr);
    p.SetTriggerEventInMainThread(false);
    p.SetScreenWidth(1280);
    p.SetScreenHeight(720);
    if (!p.Open(rtl::S(file), nullptr, true)) abort();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < 30; ++i) {
      const int64_t target = std::uniform_int_distribution<int64_t>(0, 9'500'000)(rng) / 33333 * 33333;
      const auto t0 = std::chrono::steady_clock::now();
      p.Seek(target, {}, false);
      // Shown: the position of the picture on screen is the target's.
      while (std::llabs(p.CurrentPTS() - target) > 34000) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        if (std::chrono::steady_clock::now() - t0 > std::chrono::seconds(5)) break;
      }
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    p.Stop(true);
  }
  state.counters["median_ms"] = Median(ms);
  state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
  state.counters["load"] = load;
}
BENCHMARK(BM_SeekLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
