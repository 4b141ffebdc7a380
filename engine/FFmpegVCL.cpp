#include "engine/FFmpegVCL.h"

#include <algorithm>
#include <cmath>

#include "engine/FFmpegLoader.h"
#include "engine/MyUtils.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace engine {

using rtl::String;

namespace {

String MessageOf(const std::exception& AError) {
  if (auto* e = dynamic_cast<const rtl::Exception*>(&AError)) return e->Message();
  return rtl::Utf8ToString(AError.what());
}

String StreamName(const rtl::TStream* AStream, const String& APrivateData) {
  return u"stream:" + rtl::Utf8ToString(std::to_string(reinterpret_cast<uintptr_t>(AStream))) + u":" +
         APrivateData;
}

TPostHooks WithHook(TPostHooks AHooks, TPostHook AHook, bool AOn) {
  const auto bit = static_cast<uint8_t>(1u << AHook);
  AHooks.Bits = AOn ? (AHooks.Bits | bit) : (AHooks.Bits & ~bit);
  return AHooks;
}

}  // namespace

// --- TFFmpeg -------------------------------------------------------------------

TFFmpeg::TFFmpeg(int AMaxFiles, TProbeFactory AProbeFactory)
    : TCustomFFmpeg(AMaxFiles), FProbeFactory(std::move(AProbeFactory)) {
  FAVProbes.resize(FMaxFiles);
  FInputOptions.resize(FMaxFiles);
  FOutputOptions.resize(FMaxFiles);
}

TFFmpeg::~TFFmpeg() {
  // The run may still read the inputs the probes were lent.
  Stop(true);
  DetachProbes();
  FAVProbes.clear();
  FInputOptions.clear();
  FOutputOptions.clear();
}

player::TAVProbe* TFFmpeg::GetAVProbe(int AIndex) {
  if (AIndex < 0 || AIndex >= static_cast<int>(FAVProbes.size())) return nullptr;
  if (!FAVProbes[AIndex] && FProbeFactory) FAVProbes[AIndex].reset(FProbeFactory());
  return FAVProbes[AIndex].get();
}

player::TAVProbe* TFFmpeg::AVProbe(int AIndex) const {
  if (AIndex < 0 || AIndex >= static_cast<int>(FAVProbes.size())) return nullptr;
  return FAVProbes[AIndex].get();
}

void TFFmpeg::DetachProbes() {
  for (auto& probe : FAVProbes)
    if (probe && probe->FileHandle()) probe->CloseFile();
}

void TFFmpeg::SetInputOptions(int AIndex, const TInputOptions& AOptions) {
  auto& slot = FInputOptions.at(AIndex);
  if (!slot) slot = std::make_unique<TInputOptions>();
  *slot = AOptions;
}

void TFFmpeg::SetOutputOptions(int AIndex, const TOutputOptions& AOptions) {
  auto& slot = FOutputOptions.at(AIndex);
  if (!slot) slot = std::make_unique<TOutputOptions>();
  *slot = AOptions;
}

void TFFmpeg::ResetInputOptions(int AIndex) {
  if (AIndex >= 0 && AIndex < static_cast<int>(FInputOptions.size()) && FInputOptions[AIndex])
    InitInputOptions(*FInputOptions[AIndex]);
}

void TFFmpeg::ResetOutputOptions(int AIndex) {
  if (AIndex >= 0 && AIndex < static_cast<int>(FOutputOptions.size()) && FOutputOptions[AIndex])
    InitOutputOptions(*FOutputOptions[AIndex]);
}

const TInputOptions* TFFmpeg::InputOptions(int AIndex) const {
  if (AIndex < 0 || AIndex >= static_cast<int>(FInputOptions.size())) return nullptr;
  return FInputOptions[AIndex].get();
}

const TOutputOptions* TFFmpeg::OutputOptions(int AIndex) const {
  if (AIndex < 0 || AIndex >= static_cast<int>(FOutputOptions.size())) return nullptr;
  return FOutputOptions[AIndex].get();
}

void TFFmpeg::ApplyExtOptions(const String& AText, bool AIncludeCodecs) {
  engine::ApplyExtOptions(*this, AText, AIncludeCodecs);
}

// --- TFFmpegList ---------------------------------------------------------------

void TFFmpegList::CheckIndex(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count())
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {AIndex}));
}

int TFFmpegList::Add(std::unique_ptr<TFFmpeg> AItem) {
  std::lock_guard<std::mutex> g(FListLock);
  FList.push_back(std::move(AItem));
  return static_cast<int>(FList.size()) - 1;
}

void TFFmpegList::Clear() {
  // In index order, each task out of the list before it is freed.
  std::vector<std::unique_ptr<TFFmpeg>> items = TakeAll();
  for (auto& item : items) item.reset();
}

std::vector<std::unique_ptr<TFFmpeg>> TFFmpegList::TakeAll() {
  std::vector<std::unique_ptr<TFFmpeg>> items;
  std::lock_guard<std::mutex> g(FListLock);
  items.swap(FList);
  return items;
}

void TFFmpegList::Delete(int AIndex) {
  std::unique_ptr<TFFmpeg> item;
  {
    std::lock_guard<std::mutex> g(FListLock);
    CheckIndex(AIndex);
    item = std::move(FList[AIndex]);
    FList.erase(FList.begin() + AIndex);
  }
}

void TFFmpegList::Exchange(int AIndex1, int AIndex2) {
  std::lock_guard<std::mutex> g(FListLock);
  CheckIndex(AIndex1);
  CheckIndex(AIndex2);
  std::swap(FList[AIndex1], FList[AIndex2]);
}

TFFmpeg* TFFmpegList::GetItem(int AIndex) const {
  CheckIndex(AIndex);
  return FList[AIndex].get();
}

int TFFmpegList::IndexOf(const rtl::TObject* AItem) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (static_cast<const rtl::TObject*>(FList[i].get()) == AItem) return static_cast<int>(i);
  return -1;
}

void TFFmpegList::PauseAll() {
  for (auto& item : FList) item->Pause();
}

void TFFmpegList::ResumeAll() {
  for (auto& item : FList) item->Resume();
}

std::vector<TFFmpeg*> TFFmpegList::Snapshot() const {
  std::lock_guard<std::mutex> g(FListLock);
  std::vector<TFFmpeg*> items;
  for (auto& item : FList) items.push_back(item.get());
  return items;
}

void TFFmpegList::StopAll(bool AWaitFor) {
  // The tasks stay alive during the waits: the component keeps what is
  // taken out of the list meanwhile until its stop is over.
  const std::vector<TFFmpeg*> items = Snapshot();
  for (TFFmpeg* item : items) item->Cancel(false);
  if (!AWaitFor) return;
  for (TFFmpeg* item : items) item->Cancel(true);
}

void TFFmpegList::SetPreviewAll(bool AValue) {
  for (auto& item : FList) {
    std::lock_guard<std::recursive_mutex> g(PostHookLock());
    item->SetPostHooksLocked(WithHook(item->FPostHooks, phPreview, AValue));
  }
}

void TFFmpegList::SetPreviewBitmapAll(bool AValue) {
  for (auto& item : FList) {
    std::lock_guard<std::recursive_mutex> g(PostHookLock());
    item->SetPostHooksLocked(WithHook(item->FPostHooks, phBitmap, AValue));
  }
}

// --- terminate delivery ----------------------------------------------------------

// Delivers one OnTerminate on a thread of its own, after its predecessor has
// delivered, so that handlers see the events in the order the tasks ended.
class TCustomFFmpegVCL::TDoTerminateThread final : public rtl::TThread {
 public:
  TDoTerminateThread(TCustomFFmpegVCL* ASender, const TTerminateInfo& ATerminateInfo,
                     std::shared_ptr<rtl::TEvent> APrevious)
      : FSender(ASender),
        FTerminateInfo(ATerminateInfo),
        FPrevious(std::move(APrevious)),
        FDone(std::make_shared<rtl::TEvent>(true, false)) {
    Start();
  }
  ~TDoTerminateThread() override {
    if (Started() && !Finished()) WaitFor();
  }
  const std::shared_ptr<rtl::TEvent>& Done() const { return FDone; }

 protected:
  void Execute() override {
    if (FPrevious) FPrevious->WaitFor(rtl::INFINITE);
    FPrevious.reset();
    try {
      // The handler assigned now: one cleared meanwhile is not called.
      FSender->OnTerminate(FSender, FTerminateInfo);
    } catch (...) {
      FDone->SetEvent();
      throw;
    }
    FDone->SetEvent();
  }

 private:
  TCustomFFmpegVCL* FSender;
  TTerminateInfo FTerminateInfo;
  std::shared_ptr<rtl::TEvent> FPrevious;
  std::shared_ptr<rtl::TEvent> FDone;
};

void TCustomFFmpegVCL::DeliverTerminate(const TTerminateInfo& AInfo) {
  ReapTerminateThreads(false);
  std::lock_guard<std::mutex> g(FDeliveryLock);
  auto thread = std::make_unique<TDoTerminateThread>(this, AInfo, FLastDelivered);
  FLastDelivered = thread->Done();
  FDeliveryThreads.push_back(std::move(thread));
}

void TCustomFFmpegVCL::ReapTerminateThreads(bool AWaitAll) {
  std::vector<std::unique_ptr<TDoTerminateThread>> ended;
  {
    std::lock_guard<std::mutex> g(FDeliveryLock);
    const rtl::TThreadID self = rtl::GetCurrentThreadId();
    for (auto it = FDeliveryThreads.begin(); it != FDeliveryThreads.end();) {
      // A handler may clear the list from its own delivery thread.
      const bool mine = (*it)->ThreadID() == self;
      if (!mine && ((*it)->Finished() || AWaitAll)) {
        ended.push_back(std::move(*it));
        it = FDeliveryThreads.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Joined outside the lock: a handler still running may need it.
  ended.clear();
}

// --- component -------------------------------------------------------------------

TCustomFFmpegVCL::TCustomFFmpegVCL(rtl::TComponent* AOwner, TProbeFactory AProbeFactory)
    : TFFBaseComponent(AOwner), FProbeFactory(std::move(AProbeFactory)) {
  if (FProbeFactory) FAVProbe.reset(FProbeFactory());
}

TCustomFFmpegVCL::~TCustomFFmpegVCL() {
  if (FWorking && !FTerminated) Stop(true);
  // Threads still inside an event are waited for.
  for (rtl::TCriticalSection* lock : {&FHookLock, &FPreviewLock, &FProgressLock, &FTerminateLock}) {
    lock->Enter();
    lock->Leave();
  }
  ReapTerminateThreads(true);
  FFFmpegList.Clear();
  FAVProbe.reset();
}

bool TCustomFFmpegVCL::AVLibLoaded() const { return TFFmpegLoader::Loaded(TranscoderLibraries); }

bool TCustomFFmpegVCL::LoadAVLib(const String& APath) {
  if (ComponentState().Contains(rtl::csDesigning)) return true;
  TFFmpegLoader::SetLibraryPath(APath);
  if (TFFmpegLoader::Load(TranscoderLibraries)) return true;
  FLastErrMsg = TFFmpegLoader::GetLastErrMsg();
  return false;
}

void TCustomFFmpegVCL::UnloadAVLib() { TFFmpegLoader::Unload(TranscoderLibraries); }

void TCustomFFmpegVCL::CheckWorking(const char* AName) const {
  if (FWorking)
    throw rtl::Exception(rtl::Format(u"Cannot %s while working.", {AName}));
}

std::unique_ptr<TFFmpeg> TCustomFFmpegVCL::NewTask() {
  if (FTaskFactory) return FTaskFactory(FCustomMaxFiles);
  return std::make_unique<TFFmpeg>(FCustomMaxFiles, FProbeFactory);
}

bool TCustomFFmpegVCL::OpenInput(TFFmpeg& ATask, int AIndex, const String& AFileName,
                                 PInputOptions AOptions) {
  if (AOptions) {
    if (AOptions->FileName.empty()) AOptions->FileName = AFileName;
    ATask.SetInputOptions(AIndex, *AOptions);
    ApplyInputRecord(ATask, *AOptions);
  } else {
    ATask.ResetInputOptions(AIndex);
  }
  if (!ATask.OpenInputFile(AFileName)) {
    ATask.ResetInputOptions(AIndex);
    FLastErrMsg = ATask.FLastErrMsg;
    return false;
  }
  if (player::TAVProbe* probe = ATask.GetAVProbe(AIndex))
    probe->SetFileHandle(ATask.Finput_files[AIndex]);
  return true;
}

int TCustomFFmpegVCL::AddTask(const String& AFileName, PInputOptions AOptions) {
  CheckWorking("AddTask");
  std::unique_ptr<TFFmpeg> task = NewTask();
  try {
    task->Reset();
    task->SetVerbosity(FVerbose);
    task->SetPostHooksLocked(WithHook(WithHook({}, phPreview, FPreview), phBitmap, FPreviewBitmap));
    task->FOnPreviewBitmap = [this](rtl::TObject* ASender, void* ABitmap, int AFrameNumber,
                                    int64_t APTS) {
      DoPreviewBitmap(ASender, ABitmap, AFrameNumber, APTS);
    };
    if (!OpenInput(*task, 0, AFileName, AOptions)) return -1;
    task->FOnProgress = [this](rtl::TObject* ASender, int AFileIndex, int AFrameNumber, float AFPS,
                               float AQuality, double ABitRate, int64_t ACurrentSize,
                               int64_t ACurrentDuration, int64_t ATotalDuration) {
      DoProgress(ASender, AFileIndex, AFrameNumber, AFPS, AQuality, ABitRate, ACurrentSize,
                 ACurrentDuration, ATotalDuration);
    };
    task->FOnTerminate = [this](rtl::TObject* ASender) { DoTerminate(ASender); };
    return FFFmpegList.Add(std::move(task));
  } catch (const std::exception& e) {
    FLastErrMsg = MessageOf(e);
    return -1;
  }
}

int TCustomFFmpegVCL::AddTask(const String& AFileName, const String& AExtOptions) {
  TInputOptions options = InputOptionsFromText(AExtOptions);
  return AddTask(AFileName, &options);
}

int TCustomFFmpegVCL::AddTask(rtl::TStream* AStream, const String& APrivateData,
                              PInputOptions AOptions) {
  return AddTask(StreamName(AStream, APrivateData), AOptions);
}

bool TCustomFFmpegVCL::AddInputFile(int ATaskIndex, const String& AFileName,
                                    PInputOptions AOptions) {
  CheckWorking("AddInputFile");
  TFFmpeg* task = FFFmpegList.GetItem(ATaskIndex);
  const int n = task->nb_input_files();
  if (n >= task->MaxFiles()) {
    FLastErrMsg = rtl::Format(u"max input files %d reached", {task->MaxFiles()});
    return false;
  }
  try {
    return OpenInput(*task, n, AFileName, AOptions);
  } catch (const std::exception& e) {
    task->ResetInputOptions(n);
    FLastErrMsg = MessageOf(e);
    return false;
  }
}

bool TCustomFFmpegVCL::AddInputFile(int ATaskIndex, const String& AFileName,
                                    const String& AExtOptions) {
  TInputOptions options = InputOptionsFromText(AExtOptions);
  return AddInputFile(ATaskIndex, AFileName, &options);
}

bool TCustomFFmpegVCL::SetOutputFile(int ATaskIndex, const String& AFileName,
                                     POutputOptions AOptions) {
  CheckWorking("SetOutputFile");
  TFFmpeg* task = FFFmpegList.GetItem(ATaskIndex);
  const int n = task->nb_output_files();
  if (n >= task->MaxFiles()) {
    FLastErrMsg = rtl::Format(u"max output files %d reached", {task->MaxFiles()});
    return false;
  }
  try {
    TStreamOptionList list;
    bool join = false;
    if (AOptions) {
      if (AOptions->FileName.empty()) AOptions->FileName = AFileName;
      task->SetOutputOptions(n, *AOptions);
      list = BuildStreamOptionList(*AOptions);
      ApplyOutputRecordBeforeOpen(*task, *AOptions, list);
      if (AOptions->CustomHook)
        task->FOnCustomHook = [this](rtl::TObject* ASender, void* ABitmap, int AFrameNumber,
                                     int64_t APTS, bool& AUpdate, bool& AStopHook) {
          DoCustomHook(ASender, ABitmap, AFrameNumber, APTS, AUpdate, AStopHook);
        };
      join = AOptions->Join;
    } else {
      task->ResetOutputOptions(n);
    }
    if (task->OpenOutputFile(AFileName, join) < 0) {
      task->ResetOutputOptions(n);
      FLastErrMsg = task->FLastErrMsg;
      return false;
    }
    if (AOptions) ApplyNewStreamOptions(*task, *AOptions, list);
    return true;
  } catch (const std::exception& e) {
    task->ResetOutputOptions(n);
    FLastErrMsg = MessageOf(e);
    return false;
  }
}

bool TCustomFFmpegVCL::SetOutputFile(int ATaskIndex, const String& AFileName,
                                     const String& AExtOptions) {
  TOutputOptions options = OutputOptionsFromText(AExtOptions);
  return SetOutputFile(ATaskIndex, AFileName, &options);
}

bool TCustomFFmpegVCL::SetOutputStream(int ATaskIndex, rtl::TStream* AStream,
                                       POutputOptions AOptions, const String& APrivateData) {
  return SetOutputFile(ATaskIndex, StreamName(AStream, APrivateData), AOptions);
}

void TCustomFFmpegVCL::ClearTasks() {
  if (FWorking && !FTerminated) throw rtl::Exception("Cannot ClearTasks while working.");
  {
    // The task whose end raised the final event may still be leaving it.
    std::lock_guard<rtl::TCriticalSection> g(FTerminateLock);
    FCompleteTasks = 0;
    FCurrentTask = -1;
    FPendingTasks = 0;
    FTaskEnded.clear();
    FThreadMode = false;
    FPaused = false;
  }
  ReapTerminateThreads(false);
  RetireOrFree(FFFmpegList.TakeAll());
  FLastErrMsg.clear();
  FTerminated = false;
  FWorking = false;
}

void TCustomFFmpegVCL::RemoveTask(int ATaskIndex) {
  CheckWorking("RemoveTask");
  if (!Stopping()) {
    FFFmpegList.Delete(ATaskIndex);
    return;
  }
  // Out of the list now, freed once the stop that may still wait for it is over.
  std::vector<std::unique_ptr<TFFmpeg>> all = FFFmpegList.TakeAll();
  if (ATaskIndex < 0 || ATaskIndex >= static_cast<int>(all.size())) {
    for (auto& item : all) FFFmpegList.Add(std::move(item));
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {ATaskIndex}));
  }
  std::vector<std::unique_ptr<TFFmpeg>> removed;
  removed.push_back(std::move(all[ATaskIndex]));
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i]) FFFmpegList.Add(std::move(all[i]));
  RetireOrFree(std::move(removed));
}

void TCustomFFmpegVCL::RetireOrFree(std::vector<std::unique_ptr<TFFmpeg>> ATasks) {
  if (Stopping()) {
    std::lock_guard<std::mutex> g(FRetiredLock);
    for (auto& task : ATasks) FRetired.push_back(std::move(task));
    return;
  }
  for (auto& task : ATasks) task.reset();
}

void TCustomFFmpegVCL::Exchange(int ATaskIndex1, int ATaskIndex2) {
  CheckWorking("Exchange");
  FFFmpegList.Exchange(ATaskIndex1, ATaskIndex2);
}

player::TAVProbe* TCustomFFmpegVCL::GetTaskAVProbe(int ATaskIndex, int AFileIndex) const {
  return FFFmpegList.GetItem(ATaskIndex)->AVProbe(AFileIndex);
}

void TCustomFFmpegVCL::SetPreview(bool AValue) {
  FFFmpegList.SetPreviewAll(AValue);
  FPreview = AValue;
}

void TCustomFFmpegVCL::SetPreviewBitmap(bool AValue) {
  FFFmpegList.SetPreviewBitmapAll(AValue);
  FPreviewBitmap = AValue;
}

void TCustomFFmpegVCL::SetProgressInterval(int AValue) {
  FProgressInterval = AValue > 100 ? AValue : 100;
}

// --- running ------------------------------------------------------------------------

void TCustomFFmpegVCL::Start(int AThreadCount) {
  CheckWorking("StartTask");
  std::unique_lock<rtl::TCriticalSection> g(FTerminateLock);
  FCompleteTasks = 0;
  FCurrentTask = 0;
  FPendingTasks = TasksCount();
  FTaskEnded.assign(FPendingTasks, false);
  FTerminated = false;
  FThreadMode = AThreadCount > 0;
  FThreadSlots = FThreadMode ? AThreadCount : 1;
  FPaused = false;
  FWorking = true;
  if (FPendingTasks == 0) {
    // Nothing will end, so the queue ends now.
    g.unlock();
    DoTerminateAll();
    return;
  }
  if (FThreadMode) {
    // Tasks that end at once start their successors from their own threads,
    // under the same lock, so no more than AThreadCount run at a time.
    while (FPendingTasks > 0) {
      StartNextTask();
      if (--AThreadCount == 0) break;
    }
    return;
  }
  // Serial mode: each task runs in this thread, without the lock held, so a
  // Stop from elsewhere is not kept out. The final event is raised here,
  // after the last task has left its run.
  FSerialThread = rtl::GetCurrentThreadId();
  FFinalDue = false;
  g.unlock();
  while (true) {
    {
      std::lock_guard<rtl::TCriticalSection> lock(FTerminateLock);
      if (FPendingTasks <= 0) break;
    }
    StartNextTask();
  }
  bool finalDue = false;
  {
    std::lock_guard<rtl::TCriticalSection> lock(FTerminateLock);
    FSerialThread = 0;
    finalDue = FFinalDue;
  }
  if (finalDue) DoTerminateAll();
}

void TCustomFFmpegVCL::StartNextTask() {
  TFFmpeg* task = nullptr;
  {
    std::unique_lock<rtl::TCriticalSection> g(FTerminateLock);
    if (FPendingTasks <= 0) return;
    --FPendingTasks;
    // The tasks that will run beside this one share the cores with it: as
    // the queue drains, later tasks get the cores that fall idle.
    const int running = FCurrentTask - FCompleteTasks;
    // Advanced before the start: a refused start ends the task at once and
    // may start the next one from inside StartConvert.
    task = FFFmpegList.GetItem(FCurrentTask++);
    task->ReportInterval = static_cast<int64_t>(FProgressInterval) * 1000;
    task->ExpectedConcurrentRuns = std::max(1, std::min(FThreadSlots, running + 1 + FPendingTasks));
    if (FThreadMode) {
      // Under the lock, so that Stop cannot slip between the start of the
      // run and the start of its thread.
      if (TConvertThread* thread = task->StartConvert(true, FThreadPriority)) {
        if (FPaused) task->Pause();
        thread->Start();
      }
      return;
    }
  }
  task->StartConvert(false, FThreadPriority);
}

void TCustomFFmpegVCL::Pause() {
  std::lock_guard<rtl::TCriticalSection> g(FTerminateLock);
  if (!FWorking || FTerminated) return;
  FPaused = true;
  FFFmpegList.PauseAll();
}

void TCustomFFmpegVCL::Resume() {
  std::lock_guard<rtl::TCriticalSection> g(FTerminateLock);
  FPaused = false;
  FFFmpegList.ResumeAll();
}

void TCustomFFmpegVCL::Stop(bool AWaitFor) {
  {
    std::lock_guard<rtl::TCriticalSection> g(FTerminateLock);
    // Without a run there is nothing to end (and no event to raise).
    if (!FWorking || FTerminated) return;
    FPendingTasks = 0;
    FPaused = false;
  }
  // Without the lock: ending tasks take it to report. While this waits the
  // GUI thread serves its windows, so a second Stop, a ClearTasks or the
  // end of the queue may come meanwhile.
  ++FStopDepth;
  try {
    FFFmpegList.StopAll(AWaitFor);
  } catch (...) {
    EndStop();
    throw;
  }
  EndStop();
}

void TCustomFFmpegVCL::EndStop() {
  if (--FStopDepth > 0) return;
  std::vector<std::unique_ptr<TFFmpeg>> retired;
  {
    std::lock_guard<std::mutex> g(FRetiredLock);
    retired.swap(FRetired);
  }
  for (auto& task : retired) task.reset();
}

// --- events -------------------------------------------------------------------------

void TCustomFFmpegVCL::DoProgress(rtl::TObject* ASender, int AFileIndex, int AFrameNumber,
                                  float AFPS, float AQuality, double ABitRate,
                                  int64_t ACurrentSize, int64_t ACurrentDuration,
                                  int64_t ATotalDuration) {
  if (!OnProgress) return;
  // A record per event on this thread's stack: valid during the call, and no
  // lock has to be held while the GUI thread runs the handler.
  TProgressInfo info;
  info.TaskIndex = FFFmpegList.IndexOf(ASender);
  info.FileIndex = AFileIndex;
  info.FrameNumber = AFrameNumber;
  info.FPS = static_cast<int>(std::nearbyint(AFPS));
  info.Quality = AQuality;
  info.BitRate = static_cast<float>(ABitRate);
  info.CurrentSize = ACurrentSize;
  info.CurrentDuration = ACurrentDuration;
  info.TotalDuration = ATotalDuration;
  if (FTriggerEventInMainThread) {
    CallMethodInMainThread([this, &info] { OnProgress(this, &info); });
  } else {
    std::lock_guard<rtl::TCriticalSection> g(FProgressLock);
    OnProgress(this, &info);
  }
}

void TCustomFFmpegVCL::DoPreviewBitmap(rtl::TObject* ASender, void* ABitmap, int AFrameNumber,
                                       int64_t APTS) {
  if (!OnPreviewBitmap) return;
  TPreviewInfo info;
  info.TaskIndex = FFFmpegList.IndexOf(ASender);
  info.Bitmap = ABitmap;
  info.FrameNumber = AFrameNumber;
  info.PTS = APTS;
  if (FTriggerEventInMainThread) {
    CallMethodInMainThread([this, &info] { OnPreviewBitmap(this, info); });
  } else {
    std::lock_guard<rtl::TCriticalSection> g(FPreviewLock);
    OnPreviewBitmap(this, info);
  }
}

void TCustomFFmpegVCL::DoCustomHook(rtl::TObject* ASender, void* ABitmap, int AFrameNumber,
                                    int64_t APTS, bool& AUpdate, bool& AStopHook) {
  if (!OnCustomHook) return;
  std::lock_guard<rtl::TCriticalSection> g(FHookLock);
  THookInfo info;
  info.TaskIndex = FFFmpegList.IndexOf(ASender);
  info.Bitmap = ABitmap;
  info.FrameNumber = AFrameNumber;
  info.PTS = APTS;
  info.Update = AUpdate;
  info.StopHook = AStopHook;
  {
    // The handler draws on the bitmap in this conversion thread: its canvas
    // stays locked for the call, also when the handler raises.
    gdi::TCanvas* canvas = ABitmap ? static_cast<gdi::TBitmap*>(ABitmap)->Canvas() : nullptr;
    if (canvas) canvas->Lock();
    struct Unlock {
      gdi::TCanvas* c;
      ~Unlock() {
        if (c) c->Unlock();
      }
    } unlock{canvas};
    OnCustomHook(this, &info);
  }
  AUpdate = info.Update;
  AStopHook = info.StopHook;
}

void TCustomFFmpegVCL::DoTerminate(rtl::TObject* ASender) {
  if (!ASender) {
    DoTerminateAll();
    return;
  }
  // In serial mode the handlers are called here, after the lock is left, so
  // that a handler may stop the queue (whose ending tasks need the lock).
  TTerminateInfo direct, directFinal;
  bool raiseDirect = false, raiseFinal = false;
  {
    std::lock_guard<rtl::TCriticalSection> g(FTerminateLock);
    const int index = FFFmpegList.IndexOf(ASender);
    if (index < 0 || index >= static_cast<int>(FTaskEnded.size()) || FTaskEnded[index]) return;
    FTaskEnded[index] = true;
    TFFmpeg* task = FFFmpegList.GetItem(index);
    // Its inputs are closed by now; the probes must not keep them.
    task->DetachProbes();
    // Raised whether or not a handler is assigned now: the handler is looked
    // up on delivery.
    TTerminateInfo info;
    info.TaskIndex = index;
    info.Finished = task->Finished();
    info.Exception = task->FatalException();
    info.ExceptionMsg = task->FatalMessage();
    if (FThreadMode) {
      DeliverTerminate(info);
    } else {
      direct = std::move(info);
      raiseDirect = true;
    }
    ++FCompleteTasks;
    if (FPendingTasks > 0) {
      if (FThreadMode) StartNextTask();
    } else if (FCompleteTasks >= TasksCount()) {
      if (!FThreadMode && FSerialThread == rtl::GetCurrentThreadId())
        FFinalDue = true;  // raised by Start once this task's run has returned
      else
        raiseFinal = EndQueueLocked(directFinal);
    }
  }
  if (raiseDirect) OnTerminate(this, direct);
  if (raiseFinal) OnTerminate(this, directFinal);
}

bool TCustomFFmpegVCL::EndQueueLocked(TTerminateInfo& AFinal) {
  // Marked first: a handler may clear the list as soon as it hears of the end.
  FTerminated = true;
  AFinal = TTerminateInfo{};
  AFinal.TaskIndex = -1;
  AFinal.Finished = true;
  AFinal.Exception = false;
  if (!FThreadMode) return true;
  DeliverTerminate(AFinal);
  return false;
}

void TCustomFFmpegVCL::DoTerminateAll() {
  TTerminateInfo final;
  bool raise = false;
  {
    std::lock_guard<rtl::TCriticalSection> g(FTerminateLock);
    raise = EndQueueLocked(final);
  }
  if (raise) OnTerminate(this, final);
}

}  // namespace engine
