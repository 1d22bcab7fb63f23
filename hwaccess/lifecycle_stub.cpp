// Until the access drivers are built, start-up and teardown run as when no driver can be opened.
#include "hwaccess/lifecycle.h"

namespace vx {

class AccessSystem {};

AccessSystem& Win32AccessSystem() {
  static AccessSystem none;
  return none;
}

int OpenAccessDriver(AccessState& access, AccessSystem&) {
  access.pciDriverOpen = false;
  access.accessDriverError = 1;
  return 0;
}

int EnableGiveio(AccessState& access, AccessSystem&) {
  access.giveioOpen = false;
  return 0;
}

void CloseGiveio(AccessState&, AccessSystem&) {}
void CloseAccessDriver(AccessState&, AccessSystem&) {}

}  // namespace vx
