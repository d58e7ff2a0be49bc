// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/port_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "temp_config_home.h"

namespace zentaro::test {
namespace {

namespace fs = std::filesystem;

class PortNamesTest : public ::testing::Test {
protected:
    PortNamesTest() {
        fs::create_directories(home.Path() / "dev");
        for (const char* device : {"a0", "a1", "b0"}) {
            std::ofstream(home.Path() / "dev" / device).put('x');
        }
    }
    std::string Device(const char* name) const { return (home.Path() / "dev" / name).string(); }

    TempConfigHome home;
};

TEST_F(PortNamesTest, LinkInTheConfigHomeWins) {
    home.Link("COM2", home.Path() / "dev" / "b0");
    PortNames names{home.Path(), {Device("a0")}};
    EXPECT_EQ(names.Resolve("COM2"), fs::canonical(Device("b0")).string());
}

TEST_F(PortNamesTest, DanglingLinkMeansNoPortAndNoFallback) {
    home.Link("COM1", home.Path() / "dev" / "gone");
    PortNames names{home.Path(), {Device("a0")}};
    EXPECT_EQ(names.Resolve("COM1"), "");
}

TEST_F(PortNamesTest, WithoutALinkTheNthExistingFallbackDeviceIsUsed) {
    PortNames names{
        home.Path(),
        {Device("missing0"), Device("a0"), Device("missing1"), Device("a1"), Device("b0")}};
    EXPECT_EQ(names.Resolve("COM1"), Device("a0"));
    EXPECT_EQ(names.Resolve("COM2"), Device("a1"));
    EXPECT_EQ(names.Resolve("COM3"), Device("b0"));
    EXPECT_EQ(names.Resolve("COM4"), "");
}

TEST_F(PortNamesTest, OnlyComNamesResolve) {
    PortNames names{home.Path(), {Device("a0")}};
    for (const char* bad : {"COM0", "COM", "COM1x", "com1", "LPT1", "COM-1", ""}) {
        EXPECT_EQ(names.Resolve(bad), "") << bad;
    }
}

TEST(PortNamesEnvironmentTest, ConfigHomeFromXdgElseHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string keptXdg = savedXdg ? savedXdg : "";
    setenv("XDG_CONFIG_HOME", "/tmp/zentaro-xdg", 1);
    EXPECT_EQ(PortNames::FromEnvironment().configHome, fs::path("/tmp/zentaro-xdg"));
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const char* homeDir = std::getenv("HOME");
    if (homeDir != nullptr) {
        EXPECT_EQ(PortNames::FromEnvironment().configHome, fs::path(homeDir) / ".config");
    }
    const PortNames names = PortNames::FromEnvironment();
    ASSERT_EQ(names.fallbackDevices.size(), 24u);
    EXPECT_EQ(names.fallbackDevices.front(), "/dev/ttyUSB0");
    EXPECT_EQ(names.fallbackDevices[10], "/dev/ttyACM0");
    EXPECT_EQ(names.fallbackDevices.back(), "/dev/ttyS3");
    if (savedXdg != nullptr) {
        setenv("XDG_CONFIG_HOME", keptXdg.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace zentaro::test
