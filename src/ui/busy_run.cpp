// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/busy_run.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <exception>
#include <string>
#include <thread>

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

BusyRun::BusyRun(std::vector<QWidget*> windows, std::function<void()> onStop,
                 std::function<void(const std::string&)> onFault)
    : windows_(std::move(windows)), onStop_(std::move(onStop)), onFault_(std::move(onFault)) {}

void BusyRun::Run(const std::function<void()>& work) {
    qApp->installEventFilter(this);
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::string fault;
    std::thread worker([&] {
        // A fault in the work ends it like a failure; it must not end the program, and the
        // window must not wait for it forever.
        try {
            work();
        } catch (const std::exception& error) {
            fault = error.what();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The application quitting ends every running loop: keep serving until the work is done,
    // or the work would wait forever for an answer from this thread.
    while (!done) {
        loop.exec();
    }
    worker.join();
    qApp->removeEventFilter(this);
    if (!fault.empty() && onFault_) {
        onFault_(fault);
    }
}

bool BusyRun::Guards(QObject* watched) const {
    QWidget* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        // Shortcuts of actions, such as F1 for the about box.
        if (auto* action = qobject_cast<QAction*>(watched)) {
            widget = qobject_cast<QWidget*>(action->parent());
        }
    }
    return widget != nullptr &&
           std::find(windows_.begin(), windows_.end(), widget->window()) != windows_.end();
}

bool BusyRun::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool windowClose = type == QEvent::Close &&
                             std::find(windows_.begin(), windows_.end(), watched) != windows_.end();
    if (!windowClose && !(IsInput(type) && Guards(watched))) {
        return false;
    }
    if (windowClose) {
        event->ignore();
        closeRequested_ = true;
        onStop_();
    } else if (type == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        onStop_();
    }
    return true;
}

}  // namespace zentaro
