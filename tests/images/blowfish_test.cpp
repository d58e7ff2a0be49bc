// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/blowfish.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zentaro {
namespace {

std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

uint32_t Half(const std::string& block, size_t which) {
    return static_cast<uint32_t>(std::stoul(block.substr(8 * which, 8), nullptr, 16));
}

struct Vector {
    std::string key;
    std::string plain;
    std::string cipher;
};

std::vector<Vector> ReadVectors() {
    std::ifstream file(ZENTARO_IMAGES_DATA "/blowfish_ecb_vectors.txt");
    std::vector<Vector> vectors;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        Vector v;
        std::istringstream(line) >> v.key >> v.plain >> v.cipher;
        vectors.push_back(v);
    }
    return vectors;
}

TEST(BlowfishTest, PublishedVectorsEncryptAndDecrypt) {
    const auto vectors = ReadVectors();
    ASSERT_EQ(vectors.size(), 35u);
    for (const Vector& v : vectors) {
        const auto key = FromHex(v.key);
        BlowfishCipher cipher;
        cipher.SetKey(key.data(), key.size());
        uint32_t left = Half(v.plain, 0);
        uint32_t right = Half(v.plain, 1);
        cipher.EncryptBlock(left, right);
        EXPECT_EQ(left, Half(v.cipher, 0)) << v.key;
        EXPECT_EQ(right, Half(v.cipher, 1)) << v.key;
        cipher.DecryptBlock(left, right);
        EXPECT_EQ(left, Half(v.plain, 0)) << v.key;
        EXPECT_EQ(right, Half(v.plain, 1)) << v.key;
    }
}

TEST(BlowfishTest, EightByteKeyVector) {
    // Published vector: key FEDCBA9876543210, block 0123456789ABCDEF.
    const uint8_t key[] = {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
    BlowfishCipher cipher;
    cipher.SetKey(key, sizeof key);
    uint32_t left = 0x01234567;
    uint32_t right = 0x89ABCDEF;
    cipher.EncryptBlock(left, right);
    EXPECT_EQ(left, 0x0ACEAB0Fu);
    EXPECT_EQ(right, 0xC6A0A28Du);
}

TEST(BlowfishTest, ImageRoundTripDropsThePadding) {
    const uint8_t key[] = {0x10, 0x20, 0x30, 0x40, 0x50};
    BlowfishCipher cipher;
    cipher.SetKey(key, sizeof key);
    for (size_t length : {0u, 13u, 16u}) {
        std::vector<uint8_t> plain(length);
        for (size_t i = 0; i < length; ++i) {
            plain[i] = static_cast<uint8_t>(i * 37 + 1);
        }
        std::vector<uint8_t> image = cipher.EncryptImage(plain.data(), plain.size());
        ASSERT_EQ(image.size() % 8, 1u);
        EXPECT_EQ(image.back(), (8 - length % 8) % 8);
        if (length > 0) {
            EXPECT_NE(std::vector<uint8_t>(image.data(), image.data() + length), plain);
        }
        size_t imageLength = image.size();
        ASSERT_TRUE(cipher.DecryptImage(image.data(), imageLength));
        EXPECT_EQ(std::vector<uint8_t>(image.data(), image.data() + imageLength), plain);
    }
}

TEST(BlowfishTest, MalformedImageIsRefusedUntouched) {
    BlowfishCipher cipher;
    const std::vector<std::vector<uint8_t>> bad = {
        {},     std::vector<uint8_t>(8, 0),     std::vector<uint8_t>(10, 0),
        {0x01}, {1, 2, 3, 4, 5, 6, 7, 8, 0x08}, {1, 2, 3, 4, 5, 6, 7, 8, 0xFD},
    };
    for (const auto& image : bad) {
        std::vector<uint8_t> buffer = image;
        size_t length = buffer.size();
        EXPECT_FALSE(cipher.DecryptImage(buffer.data(), length)) << image.size();
        EXPECT_EQ(length, image.size());
        EXPECT_EQ(buffer, image);
    }
}

}  // namespace
}  // namespace zentaro
