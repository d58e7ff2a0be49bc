// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sha256.h"

#include <nettle/sha2.h>

namespace zentaro {

std::array<uint8_t, 32> Sha256(std::span<const uint8_t> bytes) {
    static_assert(SHA256_DIGEST_SIZE == 32);
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    std::array<uint8_t, 32> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    return digest;
}

}  // namespace zentaro
