// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zentaro {

// The published 64-bit block cipher: 16 rounds, 18-entry P-array, four 256-entry S-boxes.
class BlowfishCipher {
public:
    BlowfishCipher();
    virtual ~BlowfishCipher() = default;

    // An empty key leaves the initial P-array as it is before the expansion.
    void SetKey(const uint8_t* key, size_t length);
    void EncryptBlock(uint32_t& left, uint32_t& right) const;
    void DecryptBlock(uint32_t& left, uint32_t& right) const;
    // Decrypts a whole encrypted image (8-byte blocks followed by the padding count) in
    // place; length goes from the file length to the plain length. False for a buffer that
    // is not 8 × N + 1 bytes long or whose padding count is outside 0 … 7.
    bool DecryptImage(uint8_t* buffer, size_t& length) const;
    // The inverse of DecryptImage: plain bytes padded to whole blocks with zeros, encrypted,
    // followed by the padding count.
    std::vector<uint8_t> EncryptImage(const uint8_t* plain, size_t length) const;

private:
    uint32_t F(uint32_t x) const;
    // Runs every whole 8-byte block of buffer (big-endian halves) through the cipher.
    void CryptBlocks(uint8_t* buffer, size_t length, bool encrypt) const;

    std::array<uint32_t, 18> p_{};
    std::array<std::array<uint32_t, 256>, 4> s_{};
};

}  // namespace zentaro
