#include "cpu/cpu_record.h"

namespace vx {

// Attachment point for the naming by vendor: until it is built name and platform stay empty.
void NameCpu(CpuRecord& record) { (void)record; }

}  // namespace vx
