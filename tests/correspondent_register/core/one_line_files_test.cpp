#include <gtest/gtest.h>
#include <sys/stat.h>

#include "correspondent_register/core/win_files.h"
#include "platform/text/cp1250.h"
#include "zorvel_test_env.h"

namespace zorvel::test {
namespace {

using platform::Cp1250FromUtf8;
using OneLineFiles = ZorvelTest;

TEST_F(OneLineFiles, WrittenLineIsTheTextAndCrLfByteForByte) {
  fs::create_directories(C("Marvolt"));
  const std::string root = Cp1250FromUtf8("F:\\Poczta Główna");
  WriteSingleLine(core.Drives, "c:\\MARVOLT\\plik.atk", root);
  EXPECT_EQ(ReadBytes(C("Marvolt/plik.atk")), "F:\\Poczta G\xB3\xF3wna\r\n");
  EXPECT_EQ(Entries(C("Marvolt")), std::vector<std::string>{"plik.atk"});  // no temporary left

  WriteSingleLine(core.Drives, "C:\\Marvolt\\empty", "");
  EXPECT_EQ(ReadBytes(C("Marvolt/empty")), "\r\n");
}

TEST_F(OneLineFiles, AnExistingFileIsReplacedWholeAndKeepsItsPermissions) {
  Touch(C("Marvolt/plik.atk"), "a much longer old line\r\nand a second one\r\n");
  fs::permissions(C("Marvolt/plik.atk"), fs::perms(0640));
  WriteSingleLine(core.Drives, "C:\\Marvolt\\PLIK.ATK", "E:\\Mail");
  EXPECT_EQ(Entries(C("Marvolt")), std::vector<std::string>{"plik.atk"});
  EXPECT_EQ(ReadBytes(C("Marvolt/plik.atk")), "E:\\Mail\r\n");
  EXPECT_EQ(fs::status(C("Marvolt/plik.atk")).permissions() & fs::perms::all, fs::perms(0640));
}

TEST_F(OneLineFiles, AFailedWriteRaisesAndLeavesWhatWasThere) {
  // The folder is missing: nothing is made.
  try {
    WriteSingleLine(core.Drives, "C:\\Marvolt\\plik.atk", "x");
    FAIL() << "no error";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.ErrorCode, 2u);
    EXPECT_EQ(platform::Utf8FromCp1250(e.what()),
              "Nie można zapisać pliku C:\\Marvolt\\plik.atk (nie znaleziono pliku lub folderu)");
  }
  EXPECT_FALSE(fs::exists(C("Marvolt")));

  // A folder stands where the file should go: it stays, with its content.
  Touch(C("Marvolt/plik.atk/inside"), "keep");
  EXPECT_THROW(WriteSingleLine(core.Drives, "C:\\Marvolt\\plik.atk", "x"), InOutError);
  EXPECT_EQ(ReadBytes(C("Marvolt/plik.atk/inside")), "keep");
  EXPECT_EQ(Entries(C("Marvolt")), std::vector<std::string>{"plik.atk"});
}

TEST_F(OneLineFiles, FirstLineEndsAtCrOrLfOrTheEnd) {
  Touch(F("a.txt"), "F:\\Poczta\r\nsecond line\r\n");
  Touch(F("b.txt"), "  E:\\Mail \nx");
  Touch(F("c.txt"), "no line break \xA5");
  Touch(F("d.txt"), "");
  Touch(F("e.txt"), "\r\nsecond");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\A.TXT"), "F:\\Poczta");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\b.txt"), "  E:\\Mail ");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\c.txt"), "no line break \xA5");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\d.txt"), "");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\e.txt"), "");
}

TEST_F(OneLineFiles, AFileThatCannotBeOpenedReadsAsEmpty) {
  fs::create_directories(F("folder"));
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\missing.txt"), "");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\folder"), "");
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\folder\\missing\\x.txt"), "");
  ASSERT_EQ(::mkfifo(F("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadFirstLine(core.Drives, "F:\\pipe"), "");  // returns at once, no writer needed
}

TEST(TrimLineTest, BlanksAndControlCharactersGoFromBothEnds) {
  EXPECT_EQ(TrimLine(" \t F:\\Poczta \x1A\r"), "F:\\Poczta");
  EXPECT_EQ(TrimLine("\xA5 x \xB9"), "\xA5 x \xB9");  // Polish letters stay
  EXPECT_EQ(TrimLine("   "), "");
  EXPECT_EQ(TrimLine("a  b"), "a  b");
}

}  // namespace
}  // namespace zorvel::test
