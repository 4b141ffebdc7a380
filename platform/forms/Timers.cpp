#include "platform/forms/Timers.h"

#include "platform/forms/FormsInternal.h"

namespace forms {

TTimer::TTimer(TComponent* owner) : TComponent(owner) { UpdateTimer(); }

TTimer::~TTimer() {
  OnTimer = nullptr;
  detail::StopUtilTimer(id_);
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) {
    detail::StopUtilTimer(id_);
    running_ = false;
  }
  if (!enabled_ || interval_ == 0 || ComponentState().Contains(rtl::csLoading)) return;
  id_ = detail::StartUtilTimer(id_, interval_, [this] { Timer(); });
  running_ = true;
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

}  // namespace forms
