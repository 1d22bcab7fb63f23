// Controls of the VGA page (dialog 203). 1016 ("Override AGP 4x") is never written: its template keeps it
// greyed and empty.
#pragma once

namespace vx {

enum VgaControl : int {
  // The display adapter.
  kVgaVendorId = 1070,
  kVgaDeviceId = 1071,
  kVgaName = 1072,
  kVgaRevisionId = 1073,
  // The host bridge's AGP state.
  kVgaAgpOperation = 1004,
  kVgaCurrentRate = 1005,
  kVgaSupportRate = 1006,
  kVgaAgpRevision = 1007,
  kVgaAgpMode = 1008,
  kVgaSideBand = 1009,
  kVgaQueueDepth = 1010,
  kVgaFourGb = 1011,
  kVgaGtlbFlush = 1012,
  kVgaFastWrite = 1013,
  kVgaReadSync = 1014,
  kVgaApertureSize = 1015,
};

}  // namespace vx
