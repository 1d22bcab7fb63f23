// The processor's feature flags, listed once: the record keeps one value per row, the probe reads each
// from the CPUID leaf and bit of its row, the F.Flag page shows each under its label in its control.
#pragma once

#include "resources/control_ids.h"

namespace vx {

// Where a flag comes from.
enum FlagSource : int {
  kStandardEdx,  // CPUID leaf 1, EDX
  kExtendedEdx,  // CPUID leaf 0x80000001, EDX
  kSignature,    // the signature: its low 12 bits in 0x588-0x5FF, whatever the vendor (K86MTRR)
};

// X(name, label, source, bit, control), in the F.Flag page's order: its left column top to bottom, then its
// right column. (EDX bit 10 and bits 19-22 of leaf 1 set nothing.)
#define VX_FEATURE_FLAGS(X)                               \
  X(Fpu, "FPU", kStandardEdx, 0, IDC_FLAG_FPU)            \
  X(Vme, "VME", kStandardEdx, 1, IDC_FLAG_VME)            \
  X(De, "DE", kStandardEdx, 2, IDC_FLAG_DE)               \
  X(Pse, "PSE", kStandardEdx, 3, IDC_FLAG_PSE)            \
  X(Tsc, "TSC", kStandardEdx, 4, IDC_FLAG_TSC)            \
  X(Msr, "MSR", kStandardEdx, 5, IDC_FLAG_MSR)            \
  X(Pae, "PAE", kStandardEdx, 6, IDC_FLAG_PAE)            \
  X(Mce, "MCE", kStandardEdx, 7, IDC_FLAG_MCE)            \
  X(Cx8, "CX8", kStandardEdx, 8, IDC_FLAG_CX8)            \
  X(Apic, "APIC", kStandardEdx, 9, IDC_FLAG_APIC)         \
  X(Sep, "SEP", kStandardEdx, 11, IDC_FLAG_SEP)           \
  X(Mtrr, "MTRR", kStandardEdx, 12, IDC_FLAG_MTRR)        \
  X(Pge, "PGE", kStandardEdx, 13, IDC_FLAG_PGE)           \
  X(Mca, "MCA", kStandardEdx, 14, IDC_FLAG_MCA)           \
  X(Cmov, "CMOV", kStandardEdx, 15, IDC_FLAG_CMOV)        \
  X(Pat, "PAT", kStandardEdx, 16, IDC_FLAG_PAT)           \
  X(Pse36, "PSE-36", kStandardEdx, 17, IDC_FLAG_PSE36)    \
  X(Pn, "PN", kStandardEdx, 18, IDC_FLAG_PN)              \
  X(Mmx, "MMX", kStandardEdx, 23, IDC_FLAG_MMX)           \
  X(Fxsr, "FXSR", kStandardEdx, 24, IDC_FLAG_FXSR)        \
  X(Xmm, "XMM", kStandardEdx, 25, IDC_FLAG_XMM)           \
  X(K86Msr, "K86MSR", kExtendedEdx, 5, IDC_FLAG_K86MSR)   \
  X(K86Mtrr, "K86MTRR", kSignature, 0, IDC_FLAG_K86MTRR)  \
  X(MmxExt, "MMX+", kExtendedEdx, 22, IDC_FLAG_MMX_EXT)   \
  X(Amd3DNow, "3DNow!", kExtendedEdx, 31, IDC_FLAG_3DNOW) \
  X(Amd3DNowExt, "3DNow!+", kExtendedEdx, 30, IDC_FLAG_3DNOW_EXT)

// The record's index of each flag: kFlagFpu, kFlagVme, ...
enum FeatureFlag : int {
#define VX_FLAG_INDEX(name, label, source, bit, control) kFlag##name,
  VX_FEATURE_FLAGS(VX_FLAG_INDEX)
#undef VX_FLAG_INDEX
  kFeatureFlagCount
};

struct FeatureFlagDef {
  const char* label;  // as the F.Flag page and its report section show it
  FlagSource source;
  int bit;
  int controlId;  // the F.Flag page's value control
};

inline constexpr FeatureFlagDef kFeatureFlags[kFeatureFlagCount] = {
#define VX_FLAG_DEF(name, label, source, bit, control) {label, source, bit, control},
    VX_FEATURE_FLAGS(VX_FLAG_DEF)
#undef VX_FLAG_DEF
};

}  // namespace vx
