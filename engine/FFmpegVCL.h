// TCustomFFmpegVCL / TFFmpegVCL: the engine component the main window drives.
// It holds a list of tasks (one transcoder each, with one or more inputs and
// outputs), runs them on up to N conversion threads or one after another in
// the caller, and reports progress, previews, custom hooks and the end of
// each task and of the whole queue.
//
// Ownership: the component owns its tasks (TFFmpegList frees what it drops),
// each task owns its probes and its copies of the option records, and the
// component owns its own probe and the threads that deliver OnTerminate.
//
// Threads: every task-list operation and Start, Pause, Resume and Stop are
// called from the GUI thread. While Working (from Start until ClearTasks,
// also after the final OnTerminate) the list cannot change, so event code
// reads it without a lock. Events:
// - OnProgress, OnPreviewBitmap: on the GUI thread by synchronisation when
//   TriggerEventInMainThread (the default), else on the conversion thread;
//   no engine lock is held while the GUI thread is awaited.
// - OnCustomHook: on the conversion thread, serialised across tasks.
// - OnTerminate: in thread mode on a short-lived thread of the component's
//   own, never synchronised; events are delivered one after another in the
//   order the tasks ended, and the final one (TaskIndex -1) follows every
//   task's own, also after Stop. In serial mode on the thread that called
//   Start (or the transcoder's own terminate thread for a task that Stop
//   ended before it started).
// Handlers are looked up when an event is delivered, not when it arises.
// Every task produces exactly one OnTerminate per Start.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/EventHandler.h"
#include "engine/FFBaseComponent.h"
#include "engine/FFmpeg.h"
#include "engine/TaskOptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Threads.h"
#include "platform/rtl/Types.h"
#include "engine/probe/AVProbe.h"

namespace engine {

struct TProgressInfo {
  int TaskIndex = 0;
  int FileIndex = 0;  // -1 in a task's last report
  int FrameNumber = 0;
  int FPS = 0;
  float Quality = 0;
  float BitRate = 0;  // kbit/s
  int64_t CurrentSize = 0;
  int64_t CurrentDuration = 0;  // microseconds
  int64_t TotalDuration = 0;    // microseconds, -1 while not known
};
using PProgressInfo = TProgressInfo*;

struct TTerminateInfo {
  int TaskIndex = 0;  // -1: the end of all tasks
  bool Finished = false;
  bool Exception = false;
  rtl::String ExceptionMsg;
};

struct TPreviewInfo {
  int TaskIndex = 0;
  void* Bitmap = nullptr;  // the transcoder's 24-bit picture, owned by the task
  int FrameNumber = 0;
  int64_t PTS = 0;
};

struct THookInfo {
  int TaskIndex = 0;
  void* Bitmap = nullptr;  // the decoded picture; the handler may draw on it
  int FrameNumber = 0;
  int64_t PTS = 0;
  bool Update = true;     // out: write the bitmap back into the frame
  bool StopHook = false;  // out: no more hook calls for this task
};
using PHookInfo = THookInfo*;

// Makes the probes of the component and of its tasks. The probe library sits
// above the engine, so the published component supplies it (see TFFmpegVCL).
using TProbeFactory = std::function<player::TAVProbe*()>;
struct TProbeFree {
  void operator()(player::TAVProbe* AProbe) const {
    if (AProbe) AProbe->Free();
  }
};
using TProbePtr = std::unique_ptr<player::TAVProbe, TProbeFree>;

// One task: a transcoder with a probe and a copy of the option records of
// each of its files.
class TFFmpeg : public TCustomFFmpeg {
 public:
  TFFmpeg(int AMaxFiles, TProbeFactory AProbeFactory = {});
  // Stops and awaits a running conversion before anything is freed.
  ~TFFmpeg() override;

  // The probe of input AIndex, made when absent (nullptr without a factory).
  player::TAVProbe* GetAVProbe(int AIndex);
  // The probe of input AIndex or nullptr; never makes one.
  player::TAVProbe* AVProbe(int AIndex) const;
  // Lets every probe forget the input context it was lent.
  void DetachProbes();

  void SetInputOptions(int AIndex, const TInputOptions& AOptions);
  void SetOutputOptions(int AIndex, const TOutputOptions& AOptions);
  void ResetInputOptions(int AIndex);
  void ResetOutputOptions(int AIndex);
  // The stored copy, or nullptr when none was given.
  const TInputOptions* InputOptions(int AIndex) const;
  const TOutputOptions* OutputOptions(int AIndex) const;

  void ApplyExtOptions(const rtl::String& AText, bool AIncludeCodecs);

 private:
  TProbeFactory FProbeFactory;
  std::vector<TProbePtr> FAVProbes;
  std::vector<std::unique_ptr<TInputOptions>> FInputOptions;
  std::vector<std::unique_ptr<TOutputOptions>> FOutputOptions;
};

// The tasks, in task-index order; owns them. Index errors raise EListError
// "List index out of bounds (%d)".
class TFFmpegList : public rtl::TObject {
 public:
  int Add(std::unique_ptr<TFFmpeg> AItem);
  void Clear();
  void Delete(int AIndex);
  void Exchange(int AIndex1, int AIndex2);
  TFFmpeg* GetItem(int AIndex) const;
  int IndexOf(const rtl::TObject* AItem) const;
  int Count() const { return static_cast<int>(FList.size()); }
  void PauseAll();
  void ResumeAll();
  // Tells every task to end first, then (with AWaitFor) awaits each, so that
  // they all wind down together.
  void StopAll(bool AWaitFor);
  // The tasks out of the list, in index order, for a caller that frees them
  // later (a list cleared while a stop still waits for its tasks).
  std::vector<std::unique_ptr<TFFmpeg>> TakeAll();
  void SetPreviewAll(bool AValue);
  void SetPreviewBitmapAll(bool AValue);

 private:
  void CheckIndex(int AIndex) const;
  std::vector<TFFmpeg*> Snapshot() const;
  // Guards the list's shape (not the tasks): a handler on a delivery thread
  // may clear it while the GUI thread walks it.
  mutable std::mutex FListLock;
  std::vector<std::unique_ptr<TFFmpeg>> FList;
};

class TCustomFFmpegVCL : public TFFBaseComponent {
 public:
  using TProgressEvent = std::function<void(rtl::TObject* Sender, PProgressInfo AProgressInfo)>;
  using TTerminateEvent =
      std::function<void(rtl::TObject* Sender, const TTerminateInfo& ATerminateInfo)>;
  using TPreviewBitmapEvent =
      std::function<void(rtl::TObject* Sender, const TPreviewInfo& APreviewInfo)>;
  using TCustomHookEvent = std::function<void(rtl::TObject* Sender, PHookInfo AHookInfo)>;
  // Makes the transcoder of a new task (a TFFmpeg by default).
  using TTaskFactory = std::function<std::unique_ptr<TFFmpeg>(int AMaxFiles)>;

  TCustomFFmpegVCL(rtl::TComponent* AOwner, TProbeFactory AProbeFactory = {});
  // The owner stops the component first (Stop(true)); a run still going is
  // stopped and awaited here.
  ~TCustomFFmpegVCL() override;

  // --- libraries ---------------------------------------------------------------
  bool AVLibLoaded() const;
  bool LoadAVLib(const rtl::String& APath);
  void UnloadAVLib();

  // --- task list (GUI thread; refused while Working) ---------------------------
  // The new task index, or -1 with LastErrMsg.
  int AddTask(const rtl::String& AFileName, PInputOptions AOptions = nullptr);
  int AddTask(const rtl::String& AFileName, const rtl::String& AExtOptions);
  // A stream is named "stream:<its address>:<APrivateData>" and opened like a
  // file name; no protocol of that name is registered here.
  int AddTask(rtl::TStream* AStream, const rtl::String& APrivateData, PInputOptions AOptions);
  bool AddInputFile(int ATaskIndex, const rtl::String& AFileName, PInputOptions AOptions = nullptr);
  bool AddInputFile(int ATaskIndex, const rtl::String& AFileName, const rtl::String& AExtOptions);
  bool SetOutputFile(int ATaskIndex, const rtl::String& AFileName, POutputOptions AOptions = nullptr);
  bool SetOutputFile(int ATaskIndex, const rtl::String& AFileName, const rtl::String& AExtOptions);
  bool SetOutputStream(int ATaskIndex, rtl::TStream* AStream, POutputOptions AOptions,
                       const rtl::String& APrivateData);
  void ClearTasks();
  void RemoveTask(int ATaskIndex);
  void Exchange(int ATaskIndex1, int ATaskIndex2);
  int TasksCount() const { return FFFmpegList.Count(); }
  TFFmpeg* Task(int ATaskIndex) const { return FFFmpegList.GetItem(ATaskIndex); }
  // The probe of input AFileIndex of a task, nullptr when it has none.
  player::TAVProbe* GetTaskAVProbe(int ATaskIndex, int AFileIndex) const;

  // --- running ---------------------------------------------------------------------
  // AThreadCount above 0: thread mode, at most that many tasks at once, returns
  // at once. 0 or less: serial mode, returns after the final OnTerminate.
  void Start(int AThreadCount);
  void Pause();
  void Resume();
  // Ends the pending tasks and breaks off the running ones; with AWaitFor
  // returns when they have ended (serving the GUI thread's queue and its
  // window messages meanwhile). A Stop made while another one waits waits
  // as well. While a stop waits, the task list keeps its tasks alive: a
  // ClearTasks or RemoveTask meanwhile frees them once the stop is over.
  void Stop(bool AWaitFor);
  // A Stop is waiting for the tasks.
  bool Stopping() const { return FStopDepth.load() > 0; }

  // --- properties -----------------------------------------------------------------
  static rtl::String Version() { return u"3.3"; }
  const rtl::String& About() const { return FAbout; }
  void SetAbout(const rtl::String& AValue) { FAbout = AValue; }
  const rtl::String& LastErrMsg() const { return FLastErrMsg; }
  player::TAVProbe* AVProbe() const { return FAVProbe.get(); }
  int CustomMaxFiles() const { return FCustomMaxFiles; }
  void SetCustomMaxFiles(int AValue) { FCustomMaxFiles = AValue; }
  void* UserData() const { return FData; }
  void SetUserData(void* AValue) { FData = AValue; }
  int Verbose() const { return FVerbose; }
  void SetVerbose(int AValue) { FVerbose = AValue; }
  bool Preview() const { return FPreview; }
  void SetPreview(bool AValue);
  bool PreviewBitmap() const { return FPreviewBitmap; }
  void SetPreviewBitmap(bool AValue);
  int ProgressInterval() const { return FProgressInterval; }
  void SetProgressInterval(int AValue);  // never below 100 ms
  rtl::TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(rtl::TThreadPriority AValue) { FThreadPriority = AValue; }
  bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
  bool Terminated() const { return FTerminated.load(); }
  bool Working() const { return FWorking.load(); }

  // May be set or cleared at any time, also while tasks end: once the
  // assignment returns, a replaced handler is not running and is not called
  // again (see TEventHandler).
  TEventHandler<void(rtl::TObject* Sender, PProgressInfo AProgressInfo)> OnProgress;
  TEventHandler<void(rtl::TObject* Sender, const TTerminateInfo& ATerminateInfo)> OnTerminate;
  TEventHandler<void(rtl::TObject* Sender, const TPreviewInfo& APreviewInfo)> OnPreviewBitmap;
  TEventHandler<void(rtl::TObject* Sender, PHookInfo AHookInfo)> OnCustomHook;

  // Seam for tests and tools: how a new task's transcoder is made.
  void SetTaskFactory(TTaskFactory AFactory) { FTaskFactory = std::move(AFactory); }

 protected:
  // Called by the tasks' transcoders; ASender is the task (nullptr in
  // DoTerminate: the end of all tasks).
  virtual void DoCustomHook(rtl::TObject* ASender, void* ABitmap, int AFrameNumber, int64_t APTS,
                            bool& AUpdate, bool& AStopHook);
  virtual void DoPreviewBitmap(rtl::TObject* ASender, void* ABitmap, int AFrameNumber,
                               int64_t APTS);
  virtual void DoProgress(rtl::TObject* ASender, int AFileIndex, int AFrameNumber, float AFPS,
                          float AQuality, double ABitRate, int64_t ACurrentSize,
                          int64_t ACurrentDuration, int64_t ATotalDuration);
  virtual void DoTerminate(rtl::TObject* ASender);

 private:
  class TDoTerminateThread;

  void CheckWorking(const char* AName) const;
  std::unique_ptr<TFFmpeg> NewTask();
  bool OpenInput(TFFmpeg& ATask, int AIndex, const rtl::String& AFileName, PInputOptions AOptions);
  void StartNextTask();
  void DoTerminateAll();
  // Marks the queue ended; true when the caller raises AFinal (serial mode).
  bool EndQueueLocked(TTerminateInfo& AFinal);
  // Thread mode: hands AInfo to a new delivery thread.
  void DeliverTerminate(const TTerminateInfo& AInfo);
  void ReapTerminateThreads(bool AWaitAll);

  rtl::String FAbout;
  rtl::String FLastErrMsg;
  void* FData = nullptr;
  int FCustomMaxFiles = 20;
  bool FPreview = false;
  bool FPreviewBitmap = false;
  int FProgressInterval = 500;
  rtl::TThreadPriority FThreadPriority = rtl::tpNormal;
  bool FTriggerEventInMainThread = true;
  int FVerbose = 1;

  rtl::TCriticalSection FHookLock, FPreviewLock, FProgressLock, FTerminateLock;

  TProbeFactory FProbeFactory;
  TProbePtr FAVProbe;
  TTaskFactory FTaskFactory;
  TFFmpegList FFFmpegList;

  // Run state; changed under FTerminateLock once a run has started.
  int FCompleteTasks = 0;
  int FCurrentTask = -1;
  int FPendingTasks = 0;
  // Tasks already counted as ended in this run: a task whose stop crosses
  // its own end may be reported twice, and is counted once.
  std::vector<bool> FTaskEnded;
  bool FThreadMode = false;
  int FThreadSlots = 1;  // tasks that may run at once
  bool FPaused = false;
  rtl::TThreadID FSerialThread = 0;  // the thread inside a serial Start
  bool FFinalDue = false;            // the final event waits for that Start
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FWorking{false};

  // Stops in progress, and the tasks taken out of the list meanwhile.
  std::atomic<int> FStopDepth{0};
  std::mutex FRetiredLock;
  std::vector<std::unique_ptr<TFFmpeg>> FRetired;
  void RetireOrFree(std::vector<std::unique_ptr<TFFmpeg>> ATasks);
  void EndStop();

  // OnTerminate delivery threads, each awaiting its predecessor.
  std::mutex FDeliveryLock;
  std::vector<std::unique_ptr<TDoTerminateThread>> FDeliveryThreads;
  std::shared_ptr<rtl::TEvent> FLastDelivered;
};

// The published component: its probes are media probes of the probe library
// (made here, in the caller's code, so that the engine library itself needs
// nothing of the probe library at link time).
class TFFmpegVCL : public TCustomFFmpegVCL {
 public:
  explicit TFFmpegVCL(rtl::TComponent* AOwner)
      : TCustomFFmpegVCL(AOwner, [] { return new player::TAVProbe(nullptr); }) {}
};

}  // namespace engine
