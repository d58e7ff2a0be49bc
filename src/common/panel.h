// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zentaro {

// What a command needs from the front end that runs it: the status text, the progress of a
// device loop, notices, Yes/No questions, the file choice and the controls. The window, the
// command-line tool and the tests each implement it. Every text is UTF-8 and passed exactly as the
// user is to see it.
class Panel {
public:
    virtual ~Panel() = default;

    // A notice with an OK button.
    virtual void Notice(const std::string& text) = 0;
    // A Yes/No question; true means Yes. questionIcon selects the question icon.
    virtual bool AskYesNo(const std::string& text, bool questionIcon) = 0;
    // A Yes/No question before something that cannot be undone: a front end that can makes
    // No the answer a hasty Enter gives.
    virtual bool AskBeforeHarm(const std::string& text) { return AskYesNo(text, true); }

    virtual void SetStatus(const std::string& text) = 0;
    virtual void AppendStatus(const std::string& text) = 0;
    // The text may clear itself after the front end's time-out (successful endings).
    virtual void StartStatusTimeout() = 0;

    // A device loop runs: a bar of 0 … max appears, moves, and ends back at 0.
    virtual void StartProgress(int max) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void EndProgress() = 0;

    // Runs the file chooser. Returns the path now chosen; an empty text when the user
    // cancelled and no file was set before.
    virtual std::string Browse() = 0;

    // True once the user has asked the running command to stop. The loops look at it between
    // two exchanges with the board, never inside one.
    virtual bool StopRequested() const { return false; }

    // A front end with buttons turns them off while a command runs and back on at its end;
    // the others have nothing to do.
    virtual void EnableControls(bool) {}
};

}  // namespace zentaro
