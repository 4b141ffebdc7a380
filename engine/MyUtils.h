// Utility routines shared by the engine, the media probe, the preview player
// and the main window: dynamic-library loading and binding, file sizes and
// the program folder, a string splitter, byte sizes and times as text, and
// the way engine events reach the GUI thread.
//
// Threads: everything here is reentrant, except PumpOneMessage/PumpMessages,
// which only the GUI thread calls.
#pragma once

#include <functional>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace engine {

// A programming error detected at run time (an empty library set, a second
// logger). Raised rather than aborting so that the caller's state stays
// inspectable and tests can see it.
class EAssertionFailed : public rtl::Exception {
 public:
  using Exception::Exception;
};
void Assert(bool ACondition, const char* AMessage = "Assertion failed");

// Loads AFileName from AFolder when AFolder is not empty and the file exists
// there; otherwise hands the bare file name to the system search. Returns the
// handle, or nullptr with the system's error text in AError.
void* LoadDLLFromPath(const rtl::String& AFolder, const rtl::String& AFileName,
                      rtl::String& AError);
void FreeDLL(void* AHandle);

// The address of an exported name, or nullptr. When it is missing and
// AOptional is false, raises rtl::Exception "Load function %s@%s error: %s"
// (or "Load variable ..." when AIsVariable).
void* BindAddress(const rtl::String& ALibName, void* AHandle, const char* AName,
                  bool AOptional, bool AIsVariable);

template <class TFunc>
void BindFunction(const rtl::String& ALibName, void* AHandle, const char* AName, TFunc& AEntry,
                  bool AOptional = false) {
  AEntry = reinterpret_cast<TFunc>(BindAddress(ALibName, AHandle, AName, AOptional, false));
}

template <class TVar>
void BindVariable(const rtl::String& ALibName, void* AHandle, const char* AName, TVar*& AEntry,
                  bool AOptional = false) {
  AEntry = static_cast<TVar*>(BindAddress(ALibName, AHandle, AName, AOptional, true));
}

// Size in bytes of an existing file (any size); -1 when there is no such file
// (a folder is not a file).
rtl::Int64 FileSizeByName(const rtl::String& AFileName);

// Full path of the running program, and its folder with a trailing "/".
rtl::String GetExeName();
rtl::String GetExePath();

// AHead := text before the first ASeparator (all of S when absent); with
// ARemove, S keeps only the text after the separator (empty when absent).
void SplitFirst(rtl::String& S, const rtl::String& ASeparator, bool ARemove, rtl::String& AHead);
void SplitFirst(std::string& S, std::string_view ASeparator, bool ARemove, std::string& AHead);

// "%d Byte" up to 1024, then "%.2f KB", "%.2f MB" and "%.2f GB" above
// 1024, 1048576 and 1073741824 bytes.
rtl::String FormatByteSize(rtl::Int64 ASize);

// Offset of the local standard time from UTC in days (daylight saving is not
// applied), and seconds since 1970 as a local date-time value (days since
// 1899-12-30).
double LocalUTCOffsetDays();
double UnixTimeToDateTime(rtl::Int64 ASeconds);

// The date-time formatted with the framework's patterns ("yyyy-mm-dd hh:nn:ss").
void DateTimeToText(const rtl::String& AFormat, rtl::String& AText, double ADateTime);

// Runs AMethod on the GUI thread and returns after it ran: directly when
// called on the GUI thread, otherwise through the thread synchronisation
// queue (the caller waits). Never call it while holding an engine lock.
void CallMethodInMainThread(const std::function<void()>& AMethod);

// Runs AMethod on the GUI thread without waiting for it (directly when
// called on the GUI thread). Calls queued by one thread run in their order.
void QueueMethodInMainThread(std::function<void()> AMethod);

// The GUI thread serves its pending work while it waits for something (the
// stop of a conversion, the player's open, stop and seek): PumpOneMessage
// handles one pending message (false when none was pending); PumpMessages
// handles them until none is left. The program installs the window system's
// pump (SetMessagePump): it takes one message of the thread's queue and
// dispatches it; a WM_QUIT is taken and not dispatched (the program's loop
// still learns of it). Without an installed pump only the synchronisation
// queue is served.
using TMessagePump = std::function<bool()>;
void SetMessagePump(TMessagePump APump);
bool PumpOneMessage();
void PumpMessages();

// The application's handling of an exception that escaped an event handler
// (the program shows it as it shows any other). HandleEventException must be
// called inside a catch block; without an installed handler the exception's
// text goes to the standard error output.
using TExceptionHandler = std::function<void(rtl::TObject* ASender)>;
void SetExceptionHandler(TExceptionHandler AHandler);
void HandleEventException(rtl::TObject* ASender);

}  // namespace engine
