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
#include "ui/device_lists.h"
#include "ui/message_boxes.h"
#include "ui/resources.h"
#include "ui/settings_store.h"
#include "ui/status_line.h"
#include "ui_main_dialog.h"

namespace zentaro {

namespace {

constexpr char kNoProgrammerMessage[] = "没有发现编程器目标板！   \nZentaro 1.37 汉化版 ";
constexpr int kDefaultHelpTimeOut = 3000;

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

MainDialog::MainDialog(SettingsStore& settings, std::unique_ptr<SerialPort> port, Clock& clock,
                       QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::MainDialog>()),
      settings_(settings),
      clock_(clock),
      port_(std::move(port)) {
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
    connect(ui_->programFlashButton, &QPushButton::clicked, this,
            [this] { RunCommand(&ProgramFlash); });
    connect(ui_->verifyFlashButton, &QPushButton::clicked, this,
            [this] { RunCommand(&VerifyFlash); });
    connect(ui_->readFlashButton, &QPushButton::clicked, this, [this] { RunCommand(&ReadFlash); });
    connect(ui_->programEepromButton, &QPushButton::clicked, this,
            [this] { RunCommand(&ProgramEeprom); });
    connect(ui_->verifyEepromButton, &QPushButton::clicked, this,
            [this] { RunCommand(&VerifyEeprom); });
    connect(ui_->readEepromButton, &QPushButton::clicked, this,
            [this] { RunCommand(&ReadEeprom); });
    // activated, not currentIndexChanged: only the user's choices count, not the program's.
    connect(ui_->deviceList, &QComboBox::activated, this,
            [this](int index) { DeviceActivated(index); });
    connect(ui_->programmerTypeList, &QComboBox::activated, this,
            [this] { ProgrammerTypeChanged(); });
}

MainDialog::~MainDialog() {
    SetWaitCursor(false);
    // The link closes the port; it goes before the rest of the window it reports to.
    link_.reset();
}

bool MainDialog::Initialise() {
    programming_ = true;
    link_ = std::make_unique<CLowIO>(std::move(port_), *this, clock_);
    if (!link_->OpenAndScan()) {
        Notice(kNoProgrammerMessage);
        return false;
    }

    fileName_ = settings_.ReadText(kFileNameKey, QString());
    ShowFileName();

    CLowIO::ListBuffer codes{};
    const bool listed = link_->ReadSupportedDevices(codes);
    if (listed && codes[0] != 0) {
        programmerLevel_ = 0;
        const ReportedDevices reported = DevicesForCodes(codes);
        ui_->deviceList->addItems(reported.names);
        if (reported.codeCount == 1) {
            ui_->deviceList->setEnabled(false);
        }
    } else {
        FillProgrammerTypes();
        FillDevicesFromTable();
    }
    link_->QueryBlockSize();
    RestoreDeviceSelection();

    switches_.verifyFlash = settings_.ReadInteger(kVerifyFlashKey, 1) > 0;
    switches_.verifyEeprom = settings_.ReadInteger(kVerifyEepromKey, 1) > 0;
    switches_.ignoreChecksum = settings_.ReadInteger(kIgnoreChecksumKey, 0) > 0;
    return true;
}

void MainDialog::FillProgrammerTypes() {
    CLowIO::ListBuffer modes{};
    if (!link_->ReadProgrammerModes(modes)) {
        return;
    }
    ui_->programmerTypeList->addItems(ProgrammerTypeLabels(modes));
    ui_->programmerTypeList->setCurrentIndex(0);
    ApplyProgrammerType();
}

void MainDialog::ApplyProgrammerType() {
    const int row = FindModeByLabel(ui_->programmerTypeList->currentText().toStdString());
    if (row < 0) {
        return;
    }
    const ProgrammerModeRecord& mode = ProgrammerModeTable()[static_cast<size_t>(row)];
    link_->SetProgrammerMode(mode.ModeCharacter());
    programmerTypeMask_ = mode.TypeMask();
}

void MainDialog::FillDevicesFromTable() {
    programmerLevel_ = link_->ReadProgrammerLevel();
    ui_->deviceList->addItems(DevicesFromTable(programmerLevel_, programmerTypeMask_));
}

void MainDialog::RestoreDeviceSelection() {
    QStringList entries;
    for (int i = 0; i < ui_->deviceList->count(); ++i) {
        entries.append(ui_->deviceList->itemText(i));
    }
    if (entries.isEmpty()) {
        // No device: nothing may run, and no image is kept for one.
        device_ = DeviceRecord{};
        image_.clear();
        EnableControls(true);
        return;
    }
    const QString stored =
        settings_.ReadText(kDeviceNameKey, QString::fromUtf8(kDefaultDeviceName));
    const int index = RestoreIndex(entries, stored);
    ui_->deviceList->setCurrentIndex(index);
    ApplyDevice(FindDeviceByName(entries[index].toStdString()));
}

void MainDialog::ApplyDevice(const DeviceRecord& record) {
    device_ = record;
    settings_.WriteText(kDeviceNameKey, QString::fromUtf8(record.name));
    image_.assign(record.flashSize, 0xFF);
    EnableControls(true);
    link_->SelectDevice(record, programmerLevel_);
}

void MainDialog::DeviceActivated(int index) {
    if (commandRunning_) {
        // A choice that slipped in while a command runs must not pull the image and the
        // device from under it: the list goes back to the device in use.
        const QSignalBlocker blocker(ui_->deviceList);
        ui_->deviceList->setCurrentIndex(
            ui_->deviceList->findText(QString::fromUtf8(device_.name)));
        return;
    }
    ApplyDevice(FindDeviceByName(ui_->deviceList->itemText(index).toStdString()));
}

void MainDialog::ProgrammerTypeChanged() {
    if (commandRunning_) {
        return;
    }
    ui_->deviceList->clear();
    ApplyProgrammerType();
    FillDevicesFromTable();
    RestoreDeviceSelection();
}

void MainDialog::ChooseFile() {
    const std::optional<QString> chosen = ChooseImageFile(this, fileName_);
    if (!chosen) {
        return;
    }
    fileName_ = *chosen;
    settings_.WriteText(kFileNameKey, fileName_);
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
    if (!HasDevice()) {
        return;
    }
    link_->SelectDevice(device_, programmerLevel_);
    RunAdvancedOptionsDialog(this, *link_, device_, programmerLevel_);
}

void MainDialog::LeaveOrRejoin() {
    if (programming_) {
        if (link_->ExitProgramming()) {
            EnableControls(false);
            programming_ = false;
        }
        return;
    }
    if (!link_->Identify() && !link_->IdentifyUpgradeMode()) {
        Notice(kNoProgrammerMessage);
    }
    EnableControls(true);
}

void MainDialog::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainDialog::RunCommand(bool (*command)(CommandContext&)) {
    if (!HasDevice() || commandRunning_) {
        return;
    }
    CommandContext context{.link = *link_,
                           .panel = *this,
                           .image = image_,
                           .device = device_,
                           .programmerLevel = programmerLevel_,
                           .switches = switches_,
                           .fileName = fileName_.toStdString()};
    commandRunning_ = true;
    command(context);
    commandRunning_ = false;
}

void MainDialog::Notice(const std::string& text) {
    ShowNotice(this, FromUtf8(text));
}

bool MainDialog::AskYesNo(const std::string& text, bool questionIcon) {
    return AskYesNoBox(this, FromUtf8(text), questionIcon);
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
    const bool enabled = ControlStatesFor(on, HasDevice(), device_.eepromSize).flash;
    for (QWidget* control :
         {static_cast<QWidget*>(ui_->programFlashButton),
          static_cast<QWidget*>(ui_->readFlashButton),
          static_cast<QWidget*>(ui_->verifyFlashButton), static_cast<QWidget*>(ui_->flashGroup)}) {
        control->setEnabled(enabled);
    }
}

void MainDialog::EnableEepromControls(bool on) {
    const bool enabled = ControlStatesFor(on, HasDevice(), device_.eepromSize).eeprom;
    for (QWidget* control : {static_cast<QWidget*>(ui_->programEepromButton),
                             static_cast<QWidget*>(ui_->readEepromButton),
                             static_cast<QWidget*>(ui_->verifyEepromButton),
                             static_cast<QWidget*>(ui_->eepromGroup)}) {
        control->setEnabled(enabled);
    }
}

void MainDialog::EnableCommonControls(bool on) {
    const ControlStates states = ControlStatesFor(on, HasDevice(), device_.eepromSize);
    ui_->advancedButton->setEnabled(states.advanced);
    ui_->browseButton->setEnabled(states.browse);
    ui_->leaveButton->setEnabled(states.leave);
}

void MainDialog::DrainMessages() {
    QCoreApplication::processEvents();
}

std::string MainDialog::Browse() {
    ChooseFile();
    return fileName_.toStdString();
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
