// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace zentaro {

// The program's message boxes, all captioned with the application title.
// A notice with an OK button.
void ShowNotice(QWidget* parent, const QString& text);
// A command that ended by a fault of the program, with what went wrong.
void ShowFault(QWidget* parent, const std::string& what);
// A Yes/No question; true for Yes.
bool AskYesNoBox(QWidget* parent, const QString& text, bool questionIcon);
// A Yes/No question with the warning icon and No as the default button.
bool AskWarningBox(QWidget* parent, const QString& text);

}  // namespace zentaro
