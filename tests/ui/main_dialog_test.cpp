// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <map>

#include "session/device_lists.h"
#include "ui/abbreviate_path.h"
#include "ui/dialog_fixture.h"
#include "ui/status_line.h"
#include "ui/wait_for.h"
#include "zentaro_version.h"

namespace zentaro::test {
namespace {

// The device names the table offers a board, as the window's list holds them.
QStringList TableDevices(uint8_t level, uint8_t typeMask) {
    QStringList names;
    for (const std::string& name : DevicesFromTable(level, typeMask)) {
        names.append(QString::fromStdString(name));
    }
    return names;
}

const QString kNoProgrammer = QString::fromUtf8("没有发现编程器目标板！   \nZentaro 1.37 汉化版 ");

constexpr const char* kFlashControls[] = {"programFlashButton", "verifyFlashButton",
                                          "readFlashButton", "flashGroup"};
constexpr const char* kEepromControls[] = {"programEepromButton", "verifyEepromButton",
                                           "readEepromButton", "eepromGroup"};

class MainDialogTest : public DialogTest {
protected:
    QStringList Entries(const char* list) const {
        QStringList entries;
        auto* combo = Find<QComboBox>(list);
        for (int i = 0; i < combo->count(); ++i) {
            entries.append(combo->itemText(i));
        }
        return entries;
    }
    bool Enabled(const char* name) const { return Find<QWidget>(name)->isEnabled(); }
    bool AllEnabled(const auto& names, bool enabled) const {
        return std::all_of(std::begin(names), std::end(names),
                           [&](const char* name) { return Enabled(name) == enabled; });
    }
    // Every write that started with this byte.
    std::vector<ScriptedPort::Bytes> WritesOf(uint8_t command) const {
        std::vector<ScriptedPort::Bytes> found;
        for (const auto& write : port->Writes()) {
            if (!write.empty() && write[0] == command) {
                found.push_back(write);
            }
        }
        return found;
    }
    // The device codes of the select-device blocks sent (level 0 or level 2 and above).
    std::vector<uint8_t> SelectedCodes() const {
        std::vector<uint8_t> codes;
        for (const auto& write : WritesOf(0x1B)) {
            if (write.size() == 5) {
                codes.push_back(write[4]);
            } else if (write.size() >= 27) {
                codes.push_back(write[6]);
            }
        }
        return codes;
    }
    void Choose(const char* list, int index) {
        auto* combo = Find<QComboBox>(list);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
};

TEST_F(MainDialogTest, NoBoardTellsTheUserAndEnds) {
    board.present = false;
    answerer.Press(QMessageBox::Ok);
    EXPECT_FALSE(StartScripted());
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_EQ(answerer.Boxes()[0].title, "Zentaro");
    EXPECT_EQ(answerer.Boxes()[0].text, kNoProgrammer);
    EXPECT_EQ(answerer.Boxes()[0].buttons.size(), 1);
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

TEST_F(MainDialogTest, EmptyStoreStartsWithDefaults) {
    ASSERT_TRUE(StartScripted());
    EXPECT_TRUE(Probe().FileName().isEmpty());
    EXPECT_TRUE(Find<QLabel>("fileNameLabel")->text().isEmpty());
    // No table row is called "Orlan 1 rev. D/E/F": entry 0 of the sorted list is taken.
    const QStringList expected = TableDevices(3, 0x02);
    EXPECT_EQ(Entries("deviceList"), expected);
    EXPECT_EQ(Find<QComboBox>("deviceList")->currentIndex(), 0);
    EXPECT_EQ(QString::fromUtf8(Probe().SelectedDevice().name), expected[0]);
    EXPECT_TRUE(Probe().Switches().verifyFlash);
    EXPECT_TRUE(Probe().Switches().verifyEeprom);
    EXPECT_FALSE(Probe().Switches().ignoreChecksum);
    EXPECT_TRUE(Probe().ProgrammingFlag());

    dialog->StartStatusTimeout();
    EXPECT_TRUE(dialog->Status().TimeoutPending());
    EXPECT_EQ(dialog->Status().TimeoutInterval(), 3000);

    // Only the selected device was stored.
    EXPECT_EQ(RawSettings()->allKeys(), QStringList({QString::fromUtf8("Device/名称")}));
    EXPECT_EQ(RawSettings()->value(QString::fromUtf8("Device/名称")).toString(), expected[0]);
    EXPECT_EQ(SelectedCodes(),
              std::vector<uint8_t>{static_cast<uint8_t>(Probe().SelectedDevice().deviceCode)});
}

TEST_F(MainDialogTest, ControlsCarryTheirTextsAndTheHiddenOnesStayHidden) {
    ASSERT_TRUE(StartScripted());
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Zentaro 1.35C Orvanta汉化版"));
    const std::map<const char*, const char*> buttons{
        {"browseButton", "浏览(&B)..."},    {"leaveButton", "退出..."},
        {"programFlashButton", "编程(&P)"}, {"verifyFlashButton", "校验(&V)"},
        {"readFlashButton", "读取(&R)"},    {"programEepromButton", "编程(&M)"},
        {"verifyEepromButton", "校验(&E)"}, {"readEepromButton", "读取(&D)"},
        {"advancedButton", "高级(&A)..."}};
    for (const auto& [name, text] : buttons) {
        EXPECT_EQ(Find<QPushButton>(name)->text(), QString::fromUtf8(text)) << name;
    }
    const std::map<const char*, const char*> groups{{"fileGroup", "INTEL Hex 格式文件"},
                                                    {"flashGroup", "Flash 程序存储区"},
                                                    {"eepromGroup", "EEPROM 数据存储区"},
                                                    {"deviceGroup", "目标芯片"},
                                                    {"programmerTypeGroup", "Programmer type"}};
    for (const auto& [name, title] : groups) {
        EXPECT_EQ(Find<QGroupBox>(name)->title(), QString::fromUtf8(title)) << name;
    }
    for (const char* name : {"leaveButton", "programmerTypeGroup", "programmerTypeList"}) {
        EXPECT_FALSE(Find<QWidget>(name)->isVisible()) << name;
    }
    for (const char* name : {"browseButton", "deviceList", "advancedButton", "progressBar"}) {
        EXPECT_TRUE(Find<QWidget>(name)->isVisible()) << name;
    }
}

TEST_F(MainDialogTest, SwitchesStoredAsZeroOrNegativeAreOff) {
    WriteSettingsFile(
        "[Settings]\n"
        "%U6821%U9A8C%20Flash%20%20=0\n"
        "%U6821%U9A8C%20EEPROM%20%20=-1\n"
        "Ignore%20Checksum=2\n");
    ASSERT_TRUE(StartScripted());
    EXPECT_FALSE(Probe().Switches().verifyFlash);
    EXPECT_FALSE(Probe().Switches().verifyEeprom);
    EXPECT_TRUE(Probe().Switches().ignoreChecksum);
}

TEST_F(MainDialogTest, HelpTimeOutIsReadAtEveryStart) {
    ASSERT_TRUE(StartScripted());
    WriteSettingsFile("[Settings]\nHelpTimeOut=250\n");
    dialog->StartStatusTimeout();
    EXPECT_EQ(dialog->Status().TimeoutInterval(), 250);
    WriteSettingsFile("[Settings]\nHelpTimeOut=40\n");
    dialog->SetStatus("x");
    dialog->StartStatusTimeout();
    EXPECT_EQ(dialog->Status().TimeoutInterval(), 40);
    EXPECT_TRUE(WaitFor([&] { return dialog->Status().Text().isEmpty(); }));
    // Negative: the longest period the timer has, so the text is not cleared at once.
    WriteSettingsFile("[Settings]\nHelpTimeOut=-5\n");
    dialog->SetStatus("y");
    dialog->StartStatusTimeout();
    EXPECT_EQ(dialog->Status().TimeoutInterval(), std::numeric_limits<int>::max());
    EXPECT_TRUE(dialog->Status().TimeoutPending());
    QTest::qWait(50);
    EXPECT_EQ(dialog->Status().Text(), "y");
}

TEST_F(MainDialogTest, OneReportedCodeGivesADisabledListWithThatDevice) {
    board.codes = {0x41};
    ASSERT_TRUE(StartScripted());
    EXPECT_EQ(Entries("deviceList"), QStringList({"Mirval 7"}));
    EXPECT_FALSE(Enabled("deviceList"));
    EXPECT_STREQ(Probe().SelectedDevice().name, "Mirval 7");
    EXPECT_EQ(Probe().ProgrammerLevel(), 0);
    // A list-type board is never asked for modes or its level; level 0 selects with 5 bytes.
    EXPECT_TRUE(WritesOf('O').empty());
    EXPECT_TRUE(WritesOf('K').empty());
    EXPECT_EQ(WritesOf(0x1B).back(), (ScriptedPort::Bytes{0x1B, 0x1B, 0x1B, 'T', 0x41}));
}

TEST_F(MainDialogTest, TwoReportedCodesGiveAnEnabledList) {
    board.codes = {0x41, 0x99};  // the second is unknown: skipped, but counted
    ASSERT_TRUE(StartScripted());
    EXPECT_EQ(Entries("deviceList"), QStringList({"Mirval 7"}));
    EXPECT_TRUE(Enabled("deviceList"));

    board.codes = {0x41, 0x3A};
    dialog.reset();
    ASSERT_TRUE(StartScripted());
    EXPECT_EQ(Entries("deviceList"), QStringList({"Mirval 1", "Mirval 7"}));
    EXPECT_TRUE(Enabled("deviceList"));
}

TEST_F(MainDialogTest, NoKnownDeviceLeavesNothingToRun) {
    board.codes = {0x99, 0x98};
    ASSERT_TRUE(StartScripted());
    EXPECT_TRUE(Entries("deviceList").isEmpty());
    EXPECT_EQ(Probe().SelectedDevice().name, nullptr);
    EXPECT_TRUE(Probe().Image().empty());
    EXPECT_TRUE(AllEnabled(kFlashControls, false));
    EXPECT_TRUE(AllEnabled(kEepromControls, false));
    EXPECT_FALSE(Enabled("advancedButton"));
    EXPECT_TRUE(Enabled("browseButton"));
    EXPECT_TRUE(SelectedCodes().empty());
}

TEST_F(MainDialogTest, RestoreTakesTheLastEntryMatchingTheStoredName) {
    board.codes = {0x43, 0x3A, 0x43};
    WriteSettingsFile("[Device]\n%U540D%U79F0=Mirval 10\n");
    ASSERT_TRUE(StartScripted());
    EXPECT_EQ(Entries("deviceList"), QStringList({"Mirval 1", "Mirval 10", "Mirval 10"}));
    EXPECT_EQ(Find<QComboBox>("deviceList")->currentIndex(), 2);
    EXPECT_STREQ(Probe().SelectedDevice().name, "Mirval 10");
}

TEST_F(MainDialogTest, SerialAndParallelModesSelectParallel) {
    board.modes = "SP";
    ASSERT_TRUE(StartScripted());
    EXPECT_EQ(Entries("programmerTypeList"), QStringList({"Parallel", "SPI serial"}));
    EXPECT_EQ(Find<QComboBox>("programmerTypeList")->currentIndex(), 0);
    EXPECT_EQ(WritesOf('o'), (std::vector<ScriptedPort::Bytes>{{'o', 'P'}}));
    EXPECT_EQ(Probe().ProgrammerTypeMask(), 0x01);
    EXPECT_EQ(Entries("deviceList"), TableDevices(3, 0x01));
}

TEST_F(MainDialogTest, UnknownModesOfferEveryProgrammerType) {
    for (const char* modes : {"?", "Z"}) {
        board.modes = modes;
        dialog.reset();
        ASSERT_TRUE(StartScripted());
        EXPECT_TRUE(Entries("programmerTypeList").isEmpty()) << modes;
        EXPECT_TRUE(WritesOf('o').empty()) << modes;
        EXPECT_EQ(Probe().ProgrammerTypeMask(), 0x03) << modes;
        EXPECT_EQ(Entries("deviceList"), TableDevices(3, 0x03)) << modes;
    }
}

TEST_F(MainDialogTest, ChangingTheProgrammerTypeRebuildsTheDeviceList) {
    board.modes = "SP";
    ASSERT_TRUE(StartScripted());
    port->ClearWritten();
    Choose("programmerTypeList", 1);
    EXPECT_EQ(WritesOf('o'), (std::vector<ScriptedPort::Bytes>{{'o', 'S'}}));
    EXPECT_EQ(WritesOf('K').size(), 1u);
    EXPECT_EQ(Probe().ProgrammerTypeMask(), 0x02);
    EXPECT_EQ(Entries("deviceList"), TableDevices(3, 0x02));
    EXPECT_EQ(SelectedCodes().size(), 1u);
}

TEST_F(MainDialogTest, SelectingADeviceRenewsImageSettingsAndControls) {
    board.codes = {0x86, 0x80};  // Dunmor 3 with EEPROM, Dunmor 1 without
    ASSERT_TRUE(StartScripted());
    ASSERT_EQ(Entries("deviceList"), QStringList({"Dunmor 1", "Dunmor 3"}));
    EXPECT_TRUE(AllEnabled(kEepromControls, false));
    EXPECT_TRUE(AllEnabled(kFlashControls, true));
    EXPECT_EQ(Probe().Image(), std::vector<uint8_t>(1024, 0xFF));

    port->ClearWritten();
    Choose("deviceList", 1);
    EXPECT_STREQ(Probe().SelectedDevice().name, "Dunmor 3");
    EXPECT_EQ(Probe().Image(), std::vector<uint8_t>(8192, 0xFF));
    EXPECT_TRUE(AllEnabled(kEepromControls, true));
    EXPECT_EQ(RawSettings()->value(QString::fromUtf8("Device/名称")).toString(), "Dunmor 3");
    EXPECT_EQ(SelectedCodes(), std::vector<uint8_t>{0x86});

    Choose("deviceList", 0);
    EXPECT_TRUE(AllEnabled(kEepromControls, false));
    dialog->EnableControls(false);
    dialog->EnableControls(true);
    EXPECT_TRUE(AllEnabled(kEepromControls, false));
    EXPECT_TRUE(AllEnabled(kFlashControls, true));
}

TEST_F(MainDialogTest, BusyStateLeavesListsFileStatusAndProgressAlone) {
    board.modes = "SP";
    ASSERT_TRUE(StartScripted());
    dialog->EnableControls(false);
    EXPECT_TRUE(AllEnabled(kFlashControls, false));
    EXPECT_TRUE(AllEnabled(kEepromControls, false));
    for (const char* name : {"browseButton", "advancedButton", "leaveButton"}) {
        EXPECT_FALSE(Enabled(name)) << name;
    }
    for (const char* name :
         {"deviceList", "programmerTypeList", "fileNameLabel", "statusLabel", "progressBar"}) {
        EXPECT_TRUE(Enabled(name)) << name;
    }
    dialog->EnableControls(true);
    for (const char* name : {"browseButton", "advancedButton", "leaveButton"}) {
        EXPECT_TRUE(Enabled(name)) << name;
    }
}

TEST_F(MainDialogTest, ProgressAndWaitCursorAreDirect) {
    ASSERT_TRUE(StartScripted());
    auto* bar = Find<QProgressBar>("progressBar");
    dialog->SetProgressRange(43690);
    dialog->SetProgressPosition(1200);
    EXPECT_EQ(bar->maximum(), 43690);
    EXPECT_EQ(bar->value(), 1200);
    dialog->SetProgressRange(0);  // never the busy animation of a 0..0 bar
    EXPECT_GT(bar->maximum(), bar->minimum());

    dialog->SetWaitCursor(true);
    dialog->SetWaitCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    dialog->SetWaitCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainDialogTest, LeaveThenRejoinProgramming) {
    ASSERT_TRUE(StartScripted());
    dialog->LeaveOrRejoin();
    WaitIdle();
    EXPECT_EQ(WritesOf('E').size(), 1u);
    EXPECT_FALSE(Probe().ProgrammingFlag());
    EXPECT_TRUE(AllEnabled(kFlashControls, false));
    EXPECT_FALSE(Enabled("browseButton"));
    EXPECT_TRUE(Enabled("deviceList"));

    port->ClearWritten();
    dialog->LeaveOrRejoin();
    WaitIdle();
    EXPECT_EQ(WritesOf('S').size(), 1u);
    EXPECT_TRUE(AllEnabled(kFlashControls, true));
    EXPECT_FALSE(Probe().ProgrammingFlag());
    EXPECT_TRUE(answerer.Boxes().empty());

    board.present = false;
    answerer.Press(QMessageBox::Ok);
    dialog->EnableControls(false);
    dialog->LeaveOrRejoin();
    WaitIdle();
    EXPECT_EQ(answerer.Texts(), QStringList({kNoProgrammer}));
    EXPECT_TRUE(AllEnabled(kFlashControls, true));
}

TEST_F(MainDialogTest, RefusedLeaveChangesNothing) {
    board.exitSupported = false;
    ASSERT_TRUE(StartScripted());
    answerer.Press(QMessageBox::Ok);
    dialog->LeaveOrRejoin();
    WaitIdle();
    EXPECT_EQ(answerer.Texts(), QStringList({"Exit programming not supported on this programmer"}));
    EXPECT_TRUE(Probe().ProgrammingFlag());
    EXPECT_TRUE(AllEnabled(kFlashControls, true));
}

TEST_F(MainDialogTest, AboutBoxFromTheContextMenuAndF1) {
    ASSERT_TRUE(StartScripted());
    QAction& about = Probe().AboutAction();
    EXPECT_EQ(about.text(), QString::fromUtf8("关于 Zentaro(&A)..."));
    EXPECT_EQ(dialog->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(dialog->actions().contains(&about));

    QStringList seen;
    answerer.Then([&](QWidget* window) {
        seen.append(window->windowTitle());
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                seen.append(label->text());
            } else if (!label->pixmap().isNull()) {
                seen.append("[icon]");
            }
        }
        auto* ok = window->findChild<QPushButton*>();
        seen.append(ok->text());
        ok->click();
    });
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    ASSERT_TRUE(WaitFor([&] { return answerer.Done(); }));
    ASSERT_GE(seen.size(), 4);
    EXPECT_EQ(seen.front(), QString::fromUtf8("关于 Zentaro Orvanta汉化版"));
    EXPECT_TRUE(seen.contains("[icon]"));
    EXPECT_TRUE(seen.contains(QString::fromUtf8("Zentaro 1.35C Orvanta汉化版")));
    EXPECT_TRUE(seen.contains(QString::fromUtf8("版本 ") + QString::fromLatin1(kVersion)));
    EXPECT_EQ(seen.back(), QString::fromUtf8("确定"));
    EXPECT_EQ(answerer.Unexpected(), 0);
}

TEST_F(MainDialogTest, ContextMenuOverAnyControlOffersTheAboutEntry) {
    ASSERT_TRUE(StartScripted());
    dialog->show();
    // What the menu key or a right click over a button delivers; the button passes it on.
    bool offered = false;
    QTimer::singleShot(20, [&] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        offered = menu->actions().contains(&Probe().AboutAction());
        menu->close();
    });
    QPushButton* button = Find<QPushButton>("verifyFlashButton");
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &event);
    EXPECT_TRUE(offered);
}

TEST_F(MainDialogTest, QuestionsAndNoticesAreCaptionedBoxes) {
    ASSERT_TRUE(StartScripted());
    answerer.Press(QMessageBox::Yes);
    answerer.Press(QMessageBox::No);
    answerer.Press(QMessageBox::Ok);
    EXPECT_TRUE(dialog->AskYesNo("Truncate at BOOT limit ??", false));
    EXPECT_FALSE(dialog->AskYesNo("覆盖?", true));
    dialog->Notice("Flushing");
    ASSERT_EQ(answerer.Boxes().size(), 3u);
    EXPECT_EQ(answerer.Boxes()[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(answerer.Boxes()[1].icon, QMessageBox::Question);
    EXPECT_EQ(answerer.Boxes()[1].text, QString::fromUtf8("覆盖?"));
    EXPECT_EQ(answerer.Boxes()[2].buttons.size(), 1);
    for (const ModalAnswerer::Box& box : answerer.Boxes()) {
        EXPECT_EQ(box.title, "Zentaro");
    }
}

TEST_F(MainDialogTest, BrowseStoresAndShowsTheChosenFile) {
    ASSERT_TRUE(StartScripted());
    const QString chosen = TempPath("new.hex");  // need not exist
    answerer.Then([&](QWidget* window) {
        auto* chooser = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), QString::fromUtf8("浏览  "));
        // Qt keeps one blank before the pattern list of a filter.
        EXPECT_EQ(
            chooser->nameFilters(),
            QStringList({"Hex files (*.hex *.eep *.qmb)",
                         "S-record files (*.srec *.s19 *.s28 *.s37 *.mot)", "ELF files (*.elf)",
                         "Binary files (*.bin)", QString::fromUtf8("所有文件 (*)")}));
    });
    answerer.ChooseFile(chosen);
    Find<QPushButton>("browseButton")->click();
    // The first action only looked; the chooser is answered by the second.
    EXPECT_EQ(Probe().FileName(), chosen);
    EXPECT_EQ(store.ReadText(kFileNameKey, QString()), chosen);
    EXPECT_EQ(Find<QLabel>("fileNameLabel")->text(), chosen);
}

TEST_F(MainDialogTest, BrowseCancelledChangesNothing) {
    WriteSettingsFile("[%U6587%U4EF6]\n%U540D%U79F0=/tmp/old.hex\n");
    ASSERT_TRUE(StartScripted());
    answerer.Cancel();
    Find<QPushButton>("browseButton")->click();
    EXPECT_EQ(Probe().FileName(), "/tmp/old.hex");
    EXPECT_EQ(store.ReadText(kFileNameKey, QString()), "/tmp/old.hex");
    EXPECT_EQ(Find<QLabel>("fileNameLabel")->text(), "/tmp/old.hex");
}

TEST_F(MainDialogTest, BrowseInsistsOnAnExistingFolder) {
    ASSERT_TRUE(StartScripted());
    answerer.ChooseFile(TempPath("missing/out.hex"));
    answerer.Press(QMessageBox::Ok);
    answerer.ChooseFile(TempPath("out.hex"));
    Find<QPushButton>("browseButton")->click();
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_TRUE(answerer.Boxes()[0].text.startsWith(QString::fromUtf8("文件夹不存在")));
    EXPECT_EQ(Probe().FileName(), TempPath("out.hex"));
}

TEST_F(MainDialogTest, LongFileNameIsShownAbbreviatedToTheLabel) {
    const QString path = QString::fromUtf8(
        "/home/user/projects/embedded/firmware/releases/2024/固件/nightly/build/main.hex");
    auto* settings = RawSettings().release();
    settings->setValue(QString::fromUtf8("文件/名称"), path);
    delete settings;
    ASSERT_TRUE(StartScripted());
    auto* label = Find<QLabel>("fileNameLabel");
    EXPECT_EQ(Probe().FileName(), path);
    EXPECT_TRUE(label->text().startsWith("/home/.../")) << label->text().toStdString();
    EXPECT_TRUE(label->text().endsWith("/main.hex"));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
}

TEST_F(MainDialogTest, WidePathIsShortenedEvenWhenItsCharacterCountFits) {
    ASSERT_TRUE(StartScripted());
    auto* label = Find<QLabel>("fileNameLabel");
    const int width = label->contentsRect().width();
    const int max = width / label->fontMetrics().averageCharWidth();
    // A folder of wide characters: the whole path has fewer characters than fit.
    const QString folder =
        TempPath(QString(max - static_cast<int>(TempPath("").size()) - 10, QChar(0x56FA)));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/a.hex";
    ASSERT_LT(path.size(), max);
    ASSERT_GT(label->fontMetrics().horizontalAdvance(path), width);

    answerer.ChooseFile(path);
    Find<QPushButton>("browseButton")->click();
    EXPECT_EQ(Probe().FileName(), path);
    EXPECT_TRUE(label->text().contains("/.../")) << label->text().toStdString();
    EXPECT_TRUE(label->text().endsWith("/a.hex"));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), width);
}

TEST_F(MainDialogTest, ADeviceChoiceDuringACommandIsRefused) {
    board.codes = {0x86, 0x80};
    WriteSettingsFile("[%U6587%U4EF6]\n%U540D%U79F0=" + TempPath("eeprom.hex").toUtf8() + "\n");
    ASSERT_TRUE(StartScripted());
    ASSERT_STREQ(Probe().SelectedDevice().name, "Dunmor 1");
    Choose("deviceList", 1);
    // Queued now, delivered while the command runs beside the window.
    auto* list = Find<QComboBox>("deviceList");
    QMetaObject::invokeMethod(
        list,
        [list] {
            list->setCurrentIndex(0);
            emit list->activated(0);
        },
        Qt::QueuedConnection);
    answerer.Press(QMessageBox::Ok);  // the scripted board cannot read: the command fails
    Click("readEepromButton");
    EXPECT_STREQ(Probe().SelectedDevice().name, "Dunmor 3");
    EXPECT_EQ(list->currentText(), "Dunmor 3");
    EXPECT_EQ(Probe().Image().size(), 8192u);
}

}  // namespace
}  // namespace zentaro::test
