// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_dialog.h"

#include "ui/resources.h"
#include "ui_about_dialog.h"

namespace zentaro {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
    LoadResources();
    ui_->setupUi(this);
    ui_->noticeLabel->setText(QStringLiteral("版权所有 (C) Veltrona  保留所有权利"));
    setFixedSize(size());
}

AboutDialog::~AboutDialog() = default;

}  // namespace zentaro
