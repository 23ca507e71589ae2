#pragma once
// Message timers. The Application owns the clock (real time under a window backend, a virtual
// clock that tests advance by hand under the headless one) and runs due timers from its loop.
#include <cstdint>
#include <functional>

namespace veskel {

// A message timer on the Application's clock. Ticks run on the UI thread from the loop.
class Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Interval() const { return interval_; }
    // Changing the interval of a running timer restarts its period.
    void SetInterval(int ms);
    bool Enabled() const { return enabled_; }
    // Enabling a running timer changes nothing (its period is not restarted); disabling stops it.
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

private:
    friend class Application;
    void Restart();
    int interval_ = 1000;
    bool enabled_ = false;
    std::int64_t due_ = 0;
    std::uint64_t order_ = 0;  // ties between timers due at once go in start order
};

}  // namespace veskel
