// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sha256.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

namespace zentaro {

std::array<uint8_t, 32> Sha256(std::span<const uint8_t> bytes) {
    std::array<uint8_t, 32> digest{};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
        return digest;
    }
    // The input is never larger than a device's memory, far below what one call takes.
    BCryptHash(algorithm, nullptr, 0, const_cast<PUCHAR>(bytes.data()),
               static_cast<ULONG>(bytes.size()), digest.data(), static_cast<ULONG>(digest.size()));
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return digest;
}

}  // namespace zentaro
