// TTimer: a repeating event on the GUI thread, on the window system's clock
// (the fake clock in headless tests), so its ticks interleave with window
// timers in due-time order.
#pragma once

#include <cstdint>

#include "platform/forms/Controls.h"

namespace forms {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  // 0 stops the timer; setting the interval of a running timer restarts its count.
  void SetInterval(unsigned ms);

  TNotifyEvent OnTimer;
  void Loaded() override;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();

  bool enabled_ = true;
  unsigned interval_ = 1000;
  std::uintptr_t id_ = 0;
  bool running_ = false;
};

}  // namespace forms
