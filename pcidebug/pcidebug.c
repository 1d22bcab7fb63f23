/* The PCIDebug request handler. Plain C; compiles as C++ too. */
#include "pcidebug/pcidebug.h"

#include "pcidebug/little_endian.h"

#define PCIDEBUG_MAX_INPUT (PCIDEBUG_CONFIG_REQUEST_BYTES + PCIDEBUG_CONFIG_BYTES)

static uint32_t PortWidth(uint32_t code) {
  switch (code) {
    case IOCTL_READ_PORT8:
    case IOCTL_WRITE_PORT8:
      return 1;
    case IOCTL_READ_PORT16:
    case IOCTL_WRITE_PORT16:
      return 2;
    default:
      return 4;
  }
}

/* Each request below gets its input already copied to `request` (inLength bytes). */

static uint32_t ReadPort(const PciDebugPorts* ports, uint32_t code, const uint8_t* request, uint32_t inLength,
                         uint8_t* output, uint32_t outLength, uint32_t* returned) {
  uint32_t width = PortWidth(code);
  if (inLength != PCIDEBUG_PORT_REQUEST_BYTES || outLength != width) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if (ports == 0 || ports->in == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
  StoreLe(output, ports->in(ports->context, LoadLe32(request) & 0xFFFFu, width), width);
  *returned = width;
  return PCIDEBUG_OK;
}

static uint32_t WritePort(const PciDebugPorts* ports, uint32_t code, const uint8_t* request, uint32_t inLength,
                          uint32_t outLength) {
  uint32_t i, value = 0, width = PortWidth(code);
  if (inLength != PCIDEBUG_PORT_REQUEST_BYTES + width || outLength != 0) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if (ports == 0 || ports->out == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
  for (i = 0; i < width; ++i) value |= (uint32_t)request[PCIDEBUG_PORT_REQUEST_BYTES + i] << (8 * i);
  ports->out(ports->context, LoadLe32(request) & 0xFFFFu, width, value);
  return PCIDEBUG_OK;
}

/* `request` is also where the bytes are read to first, so that a failing bus leaves the caller's buffer
 * alone. */
static uint32_t ReadConfig(const PciDebugBus* bus, uint8_t* request, uint32_t inLength, uint8_t* output,
                           uint32_t outLength, uint32_t* returned) {
  uint32_t i, busDevFn, offset, status;
  if (inLength != PCIDEBUG_CONFIG_REQUEST_BYTES || outLength == 0) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  busDevFn = LoadLe32(request) & 0xFFFFu;
  offset = LoadLe32(request + 4);
  if (offset >= PCIDEBUG_CONFIG_BYTES || outLength > PCIDEBUG_CONFIG_BYTES - offset)
    return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if (bus == 0 || bus->read == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
  status = bus->read(bus->context, busDevFn, offset, request, outLength);
  if (status != PCIDEBUG_OK) return status;
  for (i = 0; i < outLength; ++i) output[i] = request[i];
  *returned = outLength;
  return PCIDEBUG_OK;
}

static uint32_t WriteConfig(const PciDebugBus* bus, const uint8_t* request, uint32_t inLength, uint32_t outLength) {
  uint32_t busDevFn, offset, count;
  if (inLength <= PCIDEBUG_CONFIG_REQUEST_BYTES || outLength != 0) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  busDevFn = LoadLe32(request) & 0xFFFFu;
  offset = LoadLe32(request + 4);
  count = inLength - PCIDEBUG_CONFIG_REQUEST_BYTES;
  if (offset >= PCIDEBUG_CONFIG_BYTES || count > PCIDEBUG_CONFIG_BYTES - offset)
    return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if (bus == 0 || bus->write == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
  return bus->write(bus->context, busDevFn, offset, request + PCIDEBUG_CONFIG_REQUEST_BYTES, count);
}

static uint32_t BiosInfo(const PciDebugBus* bus, uint32_t inLength, uint8_t* output, uint32_t outLength,
                         uint32_t* returned) {
  uint32_t i, lastBus;
  if (inLength != 0 || outLength != PCIDEBUG_BIOS_INFO_BYTES) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if (bus == 0 || bus->lastBus == 0) return PCIDEBUG_ERROR_NOT_SUPPORTED;
  lastBus = bus->lastBus(bus->context);
  for (i = 0; i < PCIDEBUG_BIOS_INFO_BYTES; ++i) output[i] = 0;
  output[PCIDEBUG_BIOS_TEST_FLAG] = 1; /* the status and signature below are valid */
  if (lastBus == PCIDEBUG_NO_PCI_BUS) {
    output[PCIDEBUG_BIOS_STATUS] = 1; /* no PCI BIOS: not even bus 0 answers */
  } else {
    output[PCIDEBUG_BIOS_LAST_BUS] = (uint8_t)lastBus;
    StoreLe32(output + PCIDEBUG_BIOS_SIGNATURE_AT, PCIDEBUG_BIOS_SIGNATURE);
  }
  *returned = PCIDEBUG_BIOS_INFO_BYTES;
  return PCIDEBUG_OK;
}

uint32_t PciDebugHandleRequest(const PciDebugBus* bus, const PciDebugPorts* ports, uint32_t code,
                               const void* in, uint32_t inLength, void* out, uint32_t outLength,
                               uint32_t* returned) {
  uint8_t request[PCIDEBUG_MAX_INPUT];
  uint8_t* output = (uint8_t*)out;
  uint32_t i;

  *returned = 0;
  if (inLength > PCIDEBUG_MAX_INPUT) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  if ((inLength != 0 && in == 0) || (outLength != 0 && out == 0)) return PCIDEBUG_ERROR_INVALID_PARAMETER;
  /* Take the whole input before anything is stored: with buffered I/O it shares the output buffer. */
  for (i = 0; i < inLength; ++i) request[i] = ((const uint8_t*)in)[i];

  switch (code) {
    case IOCTL_READ_PORT8:
    case IOCTL_READ_PORT16:
    case IOCTL_READ_PORT32:
      return ReadPort(ports, code, request, inLength, output, outLength, returned);
    case IOCTL_WRITE_PORT8:
    case IOCTL_WRITE_PORT16:
    case IOCTL_WRITE_PORT32:
      return WritePort(ports, code, request, inLength, outLength);
    case IOCTL_READ_PCI_CONFIG:
      return ReadConfig(bus, request, inLength, output, outLength, returned);
    case IOCTL_WRITE_PCI_CONFIG:
      return WriteConfig(bus, request, inLength, outLength);
    case IOCTL_PCI_BIOS_INFO:
      return BiosInfo(bus, inLength, output, outLength, returned);
    default:
      return PCIDEBUG_ERROR_INVALID_FUNCTION;
  }
}
