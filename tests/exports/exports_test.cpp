// The shared library as other programs see it: exactly the exported names,
// the header from C and C++, and the shared rules of the exported functions.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>

#include "kavoruw.h"

extern "C" int CVersionMatches(void);
extern "C" int CNullBufferCode(void);

namespace {

std::set<std::string> ExportedNames() {
  std::set<std::string> names;
  std::string command = "nm -D --defined-only " KAVORUW_LIBRARY_PATH;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return names;
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[256];
    if (sscanf(line, "%63s %7s %255s", address, type, name) == 3) names.insert(name);
  }
  pclose(pipe);
  return names;
}

// Each exported row of the table has the form the header declares.
#define KAVORUW_CALL(name, params, call) \
  static_assert(std::is_same_v<decltype(&::name), int32_t(*) params>, #name);
#define KAVORUW_EXPORT(name, params, frame, call) KAVORUW_CALL(name, params, call)
#include "driver_calls.h"

std::set<std::string> TableNames() {
#define KAVORUW_CALL(name, params, call) #name,
#define KAVORUW_EXPORT(name, params, frame, call) #name,
  return {
#include "driver_calls.h"
  };
}

std::set<std::string> HeaderNames() {
  std::ifstream in(KAVORUW_HEADER_FILE);
  std::stringstream text;
  text << in.rdbuf();
  const std::string header = text.str();
  // Each "KAVORUW_API int32_t Name(".
  std::set<std::string> names;
  std::istringstream words(header);
  std::string word, type, name;
  while (words >> word) {
    if (word != "KAVORUW_API" || !(words >> type >> name) || type != "int32_t") continue;
    const size_t paren = name.find('(');
    if (paren != std::string::npos && paren > 0) names.insert(name.substr(0, paren));
  }
  return names;
}

TEST(ExportTable, ExactlyTheFiftyTwoNames) {
  const std::set<std::string> expected = {"CommunicationInit",
                                          "CommunicationEnd",
                                          "ReceiptConditions",
                                          "ReceiptBegin",
                                          "ReceiptItem",
                                          "PackageItem",
                                          "PrintSubtotal",
                                          "OpenDrawer",
                                          "ReceiptEnd",
                                          "ReceiptCancel",
                                          "PrintControl",
                                          "PrintResume",
                                          "DailyReport",
                                          "PeriodReport",
                                          "LockedArticlesReport",
                                          "MonthlyReport",
                                          "NumberReport",
                                          "ReceiptNumber",
                                          "DailyReportNumber",
                                          "ReadClock",
                                          "WriteLineFeed",
                                          "PrinterStatusReport",
                                          "SetVAT",
                                          "ReadVAT",
                                          "FillPayment",
                                          "FillLines",
                                          "ErasePayments",
                                          "EraseLines",
                                          "DeviceName",
                                          "DllVersion",
                                          "DllAuthor",
                                          "ReadUniqueNumber",
                                          "CharsInArticleName",
                                          "ErrMessage",
                                          "ClosePort",
                                          "RSSequence",
                                          "OpenPort",
                                          "pFillPayment",
                                          "pFillLines",
                                          "pDllVersion",
                                          "pDllAuthor",
                                          "pErrMessage",
                                          "pCharsInArticleName",
                                          "pDeviceName",
                                          "pReceiptItem",
                                          "pReadClock",
                                          "pReadUniqueNumber",
                                          "pReadTotal",
                                          "pReadSelTotal",
                                          "ReadTotal",
                                          "ReadSelTotal",
                                          "PrinterNumber"};
  ASSERT_EQ(expected.size(), 52u);
  EXPECT_EQ(ExportedNames(), expected);
  // The table the library is made from and the header users read agree.
  EXPECT_EQ(TableNames(), expected);
  EXPECT_EQ(HeaderNames(), expected);
}

TEST(ExportTable, HeaderWorksFromC) {
  EXPECT_EQ(CVersionMatches(), 1);
  EXPECT_EQ(CNullBufferCode(), 225);
}

TEST(ExportRules, NullOutputBuffersGive225) {
  EXPECT_EQ(pDllVersion(nullptr), 225);
  EXPECT_EQ(pDllAuthor(nullptr), 225);
  EXPECT_EQ(pErrMessage(20, nullptr), 225);
  EXPECT_EQ(pDeviceName(nullptr), 225);
  EXPECT_EQ(pReadClock(nullptr), 225);
  EXPECT_EQ(pReadUniqueNumber(nullptr), 225);
  EXPECT_EQ(pReadTotal(nullptr), 225);
  EXPECT_EQ(pReadSelTotal("A", nullptr), 225);
  EXPECT_EQ(pCharsInArticleName(nullptr), 225);
}

TEST(ExportRules, NullIntegerVariablesGive999) {
  int32_t n = 0;
  EXPECT_EQ(ReceiptNumber(nullptr), 999);
  EXPECT_EQ(DailyReportNumber(nullptr), 999);
  EXPECT_EQ(SetVAT(nullptr, 2200, 700, 0, 0, 0, 0, 0), 999);
  EXPECT_EQ(ReadVAT(&n, &n, &n, &n, nullptr, &n, &n, &n), 999);
  EXPECT_EQ(pReceiptItem(1, "Mleko", 1, 0, 1, 0, "szt", 100, nullptr), 999);
  EXPECT_EQ(pFillLines(1, "x", nullptr), 999);
  std::string code;
  EXPECT_EQ(PrinterNumber(nullptr, code), 999);
}

TEST(ExportRules, TextsAndIdentity) {
  char buffer[KAVORUW_ERRMESSAGE_SIZE];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(pErrMessage(20, buffer), 0);
  EXPECT_EQ(std::strlen(buffer), KAVORUW_ERRMESSAGE_SIZE - 1u);
  std::string text = "old";
  EXPECT_EQ(ErrMessage(0, text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(ErrMessage(23, text), 0);
  EXPECT_EQ(text, "Niepoprawna odpowied\x9F z drukarki.");

  std::string version, notice;
  EXPECT_EQ(DllVersion(version), 0);
  EXPECT_EQ(version, "10.00");
  EXPECT_EQ(DllAuthor(notice), 0);
  char author[KAVORUW_AUTHOR_SIZE];
  EXPECT_EQ(pDllAuthor(author), 0);
  EXPECT_EQ(notice, author);
  EXPECT_EQ(notice.find('\r'), std::string::npos);
}

TEST(ExportRules, NullInputTextsAreEmpty) {
  int32_t freeLines = -1;
  EXPECT_EQ(EraseLines(), 0);
  EXPECT_EQ(pFillLines(3, nullptr, &freeLines), 0);
  EXPECT_EQ(freeLines, 5);
  EXPECT_EQ(pFillPayment(1, nullptr, 100, 0), 0);
  EXPECT_EQ(ErasePayments(), 0);
  EXPECT_EQ(EraseLines(), 0);
  EXPECT_EQ(pCharsInArticleName(""), 0);
}

TEST(ExportRules, RangeChecksGive999) {
  EXPECT_EQ(OpenPort(256, 9600, 3, 5), 999);
  EXPECT_EQ(ClosePort(), 0);
  std::array<uint8_t, KAVORUW_BLOCK_SIZE> answer{}, data{};
  EXPECT_EQ(RSSequence(256, 1, 0, answer.data(), data.data()), 999);
  EXPECT_EQ(CommunicationInit(300, 9600, 5), 999);
}

}  // namespace
