#include "printer_link/device/device.h"

#include <array>

#include "printer_link/commands/console_hooks.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/engine/engine.h"
#include "kavoruw_codes.h"
#include "printer_link/link/link.h"

namespace kavoruw {

namespace {

constexpr std::array<const char*, 8> kDeviceNames = {
    "MX720A 5-stawkowa",       "MX720A 7-stawkowa",       "KAVOR I generacji",
    "KAVOR II generacji",      "MX720B 5-st. (apteczna)", "MX720B 7-st. (apteczna)",
    "KAVOR F (apteczna)",      "INNE URZADZENIE"};

// Type bytes of the 0xFF answer.
constexpr uint8_t kTypeMx720A5 = 2;
constexpr uint8_t kTypeMx720B5 = 5;
constexpr uint8_t kTypeMx720A7 = 17;
constexpr uint8_t kTypePharmacy = 18;
constexpr uint8_t kTypeKavor = 44;

// Sends a long status command and stores its byte as soon as it arrives.
int32_t ReadLongStatus(uint8_t command, uint8_t& value) {
  Block answer{};
  int32_t r = ExecuteSequence(command, 2, {}, &answer);
  if (r == 0) value = answer[0];
  return r;
}

}  // namespace

std::string DeviceKindName(uint32_t kind) {
  return kind < kDeviceNames.size() ? kDeviceNames[kind] : "NIEZNANE";
}

int32_t ReadShortStatus(uint8_t command, uint8_t& value) {
  Block answer{};
  int32_t r = ExecuteSequence(command, 1, {}, &answer);
  if (r == 0) value = answer[0];
  return r;
}

int32_t StatusGate() {
  uint8_t s2 = 0;
  if (int32_t r = ReadShortStatus(kPrinterStatus, s2)) return r;
  if (s2 & status::kCmosErased) return kErrCmosErased;
  if (s2 & status::kNoControllerLink) return kErrNoControllerLink;
  return kOk;
}

int32_t ReadDeviceType(uint8_t& kind, uint32_t& version) {
  ShowProgressText("Odczyt typu urządzenia...");
  Block answer{};
  int32_t r = ExecuteSequence(0xFF, 2, {}, &answer);
  if (r != 0) return r;
  const uint8_t type = answer[0];
  // The two models of a pair answer 0xFE differently: the newer one with its
  // version, the older one with NAK.
  auto askVersion = [&](uint8_t newer, uint8_t older) {
    Block details{};
    int32_t v = ExecuteSequence(0xFE, 4, {}, &details);
    if (v == 0) {
      kind = newer;
      version = details[1];
    } else if (v == kErrNak) {
      kind = older;
      version = 0;
      v = 0;
    }
    return v;
  };
  switch (type) {
    case kTypeMx720A5: kind = 0; version = 0; return 0;
    case kTypeMx720B5: kind = 4; version = 0; return 0;
    case kTypeMx720A7: kind = 1; version = 0; return 0;
    case kTypePharmacy: return askVersion(6, 5);
    case kTypeKavor: return askVersion(3, 2);
    default: kind = kOtherDevice; version = 0; return 0;
  }
}

int32_t ReadStatusBytes(uint32_t& count, uint8_t& s1, uint8_t& s2, uint8_t& s3, uint8_t& s4,
                        uint8_t& s5, uint8_t& s6) {
  ShowProgressText("Odczyt bajtów statusu...");
  if (int32_t r = LinkCheck(true)) return r;
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = ReadDeviceType(kind, version)) return r;
  for (auto [command, value] : {std::pair{kFiscalStatusLong, &s1}, std::pair{kPrinterStatusLong, &s2},
                                std::pair{kPrintStatusLong, &s3}, std::pair{kServiceStatusLong, &s4}}) {
    if (int32_t r = ReadLongStatus(command, *value)) return r;
  }
  count = 4;
  const bool sixBytes = (kind == 3 && version >= 3) || (kind == 6 && version >= 6) || kind == 7;
  if (!sixBytes) return 0;
  count = 6;
  if (int32_t r = ReadLongStatus(kSupplyStatusLong, s5)) return r;
  return ReadLongStatus(kAnnulmentReasonLong, s6);
}

int32_t ReadReceiptCounter(int32_t& counter) {
  ShowProgressText("Odczyt numeru ostatniego paragonu...");
  if (int32_t r = LinkCheck(true)) return r;
  if (DriverState.ReceiptOpen) return kErrReceiptOpen;
  Block answer{};
  if (int32_t r = ExecuteSequence('f', 3, {}, &answer)) return r;
  counter = answer[0] + 256 * answer[1];
  return 0;
}

}  // namespace kavoruw
