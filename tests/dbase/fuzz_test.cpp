// Damaged files, made by mutating a whole table, its memos and its index
// with a fixed seed: every case ends with rows or with an error, every walk
// of every tag ends within a counted bound, and a table that the engine
// refused, or opened read-only, is never written.
#include <algorithm>
#include <random>
#include <typeinfo>

#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::ReadFileBytes;
using dbase_test::TempDir;

const char* const kFiles[] = {"SPIS.DBF", "SPIS.DBT", "SPIS.MDX"};

// A register-like table: numbers, names over three index leaves, memos of
// one and of several blocks, deleted rows.
std::vector<std::string> MakeOriginal(const TempDir& dir) {
  TableDef def;
  def.fields = {{"NR", FieldType::Numeric, 5, 0},
                {"NAZWISKO", FieldType::Character, 20, 0},
                {"IMIONA", FieldType::Character, 15, 0},
                {"UWAGI", FieldType::Memo, 10, 0}};
  def.tags = {{"NR", "NR"}, {"NAI", "NAZWISKO+IMIONA"}};
  std::string path = dir / kFiles[0];
  Table::Create(path, def);
  Table t;
  t.Open(path);
  for (int i = 1; i <= 70; ++i) {
    t.Append();
    t.SetInteger("NR", (i * 37) % 101);
    t.SetString("NAZWISKO", "Nazwisko" + std::to_string((i * 13) % 29));
    t.SetString("IMIONA", "Imie" + std::to_string(i));
    if (i % 3)
      t.SetString("UWAGI",
                  std::string(static_cast<size_t>(i * 23 % 900), static_cast<char>('a' + i % 26)));
    t.Post();
  }
  t.First();
  for (int i = 1; i <= 70; ++i) {
    if (i % 7 == 0) t.Delete();
    else t.Next();
  }
  t.Close();
  std::vector<std::string> bytes;
  for (const char* name : kFiles) bytes.push_back(ReadFileBytes(dir / name));
  return bytes;
}

// One mutation of one file.
std::string Mutate(std::string b, std::mt19937& rng, std::string& what) {
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % std::max<size_t>(n, 1)); };
  switch (rng() % 5) {
    case 0: {  // a few bytes anywhere
      int n = 1 + static_cast<int>(rng() % 8);
      what = "bytes";
      for (int i = 0; i < n; ++i) b[pick(b.size())] = static_cast<char>(rng());
      break;
    }
    case 1: {  // bytes of the headers, where counts, sizes and pointers live
      size_t limit = std::min<size_t>(b.size(), 2048 + 1024);
      what = "header";
      for (int i = 0; i < 3; ++i) b[pick(limit)] = static_cast<char>(rng());
      break;
    }
    case 2: {  // cut short
      size_t size = pick(b.size());
      what = "cut to " + std::to_string(size);
      b.resize(size);
      break;
    }
    case 3: {  // a 32-bit number replaced: counts, pages, block numbers
      size_t at = pick(b.size() / 4) * 4;
      uint32_t v = rng() % 3 == 0 ? rng() : rng() % 64;
      what = "word at " + std::to_string(at);
      for (int i = 0; i < 4 && at + static_cast<size_t>(i) < b.size(); ++i)
        b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
      break;
    }
    default: {  // a block repeated elsewhere (a page pointing into itself)
      size_t from = pick(b.size() / 512) * 512, to = pick(b.size() / 512) * 512;
      what = "block " + std::to_string(from) + " over " + std::to_string(to);
      std::string block = b.substr(from, 512);
      b.replace(to, std::min(block.size(), b.size() - to),
                block.substr(0, std::min(block.size(), b.size() - to)));
      break;
    }
  }
  return b;
}

struct Outcome {
  bool refused = false;   // Open raised
  bool readOnly = false;  // opened read-only
  bool ended = true;      // every walk ended (or raised) within its bound
  std::string failure;    // a fault of the engine
};

// Walks every order and reads every value; a DbError ends the walk as the
// engine's answer.
Outcome Examine(const std::string& path) {
  Outcome out;
  Table t;
  try {
    t.Open(path);
  } catch (const DbError&) {
    out.refused = true;
    return out;
  }
  out.readOnly = t.ReadOnly();
  std::vector<std::string> orders = {""};
  for (const auto& tag : t.Tags()) orders.push_back(tag.name);
  for (const auto& order : orders) {
    try {
      t.SetIndexName(order);
      const uint32_t bound = t.RecordCount() + 10;
      uint32_t steps = 0;
      for (t.First(); !t.Eof() && steps <= bound; t.Next(), ++steps)
        for (const auto& f : t.Fields()) t.AsString(f.name);
      if (steps > bound) out.ended = false;
    } catch (const DbError&) {
    }
  }
  if (out.readOnly) {
    // Every write is refused.
    auto refused = [&](auto write) {
      try {
        write();
        t.Post();
        out.failure = "a write to a read-only table went through";
      } catch (const DbError& e) {
        if (e.Code() != ErrorCode::ReadOnly && e.Code() != ErrorCode::NoRecord)
          out.failure = e.what();
      }
      try {
        t.Cancel();
      } catch (const DbError&) {
      }
    };
    refused([&] { t.Append(); });
    refused([&] {
      t.First();
      t.Edit();
      t.SetString("UWAGI", std::string(2000, 'w'));
    });
    refused([&] {
      t.First();
      t.Delete();
    });
  }
  return out;
}

TEST(Fuzz, MutatedTablesMemosAndIndexesEndWithRowsOrAnErrorAndRefusedFilesStayUnwritten) {
  TempDir base;
  const std::vector<std::string> original = MakeOriginal(base);
  std::mt19937 rng(20261209);
  int refused = 0, readOnly = 0, opened = 0;
  std::vector<std::string> faults;
  for (int c = 0; c < 300; ++c) {
    TempDir dir;
    size_t target = rng() % 3;
    std::string what;
    for (size_t i = 0; i < 3; ++i) {
      std::string bytes = i == target ? Mutate(original[i], rng, what) : original[i];
      dbase_test::WriteFileBytes(dir / kFiles[i], bytes);
    }
    std::string label = "case " + std::to_string(c) + ": " + kFiles[target] + " " + what;
    std::vector<std::string> before;
    for (const char* name : kFiles) before.push_back(ReadFileBytes(dir / name));
    Outcome o;
    try {
      o = Examine(dir / kFiles[0]);
    } catch (const std::exception& e) {
      o.failure = std::string("not a DbError: ") + typeid(e).name() + " " + e.what();
    }
    if (!o.failure.empty()) faults.push_back(label + ": " + o.failure);
    if (!o.ended) faults.push_back(label + ": a walk did not end");
    if (o.refused || o.readOnly) {
      for (size_t i = 0; i < 3; ++i)
        if (ReadFileBytes(dir / kFiles[i]) != before[i])
          faults.push_back(label + ": " + kFiles[i] + " written");
    }
    refused += o.refused;
    readOnly += o.readOnly;
    opened += !o.refused;
  }
  for (const auto& f : faults) ADD_FAILURE() << f;
  // The mutations reach both answers.
  EXPECT_GT(refused, 0);
  EXPECT_GT(opened, 20);
  EXPECT_GT(readOnly, 20);
}

}  // namespace
