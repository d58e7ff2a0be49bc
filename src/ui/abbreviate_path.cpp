// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/abbreviate_path.h"

#include <algorithm>
#include <string>

namespace zentaro {

namespace {

bool IsSeparator(char32_t c) {
    return c == U'\\' || c == U'/';
}

// Position of the first separator at or after from, or the length when there is none.
size_t NextSeparator(const std::u32string& text, size_t from) {
    from = std::min(from, text.size());
    while (from < text.size() && !IsSeparator(text[from])) {
        ++from;
    }
    return from;
}

}  // namespace

QString AbbreviatePath(const QString& path, int max) {
    const std::u32string text = path.toStdU32String();
    const long full = static_cast<long>(text.size());
    if (max >= full) {
        return path;
    }
    size_t nameStart = text.size();
    while (nameStart > 0 && !IsSeparator(text[nameStart - 1]) && text[nameStart - 1] != U':') {
        --nameStart;
    }
    const QString fileName = QString::fromStdU32String(text.substr(nameStart));
    const long name = full - static_cast<long>(nameStart);
    if (max < name) {
        return fileName;
    }

    // The volume: past "C:", or past "\\server" for a network path, then one folder more
    // unless the file lies directly in the root.
    size_t volume = 2;
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        volume = NextSeparator(text, 2);
    }
    if (full - name > 3) {
        volume = NextSeparator(text, volume + 1);
    }
    const long vol = static_cast<long>(volume);
    if (volume >= text.size() || max < vol + 5 + name) {
        return fileName;
    }

    // Drop whole folders after the volume until the rest fits behind "\...".
    size_t restStart = volume;
    while (vol + 4 + static_cast<long>(text.size() - restStart) > max) {
        restStart = NextSeparator(text, restStart + 1);
    }
    std::u32string result = text.substr(0, volume);
    result += text[volume];
    result += U"...";
    result += text.substr(restStart);
    return QString::fromStdU32String(result);
}

}  // namespace zentaro
