#include "printer_link/device/device.h"

#include <array>
#include <utility>

#include "kavoruw_codes.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"

namespace kavoruw {

namespace {

constexpr std::array<const char*, 8> kDeviceNames = {
    "MX720A 5-stawkowa",  "MX720A 7-stawkowa",       "KAVOR I generacji",
    "KAVOR II generacji", "MX720B 5-st. (apteczna)", "MX720B 7-st. (apteczna)",
    "KAVOR F (apteczna)", "INNE URZADZENIE"};

// Type bytes of the 0xFF answer.
constexpr uint8_t kTypeMx720A5 = 2;
constexpr uint8_t kTypeMx720B5 = 5;
constexpr uint8_t kTypeMx720A7 = 17;
constexpr uint8_t kTypePharmacy = 18;
constexpr uint8_t kTypeKavor = 44;

}  // namespace

std::string DeviceKindName(uint32_t kind) {
  return kind < kDeviceNames.size() ? kDeviceNames[kind] : "NIEZNANE";
}

int32_t ReadStatusByte(TEngineLink& link, uint8_t command, uint8_t& value) {
  // A short form answers the byte alone, a long one ACK and the byte.
  const uint8_t answerLen = IsStatusCommand(command) ? 1 : 2;
  Block answer{};
  int32_t r = ExecuteSequence(link, command, answerLen, {}, &answer);
  if (r == 0) value = answer[0];
  return r;
}

int32_t ReadStatusSet(TEngineLink& link, TStatusSet& s) {
  for (auto [command, value] :
       {std::pair{kFiscalStatus, &s.fiscal}, std::pair{kPrinterStatus, &s.printer},
        std::pair{kPrintStatus, &s.print}, std::pair{kServiceStatus, &s.service}}) {
    if (int32_t r = ReadStatusByte(link, command, *value)) return r;
  }
  return 0;
}

int32_t StatusGate(TEngineLink& link) {
  uint8_t s2 = 0;
  if (int32_t r = ReadStatusByte(link, kPrinterStatus, s2)) return r;
  if (s2 & status::kCmosErased) return kErrCmosErased;
  if (s2 & status::kNoControllerLink) return kErrNoControllerLink;
  return kOk;
}

int32_t inner::ReadDeviceType(TEngineLink& link, uint8_t& kind, uint32_t& version) {
  ShowProgressText(link, "Odczyt typu urządzenia...");
  Block answer{};
  int32_t r = ExecuteSequence(link, 0xFF, 2, {}, &answer);
  if (r != 0) return r;
  const uint8_t type = answer[0];
  // The two models of a pair answer 0xFE differently: the newer one with its
  // version, the older one with NAK.
  auto askVersion = [&](uint8_t newer, uint8_t older) {
    Block details{};
    int32_t v = ExecuteSequence(link, 0xFE, 4, {}, &details);
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
    case kTypeMx720A5:
      kind = 0;
      version = 0;
      return 0;
    case kTypeMx720B5:
      kind = 4;
      version = 0;
      return 0;
    case kTypeMx720A7:
      kind = 1;
      version = 0;
      return 0;
    case kTypePharmacy: return askVersion(6, 5);
    case kTypeKavor: return askVersion(3, 2);
    default:
      kind = kOtherDevice;
      version = 0;
      return 0;
  }
}

}  // namespace kavoruw
