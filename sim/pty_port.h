// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zentaro::sim {

// A pseudo-terminal whose slave side is published as a COM port through a symbolic link.
// The board keeps a slave descriptor of its own open, so that the master never sees a
// hang-up when the host closes its side between scan steps.
class PtyPort {
public:
    PtyPort() = default;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;
    ~PtyPort() { Close(); }

    // Creates the pty (raw, non-blocking master) and the link, with a hidden note beside
    // it that names the link's target, replacing only a dangling link whose note an earlier
    // run left. Returns an error text, empty on success.
    std::string Open(const std::string& linkPath);
    // Removes the link (when it still leads to this pty) and its note, and closes everything.
    void Close();

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& LinkPath() const { return linkPath_; }
    // The line rate the host set on its side, in baud; 0 when it is not a known rate.
    unsigned HostBaud() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

// True when the rate is one the terminal layer can be set to.
bool IsKnownBaud(unsigned baud);
// The speed constant for a known rate (for tests that set up their side of the line).
unsigned SpeedConstant(unsigned baud);

}  // namespace zentaro::sim
