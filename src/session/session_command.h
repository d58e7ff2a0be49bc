// SPDX-License-Identifier: GPL-3.0-or-later
// What every command of a session shares: one at a time, and a result that carries what the
// user was shown. Only the session's own files include this.
#pragma once

#include "session/session.h"

namespace zentaro {

inline CommandOutcome OkWhen(bool ok) {
    return ok ? CommandOutcome::Ok : CommandOutcome::Failed;
}

// One command on the session: it starts only when no other runs, and its result carries what
// the user was shown meanwhile.
class Session::Command {
public:
    explicit Command(Session& session) : session_(session) {
        bool idle = false;
        started_ = session_.busy_.compare_exchange_strong(idle, true);
        if (started_) {
            session_.transcript_.Clear();
        } else {
            result.outcome = CommandOutcome::Refused;
        }
    }
    ~Command() {
        if (started_) {
            session_.busy_ = false;
        }
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    bool Started() const { return started_; }

    SessionResult Finish(CommandOutcome outcome) {
        const TranscriptPanel& shown = session_.transcript_;
        result.outcome = outcome;
        result.notices = shown.notices;
        result.status = shown.status;
        result.declined = shown.declined;
        return std::move(result);
    }

    SessionResult result;

private:
    Session& session_;
    bool started_ = false;
};

template <typename Body>
SessionResult Session::Exclusive(Body body) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    return body(command);
}

template <typename Body>
SessionResult Session::WithDevice(Body body) {
    return Exclusive([&](Command& command) {
        return HasDevice() ? body(command) : command.Finish(CommandOutcome::NoDevice);
    });
}

template <typename Body>
SessionResult Session::InConfig(Body body) {
    return Exclusive([&](Command& command) {
        return config_ ? body(command) : command.Finish(CommandOutcome::NoDevice);
    });
}

}  // namespace zentaro
