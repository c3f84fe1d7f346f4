#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/win_files.h"
#include "zorvel_test_env.h"

namespace zorvel::test {
namespace {

const std::string kConfigHostName = kConfigFileName;

TEST(ChooseMailRootTest, TheDefaultRootWinsThenTheConfiguredOneElseTheUserIsAsked) {
  RootChoice both = ChooseMailRoot("E:\\Mail", true, true);
  EXPECT_EQ(both.MailRoot, "F:\\Poczta");
  EXPECT_EQ(both.DataDir, "F:\\Poczta\\Naczelnik\\tovmir");
  EXPECT_TRUE(both.RegisterFound);

  RootChoice defaultOnly = ChooseMailRoot("E:\\Mail", true, false);
  EXPECT_EQ(defaultOnly.MailRoot, "F:\\Poczta");
  EXPECT_EQ(defaultOnly.DataDir, "F:\\Poczta\\Naczelnik\\tovmir");
  EXPECT_TRUE(defaultOnly.RegisterFound);

  RootChoice configuredOnly = ChooseMailRoot("E:\\Mail", false, true);
  EXPECT_EQ(configuredOnly.MailRoot, "E:\\Mail");
  EXPECT_EQ(configuredOnly.DataDir, "E:\\Mail\\Naczelnik\\tovmir");
  EXPECT_TRUE(configuredOnly.RegisterFound);

  RootChoice neither = ChooseMailRoot("E:\\Mail", false, false);
  EXPECT_EQ(neither.MailRoot, "F:\\Poczta");
  EXPECT_EQ(neither.DataDir, "E:\\Mail\\Naczelnik\\tovmir");
  EXPECT_FALSE(neither.RegisterFound);

  // No configured root: the configured paths are root-relative.
  EXPECT_EQ(ChooseMailRoot("", false, false).DataDir, "\\Naczelnik\\tovmir");
}

class StartupTest : public ZorvelTest {
 protected:
  void MakeRegister(const fs::path& mailRoot) { Touch(mailRoot / "Naczelnik/tovmir/spis.dbf"); }
  fs::path ConfigFile() const { return C("Marvolt") / kConfigHostName; }
};

TEST_F(StartupTest, AFirstStartMakesTheCompanyFolderAndAsksForTheRoot) {
  StartupResult r = StartRegisterTool(core, paths);
  EXPECT_EQ(trace_, (std::vector<std::string>{"beep", "delay 3"}));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(fs::is_directory(C("Marvolt")));
  EXPECT_FALSE(r.QuitRequested);
  EXPECT_FALSE(r.RegisterFound);
  EXPECT_EQ(ConfiguredRoot, "");
  EXPECT_EQ(MailRoot, "F:\\Poczta");
  EXPECT_EQ(DataDir, "\\Naczelnik\\tovmir");
  EXPECT_EQ(ConfigFilePath, "C:\\Marvolt\\" + kConfigHostName);
  EXPECT_EQ(LegacyIniPath, "c:\\Windows\\Sonvar.ini");
  EXPECT_EQ(DefaultRegisterPath, "F:\\Poczta\\Naczelnik\\tovmir\\spis.dbf");
}

TEST_F(StartupTest, TheDefaultRegisterWinsOverTheConfiguredOne) {
  MakeRegister(F("Poczta"));
  MakeRegister(F("Inna"));
  Touch(ConfigFile(), "F:\\Inna\r\n");
  StartupResult r = StartRegisterTool(core, paths);
  EXPECT_TRUE(r.RegisterFound);
  EXPECT_EQ(ConfiguredRoot, "F:\\Inna");
  EXPECT_EQ(MailRoot, "F:\\Poczta");
  EXPECT_EQ(DataDir, "F:\\Poczta\\Naczelnik\\tovmir");
}

TEST_F(StartupTest, TheConfiguredRootIsReadTrimmedFromItsFirstLine) {
  MakeRegister(F("INNA"));
  Touch(ConfigFile(), "  \tf:\\inna  \r\nF:\\Poczta\r\n");
  StartupResult r = StartRegisterTool(core, paths);
  EXPECT_TRUE(r.RegisterFound);
  EXPECT_EQ(MailRoot, "f:\\inna");
  EXPECT_EQ(DataDir, "f:\\inna\\Naczelnik\\tovmir");
  EXPECT_EQ(ReadBytes(ConfigFile()), "  \tf:\\inna  \r\nF:\\Poczta\r\n");  // only read
}

TEST_F(StartupTest, AConfiguredRootWithoutRegisterPrefillsTheChooser) {
  fs::create_directories(F("Inna"));
  Touch(ConfigFile(), "F:\\Inna\r\n");
  StartupResult r = StartRegisterTool(core, paths);
  EXPECT_FALSE(r.RegisterFound);
  EXPECT_EQ(ConfiguredRoot, "F:\\Inna");
  EXPECT_EQ(MailRoot, "F:\\Poczta");
  EXPECT_EQ(DataDir, "F:\\Inna\\Naczelnik\\tovmir");
}

TEST_F(StartupTest, TheLegacyFileOverwritesTheConfigurationAndIsDeleted) {
  MakeRegister(F("Stara"));
  Touch(C("WINDOWS/SONVAR.INI"), " F:\\Stara \r\nignored\r\n");
  Touch(ConfigFile(), "F:\\Inna\r\n");
  StartupResult r = StartRegisterTool(core, paths);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(ReadBytes(ConfigFile()), "F:\\Stara\r\n");
  EXPECT_FALSE(fs::exists(C("WINDOWS/SONVAR.INI")));
  EXPECT_TRUE(r.RegisterFound);
  EXPECT_EQ(MailRoot, "F:\\Stara");
}

TEST_F(StartupTest, WithoutACompanyFolderBothAlertsShowAndTheLegacyFileIsKept) {
  Touch(C("Marvolt"), "a file where the folder should be");
  Touch(C("Windows/Sonvar.ini"), "F:\\Stara\r\n");
  MakeRegister(F("Stara"));
  StartupResult r = StartRegisterTool(core, paths);
  EXPECT_TRUE(r.QuitRequested);
  ASSERT_EQ(boxes_.size(), 3u);
  EXPECT_EQ(boxes_[0], (Box{"alert", "Brak C:\\Marvolt", kMbIconError, ""}));
  EXPECT_EQ(boxes_[1],
            (Box{"alert", "Nieudane tworzenie folderu \"C:\\Marvolt\"", kMbIconError, ""}));
  EXPECT_EQ(boxes_[2].kind, "error");
  EXPECT_NE(boxes_[2].text.find(kConfigHostName), std::string::npos);
  // The start goes on with the legacy root; the legacy file stays for next time.
  EXPECT_EQ(ReadBytes(C("Windows/Sonvar.ini")), "F:\\Stara\r\n");
  EXPECT_EQ(ConfiguredRoot, "F:\\Stara");
  EXPECT_TRUE(r.RegisterFound);
  EXPECT_EQ(MailRoot, "F:\\Stara");
}

using ChooserTest = StartupTest;

TEST_F(ChooserTest, AFolderWithoutRegisterGivesTheTestedPath) {
  ChosenRootCheck check = CheckChosenRoot(core.Drives, paths, "F:\\Pusta ");
  EXPECT_FALSE(check.RegisterFound);
  EXPECT_EQ(check.TestedPath, "F:\\Pusta \\Naczelnik\\tovmir\\spis.dbf");
  EXPECT_EQ(MailRoot, "F:\\Pusta ");
  EXPECT_EQ(DataDir, "F:\\Pusta \\Naczelnik\\tovmir");
  EXPECT_EQ(MissingRegisterText(),
            "Brak pliku Spis.dbf lub b\xB3\xEA"
            "dna \x9C"
            "cie\xBFka");
}

TEST_F(ChooserTest, ADriveRootIsJoinedUnchanged) {
  MakeRegister(F(""));
  ChosenRootCheck check = CheckChosenRoot(core.Drives, paths, "F:\\");
  EXPECT_TRUE(check.RegisterFound);
  EXPECT_EQ(check.TestedPath, "F:\\\\Naczelnik\\tovmir\\spis.dbf");
  EXPECT_EQ(DataDir, "F:\\\\Naczelnik\\tovmir");
}

TEST_F(ChooserTest, TheChosenRootReplacesTheConfigurationWhole) {
  Touch(ConfigFile(), "F:\\Stara\r\n");
  MakeRegister(F("Nowa"));
  // A root without its register is never remembered.
  EXPECT_FALSE(SaveChosenRoot(core.Drives, paths, "F:\\Pusta"));
  EXPECT_EQ(ReadBytes(ConfigFile()), "F:\\Stara\r\n");
  ASSERT_TRUE(CheckChosenRoot(core.Drives, paths, "F:\\Nowa").RegisterFound);
  EXPECT_TRUE(SaveChosenRoot(core.Drives, paths, "F:\\Nowa"));
  EXPECT_EQ(ReadBytes(ConfigFile()), "F:\\Nowa\r\n");
  EXPECT_EQ(Entries(C("Marvolt")), std::vector<std::string>{kConfigHostName});
  EXPECT_TRUE(fs::is_directory(C("Windows/Kaldrin")));
  SaveChosenRoot(core.Drives, paths, "F:\\Nowa");  // the folder exists already: no matter
  EXPECT_EQ(ReadBytes(ConfigFile()), "F:\\Nowa\r\n");
}

TEST_F(ChooserTest, AFailedSaveKeepsTheOldConfigurationWhole) {
  Touch(ConfigFile(), "F:\\Stara\r\n");
  MakeRegister(F("Nowa"));
  // A file-size limit of 0 makes every write of file data fail, even as root.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit none = saved;
  none.rlim_cur = 0;
  setrlimit(RLIMIT_FSIZE, &none);
  bool raised = false;
  try {
    SaveChosenRoot(core.Drives, paths, "F:\\Nowa");
  } catch (const InOutError&) {
    raised = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadBytes(ConfigFile()), "F:\\Stara\r\n");
  EXPECT_EQ(Entries(C("Marvolt")), std::vector<std::string>{kConfigHostName});
}

TEST(StartupTexts, CaptionsAndAlertsAreWindows1250) {
  EXPECT_EQ(ChooserCaption(),
            "Podaj \x9C"
            "cie\xBFk\xEA do poczty lokalnej - \"Dorvik\" z folderem Naczelnik ");
  EXPECT_EQ(AlertCaption("08.12.2026", "23:59:01"), "Uwaga!   08.12.2026,  23:59:01");
}

}  // namespace
}  // namespace zorvel::test
