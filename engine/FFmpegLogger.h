// The logger: every message of the engine, the probe and the player, and
// everything FFmpeg prints through av_log, reaches the application here.
//
// FFmpeg's output arrives in pieces; AVLogCallback assembles it into whole
// lines per thread (each thread has its own pending text, freed when the
// thread ends) and raises OnLog once per line. The engine's own messages
// (Log) are raised once per call, filtered by LogLevel.
//
// Threads: Log and AVLogCallback run on any thread. With
// TriggerEventInMainThread (the default) OnLog runs on the GUI thread: the
// line is queued there and the logging thread does not wait, so a worker
// that holds CodecLock never blocks on the GUI thread; the lines of one
// thread arrive in their order. Otherwise OnLog runs on the logging thread.
// Each event carries its own copy of the line.
//
// Ownership: one logger per process. The main window owns its logger;
// GetFFLogger makes an ownerless one when there is none (freed at exit).
#pragma once

#include <atomic>
#include <cstdarg>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>

#include "engine/FFBaseComponent.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

namespace engine {

enum TLogLevel : uint8_t { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

// (ordinal - 1) * 8: llQuiet -8, llPanic 0 ... llDebug 48.
constexpr int LogLevelToAVLevel(TLogLevel ALevel) { return (static_cast<int>(ALevel) - 1) * 8; }
// level / 8 (truncated) + 1, clamped to llQuiet .. llDebug.
constexpr TLogLevel AVLevelToLogLevel(int ALevel) {
  int l = ALevel / 8 + 1;
  return static_cast<TLogLevel>(l < 0 ? 0 : l > 7 ? 7 : l);
}

using TLogEvent = std::function<void(rtl::TObject* Sender, uint32_t AThreadID, TLogLevel ALogLevel,
                                     const rtl::String& ALogMsg)>;

struct TLogInfo {
  rtl::TObject* Sender = nullptr;
  uint32_t ThreadID = 0;
  TLogLevel LogLevel = llInfo;
  rtl::String LogMsg;
};

// The FFmpeg level at or below which FFmpeg's messages are taken (32 at first).
extern std::atomic<int> LogThreshold;

class TFFLogger : public TFFBaseComponent {
 public:
  // Raises EAssertionFailed "Allow creating only one instance of TFFLogger."
  // when a logger exists already.
  explicit TFFLogger(rtl::TComponent* AOwner);
  ~TFFLogger() override;

  TLogLevel LogLevel() const { return FLogLevel.load(); }
  // Stores the level and, when avutil is bound, applies it to FFmpeg.
  void SetLogLevel(TLogLevel AValue);
  bool TriggerEventInMainThread() const { return FTriggerEventInMainThread.load(); }
  void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread.store(AValue); }
  TLogEvent OnLog() const;
  void SetOnLog(TLogEvent AHandler);

  // Hands AVLogCallback to FFmpeg and applies LogLevel; the loader calls it
  // once avutil is bound (EAssertionFailed before that).
  void InstallAVLogCallback();
  void ApplyAVLogLevel();
  // The engine's log-level option: quiet, panic, fatal, error, warning, info,
  // verbose, debug (any case) or an FFmpeg level number; other text raises
  // EConvertError.
  void OptLogLevel(const rtl::String& AText);

  // The engine's own messages. They pass when ALogLevel <= LogLevel, and
  // llVerbose passes at every level but llQuiet.
  void Log(rtl::TObject* Sender, TLogLevel ALogLevel, const rtl::String& ALogMsg);
  void Log(rtl::TObject* Sender, TLogLevel ALogLevel, const rtl::String& AFormat,
           std::initializer_list<rtl::TVarRec> AArgs);
  // One complete FFmpeg line of thread AThreadID at FFmpeg level ALevel.
  void DoAVLog(uint32_t AThreadID, int ALevel, const rtl::String& ALine);
  // Calls OnLog with the event's fields.
  void SyncLog(const TLogInfo& AInfo);

 private:
  bool Passes(TLogLevel ALogLevel) const;
  void Deliver(TLogInfo AInfo);

  std::atomic<bool> FTriggerEventInMainThread{true};
  std::atomic<TLogLevel> FLogLevel{llInfo};
  mutable std::mutex FOnLogLock;
  TLogEvent FOnLog;
  // Queued events look through this to see whether their logger still exists.
  std::shared_ptr<std::atomic<TFFLogger*>> FAlive;
};

// The process-wide logger; creates an ownerless one when there is none.
TFFLogger* GetFFLogger();

// FFmpeg's log callback (C calling convention).
extern "C" void AVLogCallback(void* avcl, int level, const char* fmt, va_list vl);

}  // namespace engine
