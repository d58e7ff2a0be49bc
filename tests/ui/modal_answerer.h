// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace zentaro::test {

// Answers the modal windows the program opens (message boxes, the file chooser, the about
// box) from a script, polling for the active modal window. Every message box seen is logged.
// A modal window with no scripted answer is logged as unexpected and closed.
class ModalAnswerer {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
    };
    using Action = std::function<void(QWidget*)>;

    ModalAnswerer();

    void Press(QMessageBox::StandardButton button);
    // Types path into the file chooser and accepts it.
    void ChooseFile(const QString& path);
    void Cancel();
    // Any other handling of the next modal window.
    void Then(Action action) { actions_.push_back(std::move(action)); }

    const std::vector<Box>& Boxes() const { return boxes_; }
    QStringList Texts() const;
    int Unexpected() const { return unexpected_; }
    bool Done() const { return actions_.empty(); }

private:
    void Poll();

    QTimer timer_;
    std::deque<Action> actions_;
    std::vector<Box> boxes_;
    int unexpected_ = 0;
};

}  // namespace zentaro::test
