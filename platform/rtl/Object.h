// Root of the class hierarchy and the event types built on it.
#pragma once

#include <functional>

namespace rtl {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// Events keep the Sender argument; an empty function means "no handler".
using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace rtl
