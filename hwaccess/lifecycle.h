// Opening and closing the access drivers at start-up and exit: the PCIDebug driver (a kernel-driver
// service on Windows NT, a VxD on Windows 9x), else on Windows NT the giveio driver.
#pragma once

#include <stdint.h>

#include "hwaccess/access.h"

namespace vx {

// The service control manager, device files, directories and version query that the lifecycle uses.
class AccessSystem;

// The real one (Windows only).
AccessSystem& Win32AccessSystem();

// 1 when the PCIDebug driver is open, else 0; sets access.accessMode, the driver and accessDriverError.
int OpenAccessDriver(AccessState& access, AccessSystem& system);
// Windows NT only: 1 when the giveio device is open (direct port access granted), else 0.
int EnableGiveio(AccessState& access, AccessSystem& system);
void CloseGiveio(AccessState& access, AccessSystem& system);
void CloseAccessDriver(AccessState& access, AccessSystem& system);

}  // namespace vx
