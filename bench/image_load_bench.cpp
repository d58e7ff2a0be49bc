// SPDX-License-Identifier: GPL-3.0-or-later
// Times loading a 128 KiB flash image from a file in each format the program reads: format
// detection and the load, as a program command does them.
//
//   image_load_bench [--rounds N]

#include <elf.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/workload.h"
#include "images/atomic_file.h"
#include "images/binary_image.h"
#include "images/elf_reader.h"
#include "images/hex_reader.h"
#include "images/image_format.h"
#include "images/srecord_reader.h"
#include "images/srecord_writer.h"

namespace zentaro {
namespace {

constexpr uint32_t kImageSize = 128 * 1024;

bool WriteWith(const std::string& path, const std::vector<uint8_t>& memory,
               bool (*write)(AtomicFile&, const uint8_t*, uint32_t)) {
    auto output = AtomicFile::Create(path);
    return output && write(*output, memory.data(), static_cast<uint32_t>(memory.size())) &&
           output->Commit();
}

// A little-endian 32-bit executable with the memory as one loadable segment at 0, as a
// linker leaves a program's flash.
bool WriteElf(AtomicFile& output, const uint8_t* memory, uint32_t size) {
    Elf32_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS32;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_EXEC;
    header.e_version = EV_CURRENT;
    header.e_phoff = sizeof header;
    header.e_ehsize = sizeof header;
    header.e_phentsize = sizeof(Elf32_Phdr);
    header.e_phnum = 1;
    Elf32_Phdr segment{};
    segment.p_type = PT_LOAD;
    segment.p_offset = sizeof header + sizeof segment;
    segment.p_filesz = size;
    segment.p_memsz = size;
    segment.p_flags = PF_R | PF_X;
    segment.p_align = 1;
    return output.Write(&header, sizeof header) && output.Write(&segment, sizeof segment) &&
           output.Write(memory, size);
}

// Detects the format and loads the file as a command would; false when it does not load.
bool Load(const std::string& path, std::vector<uint8_t>& image) {
    std::ifstream file(path, std::ios::binary);
    std::fill(image.begin(), image.end(), 0xFF);
    ImageLoadState state;
    switch (DetectImageFormat(file, path)) {
        case ImageFormat::IntelHex:
            return IsHexFile(file) && LoadHexImage(file, image, state);
        case ImageFormat::SRecord: {
            const SRecordLoad load = LoadSRecordImage(file, image, state);
            return load.malformedLine == 0 && load.checksumsMatch;
        }
        case ImageFormat::Binary:
            LoadBinaryImage(file, image, state);
            return true;
        case ImageFormat::Elf: {
            const ElfContents contents = ReadElf(file);
            return contents.error.empty() &&
                   LoadElfMemory(contents, ImageMemory::Flash, image, state);
        }
        default:
            return false;
    }
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace
}  // namespace zentaro

int main(int argc, char** argv) {
    using namespace zentaro;
    int rounds = 50;
    if (argc == 3 && std::strcmp(argv[1], "--rounds") == 0) {
        rounds = std::max(1, std::atoi(argv[2]));
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--rounds N]\n", argv[0]);
        return 2;
    }
    const ScratchFolder folder;
    const std::vector<uint8_t> memory = TestImage(kImageSize);
    const auto path = [&folder](const char* name) { return (folder.path / name).string(); };
    const struct {
        const char* label;
        std::string path;
        bool written;
    } files[] = {
        {"Intel HEX", path("image.hex"), WriteHexFile(path("image.hex"), memory)},
        {"S-records", path("image.srec"), WriteWith(path("image.srec"), memory, WriteSRecords)},
        {"raw binary", path("image.bin"), WriteWith(path("image.bin"), memory, WriteBinaryImage)},
        {"ELF", path("image.elf"), WriteWith(path("image.elf"), memory, WriteElf)},
    };

    std::printf("Loading a %u-byte flash image, %d rounds each:\n", kImageSize, rounds);
    std::vector<uint8_t> image(kImageSize);
    for (const auto& file : files) {
        std::vector<double> times;
        for (int round = 0; round < rounds && file.written; ++round) {
            const auto start = std::chrono::steady_clock::now();
            const bool loaded = Load(file.path, image);
            times.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
            if (!loaded || image != memory) {
                times.clear();
                break;
            }
        }
        if (times.empty()) {
            std::printf("  %-10s  failed\n", file.label);
            continue;
        }
        std::sort(times.begin(), times.end());
        std::printf("  %-10s  %7zu bytes  best %.2f ms, median %.2f ms\n", file.label,
                    static_cast<size_t>(std::filesystem::file_size(file.path)), times.front(),
                    times[times.size() / 2]);
    }
    return 0;
}
