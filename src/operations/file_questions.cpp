// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/file_questions.h"

#include "platform/file.h"

namespace zentaro {

std::unique_ptr<AtomicFile> CreateOutputFile(const std::string& path, Panel& panel,
                                             bool* declined) {
    if (PathExists(path) &&
        !panel.AskYesNo(path + "\n这个文件已经存在.        \n覆盖这个文件吗?       ", true)) {
        if (declined != nullptr) {
            *declined = true;
        }
        return nullptr;
    }
    auto file = AtomicFile::Create(path);
    if (!file) {
        panel.Notice("不能建立输出文件            ");
    }
    return file;
}

const char* EncryptedImageNotice(EncryptedImageLoad load) {
    switch (load) {
        case EncryptedImageLoad::TooLarge:
            return "加密映像文件太大 (超过 131065 字节)!  ";
        case EncryptedImageLoad::NotAnImage:
            return "您指定的文件不是一个有效的加密映像文件!  ";
        default:
            return "不能读取输入文件         ";
    }
}

}  // namespace zentaro
