#include "correspondent_register/core/folder_tree.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "correspondent_register/core/core_state.h"
#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"
#include "dbase/dbase.h"
#include "dbase/file_io.h"

namespace fs = std::filesystem;

namespace zorvel {

namespace {
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorWriteFault = 29;
std::string Number(long number) { return std::to_string(number); }

std::string ParentOf(const std::string& folder) { return folder.substr(0, folder.rfind('\\')); }

// The names made in a folder reach the disk: on a file system that does not
// order its metadata, a power cut after the record's post must still find
// the folders made before it. A folder that cannot be flushed raises.
void FlushFolder(const DriveMap& drives, const std::string& folder) {
  const std::optional<fs::path> host = drives.HostPath(folder);
  if (!host) return;
  try {
    dbase::SyncFolder(host->string());
  } catch (const dbase::DbError& e) {
    throw InOutError(drives.WithWindowsPaths(e.what()), kErrorWriteFault);
  }
}
}  // namespace

std::string MailboxFolder(const std::string& mailRoot, long number) {
  return mailRoot + "\\Skrzynki\\" + Number(number);
}

std::string MailboxMarkerPath(const std::string& mailRoot, long number) {
  return MailboxFolder(mailRoot, number) + "\\Skrzynka pocztow" + "a";
}

std::string ActivationFolder(const std::string& mailRoot, long number) {
  return mailRoot + "\\FWP\\" + Number(number);
}

std::string ActivationMarkerPath(const std::string& mailRoot, long number) {
  return ActivationFolder(mailRoot, number) + "\\Jestem.tu";
}

std::string CorrespondentFolder(const std::string& mailRoot, long number) {
  return mailRoot + "\\Korespondenci\\" + Number(number);
}

void CreateMailbox(const CoreState& core, const std::string& mailRoot, long number) {
  CreateFolder(core.Drives, MailboxFolder(mailRoot, number));
  core.Hooks.StepDone();
  WriteSingleLine(core.Drives, MailboxMarkerPath(mailRoot, number), MailboxMarkerLine());
  core.Hooks.StepDone();
  FlushFolder(core.Drives, ParentOf(MailboxFolder(mailRoot, number)));  // the marker's own was flushed
}

void CreateCorrespondentFolders(const CoreState& core, const std::string& mailRoot, long number) {
  CreateFolder(core.Drives, ActivationFolder(mailRoot, number));
  core.Hooks.StepDone();
  WriteSingleLine(core.Drives, ActivationMarkerPath(mailRoot, number),
                  ActivationMarkerLine(number));
  core.Hooks.StepDone();
  const std::string folder = CorrespondentFolder(mailRoot, number);
  for (const char* sub : {"", "\\Odebrane", "\\Wyslane", "\\Pisma"}) {
    CreateFolder(core.Drives, folder + sub);
    core.Hooks.StepDone();
  }
  // A folder that exists already is fine; one that could not be made (the
  // parent Korespondenci missing, no access) must not pass for made.
  for (const char* sub : {"", "\\Odebrane", "\\Wyslane", "\\Pisma"}) {
    if (!DirectoryExists(core.Drives, folder + sub)) {
      throw InOutError(CreateFolderFailedText(folder + sub), kErrorPathNotFound);
    }
  }
  FlushFolder(core.Drives, ParentOf(ActivationFolder(mailRoot, number)));
  for (const char* sub : {"\\Odebrane", "\\Wyslane", "\\Pisma", ""})
    FlushFolder(core.Drives, folder + sub);
  FlushFolder(core.Drives, ParentOf(folder));
}

void RemoveFolderWithFiles(const CoreState& core, const std::string& folder) {
  if (std::optional<fs::path> host = core.Drives.HostPath(folder)) {
    std::error_code ec;
    fs::directory_iterator it(*host, ec);
    if (!ec) {
      for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::directory) continue;
        std::error_code removeError;
        fs::remove(it->path(), removeError);  // a file that will not go is left
      }
    }
  }
  if (!RemoveFolder(core.Drives, folder)) {
    core.Hooks.ShowMessageBox(RemoveFolderWarningText(), kMbIconWarning | kMbOk, kWarningCaption);
  }
}

void RemoveMailFolderTree(const CoreState& core, const std::string& mailRoot, long number) {
  const std::string n = Number(number);
  for (const std::string& folder :
       {mailRoot + "\\Fwp\\" + n, mailRoot + "\\Skrzynki\\" + n,
        mailRoot + "\\Korespondenci\\" + n + "\\odebrane",
        mailRoot + "\\Korespondenci\\" + n + "\\wyslane",
        mailRoot + "\\Korespondenci\\" + n + "\\pisma", mailRoot + "\\Korespondenci\\" + n}) {
    RemoveFolderWithFiles(core, folder);
    core.Hooks.StepDone();
  }
}

}  // namespace zorvel
