// Four 20-second clips (320x240 MPEG-4 video at 25 fps with MP2 audio)
// converted to MPEG-4 video with AAC audio in MP4 by the task list on 1, 2
// and 4 worker threads. The wall time of a whole queue is the figure; the
// "speedup" counter compares it with the one-thread run of this process.
//
// Fixtures are made once with the ffmpeg command line in a temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/FFmpegLoader.h"
#include "engine/FFmpegVCL.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

namespace {

constexpr int kTasks = 4;

struct Workspace {
  std::filesystem::path dir;
  std::vector<std::string> clips;
  bool ok = false;

  Workspace() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tvl-tasklist-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return;
    dir = tmpl;
    for (int i = 0; i < kTasks; ++i) {
      const std::string clip = (dir / ("clip" + std::to_string(i) + ".avi")).string();
      const std::string cmd =
          "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
          "testsrc=size=320x240:rate=25:duration=20 -f lavfi -i "
          "sine=frequency=" + std::to_string(440 + 110 * i) +
          ":sample_rate=44100:duration=20 -c:v mpeg4 -q:v 4 -c:a mp2 -shortest " + clip +
          " >/dev/null 2>&1";
      if (std::system(cmd.c_str()) != 0) return;
      clips.push_back(clip);
    }
    engine::TFFmpegLoader::SetLibraryPath(u"");
    ok = engine::TFFmpegLoader::Load(engine::TranscoderLibraries);
  }
  ~Workspace() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Workspace& Work() {
  static Workspace w;
  return w;
}

std::map<int, double>& OneThreadSeconds() {
  static std::map<int, double> m;
  return m;
}

// One queue of kTasks conversions; false when a task failed.
bool RunQueue(int AThreads, int ARound) {
  Workspace& w = Work();
  engine::TFFmpegVCL vcl(nullptr);
  std::atomic<bool> done{false};
  std::atomic<bool> failed{false};
  vcl.OnTerminate = [&](rtl::TObject*, const engine::TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex < 0)
      done = true;
    else if (!AInfo.Finished || AInfo.Exception)
      failed = true;
  };
  for (int i = 0; i < kTasks; ++i) {
    const int task = vcl.AddTask(rtl::Utf8ToString(w.clips[i]), engine::PInputOptions{});
    if (task < 0) return false;
    engine::TOutputOptions out;
    out.VideoCodec = u"mpeg4";
    out.VideoBitrate = 800000;
    out.AudioCodec = u"aac";
    out.AudioBitrate = 128000;
    const std::string name = (w.dir / ("out" + std::to_string(ARound) + "_" + std::to_string(i) + ".mp4")).string();
    if (!vcl.SetOutputFile(task, rtl::Utf8ToString(name), &out)) return false;
  }
  vcl.Start(AThreads);
  while (!done) rtl::CheckSynchronize(5);
  vcl.ClearTasks();
  return !failed;
}

void BM_ConvertFourClips(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  if (!Work().ok) {
    state.SkipWithError("fixtures or FFmpeg libraries unavailable");
    return;
  }
  int round = 0;
  double total = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!RunQueue(threads, round++)) {
      state.SkipWithError("a conversion failed");
      return;
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    total += s;
    state.SetIterationTime(s);
  }
  const double mean = total / round;
  if (threads == 1) OneThreadSeconds()[1] = mean;
  if (OneThreadSeconds().count(1)) state.counters["speedup"] = OneThreadSeconds()[1] / mean;
  state.counters["clips_per_s"] = kTasks / mean;
}

BENCHMARK(BM_ConvertFourClips)->Arg(1)->Arg(2)->Arg(4)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  rtl::InitMainThread();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
