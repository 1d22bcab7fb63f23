// Every resource and control id of Vexilor: the resource script builds its templates from these names, the
// page fills write their controls by them, the shell loads its resources by them and the tests read the
// page models by them. The script's compiler takes only #define, so these are macros; the file includes
// nothing and sits below every other folder. A value here is part of the product: the dialogs are laid
// out around them, and one number may name a control in two dialogs (1009 on the CPU page, in the About
// box and on the VGA page).
#pragma once

// ---- Strings, icon, menu and the About box ---------------------------------------------------------
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109
#define IDI_VEXILOR 107
#define IDR_MAIN_MENU 109
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_COPY_REPORT 32771

#define IDD_ABOUT 103
#define IDC_PLATFORM_LINE 1009  // the running system's platform
#define IDC_VERSION_LINE 1010   // the running system's version and build

// The main window's tab control, created by the shell (no template).
#define IDC_PAGE_TABS 1

// ---- The five page dialogs, in tab order ------------------------------------------------------------
#define IDD_CPU_PAGE 200
#define IDD_FEATURE_FLAG_PAGE 201
#define IDD_CACHE_PAGE 135
#define IDD_MB_PAGE 132
#define IDD_VGA_PAGE 203

// ---- CPU page ---------------------------------------------------------------------------------------
#define IDC_CPU_NAME 1018
#define IDC_CPU_VENDOR_ID 1025
#define IDC_CPU_TYPE_ID 1024
#define IDC_CPU_FAMILY_ID 1021
#define IDC_CPU_MODEL_ID 1022
#define IDC_CPU_STEPPING_ID 1023
#define IDC_CPU_PLATFORM 1009
#define IDC_CPU_BRAND_STRING_LABEL 1115  // "CPUName", created disabled
#define IDC_CPU_BRAND_STRING 1020        // created disabled
#define IDC_CPU_BRAND_ID_LABEL 1069      // created disabled
#define IDC_CPU_BRAND_ID 1035            // created disabled
#define IDC_CPU_L1_INST 1027
#define IDC_CPU_L1_DATA 1026
#define IDC_CPU_L2 1028
#define IDC_CPU_L2_LATENCY 1034  // created hidden, never written
#define IDC_CPU_CLOCK 1029
#define IDC_CPU_MMX 1030
#define IDC_CPU_SSE 1031
#define IDC_CPU_MMX_EXT 1052
#define IDC_CPU_3DNOW 1032
#define IDC_CPU_3DNOW_EXT 1033

// ---- F.Flag page: the left column, the right column, the processor number ------------------------------
#define IDC_FLAG_FPU 1034
#define IDC_FLAG_VME 1035
#define IDC_FLAG_DE 1036
#define IDC_FLAG_PSE 1037
#define IDC_FLAG_TSC 1038
#define IDC_FLAG_MSR 1039
#define IDC_FLAG_PAE 1040
#define IDC_FLAG_MCE 1041
#define IDC_FLAG_CX8 1042
#define IDC_FLAG_APIC 1043
#define IDC_FLAG_SEP 1044
#define IDC_FLAG_MTRR 1045
#define IDC_FLAG_PGE 1046
#define IDC_FLAG_MCA 1047
#define IDC_FLAG_CMOV 1048
#define IDC_FLAG_PAT 1049
#define IDC_FLAG_PSE36 1050
#define IDC_FLAG_PN 1051
#define IDC_FLAG_MMX 1030
#define IDC_FLAG_FXSR 1053
#define IDC_FLAG_XMM 1054
#define IDC_FLAG_K86MSR 1056
#define IDC_FLAG_K86MTRR 1057
#define IDC_FLAG_MMX_EXT 1064
#define IDC_FLAG_3DNOW 1032
#define IDC_FLAG_3DNOW_EXT 1033
#define IDC_FLAG_PROCESSOR_NUMBER 1055

// ---- Cache page: a first-level and a second-level grid. Each TLB column has two rows, the second one id
// above the first; the page-size column is shared by the two TLBs of a grid. -------------------------------
#define IDC_L1_TLB_PAGE_SIZE_1 1101
#define IDC_L1_TLB_PAGE_SIZE_2 1102
#define IDC_L1_ITLB_ASSOC_1 1111
#define IDC_L1_ITLB_ASSOC_2 1112
#define IDC_L1_ITLB_ENTRIES_1 1121
#define IDC_L1_ITLB_ENTRIES_2 1122
#define IDC_L1_DTLB_ASSOC_1 1131
#define IDC_L1_DTLB_ASSOC_2 1132
#define IDC_L1_DTLB_ENTRIES_1 1141
#define IDC_L1_DTLB_ENTRIES_2 1142
#define IDC_L1_ICACHE_ASSOC 1151
#define IDC_L1_ICACHE_LINE 1152
#define IDC_L1_ICACHE_SIZE 1153
#define IDC_L1_DCACHE_ASSOC 1161
#define IDC_L1_DCACHE_LINE 1162
#define IDC_L1_DCACHE_SIZE 1163
#define IDC_L2_TLB_PAGE_SIZE_1 1201
#define IDC_L2_TLB_PAGE_SIZE_2 1202
#define IDC_L2_UTLB_ASSOC_1 1211
#define IDC_L2_UTLB_ASSOC_2 1212
#define IDC_L2_UTLB_ENTRIES_1 1221
#define IDC_L2_UTLB_ENTRIES_2 1222
#define IDC_L2_DTLB_ASSOC_1 1231
#define IDC_L2_DTLB_ASSOC_2 1232
#define IDC_L2_DTLB_ENTRIES_1 1242  // the template has this column's two ids the other way round; never
#define IDC_L2_DTLB_ENTRIES_2 1241  // written (the second-level grid shows one TLB)
#define IDC_L2_CACHE_ASSOC 1251
#define IDC_L2_CACHE_LINE 1252
#define IDC_L2_CACHE_SIZE 1253
#define IDC_L2_DCACHE_ASSOC 1261
#define IDC_L2_DCACHE_LINE 1262
#define IDC_L2_DCACHE_SIZE 1263

// ---- M/B page ---------------------------------------------------------------------------------------
#define IDC_MB_CHIPSET 1002             // chipset text (host bridge, refined by the south bridge)
#define IDC_MB_SOUTH_VENDOR 1004        // "%04X"
#define IDC_MB_HOST_NAME 1005           // host bridge chip name
#define IDC_MB_SOUTH_DEVICE 1006        // "%04X"
#define IDC_MB_SOUTH_NAME 1007          // south bridge name
#define IDC_MB_SOUTH_REVISION 1008      // "%02X"
#define IDC_MB_STEPPING 1016            // "%2X"
#define IDC_MB_L2_FIELD 1028            // second-level cache line
#define IDC_MB_SUPER_BYPASS 1065        // AMD-751 only, created disabled
#define IDC_MB_SUPER_BYPASS_LABEL 1067  // "SuperBypass", created disabled
#define IDC_MB_HOST_REVISION 1074       // "%02X"
#define IDC_MB_HOST_VENDOR 1075         // "%04X"
#define IDC_MB_HOST_DEVICE 1076         // "%04X"
#define IDC_MB_BANK0 1077               // banks 0 to 3: 1077 to 1080
#define IDC_MB_BANK1 1078
#define IDC_MB_BANK2 1079
#define IDC_MB_BANK3 1080
#define IDC_MB_L2_LABEL 1081        // "L2Cache" label, created disabled; "L3Cache" on a K6-III
#define IDC_MB_APM_ACPI 1082        // never written
#define IDC_MB_USB 1083             // USB text
#define IDC_MB_MEMORY_TOTAL 1084    // DRAM type and total
#define IDC_MB_APM_ACPI_LABEL 1117  // created disabled
#define IDC_MB_USB_LABEL 1116       // created disabled

// ---- VGA page: the display adapter, then the host bridge's AGP state ----------------------------------
#define IDC_VGA_VENDOR_ID 1070
#define IDC_VGA_DEVICE_ID 1071
#define IDC_VGA_NAME 1072
#define IDC_VGA_REVISION_ID 1073
#define IDC_VGA_REVISION_LABEL 101
#define IDC_VGA_AGP_OPERATION 1004
#define IDC_VGA_CURRENT_RATE 1005
#define IDC_VGA_SUPPORT_RATE 1006
#define IDC_VGA_AGP_REVISION 1007
#define IDC_VGA_AGP_MODE 1008
#define IDC_VGA_SIDE_BAND 1009
#define IDC_VGA_QUEUE_DEPTH 1010
#define IDC_VGA_FOUR_GB 1011
#define IDC_VGA_GTLB_FLUSH 1012
#define IDC_VGA_FAST_WRITE 1013
#define IDC_VGA_READ_SYNC 1014
#define IDC_VGA_APERTURE_SIZE 1015
#define IDC_VGA_OVERRIDE_4X 1016  // "Override AGP 4x": never written, its template keeps it greyed and empty
