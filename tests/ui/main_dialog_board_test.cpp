// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QFile>
#include <QPushButton>

#include "ui/dialog_fixture.h"
#include "ui/status_line.h"
#include "ui/wait_for.h"

namespace zentaro::test {
namespace {

// Four bytes at address 0 and the end record.
constexpr char kSmallHex[] = ":0400000012345678E8\n:00000001FF\n";

// The window against the simulated board, through a real pty and the termios port.
class MainDialogBoardTest : public DialogTest {
protected:
    void WriteFile(const QString& path, const QByteArray& text) const {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void StoreFileName(const QString& path) const {
        RawSettings()->setValue(QString::fromUtf8("文件/名称"), path);
    }
    void StoreHelpTimeOut(int milliseconds) const {
        RawSettings()->setValue("Settings/HelpTimeOut", milliseconds);
    }
    QString StatusText() const { return dialog->Status().Text(); }
};

TEST_F(MainDialogBoardTest, ProgramFlashThenAnotherDeviceDiscardsTheImage) {
    const QString hex = TempPath("small.hex");
    WriteFile(hex, kSmallHex);
    StoreFileName(hex);
    StoreHelpTimeOut(400);
    RawSettings()->setValue("Other/kept", "1");
    ASSERT_TRUE(StartInMemory({"--chip", "Mirval 10", "--modes", "S", "--level", "3"}));
    ASSERT_STREQ(Probe().SelectedDevice().name, "Mirval 10");

    Click("programFlashButton");
    EXPECT_EQ(StatusText(), QString::fromUtf8("擦除芯片...      编程...       检验...     OK"));
    EXPECT_EQ(dialog->Status().TimeoutInterval(), 400);
    EXPECT_TRUE(dialog->Status().TimeoutPending());
    const std::vector<uint8_t> flash = memoryBoard->Flash();
    EXPECT_EQ(std::vector<uint8_t>(flash.begin(), flash.begin() + 5),
              (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0xFF}));
    EXPECT_EQ(Probe().Image()[0], 0x12);
    EXPECT_TRUE(Find<QPushButton>("programFlashButton")->isEnabled());

    auto* list = Find<QComboBox>("deviceList");
    const int other = list->findText("Mirval 2");
    ASSERT_GE(other, 0);
    list->setCurrentIndex(other);
    emit list->activated(other);
    EXPECT_EQ(Probe().Image(), std::vector<uint8_t>(16384, 0xFF));
    EXPECT_EQ(memoryBoard->SelectedDeviceCode(), 0x60);
    EXPECT_TRUE(WaitFor([&] { return StatusText().isEmpty(); }));

    // The run added the device and kept everything else as it was.
    dialog.reset();
    const auto settings = RawSettings();
    QStringList keys = settings->allKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"Device/名称", "Other/kept", "Settings/HelpTimeOut",
                                 QString::fromUtf8("文件/名称")}));
    EXPECT_EQ(settings->value(QString::fromUtf8("文件/名称")).toString(), hex);
    EXPECT_EQ(settings->value("Device/名称").toString(), "Mirval 2");
}

TEST_F(MainDialogBoardTest, ChangedHelpTimeOutAppliesAtTheNextCommand) {
    const QString out = TempPath("eeprom.hex");
    StoreFileName(out);
    StoreHelpTimeOut(5000);
    ASSERT_TRUE(StartInMemory({"--chip", "Mirval 10"}));
    answerer.Press(QMessageBox::Yes);  // overwrite the file of the first read
    Click("readEepromButton");
    EXPECT_EQ(StatusText(), QString::fromUtf8("读取 EEPROM   ...OK"));
    EXPECT_EQ(dialog->Status().TimeoutInterval(), 5000);
    EXPECT_TRUE(QFile::exists(out));

    StoreHelpTimeOut(150);
    answerer.Press(QMessageBox::Yes);  // overwrite the file of the first read
    Click("readEepromButton");
    EXPECT_EQ(StatusText(), QString::fromUtf8("读取 EEPROM   ...OK"));
    EXPECT_EQ(dialog->Status().TimeoutInterval(), 150);
    EXPECT_TRUE(WaitFor([&] { return StatusText().isEmpty(); }, 2000));
}

TEST_F(MainDialogBoardTest, FailureTextOutlivesAnEarlierTimeOut) {
    const QString hex = TempPath("small.hex");
    WriteFile(hex, kSmallHex);
    StoreFileName(TempPath("eeprom.hex"));
    // Long enough for the file dialog to come and go on a slow (sanitized, loaded) machine.
    StoreHelpTimeOut(1000);
    ASSERT_TRUE(StartInMemory({"--chip", "Mirval 10"}));
    Click("readEepromButton");
    answerer.ChooseFile(hex);
    Click("browseButton");
    ASSERT_TRUE(dialog->Status().TimeoutPending());

    // The erased chip does not hold the file: the verify fails, and the time-out of the
    // read must not clear its text.
    answerer.Press(QMessageBox::Ok);
    Click("verifyFlashButton");
    EXPECT_EQ(StatusText(), QString::fromUtf8("校验 Flash...     失败  "));
    EXPECT_FALSE(dialog->Status().TimeoutPending());
    QTest::qWait(1200);
    EXPECT_EQ(StatusText(), QString::fromUtf8("校验 Flash...     失败  "));
    EXPECT_TRUE(Find<QPushButton>("verifyFlashButton")->isEnabled());
    EXPECT_EQ(answerer.Unexpected(), 0);
}

TEST_F(MainDialogBoardTest, DeviceWithoutEepromKeepsItsGroupDisabledAfterEveryCommand) {
    const QString hex = TempPath("small.hex");
    WriteFile(hex, kSmallHex);
    StoreFileName(hex);
    RawSettings()->setValue("Device/名称", "Dunmor 1");
    ASSERT_TRUE(StartInMemory({"--chip", "Dunmor 1", "--devices", "0x80,0x86"}));
    ASSERT_STREQ(Probe().SelectedDevice().name, "Dunmor 1");
    const auto eepromDisabled = [&] {
        for (const char* name :
             {"programEepromButton", "verifyEepromButton", "readEepromButton", "eepromGroup"}) {
            if (Find<QWidget>(name)->isEnabled()) {
                return false;
            }
        }
        return Find<QPushButton>("programFlashButton")->isEnabled();
    };
    EXPECT_TRUE(eepromDisabled());

    answerer.Press(QMessageBox::Ok);
    Click("verifyFlashButton");  // fails: the chip is erased
    EXPECT_TRUE(StatusText().endsWith(QString::fromUtf8("失败  ")));
    EXPECT_TRUE(eepromDisabled());

    Click("programFlashButton");
    EXPECT_TRUE(StatusText().endsWith("OK")) << StatusText().toStdString();
    EXPECT_TRUE(eepromDisabled());

    StoreFileName(TempPath("flash.hex"));
    dialog.reset();
    ASSERT_TRUE(StartInMemory({"--chip", "Dunmor 1", "--devices", "0x80,0x86"}));
    Click("readFlashButton");
    EXPECT_TRUE(StatusText().endsWith("OK")) << StatusText().toStdString();
    EXPECT_TRUE(eepromDisabled());
}

}  // namespace
}  // namespace zentaro::test
