#include "tools/sample_mail_root/register_tables.h"

#include <sys/stat.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "correspondent_register/core/register_tables.h"
#include "platform/text/cp1250.h"

namespace register_tables {

namespace {

std::string W(const char* utf8) { return platform::Cp1250FromUtf8(utf8); }

void MakeDir(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
    throw std::runtime_error("cannot create folder " + path);
}

struct Correspondent {
  const char* surname;
  const char* names;
  const char* position;
  const char* user;
};

}  // namespace

std::string MakeSampleRegister(const std::string& mailRoot) {
  MakeDir(mailRoot);
  MakeDir(mailRoot + "/Naczelnik");
  std::string dir = mailRoot + "/Naczelnik/tovmir";
  MakeDir(dir);
  dbase::Table::Create(dir + "/SPIS.DBF", zorvel::SpisDef());
  dbase::Table::Create(dir + "/GRUPY.DBF", zorvel::GrupyDef());
  dbase::Table::Create(dir + "/PRZEPO.DBF", zorvel::PrzepoDef());

  const std::vector<Correspondent> people = {
      {"Kowalski", "Jan", "Naczelnik", "jkowal"},
      {"Nowak", "Anna Maria", "Sekretariat", "anowak"},
      {"Wiśniewski", "Piotr", "Kierownik działu zbytu", "pwisn"},
      {"Wójcik", "Małgorzata", "Księgowa", "mwojcik"},
      {"Kowalczyk", "Tomasz", "Magazynier", "tkowal"},
      {"Kamiński", "Łukasz", "Kierowca", "lkamin"},
      {"Lewandowska", "Zofia", "Kadry i płace", "zlewan"},
      {"Zieliński", "Grzegorz", "Informatyk", "gziel"},
      {"Szymańska", "Żaneta", "Zaopatrzenie", "zszym"},
      {"Woźniak", "Józef Stanisław", "Dział techniczny", "jwozn"},
      {"Dąbrowski", "Mikołaj", "Portiernia", "mdabr"},
      {"Kozłowska", "Agnieszka", "Sprzedaż", "akozl"},
  };
  dbase::Table spis;
  spis.Open(dir + "/SPIS.DBF", dbase::ShareMode::Exclusive);
  int nr = 0;
  for (const auto& p : people) {
    ++nr;
    spis.Append();
    spis.SetInteger("NR", nr);
    spis.SetInteger("POZIOM", 3);
    spis.SetString("NAZWISKO", W(p.surname));
    spis.SetString("IMIONA", W(p.names));
    spis.SetInteger("RP", 2);
    spis.SetString("STANOWISKO", W(p.position));
    spis.SetString("EMAIL", std::string(p.user) + "@example.pl");
    spis.SetString("USERID", p.user);
    spis.SetString("SEKRETARKA", nr == 2 ? "t" : "n");
    spis.SetString("MAIL", std::string(p.user) + "@poczta.lan");
    spis.SetString("LN", p.user);
    spis.SetString("ZAKAZ_OPCJ", "n");
    spis.SetString("TELEFON_KO", "+48 600 100 " + std::to_string(100 + nr));
    spis.SetString("AKTYWACJA", "t");
    spis.SetString("ZDALNY", nr % 4 == 0 ? "t" : "n");
    spis.Post();
  }
  // A correspondent that left: deleted, waiting for the next pack.
  spis.Append();
  spis.SetInteger("NR", 13);
  spis.SetInteger("POZIOM", 3);
  spis.SetString("NAZWISKO", W("Pawłowski"));
  spis.SetString("IMIONA", W("Bartłomiej"));
  spis.SetInteger("RP", 2);
  spis.Post();
  spis.Delete();
  spis.Close();

  dbase::Table grupy;
  grupy.Open(dir + "/GRUPY.DBF", dbase::ShareMode::Exclusive);
  const std::vector<std::pair<const char*, const char*>> groups = {
      {"Zarząd", "1,2,3,"}, {"Księgowość", "4,7,"}, {"Wszyscy w magazynie", "3,5,6,9,11,"}};
  for (const auto& [name, members] : groups) {
    grupy.Append();
    grupy.SetString("NAZWA", W(name));
    grupy.SetString("KTO", members);
    grupy.Post();
  }
  grupy.Close();

  dbase::Table przepo;
  przepo.Open(dir + "/PRZEPO.DBF", dbase::ShareMode::Exclusive);
  const std::vector<const char*> predictions = {
      "Jutro przyjdzie ważna przesyłka z centrali.",
      "W piątek zebranie działu o godzinie 10:00.\r\nProszę przygotować sprawozdania.",
      "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "
      "Przepowiednia z \\b pogrubieniem\\b0  na ten tydzie\\'f1.\\par}",
  };
  for (const char* text : predictions) {
    przepo.Append();
    przepo.SetString("TRESC", W(text));
    przepo.Post();
  }
  przepo.Close();
  return dir;
}

}  // namespace register_tables
