#pragma once

#include <string>

namespace zentaro {

// What the link, the memory commands and the lock/fuse flows need from the window.
// The Qt dialog implements it; tests implement it with scripted answers and a log.
// Every text is UTF-8 and is passed exactly as the user is to see it.
class Panel {
public:
    virtual ~Panel() = default;

    // A notice with an OK button.
    virtual void Notice(const std::string& text) = 0;
    // A Yes/No question; true means Yes. questionIcon selects the question icon.
    virtual bool AskYesNo(const std::string& text, bool questionIcon) = 0;

    virtual void SetStatus(const std::string& text) = 0;
    virtual void AppendStatus(const std::string& text) = 0;
    virtual void StartStatusTimeout() = 0;

    virtual void EnableControls(bool on) = 0;
    // Lets queued window events (repaints of the disabled buttons, the new status text)
    // run once before a long blocking loop.
    virtual void DrainMessages() = 0;

    // Runs the file chooser. Returns the path now chosen; an empty text when the user
    // cancelled and no file was set before.
    virtual std::string Browse() = 0;

    virtual void SetProgressRange(int max) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetWaitCursor(bool on) = 0;
};

}  // namespace zentaro
