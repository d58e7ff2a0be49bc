// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "session/session.h"
#include "session/session_worker.h"
#include "support/fake_clock.h"
#include "support/in_memory_board.h"
#include "support/recording_panel.h"
#include "support/scripted_link.h"
#include "support/scripted_port.h"
#include "ui/board_runner.h"
#include "ui/window_thread_panel.h"

namespace zentaro::test {

// A session on a ScriptedPort, which keeps every write, answered by the simulated board with
// these zentaro-sim options (a released board, "MZR1.35" version 35, calibration byte 0xA7,
// unless they say otherwise), found, learnt and with the device selected, as the main window
// hands it to the advanced options. What the session shows goes through the window's thread
// to a RecordingPanel; pauses take no time. The window's commands run on the worker.
struct BoardSession {
    BoardSession(const std::string& device, const std::vector<std::string>& options);

    WindowBoard Board() { return {*session, worker, threadPanel}; }

    InMemoryBoard board;
    ScriptedPort* port = nullptr;  // owned by the session
    RecordingPanel panel;
    QObject window;
    WindowThreadPanel threadPanel{panel, window};
    FakeClock clock;
    std::unique_ptr<Session> session;
    SessionWorker worker;
};

inline BoardSession::BoardSession(const std::string& device,
                                  const std::vector<std::string>& options)
    : board(WithReleasedIdentity(options)) {
    auto scripted = std::make_unique<ScriptedPort>();
    port = scripted.get();
    port->SetResponder(board.Responder());
    session = std::make_unique<Session>(std::move(scripted), threadPanel, clock);
    static_cast<void>(session->Open("COM1"));
    static_cast<void>(session->LearnBoard());
    static_cast<void>(session->SelectDevice(device));
}

}  // namespace zentaro::test
