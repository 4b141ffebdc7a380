#include "platform/rtl/Exceptions.h"

#include "platform/rtl/Strings.h"

namespace rtl {

Exception::Exception(String message) : message_(std::move(message)), utf8_(StringToUtf8(message_)) {}

Exception::Exception(const char* utf8Message)
    : message_(Utf8ToString(utf8Message ? utf8Message : "")), utf8_(utf8Message ? utf8Message : "") {}

void Exception::SetMessage(String message) {
  message_ = std::move(message);
  utf8_ = StringToUtf8(message_);
}

void Abort() { throw EAbort(u"Operation aborted"); }

}  // namespace rtl
