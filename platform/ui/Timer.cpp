#include "platform/ui/Timer.h"

#include <algorithm>
#include <limits>

#include "platform/ui/Application.h"

namespace veskel {

Timer::Timer() = default;

Timer::~Timer() {
    if (Application* app = Application::Current()) app->StopTimer(this);
}

void Timer::SetInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (enabled_) Restart();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
}

void Timer::Restart() {
    Application* app = Application::Current();
    if (!app) return;
    app->StopTimer(this);
    if (enabled_ && interval_ > 0) app->StartTimer(this);
}

// The Application's side: the list of running timers and the wake-up request for the earliest.

void Application::StartTimer(Timer* t) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) timers_.push_back(t);
    t->due_ = NowMs() + t->interval_;
    t->order_ = ++timerOrder_;
    ScheduleTimers();
}

void Application::StopTimer(Timer* t) {
    auto it = std::find(timers_.begin(), timers_.end(), t);
    if (it == timers_.end()) return;
    timers_.erase(it);
    ScheduleTimers();
}

void Application::ScheduleTimers() {
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (Timer* t : timers_) next = std::min(next, t->due_);
    backend_.RequestWakeAt(next);
}

}  // namespace veskel
