// What the dBASE engine costs against the disk path it writes through.
//  1. Appending 10,000 correspondent rows, each with a memo, with three index
//     tags kept up to date (NR numeric, NAI on surname and first names, and a
//     third on EMAIL), every post written through, against writing the same
//     bytes with plain sequential writes: per row one write of its record and
//     one of its memo blocks (the least a written-through post can cost), and
//     the index file's bytes at the end.
//  2. Reading all rows (fields and memo) in NAI order against reading the
//     same bytes with plain sequential reads, per row its record and memo.
//  3. The cost of durability: 2,000 correspondents appended to SPIS with its
//     tags NR and NAI, each its own post (on the disk when it returns),
//     against SQLite inserting the same fields into a table with the same two
//     indexes, each row its own transaction, journal_mode=WAL and
//     synchronous=FULL, in the same folder.
// Targets: durable appends at most 1.2 times SQLite's time, reading in index
// order at most 4 times plain reading. Appends against plain unflushed
// writes (1.), and the bulk figures (the whole of each file in one call),
// are printed for the record: a durable post is not measured by them.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "correspondent_register/core/register_tables.h"
#include "dbase/dbase.h"
#include "platform/text/cp1250.h"

namespace {

constexpr int kRows = 10000;

struct Row {
  int nr;
  std::string surname, names, email, memo;
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> v;
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 100000; };
    const char* surnames[] = {"Kowalski", "Nowak",     "Wiśniewski", "Wójcik",
                              "Kamiński", "Zieliński", "Dąbrowski"};
    for (int i = 0; i < kRows; ++i) {
      Row r;
      r.nr = i + 1;
      r.surname = platform::Cp1250FromUtf8(surnames[next() % 7]) + std::to_string(next() % 3000);
      r.names = platform::Cp1250FromUtf8("Józef ") + std::to_string(next());
      r.email = "user" + std::to_string(next()) + "@example.pl";
      r.memo = platform::Cp1250FromUtf8("Uwagi o korespondencie: ") +
               std::string(100 + next() % 400, 'x');
      v.push_back(r);
    }
    return v;
  }();
  return rows;
}

dbase::TableDef BenchDef() {
  dbase::TableDef def = zorvel::SpisDef();
  def.fields.push_back({"UWAGI", dbase::FieldType::Memo, 10, 0});
  def.tags.push_back({"EMAIL", "EMAIL"});
  return def;
}

std::string MakeDir() {
  char templ[] = "/tmp/dbase-bench-XXXXXX";
  return mkdtemp(templ);
}

// The fields of a correspondent's row that every run writes.
void SetFields(dbase::Table& t, const Row& r) {
  t.SetInteger("NR", r.nr);
  t.SetInteger("POZIOM", 3);
  t.SetString("NAZWISKO", r.surname);
  t.SetString("IMIONA", r.names);
  t.SetInteger("RP", 2);
  t.SetString("EMAIL", r.email);
}

void FillTable(const std::string& path) {
  dbase::Table::Create(path, BenchDef());
  dbase::Table t;
  t.Open(path, dbase::ShareMode::Shared);
  for (const Row& r : Rows()) {
    t.Append();
    SetFields(t, r);
    t.SetString("UWAGI", r.memo);
    t.Post();
  }
}

// Sizes of the files one engine run leaves, for the plain baselines.
struct Shape {
  size_t record = 0, header = 0, index = 0;
  std::vector<size_t> memoBytes;  // per row, whole blocks
};
const Shape& FileShape() {
  static const Shape shape = [] {
    std::string dir = MakeDir();
    FillTable(dir + "/SPIS.DBF");
    Shape s;
    dbase::TableDef def = BenchDef();
    s.record = 1;
    for (const auto& f : def.fields)
      s.record += f.type == dbase::FieldType::Memo ? 10 : static_cast<size_t>(f.length);
    s.header = 32 + 32 * def.fields.size() + 1;
    s.index = std::filesystem::file_size(dir + "/SPIS.MDX");
    for (const Row& r : Rows()) s.memoBytes.push_back((r.memo.size() + 9 + 511) / 512 * 512);
    std::filesystem::remove_all(dir);
    return s;
  }();
  return shape;
}

void BM_AppendWithTags(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::string dir = MakeDir();
    state.ResumeTiming();
    FillTable(dir + "/SPIS.DBF");
    state.PauseTiming();
    std::filesystem::remove_all(dir);
    state.ResumeTiming();
  }
}

void BM_PlainWrite(benchmark::State& state) {
  const Shape& s = FileShape();
  std::string record(s.record, 'r'), memo(4096, 'm'), index(s.index, 'i');
  for (auto _ : state) {
    state.PauseTiming();
    std::string dir = MakeDir();
    state.ResumeTiming();
    int dbf = open((dir + "/a").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int dbt = open((dir + "/b").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int mdx = open((dir + "/c").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = write(dbf, record.data(), s.header) == static_cast<ssize_t>(s.header);
    for (size_t i = 0; i < s.memoBytes.size(); ++i) {
      ok &= write(dbt, memo.data(), s.memoBytes[i]) == static_cast<ssize_t>(s.memoBytes[i]);
      ok &= write(dbf, record.data(), s.record) == static_cast<ssize_t>(s.record);
    }
    ok &= write(mdx, index.data(), index.size()) == static_cast<ssize_t>(index.size());
    close(dbf);
    close(dbt);
    close(mdx);
    if (!ok) state.SkipWithError("write failed");
    state.PauseTiming();
    std::filesystem::remove_all(dir);
    state.ResumeTiming();
  }
}

// The same bytes in one write per file.
void BM_BulkWrite(benchmark::State& state) {
  const Shape& s = FileShape();
  size_t memoTotal = 0;
  for (size_t m : s.memoBytes) memoTotal += m;
  std::string dbfBytes(s.header + s.record * kRows, 'r'), dbtBytes(memoTotal, 'm'),
      index(s.index, 'i');
  for (auto _ : state) {
    state.PauseTiming();
    std::string dir = MakeDir();
    state.ResumeTiming();
    bool ok = true;
    for (auto [name, bytes] :
         {std::pair{"a", &dbfBytes}, std::pair{"b", &dbtBytes}, std::pair{"c", &index}}) {
      int fd = open((dir + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ok &= write(fd, bytes->data(), bytes->size()) == static_cast<ssize_t>(bytes->size());
      close(fd);
    }
    if (!ok) state.SkipWithError("write failed");
    state.PauseTiming();
    std::filesystem::remove_all(dir);
    state.ResumeTiming();
  }
}

constexpr int kDurableRows = 2000;

void BM_DurableAppend(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::string dir = MakeDir();
    const std::string path = dir + "/SPIS.DBF";
    dbase::Table::Create(path, zorvel::SpisDef());
    dbase::Table t;
    t.Open(path, dbase::ShareMode::Shared);
    state.ResumeTiming();
    for (int i = 0; i < kDurableRows; ++i) {
      const Row& r = Rows()[static_cast<size_t>(i)];
      t.Append();
      SetFields(t, r);
      t.Post();
    }
    state.PauseTiming();
    t.Close();
    std::filesystem::remove_all(dir);
    state.ResumeTiming();
  }
}

void BM_SqliteDurableInsert(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::string dir = MakeDir();
    sqlite3* db = nullptr;
    bool ok = sqlite3_open((dir + "/spis.db").c_str(), &db) == SQLITE_OK;
    ok &= sqlite3_exec(db,
                       "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                       "CREATE TABLE spis(nr INTEGER, poziom INTEGER, nazwisko TEXT, imiona TEXT,"
                       " rp INTEGER, email TEXT);"
                       "CREATE INDEX nr ON spis(nr); CREATE INDEX nai ON spis(nazwisko, imiona);",
                       nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok &= sqlite3_prepare_v2(db, "INSERT INTO spis VALUES(?, 3, ?, ?, 2, ?)", -1, &insert,
                             nullptr) == SQLITE_OK;
    state.ResumeTiming();
    for (int i = 0; ok && i < kDurableRows; ++i) {
      const Row& r = Rows()[static_cast<size_t>(i)];
      sqlite3_bind_int(insert, 1, r.nr);
      sqlite3_bind_text(insert, 2, r.surname.data(), static_cast<int>(r.surname.size()),
                        SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, r.names.data(), static_cast<int>(r.names.size()), SQLITE_STATIC);
      sqlite3_bind_text(insert, 4, r.email.data(), static_cast<int>(r.email.size()), SQLITE_STATIC);
      ok &= sqlite3_step(insert) == SQLITE_DONE;  // its own transaction
      sqlite3_reset(insert);
    }
    state.PauseTiming();
    sqlite3_finalize(insert);
    sqlite3_close(db);
    if (!ok) state.SkipWithError("sqlite failed");
    std::filesystem::remove_all(dir);
    state.ResumeTiming();
  }
}

std::string& ReadDir() {
  static std::string dir = [] {
    std::string d = MakeDir();
    FillTable(d + "/SPIS.DBF");
    return d;
  }();
  return dir;
}

void BM_IndexOrderRead(benchmark::State& state) {
  const std::string path = ReadDir() + "/SPIS.DBF";
  size_t total = 0;
  for (auto _ : state) {
    dbase::Table t;
    t.Open(path, dbase::ShareMode::Shared);
    t.SetIndexName("NAI");
    int rows = 0;
    for (t.First(); !t.Eof(); t.Next()) {
      for (const auto& f : t.Fields()) total += t.AsString(f.name).size();
      ++rows;
    }
    if (rows != kRows) state.SkipWithError("rows missing");
  }
  benchmark::DoNotOptimize(total);
}

void BM_PlainRead(benchmark::State& state) {
  const Shape& s = FileShape();
  const std::string dir = ReadDir();
  std::string buf(8192, '\0');
  for (auto _ : state) {
    int dbf = open((dir + "/SPIS.DBF").c_str(), O_RDONLY);
    int dbt = open((dir + "/SPIS.DBT").c_str(), O_RDONLY);
    int mdx = open((dir + "/SPIS.MDX").c_str(), O_RDONLY);
    bool ok = read(dbf, buf.data(), s.header) == static_cast<ssize_t>(s.header);
    ok &= read(dbt, buf.data(), 512) == 512;
    std::string index(s.index, '\0');
    ok &= read(mdx, index.data(), index.size()) == static_cast<ssize_t>(index.size());
    for (size_t i = 0; i < s.memoBytes.size(); ++i) {
      ok &= read(dbf, buf.data(), s.record) == static_cast<ssize_t>(s.record);
      ok &= read(dbt, buf.data(), s.memoBytes[i]) == static_cast<ssize_t>(s.memoBytes[i]);
    }
    close(dbf);
    close(dbt);
    close(mdx);
    if (!ok) state.SkipWithError("read failed");
  }
}

void BM_BulkRead(benchmark::State& state) {
  const std::string dir = ReadDir();
  for (auto _ : state) {
    size_t total = 0;
    for (const char* name : {"SPIS.DBF", "SPIS.DBT", "SPIS.MDX"}) {
      std::string path = dir + "/" + name;
      std::string bytes(std::filesystem::file_size(path), '\0');
      int fd = open(path.c_str(), O_RDONLY);
      total += static_cast<size_t>(read(fd, bytes.data(), bytes.size()));
      close(fd);
    }
    benchmark::DoNotOptimize(total);
  }
}

BENCHMARK(BM_PlainWrite)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulkWrite)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendWithTags)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulkRead)->UseRealTime()->Iterations(3)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexOrderRead)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

// Keeps the fastest repetition of each benchmark.
class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      auto [it, fresh] = seconds_.try_emplace(run.run_name.function_name, seconds);
      if (!fresh && seconds < it->second) it->second = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Seconds(const std::string& name) const {
    auto it = seconds_.find(name);
    return it == seconds_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> seconds_;
};

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The two durable runs take turns, so that both meet the disk as loaded.
  for (int turn = 0; turn < 5; ++turn) {
    for (auto [name, run] : {std::pair{"BM_DurableAppend", &BM_DurableAppend},
                             std::pair{"BM_SqliteDurableInsert", &BM_SqliteDurableInsert}}) {
      benchmark::RegisterBenchmark(name, run)->UseRealTime()->Iterations(1)->Unit(
          benchmark::kMillisecond);
    }
  }
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double append = reporter.Seconds("BM_AppendWithTags");
  const double read = reporter.Seconds("BM_IndexOrderRead");
  std::printf(
      "\n2000 durable appends to SPIS with its tags / SQLite WAL, synchronous=FULL, a transaction "
      "per row: %.2f (target at most 1.2)\n",
      Ratio(reporter.Seconds("BM_DurableAppend"), reporter.Seconds("BM_SqliteDurableInsert")));
  std::printf("append 10000 rows with memo and 3 tags / plain unflushed per-row writes: %.1f\n",
              Ratio(append, reporter.Seconds("BM_PlainWrite")));
  std::printf(
      "read 10000 rows with memo in NAI order / plain per-row reads: %.1f (target at most 4)\n",
      Ratio(read, reporter.Seconds("BM_PlainRead")));
  std::printf("for the record, against one write / read per file: append %.1f, read %.1f\n",
              Ratio(append, reporter.Seconds("BM_BulkWrite")),
              Ratio(read, reporter.Seconds("BM_BulkRead")));
  std::filesystem::remove_all(ReadDir());
  benchmark::Shutdown();
  return 0;
}
