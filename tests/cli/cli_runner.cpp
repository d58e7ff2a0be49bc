// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zentaro::test {

namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& configHome,
              const std::function<void(pid_t)>& whileRunning) {
    const std::filesystem::path out = std::filesystem::path(configHome) / "cli.out";
    const std::filesystem::path err = std::filesystem::path(configHome) / "cli.err";
    std::vector<std::string> words = {ZENTARO_CLI_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string home = "XDG_CONFIG_HOME=" + configHome;

    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        putenv(const_cast<char*>(home.c_str()));
        // The program leaves a stop signal ignored that it was started with ignored; it is
        // run here as from a terminal, whatever runs the tests.
        for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
            signal(stop, SIG_DFL);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (whileRunning) {
        whileRunning(child);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

}  // namespace zentaro::test
