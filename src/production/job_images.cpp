// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/job_images.h"

#include <algorithm>
#include <fstream>

#include "catalogue/device_table.h"
#include "images/elf_reader.h"
#include "images/image_file.h"

namespace zentaro {

namespace {

// The image of one memory from the file at path, or why not in problem.
std::optional<JobImage> LoadJobImage(const std::string& key, const std::string& path,
                                     ImageMemory memory, uint32_t memorySize,
                                     std::string& problem) {
    const std::string name = MemoryName(memory);
    JobImage image{.bytes = std::vector<uint8_t>(memorySize, 0xFF), .last = 0};
    ImageLoadState state;
    const ImageFileLoad load = LoadImageFile(path, std::nullopt, memory, image.bytes, state);
    if (!load.Loaded()) {
        problem = key + ": " + path + ": " + load.reason;
    } else if (!load.checksumsMatch) {
        problem = key + ": " + path + ": a record's checksum does not match its data";
    } else if (!state.loadedData) {
        problem = key + ": " + path + ": the file holds no data";
    } else if (state.highestAddress >= memorySize) {
        problem = key + ": " + path + ": data up to address " +
                  std::to_string(state.highestAddress) + " do not fit the device's " + name +
                  " of " + std::to_string(memorySize) + " bytes";
    }
    if (!problem.empty()) {
        return std::nullopt;
    }
    image.last = state.highestAddress;
    return image;
}

}  // namespace

ElfFuses ReadElfFuses(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const ElfContents contents = ReadElf(file);
    if (!contents.error.empty()) {
        return {.bytes = {}, .error = contents.error};
    }
    const ElfConfigBytes bytes = ReadElfConfigBytes(contents);
    ElfFuses fuses{.bytes = {bytes.lock, bytes.low, bytes.high, bytes.extended}, .error = {}};
    if (std::none_of(fuses.bytes.begin(), fuses.bytes.end(),
                     [](const auto& byte) { return byte.has_value(); })) {
        fuses.error = "the ELF file carries no fuse or lock bytes";
    }
    return fuses;
}

JobPreparation PrepareJob(const JobSettings& settings) {
    JobPreparation result;
    result.job.settings = settings;
    const DeviceRecord& device = FindDeviceByName(settings.device);
    std::vector<std::string> problems(3);
    if (settings.flashFile) {
        result.job.flash = LoadJobImage("flash.file", *settings.flashFile, ImageMemory::Flash,
                                        device.flashSize, problems[0]);
    }
    if (settings.eepromFile) {
        result.job.eeprom = LoadJobImage("eeprom.file", *settings.eepromFile, ImageMemory::Eeprom,
                                         device.eepromSize, problems[1]);
    }
    result.job.fuses = settings.fuses;
    if (settings.fusesFrom) {
        const ElfFuses fuses = ReadElfFuses(*settings.fusesFrom);
        result.job.fuses = fuses.bytes;
        if (!fuses.error.empty()) {
            problems[2] = "fuses.from: " + *settings.fusesFrom + ": " + fuses.error;
        }
    }
    for (const std::string& problem : problems) {
        if (!problem.empty()) {
            result.problem = JobLoad::Problem::File;
            result.message += (result.message.empty() ? "" : "\n") + problem;
        }
    }
    return result;
}

}  // namespace zentaro
