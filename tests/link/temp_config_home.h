// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace zentaro::test {

// A private config home under the system's temporary folder, removed again with the object.
class TempConfigHome {
public:
    TempConfigHome() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("zentaro-link-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(PortsFolder());
    }
    ~TempConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path PortsFolder() const { return path_ / "Veltrona" / "Zentaro" / "ports"; }
    void Link(const std::string& portName, const std::filesystem::path& target) const {
        std::filesystem::create_symlink(target, PortsFolder() / portName);
    }

private:
    std::filesystem::path path_;
};

}  // namespace zentaro::test
