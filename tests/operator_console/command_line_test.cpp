// Port and speed from the command line.
#include <gtest/gtest.h>

#include "operator_console/console_state.h"

namespace {

struct Parsed {
  int port;
  int baud;
};

Parsed Parse(const Arguments& arguments) {
  return {ParsePortArgument(arguments), ParseBaudArgument(arguments)};
}

TEST(CommandLine, PortAndSpeedInEitherOrderAmongOtherArguments) {
  EXPECT_EQ(Parse({"COM2", "19200"}).port, 2);
  EXPECT_EQ(Parse({"COM2", "19200"}).baud, 19200);
  EXPECT_EQ(Parse({"19200", "com2"}).port, 2);
  EXPECT_EQ(Parse({"19200", "com2"}).baud, 19200);
  EXPECT_EQ(Parse({"/x", "9600", "-v", "cOm7"}).port, 7);
  EXPECT_EQ(Parse({"/x", "9600", "-v", "cOm7"}).baud, 9600);
}

TEST(CommandLine, LettersCompareWithoutCaseTheFirstMatchWins) {
  EXPECT_EQ(Parse({"com3"}).port, 3);
  EXPECT_EQ(Parse({"COM2", "COM5"}).port, 2);
  EXPECT_EQ(Parse({"9600", "19200"}).baud, 9600);
  EXPECT_EQ(Parse({"19200", "9600"}).baud, 19200);
}

TEST(CommandLine, AnythingElseSelectsNothing) {
  for (const Arguments& arguments : std::vector<Arguments>{{},
                                                           {"COM10"},
                                                           {"COM0"},
                                                           {"COM3:"},
                                                           {"COM", "3"},
                                                           {" COM3"},
                                                           {"COMa"},
                                                           {"09600"},
                                                           {"9600 "},
                                                           {"38400"},
                                                           {"C\xD3M3"}}) {
    const Parsed parsed = Parse(arguments);
    EXPECT_EQ(parsed.port, 0) << ::testing::PrintToString(arguments);
    EXPECT_EQ(parsed.baud, 0) << ::testing::PrintToString(arguments);
  }
}

TEST(CommandLine, UnitStartUpSetsTheFlagsAndReadsTheArguments) {
  ConsoleState console;
  console.FirstActivation = false;
  console.SettlementRangeMode = true;
  console.FiscalizationInProgress = true;
  InitializeConsoleUnit(console, {"9600", "COM9"});
  EXPECT_TRUE(console.FirstActivation);
  EXPECT_FALSE(console.SettlementRangeMode);
  EXPECT_FALSE(console.FiscalizationInProgress);
  EXPECT_EQ(console.ComPortNumber, 9);
  EXPECT_EQ(console.ComBaudRate, 9600);
  InitializeConsoleUnit(console, {"x"});
  EXPECT_EQ(console.ComPortNumber, 0);
  EXPECT_EQ(console.ComBaudRate, 0);
}

TEST(CommandLine, AFreshStateHasNoReportRangeNoClockMarkAndOnlyReserveFiscalRates) {
  const ConsoleState console;
  EXPECT_FALSE(console.SettlementRangeMode);
  EXPECT_EQ(console.ClockJustInitialised, 0);
  EXPECT_EQ(console.FiscalVatRates, console::kAllReserveVatRates);
  EXPECT_EQ(console.VatRates, console::VatRateTable{});
}

}  // namespace
