// Service and settings commands against the simulated printer: exact bytes on
// the wire, the refusals and their order, and the user data both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/commands/service.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/driver_state.h"
#include "sim_link.h"

namespace kavoruw {
namespace {

using testing::Bytes;

// ESC, the command and its data.
Bytes Cmd(uint8_t command, const Bytes& data = {}) {
  Bytes frame{0x1B, command};
  frame.insert(frame.end(), data.begin(), data.end());
  return frame;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

const Bytes kGate = Cmd(0x94);
// The wait for the end of a printout on an idle printer.
const Bytes kIdleWait = Cat({Cmd(0x95), Cmd(0x95), Cmd(0x94), Cmd(0x95)});

// "Zażółć gęślą jaźń" in both code pages.
const std::string kPhrase = platform::Cp1250FromUtf8("Zażółć gęślą jaźń");
const Bytes kPhrase852{0x5A, 0x61, 0xBE, 0xA2, 0x88, 0x86, 0x20, 0x67, 0xA9,
                       0x98, 0x6C, 0xA5, 0x20, 0x6A, 0x61, 0xAB, 0xE4};

class ServiceTest : public testing::SimLinkTest {
 protected:
  explicit ServiceTest(uint8_t kind = 3) : SimLinkTest(kind) {}

  void TearDown() override {
    InstallConsoleHooks(Link(), {});
    SimLinkTest::TearDown();
  }

  // The wire since the last look, once it holds `expected`'s length; the log
  // is cleared for the next step.
  Bytes Take(size_t n) {
    Bytes wire = Wire(n);
    sim.ClearLog();
    return wire;
  }
  void ExpectWire(const Bytes& expected) { EXPECT_EQ(Take(expected.size()), expected); }
  // Nothing reached the printer: the next thing it hears is a link test.
  void ExpectNothingSent() {
    ASSERT_EQ(ExecuteSequence(Link(), '#', 1), 0);
    ExpectWire(Cmd('#'));
  }
};

class PharmacyServiceTest : public ServiceTest {
 protected:
  PharmacyServiceTest() : ServiceTest(6) {}
};

class OldModelServiceTest : public ServiceTest {
 protected:
  OldModelServiceTest() : ServiceTest(4) {}
};

TEST_F(ServiceTest, DrawersOpenByTheirLetterEvenDuringAReceipt) {
  for (int32_t drawer : {1, 2, 3}) {
    EXPECT_EQ(OpenDrawer(drawer), 0);
    ExpectWire(Cmd(static_cast<uint8_t>('V' + drawer)));
    EXPECT_EQ(sim.State()->service.lastDrawer, drawer);
  }
  EXPECT_EQ(sim.Status(4) & 0x08, 0);  // the drawer stands open

  for (int32_t drawer : {0, 4, -1}) EXPECT_EQ(OpenDrawer(drawer), 212) << drawer;
  ExpectNothingSent();

  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(OpenDrawer(2), 0);
  ExpectWire(Cmd('X'));
  sim.Refuse('X', 0x15);
  EXPECT_EQ(OpenDrawer(2), 24);
}

TEST_F(ServiceTest, PrinterNumberSendsTwoCharactersOfEach) {
  EXPECT_EQ(SetPrinterNumber("07", "AB"), 0);
  ExpectWire(Cmd('C', {'0', '7', 'A', 'B'}));
  EXPECT_EQ(sim.State()->service.printerNumber, (std::array<uint8_t, 4>{'0', '7', 'A', 'B'}));

  EXPECT_EQ(PrinterNumberRecord("123", "XYZ"), (Bytes{'1', '2', 'X', 'Y'}));
  EXPECT_EQ(SetPrinterNumber("7", "AB"), 999);
  EXPECT_EQ(SetPrinterNumber("07", ""), 999);
  ExpectNothingSent();

  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(SetPrinterNumber("07", "AB"), 200);
  ExpectNothingSent();
}

TEST_F(ServiceTest, FeedCountTakesOneByte) {
  EXPECT_EQ(WriteFeedCount(12), 0);
  ExpectWire(Cmd('F', {12}));
  EXPECT_EQ(WriteLineFeed(255), 0);
  ExpectWire(Cmd('F', {255}));
  EXPECT_EQ(sim.State()->service.feedCount, 255);

  EXPECT_EQ(WriteFeedCount(300), 999);
  EXPECT_EQ(WriteFeedCount(256), 999);
  EXPECT_EQ(WriteLineFeed(256), 999);
  EXPECT_EQ(WriteLineFeed(-1), 999);
  ExpectNothingSent();

  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(WriteFeedCount(3), 200);
  EXPECT_EQ(WriteLineFeed(3), 200);
  ExpectNothingSent();
}

TEST_F(ServiceTest, RoundingIsSentAsADigitCharacter) {
  EXPECT_EQ(SetRoundingType(1), 0);
  ExpectWire(Cmd('t', {'1'}));
  EXPECT_EQ(sim.State()->service.rounding, '1');

  // 207 is the last mode that still fits the byte.
  EXPECT_EQ(SetRoundingType(207), 0);
  ExpectWire(Cmd('t', {0xFF}));
  EXPECT_EQ(sim.State()->service.rounding, '1');  // the printer keeps its setting
  EXPECT_EQ(SetRoundingType(208), 999);
  ExpectNothingSent();

  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(SetRoundingType(0), 200);
  ExpectNothingSent();
}

TEST_F(ServiceTest, DisplayTestReadsTheStatusFirstAndIgnoresItsBits) {
  sim.SetStatus(2, 0xFF);
  EXPECT_EQ(DisplayTest(2), 0);
  ExpectWire(Cat({kGate, Cmd('2', {2})}));
  EXPECT_EQ(sim.State()->service.displayStep, 2);
  sim.SetStatus(2, 0);

  EXPECT_EQ(DisplayTest(256), 999);
  ExpectWire(kGate);
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(DisplayTest(0), 200);
  ExpectWire(kGate);
  ExpectNothingSent();
}

TEST_F(ServiceTest, StatusGateStopsTheCommandsThatNeedIt) {
  const std::string line20(20, 'A'), line40(40, 'B');
  struct Case {
    const char* name;
    std::function<int32_t()> run;
    Bytes before;  // what the printer hears up to and including the gate
  };
  const Case cases[] = {
      {"ClearPriceBuffer", [] { return ClearPriceBuffer(); }, kGate},
      {"EpromTest", [] { return EpromTest(); }, kGate},
      {"WriteUserData", [&] { return WriteUserData(1, 1, line20); }, kGate},
      {"PrintUserDataControl", [&] { return PrintUserDataControl(line20, line40, line40, line40); },
       Cat({kIdleWait, kGate})},
  };
  for (const Case& c : cases) {
    for (auto [s2, code] : {std::pair<uint8_t, int32_t>{0x10, 107}, {0x80, 102}, {0x90, 107}}) {
      sim.SetStatus(2, s2);
      EXPECT_EQ(c.run(), code) << c.name << " s2=" << int(s2);
      EXPECT_EQ(Take(c.before.size()), c.before) << c.name;
    }
  }
  sim.SetStatus(2, 0);
  ExpectNothingSent();
}

TEST_F(PharmacyServiceTest, PriceBufferIsClearedAfterTheGate) {
  EXPECT_EQ(ClearPriceBuffer(), 0);
  ExpectWire(Cat({kGate, Cmd('w')}));
  EXPECT_EQ(sim.State()->service.priceBufferClears, 1);

  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(ClearPriceBuffer(), 200);
  ExpectWire(kGate);
  ExpectNothingSent();
}

TEST_F(ServiceTest, PriceBufferRefusedWithoutOne) {
  EXPECT_EQ(ClearPriceBuffer(), 24);
  ExpectWire(Cat({kGate, Cmd('w')}));
}

TEST_F(ServiceTest, EpromTestWaitsBeforeAndAfterItsPrintout) {
  sim.State()->printJobPolls = 0;
  EXPECT_EQ(EpromTest(), 0);
  ExpectWire(Cat({kGate, kIdleWait, Cmd('\''), kIdleWait}));

  // A real printout: the command returns only once it has ended.
  sim.State()->printJobPolls = 3;
  EXPECT_EQ(EpromTest(), 0);
  Take(kGate.size() + kIdleWait.size() + 2);
  {
    auto state = sim.State();
    EXPECT_EQ(state->service.epromTests, 2);
    EXPECT_EQ(state->job.printingPolls, 0);
  }

  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(EpromTest(), 200);
  ExpectWire(kGate);
  ExpectNothingSent();
}

TEST_F(ServiceTest, PowerOffIsSentEvenDuringAReceipt) {
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(RemotePrinterOff(), 0);
  EXPECT_EQ(Wire(7), Cmd(0xFD, {'0', '0', '0', '0', '0'}));
  const auto notes = sim.Notes();
  EXPECT_NE(std::find(notes.begin(), notes.end(), "0xFD: power off"), notes.end());
}

TEST_F(ServiceTest, UniqueNumberInBothForms) {
  sim.State()->service.uniqueNumber = "ABC12345678";
  std::string number = "old";
  EXPECT_EQ(ReadUniqueNumber(number), 0);
  EXPECT_EQ(number, "ABC 12345678");
  ExpectWire(Cmd('q'));

  char buffer[32];
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(inner::pReadUniqueNumber(Link(), buffer), 0);
  EXPECT_STREQ(buffer, "ABC12345678");
  EXPECT_EQ(buffer[kUniqueNumberLength + 1], 'Z');  // nothing beyond the zero
  ExpectWire(Cmd('q'));

  EXPECT_EQ(inner::pReadUniqueNumber(Link(), nullptr), 225);
  ExpectNothingSent();

  // Both results are emptied before the receipt check refuses.
  Link().DriverState.Receipt.Begun();
  EXPECT_EQ(ReadUniqueNumber(number), 200);
  EXPECT_EQ(number, "");
  EXPECT_EQ(inner::pReadUniqueNumber(Link(), buffer), 200);
  EXPECT_EQ(buffer[0], '\0');
  ExpectNothingSent();
}

TEST_F(ServiceTest, WriteUserDataSendsTheLineAndReadsTheVerdict) {
  const std::string text25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  EXPECT_EQ(WriteUserData(2, 1, text25), 0);
  ExpectWire(Cat({kGate, Cmd(0x9C, {2, 1}), BytesOf(text25.substr(0, 20))}));
  {
    auto state = sim.State();
    EXPECT_EQ(state->service.userData[1].width, 1);
    EXPECT_EQ(state->service.userData[1].text, text25.substr(0, 20) + std::string(20, ' '));
  }

  // An open receipt does not stop it; Polish letters travel in code page 852.
  Link().DriverState.Receipt.Begun();
  const std::string text40 = kPhrase + std::string(23, ' ');
  EXPECT_EQ(WriteUserData(4, 0, text40), 0);
  ExpectWire(Cat({kGate, Cmd(0x9C, {4, 0}), kPhrase852, Bytes(23, ' ')}));
  EXPECT_EQ(BytesOf(sim.State()->service.userData[3].text), Cat({kPhrase852, Bytes(23, ' ')}));

  sim.State()->service.userDataWriteResult = 3;
  EXPECT_EQ(WriteUserData(1, 1, text25), 229);
  Take(kGate.size() + 24);

  // Texts shorter than the width and numbers beyond a byte: after the gate,
  // before the command.
  EXPECT_EQ(WriteUserData(1, 0, text25), 999);
  ExpectWire(kGate);
  EXPECT_EQ(WriteUserData(256, 1, text25), 999);
  ExpectWire(kGate);
  EXPECT_EQ(WriteUserData(1, 256, text40), 999);
  ExpectWire(kGate);
  ExpectNothingSent();
  // Any flag but 1 is a 40-character line.
  EXPECT_EQ(UserDataLineRecord(1, 7, text40 + "++"), Cat({{1, 7}, kPhrase852, Bytes(23, ' ')}));
}

TEST_F(ServiceTest, ReadUserDataTakesTheWidthFromTheSecondByte) {
  {
    auto state = sim.State();
    auto& lines = state->service.userData;
    lines[0] = {1, std::string(20, 'A') + std::string(20, 'X'), true};
    lines[1] = {0, std::string(40, 'B'), true};
    lines[2] = {2, std::string(39, 'C') + "D", true};
    lines[3] = {0, std::string(kPhrase852.begin(), kPhrase852.end()) + std::string(23, ' '), true};
  }
  std::string l1 = "x", l2, l3, l4;
  EXPECT_EQ(ReadUserData(l1, l2, l3, l4), 0);
  EXPECT_EQ(l1, std::string(20, 'A'));
  EXPECT_EQ(l2, std::string(40, 'B'));
  EXPECT_EQ(l3, std::string(39, 'C') + "D");
  EXPECT_EQ(l4, kPhrase + std::string(23, ' '));
  Bytes expected = Cat({kGate, Cmd(0x9B), Cmd(0xFF), Cmd(0xFE)});
  for (uint8_t n = 1; n <= 4; ++n) expected = Cat({expected, Cmd(0x9D, {n})});
  ExpectWire(expected);
}

TEST_F(ServiceTest, ReadUserDataRefusals) {
  std::string l1 = "a", l2 = "b", l3 = "c", l4 = "d";
  sim.SetStatus(2, 0x10);
  EXPECT_EQ(ReadUserData(l1, l2, l3, l4), 107);
  EXPECT_EQ(l1 + l2 + l3 + l4, "");
  ExpectWire(kGate);
  sim.SetStatus(2, 0x80);  // the controller link is not looked at
  sim.SetStatus(1, 0x29);
  EXPECT_EQ(ReadUserData(l1, l2, l3, l4), 104);
  ExpectWire(Cat({kGate, Cmd(0x9B)}));
  ExpectNothingSent();
}

TEST_F(OldModelServiceTest, ReadUserDataNotOnThisModel) {
  std::string l1, l2, l3, l4;
  EXPECT_EQ(ReadUserData(l1, l2, l3, l4), 224);
  ExpectWire(Cat({kGate, Cmd(0x9B), Cmd(0xFF)}));
  ExpectNothingSent();
}

TEST_F(PharmacyServiceTest, ReadUserDataUsesItsOwnCommand) {
  std::string l1, l2, l3, l4;
  EXPECT_EQ(ReadUserData(l1, l2, l3, l4), 0);
  Bytes expected = Cat({kGate, Cmd(0x9B), Cmd(0xFF), Cmd(0xFE)});
  for (uint8_t n = 1; n <= 4; ++n) expected = Cat({expected, Cmd(0x9E, {n})});
  ExpectWire(expected);
  EXPECT_EQ(l4, std::string(40, ' '));
}

TEST_F(ServiceTest, MissingUserDataBytesAreAReceiveFailure) {
  sim.SetScriptedAnswer(0x9C, {0x06}, 22);
  EXPECT_EQ(WriteUserData(1, 1, std::string(20, 'A')), 21);
  sim.SetScriptedAnswer(0x9D, {0x06}, 1, Bytes(41, ' '));
  std::string l1, l2, l3, l4;
  EXPECT_EQ(ReadUserData(l1, l2, l3, l4), 21);
  EXPECT_EQ(l1, "");
}

TEST_F(ServiceTest, ControlPrintoutRecordEndsWithAZeroByte) {
  const std::string wide = kPhrase + std::string(23, '.');
  const Bytes record =
      UserDataControlRecord(std::string(20, 'A'), wide, std::string(40, 'C'), wide);
  const Bytes wide852 = Cat({kPhrase852, Bytes(23, '.')});
  EXPECT_EQ(record,
            Cat({{1}, Bytes(20, 'A'), {0}, wide852, {0}, Bytes(40, 'C'), {0}, wide852, {0}}));

  EXPECT_TRUE(UserDataControlRecord(std::string(21, 'A'), wide, wide, wide).empty());
  EXPECT_TRUE(UserDataControlRecord(wide, wide, wide, "").empty());
}

TEST_F(ServiceTest, ControlPrintoutOfTheFourLines) {
  sim.State()->printJobPolls = 0;
  const std::string narrow(20, 'N'), wide = kPhrase + std::string(23, ' ');
  Link().DriverState.Receipt.Begun();  // no receipt check
  EXPECT_EQ(PrintUserDataControl(narrow, wide, wide, narrow), 0);
  ExpectWire(Cat(
      {kIdleWait, kGate, Cmd('3'), UserDataControlRecord(narrow, wide, wide, narrow), kIdleWait}));
  {
    auto state = sim.State();
    EXPECT_EQ(state->service.controlPrintouts, 1);
    EXPECT_EQ(BytesOf(state->service.controlLines[1]), Cat({kPhrase852, Bytes(23, ' ')}));
    EXPECT_EQ(state->service.controlLines[3], narrow);
  }

  // A line of another width: nothing at all reaches the printer.
  EXPECT_EQ(PrintUserDataControl(narrow, wide, std::string(30, 'x'), narrow), 999);
  ExpectNothingSent();

  sim.Refuse('3', 0x15);
  EXPECT_EQ(PrintUserDataControl(narrow, wide, wide, narrow), 24);
}

TEST_F(ServiceTest, ProgressTexts) {
  std::vector<std::string> texts;
  InstallConsoleHooks(Link(), {[&](const std::string& text) { texts.push_back(text); }, {}});
  Link().DriverState.Receipt.Begun();  // stops most of them before the printer is asked
  char buffer[16];
  std::string s1, s2, s3, s4;
  sim.SetStatus(1, 0);
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[] { OpenDrawer(9); }, "Otwarcie szuflady..."},
      {[] { SetPrinterNumber("01", "01"); }, "Zapis numeru drukarki i kodu obsługującego..."},
      {[] { WriteFeedCount(1); }, "Zapis ilosci wysuwów..."},
      {[] { WriteLineFeed(1); }, "Zapis ilosci wierszy do wysunięcia..."},
      {[] { SetRoundingType(1); }, "Zapis typu zaokrąglenia..."},
      {[] { DisplayTest(1); }, "Test wyswietlacza..."},
      {[] { ClearPriceBuffer(); }, "Kasowanie bufora wycen..."},
      {[] { EpromTest(); }, "Test pamięci EPROM..."},
      {[&] { ReadUniqueNumber(s1); }, "Odczyt numeru unikatowego..."},
      {[&] { ReadUserData(s1, s2, s3, s4); }, "Odczyt danych użytkownika..."},
      {[] { PrintUserDataControl("", "", "", ""); }, "Wydruk kontrolny danych użytkownika..."},
      {[] { RemotePrinterOff(); }, "Wyłączenie drukarki..."},
  };
  for (const auto& [run, text] : cases) {
    texts.clear();
    run();
    ASSERT_FALSE(texts.empty()) << text;
    EXPECT_EQ(texts.front(), platform::Cp1250FromUtf8(text));
  }
  // No text of their own.
  texts.clear();
  inner::pReadUniqueNumber(Link(), buffer);
  WriteUserData(1, 1, "");
  EXPECT_EQ(texts, std::vector<std::string>{});
}

}  // namespace
}  // namespace kavoruw
