#pragma once
// Start-up of the register tool: the company folder, the one-line
// configuration file that remembers the mail root, the migration of the older
// one-line ini file, the choice of the mail root and of the register folder,
// and what the mail-root chooser does with the folder the user picked.
//
// The program's main block, on the core its session owns (core_state.h):
//   read the drive map and set the hooks;
//   StartupResult r = StartRegisterTool(core, paths);  // tone, 3 s, folders, files
//   if (r.QuitRequested) post a quit request (the loop ends as soon as it runs);
//   r.RegisterFound ? create TRegler (main), TPrze
//                   : create TSce (main), TRegler and TPrze hidden;
//   run the message loop.
// The chooser's OK button:
//   ChosenRootCheck c = CheckChosenRoot(core.Drives, paths, sc->text());
//   if (!c.RegisterFound) { core.Hooks.ShowMessageBox(MissingRegisterText(), kMbIconError,
//                            c.TestedPath); end the program at once; }
//   hide OK; close the register and predictions databases;
//   try { SaveChosenRoot(core.Drives, paths, sc->text()); }  // the old file stays until
//                                                            // the new one is whole
//   catch (const InOutError& e) { core.Hooks.ShowErrorBox(e.what()); }
//   show the register window (it opens the tables from DataDir).
#include <string>

#include "correspondent_register/core/core_state.h"
#include "correspondent_register/core/texts.h"

namespace zorvel {

// The tool's paths, Windows paths in Windows-1250; the program's session
// owns them, start-up and the chooser set them, the windows read them.
struct RegisterPaths {
  std::string MailRoot = kDefaultMailRoot;  // root of the local mail ("F:\Poczta")
  std::string DataDir;                      // folder of SPIS.DBF, GRUPY.DBF, PRZEPO.DBF
  std::string ConfiguredRoot;               // mail root from the configuration file, trimmed
  std::string ConfigFilePath = std::string(kCompanyFolder) + "\\" + kConfigFileName;
  std::string LegacyIniPath = kLegacyIniFile;
  std::string DefaultRegisterPath = std::string(kDefaultMailRoot) + kRegisterFileSubPath;
};

// Which mail root and register folder are used, from which registers exist:
// the default root wins whenever its register exists, then the configured
// root; without either the user is asked (RegisterFound false).
struct RootChoice {
  std::string MailRoot;
  std::string DataDir;
  bool RegisterFound = false;
};
RootChoice ChooseMailRoot(const std::string& configuredRoot, bool defaultRegisterExists,
                          bool configuredRegisterExists);

// Makes sure the company folder exists, with the two alerts when it cannot
// be made. True when the program must end (a quit request).
bool EnsureCompanyFolder(const CoreState& core);

enum class MigrationResult { NoLegacyFile, Migrated, Failed };
// Moves the mail root of the legacy ini file into the configuration file
// (paths.ConfiguredRoot := its first line, trimmed). The legacy file is deleted
// only once the new file is written; a failure is shown in the error box and
// leaves the legacy file in place.
MigrationResult MigrateLegacyIni(const CoreState& core, RegisterPaths& paths);

struct StartupResult {
  bool RegisterFound = false;  // start with the register window; else the chooser
  bool QuitRequested = false;  // the company folder could not be made
};
// Everything between the program's start and its first window: tone, 3 s
// pause, company folder, migration, configuration, choice of the root. Sets
// the paths.
StartupResult StartRegisterTool(const CoreState& core, RegisterPaths& paths);

// The chooser's confirmation, first half: MailRoot and DataDir from the text
// as typed (not trimmed, not normalised) and whether its register exists.
struct ChosenRootCheck {
  bool RegisterFound = false;
  std::string TestedPath;  // the register file looked for (the error box's caption)
};
ChosenRootCheck CheckChosenRoot(const DriveMap& drives, RegisterPaths& paths,
                                const std::string& chosenText);

// Second half, once the register was found: makes "C:\Windows\Kaldrin" (a
// failure is ignored) and replaces the configuration file by one holding the
// text, atomically: the old file stays whole until the new one is complete.
// A root whose register is not there (any more) is not remembered: false,
// nothing written. Raises InOutError when the file cannot be written.
bool SaveChosenRoot(const DriveMap& drives, const RegisterPaths& paths,
                    const std::string& chosenText);

}  // namespace zorvel
