// Codec threads on idle cores: the task list against the ffmpeg command line
// with the same parameters (the 640x480 H.264 + AAC profile: libx264 with the
// stored "libx264-default" preset, 25 fps, 1200 kbit/s, AAC 48 kHz stereo
// 128 kbit/s) on 20 s 1280x720 H.264 clips, side by side in one run:
//   single  one clip: engine / command line (its default threading);
//   eight   eight clips on eight threads: engine / eight command lines at
//           once, engine / eight one after another, CPU time, and the
//           engine's peak memory against one codec thread per codec ("one
//           thread", as before codec threads);
//   four    four clips on two threads: engine / one codec thread per codec.
// Each figure is the median of the ratios of pairs run back to back in
// alternating order. Every engine queue runs in a child process of its own,
// so that its peak memory (VmHWM) is its own.
//
// Usage: codec_threads_bench [single|eight|four|all] [--pairs N] [--seconds S] [--keep]
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/FFmpeg.h"
#include "engine/FFmpegLoader.h"
#include "engine/FFmpegVCL.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

namespace {

std::string gDir;
std::string gClip;

std::string LoadAverage() {
  std::ifstream f("/proc/loadavg");
  std::string a, b, c;
  f >> a >> b >> c;
  return a + " " + b + " " + c;
}

// The stored preset as command-line options ("-key value ...").
std::string PresetArgs(const char* AName) {
  std::istringstream lines(rtl::U8(engine::FindStoredPreset(rtl::Utf8ToString(AName))));
  std::string line, args;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    args += " -" + line.substr(0, eq) + " " + line.substr(eq + 1);
  }
  return args;
}

std::string CommandLine(const std::string& AOut) {
  static const std::string preset = PresetArgs("libx264-default");
  return "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + gClip + " -c:v libx264" + preset +
         " -r 25 -s 640x480 -b:v 1200k -c:a aac -ac 2 -ar 48000 -b:a 128k " + AOut + " >/dev/null 2>&1";
}

// A task that keeps one thread per codec whatever the cores, as before.
class OneThreadTask final : public engine::TFFmpeg {
 public:
  using TFFmpeg::TFFmpeg;
  ~OneThreadTask() override { Stop(true); }

 protected:
  void Transcode() override {
    ExpectedConcurrentRuns = 1 << 20;
    TFFmpeg::Transcode();
  }
};

struct Result {
  double wall = 0, cpu = 0;  // seconds
  long peakKiB = 0;          // engine runs only
  bool ok = false;
};

double ChildrenCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The body of an engine child: AClips conversions on AThreads workers.
int EngineChild(int AClips, int AThreads, bool AOneThread, int AWriteFd) {
  rtl::InitMainThread();
  engine::TFFmpegLoader::SetLibraryPath(u"");
  if (!engine::TFFmpegLoader::Load(engine::TranscoderLibraries)) return 2;
  bool failed = false;
  {
    engine::TFFmpegVCL vcl(nullptr);
    if (AOneThread)
      vcl.SetTaskFactory([](int AMax) { return std::make_unique<OneThreadTask>(AMax); });
    std::atomic<bool> done{false}, bad{false};
    vcl.OnTerminate = [&](rtl::TObject*, const engine::TTerminateInfo& AInfo) {
      if (AInfo.TaskIndex < 0)
        done = true;
      else if (!AInfo.Finished || AInfo.Exception)
        bad = true;
    };
    for (int i = 0; i < AClips; ++i) {
      const int task = vcl.AddTask(rtl::Utf8ToString(gClip), engine::PInputOptions{});
      engine::TOutputOptions out;
      out.VideoCodec = u"libx264";
      out.VideoPreset = u"libx264-default";
      out.FrameRate = u"25";
      out.FrameSize = u"640x480";
      out.VideoBitrate = 1200000;
      out.AudioCodec = u"libfaac";
      out.AudioChannels = 2;
      out.AudioSampleRate = 48000;
      out.AudioBitrate = 128000;
      const std::string name = gDir + "/engine" + std::to_string(i) + ".mp4";
      if (task < 0 || !vcl.SetOutputFile(task, rtl::Utf8ToString(name), &out)) return 3;
    }
    vcl.Start(AThreads);
    while (!done) rtl::CheckSynchronize(5);
    failed = bad;
  }
  long peak = 0;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) peak = std::atol(line.c_str() + 6);
  if (write(AWriteFd, &peak, sizeof peak) != sizeof peak) return 4;
  return failed ? 5 : 0;
}

Result RunEngine(int AClips, int AThreads, bool AOneThread) {
  Result r;
  int fds[2];
  if (pipe(fds) != 0) return r;
  const double cpu0 = ChildrenCpu();
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    _exit(EngineChild(AClips, AThreads, AOneThread, fds[1]));
  }
  close(fds[1]);
  long peak = 0;
  const bool got = read(fds[0], &peak, sizeof peak) == sizeof peak;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.cpu = ChildrenCpu() - cpu0;
  r.peakKiB = peak;
  r.ok = got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

// AClips command lines, all at once (AParallel) or one after another.
Result RunCommandLines(int AClips, bool AParallel) {
  Result r;
  const double cpu0 = ChildrenCpu();
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<pid_t> pids;
  r.ok = true;
  for (int i = 0; i < AClips; ++i) {
    const std::string cmd = CommandLine(gDir + "/cli" + std::to_string(i) + ".mp4");
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    pids.push_back(pid);
    if (!AParallel) {
      int status = 0;
      waitpid(pid, &status, 0);
      r.ok = r.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
      pids.clear();
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    r.ok = r.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  r.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.cpu = ChildrenCpu() - cpu0;
  return r;
}

double Median(std::vector<double> AValues) {
  if (AValues.empty()) return 0;
  std::sort(AValues.begin(), AValues.end());
  const size_t n = AValues.size();
  return n % 2 ? AValues[n / 2] : (AValues[n / 2 - 1] + AValues[n / 2]) / 2;
}

// Runs the contenders of one comparison APairs times, the order rotating
// from round to round, and prints each round and the medians of the ratios
// of the first contender to each other one.
bool Compare(const char* ATitle, int APairs, const std::vector<std::pair<const char*, std::function<Result()>>>& AContenders,
             bool APrintMemory) {
  std::printf("\n== %s (load %s)\n", ATitle, LoadAverage().c_str());
  const size_t n = AContenders.size();
  std::vector<std::vector<double>> wallRatio(n), cpuRatio(n), memRatio(n);
  for (int round = 0; round < APairs; ++round) {
    std::vector<Result> results(n);
    for (size_t k = 0; k < n; ++k) {
      const size_t i = (k + round) % n;
      results[i] = AContenders[i].second();
      if (!results[i].ok) {
        std::printf("   %s failed\n", AContenders[i].first);
        return false;
      }
    }
    std::printf("   round %d:", round + 1);
    for (size_t i = 0; i < n; ++i) {
      std::printf("  %s %.2f s (cpu %.1f s", AContenders[i].first, results[i].wall, results[i].cpu);
      if (results[i].peakKiB) std::printf(", peak %.0f MiB", results[i].peakKiB / 1024.0);
      std::printf(")");
    }
    std::printf("\n");
    for (size_t i = 1; i < n; ++i) {
      wallRatio[i].push_back(results[0].wall / results[i].wall);
      cpuRatio[i].push_back(results[0].cpu / results[i].cpu);
      if (results[i].peakKiB) memRatio[i].push_back(static_cast<double>(results[0].peakKiB) / results[i].peakKiB);
    }
    std::fflush(stdout);
  }
  for (size_t i = 1; i < n; ++i) {
    std::printf("   %s / %s: wall %.3f, cpu %.3f", AContenders[0].first, AContenders[i].first, Median(wallRatio[i]),
                Median(cpuRatio[i]));
    if (APrintMemory && !memRatio[i].empty()) std::printf(", peak memory %.3f", Median(memRatio[i]));
    std::printf("\n");
  }
  std::printf("   load after: %s\n", LoadAverage().c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = "all";
  int pairs = 5;
  int seconds = 20;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--keep"))
      keep = true;
    else if (!std::strcmp(argv[i], "--pairs") && i + 1 < argc)
      pairs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
      seconds = std::max(1, std::atoi(argv[++i]));
    else
      what = argv[i];
  }
  char tmpl[] = "/tmp/tvl-codec-threads-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  gClip = gDir + "/clip.mp4";
  const std::string make = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25:duration=" +
                           std::to_string(seconds) + " -f lavfi -i sine=frequency=440:duration=" +
                           std::to_string(seconds) + " -c:v libx264 -preset veryfast -b:v 4M -c:a aac " + gClip;
  if (std::system(make.c_str()) != 0) {
    std::fprintf(stderr, "cannot make the clip\n");
    return 1;
  }
  // The engine loads the libraries for the preset text only; each queue runs
  // in a child that loads them afresh.
  engine::TFFmpegLoader::SetLibraryPath(u"");
  if (!engine::TFFmpegLoader::Load(engine::TranscoderLibraries)) return 1;
  std::printf("%d s 1280x720 H.264 clips -> 640x480 H.264 + AAC; %ld cores\n", seconds, sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("command line: %s\n", CommandLine("out.mp4").c_str());
  bool ok = true;
  if (what == "single" || what == "all")
    ok &= Compare("one clip", pairs,
                  {{"engine", [] { return RunEngine(1, 1, false); }},
                   {"command line", [] { return RunCommandLines(1, false); }}},
                  false);
  if (what == "eight" || what == "all")
    ok &= Compare("eight clips on eight threads", std::max(1, pairs / 2 + 1),
                  {{"engine", [] { return RunEngine(8, 8, false); }},
                   {"8 command lines at once", [] { return RunCommandLines(8, true); }},
                   {"8 command lines in turn", [] { return RunCommandLines(8, false); }},
                   {"engine, one thread per codec", [] { return RunEngine(8, 8, true); }}},
                  true);
  if (what == "four" || what == "all")
    ok &= Compare("four clips on two threads", std::max(1, pairs / 2 + 1),
                  {{"engine", [] { return RunEngine(4, 2, false); }},
                   {"engine, one thread per codec", [] { return RunEngine(4, 2, true); }}},
                  true);
  std::error_code ec;
  if (keep)
    std::printf("outputs kept in %s\n", gDir.c_str());
  else
    std::filesystem::remove_all(gDir, ec);
  return ok ? 0 : 1;
}
