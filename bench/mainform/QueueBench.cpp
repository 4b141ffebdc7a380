// The main window's queue run (headless window system, real engine and
// probe, the window's own message loop), for two profiles: the first one of
// the pickers (MPEG-4 AVI for Android phones, the picture size kept) and the
// H.264 HD MP4 one (libx264 1280x720 at 29.97 fps):
// - BM_QueueOfEightOnEightThreads: eight 1280x720 20-second clips converted
//   by the window with the thread count 8, against the ffmpeg command line
//   converting them one after another with the codec parameters that the
//   window hands to the engine, side by side in each iteration, the order
//   alternating; wall times in seconds, the ratio window / command line
//   (goal: at most 0.6) and the cores the window's run kept busy;
// - BM_QueueRepaintRate: the same queue; the paints of the list view that
//   put a row's changed progress cells (progress, time, size) on the screen,
//   per second and row, while all eight rows convert; the lowest row's rate
//   (goal: at least 4), also for the percentage cell alone, the longest gap
//   between two such paints of a row, and the rate of progress events.
// Each figure comes with the load average of the machine before and after.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/forms/OptionsDialog.h"
#include "app/mainform/MainForm.h"
#include "engine/FFmpeg.h"
#include "engine/MyUtils.h"
#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using rtl::String;

constexpr int kClips = 8;
constexpr int kThreads = 8;
constexpr int kClipSeconds = 20;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double LoadAverage1() {
  std::ifstream f("/proc/loadavg");
  double a = 0;
  f >> a;
  return a;
}

fs::path TempDir(const char* prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

bool Run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

// Eight 20-second 1280x720 clips with picture and sound (H.264 and AAC in
// MP4, as a phone or camera makes them), made once per run.
struct TClips {
  fs::path dir = TempDir("queue-bench");
  std::vector<String> files;
  bool ok = false;
  TClips() {
    const std::string d = std::to_string(kClipSeconds);
    const fs::path first = dir / "clip0.mp4";
    ok = Run("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=1280x720:rate=25:duration=" + d +
             " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + d +
             " -c:v libx264 -preset veryfast -b:v 3000k -c:a aac -b:a 128k -ac 2 -shortest '" + first.string() + "'");
    for (int i = 0; ok && i < kClips; ++i) {
      const fs::path p = dir / ("clip" + std::to_string(i) + ".mp4");
      if (i > 0) fs::copy_file(first, p, fs::copy_options::overwrite_existing);
      files.push_back(rtl::FileNameToString(p.string()));
    }
  }
  ~TClips() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

TClips& Clips() {
  static TClips clips;
  return clips;
}

class TBenchDialogs : public app::TMainFormDialogs {
 public:
  std::vector<String> Files;
  String Folder;
  bool ExecuteOpen(app::TOpenDialogState& d) override {
    if (Files.empty()) return false;
    d.Files = Files;
    d.FileName = Files.front();
    return true;
  }
  bool ExecuteSelectDirectory(app::TSelectDirectoryState& d) override {
    d.Directory = Folder;
    return true;
  }
  void Message(const String& text, const String&) override {
    std::fprintf(stderr, "message: %s\n", rtl::StringToFileName(text).c_str());
  }
  void Warning(const String& text, const String&) override {
    std::fprintf(stderr, "warning: %s\n", rtl::StringToFileName(text).c_str());
  }
};

// One row's paints that put changed progress on the screen.
struct TRowPaints {
  std::vector<double> any;      // progress, time or size cell changed
  std::vector<double> percent;  // the percentage changed
  int events = 0;               // progress events received
  double firstEvent = -1, lastEvent = -1;
  String shown, shownPercent;
};

// The main window with the options dialog, a queue of the eight clips and
// an output folder, on the headless window system with the real clock.
class TQueueWindow {
 public:
  TQueueWindow(int category, int format) {
    home_ = TempDir("queue-bench-home");
    out_ = TempDir("queue-bench-out");
    setenv("HOME", home_.c_str(), 1);
    win::InitWindowSystem(win::BackendKind::Headless);
    forms::InitForms();
    app::TMainFormEnvironment env;
    env.OptionIniFile = rtl::FileNameToString((home_ / "option.ini").string());
    env.Dialogs = &dialogs_;
    env.CreatePlayer = false;
    form = new app::TForm1(forms::Application, env);
    options_ = new appforms::TForm5(nullptr, form->bsSkinData1, form->OptionIni(), {});
    form->OptionsDialog = options_;
    options_->bsSkinComboBox2->SetItemIndex(kThreads - 1);
    form->Show();
    win::headless::Pump();
    form->bsSkinOfficeComboBox2->SetItemIndex(category);
    form->bsSkinOfficeComboBox1->SetItemIndex(format);
    dialogs_.Folder = rtl::FileNameToString(out_.string());
    form->bsSkinButtonBrowse->ButtonClick();
    dialogs_.Files = Clips().files;
    form->Button8->Click();
    win::headless::Pump();
    // The run ends when the window has done its end-of-queue work: a marker
    // handed to the GUI thread after that work wakes the loop and ends it.
    auto terminate = form->FFVCL->OnTerminate.Get();
    form->FFVCL->OnTerminate = [this, terminate](rtl::TObject* s, const engine::TTerminateInfo& t) {
      terminate(s, t);
      if (t.TaskIndex < 0) engine::QueueMethodInMainThread([this] { ended_ = true; });
    };
    auto progress = form->FFVCL->OnProgress.Get();
    form->FFVCL->OnProgress = [this, progress](rtl::TObject* s, engine::PProgressInfo p) {
      if (p && p->TaskIndex >= 0 && p->TaskIndex < int(rows.size()) && p->FileIndex >= 0) {
        TRowPaints& r = rows[std::size_t(p->TaskIndex)];
        ++r.events;
        const double t = Seconds(start_, Clock::now());
        if (r.firstEvent < 0) r.firstEvent = t;
        r.lastEvent = t;
      }
      progress(s, p);
    };
    // Paints of the list view: which rows they cover, and whether those rows
    // show other progress than at their last paint.
    oldProc_ = form->lvFiles->WindowProc;
    form->lvFiles->WindowProc = [this](forms::TMessage& m) {
      if (m.Msg == win::WM_PAINT && counting_) NotePaint();
      if (oldProc_) oldProc_(m);
      else form->lvFiles->WndProc(m);
    };
  }
  ~TQueueWindow() {
    form->lvFiles->WindowProc = oldProc_;
    form->OptionsDialog = nullptr;
    delete options_;
    delete form;
    forms::DoneForms();
    win::ShutdownWindowSystem();
    std::error_code ec;
    fs::remove_all(home_, ec);
    fs::remove_all(out_, ec);
  }

  bool Ready() const { return form->RowCount() == kClips; }

  // Starts the queue and runs the window's message loop until the queue has
  // ended; the wall time in seconds, or a negative number on failure.
  double RunQueue() {
    for (auto& entry : fs::directory_iterator(out_)) fs::remove(entry.path());
    rows.assign(kClips, {});
    ended_ = false;
    counting_ = true;
    const double cpu0 = ProcessCpuSeconds();
    start_ = Clock::now();
    form->bsSkinButton2->ButtonClick();
    if (!form->FFVCL->Working()) return -1;
    while (!ended_ && Seconds(start_, Clock::now()) < 900) forms::Application->HandleMessage();
    if (!ended_) return -1;
    const double wall = Seconds(start_, Clock::now());
    busyCores = (ProcessCpuSeconds() - cpu0) / wall;
    counting_ = false;
    win::headless::Pump();
    for (int i = 0; i < kClips; ++i)
      if (form->Cell(i, app::qcProgress) != u"100%" || !fs::exists(OutputFile(i))) return -1;
    return wall;
  }

  std::string OutputFile(int row) {
    return rtl::StringToFileName(app::TForm1::JoinPath(form->FileOutPutPath, form->Cell(row, app::qcOutputName)));
  }
  fs::path OutputFolder() const { return out_; }

  // The ffmpeg command line that converts row i's file with its codec
  // parameters as the engine applies them.
  std::string CommandLine(int row, const std::string& out) {
    const engine::TOutputOptions& oo = form->JobSlotTable.Output(row);
    std::string args = "ffmpeg -nostdin -hide_banner -loglevel error -y -i '" +
                       rtl::StringToFileName(form->lvFiles->Items()->Items(row)->Caption()) + "'";
    if (oo.DisableVideo) {
      args += " -vn";
    } else {
      const std::string vcodec = rtl::StringToFileName(oo.VideoCodec);
      if (!vcodec.empty()) args += " -c:v " + vcodec;
      if (!oo.VideoPreset.empty()) args += PresetArgs(oo.VideoPreset);
      if (!oo.VideoTag.empty()) args += " -tag:v " + rtl::StringToFileName(oo.VideoTag);
      if (!oo.FrameRate.empty()) args += " -r " + rtl::StringToFileName(oo.FrameRate);
      if (!oo.FrameSize.empty()) args += " -s " + rtl::StringToFileName(oo.FrameSize);
      if (oo.VideoBitrate > 0) args += " -b:v " + std::to_string(oo.VideoBitrate);
      if (!oo.FrameAspectRatio.empty()) args += " -aspect " + rtl::StringToFileName(oo.FrameAspectRatio);
    }
    std::string acodec = rtl::StringToFileName(oo.AudioCodec);
    if (acodec == "libfaac") acodec = "aac";
    if (!acodec.empty()) args += " -c:a " + acodec;
    if (oo.AudioChannels > 0) args += " -ac " + std::to_string(oo.AudioChannels);
    if (oo.AudioSampleRate > 0) args += " -ar " + std::to_string(oo.AudioSampleRate);
    if (oo.AudioBitrate > 0) args += " -b:a " + std::to_string(oo.AudioBitrate);
    return args + " '" + out + "'";
  }

  std::string ProfileName() { return rtl::StringToFileName(form->bsSkinOfficeComboBox1->SelectedTitle()); }

  // The row's codec cells, for the record.
  std::string Parameters(int row) {
    std::string s;
    for (int c = app::qcVideoCodec; c <= app::qcNormType; ++c) s += rtl::StringToFileName(form->Cell(row, c)) + "|";
    return s;
  }

  app::TForm1* form = nullptr;
  std::vector<TRowPaints> rows;
  double busyCores = 0;  // the run's CPU time over its wall time

 private:
  static std::string PresetArgs(const String& name) {
    std::istringstream lines(rtl::U8(engine::FindStoredPreset(name)));
    std::string line, args;
    while (std::getline(lines, line)) {
      const auto eq = line.find('=');
      if (eq != std::string::npos) args += " -" + line.substr(0, eq) + " " + line.substr(eq + 1);
    }
    return args;
  }

  void NotePaint() {
    const win::HWND h = form->lvFiles->Handle();
    win::RECT box{};
    if (!win::GetUpdateRect(h, &box, win::FALSE)) return;
    win::HRGN region = gdi::CreateRectRgn(0, 0, 0, 0);
    win::GetUpdateRgn(h, region, win::FALSE);
    const double t = Seconds(start_, Clock::now());
    for (int i = 0; i < kClips && i < form->RowCount(); ++i) {
      const rtl::TRect r = form->lvFiles->GetItemRect(i);
      const win::RECT rr{r.Left, r.Top, r.Right, r.Bottom};
      if (!gdi::RectInRegion(region, &rr)) continue;
      TRowPaints& row = rows[std::size_t(i)];
      const String percent = form->Cell(i, app::qcProgress);
      const String shown = percent + u"|" + form->Cell(i, app::qcCurrentTime) + u"|" +
                           form->Cell(i, app::qcConvertedSize);
      if (shown != row.shown) row.any.push_back(t);
      if (percent != row.shownPercent) row.percent.push_back(t);
      row.shown = shown;
      row.shownPercent = percent;
    }
    gdi::DeleteObject(region);
  }

  fs::path home_, out_;
  TBenchDialogs dialogs_;
  appforms::TForm5* options_ = nullptr;
  forms::TWndMethod oldProc_;
  bool ended_ = false, counting_ = false;
  Clock::time_point start_;
};

// Format, streams, codecs, sizes, rates and duration of a media file.
std::string Describe(const std::string& file) {
  const std::string cmd = "ffprobe -v error -show_entries format=format_name,duration:stream=codec_name,width,height,"
                          "r_frame_rate,sample_rate,channels -of csv=p=0 '" + file + "' 2>/dev/null";
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  std::replace(out.begin(), out.end(), '\n', ' ');
  return out;
}

// The command lines one after another; seconds, or negative on failure.
double RunCommandLines(TQueueWindow& w, const fs::path& dir) {
  const auto t0 = Clock::now();
  for (int i = 0; i < kClips; ++i) {
    // The container the window's output has.
    const fs::path out = dir / ("cli" + std::to_string(i) + fs::path(w.OutputFile(i)).extension().string());
    if (!Run(w.CommandLine(i, out.string()))) return -1;
  }
  return Seconds(t0, Clock::now());
}

// Labels the run with the window's profile; false (the run skipped) when the
// window did not queue every clip.
bool Queued(benchmark::State& state, TQueueWindow& w) {
  state.SetLabel(w.ProfileName());
  if (w.Ready()) return true;
  state.SkipWithError("the clips were not all queued");
  return false;
}

void BM_QueueOfEightOnEightThreads(benchmark::State& state) {
  if (!Clips().ok) {
    state.SkipWithError("ffmpeg could not make the clips");
    return;
  }
  TQueueWindow w(int(state.range(0)), int(state.range(1)));
  if (!Queued(state, w)) return;
  const fs::path cliDir = TempDir("queue-bench-cli");
  std::fprintf(stderr, "profile cells 10-23: %s\n", w.Parameters(0).c_str());
  std::fprintf(stderr, "command line: %s\n", w.CommandLine(0, (cliDir / "cli0.ext").string()).c_str());
  std::vector<double> windowTimes, cliTimes, ratios, busy;
  const double loadBefore = LoadAverage1();
  int round = 0;
  for (auto _ : state) {
    double window = 0, cli = 0;
    // Alternating order, so that neither side always runs on a warmer or
    // quieter machine.
    if (round++ % 2 == 0) {
      window = w.RunQueue();
      cli = RunCommandLines(w, cliDir);
    } else {
      cli = RunCommandLines(w, cliDir);
      window = w.RunQueue();
    }
    if (window < 0 || cli < 0) {
      state.SkipWithError(window < 0 ? "the queue did not convert every file" : "an ffmpeg command line failed");
      break;
    }
    std::fprintf(stderr, "  round %d: window %.2f s, command line %.2f s, ratio %.3f (load %.2f)\n", round, window,
                 cli, window / cli, LoadAverage1());
    busy.push_back(w.busyCores);
    windowTimes.push_back(window);
    cliTimes.push_back(cli);
    ratios.push_back(window / cli);
  }
  // Both sides made the same kind of file.
  const std::string cliOut = (cliDir / ("cli0" + fs::path(w.OutputFile(0)).extension().string())).string();
  std::fprintf(stderr, "window output:       %s\ncommand-line output: %s\n", Describe(w.OutputFile(0)).c_str(),
               Describe(cliOut).c_str());
  std::error_code ec;
  fs::remove_all(cliDir, ec);
  if (ratios.empty()) return;
  std::sort(ratios.begin(), ratios.end());
  auto mean = [](const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s / double(v.size());
  };
  state.counters["window_s"] = mean(windowTimes);
  state.counters["cli_s"] = mean(cliTimes);
  state.counters["busy_cores"] = mean(busy);
  state.counters["ratio"] = ratios.size() % 2 ? ratios[ratios.size() / 2]
                                              : (ratios[ratios.size() / 2 - 1] + ratios[ratios.size() / 2]) / 2;
  state.counters["load_before"] = loadBefore;
  state.counters["load_after"] = LoadAverage1();
}

void BM_QueueRepaintRate(benchmark::State& state) {
  if (!Clips().ok) {
    state.SkipWithError("ffmpeg could not make the clips");
    return;
  }
  TQueueWindow w(int(state.range(0)), int(state.range(1)));
  if (!Queued(state, w)) return;
  const double loadBefore = LoadAverage1();
  double minRate = 1e9, minPercentRate = 1e9, maxGap = 0, minEventRate = 1e9, span = 0, busy = 0;
  for (auto _ : state) {
    if (w.RunQueue() < 0) {
      state.SkipWithError("the queue did not convert every file");
      return;
    }
    // All eight rows convert from the last row's first progress to the
    // first row's last.
    double from = 0, to = 1e9;
    for (const TRowPaints& r : w.rows) {
      from = std::max(from, r.firstEvent);
      to = std::min(to, r.lastEvent);
    }
    if (to - from < 1) {
      state.SkipWithError("the rows did not convert side by side");
      return;
    }
    span = to - from;
    // A row's rate: the changed paints inside the window, over the time
    // from the window's start to its end (counted from paint to paint, so
    // that the edges do not round the figure).
    auto rate = [&](const std::vector<double>& v, double* gap, double* at = nullptr) {
      std::vector<double> in;
      for (double t : v)
        if (t >= from && t <= to) in.push_back(t);
      double g = in.empty() ? span : std::max(in.front() - from, to - in.back());
      double a = in.empty() || in.front() - from >= to - in.back() ? from : in.back();
      for (std::size_t k = 1; k < in.size(); ++k)
        if (in[k] - in[k - 1] > g) g = in[k] - in[k - 1], a = in[k - 1];
      if (gap) *gap = g;
      if (at) *at = a;
      return in.size() < 2 ? 0.0 : double(in.size() - 1) / (in.back() - in.front());
    };
    for (std::size_t i = 0; i < w.rows.size(); ++i) {
      const TRowPaints& r = w.rows[i];
      double gap = 0, at = 0;
      const double any = rate(r.any, &gap, &at), percent = rate(r.percent, nullptr);
      const double eventRate = (r.events - 1) / std::max(r.lastEvent - r.firstEvent, 1e-3);
      std::fprintf(stderr, "  row %zu: %.2f paints/s with changed progress, %.2f with a changed percentage, "
                   "longest gap %.3f s (at %.2f s), %d progress events (%.2f/s)\n", i, any, percent, gap, at, r.events,
                   eventRate);
      minRate = std::min(minRate, any);
      minPercentRate = std::min(minPercentRate, percent);
      maxGap = std::max(maxGap, gap);
      minEventRate = std::min(minEventRate, eventRate);
    }
    busy = w.busyCores;
  }
  state.counters["min_row_paints_per_s"] = minRate;
  state.counters["min_row_percent_paints_per_s"] = minPercentRate;
  state.counters["max_gap_s"] = maxGap;
  state.counters["min_row_events_per_s"] = minEventRate;
  state.counters["all_rows_busy_s"] = span;
  state.counters["busy_cores"] = busy;
  state.counters["load_before"] = loadBefore;
  state.counters["load_after"] = LoadAverage1();
}

// Profiles as (category, format) of the pickers: the first one (MPEG-4 AVI
// for Android phones, the picture size kept) and the H.264 HD MP4 one
// (libx264 1280x720 at 29.97 fps).
BENCHMARK(BM_QueueOfEightOnEightThreads)->Args({0, 0})->Args({0, 4})->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK(BM_QueueRepaintRate)->Args({0, 0})->Args({0, 4})->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
