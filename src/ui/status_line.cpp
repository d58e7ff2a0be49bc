// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/status_line.h"

#include <QLabel>

namespace zentaro {

StatusLine::StatusLine(QLabel& label, QObject* parent) : QObject(parent), label_(label) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { Set(QString()); });
}

QString StatusLine::Text() const {
    return label_.text();
}

void StatusLine::Set(const QString& text) {
    timer_.stop();
    label_.setText(text);
}

void StatusLine::Append(const QString& text) {
    label_.setText(label_.text() + text);
}

void StatusLine::StartTimeout(int milliseconds) {
    timer_.start(milliseconds);
}

}  // namespace zentaro
