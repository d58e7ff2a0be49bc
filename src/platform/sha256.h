// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zentaro {

// The SHA-256 digest of bytes, from the system's own cryptography.
std::array<uint8_t, 32> Sha256(std::span<const uint8_t> bytes);

}  // namespace zentaro
