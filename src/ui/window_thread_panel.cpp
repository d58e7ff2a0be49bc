// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_thread_panel.h"

#include <QThread>

namespace zentaro {

WindowThreadPanel::WindowThreadPanel(Panel& panel, WindowChores& chores, QObject& window)
    : panel_(panel), chores_(chores), window_(window) {}

bool WindowThreadPanel::OnWindowThread() const {
    return QThread::currentThread() == window_.thread();
}

void WindowThreadPanel::Post(std::function<void()> call) {
    if (OnWindowThread()) {
        call();
        return;
    }
    // Posted calls to one object run in the order they were posted, before any later
    // blocking call: a question always finds the status text that came before it.
    QMetaObject::invokeMethod(&window_, std::move(call), Qt::QueuedConnection);
}

void WindowThreadPanel::Wait(const std::function<void()>& call) {
    if (OnWindowThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(&window_, call, Qt::BlockingQueuedConnection);
}

void WindowThreadPanel::Notice(const std::string& text) {
    Wait([&] { panel_.Notice(text); });
}

bool WindowThreadPanel::AskYesNo(const std::string& text, bool questionIcon) {
    bool yes = false;
    Wait([&] { yes = panel_.AskYesNo(text, questionIcon); });
    return yes;
}

std::string WindowThreadPanel::Browse() {
    std::string path;
    Wait([&] { path = panel_.Browse(); });
    return path;
}

void WindowThreadPanel::SetStatus(const std::string& text) {
    Post([this, text] { panel_.SetStatus(text); });
}

void WindowThreadPanel::AppendStatus(const std::string& text) {
    Post([this, text] { panel_.AppendStatus(text); });
}

void WindowThreadPanel::StartStatusTimeout() {
    Post([this] { panel_.StartStatusTimeout(); });
}

void WindowThreadPanel::StartProgress(int max) {
    Post([this, max] { panel_.StartProgress(max); });
}

void WindowThreadPanel::SetProgressPosition(int position) {
    position_ = position;
    if (OnWindowThread()) {
        panel_.SetProgressPosition(position);
        return;
    }
    // One update on its way is enough: it shows the latest position when it runs.
    if (!positionPending_.exchange(true)) {
        Post([this] {
            positionPending_ = false;
            panel_.SetProgressPosition(position_);
        });
    }
}

void WindowThreadPanel::EndProgress() {
    Post([this] { panel_.EndProgress(); });
}

void WindowThreadPanel::EnableControls(bool on) {
    Post([this, on] { chores_.EnableControls(on); });
}

void WindowThreadPanel::DrainMessages() {
    if (OnWindowThread()) {
        chores_.DrainMessages();
    }
}

}  // namespace zentaro
