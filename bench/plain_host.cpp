// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/plain_host.h"

#include "bench/workload.h"
#include "catalogue/device_profile.h"
#include "operations/link_notices.h"
#include "operations/memory_commands.h"

namespace zentaro {

namespace {

constexpr uint8_t kProgrammerLevel = 3;

}  // namespace

PlainHost::PlainHost(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock)
    : device_(FindDeviceByName(kBenchChip)),
      link_(std::move(port), clock, NoticesOn(panel)),
      panel_(panel) {}

bool PlainHost::Connect() {
    return link_.OpenAndScan() && link_.QueryBlockSize() &&
           link_.SelectDevice(ProfileFor(device_), kProgrammerLevel);
}

bool PlainHost::ProgramFlash(const std::string& hexPath) {
    image_.assign(device_.flashSize, 0xFF);
    CommandContext context{link_, panel_, image_, device_, kProgrammerLevel, {}, hexPath};
    return zentaro::ProgramFlash(context);
}

}  // namespace zentaro
