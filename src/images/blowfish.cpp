// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/blowfish.h"

#include <utility>

#include "images/blowfish_tables.h"

namespace zentaro {
namespace {

constexpr size_t kBlockSize = 8;
constexpr uint8_t kMaxPadding = 7;

uint32_t LoadBigEndian(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
           uint32_t{bytes[3]};
}

void StoreBigEndian(uint32_t word, uint8_t* bytes) {
    bytes[0] = static_cast<uint8_t>(word >> 24);
    bytes[1] = static_cast<uint8_t>(word >> 16);
    bytes[2] = static_cast<uint8_t>(word >> 8);
    bytes[3] = static_cast<uint8_t>(word);
}

}  // namespace

BlowfishCipher::BlowfishCipher() : p_(blowfish_init::kP), s_(blowfish_init::kS) {}

void BlowfishCipher::SetKey(const uint8_t* key, size_t length) {
    p_ = blowfish_init::kP;
    s_ = blowfish_init::kS;
    if (length > 0) {
        size_t next = 0;
        for (uint32_t& entry : p_) {
            uint32_t word = 0;
            for (int i = 0; i < 4; ++i) {
                word = word << 8 | key[next];
                next = (next + 1) % length;
            }
            entry ^= word;
        }
    }
    uint32_t left = 0;
    uint32_t right = 0;
    for (size_t i = 0; i < p_.size(); i += 2) {
        EncryptBlock(left, right);
        p_[i] = left;
        p_[i + 1] = right;
    }
    for (auto& box : s_) {
        for (size_t i = 0; i < box.size(); i += 2) {
            EncryptBlock(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

uint32_t BlowfishCipher::F(uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void BlowfishCipher::EncryptBlock(uint32_t& left, uint32_t& right) const {
    for (size_t i = 0; i < 16; ++i) {
        left ^= p_[i];
        right ^= F(left);
        std::swap(left, right);
    }
    std::swap(left, right);
    right ^= p_[16];
    left ^= p_[17];
}

void BlowfishCipher::DecryptBlock(uint32_t& left, uint32_t& right) const {
    for (size_t i = 17; i > 1; --i) {
        left ^= p_[i];
        right ^= F(left);
        std::swap(left, right);
    }
    std::swap(left, right);
    right ^= p_[1];
    left ^= p_[0];
}

void BlowfishCipher::CryptBlocks(uint8_t* buffer, size_t length, bool encrypt) const {
    for (size_t offset = 0; offset + kBlockSize <= length; offset += kBlockSize) {
        uint32_t left = LoadBigEndian(buffer + offset);
        uint32_t right = LoadBigEndian(buffer + offset + 4);
        if (encrypt) {
            EncryptBlock(left, right);
        } else {
            DecryptBlock(left, right);
        }
        StoreBigEndian(left, buffer + offset);
        StoreBigEndian(right, buffer + offset + 4);
    }
}

bool BlowfishCipher::DecryptImage(uint8_t* buffer, size_t& length) const {
    if (length % kBlockSize != 1) {
        return false;
    }
    const uint8_t padding = buffer[length - 1];
    // Without a block there is nothing to pad.
    if (padding > kMaxPadding || (length == 1 && padding != 0)) {
        return false;
    }
    CryptBlocks(buffer, length - 1, false);
    length -= 1 + padding;
    return true;
}

std::vector<uint8_t> BlowfishCipher::EncryptImage(const uint8_t* plain, size_t length) const {
    const size_t padding = (kBlockSize - length % kBlockSize) % kBlockSize;
    std::vector<uint8_t> image(plain, plain + length);
    image.resize(length + padding, 0);
    CryptBlocks(image.data(), image.size(), true);
    image.push_back(static_cast<uint8_t>(padding));
    return image;
}

}  // namespace zentaro
