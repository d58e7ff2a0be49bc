// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/adapter_latency.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <set>
#include <vector>

#include "link/posix/posix_serial_port.h"
#include "link/pty_master.h"
#include "temp_config_home.h"

namespace zentaro::test {
namespace {

constexpr char kTtyTimer[] = "/sys/class/tty/ttyUSB0/device/latency_timer";
constexpr char kBusTimer[] = "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer";
constexpr int kOtherFlags = ASYNC_SKIP_TEST | ASYNC_SPD_HI;

// Plays the driver and sysfs of one adapter, "ttyUSB0" unless told otherwise.
struct FakeAdapter final : AdapterDriver {
    bool GetSerial(int, serial_struct& info) override {
        if (serial) {
            info = *serial;
        }
        return serial.has_value();
    }
    bool SetSerial(int, const serial_struct& info) override {
        ++serialSets;
        if (!serial || refuseSerial) {
            return false;
        }
        serial = info;
        return true;
    }
    std::string TtyName(int) override { return ttyName; }
    std::optional<std::string> ReadAttribute(const std::string& path) override {
        const auto it = attributes.find(path);
        return it == attributes.end() ? std::nullopt : std::optional(it->second);
    }
    bool WriteAttribute(const std::string& path, const std::string& value) override {
        writes.push_back(path + "=" + value);
        if (!attributes.count(path) || readOnly.count(path)) {
            return false;
        }
        attributes[path] = value;
        return true;
    }

    std::optional<serial_struct> serial;
    bool refuseSerial = false;
    std::string ttyName = "ttyUSB0";
    std::map<std::string, std::string> attributes;
    std::set<std::string> readOnly;
    int serialSets = 0;
    std::vector<std::string> writes;
};

serial_struct SerialWithFlags(int flags) {
    serial_struct info{};
    info.flags = flags;
    info.baud_base = 24000000;
    return info;
}

// The port under test opens a real pty (linked as COM1); the fake stands in for the
// adapter's driver behind it.
class AdapterLatencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        master = OpenPtyMaster();
        ASSERT_GE(master, 0);
        home.Link("COM1", ptsname(master));
    }
    void TearDown() override { close(master); }

    TempConfigHome home;
    FakeAdapter adapter;
    PosixSerialPort port{PortNames{home.Path(), {}}, adapter};
    int master = -1;
};

TEST_F(AdapterLatencyTest, UsbAdapterIsAskedForLowLatencyWhileOpenAndRestoredAtClose) {
    adapter.serial = SerialWithFlags(kOtherFlags);
    adapter.attributes[kTtyTimer] = "16";

    ASSERT_TRUE(port.Open("COM1", 115200));
    EXPECT_EQ(adapter.serial->flags, kOtherFlags | ASYNC_LOW_LATENCY);
    EXPECT_EQ(adapter.serial->baud_base, 24000000);
    EXPECT_EQ(adapter.attributes[kTtyTimer], "1");

    // The scan reopens a port at each rate; the adapter's own settings must survive that.
    ASSERT_TRUE(port.Open("COM1", 19200));
    port.Close();
    EXPECT_EQ(adapter.serial->flags, kOtherFlags);
    EXPECT_EQ(adapter.attributes[kTtyTimer], "16");
    port.Close();
    EXPECT_EQ(adapter.writes, (std::vector<std::string>{
                                  std::string(kTtyTimer) + "=1", std::string(kTtyTimer) + "=16",
                                  std::string(kTtyTimer) + "=1", std::string(kTtyTimer) + "=16"}));
}

TEST_F(AdapterLatencyTest, TimerOnTheUsbSerialBusIsUsedWhenTheTtyEntryHasNone) {
    adapter.attributes[kBusTimer] = "10";
    ASSERT_TRUE(port.Open("COM1", 115200));
    EXPECT_EQ(adapter.attributes[kBusTimer], "1");
    port.Close();
    EXPECT_EQ(adapter.attributes[kBusTimer], "10");
}

TEST_F(AdapterLatencyTest, PortThatRefusesIsUsedAsItIsAndNothingIsRestored) {
    // A pty knows neither setting; an adapter of a user without sysfs write access refuses.
    for (const bool knowsSettings : {false, true}) {
        SCOPED_TRACE(knowsSettings ? "refused" : "unknown");
        adapter.serial = knowsSettings ? std::optional(SerialWithFlags(0)) : std::nullopt;
        adapter.refuseSerial = knowsSettings;
        adapter.attributes.clear();
        if (knowsSettings) {
            adapter.attributes[kTtyTimer] = "16";
            adapter.readOnly.insert(kTtyTimer);
        }
        adapter.writes.clear();
        adapter.serialSets = 0;

        ASSERT_TRUE(port.Open("COM1", 115200));
        const uint8_t probe = ' ';
        EXPECT_EQ(port.Write(&probe, 1), 1);
        port.Close();
        EXPECT_EQ(adapter.serialSets, knowsSettings ? 1 : 0);
        EXPECT_EQ(adapter.writes.size(), knowsSettings ? 1u : 0u);
    }
}

TEST_F(AdapterLatencyTest, AdapterAlreadyFastIsLeftAloneAtOpenAndAtClose) {
    adapter.serial = SerialWithFlags(ASYNC_LOW_LATENCY);
    adapter.attributes[kTtyTimer] = "1";
    ASSERT_TRUE(port.Open("COM1", 115200));
    port.Close();
    EXPECT_EQ(adapter.serialSets, 0);
    EXPECT_TRUE(adapter.writes.empty());
    EXPECT_EQ(adapter.serial->flags, ASYNC_LOW_LATENCY);
}

}  // namespace
}  // namespace zentaro::test
