#include "correspondent_register/core/folder_tree.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"

namespace fs = std::filesystem;

namespace zorvel {

namespace {
constexpr uint32_t kErrorPathNotFound = 3;
std::string Number(long number) { return std::to_string(number); }
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
  WriteSingleLine(MailboxMarkerPath(mailRoot, number), MailboxMarkerLine());
}

void CreateCorrespondentFolders(const std::string& mailRoot, long number) {
  CreateFolder(ActivationFolder(mailRoot, number));
  WriteSingleLine(ActivationMarkerPath(mailRoot, number), ActivationMarkerLine(number));
  const std::string folder = CorrespondentFolder(mailRoot, number);
  CreateFolder(folder);
  CreateFolder(folder + "\\Odebrane");
  CreateFolder(folder + "\\Wyslane");
  CreateFolder(folder + "\\Pisma");
  // A folder that exists already is fine; one that could not be made (the
  // parent Korespondenci missing, no access) must not pass for made.
  for (const char* sub : {"", "\\Odebrane", "\\Wyslane", "\\Pisma"}) {
    if (!DirectoryExists(folder + sub)) {
      throw InOutError(CreateFolderFailedText(folder + sub), kErrorPathNotFound);
    }
  }
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
  RemoveFolderWithFiles(mailRoot + "\\Fwp\\" + n);
  RemoveFolderWithFiles(mailRoot + "\\Skrzynki\\" + n);
  RemoveFolderWithFiles(mailRoot + "\\Korespondenci\\" + n + "\\odebrane");
  RemoveFolderWithFiles(mailRoot + "\\Korespondenci\\" + n + "\\wyslane");
  RemoveFolderWithFiles(mailRoot + "\\Korespondenci\\" + n + "\\pisma");
  RemoveFolderWithFiles(mailRoot + "\\Korespondenci\\" + n);
}

}  // namespace zorvel
