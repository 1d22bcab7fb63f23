// The display adapter: finding the VGA-compatible function on PCI, reading its configuration image and
// naming it from the vendors' model tables.
#pragma once

#include <stdint.h>

#include "report/text.h"

namespace vx {

struct AccessState;

using NameText = Text<257>;

struct GraphicsAdapter {
  uint32_t bus;
  uint32_t device;
  uint32_t function;
  uint8_t image[256];  // configuration bytes 0x00-0xFF; bytes a short read did not reach are zero
  uint16_t vendorId;
  uint16_t deviceId;
  uint8_t revisionId;
  uint16_t subsystemId;  // 0x2E-0x2F; the subsystem vendor ID is not consulted
};

// The first function whose class dword reads display controller, VGA-compatible (0x0300xxxx): bus 1
// first, then buses 0 to 255, all eight functions of every device.
bool FindGraphicsAdapter(AccessState& access, uint32_t* bus, uint32_t* device, uint32_t* function);

// Reads the 256-byte configuration image from register 0 and fills the ID fields; false when not one
// byte could be read.
bool ReadGraphicsAdapter(AccessState& access, uint32_t bus, uint32_t device, uint32_t function,
                         GraphicsAdapter* adapter);

// A vendor's model routine: reads the device and subsystem IDs from the image, may write a model text,
// and answers nonzero when the board is named.
using ModelNamer = int (*)(const uint8_t* image, NameText& model);

int NameMatroxModel(const uint8_t* image, NameText& model);
int NameNvidiaModel(const uint8_t* image, NameText& model);
int NameAtiModel(const uint8_t* image, NameText& model);
int Name3dfxModel(const uint8_t* image, NameText& model);
int Name3DlabsModel(const uint8_t* image, NameText& model);
int NameS3Model(const uint8_t* image, NameText& model);
int NameNumberNineModel(const uint8_t* image, NameText& model);
int NameSisModel(const uint8_t* image, NameText& model);
int NameChipsModel(const uint8_t* image, NameText& model);
int NameCirrusModel(const uint8_t* image, NameText& model);
int NameTridentModel(const uint8_t* image, NameText& model);
int NameNeoMagicModel(const uint8_t* image, NameText& model);
int NameRenditionModel(const uint8_t* image, NameText& model);
int NameTsengModel(const uint8_t* image, NameText& model);
int NameIntelGraphicsModel(const uint8_t* image, NameText& model);

// The Rage 128 family, named from the device's model word and bus and the board's subsystem ID.
void FormatRage128Name(uint16_t deviceId, uint16_t subsystemId, NameText& model);

// The name shown in the Name field and on the "VGA Name" line; "No Support" when not named.
void NameGraphicsAdapter(const GraphicsAdapter& adapter, NameText& name);

}  // namespace vx
