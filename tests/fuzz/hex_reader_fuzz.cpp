// Any file fed to the format test and the load, into an 8 KiB and a 128 KiB image.
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "images/hex_reader.h"

namespace {

void LoadInto(const std::string& text, size_t imageSize) {
    std::istringstream file(text);
    zentaro::IsHexFile(file);
    std::vector<uint8_t> image(imageSize, 0xFF);
    zentaro::HexLoadState state;
    zentaro::LoadHexImage(file, image, state);

    // A stored byte lies at or below the highest address, and only after some data.
    const auto lastStored =
        std::find_if(image.rbegin(), image.rend(), [](uint8_t b) { return b != 0xFF; });
    const bool stored = lastStored != image.rend();
    if (image.size() != imageSize || (stored && !state.loadedData) ||
        (!state.loadedData && state.highestAddress != 0) ||
        (stored && static_cast<size_t>(image.rend() - lastStored - 1) > state.highestAddress)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LoadInto(text, 8192);
    LoadInto(text, 131072);
    return 0;
}
