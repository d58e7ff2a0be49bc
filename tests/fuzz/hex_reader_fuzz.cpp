// SPDX-License-Identifier: GPL-3.0-or-later
// Any file fed to the format test and the load, into an 8 KiB and a 128 KiB image.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "blank_check.h"
#include "images/hex_reader.h"

namespace {

// The images live across inputs; each load leaves them blank again for the next.
void LoadInto(std::istringstream& file, std::vector<uint8_t>& image) {
    zentaro::IsHexFile(file);
    zentaro::HexLoadState state;
    const size_t imageSize = image.size();
    // Any input may fail to load; what matters is what the load did to the image.
    static_cast<void>(zentaro::LoadHexImage(file, image, state));
    if (image.size() != imageSize || (!state.loadedData && state.highestAddress != 0)) {
        std::abort();
    }

    zentaro::fuzz::RequireBlankAboveLoaded(image, state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> small(8192, 0xFF);
    static std::vector<uint8_t> large(131072, 0xFF);
    static std::istringstream file;
    file.str(std::string(reinterpret_cast<const char*>(data), size));
    LoadInto(file, small);
    LoadInto(file, large);
    return 0;
}
