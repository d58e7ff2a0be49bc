// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/advanced_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "ui/wait_for.h"
#include "ui_advanced/board_session.h"

namespace zentaro {
namespace {

using test::Commands;

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

class AdvancedDialogTest : public ::testing::Test {
protected:
    // Opens the window, shown offscreen, for the device fitted on a board of this type and
    // level whose configuration bytes are all FF unless more zentaro-sim options say otherwise;
    // returns once the window has asked the board.
    void Open(const char* name, char type, uint8_t level = 1,
              const std::vector<std::string>& more = {}) {
        std::vector<std::string> options = {"--chip",      name,
                                            "--type",      std::string(1, type),
                                            "--level",     std::to_string(level),
                                            "--lock",      "0xFF",
                                            "--low-fuse",  "0xFF",
                                            "--high-fuse", "0xFF",
                                            "--ext-fuse",  "0xFF"};
        options.insert(options.end(), more.begin(), more.end());
        dialog.reset();
        scripted = std::make_unique<test::BoardSession>(name, options);
        dialog = std::make_unique<AdvancedDialog>(nullptr, scripted->Board());
        dialog->show();
        QApplication::processEvents();
        WaitIdle();
        scripted->port->ClearWritten();
    }

    // The window's command has ended and the window has taken its result in.
    void WaitIdle() const {
        EXPECT_TRUE(test::WaitFor([this] { return !scripted->worker.Busy(); }));
    }
    void Click(const char* button) const {
        Find<QPushButton>(button)->click();
        WaitIdle();
    }

    template <class Widget>
    Widget* Find(const char* name) const {
        Widget* widget = dialog->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QComboBox* Combo(const char* name) const { return Find<QComboBox>(name); }
    QString Text(const char* label) const { return Find<QLabel>(label)->text(); }

    std::vector<QCheckBox*> ShownBoxes() const {
        std::vector<QCheckBox*> shown;
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            if (box->isVisible()) {
                shown.push_back(box);
            }
        }
        return shown;
    }

    void Focus(QWidget* widget) {
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &focus);
    }

    std::unique_ptr<test::BoardSession> scripted;
    std::unique_ptr<AdvancedDialog> dialog;
};

TEST_F(AdvancedDialogTest, OpensWithTheTemplateTitleAndCloseAsDefault) {
    Open("Orlan 9", 'S');
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("高级选项"));
    QPushButton* close = Find<QPushButton>("closeButton");
    EXPECT_EQ(close->text(), QString::fromUtf8("关闭(&C)"));
    EXPECT_TRUE(close->isDefault());
    close->click();
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(AdvancedDialogTest, ClassWithoutFusesShowsLockModesOnly) {
    for (const char* name : {"Dunmor 1", "Dunmor 3"}) {
        SCOPED_TRACE(name);
        Open(name, 'P', 0xFE);
        const QStringList modes = Items(Combo("lockCombo"));
        EXPECT_EQ(modes.size(), std::string(name) == "Dunmor 3" ? 4 : 3);
        EXPECT_EQ(modes.first(), QString::fromUtf8("方式 1"));
        EXPECT_TRUE(ShownBoxes().empty());
        EXPECT_EQ(Items(Combo("clockCombo")), QStringList{"Not selectable/Supported"});
        EXPECT_EQ(Items(Combo("bodCombo")), QStringList{" Not selectable/Supported"});
        EXPECT_EQ(Items(Combo("bootBlockCombo")), QStringList{" Not selectable/Supported"});
        for (const char* combo : {"clockCombo", "bodCombo", "bootBlockCombo"}) {
            EXPECT_FALSE(Combo(combo)->isVisible() || Combo(combo)->isEnabled()) << combo;
        }
        EXPECT_FALSE(Combo("blb0Combo")->isVisible());
    }
    EXPECT_EQ(Text("lockDescription"), "No internal memory lock features");
}

TEST_F(AdvancedDialogTest, SilentBoardShowsQuestionMarksForIdentifierAndVersion) {
    // The second S: the first one found the board.
    Open("Mirval 4", 'S', 1, {"--fault", "drop:S@2", "--fault", "drop:V"});
    EXPECT_EQ(Text("identifierText"), "?");
    EXPECT_EQ(Text("versionText"), "?.?");
    EXPECT_EQ(Text("signatureText"), "5A 0E 64");
    EXPECT_EQ(Text("calibrationText"), "0xA7");
}

TEST_F(AdvancedDialogTest, FocusingALockComboShowsItsDescriptionAgain) {
    Open("Mirval 2", 'S', 1, {"--lock", "0xFE"});  // mode 2
    const QString modeTwo = QString::fromUtf8("加密效果:禁止 Flash 编程  ");
    ASSERT_EQ(Text("lockDescription"), modeTwo);

    Combo("blb1Combo")->setCurrentIndex(3);
    EXPECT_EQ(Text("lockDescription"), "No LPM Boot Loader section");
    Focus(Combo("lockCombo"));
    EXPECT_EQ(Text("lockDescription"), modeTwo);
    EXPECT_EQ(Combo("lockCombo")->currentIndex(), 1);
    Focus(Combo("blb0Combo"));
    EXPECT_EQ(Text("lockDescription"), "No lock Application section");
    Focus(Combo("lockCombo"));
    EXPECT_EQ(Text("lockDescription"), modeTwo);
}

TEST_F(AdvancedDialogTest, ClockChangeRebuildsStartupListAndClockOptionBox) {
    for (const char* name : {"Sarko 7", "Mirval 1", "Mirval 9", "Mirval 8", "Mirval 10"}) {
        SCOPED_TRACE(name);
        Open(name, 'S');
        QComboBox* clock = Combo("clockCombo");
        QComboBox* startup = Combo("startupCombo");
        QCheckBox* clockOption = Find<QCheckBox>("clockOptionBox");
        ASSERT_TRUE(clock->isEnabled() && startup->isVisible());

        startup->setCurrentIndex(2);
        clock->setCurrentIndex(11);
        EXPECT_EQ(startup->count(), 8);
        EXPECT_EQ(startup->itemText(0), "Startup: 4ms + 258 CK");
        EXPECT_EQ(startup->currentIndex(), 2);
        EXPECT_TRUE(clockOption->isVisible());
        EXPECT_EQ(clockOption->text(), "&Full amplitude");

        startup->setCurrentIndex(6);
        clock->setCurrentIndex(9);  // a four-entry list: the start-up index is limited to 3
        EXPECT_EQ(startup->currentText(), "Startup: 64ms + 32K CK");

        clock->setCurrentIndex(3);
        EXPECT_EQ(startup->count(), 4);
        EXPECT_EQ(startup->itemText(0), "Startup: 6 CK");
        EXPECT_FALSE(clockOption->isVisible());

        clock->setCurrentIndex(6);
        EXPECT_EQ(startup->itemText(0), "Startup: 18 CK");
        EXPECT_EQ(clockOption->text(), "&INTCAP");
        EXPECT_TRUE(clockOption->isVisible());
    }
}

TEST_F(AdvancedDialogTest, WriteSendsWhatTheUserChoseAndLocksTheFuseControls) {
    Open("Mirval 10", 'P', 3, {"--low-fuse", "0xE1", "--high-fuse", "0x99"});
    Find<QCheckBox>("watchdogAlwaysOnBox")->setChecked(true);  // &WDTON: extended bit 0
    Combo("lockCombo")->setCurrentIndex(1);
    Click("writeButton");
    EXPECT_EQ(Commands(*scripted->port),
              (std::vector<std::string>{"P", "f E1", "n 99", "q FE", "l FE", "L"}));
    EXPECT_FALSE(Find<QGroupBox>("fuseGroup")->isEnabled());
    EXPECT_FALSE(Combo("clockCombo")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("writeButton")->isEnabled());
}

TEST_F(AdvancedDialogTest, ReadButtonShowsTheChipAgain) {
    Open("Mirval 5", 'P');
    ASSERT_TRUE(Find<QCheckBox>("spiEnableBox")->isEnabled());
    sim::ConfigBytes config = scripted->board.Config();
    config.lock = 0xFC;
    scripted->board.SetConfig(config);
    Click("readButton");
    EXPECT_EQ(Combo("lockCombo")->currentIndex(), 2);
    EXPECT_FALSE(Find<QCheckBox>("spiEnableBox")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("readButton")->isEnabled());
}

TEST_F(AdvancedDialogTest, AWriteThatLocksTheChipOutIsAskedFirstAndNoSendsNothing) {
    Open("Mirval 10", 'S', 3, {"--high-fuse", "0xD9"});  // serial programming on
    Find<QCheckBox>("spiEnableBox")->setChecked(false);  // SPI 启用
    Click("writeButton");
    EXPECT_EQ(scripted->panel.Questions(),
              std::vector<std::string>{"写入后，芯片将不再响应本编程器，也无法再用它恢复：\n\n"
                                       "“SPI 启用”未勾选：串行编程将被关闭。\n\n确实要写入吗？"});
    EXPECT_TRUE(scripted->port->Writes().empty());
    EXPECT_TRUE(Find<QPushButton>("writeButton")->isEnabled());

    scripted->panel.Answer(true);
    Click("writeButton");
    const std::vector<std::string> sent = Commands(*scripted->port);
    EXPECT_NE(std::find(sent.begin(), sent.end(), ".AC A8 00 F9"), sent.end());
    EXPECT_EQ(scripted->board.Config().highFuse, 0xF9);
}

}  // namespace
}  // namespace zentaro
