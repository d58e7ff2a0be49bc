// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_runner.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <string>

#include "session/session.h"
#include "session/session_worker.h"
#include "ui/message_boxes.h"
#include "ui/window_thread_panel.h"

namespace zentaro {

namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

BoardRunner::BoardRunner(QWidget& window, const WindowBoard& board)
    : window_(window), board_(board) {}

BoardRunner::~BoardRunner() {
    if (guarding_) {
        board_.session.RequestStop();
        board_.panel.Close();
        board_.worker.WaitIdle();
        qApp->removeEventFilter(this);
    }
}

bool BoardRunner::Busy() const {
    return board_.worker.Busy();
}

bool BoardRunner::Start(std::function<void()> work, std::function<void()> then) {
    if (guarding_) {
        return false;
    }
    guarding_ = true;
    closeRequested_ = false;
    qApp->installEventFilter(this);
    // The worker stays busy until the window has taken the ending in: nothing else starts
    // between the command and what the window does with its result.
    board_.worker.Post(std::move(work), [this, then = std::move(then)](const std::string& fault) {
        board_.panel.RunOnWindow([&] { Finish(fault, then); });
    });
    return true;
}

void BoardRunner::Finish(const std::string& fault, const std::function<void()>& then) {
    qApp->removeEventFilter(this);
    guarding_ = false;
    if (!fault.empty()) {
        ShowFault(&window_, fault);
    }
    then();
    if (closeRequested_) {
        window_.close();
    }
}

bool BoardRunner::Guards(QObject* watched) const {
    QWidget* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        // Shortcuts of actions, such as F1 for the about box.
        if (auto* action = qobject_cast<QAction*>(watched)) {
            widget = qobject_cast<QWidget*>(action->parent());
        }
    }
    return widget != nullptr && widget->window() == &window_;
}

bool BoardRunner::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool windowClose = type == QEvent::Close && watched == &window_;
    if (!windowClose && !(IsInput(type) && Guards(watched))) {
        return false;
    }
    if (windowClose) {
        event->ignore();
        closeRequested_ = true;
        board_.session.RequestStop();
    } else if (type == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        board_.session.RequestStop();
    }
    return true;
}

}  // namespace zentaro
