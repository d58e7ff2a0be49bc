// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <string>

namespace zentaro {

// The white space the record formats allow around a record.
inline bool IsTextSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Hands out a text file's pieces: each up to and including its line feed, at most maxPiece
// characters, so that a line longer than that comes as several pieces. It takes the
// stream's characters a block at a time: a large file is millions of characters, and taking
// them one by one costs more than the parse.
class TextPieces {
public:
    TextPieces(std::istream& file, size_t maxPiece) : file_(file), maxPiece_(maxPiece) {}

    // False at the end of the file.
    bool Next(std::string& piece);

private:
    bool Fill();

    std::istream& file_;
    size_t maxPiece_;
    std::array<char, 4096> block_{};
    size_t next_ = 0;
    size_t end_ = 0;
};

// Clears the stream's state and puts it back to its first character.
void Rewind(std::istream& file);

}  // namespace zentaro
