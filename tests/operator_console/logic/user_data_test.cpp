#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "operator_console/logic/user_data.h"
#include "test_text.h"

namespace console {
namespace {

namespace fs = std::filesystem;

std::string Centered(std::string line, uint8_t width) {
  CenterLine(line, width);
  return line;
}

std::string Padded(std::string line, uint8_t width) {
  PadLine(line, width);
  return line;
}

TEST(LineFormatters, CenterTrimsAndPutsTheOddBlankRight) {
  EXPECT_EQ(Centered("  ABC ", 10), "   ABC    ");
  EXPECT_EQ(Centered("", 4), "    ");
  EXPECT_EQ(Centered("A\tB", 5), " A B ");
  const std::string longLine = "   " + std::string(37, 'x') + "yyyyy";  // 45 characters
  EXPECT_EQ(Centered(longLine, 40), " " + std::string(37, 'x') + "  ");
}

TEST(LineFormatters, PolishLettersSurvive) {
  const std::string line = W("Łódź Żółć");
  EXPECT_EQ(Centered(line, 11), " " + line + " ");
  EXPECT_EQ(Padded(line, 10), line + " ");
}

TEST(LineFormatters, PadFillsOrCutsAndKeepsLeadingBlanks) {
  EXPECT_EQ(Padded("AB", 20), "AB" + std::string(18, ' '));
  EXPECT_EQ(Padded(" A\tB\r", 6), " A B  ");
  EXPECT_EQ(Padded(std::string(25, 'z'), 20), std::string(20, 'z'));
}

TEST(NipCheck, VerdictsInTheirOrder) {
  EXPECT_EQ(ValidateNipLine("NIP 123-456-32-18"), kNipValid);
  EXPECT_EQ(ValidateNipLine("NIP 123-456-32-19"), kNipBadNumber);
  EXPECT_EQ(ValidateNipLine("123-456-32-18"), kNipNoWord);
  EXPECT_EQ(ValidateNipLine("NIP"), kNipNoDigits);
  EXPECT_EQ(ValidateNipLine("no digits, no word"), kNipNoDigits);
  EXPECT_EQ(ValidateNipLine("NIP 123"), kNipBadNumber);
  EXPECT_EQ(ValidateNipLine("NIP 123-456-32-180"), kNipBadNumber);
  EXPECT_EQ(ValidateNipLine("NIP 123-456-78-90"), kNipBadNumber);  // remainder 10
  EXPECT_EQ(ValidateNipLine("nip 1234563218"), kNipValid);
  EXPECT_EQ(ValidateNipLine("xxNiPxx 1234563218"), kNipValid);
  EXPECT_EQ(ValidateNipLine("N I P 1234563218"), kNipNoWord);
}

TEST(NipCheck, BoxesOfTheDialogAndOfTheFiscalSwitch) {
  const NipVerdictBox dialog = NipVerdictBoxFor(kNipBadNumber, false);
  EXPECT_EQ(dialog.caption, W("Błąd"));
  EXPECT_EQ(dialog.flags, 0x14u);
  EXPECT_TRUE(dialog.question);
  EXPECT_EQ(
      dialog.text,
      W("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r   Program wykrył błędną sumę kontrolną. "
        " \rAby ponownie wprowadzić NIP naciśnij NIE. \r      Aby kontynuować naciśnij TAK. "
        "      "));
  const NipVerdictBox fiscal = NipVerdictBoxFor(kNipBadNumber, true);
  EXPECT_EQ(fiscal.caption, "Odpowiedz");
  EXPECT_EQ(fiscal.flags, 0x34u);
  EXPECT_NE(fiscal.text.find(W("Aby wyjść z procedury fiskalizacji naciśnij NIE. \r")),
            std::string::npos);
  const NipVerdictBox noWord = NipVerdictBoxFor(kNipNoWord, true);
  EXPECT_EQ(noWord.flags, 0x10u);
  EXPECT_FALSE(noWord.question);
  EXPECT_EQ(
      noWord.text,
      W("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r     Brak słowa 'NIP' w ciągu znaków     "));
  EXPECT_EQ(NipVerdictBoxFor(kNipNoDigits, false).text,
            W("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r                      Brak cyfr w ciągu "
              "znaków.         "));
}

TEST(TabFields, DollarLeavesFieldOneOnly) {
  EXPECT_EQ(GetTabField(1, "$ABC\t40"), "ABC");
  EXPECT_EQ(GetTabField(2, "$ABC\t40"), "40");
  EXPECT_EQ(GetTabField(1, "$ABC"), "ABC");
  EXPECT_EQ(GetTabField(2, "$ABC"), "");
  EXPECT_EQ(GetTabField(1, "$$A\t"), "$A");
  EXPECT_EQ(GetTabField(2, "a\t$b\tc"), "$b");
  EXPECT_EQ(GetTabField(3, "a\tb\tc"), "c");
  EXPECT_EQ(GetTabField(1, "\t40"), "");
  EXPECT_EQ(GetTabField(1, ""), "");
}

UserDataLines Sample() {
  UserDataLines data;
  data.lines = {W("SKLEP ŻABKA"), "ul. Polna 1", W("00-001 Łódź"), "NIP 123-456-32-18"};
  data.widthItems = {0, 1, 0};
  return data;
}

class UserDataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("console_logic_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  static void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }
  fs::path dir_;
};

TEST_F(UserDataFileTest, SavesSevenCrLfLinesInWindows1250) {
  const fs::path file = dir_ / "dane.txt";
  ASSERT_TRUE(SaveUserDataFile(file, Sample()).ok);
  EXPECT_EQ(Read(file), "#1\r\n#\r\n#\r\n$" + W("SKLEP ŻABKA") + "\t40\r\n$ul. Polna 1\t20\r\n$" +
                            W("00-001 Łódź") + "\t40\r\n$NIP 123-456-32-18\t40\r\n");
  // Nothing is left beside the file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(UserDataFileTest, ControlBytesAreSavedAsBlanksAndEmptyNipLine) {
  UserDataLines data;
  data.lines = {"A\tB", "C\rD", "", ""};
  EXPECT_EQ(UserDataFileContent(data),
            "#1\r\n#\r\n#\r\n$A B\t40\r\n$C D\t40\r\n$\t40\r\n$\t40\r\n");
}

TEST_F(UserDataFileTest, RoundTripAndLfLineEnds) {
  const fs::path file = dir_ / "dane.txt";
  ASSERT_TRUE(SaveUserDataFile(file, Sample()).ok);
  UserDataLoadResult loaded = LoadUserDataFile(file);
  ASSERT_TRUE(loaded.ok) << loaded.errorText;
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(*loaded.lines[i], Sample().lines[i]);
  EXPECT_EQ(*loaded.widthItems[0], 0);
  EXPECT_EQ(*loaded.widthItems[1], 1);

  Write(file, "x\ny\nz\n$A\t20\n$B\t40\n$C\t20\n$NIP 1\t99");
  loaded = LoadUserDataFile(file);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(*loaded.lines[2], "C");
  EXPECT_EQ(*loaded.lines[3], "NIP 1");
  EXPECT_EQ(*loaded.widthItems[2], 1);
}

TEST_F(UserDataFileTest, SixLinesLeaveNipEmptyFiveLinesFail) {
  UserDataLoadResult r = ParseUserDataFile("#1\r\n#\r\n#\r\n$A\t40\r\n$B\t40\r\n$C\t40\r\n", "f");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(*r.lines[3], "");
  r = ParseUserDataFile("#1\r\n#\r\n#\r\n$A\t40\r\n$B\t40\r\n", "f");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errorText, W("Błędny format pliku f"));
  EXPECT_EQ(*r.lines[2], "");
  EXPECT_FALSE(r.widthItems[2]);
}

TEST_F(UserDataFileTest, BadWidthKeepsWhatWasTakenBefore) {
  const fs::path file = dir_ / "zly.txt";
  Write(file, "#1\r\n#\r\n#\r\n$A\t20\r\n$B\t40 \r\n$C\t40\r\n$NIP\t40\r\n");
  const UserDataLoadResult r = LoadUserDataFile(file);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errorText, W("Błędny format pliku ") + fs::absolute(file).string());
  EXPECT_EQ(*r.lines[0], "A");
  EXPECT_EQ(*r.widthItems[0], 1);
  EXPECT_EQ(*r.lines[1], "B");
  EXPECT_FALSE(r.widthItems[1]);
  EXPECT_FALSE(r.lines[2]);
  EXPECT_FALSE(r.lines[3]);
  // A line without a TAB has no width.
  EXPECT_FALSE(ParseUserDataFile("#1\n#\n#\n$ABC\n", "f").ok);
}

TEST_F(UserDataFileTest, MissingFileAndFolderAreErrorsNotExceptions) {
  const UserDataLoadResult missing = LoadUserDataFile(dir_ / "brak.txt");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.errorText,
            W("Nie można otworzyć pliku ") + fs::absolute(dir_ / "brak.txt").string());
  EXPECT_FALSE(LoadUserDataFile(dir_).ok);
  const UserDataSaveResult save = SaveUserDataFile(dir_ / "nie" / "ma.txt", Sample());
  EXPECT_FALSE(save.ok);
  EXPECT_EQ(save.errorText,
            W("Nie można zapisać pliku ") + fs::absolute(dir_ / "nie" / "ma.txt").string());
}

TEST_F(UserDataFileTest, FailedSaveLeavesTheOldFile) {
  const fs::path file = dir_ / "dane.txt";
  Write(file, "stare dane");
  // Saving over a folder fails at the rename: the temporary file goes away.
  fs::create_directories(dir_ / "folder.txt" / "x");
  EXPECT_FALSE(SaveUserDataFile(dir_ / "folder.txt", Sample()).ok);
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.txt"));
  if (::geteuid() != 0) {
    // A folder that takes no new file: the old file stays as it was.
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(SaveUserDataFile(file, Sample()).ok);
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
  }
  EXPECT_EQ(Read(file), "stare dane");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(UserDataFileTest, SaveReplacesALinkItselfAndLeavesItsTarget) {
  const fs::path real = dir_ / "real.txt";
  Write(real, "old");
  fs::create_symlink(real, dir_ / "link.txt");
  ASSERT_TRUE(SaveUserDataFile(dir_ / "link.txt", Sample()).ok);
  EXPECT_FALSE(fs::is_symlink(dir_ / "link.txt"));
  EXPECT_EQ(Read(dir_ / "link.txt"), UserDataFileContent(Sample()));
  EXPECT_EQ(Read(real), "old");
}

}  // namespace
}  // namespace console
