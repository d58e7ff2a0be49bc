// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_worker.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <string>
#include <vector>

namespace zentaro {
namespace {

TEST(SessionWorkerTest, RunsWorkInOrderAndAFaultEndsOnlyItsOwnWork) {
    std::vector<std::string> seen;  // touched on the worker's thread only until WaitIdle
    std::promise<void> release;
    SessionWorker worker;
    worker.Post([&] { release.get_future().wait(); }, {});
    worker.Post([] { throw std::runtime_error("no memory for the image"); },
                [&](const std::string& fault) { seen.push_back("fault: " + fault); });
    worker.Post([&] { seen.push_back("next"); },
                [&](const std::string& fault) { seen.push_back("fault: " + fault); });
    EXPECT_TRUE(worker.Busy());
    release.set_value();
    worker.WaitIdle();
    EXPECT_FALSE(worker.Busy());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"fault: no memory for the image", "next", "fault: "}));
}

}  // namespace
}  // namespace zentaro
