// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/port_names.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace zentaro {

namespace fs = std::filesystem;

namespace {

// n for "COMn" with n >= 1, otherwise 0.
int PortNumber(const std::string& portName) {
    constexpr std::string_view kPrefix = "COM";
    if (!portName.starts_with(kPrefix) || portName.size() == kPrefix.size()) {
        return 0;
    }
    int number = 0;
    const char* first = portName.data() + kPrefix.size();
    const char* last = portName.data() + portName.size();
    auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc() || end != last || number < 1) {
        return 0;
    }
    return number;
}

void AddNumbered(std::vector<std::string>& devices, const std::string& stem, int count) {
    for (int i = 0; i < count; ++i) {
        devices.push_back(stem + std::to_string(i));
    }
}

}  // namespace

PortNames PortNames::FromEnvironment() {
    PortNames names;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg != nullptr && fs::path(xdg).is_absolute()) {
        names.configHome = xdg;
    } else if (home != nullptr && *home != '\0') {
        names.configHome = fs::path(home) / ".config";
    }
    AddNumbered(names.fallbackDevices, "/dev/ttyUSB", 10);
    AddNumbered(names.fallbackDevices, "/dev/ttyACM", 10);
    AddNumbered(names.fallbackDevices, "/dev/ttyS", 4);
    return names;
}

std::string PortNames::Resolve(const std::string& portName) const {
    // A device named by its path (the command line's --port /dev/ttyUSB0) is taken as it is.
    if (portName.starts_with('/')) {
        return portName;
    }
    const int number = PortNumber(portName);
    if (number == 0) {
        return {};
    }
    std::error_code error;
    if (!configHome.empty()) {
        const fs::path link = configHome / "Veltrona" / "Zentaro" / "ports" / portName;
        if (fs::symlink_status(link, error).type() != fs::file_type::not_found && !error) {
            const fs::path target = fs::canonical(link, error);
            return error ? std::string() : target.string();
        }
    }
    int seen = 0;
    for (const std::string& device : fallbackDevices) {
        if (fs::exists(device, error) && ++seen == number) {
            return device;
        }
    }
    return {};
}

}  // namespace zentaro
