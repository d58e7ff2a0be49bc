#pragma once

#include <memory>

class QWidget;

namespace zentaro {

class AdvancedOptions;

// Shows the advanced options (lock and fuse bits, signature, board identity) modally. The
// caller has selected the device on the board just before.
void RunAdvancedOptionsDialog(QWidget* parent, std::unique_ptr<AdvancedOptions> options);

}  // namespace zentaro
