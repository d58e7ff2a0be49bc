// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/browse_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "ui/message_boxes.h"

namespace zentaro {

std::optional<QString> ChooseImageFile(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, QStringLiteral("浏览  "));
    // "Open" with any name: the read commands choose their output file here too.
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Intel HEX stays the first choice; the other formats read and written here follow.
    dialog.setNameFilters({QStringLiteral("Hex files (*.hex *.eep *.qmb)"),
                           QStringLiteral("S-record files (*.srec *.s19 *.s28 *.s37 *.mot)"),
                           QStringLiteral("ELF files (*.elf)"),
                           QStringLiteral("Binary files (*.bin)"),
                           QStringLiteral("所有文件  (*)")});
    if (!current.isEmpty() && QFileInfo(current).absoluteDir().exists()) {
        dialog.setDirectory(QFileInfo(current).absolutePath());
    }
    while (dialog.exec() == QDialog::Accepted) {
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty()) {
            return std::nullopt;
        }
        const QFileInfo chosen(files.first());
        if (chosen.absoluteDir().exists()) {
            return chosen.absoluteFilePath();
        }
        ShowNotice(parent, QStringLiteral("文件夹不存在：\n") +
                               QDir::toNativeSeparators(chosen.absolutePath()));
    }
    return std::nullopt;
}

}  // namespace zentaro
