// Wall time of a conversion through the engine against the same conversion
// by the ffmpeg command line: a 20 s 640x480 fixture, the same codec
// parameters on both sides (one coding thread, the engine's default),
// runs alternating, the median of the ratios of
// each pair reported as the counter "ratio" (engine / command line).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/FFmpeg.h"
#include "engine/FFmpegLoader.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"

namespace {

struct TProfile {
  const char* name;
  const char* ext;
  std::vector<std::pair<const char*, const char*>> engine;  // engine options
  const char* cli;                                          // the same for the command line
};

const TProfile kProfiles[] = {
    {"mp4_x264_aac", "mp4",
     {{"vcodec", "libx264"}, {"b", "1000000"}, {"acodec", "libfaac"}, {"ab", "128000"}},
     "-c:v libx264 -b:v 1000k -c:a aac -b:a 128k -threads 1"},
    {"avi_mpeg4_mp3", "avi",
     {{"vcodec", "mpeg4"}, {"b", "1000000"}, {"acodec", "libmp3lame"}, {"ab", "128000"}},
     "-c:v mpeg4 -b:v 1000k -c:a libmp3lame -b:a 128k -threads 1"},
};

std::string Dir() {
  static std::string dir = [] {
    std::string t = (std::filesystem::temp_directory_path() / "tvl-bench-XXXXXX").string();
    if (!mkdtemp(t.data())) abort();
    return t;
  }();
  return dir;
}

std::string Fixture() {
  static std::string path = [] {
    std::string p = Dir() + "/src.mkv";
    std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                      "testsrc=size=640x480:rate=25:duration=20 -f lavfi -i "
                      "sine=frequency=440:sample_rate=44100:duration=20 -ac 2 -c:v mpeg4 -q:v 2 -c:a pcm_s16le " +
                      p;
    if (std::system(cmd.c_str()) != 0) abort();
    return p;
  }();
  return path;
}

double Seconds(const std::function<void()>& AWork) {
  auto t0 = std::chrono::steady_clock::now();
  AWork();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void RunEngine(const TProfile& P, const std::string& AOut) {
  engine::TCustomFFmpeg t(20);
  t.Reset();
  if (!t.OpenInputFile(rtl::S(Fixture()))) abort();
  for (auto& [n, v] : P.engine) t.ApplyOption(rtl::S(n), rtl::S(v));
  if (t.OpenOutputFile(rtl::S(AOut), false) != 1) abort();
  t.StartConvert(false, rtl::tpNormal);
  if (!t.Finished()) abort();
}

void RunCli(const TProfile& P, const std::string& AOut) {
  std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + Fixture() + " " + P.cli + " " + AOut;
  if (std::system(cmd.c_str()) != 0) abort();
}

void BM_EngineAgainstCommandLine(benchmark::State& state) {
  const TProfile& P = kProfiles[state.range(0)];
  state.SetLabel(P.name);
  engine::TFFmpegLoader::SetLibraryPath(u"");
  if (!engine::TFFmpegLoader::Load(engine::TranscoderLibraries)) abort();
  engine::GetFFLogger()->SetTriggerEventInMainThread(false);
  engine::GetFFLogger()->SetLogLevel(engine::llError);
  Fixture();
  std::vector<double> ratios, engineTimes, cliTimes;
  for (auto _ : state) {
    const std::string out = Dir() + "/out." + P.ext;
    const double e = Seconds([&] { RunEngine(P, out); });
    const double c = Seconds([&] { RunCli(P, out); });
    engineTimes.push_back(e);
    cliTimes.push_back(c);
    ratios.push_back(e / c);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  state.counters["ratio"] = median(ratios);
  state.counters["engine_s"] = median(engineTimes);
  state.counters["cli_s"] = median(cliTimes);
}

BENCHMARK(BM_EngineAgainstCommandLine)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
