// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/window_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include "ui/main_dialog.h"
#include "ui/settings_store.h"

namespace zentaro {

namespace {

constexpr int kAnswerEveryMs = 50;
constexpr int kPollMs = 5;

void AnswerBoxes() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        QAbstractButton* button = box->button(QMessageBox::Yes);
        (button != nullptr ? button : box->button(QMessageBox::Ok))->click();
    }
}

}  // namespace

void UseOffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

bool UseScratchSettings(const QString& folder, const std::string& hexPath) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    SettingsStore store;
    return store.WriteText(kFileNameKey, QString::fromStdString(hexPath));
}

void ProgramFlashFromWindow(MainDialog& dialog) {
    dialog.show();
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] { AnswerBoxes(); });
    answerer.start(kAnswerEveryMs);
    dialog.findChild<QPushButton*>(QStringLiteral("programFlashButton"))->click();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.Busy()) {
            loop.quit();
        }
    });
    poll.start(kPollMs);
    loop.exec();
}

}  // namespace zentaro
