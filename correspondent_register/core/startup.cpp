#include "correspondent_register/core/startup.h"

#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"

namespace zorvel {

std::string MailRoot = kDefaultMailRoot;
std::string DataDir;
std::string ConfiguredRoot;
std::string ConfigFilePath = std::string(kCompanyFolder) + "\\" + kConfigFileName;
std::string LegacyIniPath = kLegacyIniFile;
std::string DefaultRegisterPath = std::string(kDefaultMailRoot) + kRegisterFileSubPath;

RootChoice ChooseMailRoot(const std::string& configuredRoot, bool defaultRegisterExists,
                          bool configuredRegisterExists) {
  RootChoice choice;
  choice.MailRoot = kDefaultMailRoot;
  choice.DataDir = configuredRoot + kRegisterSubPath;
  if (defaultRegisterExists) choice.DataDir = std::string(kDefaultMailRoot) + kRegisterSubPath;
  choice.RegisterFound = defaultRegisterExists || configuredRegisterExists;
  if (configuredRegisterExists) choice.MailRoot = configuredRoot;
  if (defaultRegisterExists) choice.MailRoot = kDefaultMailRoot;
  return choice;
}

bool EnsureCompanyFolder() {
  bool quit = false;
  if (!DirectoryExists(kCompanyFolder) && !CreateFolder(kCompanyFolder)) {
    ShowAlert(MissingCompanyFolderText());
    quit = true;
  }
  if (!DirectoryExists(kCompanyFolder)) {
    CreateFolder(kCompanyFolder);
    if (!DirectoryExists(kCompanyFolder)) ShowAlert(CompanyFolderFailedText());
  }
  return quit;
}

MigrationResult MigrateLegacyIni() {
  if (!FileExists(LegacyIniPath)) return MigrationResult::NoLegacyFile;
  try {
    ConfiguredRoot = TrimLine(ReadFirstLine(LegacyIniPath));
    WriteSingleLine(ConfigFilePath, ConfiguredRoot);
  } catch (const InOutError& e) {
    ShowErrorBox(e.what());
    return MigrationResult::Failed;
  }
  DeleteFile(LegacyIniPath);
  return MigrationResult::Migrated;
}

StartupResult StartRegisterTool() {
  StartupResult result;
  Beep();
  DelaySeconds(3);
  result.QuitRequested = EnsureCompanyFolder();

  LegacyIniPath = kLegacyIniFile;
  ConfigFilePath = std::string(kCompanyFolder) + "\\" + kConfigFileName;
  ConfiguredRoot.clear();
  // When the configuration file could not be written, the legacy file's root
  // (read just now) serves this run.
  if (MigrateLegacyIni() != MigrationResult::Failed) {
    try {
      ConfiguredRoot = TrimLine(ReadFirstLine(ConfigFilePath));
    } catch (const InOutError& e) {
      ShowErrorBox(e.what());
      ConfiguredRoot.clear();
    }
  }

  DefaultRegisterPath = std::string(kDefaultMailRoot) + kRegisterFileSubPath;
  RootChoice choice = ChooseMailRoot(ConfiguredRoot, FileExists(DefaultRegisterPath),
                                     FileExists(ConfiguredRoot + kRegisterFileSubPath));
  MailRoot = choice.MailRoot;
  DataDir = choice.DataDir;
  result.RegisterFound = choice.RegisterFound;
  return result;
}

ChosenRootCheck CheckChosenRoot(const std::string& chosenText) {
  MailRoot = chosenText;
  DataDir = chosenText + kRegisterSubPath;
  ChosenRootCheck check;
  check.TestedPath = chosenText + kRegisterFileSubPath;
  check.RegisterFound = FileExists(check.TestedPath);
  return check;
}

bool SaveChosenRoot(const std::string& chosenText) {
  if (!FileExists(chosenText + kRegisterFileSubPath)) return false;
  ForceFolders(kKaldrinFolder);
  WriteSingleLine(ConfigFilePath, chosenText);
  return true;
}

}  // namespace zorvel
