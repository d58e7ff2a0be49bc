// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/hex_reader.h"

namespace zentaro {

class BlowfishCipher;

// The largest encrypted file: 16383 blocks and the padding byte.
inline constexpr size_t kMaxEncryptedFileSize = 131065;

// True when the file's name (the path's last component) contains ".ebn" anywhere
// (case-sensitive).
bool IsEncryptedImageName(const std::string& path);

enum class EncryptedImageLoad { Loaded, CannotRead, TooLarge, NotAnImage };

// Decrypts the file into image from address 0, after filling image with 0xFF. When the file
// cannot be read or is not a well-formed encrypted image, image is left as it was. On
// success state holds the plain length's last address and loadedData.
[[nodiscard]] EncryptedImageLoad LoadEncryptedImage(const std::string& path,
                                                    std::vector<uint8_t>& image,
                                                    HexLoadState& state);
// The same for the file's bytes already in memory.
[[nodiscard]] EncryptedImageLoad LoadEncryptedImageData(const uint8_t* data, size_t size,
                                                        std::vector<uint8_t>& image,
                                                        HexLoadState& state);
// The same with a cipher already keyed by SetImageKey, for callers that load many images and
// would otherwise pay the key setup for each.
[[nodiscard]] EncryptedImageLoad LoadEncryptedImageData(const BlowfishCipher& cipher,
                                                        const uint8_t* data, size_t size,
                                                        std::vector<uint8_t>& image,
                                                        HexLoadState& state);
// Sets the one key every encrypted image is made with.
void SetImageKey(BlowfishCipher& cipher);

// The encrypted file for a plain flash image, under the same key: what a tool making images
// for this program writes.
std::vector<uint8_t> EncryptImage(const std::vector<uint8_t>& plain);

}  // namespace zentaro
