// zorvel-sample-mail-root DIR: makes the register folder of a small sample
// mail root under DIR (Naczelnik/tovmir with SPIS.DBF, GRUPY.DBF, PRZEPO.DBF)
// and the mail folders of its correspondents (Skrzynki, FWP, Korespondenci).
#include <cstdio>
#include <exception>

#include "tools/sample_mail_root/mail_folders.h"
#include "tools/sample_mail_root/register_tables.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zorvel-sample-mail-root DIR\n");
    return 2;
  }
  try {
    std::string dir = register_tables::MakeSampleRegister(argv[1]);
    register_tables::MakeSampleMailFolders(argv[1]);
    std::printf("%s\n", dir.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zorvel-sample-mail-root: %s\n", e.what());
    return 1;
  }
  return 0;
}
