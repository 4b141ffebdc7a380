// TEventHandler: an event property that conversion threads call while the GUI
// thread sets or clears it, at any time, also while tasks end.
//
// Assigning takes effect for every call that begins afterwards, and returns
// only when the calls of the previous handler that other threads had begun
// are over: once a window has cleared its handlers it may go, since none of
// them runs any more and none is freed while in use. While it waits, the GUI
// thread serves its synchronisation queue, so a handler that waits for the
// GUI thread still ends. A handler may assign its own event (or another)
// from inside its call.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/rtl/Threads.h"

namespace engine {

template <class Signature>
class TEventHandler;

template <class... Args>
class TEventHandler<void(Args...)> {
 public:
  using Function = std::function<void(Args...)>;

  TEventHandler() = default;
  TEventHandler(const TEventHandler&) = delete;
  TEventHandler& operator=(const TEventHandler&) = delete;

  TEventHandler& operator=(Function AHandler) {
    auto next = AHandler ? std::make_shared<const Function>(std::move(AHandler)) : nullptr;
    std::shared_ptr<const Function> previous;
    std::unique_lock<std::mutex> g(FLock);
    previous = std::exchange(FHandler, std::move(next));
    const rtl::TThreadID self = rtl::GetCurrentThreadId();
    const bool onMain = self == rtl::MainThreadID();
    auto othersInside = [&] {
      for (const auto& c : FCalls)
        if (c.Thread != self && c.Handler == previous.get()) return true;
      return false;
    };
    while (previous && othersInside()) {
      if (onMain) {
        g.unlock();
        rtl::CheckSynchronize(1);
        g.lock();
      } else {
        FIdle.wait_for(g, std::chrono::milliseconds(5));
      }
    }
    g.unlock();
    return *this;  // the previous handler is freed here when nobody holds it
  }
  TEventHandler& operator=(std::nullptr_t) { return *this = Function(); }

  explicit operator bool() const {
    std::lock_guard<std::mutex> g(FLock);
    return FHandler != nullptr;
  }
  // A copy of the handler now assigned (empty when none).
  Function Get() const {
    std::lock_guard<std::mutex> g(FLock);
    return FHandler ? *FHandler : Function();
  }

  // Calls the handler assigned now, if any; true when one was called.
  template <class... CallArgs>
  bool operator()(CallArgs&&... AArgs) const {
    std::shared_ptr<const Function> handler;
    const rtl::TThreadID self = rtl::GetCurrentThreadId();
    {
      std::lock_guard<std::mutex> g(FLock);
      if (!FHandler) return false;
      handler = FHandler;
      FCalls.push_back({self, handler.get()});
    }
    struct Leave {
      const TEventHandler& Owner;
      const Function* Handler;
      rtl::TThreadID Thread;
      ~Leave() {
        std::lock_guard<std::mutex> g(Owner.FLock);
        for (auto it = Owner.FCalls.begin(); it != Owner.FCalls.end(); ++it)
          if (it->Thread == Thread && it->Handler == Handler) {
            Owner.FCalls.erase(it);
            break;
          }
        Owner.FIdle.notify_all();
      }
    } leave{*this, handler.get(), self};
    (*handler)(std::forward<CallArgs>(AArgs)...);
    return true;
  }

 private:
  struct TCall {
    rtl::TThreadID Thread;
    const Function* Handler;
  };
  mutable std::mutex FLock;
  mutable std::condition_variable FIdle;
  std::shared_ptr<const Function> FHandler;
  mutable std::vector<TCall> FCalls;  // calls under way
};

}  // namespace engine
