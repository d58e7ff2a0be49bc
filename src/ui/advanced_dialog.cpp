// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/advanced_dialog.h"

#include <QEvent>
#include <QSignalBlocker>
#include <QStringList>
#include <QTimer>
#include <iterator>

#include "config_bits/codec.h"
#include "ui_advanced_dialog.h"

namespace zentaro {

namespace {

// Each control beside the widget that shows it.
template <typename Widget>
struct Binding {
    Control id;
    Widget* Ui::AdvancedDialog::*widget;
};

constexpr Binding<QComboBox> kCombos[] = {
    {Control::Lock, &Ui::AdvancedDialog::lockCombo},
    {Control::Blb0, &Ui::AdvancedDialog::blb0Combo},
    {Control::Blb1, &Ui::AdvancedDialog::blb1Combo},
    {Control::Clock, &Ui::AdvancedDialog::clockCombo},
    {Control::Startup, &Ui::AdvancedDialog::startupCombo},
    {Control::Bod, &Ui::AdvancedDialog::bodCombo},
    {Control::BootBlock, &Ui::AdvancedDialog::bootBlockCombo},
};

constexpr Binding<QCheckBox> kCheckBoxes[] = {
    {Control::SpiEnableBox, &Ui::AdvancedDialog::spiEnableBox},
    {Control::BootResetBox, &Ui::AdvancedDialog::bootResetBox},
    {Control::EepromSaveBox, &Ui::AdvancedDialog::eepromSaveBox},
    {Control::QcompBox, &Ui::AdvancedDialog::qcompBox},
    {Control::OnChipDebugBox, &Ui::AdvancedDialog::onChipDebugBox},
    {Control::JtagEnableBox, &Ui::AdvancedDialog::jtagEnableBox},
    {Control::ClockOptionBox, &Ui::AdvancedDialog::clockOptionBox},
    {Control::WatchdogAlwaysOnBox, &Ui::AdvancedDialog::watchdogAlwaysOnBox},
};
static_assert(std::size(kCheckBoxes) == kBoxes.size());

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void RenderCombo(QComboBox& combo, const ComboState& state) {
    QStringList entries;
    for (const std::string& entry : state.entries) {
        entries << Text(entry);
    }
    QStringList shown;
    for (int i = 0; i < combo.count(); ++i) {
        shown << combo.itemText(i);
    }
    if (shown != entries) {
        combo.clear();
        combo.addItems(entries);
    }
    combo.setCurrentIndex(state.selected);
    combo.setVisible(state.visible);
    combo.setEnabled(state.enabled);
}

void RenderBox(QCheckBox& box, const BoxState& state) {
    box.setText(Text(state.label));
    box.setChecked(state.ticked);
    box.setVisible(state.visible);
    box.setEnabled(state.enabled);
}

}  // namespace

AdvancedDialog::AdvancedDialog(QWidget* parent, const WindowBoard& board)
    : QDialog(parent),
      ui_(std::make_unique<Ui::AdvancedDialog>()),
      session_(board.session),
      layout_(LayoutForDevice(ProfileFor(session_.Device()))),
      runner_(*this, board) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    // The device's lists and boxes are known without the board: they show while it is asked,
    // whatever the board then answers. Nothing can be acted on until it has been asked.
    state_.controls = InitialControls(layout_);
    state_.readEnabled = state_.writeEnabled = state_.eraseEnabled = false;
    Render();

    connect(ui_->lockCombo, &QComboBox::currentIndexChanged, this,
            [this] { Change([this](ControlState& c) { ShowLockDescription(c, layout_); }); });
    connect(ui_->blb0Combo, &QComboBox::currentIndexChanged, this,
            [this] { Change([](ControlState& c) { ShowBlb0Description(c); }); });
    connect(ui_->blb1Combo, &QComboBox::currentIndexChanged, this,
            [this] { Change([](ControlState& c) { ShowBlb1Description(c); }); });
    connect(ui_->clockCombo, &QComboBox::currentIndexChanged, this,
            [this] { Change([this](ControlState& c) { ClockChanged(c, layout_); }); });
    connect(ui_->bodCombo, &QComboBox::currentIndexChanged, this,
            [this] { Change([this](ControlState& c) { BodChanged(c, layout_); }); });
    for (QComboBox* combo : {ui_->lockCombo, ui_->blb0Combo, ui_->blb1Combo}) {
        combo->installEventFilter(this);
    }

    connect(ui_->readButton, &QPushButton::clicked, this, [this] {
        RunOperation(ui_->readButton,
                     [this](const ControlState& shown) { return session_.ReadConfig(shown); });
    });
    connect(ui_->writeButton, &QPushButton::clicked, this, [this] {
        RunOperation(ui_->writeButton,
                     [this](const ControlState& shown) { return session_.WriteConfig(shown); });
    });
    connect(ui_->eraseButton, &QPushButton::clicked, this, [this] {
        RunOperation(ui_->eraseButton,
                     [this](const ControlState& shown) { return session_.EraseChip(shown); });
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, [this] { done(1); });
}

AdvancedDialog::~AdvancedDialog() = default;

void AdvancedDialog::Run(QWidget* parent, const WindowBoard& board) {
    AdvancedDialog dialog(parent, board);
    dialog.exec();
    board.session.CloseConfig();
}

void AdvancedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) {
        // Once the window is on the screen: the opening talks to the board for a while.
        opened_ = true;
        QTimer::singleShot(0, this, [this] { Exchange([this] { return session_.OpenConfig(); }); });
    }
}

void AdvancedDialog::Exchange(std::function<SessionResult()> command) {
    auto result = std::make_shared<SessionResult>();
    runner_.Start([command = std::move(command), result] { *result = command(); },
                  [this, result] {
                      if (result->configState) {
                          state_ = *result->configState;
                      }
                      Render();
                  });
}

// Focus on a lock combo shows its description again, as a selection does.
bool AdvancedDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == ui_->lockCombo) {
            Change([this](ControlState& c) { ShowLockDescription(c, layout_); });
        } else if (watched == ui_->blb0Combo) {
            Change([](ControlState& c) { ShowBlb0Description(c); });
        } else if (watched == ui_->blb1Combo) {
            Change([](ControlState& c) { ShowBlb1Description(c); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AdvancedDialog::Render() {
    const ControlState& controls = state_.controls;
    for (const auto& [id, widget] : kCombos) {
        QComboBox* combo = ui_.get()->*widget;
        const QSignalBlocker blocker(combo);
        RenderCombo(*combo, *controls.FindCombo(id));
    }
    for (const auto& [id, widget] : kCheckBoxes) {
        QCheckBox* box = ui_.get()->*widget;
        const QSignalBlocker blocker(box);
        RenderBox(*box, *controls.FindBox(id));
    }
    ui_->lockGroup->setEnabled(controls.lockGroupEnabled);
    ui_->lockDescription->setText(Text(controls.lockDescription));
    ui_->lockDescription->setEnabled(controls.lockDescriptionEnabled);
    ui_->fuseGroup->setEnabled(controls.fuseGroupEnabled);

    ui_->signatureText->setText(Text(state_.signature));
    ui_->identifierText->setText(Text(state_.identifier));
    ui_->versionText->setText(Text(state_.version));
    ui_->calibrationText->setText(Text(state_.calibration));
    ui_->readButton->setEnabled(state_.readEnabled);
    ui_->writeButton->setEnabled(state_.writeEnabled);
    ui_->eraseButton->setEnabled(state_.eraseEnabled);
}

void AdvancedDialog::Capture() {
    ControlState& controls = state_.controls;
    for (const auto& [id, widget] : kCombos) {
        controls.FindCombo(id)->selected = (ui_.get()->*widget)->currentIndex();
    }
    for (const auto& [id, widget] : kCheckBoxes) {
        controls.FindBox(id)->ticked = (ui_.get()->*widget)->isChecked();
    }
}

template <typename Rule>
void AdvancedDialog::Change(Rule rule) {
    Capture();
    rule(state_.controls);
    Render();
}

void AdvancedDialog::RunOperation(QPushButton* button, const Operation& operation) {
    Capture();
    button->setEnabled(false);
    Exchange([operation, shown = state_.controls] { return operation(shown); });
}

}  // namespace zentaro
