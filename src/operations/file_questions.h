// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

#include "common/panel.h"
#include "images/atomic_file.h"
#include "images/encrypted_image.h"

namespace zentaro {

// What the commands tell and ask the user about their files.

// Asks "%s\n这个文件已经存在. ..." when path exists (anything but Yes: nothing, nothing
// written, *declined set), shows "不能建立输出文件            " when the output cannot be
// created.
std::unique_ptr<AtomicFile> CreateOutputFile(const std::string& path, Panel& panel,
                                             bool* declined = nullptr);

// The notice for an encrypted image that was not loaded.
const char* EncryptedImageNotice(EncryptedImageLoad load);

}  // namespace zentaro
