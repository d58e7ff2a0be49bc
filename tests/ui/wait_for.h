// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QTest>

namespace zentaro::test {

// Runs the event loop until condition holds or timeoutMs have passed; the condition's last
// value. (QTRY_* report to QtTest, not to GoogleTest.)
template <class Condition>
bool WaitFor(Condition condition, int timeoutMs = 3000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return condition();
        }
        QTest::qWait(5);
    }
    return true;
}

}  // namespace zentaro::test
