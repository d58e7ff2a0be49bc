// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/encrypted_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "images/blowfish.h"

namespace zentaro {
namespace {

using Key = std::array<uint8_t, 32>;

// The one key of every encrypted image, put together byte by byte right before the key
// setup. This hides nothing: the compiler is free to keep the 32 constants side by side.
void BuildImageKey(Key& key) {
    key[0] = 0x62;
    key[1] = 0x02;
    key[2] = 0x9E;
    key[3] = 0x94;
    key[4] = 0x8A;
    key[5] = 0xAA;
    key[6] = 0x1D;
    key[7] = 0xAD;
    key[8] = 0x31;
    key[9] = 0x32;
    key[10] = 0x3B;
    key[11] = 0x3A;
    key[12] = 0x13;
    key[13] = 0x61;
    key[14] = 0xB5;
    key[15] = 0xFE;
    key[16] = 0xF5;
    key[17] = 0x5B;
    key[18] = 0xF9;
    key[19] = 0x73;
    key[20] = 0x5D;
    key[21] = 0x24;
    key[22] = 0x61;
    key[23] = 0x1E;
    key[24] = 0xF8;
    key[25] = 0xE1;
    key[26] = 0xEA;
    key[27] = 0x22;
    key[28] = 0x25;
    key[29] = 0xC9;
    key[30] = 0xFB;
    key[31] = 0x01;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void SetImageKey(BlowfishCipher& cipher) {
    Key key{};
    BuildImageKey(key);
    cipher.SetKey(key.data(), key.size());
}

// Only the file's own name counts: a folder called "x.ebn" does not turn the HEX files in it
// into encrypted images.
bool IsEncryptedImageName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.find(".ebn", nameStart) != std::string::npos;
}

EncryptedImageLoad LoadEncryptedImage(const std::string& path, std::vector<uint8_t>& image,
                                      HexLoadState& state) {
    // Only a plain file is an image: opening a pipe would wait for a writer.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return EncryptedImageLoad::CannotRead;
    }
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    // One byte more than the largest image tells a file that is too long.
    std::vector<uint8_t> bytes(kMaxEncryptedFileSize + 1);
    const size_t count = file ? std::fread(bytes.data(), 1, bytes.size(), file.get()) : 0;
    if (!file || std::ferror(file.get()) != 0) {
        return EncryptedImageLoad::CannotRead;
    }
    return LoadEncryptedImageData(bytes.data(), count, image, state);
}

EncryptedImageLoad LoadEncryptedImageData(const uint8_t* data, size_t size,
                                          std::vector<uint8_t>& image, HexLoadState& state) {
    BlowfishCipher cipher;
    SetImageKey(cipher);
    return LoadEncryptedImageData(cipher, data, size, image, state);
}

EncryptedImageLoad LoadEncryptedImageData(const BlowfishCipher& cipher, const uint8_t* data,
                                          size_t size, std::vector<uint8_t>& image,
                                          HexLoadState& state) {
    if (size > kMaxEncryptedFileSize) {
        return EncryptedImageLoad::TooLarge;
    }
    std::vector<uint8_t> buffer(data, data + size);
    size_t length = buffer.size();
    if (!cipher.DecryptImage(buffer.data(), length)) {
        return EncryptedImageLoad::NotAnImage;
    }
    // Nothing of an earlier file may stay behind the plain image: page writes take the rest
    // of the last page from the image.
    std::fill(image.begin(), image.end(), uint8_t{0xFF});
    std::copy_n(buffer.begin(), std::min(length, image.size()), image.begin());
    state.highestAddress = length > 0 ? static_cast<uint32_t>(length - 1) : 0;
    state.loadedData = length > 0;
    return EncryptedImageLoad::Loaded;
}

std::vector<uint8_t> EncryptImage(const std::vector<uint8_t>& plain) {
    BlowfishCipher cipher;
    SetImageKey(cipher);
    return cipher.EncryptImage(plain.data(), plain.size());
}

}  // namespace zentaro
