// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace zentaro {

// The program's message boxes, all captioned with the application title.
// A notice with an OK button.
void ShowNotice(QWidget* parent, const QString& text);
// A Yes/No question; true for Yes.
bool AskYesNoBox(QWidget* parent, const QString& text, bool questionIcon);

}  // namespace zentaro
