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

std::function<void()>& RegisterStepHook() { return Core().registerStepHook; }

void StepDone() {
  if (const std::function<void()>& hook = RegisterStepHook()) hook();
}

namespace {
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorWriteFault = 29;
std::string Number(long number) { return std::to_string(number); }

std::string ParentOf(const std::string& folder) { return folder.substr(0, folder.rfind('\\')); }

// The names made in a folder reach the disk: on a file system that does not
// order its metadata, a power cut after the record's post must still find
// the folders made before it. A folder that cannot be flushed raises.
void FlushFolder(const std::string& folder) {
  const std::optional<fs::path> host = Drives().HostPath(folder);
  if (!host) return;
  try {
    dbase::SyncFolder(host->string());
  } catch (const dbase::DbError& e) {
    throw InOutError(Drives().WithWindowsPaths(e.what()), kErrorWriteFault);
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

void CreateMailbox(const std::string& mailRoot, long number) {
  CreateFolder(MailboxFolder(mailRoot, number));
  StepDone();
  WriteSingleLine(MailboxMarkerPath(mailRoot, number), MailboxMarkerLine());
  StepDone();
  FlushFolder(ParentOf(MailboxFolder(mailRoot, number)));  // the marker's own was flushed
}

void CreateCorrespondentFolders(const std::string& mailRoot, long number) {
  CreateFolder(ActivationFolder(mailRoot, number));
  StepDone();
  WriteSingleLine(ActivationMarkerPath(mailRoot, number), ActivationMarkerLine(number));
  StepDone();
  const std::string folder = CorrespondentFolder(mailRoot, number);
  for (const char* sub : {"", "\\Odebrane", "\\Wyslane", "\\Pisma"}) {
    CreateFolder(folder + sub);
    StepDone();
  }
  // A folder that exists already is fine; one that could not be made (the
  // parent Korespondenci missing, no access) must not pass for made.
  for (const char* sub : {"", "\\Odebrane", "\\Wyslane", "\\Pisma"}) {
    if (!DirectoryExists(folder + sub)) {
      throw InOutError(CreateFolderFailedText(folder + sub), kErrorPathNotFound);
    }
  }
  FlushFolder(ParentOf(ActivationFolder(mailRoot, number)));
  for (const char* sub : {"\\Odebrane", "\\Wyslane", "\\Pisma", ""}) FlushFolder(folder + sub);
  FlushFolder(ParentOf(folder));
}

void RemoveFolderWithFiles(const std::string& folder) {
  if (std::optional<fs::path> host = Drives().HostPath(folder)) {
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
  if (!RemoveFolder(folder)) {
    ShowMessageBox(RemoveFolderWarningText(), kMbIconWarning | kMbOk, kWarningCaption);
  }
}

void RemoveMailFolderTree(const std::string& mailRoot, long number) {
  const std::string n = Number(number);
  for (const std::string& folder :
       {mailRoot + "\\Fwp\\" + n, mailRoot + "\\Skrzynki\\" + n,
        mailRoot + "\\Korespondenci\\" + n + "\\odebrane",
        mailRoot + "\\Korespondenci\\" + n + "\\wyslane",
        mailRoot + "\\Korespondenci\\" + n + "\\pisma", mailRoot + "\\Korespondenci\\" + n}) {
    RemoveFolderWithFiles(folder);
    StepDone();
  }
}

}  // namespace zorvel
