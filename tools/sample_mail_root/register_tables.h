#pragma once
// The register tables of the local mail system, as the register tool and the
// other programs of the mail system share them: SPIS.DBF (correspondents,
// tags NR and NAI), GRUPY.DBF (mailing groups, tag NAZWAG) and PRZEPO.DBF
// (predictions, physical order), all dBASE IV in Windows-1250.
#include <string>

#include "dbase/dbase.h"

namespace register_tables {

dbase::TableDef SpisDef();
dbase::TableDef GrupyDef();
dbase::TableDef PrzepoDef();

// Makes "<mailRoot>/Naczelnik/tovmir" with the three tables filled with a
// small sample register: a dozen correspondents with Polish names (one more
// added and deleted), three groups with member lists, a few predictions.
// Returns the register folder. Fails when the tables exist already.
std::string MakeSampleRegister(const std::string& mailRoot);

}  // namespace register_tables
