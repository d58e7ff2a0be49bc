// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/modal_answerer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>

namespace zentaro::test {

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

void ModalAnswerer::Press(QMessageBox::StandardButton button) {
    Then([button](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr) << "expected a message box";
        ASSERT_NE(box->button(button), nullptr) << "the box has no such button";
        box->button(button)->click();
    });
}

void ModalAnswerer::ChooseFile(const QString& path) {
    Then([path](QWidget* window) {
        auto* dialog = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(dialog, nullptr) << "expected the file chooser";
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void ModalAnswerer::Cancel() {
    Then([](QWidget* window) { qobject_cast<QDialog*>(window)->reject(); });
}

QStringList ModalAnswerer::Texts() const {
    QStringList texts;
    for (const Box& box : boxes_) {
        texts.append(box.text);
    }
    return texts;
}

void ModalAnswerer::Poll() {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        Box seen{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons.append(button->text());
        }
        boxes_.push_back(seen);
    }
    if (actions_.empty()) {
        ++unexpected_;
        if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->done(QDialog::Rejected);
        } else {
            window->close();
        }
        return;
    }
    Action action = std::move(actions_.front());
    actions_.pop_front();
    action(window);
}

}  // namespace zentaro::test
