#include "printer_link/commands/samples.h"

#include <string_view>

#include "kavoruw_codes.h"
#include "printer_link/commands/code_page.h"
#include "printer_link/commands/print_control.h"
#include "printer_link/commands/receipt.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

constexpr uint8_t kCmdSample = 's';

void AppendCode(std::vector<uint8_t>& data, std::string_view code) {
  data.insert(data.end(), code.begin(), code.end());
}

// A line that carries a text; left out when the text is empty.
void AppendTextLine(std::vector<uint8_t>& data, std::string_view code, std::string_view text) {
  const std::string printed = ToCp852(TruncateArticleName(text));
  if (printed.empty()) return;
  AppendCode(data, code);
  // LF ends the line on the printer: a control byte inside the text must not
  // end it early.
  for (char c : printed) {
    const uint8_t b = static_cast<uint8_t>(c);
    data.push_back(b < 0x20 ? ' ' : b);
  }
  data.push_back('\n');
}

void AppendEnd(std::vector<uint8_t>& data) {
  data.push_back(kEsc);
  data.push_back('Q');
}

// Cash in and cash out share their records.
std::vector<uint8_t> CashTransferData(std::string_view number,
                                      const std::array<std::string, 5>& t) {
  std::vector<uint8_t> data;
  AppendCode(data, number);
  AppendTextLine(data, "10", t[0]);
  AppendTextLine(data, "20", t[1]);
  AppendTextLine(data, "30", t[2]);
  AppendTextLine(data, "40", t[3]);
  AppendCode(data, "50");
  AppendTextLine(data, "60", t[4]);
  AppendCode(data, "70");
  AppendEnd(data);
  return data;
}

// The steps every sample printout takes once its data are built.
int32_t PrintSample(TPrinterLink& link, const std::vector<uint8_t>& data) {
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  if (int32_t r = WaitPrintEnd(link, kCheckMode)) return r;
  if (int32_t r = ExecuteSequence(link, kCmdSample, 1, data)) return r;
  return inner::PrintControl(link, kPrintoutMode);
}

}  // namespace

std::vector<uint8_t> CashStateData(const std::array<std::string, 6>& t) {
  std::vector<uint8_t> data;
  AppendCode(data, "10");
  AppendTextLine(data, "10", t[0]);
  AppendTextLine(data, "20", t[1]);
  AppendTextLine(data, "30", t[2]);
  AppendTextLine(data, "40", t[3]);
  AppendCode(data, "50");
  AppendTextLine(data, "60", t[4]);
  AppendTextLine(data, "70", t[5]);
  AppendCode(data, "80");
  AppendEnd(data);
  return data;
}

std::vector<uint8_t> CashInData(const std::array<std::string, 5>& texts) {
  return CashTransferData("20", texts);
}

std::vector<uint8_t> CashOutData(const std::array<std::string, 5>& texts) {
  return CashTransferData("30", texts);
}

std::vector<uint8_t> CashReportData() {
  std::vector<uint8_t> data;
  AppendCode(data, "40");
  AppendCode(data, "10");
  AppendTextLine(data, "20", "$");
  AppendTextLine(data, "30", "$");
  AppendTextLine(data, "40", "$");
  AppendCode(data, "50");
  AppendTextLine(data, "60", "$");
  AppendCode(data, "70");
  AppendTextLine(data, "80", "$");
  AppendTextLine(data, "90", "$");
  AppendCode(data, "01");
  AppendTextLine(data, "11", "$");
  AppendCode(data, "21");
  AppendTextLine(data, "31", "1");
  AppendTextLine(data, "41", "1");
  AppendCode(data, "51");
  AppendTextLine(data, "61", "1");
  AppendTextLine(data, "71", "1");
  AppendTextLine(data, "81", "1");
  AppendTextLine(data, "91", "$");
  AppendCode(data, "02");
  AppendEnd(data);
  return data;
}

int32_t inner::SamplePrintCashState(TPrinterLink& link, const std::string& t1,
                                    const std::string& t2, const std::string& t3,
                                    const std::string& t4, const std::string& t5,
                                    const std::string& t6) {
  ShowProgressText(link, "Wydruk przykładowy: \"Stan kasy\"");
  return PrintSample(link, CashStateData({t1, t2, t3, t4, t5, t6}));
}

int32_t inner::SamplePrintCashIn(TPrinterLink& link, const std::string& t1, const std::string& t2,
                                 const std::string& t3, const std::string& t4,
                                 const std::string& t5) {
  ShowProgressText(link, "Wydruk przykładowy: \"Wpłata do kasy\"");
  return PrintSample(link, CashInData({t1, t2, t3, t4, t5}));
}

int32_t inner::SamplePrintCashOut(TPrinterLink& link, const std::string& t1, const std::string& t2,
                                  const std::string& t3, const std::string& t4,
                                  const std::string& t5) {
  ShowProgressText(link, "Wydruk przykładowy: \"Wypłata z kasy\"");
  return PrintSample(link, CashOutData({t1, t2, t3, t4, t5}));
}

int32_t inner::SamplePrintCashReport(TPrinterLink& link) {
  ShowProgressText(link, "Wydruk przykładowy: \"Bieżący raport kasowy\"");
  return PrintSample(link, CashReportData());
}

}  // namespace kavoruw
