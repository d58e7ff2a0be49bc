// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace zentaro::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs zentaro-cli with the arguments, XDG_CONFIG_HOME set to configHome and stdin, stdout
// and stderr no terminals, and waits for it to end; meanwhile runs whileRunning (when given)
// with the program's process id.
CliRun RunCli(const std::vector<std::string>& args, const std::string& configHome,
              const std::function<void(pid_t)>& whileRunning = {});

}  // namespace zentaro::test
