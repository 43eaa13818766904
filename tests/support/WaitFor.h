#pragma once

#include <QDeadlineTimer>
#include <QTest>

#include <functional>

namespace fw::test {

// Runs the event loop until done() holds or the time is up; true when it holds. Use it as
// ASSERT_TRUE(WaitFor(...)): Qt's QTRY_ macros only return from the test when they fail, which
// GoogleTest counts as a pass.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

}  // namespace fw::test
