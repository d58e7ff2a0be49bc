// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/state_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zentaro::sim {

namespace {

constexpr const char* kMagic = "zentaro-sim state 1";

bool ReadHexByteLine(std::istream& in, const std::string& key, uint8_t& value) {
    std::string line;
    if (!std::getline(in, line) || line.rfind(key + " ", 0) != 0) {
        return false;
    }
    unsigned parsed = 0;
    std::istringstream field(line.substr(key.size() + 1));
    if (!(field >> std::hex >> parsed) || parsed > 0xFF) {
        return false;
    }
    value = static_cast<uint8_t>(parsed);
    return true;
}

bool ReadSection(std::istream& in, const std::string& key, size_t size,
                 std::vector<uint8_t>& bytes) {
    std::string line;
    if (!std::getline(in, line) || line != key + " " + std::to_string(size)) {
        return false;
    }
    bytes.resize(size);
    return in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)) &&
           in.get() == '\n';
}

}  // namespace

std::string LoadState(const std::string& path, Chip& chip, bool* loaded) {
    if (loaded != nullptr) {
        *loaded = false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::filesystem::exists(path) ? "cannot read state file " + path : "";
    }
    const std::string bad = "state file " + path + " is damaged";
    std::string line;
    if (!std::getline(in, line) || line != kMagic || !std::getline(in, line) ||
        line.rfind("chip ", 0) != 0) {
        return bad;
    }
    const std::string name = line.substr(5);
    if (name != chip.Device().name) {
        return "state file " + path + " holds the chip \"" + name + "\", not \"" +
               chip.Device().name + "\"";
    }
    ConfigBytes config;
    std::vector<uint8_t> flash;
    std::vector<uint8_t> eeprom;
    if (!ReadHexByteLine(in, "lock", config.lock) || !ReadHexByteLine(in, "low", config.lowFuse) ||
        !ReadHexByteLine(in, "high", config.highFuse) ||
        !ReadHexByteLine(in, "ext", config.extendedFuse) ||
        !ReadSection(in, "flash", chip.Device().flashSize, flash) ||
        !ReadSection(in, "eeprom", chip.Device().eepromSize, eeprom)) {
        return bad;
    }
    chip.SetConfig(config);
    chip.LoadFlash(flash);
    chip.LoadEeprom(eeprom);
    chip.ClearChanged();
    if (loaded != nullptr) {
        *loaded = true;
    }
    return {};
}

std::string SaveState(const std::string& path, const Chip& chip) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        char header[96];
        const ConfigBytes& config = chip.Config();
        std::snprintf(header, sizeof header, "lock %02X\nlow %02X\nhigh %02X\next %02X\n",
                      config.lock, config.lowFuse, config.highFuse, config.extendedFuse);
        out << kMagic << '\n' << "chip " << chip.Device().name << '\n' << header;
        out << "flash " << chip.Flash().size() << '\n';
        out.write(reinterpret_cast<const char*>(chip.Flash().data()),
                  static_cast<std::streamsize>(chip.Flash().size()));
        out << "\neeprom " << chip.Eeprom().size() << '\n';
        out.write(reinterpret_cast<const char*>(chip.Eeprom().data()),
                  static_cast<std::streamsize>(chip.Eeprom().size()));
        out << '\n';
        if (!out.flush()) {
            return "cannot write state file " + temporary;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return error ? "cannot replace state file " + path + ": " + error.message() : "";
}

std::string ReadRawFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "cannot read " + path;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return {};
}

}  // namespace zentaro::sim
