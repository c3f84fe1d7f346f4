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

bool EnsureCompanyFolder(const CoreState& core) {
  bool quit = false;
  if (!DirectoryExists(core.Drives, kCompanyFolder) && !CreateFolder(core.Drives, kCompanyFolder)) {
    core.Hooks.ShowAlert(MissingCompanyFolderText());
    quit = true;
  }
  if (!DirectoryExists(core.Drives, kCompanyFolder)) {
    CreateFolder(core.Drives, kCompanyFolder);
    if (!DirectoryExists(core.Drives, kCompanyFolder)) {
      core.Hooks.ShowAlert(CompanyFolderFailedText());
    }
  }
  return quit;
}

MigrationResult MigrateLegacyIni(const CoreState& core, RegisterPaths& paths) {
  if (!FileExists(core.Drives, paths.LegacyIniPath)) return MigrationResult::NoLegacyFile;
  try {
    paths.ConfiguredRoot = TrimLine(ReadFirstLine(core.Drives, paths.LegacyIniPath));
    WriteSingleLine(core.Drives, paths.ConfigFilePath, paths.ConfiguredRoot);
  } catch (const InOutError& e) {
    core.Hooks.ShowErrorBox(e.what());
    return MigrationResult::Failed;
  }
  DeleteFile(core.Drives, paths.LegacyIniPath);
  return MigrationResult::Migrated;
}

StartupResult StartRegisterTool(const CoreState& core, RegisterPaths& paths) {
  StartupResult result;
  core.Hooks.Beep();
  core.Hooks.DelaySeconds(3);
  result.QuitRequested = EnsureCompanyFolder(core);

  paths.LegacyIniPath = kLegacyIniFile;
  paths.ConfigFilePath = std::string(kCompanyFolder) + "\\" + kConfigFileName;
  paths.ConfiguredRoot.clear();
  // When the configuration file could not be written, the legacy file's root
  // (read just now) serves this run.
  if (MigrateLegacyIni(core, paths) != MigrationResult::Failed) {
    try {
      paths.ConfiguredRoot = TrimLine(ReadFirstLine(core.Drives, paths.ConfigFilePath));
    } catch (const InOutError& e) {
      core.Hooks.ShowErrorBox(e.what());
      paths.ConfiguredRoot.clear();
    }
  }

  paths.DefaultRegisterPath = std::string(kDefaultMailRoot) + kRegisterFileSubPath;
  RootChoice choice =
      ChooseMailRoot(paths.ConfiguredRoot, FileExists(core.Drives, paths.DefaultRegisterPath),
                     FileExists(core.Drives, paths.ConfiguredRoot + kRegisterFileSubPath));
  paths.MailRoot = choice.MailRoot;
  paths.DataDir = choice.DataDir;
  result.RegisterFound = choice.RegisterFound;
  return result;
}

ChosenRootCheck CheckChosenRoot(const DriveMap& drives, RegisterPaths& paths,
                                const std::string& chosenText) {
  paths.MailRoot = chosenText;
  paths.DataDir = chosenText + kRegisterSubPath;
  ChosenRootCheck check;
  check.TestedPath = chosenText + kRegisterFileSubPath;
  check.RegisterFound = FileExists(drives, check.TestedPath);
  return check;
}

bool SaveChosenRoot(const DriveMap& drives, const RegisterPaths& paths,
                    const std::string& chosenText) {
  if (!FileExists(drives, chosenText + kRegisterFileSubPath)) return false;
  ForceFolders(drives, kKaldrinFolder);
  WriteSingleLine(drives, paths.ConfigFilePath, chosenText);
  return true;
}

}  // namespace zorvel
