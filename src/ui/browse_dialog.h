// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace zentaro {

// Lets the user choose a file to read from or write to: the folder must exist, the file
// need not. Opens in the folder of current when there is one. nullopt when cancelled.
std::optional<QString> ChooseImageFile(QWidget* parent, const QString& current);

}  // namespace zentaro
