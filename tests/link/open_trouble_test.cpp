// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "link/posix/posix_serial_port.h"
#include "link/pty_master.h"
#include "link/temp_config_home.h"

namespace zentaro::test {
namespace {

constexpr uid_t kNobody = 65534;

// The port's reasons as an unprivileged user meets them: a device without read and write
// permission, one another program holds exclusively, and a link that leads nowhere.
TEST(OpenTrouble, PermissionBusyAndAbsentAreToldApart) {
    TempConfigHome home;
    // The child must reach the ports folder; only the file itself should stop it.
    ASSERT_EQ(::chmod(home.Path().c_str(), 0755), 0);
    const auto locked = home.Path() / "locked";
    std::ofstream(locked).put('x');
    ASSERT_EQ(::chmod(locked.c_str(), 0600), 0);
    home.Link("COM1", locked);

    const int master = OpenPtyMaster();
    ASSERT_GE(master, 0);
    const std::string slave = ::ptsname(master);
    const bool root = ::getuid() == 0;
    if (root) {
        // The unprivileged child may open the slave as far as permissions go.
        ASSERT_EQ(::chown(slave.c_str(), kNobody, kNobody), 0);
    } else {
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    }
    const int holder = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);
    home.Link("COM2", slave);
    home.Link("COM3", home.Path() / "gone");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(100);
        }
        PosixSerialPort port(PortNames{home.Path(), {}});
        int failed = 0;
        const auto expect = [&](const char* name, OpenFailure failure, const std::string& device,
                                int bit) {
            const OpenTrouble trouble = port.Open(name, 115200)
                                            ? OpenTrouble{OpenFailure::Other, "opened", {}}
                                            : port.LastOpenTrouble();
            if (trouble.failure != failure || trouble.device != device) {
                failed |= bit;
            }
        };
        expect("COM1", OpenFailure::PermissionDenied, locked.string(), 1);
        expect("COM2", OpenFailure::Busy, slave, 2);
        expect("COM3", OpenFailure::Absent, "", 4);
        ::_exit(failed);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(holder);
    ::close(master);
    ASSERT_TRUE(WIFEXITED(status));
    const int failed = WEXITSTATUS(status);
    ASSERT_NE(failed, 100) << "could not become an unprivileged user";
    EXPECT_FALSE(failed & 1) << "permission denied";
    EXPECT_FALSE(failed & 2) << "busy";
    EXPECT_FALSE(failed & 4) << "absent";
}

}  // namespace
}  // namespace zentaro::test
