// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace zentaro {

class Session;
class SessionWorker;
class WindowThreadPanel;

// What a window needs to drive the board: the session, the board's worker that runs its
// commands, and the panel through which those commands reach the window's thread.
struct WindowBoard {
    Session& session;
    SessionWorker& worker;
    WindowThreadPanel& panel;
};

// Runs one window's commands on the board's worker while the window's thread goes on serving
// its event loop: the windows repaint, move and answer the desktop. Input made to the window
// meanwhile is dropped, never delivered later; Esc and a close request ask the command to stop
// through the session, and a close is carried out once the command has ended.
class BoardRunner : public QObject {
    Q_OBJECT
public:
    BoardRunner(QWidget& window, const WindowBoard& board);
    // A window that goes while its command runs (only as the program ends) stops the command
    // and waits for it, answering its questions with No.
    ~BoardRunner() override;

    // Posts work to the worker, unless this window's command has not ended yet (false). Once
    // the work has ended, then runs on the window's thread, after a fault of the work has been
    // shown and before the window takes input again. work reaches the window only through the
    // panel.
    bool Start(std::function<void()> work, std::function<void()> then);
    // The board's worker has work, this window's or another's.
    bool Busy() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Guards(QObject* watched) const;
    void Finish(const std::string& fault, const std::function<void()>& then);

    QWidget& window_;
    WindowBoard board_;
    bool guarding_ = false;
    bool closeRequested_ = false;
};

}  // namespace zentaro
