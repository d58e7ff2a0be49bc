// SPDX-License-Identifier: GPL-3.0-or-later
#include <gelf.h>
#include <libelf.h>

#include <cstring>
#include <memory>

#include "images/elf_segments.h"

namespace zentaro {

namespace {

struct ElfCloser {
    void operator()(Elf* elf) const { elf_end(elf); }
};

bool LibraryReady() {
    static const bool ready = elf_version(EV_CURRENT) != EV_NONE;
    return ready;
}

// The identification bytes say what libelf would only report as "no ELF file".
std::string CheckIdentification(const std::vector<uint8_t>& file) {
    if (file.size() < SELFMAG || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) {
        return "not an ELF file";
    }
    if (file.size() < EI_NIDENT) {
        return "truncated ELF header";
    }
    if (file[EI_CLASS] != ELFCLASS32 && file[EI_CLASS] != ELFCLASS64) {
        return "unknown ELF class";
    }
    if (file[EI_DATA] != ELFDATA2LSB && file[EI_DATA] != ELFDATA2MSB) {
        return "unknown ELF byte order";
    }
    if (file[EI_VERSION] != EV_CURRENT) {
        return "unknown ELF version";
    }
    return {};
}

// Copies the size bytes at offset in the file; false when they reach past its end.
bool AddBytes(Elf* elf, uint64_t address, uint64_t offset, uint64_t size,
              std::vector<ElfSegment>& segments) {
    Elf_Data* data = elf_getdata_rawchunk(elf, static_cast<int64_t>(offset), size, ELF_T_BYTE);
    if (data == nullptr) {
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data->d_buf);
    segments.push_back({address, std::vector<uint8_t>(bytes, bytes + data->d_size)});
    return true;
}

std::string ReadProgramHeaders(Elf* elf, size_t count, std::vector<ElfSegment>& segments) {
    for (size_t i = 0; i < count; ++i) {
        GElf_Phdr header;
        if (gelf_getphdr(elf, static_cast<int>(i), &header) == nullptr) {
            return "bad program header";
        }
        if (header.p_type == PT_LOAD && header.p_filesz > 0 &&
            !AddBytes(elf, header.p_paddr, header.p_offset, header.p_filesz, segments)) {
            return "truncated segment";
        }
    }
    return {};
}

std::string ReadSections(Elf* elf, std::vector<ElfSegment>& segments) {
    for (Elf_Scn* section = elf_nextscn(elf, nullptr); section != nullptr;
         section = elf_nextscn(elf, section)) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) == nullptr) {
            return "bad section header";
        }
        if (header.sh_type == SHT_PROGBITS && (header.sh_flags & SHF_ALLOC) != 0 &&
            header.sh_size > 0 &&
            !AddBytes(elf, header.sh_addr, header.sh_offset, header.sh_size, segments)) {
            return "truncated section";
        }
    }
    return {};
}

}  // namespace

std::string ReadElfSegments(std::vector<uint8_t>& file, std::vector<ElfSegment>& segments) {
    std::string error = CheckIdentification(file);
    if (!error.empty()) {
        return error;
    }
    if (!LibraryReady()) {
        return "ELF library unavailable";
    }
    const std::unique_ptr<Elf, ElfCloser> elf(
        elf_memory(reinterpret_cast<char*>(file.data()), file.size()));
    GElf_Ehdr header;
    if (!elf || gelf_getehdr(elf.get(), &header) == nullptr) {
        return "truncated ELF header";
    }
    // libelf counts only the headers that lie within the file: fewer than the ELF header
    // says means the file was cut short.
    size_t programHeaders = 0;
    if (elf_getphdrnum(elf.get(), &programHeaders) != 0 ||
        (header.e_phnum != PN_XNUM && programHeaders < header.e_phnum)) {
        return "truncated program header table";
    }
    if (programHeaders > 0) {
        return ReadProgramHeaders(elf.get(), programHeaders, segments);
    }
    size_t sections = 0;
    if (elf_getshdrnum(elf.get(), &sections) != 0 ||
        (header.e_shnum != 0 && sections < header.e_shnum)) {
        return "truncated section header table";
    }
    return ReadSections(elf.get(), segments);
}

}  // namespace zentaro
