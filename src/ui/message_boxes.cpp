// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/message_boxes.h"

#include <QMessageBox>

#include "ui/application.h"

namespace zentaro {

void ShowNotice(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void ShowFault(QWidget* parent, const std::string& what) {
    ShowNotice(parent, QStringLiteral("内部错误，命令已中止：") + QString::fromStdString(what));
}

bool AskYesNoBox(QWidget* parent, const QString& text, bool questionIcon) {
    QMessageBox box(questionIcon ? QMessageBox::Question : QMessageBox::NoIcon, kApplicationTitle,
                    text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool AskWarningBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, kApplicationTitle, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace zentaro
