#include "engine/FFmpegLogger.h"

#include <cstdio>
#include <string>

#include "engine/FFEntries.h"
#include "engine/MyUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

namespace engine {

using rtl::String;

std::atomic<int> LogThreshold{32};

namespace {

std::mutex gLoggerLock;
TFFLogger* gLogger = nullptr;              // the process-wide logger
std::unique_ptr<TFFLogger> gOwnedLogger;   // the one GetFFLogger made

// The text a thread has logged since its last complete line. Lives and dies
// with its thread.
thread_local std::string tPendingLine;

}  // namespace

TFFLogger::TFFLogger(rtl::TComponent* AOwner)
    : TFFBaseComponent(AOwner), FAlive(std::make_shared<std::atomic<TFFLogger*>>(this)) {
  std::lock_guard lock(gLoggerLock);
  Assert(gLogger == nullptr, "Allow creating only one instance of TFFLogger.");
  FLogLevel = AVLevelToLogLevel(LogThreshold.load());
  gLogger = this;
}

TFFLogger::~TFFLogger() {
  FAlive->store(nullptr);
  std::lock_guard lock(gLoggerLock);
  if (gLogger == this) gLogger = nullptr;
}

TFFLogger* GetFFLogger() {
  static std::mutex createLock;  // one creation at a time; the constructor takes gLoggerLock
  std::lock_guard create(createLock);
  {
    std::lock_guard lock(gLoggerLock);
    if (gLogger) return gLogger;
  }
  gOwnedLogger = std::make_unique<TFFLogger>(nullptr);
  return gOwnedLogger.get();
}

TLogEvent TFFLogger::OnLog() const {
  std::lock_guard lock(FOnLogLock);
  return FOnLog;
}

void TFFLogger::SetOnLog(TLogEvent AHandler) {
  std::lock_guard lock(FOnLogLock);
  FOnLog = std::move(AHandler);
}

void TFFLogger::SetLogLevel(TLogLevel AValue) {
  if (FLogLevel.exchange(AValue) != AValue) ApplyAVLogLevel();
}

void TFFLogger::InstallAVLogCallback() {
  Assert(ff::av_log_set_callback && ff::av_log_set_level, "avutil is not loaded");
  ff::av_log_set_callback(AVLogCallback);
  ApplyAVLogLevel();
}

void TFFLogger::ApplyAVLogLevel() {
  if (!ff::av_log_set_level) return;
  LogThreshold = LogLevelToAVLevel(LogLevel());
  ff::av_log_set_level(LogThreshold);
}

void TFFLogger::OptLogLevel(const String& AText) {
  static const struct {
    const char16_t* name;
    int level;
  } kLevels[] = {{u"quiet", -8},   {u"panic", 0}, {u"fatal", 8},    {u"error", 16},
                 {u"warning", 24}, {u"info", 32}, {u"verbose", 40}, {u"debug", 48}};
  for (const auto& k : kLevels)
    if (rtl::SameText(AText, k.name)) return SetLogLevel(AVLevelToLogLevel(k.level));
  SetLogLevel(AVLevelToLogLevel(rtl::StrToInt(AText)));
}

bool TFFLogger::Passes(TLogLevel ALogLevel) const {
  TLogLevel level = LogLevel();
  return ALogLevel <= level || (ALogLevel == llVerbose && level != llQuiet);
}

void TFFLogger::Log(rtl::TObject* Sender, TLogLevel ALogLevel, const String& ALogMsg) {
  if (!OnLog() || !Passes(ALogLevel)) return;
  Deliver(TLogInfo{Sender, rtl::GetCurrentThreadId(), ALogLevel, ALogMsg});
}

void TFFLogger::Log(rtl::TObject* Sender, TLogLevel ALogLevel, const String& AFormat,
                    std::initializer_list<rtl::TVarRec> AArgs) {
  if (!OnLog() || !Passes(ALogLevel)) return;
  Deliver(TLogInfo{Sender, rtl::GetCurrentThreadId(), ALogLevel, rtl::Format(AFormat, AArgs)});
}

void TFFLogger::DoAVLog(uint32_t AThreadID, int ALevel, const String& ALine) {
  if (!OnLog()) return;
  Deliver(TLogInfo{this, AThreadID, AVLevelToLogLevel(ALevel), ALine});
}

void TFFLogger::SyncLog(const TLogInfo& AInfo) {
  if (TLogEvent handler = OnLog()) handler(AInfo.Sender, AInfo.ThreadID, AInfo.LogLevel, AInfo.LogMsg);
}

void TFFLogger::Deliver(TLogInfo AInfo) {
  if (!TriggerEventInMainThread()) return SyncLog(AInfo);
  QueueMethodInMainThread([alive = FAlive, info = std::move(AInfo)] {
    if (TFFLogger* logger = alive->load()) logger->SyncLog(info);
  });
}

extern "C" void AVLogCallback(void* avcl, int level, const char* fmt, va_list vl) {
  // 5.1 may carry flags above the level byte.
  if (level >= 0) level &= 0xFF;
  if (level > LogThreshold.load(std::memory_order_relaxed) || !fmt) return;

  std::string& pending = tPendingLine;
  char buf[2048];
  int used = 0;
  if (avcl && pending.empty()) {
    const AVClass* cls = *static_cast<AVClass* const*>(avcl);
    const char* name = cls && cls->item_name ? cls->item_name(avcl) : nullptr;
    used = snprintf(buf, sizeof buf, "[%s @ %p]", name ? name : "NULL", avcl);
    if (used < 0) used = 0;
    if (used >= static_cast<int>(sizeof buf)) used = sizeof buf - 1;
  }
  pending.append(buf, static_cast<size_t>(used));

  // The message is taken whole: a long one is formatted a second time into
  // a buffer of its own size rather than cut.
  va_list copy;
  va_copy(copy, vl);
  int n = vsnprintf(buf, sizeof buf, fmt, vl);
  if (n >= static_cast<int>(sizeof buf)) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(big.data(), big.size(), fmt, copy);
    pending.append(big.data(), static_cast<size_t>(n));
  } else if (n > 0) {
    pending.append(buf, static_cast<size_t>(n));
  }
  va_end(copy);

  for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
    const String line = rtl::Utf8ToString(std::string_view(pending).substr(0, nl));
    pending.erase(0, nl + 1);
    GetFFLogger()->DoAVLog(rtl::GetCurrentThreadId(), level, line);
  }
}

}  // namespace engine
