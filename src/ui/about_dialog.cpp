// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_dialog.h"

#include "ui/resources.h"
#include "ui_about_dialog.h"
#include "zentaro_version.h"

namespace zentaro {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
    LoadResources();
    ui_->setupUi(this);
    ui_->noticeLabel->setText(QStringLiteral("版权所有 (C) Veltrona  保留所有权利"));
    // The build's version, as --version prints it; the title keeps the product's own "1.35C".
    ui_->versionLabel->setText(QStringLiteral("版本 ") + QString::fromLatin1(kVersion));
    setFixedSize(size());
}

AboutDialog::~AboutDialog() = default;

}  // namespace zentaro
