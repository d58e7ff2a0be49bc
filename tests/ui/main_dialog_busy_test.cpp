// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "images/hex_writer.h"
#include "support/recording_panel.h"
#include "ui/board_runner.h"
#include "ui/dialog_fixture.h"
#include "ui/status_line.h"

namespace zentaro::test {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Long commands: the simulated board moves its bytes at the real line rate, so that the
// window can be watched, clicked and stopped while the board works.
class MainDialogBusyTest : public DialogTest {
protected:
    // A HEX file of size bytes of data, chosen as the window's file.
    void ChooseDataFile(uint32_t size) {
        const std::string path = TempPath("data.hex").toStdString();
        std::vector<uint8_t> data(size);
        for (uint32_t i = 0; i < size; ++i) {
            data[i] = static_cast<uint8_t>(i * 7);
        }
        std::unique_ptr<HexOutput> output = CreateHexOutput(AtomicFile::Create(path));
        ASSERT_TRUE(output && WriteHexRecords(*output, data.data(), size) &&
                    output->WriteEndRecord() && output->Commit());
        RawSettings()->setValue(QString::fromUtf8("文件/名称"), QString::fromStdString(path));
    }
    bool StartPaced(const std::vector<std::string>& extra) {
        log_ = TempPath("wire.log").toStdString();
        std::vector<std::string> options = {"--chip", "Mirval 10", "--pace", "--log", log_};
        options.insert(options.end(), extra.begin(), extra.end());
        return StartSimulated(options);
    }
    // Runs action once, as soon as the command's loop has moved the progress bar.
    void OnceProgressShows(std::function<void()> action) {
        watcher_.setInterval(5);
        QObject::connect(&watcher_, &QTimer::timeout, [this, action = std::move(action)] {
            if (Find<QProgressBar>("progressBar")->value() > 0) {
                watcher_.stop();
                action();
            }
        });
        watcher_.start();
    }
    QString StatusText() const { return dialog->Status().Text(); }
    // The command letters of the exchanges the board answered, in order.
    std::string WireLetters() const {
        std::ifstream file(log_);
        std::string letters;
        for (std::string line; std::getline(file, line);) {
            const size_t quote = line.find('\'');
            letters += quote == std::string::npos ? '?' : line[quote + 1];
        }
        return letters;
    }

    std::string log_;
    QTimer watcher_;
};

TEST_F(MainDialogBusyTest, TheWindowAnswersAndDropsInputWhileTheBoardWorks) {
    ChooseDataFile(4096);
    ASSERT_TRUE(StartPaced({"--block-size", "0"}));
    dialog->show();

    // Another thread keeps asking the window's thread for an answer, as a desktop does.
    std::vector<double> answersMs;
    std::atomic<bool> asking{true};
    std::thread desktop([&] {
        while (asking) {
            const auto asked = SteadyClock::now();
            QMetaObject::invokeMethod(dialog.get(), [&answersMs, asked] {
                answersMs.push_back(
                    std::chrono::duration<double, std::milli>(SteadyClock::now() - asked).count());
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    OnceProgressShows([this] {
        QTest::mouseClick(Find<QPushButton>("verifyFlashButton"), Qt::LeftButton);
        QTest::keyClick(dialog.get(), Qt::Key_V, Qt::AltModifier);
        QTest::keyClick(dialog.get(), Qt::Key_R, Qt::AltModifier);
        QTest::keyClick(dialog.get(), Qt::Key_F1);
        QTest::mouseClick(Find<QPushButton>("browseButton"), Qt::LeftButton);
    });
    Click("programFlashButton");
    asking = false;
    desktop.join();

    EXPECT_EQ(StatusText(), QString::fromUtf8("擦除芯片...      编程...       检验...     OK"));
    ASSERT_GT(answersMs.size(), 20u);
    EXPECT_LT(*std::max_element(answersMs.begin(), answersMs.end()), 100.0);
    // What was clicked and typed meanwhile starts nothing afterwards.
    const uint64_t exchanges = simulator->Count().exchanges;
    QTest::qWait(300);
    EXPECT_EQ(simulator->Count().exchanges, exchanges);
    EXPECT_EQ(StatusText(), QString::fromUtf8("擦除芯片...      编程...       检验...     OK"));
    EXPECT_TRUE(answerer.Texts().isEmpty());
    EXPECT_EQ(answerer.Unexpected(), 0);
}

TEST_F(MainDialogBusyTest, EscStopsAfterTheBlockInFlight) {
    ChooseDataFile(65536);
    ASSERT_TRUE(StartPaced({}));
    uint64_t answeredAtEsc = 0;
    OnceProgressShows([&] {
        answeredAtEsc = simulator->Count().exchanges;
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    });
    Click("programFlashButton");

    EXPECT_EQ(StatusText(), QString::fromUtf8("擦除芯片...      编程...       Canceled"));
    EXPECT_FALSE(dialog->Status().TimeoutPending());
    EXPECT_TRUE(Find<QPushButton>("programFlashButton")->isEnabled());
    EXPECT_TRUE(simulator->Lamps()[0]);
    EXPECT_FALSE(simulator->ProgrammingMode());
    const std::string wire = WireLetters();
    ASSERT_GT(wire.size(), answeredAtEsc);
    const std::string afterEsc = wire.substr(answeredAtEsc);
    EXPECT_LE(std::count(afterEsc.begin(), afterEsc.end(), 'B'), 1) << afterEsc;
    EXPECT_TRUE(afterEsc.ends_with("xL")) << afterEsc;
    EXPECT_EQ(wire.find('g'), std::string::npos);  // no verify
    EXPECT_EQ(answerer.Unexpected(), 0);
}

TEST_F(MainDialogBusyTest, ClosingMidCommandStopsItThenCloses) {
    ChooseDataFile(65536);
    ASSERT_TRUE(StartPaced({}));
    dialog->show();
    OnceProgressShows([this] { dialog->close(); });
    Click("programFlashButton");

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(StatusText(), QString::fromUtf8("擦除芯片...      编程...       Canceled"));
    EXPECT_FALSE(simulator->ProgrammingMode());
    EXPECT_TRUE(WireLetters().ends_with("xL"));
}

TEST_F(MainDialogBusyTest, ReadToFileStoppedKeepsTheEarlierFile) {
    QDir(ConfigHome()).mkpath("out");
    const QString path = TempPath("out/flash.hex");
    const QByteArray earlier(":0400000001020304F2\n:00000001FF\n");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    RawSettings()->setValue(QString::fromUtf8("文件/名称"), path);
    ASSERT_TRUE(StartPaced({}));
    answerer.Press(QMessageBox::Yes);  // overwrite
    OnceProgressShows([this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); });
    Click("readFlashButton");

    EXPECT_EQ(StatusText(), QString::fromUtf8("读取 Flash...   Canceled"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
    EXPECT_EQ(QDir(TempPath("out")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(answerer.Unexpected(), 0);
}

TEST_F(MainDialogBusyTest, TheAdvancedOptionsAppearBeforeTheBoardIsAsked) {
    ASSERT_TRUE(StartSimulated({"--chip", "Mirval 10", "--fault", "late:p=1500"}));
    const auto clicked = SteadyClock::now();
    double shownMs = -1;
    QString identifierWhenShown;
    QStringList listsWhenShown;
    answerer.Then([&](QWidget* window) {
        shownMs = std::chrono::duration<double, std::milli>(SteadyClock::now() - clicked).count();
        identifierWhenShown = window->findChild<QLabel*>("identifierText")->text();
        // The device's lists are there before the board has said anything.
        for (const char* name : {"clockCombo", "bodCombo", "bootBlockCombo"}) {
            listsWhenShown << window->findChild<QComboBox*>(name)->itemText(0);
        }
        // Closed while it still waits for the board: it closes once the opening has ended.
        window->close();
    });
    Click("advancedButton");
    const double closedMs =
        std::chrono::duration<double, std::milli>(SteadyClock::now() - clicked).count();

    ASSERT_GE(shownMs, 0);
    EXPECT_LT(shownMs, 1000);
    EXPECT_NE(identifierWhenShown, "MZR-SIM");
    EXPECT_EQ(listsWhenShown,
              QStringList({"Ext Clock", "No BOD function", "Boot block 4096 Words"}));
    EXPECT_GE(closedMs, 1500);
    EXPECT_FALSE(simulator->ProgrammingMode());
}

TEST_F(MainDialogBusyTest, WorkThatThrowsEndsWithTheFaultShownAndTheBoardServesOn) {
    ChooseDataFile(64);
    ASSERT_TRUE(StartInMemory({"--chip", "Mirval 10"}));
    BoardRunner runner(*dialog, Probe().Board());
    bool ended = false;
    ASSERT_TRUE(runner.Start([] { throw std::runtime_error("no memory for the image"); },
                             [&] { ended = true; }));
    WaitIdle();
    EXPECT_TRUE(ended);
    EXPECT_EQ(answerer.Texts(),
              QStringList{QString::fromUtf8("内部错误，命令已中止：no memory for the image")});
    Click("programFlashButton");
    EXPECT_TRUE(StatusText().endsWith("OK")) << StatusText().toStdString();
}

}  // namespace
}  // namespace zentaro::test
