// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QSignalBlocker>
#include <limits>

#include "ui/abbreviate_path.h"
#include "ui/about_dialog.h"
#include "ui/advanced_dialog.h"
#include "ui/browse_dialog.h"
#include "ui/control_groups.h"
#include "ui/message_boxes.h"
#include "ui/resources.h"
#include "ui/settings_store.h"
#include "ui/status_line.h"
#include "ui_main_dialog.h"

namespace zentaro {

namespace {

constexpr int kDefaultHelpTimeOut = 3000;

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList ToStringList(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts) {
        list.append(FromUtf8(text));
    }
    return list;
}

}  // namespace

MainDialog::MainDialog(SettingsStore& settings, std::unique_ptr<SerialPort> port, Clock& clock,
                       QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::MainDialog>()),
      settings_(settings),
      threadPanel_(*this, *this),
      session_(std::make_unique<Session>(std::move(port), threadPanel_, clock)),
      worker_(std::make_unique<SessionWorker>()),
      runner_(std::make_unique<BoardRunner>(*this, Board())) {
    LoadResources();
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowIcon(QIcon(QStringLiteral(":/zentaro/zentaro.png")));
    status_ = std::make_unique<StatusLine>(*ui_->statusLabel);

    // Window managers here give an application no system menu: the about entry lives in
    // the window's context menu (right click or the menu key) and on F1.
    aboutAction_ = new QAction(QStringLiteral("关于 Zentaro(&A)..."), this);
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(aboutAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(aboutAction_, &QAction::triggered, this, &MainDialog::ShowAbout);

    connect(ui_->browseButton, &QPushButton::clicked, this, [this] { ChooseFile(); });
    connect(ui_->leaveButton, &QPushButton::clicked, this, &MainDialog::LeaveOrRejoin);
    connect(ui_->advancedButton, &QPushButton::clicked, this, [this] { OpenAdvancedOptions(); });
    const std::pair<QPushButton*, MemoryCommand> commands[] = {
        {ui_->programFlashButton, MemoryCommand::ProgramFlash},
        {ui_->verifyFlashButton, MemoryCommand::VerifyFlash},
        {ui_->readFlashButton, MemoryCommand::ReadFlash},
        {ui_->programEepromButton, MemoryCommand::ProgramEeprom},
        {ui_->verifyEepromButton, MemoryCommand::VerifyEeprom},
        {ui_->readEepromButton, MemoryCommand::ReadEeprom}};
    for (const auto& [button, command] : commands) {
        connect(button, &QPushButton::clicked, this,
                [this, command = command] { RunCommand(command); });
    }
    // activated, not currentIndexChanged: only the user's choices count, not the program's.
    connect(ui_->deviceList, &QComboBox::activated, this,
            [this](int index) { DeviceActivated(index); });
    connect(ui_->programmerTypeList, &QComboBox::activated, this,
            [this](int index) { ProgrammerTypeChanged(index); });
}

MainDialog::~MainDialog() {
    SetWaitCursor(false);
    // The command ends first, then the worker; the link closes the port, and goes before the
    // rest of the window it reports to.
    runner_.reset();
    worker_.reset();
    session_.reset();
}

bool MainDialog::Initialise() {
    programming_ = true;
    if (!session_->Scan().Ok()) {
        return false;
    }

    fileName_ = settings_.ReadText(kFileNameKey, QString());
    ShowFileName();

    session_->LearnBoard();
    const BoardListing& listing = session_->Listing();
    ui_->programmerTypeList->addItems(ToStringList(listing.programmerTypes));
    ui_->programmerTypeList->setCurrentIndex(listing.programmerType);
    ShowDeviceList();
    ui_->deviceList->setEnabled(listing.DeviceListEnabled());
    RestoreDeviceSelection();

    switches_.verifyFlash = settings_.ReadInteger(kVerifyFlashKey, 1) > 0;
    switches_.verifyEeprom = settings_.ReadInteger(kVerifyEepromKey, 1) > 0;
    switches_.ignoreChecksum = settings_.ReadInteger(kIgnoreChecksumKey, 0) > 0;
    return true;
}

void MainDialog::ShowDeviceList() {
    ui_->deviceList->clear();
    ui_->deviceList->addItems(ToStringList(session_->Listing().devices));
}

void MainDialog::RestoreDeviceSelection() {
    const std::vector<std::string>& entries = session_->Listing().devices;
    if (entries.empty()) {
        session_->ClearDevice();
        EnableControls(true);
        return;
    }
    const QString stored =
        settings_.ReadText(kDeviceNameKey, QString::fromUtf8(kDefaultDeviceName));
    const int index = session_->RestoreIndexFor(stored.toStdString());
    ui_->deviceList->setCurrentIndex(index);
    ApplyDevice(entries[static_cast<size_t>(index)]);
}

void MainDialog::ApplyDevice(const std::string& name) {
    // Deliberately unchecked: a store that cannot be written leaves the choice to this run,
    // and the name comes from the board's own list while no command runs.
    static_cast<void>(settings_.WriteText(kDeviceNameKey, FromUtf8(name)));
    static_cast<void>(session_->SelectDevice(name));
    EnableControls(true);
}

void MainDialog::DeviceActivated(int index) {
    if (runner_->Busy()) {
        // A choice that slipped in while a command runs must not pull the image and the
        // device from under it: the list goes back to the device in use.
        const QSignalBlocker blocker(ui_->deviceList);
        ui_->deviceList->setCurrentIndex(
            ui_->deviceList->findText(QString::fromUtf8(session_->Device().name)));
        return;
    }
    ApplyDevice(ui_->deviceList->itemText(index).toStdString());
}

void MainDialog::ProgrammerTypeChanged(int index) {
    if (runner_->Busy()) {
        return;
    }
    session_->ChangeProgrammerType(index);
    ShowDeviceList();
    RestoreDeviceSelection();
}

void MainDialog::ChooseFile() {
    const std::optional<QString> chosen = ChooseImageFile(this, fileName_);
    if (!chosen) {
        return;
    }
    fileName_ = *chosen;
    // Deliberately unchecked: a store that cannot be written leaves the file to this run.
    static_cast<void>(settings_.WriteText(kFileNameKey, fileName_));
    ShowFileName();
}

void MainDialog::ShowFileName() {
    QLabel& label = *ui_->fileNameLabel;
    const int width = label.contentsRect().width();
    const QFontMetrics metrics = label.fontMetrics();
    const int averageWidth = metrics.averageCharWidth();
    int max = averageWidth > 0 ? width / averageWidth : 0;
    QString shown = AbbreviatePath(fileName_, max);
    // Wide (CJK) characters take about two average widths, so a path can be too wide even
    // when its character count fits: shorten further until the text really fits, rather
    // than let the label cut off the file name.
    while (max > 0 && metrics.horizontalAdvance(shown) > width) {
        shown = AbbreviatePath(fileName_, --max);
    }
    label.setText(shown);
}

void MainDialog::OpenAdvancedOptions() {
    if (!runner_->Busy() && HasDevice()) {
        AdvancedDialog::Run(this, Board());
    }
}

void MainDialog::LeaveOrRejoin() {
    if (programming_) {
        auto left = std::make_shared<bool>(false);
        runner_->Start([this, left] { *left = session_->ExitProgramming().Ok(); },
                       [this, left] {
                           if (*left) {
                               EnableControls(false);
                               programming_ = false;
                           }
                       });
        return;
    }
    // A board that did not come back has been reported; the commands stay to try again.
    runner_->Start([this] { session_->Rejoin(); }, [this] { EnableControls(true); });
}

void MainDialog::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainDialog::RunCommand(MemoryCommand command) {
    runner_->Start([this, command, fileName = fileName_.toStdString(),
                    switches = switches_] { session_->Run(command, fileName, switches); },
                   [] {});
}

void MainDialog::Notice(const std::string& text) {
    ShowNotice(this, FromUtf8(text));
}

bool MainDialog::AskYesNo(const std::string& text, bool questionIcon) {
    return AskYesNoBox(this, FromUtf8(text), questionIcon);
}

bool MainDialog::AskBeforeHarm(const std::string& text) {
    return AskWarningBox(this, FromUtf8(text));
}

void MainDialog::SetStatus(const std::string& text) {
    status_->Set(FromUtf8(text));
}

void MainDialog::AppendStatus(const std::string& text) {
    status_->Append(FromUtf8(text));
}

void MainDialog::StartStatusTimeout() {
    const int milliseconds = settings_.ReadInteger(kHelpTimeOutKey, kDefaultHelpTimeOut);
    // A negative period, taken as unsigned, lies beyond the longest the timer allows: the
    // text then stays for the longest period rather than being cleared at once.
    status_->StartTimeout(milliseconds < 0 ? std::numeric_limits<int>::max() : milliseconds);
}

void MainDialog::EnableControls(bool on) {
    EnableFlashControls(on);
    EnableEepromControls(on);
    EnableCommonControls(on);
}

void MainDialog::EnableFlashControls(bool on) {
    const bool enabled = ControlStatesFor(on, HasDevice(), session_->Device().eepromSize).flash;
    for (QWidget* control :
         {static_cast<QWidget*>(ui_->programFlashButton),
          static_cast<QWidget*>(ui_->readFlashButton),
          static_cast<QWidget*>(ui_->verifyFlashButton), static_cast<QWidget*>(ui_->flashGroup)}) {
        control->setEnabled(enabled);
    }
}

void MainDialog::EnableEepromControls(bool on) {
    const bool enabled = ControlStatesFor(on, HasDevice(), session_->Device().eepromSize).eeprom;
    for (QWidget* control : {static_cast<QWidget*>(ui_->programEepromButton),
                             static_cast<QWidget*>(ui_->readEepromButton),
                             static_cast<QWidget*>(ui_->verifyEepromButton),
                             static_cast<QWidget*>(ui_->eepromGroup)}) {
        control->setEnabled(enabled);
    }
}

void MainDialog::EnableCommonControls(bool on) {
    const ControlStates states = ControlStatesFor(on, HasDevice(), session_->Device().eepromSize);
    ui_->advancedButton->setEnabled(states.advanced);
    ui_->browseButton->setEnabled(states.browse);
    ui_->leaveButton->setEnabled(states.leave);
}

std::string MainDialog::Browse() {
    ChooseFile();
    return fileName_.toStdString();
}

void MainDialog::StartProgress(int max) {
    SetWaitCursor(true);
    SetProgressRange(max);
}

void MainDialog::EndProgress() {
    SetProgressPosition(0);
    SetWaitCursor(false);
}

void MainDialog::SetProgressRange(int max) {
    // A 0..0 range would turn the bar into a busy animation.
    ui_->progressBar->setRange(0, std::max(max, 1));
}

void MainDialog::SetProgressPosition(int position) {
    ui_->progressBar->setValue(position);
}

void MainDialog::SetWaitCursor(bool on) {
    if (on == waitCursor_) {
        return;
    }
    waitCursor_ = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace zentaro
