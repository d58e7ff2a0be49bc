// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "images/image_format.h"
#include "images/image_load_state.h"

namespace zentaro {

// How loading a firmware file went.
struct ImageFileLoad {
    enum class Result {
        Loaded,
        CannotOpen,        // no plain file there, or it cannot be read
        NotThisFormat,     // no file of its format, or of any format read here
        NothingForMemory,  // an ELF file without a byte for the memory asked for
    };
    Result result = Result::CannotOpen;
    // The format the file was read as: the one given, or the one its content and name show.
    ImageFormat format = ImageFormat::Unknown;
    // False when some record's checksum did not match; its data was stored all the same.
    bool checksumsMatch = true;
    // Why the file was refused, in English and with the place where there is one, such as
    // "line 17: not an S-record".
    std::string reason;

    bool Loaded() const { return result == Result::Loaded; }
};

// Loads the firmware file at path for one memory into image: Intel HEX, S-records, a raw
// image or an ELF file, as format says or, without it, as the file shows. Once the file has
// shown itself to be of its format, image is filled with 0xFF and state starts afresh; a file
// refused before that leaves both as they were. An encrypted image's name counts for nothing
// here: such a file is read as the Intel HEX it would have to be.
ImageFileLoad LoadImageFile(const std::string& path, std::optional<ImageFormat> format,
                            ImageMemory memory, std::vector<uint8_t>& image, ImageLoadState& state);

class AtomicFile;

// Writes the size bytes of memory from address 0 in format: S-records, a raw image, or Intel
// HEX for any other.
[[nodiscard]] bool WriteImageFile(ImageFormat format, AtomicFile& file, const uint8_t* memory,
                                  uint32_t size);

// The formats read here, for messages: "Intel HEX, S-record, ELF or raw binary (.bin)".
extern const char kReadableFormats[];

}  // namespace zentaro
