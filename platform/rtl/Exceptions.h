// The exception hierarchy of the runtime library.
//
// Exception carries a UTF-16 Message, as the converter's error texts are
// shown and logged as Strings; what() gives the same text in UTF-8.
#pragma once

#include <exception>
#include <string>

#include "platform/rtl/Types.h"

namespace rtl {

class Exception : public std::exception {
 public:
  explicit Exception(String message);
  explicit Exception(const char* utf8Message);
  ~Exception() override = default;

  const String& Message() const { return message_; }
  void SetMessage(String message);
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

#define RTL_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {              \
   public:                                \
    using Base::Base;                     \
  };

RTL_DECLARE_EXCEPTION(EAbort, Exception)
RTL_DECLARE_EXCEPTION(EConvertError, Exception)
RTL_DECLARE_EXCEPTION(EListError, Exception)
RTL_DECLARE_EXCEPTION(EStringListError, Exception)
RTL_DECLARE_EXCEPTION(EStreamError, Exception)
RTL_DECLARE_EXCEPTION(EFCreateError, EStreamError)
RTL_DECLARE_EXCEPTION(EFOpenError, EStreamError)
RTL_DECLARE_EXCEPTION(EReadError, EStreamError)
RTL_DECLARE_EXCEPTION(EWriteError, EStreamError)
RTL_DECLARE_EXCEPTION(EInOutError, Exception)
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception)
RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
RTL_DECLARE_EXCEPTION(EInvalidPointer, Exception)
RTL_DECLARE_EXCEPTION(EInvalidArgument, Exception)
RTL_DECLARE_EXCEPTION(EComponentError, Exception)
RTL_DECLARE_EXCEPTION(EThread, Exception)
RTL_DECLARE_EXCEPTION(EIniFileException, Exception)
RTL_DECLARE_EXCEPTION(EOSError, Exception)
RTL_DECLARE_EXCEPTION(EExternal, Exception)
RTL_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
RTL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)
RTL_DECLARE_EXCEPTION(EOutOfResources, Exception)

// Silent exception: raised by Abort to unwind without an error message.
[[noreturn]] void Abort();

}  // namespace rtl
