#include "printer_link/commands/lifecycle.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string_view>
#include <utility>

#include "printer_link/commands/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/engine/engine.h"
#include "kavoruw_codes.h"
#include "printer_link/link/link.h"
#include "printer_link/device/print_control.h"

namespace kavoruw {

namespace {

constexpr std::string_view kReceiptConditionsText = "Sprawdzanie warunków wystawienia paragonu...";

// VAT read commands, newest first, and what an undefined rate looks like in
// their answers.
constexpr uint8_t kReadSevenRates = 0xD1;
constexpr uint8_t kReadSixRates = 0xD0;
constexpr uint8_t kReadFourRates = 'p';
constexpr uint8_t kReserveWordHigh7 = 0x80;
constexpr uint8_t kReserveWordHigh6 = 0xFF;
constexpr uint8_t kReserveByte4 = 0xFF;

struct StatusSet {
  uint8_t fiscal = 0;
  uint8_t printer = 0;
  uint8_t print = 0;
  uint8_t service = 0;
};

// The four short status reads, in the order the printer is asked.
int32_t ReadStatusSet(StatusSet& s) {
  for (auto [command, value] : {std::pair{kFiscalStatus, &s.fiscal},
                                std::pair{kPrinterStatus, &s.printer},
                                std::pair{kPrintStatus, &s.print},
                                std::pair{kServiceStatus, &s.service}}) {
    if (int32_t r = ReadShortStatus(command, *value)) return r;
  }
  return 0;
}

// Whether the state that yields `code` holds.
bool ConditionHolds(int32_t code, const StatusSet& s) {
  switch (code) {
    case kErrNoMakerData: return !(s.fiscal & status::kMakerData);
    case kErrServiceJumper: return s.service & status::kServiceJumper;
    case kErrNoControllerLink: return s.printer & status::kNoControllerLink;
    case kErrPrinterFailure: return s.print & status::kPrinterFailure;
    case kErrNoUserData: return !(s.fiscal & status::kUserData);
    case kErrReadOnly: return s.fiscal & status::kReadOnly;
    case kErrNoDisplay: return s.printer & status::kNoDisplay;
    case kErrCmosErased: return s.printer & status::kCmosErased;
    case kErrDailyReportDue: return s.printer & status::kDailyReportDue;
    case kErrNoPaper: return s.print & status::kNoPaper;
    case kErrTrainingMode: return !(s.fiscal & status::kFiscalMode);
    default: return false;
  }
}

// Tests the conditions in the given order and returns the first that holds;
// kErrNoVatRates in the order stands for the VAT-rate check, run at its place.
int32_t FirstFailingCondition(const StatusSet& s, std::span<const int32_t> order) {
  for (int32_t code : order) {
    if (code == kErrNoVatRates) {
      bool defined = false;
      if (int32_t r = CheckVATDefined(defined)) return r;
    } else if (ConditionHolds(code, s)) {
      return code;
    }
  }
  return 0;
}

constexpr std::array<int32_t, 11> kReceiptConditionsOrder = {
    kErrNoMakerData,      kErrReadOnly,       kErrCmosErased, kErrServiceJumper,
    kErrNoControllerLink, kErrPrinterFailure, kErrNoUserData, kErrNoDisplay,
    kErrDailyReportDue, kErrNoVatRates, kErrNoPaper};
constexpr std::array<int32_t, 11> kReceiptBeginOrder = {
    kErrNoMakerData, kErrCmosErased, kErrServiceJumper, kErrNoControllerLink,
    kErrPrinterFailure, kErrNoUserData, kErrReadOnly, kErrNoDisplay,
    kErrDailyReportDue, kErrNoVatRates, kErrNoPaper};
constexpr std::array<int32_t, 8> kPeriodReportOrder = {
    kErrNoMakerData, kErrTrainingMode, kErrCmosErased, kErrNoControllerLink,
    kErrPrinterFailure, kErrNoUserData, kErrNoDisplay, kErrNoPaper};

// The steps both receipt checks share, up to and including the conditions.
int32_t ReceiptConditionSteps(std::span<const int32_t> order) {
  if (int32_t r = LinkCheck(false)) return r;
  if (DriverState.ReceiptOpen) return kErrReceiptOpen;
  StatusSet s;
  if (int32_t r = ReadStatusSet(s)) return r;
  return FirstFailingCondition(s, order);
}

// The name of the connected device, re-initialising the link when it is down.
int32_t ConnectedDeviceName(std::string& name) {
  if (int32_t r = LinkCheck(true)) return r;
  name = DeviceKindName(DriverState.DeviceKind);
  return 0;
}

bool AnyByteOtherThan(const Block& answer, std::size_t count, std::size_t stride, uint8_t value) {
  for (std::size_t i = 0; i < count; ++i) {
    if (answer[i * stride] != value) return true;
  }
  return false;
}

}  // namespace

int32_t CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec) {
  try {
    // Arguments the port cannot take change nothing, not even a working link.
    if (timeoutSec < 0 || timeoutSec > 65535 || baud < 0 || port < 1 || port > 255) {
      return kErrInternal;
    }
    // Stored together, so that a later re-initialisation after a failure here
    // retries exactly this port with this speed and time-out.
    DriverState.StoredPort = port;
    DriverState.StoredBaud = baud;
    DriverState.StoredTimeout = timeoutSec;
    // The same steps as the re-initialisation every command runs while the
    // link is down: clear the session, reopen, '#', print-end wait, identify.
    return EnsureLink(DriverState.StoredPort, true);
  } catch (...) {
    return kErrInternal;
  }
}

int32_t CommunicationEnd() {
  try {
    DriverState.DeviceKind = kOtherDevice;
    if (int32_t r = ClosePortObject()) return r;
    DriverState.LinkUp = false;
    DriverState.StoredPort = 0;
    return 0;
  } catch (...) {
    return kErrInternal;
  }
}

int32_t DeviceName(std::string& name) {
  try {
    name.clear();
    return ConnectedDeviceName(name);
  } catch (...) {
    return kErrInternal;
  }
}

int32_t pDeviceName(char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  try {
    std::string name;
    if (int32_t r = ConnectedDeviceName(name)) return r;
    const std::size_t n = std::min(name.size(), kMaxDeviceNameLength);
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return 0;
  } catch (...) {
    return kErrInternal;
  }
}

int32_t ReceiptConditions() {
  ShowProgressText(kReceiptConditionsText);
  try {
    if (int32_t r = ReceiptConditionSteps(kReceiptConditionsOrder)) return r;
    return WaitPrintEnd(kCheckMode);
  } catch (...) {
    return kErrInternal;
  }
}

int32_t CheckReceiptConditions() {
  ShowProgressText(kReceiptConditionsText);
  if (int32_t r = ReceiptConditionSteps(kReceiptBeginOrder)) return r;
  return PrintControl(kCheckMode);
}

int32_t CheckPeriodReportConditions() {
  ShowProgressText("Sprawdzanie warunków wystawienia raportu okresowego...");
  if (int32_t r = LinkCheck(false)) return r;
  StatusSet s;
  if (int32_t r = ReadStatusSet(s)) return r;
  if (int32_t r = FirstFailingCondition(s, kPeriodReportOrder)) return r;
  return PrintControl(kCheckMode);
}

int32_t ReadFiscalMode(int32_t& fiscal) {
  ShowProgressText("Test czy tryb fiskalny...");
  if (int32_t r = LinkCheck(false)) return r;
  uint8_t s1 = 0;
  if (int32_t r = ReadShortStatus(kFiscalStatus, s1)) return r;
  fiscal = (s1 & status::kFiscalMode) ? 1 : 0;
  return 0;
}

int32_t CheckVATDefined(bool& defined) {
  ShowProgressText("Odczyt stawek podatkowych...");
  defined = false;
  // Each generation has its own read command and its own mark of an
  // undefined rate; an older printer refuses the newer command with NAK.
  Block answer{};
  int32_t r = ExecuteSequence(kReadSevenRates, 15, {}, &answer);
  if (r == 0) {
    defined = AnyByteOtherThan(answer, 7, 2, kReserveWordHigh7);
  } else if (r == kErrNak) {
    r = ExecuteSequence(kReadSixRates, 13, {}, &answer);
    if (r == 0) {
      defined = AnyByteOtherThan(answer, 6, 2, kReserveWordHigh6);
    } else if (r == kErrNak) {
      r = ExecuteSequence(kReadFourRates, 5, {}, &answer);
      if (r == 0) defined = AnyByteOtherThan(answer, 4, 1, kReserveByte4);
    }
  }
  if (r != 0) return r;
  return defined ? 0 : kErrNoVatRates;
}

}  // namespace kavoruw
