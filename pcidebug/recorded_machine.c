/* The recorded machine as a PCI bus and a port space, for the test drivers, the command-line front end and
 * the tests. Plain C; compiles as C++ too. */
#include "pcidebug/pcidebug.h"

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
  *status = BusPresent(machine, busDevFn >> 8) ? ERROR_PCI_NO_DEVICE : ERROR_PCI_NO_BUS;
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
