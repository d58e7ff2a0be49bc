// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zentaro {

// Shortens a path to at most max characters for display, keeping its volume (drive, a
// network server and share, or the first folder below the root) and its file name:
// "C:\dir1\dir2\dir3\file.hex" at 20 becomes "C:\dir1\...\file.hex". When even that does not
// fit, the result is the file name alone, which may be longer than max. Both '\' and '/'
// separate folders. Characters are counted as whole Unicode characters.
QString AbbreviatePath(const QString& path, int max);

}  // namespace zentaro
