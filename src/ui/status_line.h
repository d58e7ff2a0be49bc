// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

class QLabel;

namespace zentaro {

// The one-line status text of the main window and its one-shot time-out. Setting a text
// always cancels a pending time-out, so an old time-out never clears a newer text.
class StatusLine : public QObject {
    Q_OBJECT
public:
    explicit StatusLine(QLabel& label, QObject* parent = nullptr);

    QString Text() const;
    void Set(const QString& text);
    void Append(const QString& text);
    // Clears the text after milliseconds, replacing a pending time-out.
    void StartTimeout(int milliseconds);
    bool TimeoutPending() const { return timer_.isActive(); }
    int TimeoutInterval() const { return timer_.interval(); }

private:
    QLabel& label_;
    QTimer timer_;
};

}  // namespace zentaro
