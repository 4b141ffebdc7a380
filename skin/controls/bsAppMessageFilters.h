// Filters on the application's messages before they are dispatched, for the
// menus that take the keyboard while they are open. The application has one
// message handler; the filters share one handler of their own, put in front
// of whatever handler was there, and may be added and removed at any time,
// also from inside a filter. GUI thread only.
#pragma once

#include <functional>

#include "platform/win/WinTypes.h"

namespace skin {

// A filter answers true when it took the message (it is not dispatched); it
// may also empty the message (message 0).
using TAppMessageFilter = std::function<bool(win::MSG& Msg)>;

// Key identifies the filter; adding again under a key replaces its filter.
void AddAppMessageFilter(const void* Key, TAppMessageFilter Filter);
void RemoveAppMessageFilter(const void* Key);

}  // namespace skin
