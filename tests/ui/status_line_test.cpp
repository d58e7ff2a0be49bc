#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "ui/qt_printers.h"
#include "ui/wait_for.h"

namespace zentaro {
namespace {

using testing::WaitFor;

TEST(StatusLine, TimeOutClearsTheText) {
    QLabel label;
    StatusLine status(label);
    status.Set("读取 Flash...   ");
    status.Append("OK");
    EXPECT_EQ(label.text(), QString::fromUtf8("读取 Flash...   OK"));
    status.StartTimeout(30);
    EXPECT_TRUE(status.TimeoutPending());
    EXPECT_TRUE(WaitFor([&] { return label.text().isEmpty(); }));
    EXPECT_FALSE(status.TimeoutPending());
}

TEST(StatusLine, NewTextCancelsAPendingTimeOut) {
    QLabel label;
    StatusLine status(label);
    status.Set("first");
    status.StartTimeout(80);
    QTest::qWait(40);
    status.Set("second");
    EXPECT_FALSE(status.TimeoutPending());
    QTest::qWait(150);
    EXPECT_EQ(label.text(), "second");
}

TEST(StatusLine, RestartingReplacesThePendingTimeOut) {
    QLabel label;
    StatusLine status(label);
    status.Set("text");
    status.StartTimeout(60);
    QTest::qWait(40);
    status.StartTimeout(200);
    QTest::qWait(60);
    EXPECT_EQ(label.text(), "text");
    EXPECT_EQ(status.TimeoutInterval(), 200);
}

}  // namespace
}  // namespace zentaro
