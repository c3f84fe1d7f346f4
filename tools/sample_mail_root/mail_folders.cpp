#include "tools/sample_mail_root/mail_folders.h"

#include <filesystem>

#include "correspondent_register/core/core_state.h"
#include "correspondent_register/core/folder_tree.h"
#include "dbase/dbase.h"

namespace register_tables {

int MakeSampleMailFolders(const std::string& mailRoot) {
  namespace fs = std::filesystem;
  for (const char* parent : {"Skrzynki", "FWP", "Korespondenci"}) {
    fs::create_directories(fs::path(mailRoot) / parent);
  }
  // The mail root seen as the tool sees it: a drive of its own.
  zorvel::CoreState core;
  core.Drives.Map('F', fs::absolute(mailRoot));
  const std::string root = "F:";

  dbase::Table spis;
  spis.Open((fs::path(mailRoot) / "Naczelnik" / "tovmir" / "SPIS.DBF").string());
  int made = 0;
  if (!spis.IsEmpty()) {
    for (spis.First(); !spis.Eof(); spis.Next()) {
      const long n = static_cast<long>(spis.AsInteger("NR"));
      zorvel::CreateMailbox(core, root, n);
      zorvel::CreateCorrespondentFolders(core, root, n);
      ++made;
    }
  }
  return made;
}

}  // namespace register_tables
