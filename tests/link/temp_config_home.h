// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace zentaro::test {

// A private config home under the system's temporary folder, removed again with the object.
class TempConfigHome {
public:
    TempConfigHome() { std::filesystem::create_directories(PortsFolder()); }

    const std::filesystem::path& Path() const { return home_.Root(); }
    std::filesystem::path PortsFolder() const { return Path() / "Veltrona" / "Zentaro" / "ports"; }
    void Link(const std::string& portName, const std::filesystem::path& target) const {
        std::filesystem::create_symlink(target, PortsFolder() / portName);
    }

private:
    TempDir home_;
};

}  // namespace zentaro::test
