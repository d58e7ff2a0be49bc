// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace zentaro {

// Runs work with the board on a thread of its own while this (the window's) thread keeps
// serving its event loop: the windows repaint, move and answer the desktop. Input made to the
// given windows meanwhile is dropped, never delivered later; Esc and a close request ask the
// work to stop instead (through onStop), and a close is remembered for the caller to carry
// out once the work has ended. Work that throws ends there; onFault is told why once it has.
class BusyRun : public QObject {
    Q_OBJECT
public:
    BusyRun(std::vector<QWidget*> windows, std::function<void()> onStop,
            std::function<void(const std::string&)> onFault);

    // Returns when work has ended. work must reach the windows only through calls that are
    // carried out on this thread (see WindowThreadPanel).
    void Run(const std::function<void()>& work);
    bool CloseRequested() const { return closeRequested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Guards(QObject* watched) const;

    std::vector<QWidget*> windows_;
    std::function<void()> onStop_;
    std::function<void(const std::string&)> onFault_;
    bool closeRequested_ = false;
};

}  // namespace zentaro
