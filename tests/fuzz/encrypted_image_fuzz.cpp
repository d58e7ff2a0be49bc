// SPDX-License-Identifier: GPL-3.0-or-later
// Any file bytes fed to the encrypted-image loader.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "blank_check.h"
#include "images/blowfish.h"
#include "images/encrypted_image.h"

namespace {

const zentaro::BlowfishCipher& ImageCipher() {
    static const zentaro::BlowfishCipher cipher = [] {
        zentaro::BlowfishCipher keyed;
        zentaro::SetImageKey(keyed);
        return keyed;
    }();
    return cipher;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using zentaro::fuzz::AllEqual;
    // The image lives across inputs: blank (0x00) before each load.
    static std::vector<uint8_t> image(131072, 0x00);
    zentaro::HexLoadState state{0, 0x1234, true};
    const bool loaded = zentaro::LoadEncryptedImageData(ImageCipher(), data, size, image, state) ==
                        zentaro::EncryptedImageLoad::Loaded;

    if (!loaded) {
        // A refused file changes nothing.
        if (state.highestAddress != 0x1234 || !state.loadedData ||
            !AllEqual(image.data(), image.size(), 0x00)) {
            std::abort();
        }
        return 0;
    }
    const size_t plainLength = state.loadedData ? state.highestAddress + size_t{1} : 0;
    if (size % 8 != 1 || plainLength + 8 < size || plainLength > size - 1) {
        std::abort();
    }
    // The plain bytes, then blank flash to the end of the image.
    const size_t kept = std::min(plainLength, image.size());
    if (!AllEqual(image.data() + kept, image.size() - kept, 0xFF)) {
        std::abort();
    }
    // Without padding, encrypting the plain image again gives back the file.
    if (data[size - 1] == 0 && ImageCipher().EncryptImage(image.data(), plainLength) !=
                                   std::vector<uint8_t>(data, data + size)) {
        std::abort();
    }
    std::memset(image.data(), 0x00, image.size());
    return 0;
}
