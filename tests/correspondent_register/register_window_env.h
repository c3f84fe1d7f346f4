#pragma once
// The register tool's windows on a scratch mail root: drives C and F mapped
// to temporary folders, the mail system's parent folders, the register
// tables made through the engine with the rows a test gives, boxes answered
// from a script, and the end of the program recorded instead of done.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "correspondent_register/core/core_state.h"
#include "correspondent_register/core/register_tables.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/program.h"
#include "correspondent_register/prze.h"
#include "correspondent_register/regler.h"
#include "correspondent_register/sce.h"
#include "correspondent_register/session.h"
#include "dbase/dbase.h"
#include "platform/text/cp1250.h"
#include "tests/dbase/dbase_test_util.h"
#include "tests/forms/gui_fixture.h"
#include "tests/support/scripted_message_boxes.h"

namespace zorvel::test {

namespace fs = std::filesystem;

// Thrown by the recorded end of the program, so that the handler that ended
// it stops where it is, as the real end stops everything.
struct ProgramEnded {};

struct Person {
  long nr;
  std::string surname;  // UTF-8
  std::string names;
};

struct Group {
  std::string name;                // UTF-8
  std::optional<std::string> kto;  // nullopt: null
};

inline std::string W(const std::string& utf8) { return platform::Cp1250FromUtf8(utf8); }

class RegisterWindowTest : public forms::testing::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "zorvel-window-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    base_ = pattern;
    fs::create_directories(base_ / "c");
    root_ = base_ / "f" / "Poczta";
    fs::create_directories(root_ / "Naczelnik" / "tovmir");
    for (const char* parent : {"Skrzynki", "FWP", "Korespondenci"})
      fs::create_directories(root_ / parent);
    Core.Drives.Map('C', base_ / "c");
    Core.Drives.Map('F', base_ / "f");
    InstallWindowHooks(Core);
    session.EndAtOnce = [this] {
      ++ended;
      throw ProgramEnded{};
    };
    MailRoot = "F:\\Poczta";
    DataDir = "F:\\Poczta\\Naczelnik\\tovmir";
    ConfiguredRoot.clear();
    ConfigFilePath = std::string("C:\\Marvolt\\") + "konfiguracja.atk";
    IdleSeconds = 0;
    PredictionCountdown = 0;
  }

  void TearDown() override {
    session.Prze.reset();
    session.Regler.reset();
    session.Sce.reset();
    Prze = nullptr;
    Regler = nullptr;
    std::error_code ec;
    fs::remove_all(base_, ec);
    GuiTest::TearDown();
  }

  std::string Table(const char* file) const {
    return (root_ / "Naczelnik" / "tovmir" / file).string();
  }

  void MakeTables(const std::vector<Person>& people, const std::vector<Group>& groups,
                  const std::vector<std::string>& predictions = {"Jutro deszcz."},
                  std::optional<dbase::TableDef> grupyDef = std::nullopt,
                  std::optional<dbase::TableDef> spisDef = std::nullopt) {
    for (const char* file : {"SPIS", "GRUPY", "PRZEPO"}) {
      for (const char* ext : {".DBF", ".DBT", ".MDX"})
        fs::remove(Table((std::string(file) + ext).c_str()));
    }
    dbase::Table::Create(Table("SPIS.DBF"), spisDef ? *spisDef : SpisDef());
    dbase::Table::Create(Table("GRUPY.DBF"), grupyDef ? *grupyDef : GrupyDef());
    dbase::Table::Create(Table("PRZEPO.DBF"), PrzepoDef());
    dbase::Table spis;
    spis.Open(Table("SPIS.DBF"));
    for (const Person& p : people) {
      spis.Append();
      spis.SetInteger("NR", p.nr);
      spis.SetString("NAZWISKO", W(p.surname));
      spis.SetString("IMIONA", W(p.names));
      spis.Post();
    }
    dbase::Table grupy;
    grupy.Open(Table("GRUPY.DBF"));
    for (const Group& g : groups) {
      grupy.Append();
      grupy.SetString("NAZWA", W(g.name));
      if (g.kto) grupy.SetString("KTO", *g.kto);
      grupy.Post();
    }
    dbase::Table przepo;
    przepo.Open(Table("PRZEPO.DBF"));
    for (const std::string& text : predictions) {
      przepo.Append();
      przepo.SetString("TRESC", W(text));
      przepo.Post();
    }
  }

  // Makes the engine open a table read-only, as it does a read-only or
  // damaged file (a read-only file mode alone does not stop root, who runs
  // the tests in CI): an extra index tag whose key the engine cannot
  // evaluate. The table's rows and other tags stay as they are.
  void MakeReadOnly(const char* file, const char* expression) {
    const fs::path dbf = root_ / "Naczelnik" / "tovmir" / file;
    fs::path mdx = dbf;
    mdx.replace_extension(".MDX");
    std::string bytes = ReadBytes(mdx);
    const size_t at = bytes.find(expression);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find(expression, at + 1), std::string::npos);
    bytes.replace(at, 4, "STR(");
    std::ofstream(mdx, std::ios::binary | std::ios::trunc) << bytes;
  }
  // The table definitions with that extra tag.
  static dbase::TableDef WithExtraTag(dbase::TableDef def, const char* expression) {
    def.tags.push_back({"ZAPAS", expression});
    return def;
  }

  // Every folder and file under the mail root outside the register folder,
  // with the files' contents: what a refused deletion must leave alone.
  std::map<std::string, std::string> MailTree() const {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
      const std::string rel = fs::relative(e.path(), root_).string();
      if (rel.rfind("Naczelnik", 0) == 0) continue;
      tree[rel] = e.is_directory() ? std::string("<folder>") : ReadBytes(e.path());
    }
    return tree;
  }

  // The register window and the predictions window, as a start with the
  // register found makes them; the register window shown.
  TRegler& Open() {
    session.CreateWindows(false);
    Regler = session.Regler.get();
    Prze = session.Prze.get();
    Regler->show();
    return *Regler;
  }

  // A control of the register window by its name.
  template <typename T>
  T* Control(const char* name) const {
    return forms::testing::Find<T>(Regler, name);
  }

  // Rows of a table as python3-dbfread reads them (live rows first).
  std::vector<dbase_test::ReaderRow> Readback(const char* file) const {
    return dbase_test::DbfreadRows(Table(file));
  }
  // Field values of one column of the live rows, as dbfread reads them.
  std::vector<std::string> LiveColumn(const char* file, size_t column) const {
    std::vector<std::string> values;
    for (const auto& row : Readback(file)) {
      if (!row.deleted) values.push_back(row.values[column]);
    }
    return values;
  }

  static std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Boxes shown so far, texts in UTF-8.
  std::vector<forms::BoxRecord>& Shown() { return boxes.shown; }

  fs::path base_, root_;
  int ended = 0;
  // The program's state, and its parts under their own names.
  RegisterSession session;
  TRegler* Regler = nullptr;
  TPrze* Prze = nullptr;
  CoreState& Core = session.Core;
  std::string& MailRoot = session.Paths.MailRoot;
  std::string& DataDir = session.Paths.DataDir;
  std::string& ConfiguredRoot = session.Paths.ConfiguredRoot;
  std::string& ConfigFilePath = session.Paths.ConfigFilePath;
  int& IdleSeconds = session.IdleSeconds;
  int& PredictionCountdown = session.PredictionCountdown;
};

}  // namespace zorvel::test
