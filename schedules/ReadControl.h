#pragma once

#include <algorithm>
#include <atomic>

namespace fw {

// How a reading running on another thread is followed and stopped: the reader tells how far it
// is and looks at the stop flag between rows; the window reads the one and sets the other.
class ReadControl {
public:
    void Cancel() { cancel_ = true; }
    bool Cancelled() const { return cancel_; }
    // How far the reading is, 0 to 1000; it never goes back.
    int Permille() const { return permille_; }
    void Report(double fraction) {
        const int p = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000);
        int old = permille_;
        while (p > old && !permille_.compare_exchange_weak(old, p)) {
        }
    }

private:
    std::atomic<bool> cancel_{false};
    std::atomic<int> permille_{0};
};

// A stretch of the whole reading: a reader that does step k of n reports within its share.
struct ReadStage {
    ReadControl* control = nullptr;
    double from = 0, to = 1;

    bool Cancelled() const { return control != nullptr && control->Cancelled(); }
    void Report(double fraction) const {
        if (control != nullptr) control->Report(from + (to - from) * fraction);
    }
    ReadStage Part(double a, double b) const { return {control, from + (to - from) * a, from + (to - from) * b}; }
};

}  // namespace fw
