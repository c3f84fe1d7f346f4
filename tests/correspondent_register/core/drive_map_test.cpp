#include <gtest/gtest.h>
#include <stdlib.h>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/win_files.h"
#include "platform/text/cp1250.h"
#include "zorvel_test_env.h"

namespace zorvel::test {
namespace {

using platform::Cp1250FromUtf8;

TEST(DriveMapParse, LettersInAnyCaseAndUnreadableEntriesReported) {
  std::vector<std::string> problems;
  DriveMap map = DriveMap::Parse("C=/srv/c, f=/mnt/poczta ,,X,7=/a,G=", &problems);
  EXPECT_EQ(map.Root('c'), fs::path("/srv/c"));
  EXPECT_EQ(map.Root('F'), fs::path("/mnt/poczta"));
  EXPECT_FALSE(map.Root('G'));
  EXPECT_EQ(map.Letters(), (std::vector<char>{'C', 'F'}));
  EXPECT_EQ(problems, (std::vector<std::string>{"X", "7=/a", "G="}));
  EXPECT_FALSE(map.CreatesRoot('C'));
}

TEST(DriveMapParse, RelativeFolderIsTakenFromTheCurrentDirectory) {
  DriveMap map = DriveMap::Parse("D=data/d");
  EXPECT_EQ(map.Root('D'), (fs::current_path() / "data/d").lexically_normal());
}

TEST(DriveMapEnvironment, DriveCDefaultsToTheUserDataFolder) {
  const char* oldDrives = std::getenv("ZORVEL_DRIVES");
  const char* oldXdg = std::getenv("XDG_DATA_HOME");
  std::string savedDrives = oldDrives ? oldDrives : "";
  std::string savedXdg = oldXdg ? oldXdg : "";

  ::setenv("XDG_DATA_HOME", "/home/u/.data", 1);
  ::setenv("ZORVEL_DRIVES", "F=/mnt/poczta", 1);
  DriveMap map = DriveMap::FromEnvironment();
  EXPECT_EQ(map.Root('C'), fs::path("/home/u/.data/zorvel/C"));
  EXPECT_TRUE(map.CreatesRoot('C'));
  EXPECT_EQ(map.Root('F'), fs::path("/mnt/poczta"));

  ::setenv("ZORVEL_DRIVES", "c=/srv/c", 1);
  map = DriveMap::FromEnvironment();
  EXPECT_EQ(map.Root('C'), fs::path("/srv/c"));
  EXPECT_FALSE(map.CreatesRoot('C'));

  if (oldDrives) ::setenv("ZORVEL_DRIVES", savedDrives.c_str(), 1);
  else ::unsetenv("ZORVEL_DRIVES");
  if (oldXdg) ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  else ::unsetenv("XDG_DATA_HOME");
}

using DriveMapPaths = ZorvelTest;

TEST_F(DriveMapPaths, ExistingComponentsMatchWithoutRegardToCase) {
  fs::create_directories(F("poczta/NACZELNIK/Tovmir"));
  Touch(F("poczta/NACZELNIK/Tovmir/SPIS.DBF"));
  EXPECT_EQ(core.Drives.HostPath("F:\\Poczta\\Naczelnik\\tovmir\\spis.dbf"),
            F("poczta/NACZELNIK/Tovmir/SPIS.DBF"));
  // What does not exist yet is appended as written, below what does.
  EXPECT_EQ(core.Drives.HostPath("f:\\POCZTA\\naczelnik\\Nowy\\Plik.txt"),
            F("poczta/NACZELNIK/Nowy/Plik.txt"));
  // Both separators, doubled separators, "." and ".." (never above the root).
  EXPECT_EQ(core.Drives.HostPath("F:/poczta\\\\naczelnik\\.\\x\\..\\tovmir\\"),
            F("poczta/NACZELNIK/Tovmir"));
  EXPECT_EQ(core.Drives.HostPath("F:\\..\\..\\poczta"), F("poczta"));
}

TEST(DriveMapWindowsPaths, HostPathsInATextAreNamedByTheirDrive) {
  DriveMap map;
  map.Map('F', "/srv/poczta");
  map.Map('G', "/srv/poczta/archiwum/");
  map.Map('C', "/home/u/c");
  EXPECT_EQ(map.WithWindowsPaths("Uszkodzony plik notatek /srv/poczta/Naczelnik/tovmir/GRUPY.DBT"),
            "Uszkodzony plik notatek F:\\Naczelnik\\tovmir\\GRUPY.DBT");
  // The longer root wins; a path ends at a colon, quote or bracket.
  EXPECT_EQ(
      map.WithWindowsPaths("Tabela \"/srv/poczta/archiwum/a.dbf\": (/srv/poczta) /srv/pocztax/b"),
      "Tabela \"G:\\a.dbf\": (F:\\) /srv/pocztax/b");
  EXPECT_EQ(map.WithWindowsPaths("/home/u/c/Marvolt/plik.atk"), "C:\\Marvolt\\plik.atk");
  EXPECT_EQ(map.WithWindowsPaths("bez ścieżek 1/2"), "bez ścieżek 1/2");
}

TEST_F(DriveMapPaths, AnExactNameIsPreferredAndTheChoiceIsStable) {
  fs::create_directories(F("FWP"));
  fs::create_directories(F("Fwp"));
  fs::create_directories(F("fwp"));
  EXPECT_EQ(core.Drives.HostPath("F:\\Fwp"), F("Fwp"));
  EXPECT_EQ(core.Drives.HostPath("F:\\fWP"), F("FWP"));  // first in byte order
}

TEST_F(DriveMapPaths, PolishNamesAreMatchedInTheProgramsCodePage) {
  fs::create_directories(F("Łódź/Żółw"));  // UTF-8 on the host
  EXPECT_EQ(core.Drives.HostPath(Cp1250FromUtf8("F:\\ŁÓDŹ\\żÓŁW")), F("Łódź/Żółw"));
  EXPECT_EQ(core.Drives.HostPath(Cp1250FromUtf8("F:\\łódź\\Gęś")), F("Łódź/Gęś"));
  std::vector<std::string> folders = Subfolders(core.Drives, Cp1250FromUtf8("F:\\ŁÓDŹ"));
  EXPECT_EQ(folders, std::vector<std::string>{Cp1250FromUtf8("Żółw")});
}

TEST_F(DriveMapPaths, PathsWithoutADriveLieOnDriveC) {
  EXPECT_EQ(core.Drives.HostPath("\\Naczelnik\\tovmir"), C("Naczelnik/tovmir"));
  EXPECT_EQ(core.Drives.HostPath("Poczta"), C("Poczta"));
  EXPECT_EQ(core.Drives.HostPath("C:Marvolt"), C("Marvolt"));
}

TEST_F(DriveMapPaths, WhatCannotBeMappedHasNoHostPath) {
  EXPECT_FALSE(core.Drives.HostPath("D:\\Poczta"));          // unmapped drive
  EXPECT_FALSE(core.Drives.HostPath("\\\\serwer\\Poczta"));  // UNC
  EXPECT_FALSE(core.Drives.HostPath("F:\\Po*czta"));
  EXPECT_FALSE(core.Drives.HostPath("F:\\Poczta\\a:b"));
  EXPECT_FALSE(FileExists(core.Drives, "D:\\Poczta\\spis.dbf"));
  EXPECT_FALSE(CreateFolder(core.Drives, "D:\\Poczta"));
  EXPECT_EQ(ReadFirstLine(core.Drives, "D:\\x.txt"), "");
  EXPECT_THROW(WriteSingleLine(core.Drives, "D:\\x.txt", "x"), InOutError);
}

TEST_F(DriveMapPaths, ADefaultDriveGetsItsRootWhenAFolderIsMadeOnIt) {
  DriveMap map;
  map.Map('C', base_ / "home/zorvel/C", true);
  map.Map('F', base_ / "missing-share");
  core.Drives = map;
  EXPECT_TRUE(CreateFolder(core.Drives, "C:\\Marvolt"));
  EXPECT_TRUE(fs::is_directory(base_ / "home/zorvel/C/Marvolt"));
  // A mapped share that is not there is not made.
  EXPECT_FALSE(CreateFolder(core.Drives, "F:\\Poczta"));
  EXPECT_FALSE(fs::exists(base_ / "missing-share"));
}

}  // namespace
}  // namespace zorvel::test
