#include "correspondent_register/core/startup.h"

#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"

namespace zorvel {

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

MigrationResult MigrateLegacyIni(RegisterPaths& paths) {
  if (!FileExists(paths.LegacyIniPath)) return MigrationResult::NoLegacyFile;
  try {
    paths.ConfiguredRoot = TrimLine(ReadFirstLine(paths.LegacyIniPath));
    WriteSingleLine(paths.ConfigFilePath, paths.ConfiguredRoot);
  } catch (const InOutError& e) {
    ShowErrorBox(e.what());
    return MigrationResult::Failed;
  }
  DeleteFile(paths.LegacyIniPath);
  return MigrationResult::Migrated;
}

StartupResult StartRegisterTool(RegisterPaths& paths) {
  StartupResult result;
  Beep();
  DelaySeconds(3);
  result.QuitRequested = EnsureCompanyFolder();

  paths.LegacyIniPath = kLegacyIniFile;
  paths.ConfigFilePath = std::string(kCompanyFolder) + "\\" + kConfigFileName;
  paths.ConfiguredRoot.clear();
  // When the configuration file could not be written, the legacy file's root
  // (read just now) serves this run.
  if (MigrateLegacyIni(paths) != MigrationResult::Failed) {
    try {
      paths.ConfiguredRoot = TrimLine(ReadFirstLine(paths.ConfigFilePath));
    } catch (const InOutError& e) {
      ShowErrorBox(e.what());
      paths.ConfiguredRoot.clear();
    }
  }

  paths.DefaultRegisterPath = std::string(kDefaultMailRoot) + kRegisterFileSubPath;
  RootChoice choice = ChooseMailRoot(paths.ConfiguredRoot, FileExists(paths.DefaultRegisterPath),
                                     FileExists(paths.ConfiguredRoot + kRegisterFileSubPath));
  paths.MailRoot = choice.MailRoot;
  paths.DataDir = choice.DataDir;
  result.RegisterFound = choice.RegisterFound;
  return result;
}

ChosenRootCheck CheckChosenRoot(RegisterPaths& paths, const std::string& chosenText) {
  paths.MailRoot = chosenText;
  paths.DataDir = chosenText + kRegisterSubPath;
  ChosenRootCheck check;
  check.TestedPath = chosenText + kRegisterFileSubPath;
  check.RegisterFound = FileExists(check.TestedPath);
  return check;
}

bool SaveChosenRoot(const RegisterPaths& paths, const std::string& chosenText) {
  if (!FileExists(chosenText + kRegisterFileSubPath)) return false;
  ForceFolders(kKaldrinFolder);
  WriteSingleLine(paths.ConfigFilePath, chosenText);
  return true;
}

}  // namespace zorvel
