// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/text_pieces.h"

#include <algorithm>
#include <cstring>

namespace zentaro {

bool TextPieces::Next(std::string& piece) {
    piece.clear();
    while (piece.size() < maxPiece_ && (next_ < end_ || Fill())) {
        const char* from = block_.data() + next_;
        const size_t available = std::min(end_ - next_, maxPiece_ - piece.size());
        const auto* feed = static_cast<const char*>(std::memchr(from, '\n', available));
        const size_t taken = feed != nullptr ? static_cast<size_t>(feed - from) + 1 : available;
        piece.append(from, taken);
        next_ += taken;
        if (feed != nullptr) {
            break;
        }
    }
    return !piece.empty();
}

bool TextPieces::Fill() {
    next_ = 0;
    end_ = static_cast<size_t>(
        file_.rdbuf()->sgetn(block_.data(), static_cast<std::streamsize>(block_.size())));
    if (end_ == 0) {
        file_.setstate(std::ios::eofbit);
    }
    return end_ > 0;
}

void Rewind(std::istream& file) {
    file.clear();
    file.seekg(0, std::ios::beg);
}

}  // namespace zentaro
