#include "operator_console/service_steps.h"

#include "operator_console/console.h"

bool SecondGenerationPrinter() {
  return kavoruw::IsSecondGenerationFiscalPrinter(kavoruw::LinkState().DeviceKind);
}

bool CmosKept(const std::string& refusal) {
  bool errorShown = false;
  const bool erased = CheckCmosErased(errorShown);
  if (errorShown) return false;
  if (erased) {
    ReportError(refusal);
    return false;
  }
  return true;
}

const std::string& CmosErasedGoToClock() {
  static const std::string text = Cp("Skasowana pamięć CMOS. Wejdź do inicjowania zegara.");
  return text;
}

int32_t SendRawRecord(ConsoleState& console, uint8_t command, int32_t answerLen,
                      std::span<const uint8_t> record, uint8_t& result) {
  kavoruw::Block answer{};
  if (const int32_t code = console.Busy([&] {
        return kavoruw::RSSequence(command, answerLen, static_cast<int32_t>(record.size()),
                                   answer.data(), record.data());
      })) {
    return code;
  }
  bool received = false;
  console.Busy([&] {
    received = kavoruw::ReadPortByte(result);
    return 0;
  });
  return received ? 0 : kavoruw::kErrReceive;
}

int32_t AwaitPrintout(ConsoleState& console, uint16_t readSec) {
  const uint16_t writeTimeout = static_cast<uint16_t>(kavoruw::LinkState().PortWriteTimeout);
  return console.Busy([&] {
    kavoruw::SetPortTimeouts(writeTimeout, readSec);
    const int32_t code = kavoruw::PrintControl(kavoruw::kPrintoutMode);
    kavoruw::SetPortTimeouts(writeTimeout,
                             static_cast<uint16_t>(kavoruw::LinkState().PortReadTimeout));
    return code;
  });
}

int32_t ReadStatus(ConsoleState& console, StatusRead& status) {
  auto& s = status.s;
  return console.Busy(
      [&] { return kavoruw::ReadStatusBytes(status.count, s[0], s[1], s[2], s[3], s[4], s[5]); });
}

void EndWithDriverError(int32_t code) { ReportDriverError(code); }

void EndWithError(const std::string& cp1250Text, unsigned flags) { ReportError(cp1250Text, flags); }

void EndWithInfo(const std::string& cp1250Text, unsigned flags) { ReportInfo(cp1250Text, flags); }
