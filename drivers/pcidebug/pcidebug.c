/* The PCIDebug request handler and the recorded-machine bus. Plain C; compiles as C++ too. */
#include "pcidebug.h"

#define PCIDEBUG_MAX_INPUT (8u + PCIDEBUG_CONFIG_BYTES)

static uint32_t LoadLe32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void StoreLe(uint8_t* p, uint32_t value, uint32_t width) {
  uint32_t i;
  for (i = 0; i < width; ++i) p[i] = (uint8_t)(value >> (8 * i));
}

static uint32_t PortWidth(uint32_t code) {
  switch (code) {
    case PCIDEBUG_READ_PORT8:
    case PCIDEBUG_WRITE_PORT8:
      return 1;
    case PCIDEBUG_READ_PORT16:
    case PCIDEBUG_WRITE_PORT16:
      return 2;
    default:
      return 4;
  }
}

uint32_t PciDebugHandleRequest(const PciDebugBus* bus, const PciDebugPorts* ports, uint32_t code,
                               const void* in, uint32_t inLength, void* out, uint32_t outLength,
                               uint32_t* returned) {
  uint8_t request[PCIDEBUG_MAX_INPUT];
  uint8_t* output = (uint8_t*)out;
  uint32_t i, width, status;

  *returned = 0;
  if (inLength > PCIDEBUG_MAX_INPUT) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if ((inLength != 0 && in == 0) || (outLength != 0 && out == 0)) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  /* Take the whole input before anything is stored: with buffered I/O it shares the output buffer. */
  for (i = 0; i < inLength; ++i) request[i] = ((const uint8_t*)in)[i];

  switch (code) {
    case PCIDEBUG_READ_PORT8:
    case PCIDEBUG_READ_PORT16:
    case PCIDEBUG_READ_PORT32:
      width = PortWidth(code);
      if (inLength != 4 || outLength != width) return PCIDEBUG_ERROR_INVALID_PARAMETER;
      if (ports == 0 || ports->in == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
      StoreLe(output, ports->in(ports->context, LoadLe32(request) & 0xFFFFu, width), width);
      *returned = width;
      return PCIDEBUG_OK;

    case PCIDEBUG_WRITE_PORT8:
    case PCIDEBUG_WRITE_PORT16:
    case PCIDEBUG_WRITE_PORT32: {
      uint32_t value = 0;
      width = PortWidth(code);
      if (inLength != 4 + width || outLength != 0) return PCIDEBUG_ERROR_INVALID_PARAMETER;
      if (ports == 0 || ports->out == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
      for (i = 0; i < width; ++i) value |= (uint32_t)request[4 + i] << (8 * i);
      ports->out(ports->context, LoadLe32(request) & 0xFFFFu, width, value);
      return PCIDEBUG_OK;
    }

    case PCIDEBUG_READ_PCI_CONFIG: {
      uint32_t busDevFn, offset;
      if (inLength != 8 || outLength == 0) return PCIDEBUG_ERROR_INVALID_PARAMETER;
      busDevFn = LoadLe32(request) & 0xFFFFu;
      offset = LoadLe32(request + 4);
      if (offset >= PCIDEBUG_CONFIG_BYTES || outLength > PCIDEBUG_CONFIG_BYTES - offset)
        return PCIDEBUG_ERROR_INVALID_PARAMETER;
      if (bus == 0 || bus->read == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
      /* Read into the local copy first so that a failing bus leaves the caller's buffer alone. */
      status = bus->read(bus->context, busDevFn, offset, request, outLength);
      if (status != PCIDEBUG_OK) return status;
      for (i = 0; i < outLength; ++i) output[i] = request[i];
      *returned = outLength;
      return PCIDEBUG_OK;
    }

    case PCIDEBUG_WRITE_PCI_CONFIG: {
      uint32_t busDevFn, offset, count;
      if (inLength <= 8 || outLength != 0) return PCIDEBUG_ERROR_INVALID_PARAMETER;
      busDevFn = LoadLe32(request) & 0xFFFFu;
      offset = LoadLe32(request + 4);
      count = inLength - 8;
      if (offset >= PCIDEBUG_CONFIG_BYTES || count > PCIDEBUG_CONFIG_BYTES - offset)
        return PCIDEBUG_ERROR_INVALID_PARAMETER;
      if (bus == 0 || bus->write == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
      return bus->write(bus->context, busDevFn, offset, request + 8, count);
    }

    case PCIDEBUG_PCI_BIOS_INFO:
      if (inLength != 0 || outLength != 12) return PCIDEBUG_ERROR_INVALID_PARAMETER;
      if (bus == 0 || bus->lastBus == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
      for (i = 0; i < 12; ++i) output[i] = 0;
      output[0] = 1; /* the status and signature below are valid */
      output[4] = (uint8_t)bus->lastBus(bus->context);
      output[5] = 0; /* PCI BIOS present */
      StoreLe(output + 8, PCIDEBUG_BIOS_SIGNATURE, 4);
      *returned = 12;
      return PCIDEBUG_OK;

    default:
      return PCIDEBUG_ERROR_INVALID_FUNCTION;
  }
}

/* ---- The recorded machine ---- */

static int BusPresent(const PciDebugMachine* machine, uint32_t bus) {
  return (machine->busPresent[(bus >> 3) & 31] >> (bus & 7)) & 1;
}

static void MarkBus(PciDebugMachine* machine, uint32_t bus) {
  machine->busPresent[(bus >> 3) & 31] |= (uint8_t)(1u << (bus & 7));
}

void PciDebugMarkBuses(PciDebugMachine* machine) {
  uint32_t i;
  for (i = 0; i < 32; ++i) machine->busPresent[i] = 0;
  MarkBus(machine, 0);
  for (i = 0; i < machine->functionCount; ++i) {
    const PciDebugFunction* f = &machine->functions[i];
    uint32_t headerType = f->config[0x0E] & 0x7F;
    MarkBus(machine, f->busDevFn >> 8);
    if ((headerType == 1 || headerType == 2) && f->recorded > 0x19) MarkBus(machine, f->config[0x19]);
  }
}

static PciDebugFunction* FindFunction(PciDebugMachine* machine, uint32_t busDevFn, uint32_t* status) {
  uint32_t i;
  for (i = 0; i < machine->functionCount; ++i) {
    if (machine->functions[i].busDevFn == busDevFn) {
      *status = PCIDEBUG_OK;
      return &machine->functions[i];
    }
  }
  *status = BusPresent(machine, busDevFn >> 8) ? PCIDEBUG_ERROR_NO_DEVICE : PCIDEBUG_ERROR_NO_BUS;
  return 0;
}

static uint32_t MachineRead(void* context, uint32_t busDevFn, uint32_t offset, uint8_t* out, uint32_t length) {
  uint32_t status, i;
  PciDebugFunction* f = FindFunction((PciDebugMachine*)context, busDevFn, &status);
  if (f == 0) return status;
  for (i = 0; i < length; ++i) out[i] = offset + i < f->recorded ? f->config[offset + i] : 0;
  return PCIDEBUG_OK;
}

static uint32_t MachineWrite(void* context, uint32_t busDevFn, uint32_t offset, const uint8_t* data,
                             uint32_t length) {
  uint32_t status, i;
  PciDebugFunction* f = FindFunction((PciDebugMachine*)context, busDevFn, &status);
  if (f == 0) return status;
  for (i = 0; i < length; ++i) {
    if (offset + i < f->recorded) f->config[offset + i] = data[i];
  }
  return PCIDEBUG_OK;
}

static uint32_t MachineLastBus(void* context) {
  const PciDebugMachine* machine = (const PciDebugMachine*)context;
  uint32_t bus = 255;
  while (bus > 0 && !BusPresent(machine, bus)) --bus;
  return bus;
}

static PciDebugPortByte* FindPort(PciDebugMachine* machine, uint32_t port) {
  uint32_t i;
  for (i = 0; i < machine->portCount; ++i) {
    if (machine->ports[i].port == port) return &machine->ports[i];
  }
  return 0;
}

static uint32_t MachineIn(void* context, uint32_t port, uint32_t width) {
  uint32_t value = 0, i;
  for (i = 0; i < width; ++i) {
    const PciDebugPortByte* b = FindPort((PciDebugMachine*)context, (port + i) & 0xFFFFu);
    value |= (uint32_t)(b != 0 ? b->value : 0xFF) << (8 * i);
  }
  return value;
}

static void MachineOut(void* context, uint32_t port, uint32_t width, uint32_t value) {
  uint32_t i;
  for (i = 0; i < width; ++i) {
    PciDebugPortByte* b = FindPort((PciDebugMachine*)context, (port + i) & 0xFFFFu);
    if (b != 0) b->value = (uint8_t)(value >> (8 * i));
  }
}

void PciDebugMachineBus(PciDebugMachine* machine, PciDebugBus* bus) {
  bus->context = machine;
  bus->read = MachineRead;
  bus->write = MachineWrite;
  bus->lastBus = MachineLastBus;
}

void PciDebugMachinePorts(PciDebugMachine* machine, PciDebugPorts* ports) {
  ports->context = machine;
  ports->in = MachineIn;
  ports->out = MachineOut;
}
