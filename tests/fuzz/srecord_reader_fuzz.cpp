// SPDX-License-Identifier: GPL-3.0-or-later
// Any file fed to the S-record load, into an 8 KiB and a 128 KiB image.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "blank_check.h"
#include "images/srecord_reader.h"

namespace {

// The images live across inputs; each load leaves them blank again for the next.
void LoadInto(std::istringstream& file, size_t lines, std::vector<uint8_t>& image) {
    zentaro::ImageLoadState state;
    const size_t imageSize = image.size();
    const zentaro::SRecordLoad load = zentaro::LoadSRecordImage(file, image, state);
    if (image.size() != imageSize || (!state.loadedData && state.highestAddress != 0) ||
        load.malformedLine > lines) {
        std::abort();
    }

    zentaro::fuzz::RequireBlankAboveLoaded(image, state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> small(8192, 0xFF);
    static std::vector<uint8_t> large(131072, 0xFF);
    static std::istringstream file;
    const std::string text(reinterpret_cast<const char*>(data), size);
    // A last line without a line feed is a line too.
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    file.str(text);
    LoadInto(file, lines, small);
    LoadInto(file, lines, large);
    return 0;
}
