#pragma once
// What is connected and in what state: device kinds, status bytes and their
// bits, identification, the status read and the receipt counter.
#include <cstdint>
#include <string>

#include "driver_types.h"
#include "printer_link/engine/engine.h"

namespace kavoruw {

// "MX720A 5-stawkowa" ... "INNE URZADZENIE"; "NIEZNANE" outside 0..7.
std::string DeviceKindName(uint32_t kind);

// Reads one status byte with its short or long command; the engine's code.
int32_t ReadStatusByte(TEngineLink& link, uint8_t command, uint8_t& value);

// The four status bytes, asked with their short commands in this order.
struct TStatusSet {
  uint8_t fiscal = 0;
  uint8_t printer = 0;
  uint8_t print = 0;
  uint8_t service = 0;
};
int32_t ReadStatusSet(TEngineLink& link, TStatusSet& s);

// The gate of commands that need a working printer: the printer status read
// (its engine error), then 107 for CMOS erased and 102 for no controller link.
int32_t StatusGate(TEngineLink& link);

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t ReadDeviceType(TEngineLink& link, uint8_t& kind, uint32_t& version);
}  // namespace inner

}  // namespace kavoruw
