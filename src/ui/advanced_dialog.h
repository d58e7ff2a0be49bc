#pragma once

#include <cstdint>

#include "catalogue/device_table.h"
#include "link/low_io.h"

class QWidget;

namespace zentaro {

// Shows the advanced options (lock and fuse bits, signature, board identity) modally for the
// selected device. The caller has selected the device on the board just before.
void RunAdvancedOptionsDialog(QWidget* parent, CLowIO& link, DeviceRecord& device,
                              uint8_t programmerLevel);

}  // namespace zentaro
