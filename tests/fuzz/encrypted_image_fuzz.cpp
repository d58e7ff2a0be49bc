// Any file bytes fed to the encrypted-image loader.
#include <algorithm>
#include <cstdlib>

#include "images/encrypted_image.h"

namespace {

class CountingPanel : public zentaro::Panel {
public:
    void Notice(const std::string&) override { ++notices; }
    bool AskYesNo(const std::string&, bool) override { return false; }
    void SetStatus(const std::string&) override {}
    void AppendStatus(const std::string&) override {}
    void StartStatusTimeout() override {}
    void StartProgress(int) override {}
    void SetProgressPosition(int) override {}
    void EndProgress() override {}
    std::string Browse() override { return {}; }

    int notices = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CountingPanel panel;
    std::vector<uint8_t> image(131072, 0x00);
    zentaro::HexLoadState state{0, 0x1234, true};
    const bool loaded = zentaro::LoadEncryptedImageData(data, size, image, state, panel);

    if (!loaded) {
        // A refused file changes nothing and says why once.
        if (panel.notices != 1 || state.highestAddress != 0x1234 || !state.loadedData ||
            std::any_of(image.begin(), image.end(), [](uint8_t b) { return b != 0; })) {
            std::abort();
        }
        return 0;
    }
    const size_t plainLength = state.loadedData ? state.highestAddress + size_t{1} : 0;
    if (panel.notices != 0 || size % 8 != 1 || plainLength + 8 < size || plainLength > size - 1) {
        std::abort();
    }
    // Without padding, encrypting the plain image again gives back the file.
    if (data[size - 1] == 0) {
        const std::vector<uint8_t> plain(image.begin(), image.begin() + plainLength);
        if (zentaro::EncryptImage(plain) != std::vector<uint8_t>(data, data + size)) {
            std::abort();
        }
    }
    return 0;
}
