// The ISAM operations over an employee index of 100,000 ten-character keys,
// beside the floor that a search cannot beat: three plain reads of one node
// (2,176 bytes) each, at the offsets a search reads; beside the floor of an
// insertion: its own reads and writes done plainly; and beside SQLite doing
// the same work on a table of the same keys.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "file_table_row.h"
#include "paired_ratio.h"
#include "core/state.h"
#include "core/trail.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/isam.h"

namespace {

using vt::S;

constexpr double kIndexFile = 7;
constexpr const char* kIndexName = "WKIND.DAT";
constexpr std::size_t kKeyLength = 10;
constexpr std::size_t kEntriesPerNode = 128;
constexpr std::size_t kEntryOverhead = 7;
constexpr std::size_t kNodeLength = (kKeyLength + kEntryOverhead) * kEntriesPerNode;
constexpr std::uint64_t kKeys = 100000;
constexpr int kNodesPerSearch = 3;

// The key of number u: u spread over the ten-digit key space (a bijection,
// so distinct numbers give distinct keys). The index holds the keys of the
// even numbers 2 to 200,000; the odd ones are absent.
std::string keyOf(std::uint64_t u) {
  constexpr std::uint64_t kSpace = 10000000000ULL;
  std::string digits = std::to_string((u * 7919ULL * 104729ULL) % kSpace);
  return std::string(kKeyLength - digits.size(), '0') + digits;
}

// The record numbers a search of `key` reads, taken from the last three
// names of the procedure trail ("LEGGIREC (7-<record>)").
std::vector<double> searchPath(const std::string& key) {
  vt::ISAM(kIndexFile, key, vt::kIsamSearch);
  std::vector<double> records(kNodesPerSearch);
  int slot = S().POSPROC;
  for (int i = kNodesPerSearch - 1; i >= 0; --i) {
    const std::string& name = S().ULTIMEPROC[slot];
    records[static_cast<std::size_t>(i)] = std::stod(name.substr(name.find('-') + 1));
    slot = slot == 1 ? vt::kTrailSlots : slot - 1;
  }
  return records;
}

// One node read or written by an insertion, as its trail names it.
struct NodeAccess {
  bool write;
  std::uint64_t offset;
};

// The node reads and writes of an insertion of `key`, in order, taken from
// the trail names recorded after a mark; the key is deleted again.
std::vector<NodeAccess> insertAccesses(const std::string& key) {
  vt::REGISTRAPROC("MARK");
  if (vt::ISAM(kIndexFile, key, vt::kIsamInsert, 1) != 0) throw std::runtime_error("insert refused " + key);
  std::vector<NodeAccess> accesses;
  for (int slot = S().POSPROC, step = 0; step < vt::kTrailSlots; ++step) {
    const std::string& name = S().ULTIMEPROC[slot];
    if (name == "MARK") break;
    const auto record = static_cast<std::uint64_t>(std::stod(name.substr(name.find('-') + 1)));
    accesses.insert(accesses.begin(), NodeAccess{name.rfind("SCRIVIREC", 0) == 0, (record - 1) * kNodeLength});
    slot = slot == 1 ? vt::kTrailSlots : slot - 1;
  }
  vt::ISAM(kIndexFile, key, vt::kIsamDelete);
  return accesses;
}

// Keys inserted (and deleted again) by the insertion benchmarks: the first
// of the absent keys.
constexpr std::size_t kInsertedKeys = 20000;

// Stops on an SQLite error.
void checkSqlite(int result, sqlite3* db) {
  if (result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE) {
    throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
  }
}

// A temporary archives folder with the index of 100,000 keys, built once
// through the ISAM insertion itself, and the searched keys in random order.
class Installation {
 public:
  static Installation& get() {
    static Installation installation;
    return installation;
  }

  std::vector<std::string> presentKeys;
  std::vector<std::string> absentKeys;
  std::vector<std::vector<double>> paths;
  std::vector<std::vector<NodeAccess>> insertions;
  std::string indexPath;
  sqlite3* db = nullptr;

 private:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vtmerv-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    std::string table(static_cast<std::size_t>(kIndexFile - 1) * vt::kBaseRowLength, ' ');
    std::ofstream(folder_ + "/" + vt::kBaseFileName, std::ios::binary) << table << vt::bench::fileTableRow(kIndexName, kNodeLength);
    S().PERARK = folder_;
    indexPath = folder_ + "/" + kIndexName;
    vt::FAIOPEN(kIndexFile);
    vt::ISAM(kIndexFile, std::string(kKeyLength, ' '), vt::kIsamInitialise);

    std::vector<std::uint64_t> order;
    for (std::uint64_t i = 1; i <= kKeys; ++i) order.push_back(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(12345));
    for (std::uint64_t i : order) {
      const std::string key = keyOf(2 * i);
      if (vt::ISAM(kIndexFile, key, vt::kIsamInsert, static_cast<double>(i)) != 0) {
        throw std::runtime_error("index build refused " + key);
      }
      presentKeys.push_back(key);
      absentKeys.push_back(keyOf(2 * i + 1));
    }
    std::shuffle(presentKeys.begin(), presentKeys.end(), std::mt19937(54321));
    for (const std::string& key : presentKeys) paths.push_back(searchPath(key));
    for (std::size_t i = 0; i < kInsertedKeys; ++i) insertions.push_back(insertAccesses(absentKeys[i]));
    buildTable(order);
  }

  // The same keys with their record numbers in an SQLite table, key as the
  // primary key, inserted in the same order. The database is a file beside
  // the index, shared as the index is (normal locking, rollback journal);
  // like the index it is not synchronised to the disk at every change.
  void buildTable(const std::vector<std::uint64_t>& order) {
    checkSqlite(sqlite3_open((folder_ + "/bench.sqlite").c_str(), &db), db);
    checkSqlite(sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr), db);
    checkSqlite(sqlite3_exec(db, "CREATE TABLE employees (key TEXT PRIMARY KEY, record INTEGER NOT NULL) WITHOUT ROWID",
                             nullptr, nullptr, nullptr),
                db);
    checkSqlite(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* insert = nullptr;
    checkSqlite(sqlite3_prepare_v2(db, "INSERT INTO employees VALUES (?, ?)", -1, &insert, nullptr), db);
    for (std::uint64_t i : order) {
      const std::string key = keyOf(2 * i);
      sqlite3_bind_text(insert, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
      sqlite3_bind_int64(insert, 2, static_cast<sqlite3_int64>(i));
      checkSqlite(sqlite3_step(insert), db);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    checkSqlite(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  }

  ~Installation() {
    sqlite3_close(db);
    vt::CHIUDIFILE(0);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string folder_;
};

void BM_Search(benchmark::State& state) {
  Installation& in = Installation::get();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.presentKeys[i], vt::kIsamSearch));
    i = (i + 1) % in.presentKeys.size();
  }
}
BENCHMARK(BM_Search);

// Insert of absent keys; the keys are deleted again outside the timing,
// a thousand at a time, so the index keeps its 100,000 keys.
constexpr std::size_t kInsertBatch = 1000;

void BM_Insert(benchmark::State& state) {
  Installation& in = Installation::get();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.absentKeys[i], vt::kIsamInsert, 1));
    if (++i % kInsertBatch == 0) {
      state.PauseTiming();
      for (std::size_t k = i - kInsertBatch; k < i; ++k) vt::ISAM(kIndexFile, in.absentKeys[k], vt::kIsamDelete);
      i %= kInsertedKeys;
      state.ResumeTiming();
    }
  }
  for (std::size_t k = i - i % kInsertBatch; k < i; ++k) vt::ISAM(kIndexFile, in.absentKeys[k], vt::kIsamDelete);
}
BENCHMARK(BM_Insert);

// The floor of an insertion: the node reads and writes it makes, done as
// plain reads and writes of the file (each write puts back the bytes the
// file holds there, so the index does not change).
void BM_InsertPlainReadsWrites(benchmark::State& state) {
  Installation& in = Installation::get();
  const int fd = ::open(in.indexPath.c_str(), O_RDWR);
  std::string image(std::filesystem::file_size(in.indexPath), ' ');
  if (::pread(fd, image.data(), image.size(), 0) != static_cast<ssize_t>(image.size())) state.SkipWithError("read");
  std::string buffer(kNodeLength, ' ');
  std::size_t i = 0;
  for (auto _ : state) {
    for (const NodeAccess& access : in.insertions[i]) {
      if (access.write) {
        benchmark::DoNotOptimize(::pwrite(fd, image.data() + access.offset, kNodeLength, static_cast<off_t>(access.offset)));
      } else {
        benchmark::DoNotOptimize(::pread(fd, buffer.data(), kNodeLength, static_cast<off_t>(access.offset)));
      }
    }
    i = (i + 1) % in.insertions.size();
  }
  ::close(fd);
}
BENCHMARK(BM_InsertPlainReadsWrites);

void BM_NextKey(benchmark::State& state) {
  Installation& in = Installation::get();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.presentKeys[i], vt::kIsamNext));
    i = (i + 1) % in.presentKeys.size();
  }
}
BENCHMARK(BM_NextKey);

void BM_SearchAbsent(benchmark::State& state) {
  Installation& in = Installation::get();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.absentKeys[i], vt::kIsamSearch));
    i = (i + 1) % in.absentKeys.size();
  }
}
BENCHMARK(BM_SearchAbsent);

// The ordered walk: each next key from the key the previous call found,
// starting again from the lowest key at the end.
void BM_NextKeyWalk(benchmark::State& state) {
  Installation::get();
  std::string key(kKeyLength, '0');
  for (auto _ : state) {
    if (vt::ISAM(kIndexFile, key, vt::kIsamNext) == vt::kIsamNoNextKey) {
      key.assign(kKeyLength, '0');
    } else {
      key = S().CHIAVEISAM;
    }
  }
}
BENCHMARK(BM_NextKeyWalk);

// --- SQLite, the same work ---------------------------------------------------

// Looks up every key of `keys` in turn with one prepared statement.
void sqliteLookups(benchmark::State& state, const std::vector<std::string>& keys) {
  sqlite3* db = Installation::get().db;
  sqlite3_stmt* select = nullptr;
  checkSqlite(sqlite3_prepare_v2(db, "SELECT record FROM employees WHERE key = ?", -1, &select, nullptr), db);
  std::size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_text(select, 1, keys[i].data(), static_cast<int>(keys[i].size()), SQLITE_STATIC);
    const int result = sqlite3_step(select);
    benchmark::DoNotOptimize(result == SQLITE_ROW ? sqlite3_column_int64(select, 0) : -1);
    sqlite3_reset(select);
    i = (i + 1) % keys.size();
  }
  sqlite3_finalize(select);
}

void BM_SqliteSearch(benchmark::State& state) { sqliteLookups(state, Installation::get().presentKeys); }
BENCHMARK(BM_SqliteSearch);

void BM_SqliteSearchAbsent(benchmark::State& state) { sqliteLookups(state, Installation::get().absentKeys); }
BENCHMARK(BM_SqliteSearchAbsent);

void BM_SqliteInsert(benchmark::State& state) {
  Installation& in = Installation::get();
  sqlite3* db = in.db;
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* remove = nullptr;
  checkSqlite(sqlite3_prepare_v2(db, "INSERT INTO employees VALUES (?, 1)", -1, &insert, nullptr), db);
  checkSqlite(sqlite3_prepare_v2(db, "DELETE FROM employees WHERE key = ?", -1, &remove, nullptr), db);
  auto removeKeys = [&](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to; ++k) {
      sqlite3_bind_text(remove, 1, in.absentKeys[k].data(), static_cast<int>(kKeyLength), SQLITE_STATIC);
      checkSqlite(sqlite3_step(remove), db);
      sqlite3_reset(remove);
    }
  };
  std::size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_text(insert, 1, in.absentKeys[i].data(), static_cast<int>(kKeyLength), SQLITE_STATIC);
    checkSqlite(sqlite3_step(insert), db);
    sqlite3_reset(insert);
    if (++i % kInsertBatch == 0) {
      state.PauseTiming();
      removeKeys(i - kInsertBatch, i);
      i %= kInsertedKeys;
      state.ResumeTiming();
    }
  }
  removeKeys(i - i % kInsertBatch, i);
  sqlite3_finalize(insert);
  sqlite3_finalize(remove);
}
BENCHMARK(BM_SqliteInsert);

void BM_SqliteNextKeyWalk(benchmark::State& state) {
  sqlite3* db = Installation::get().db;
  sqlite3_stmt* next = nullptr;
  checkSqlite(sqlite3_prepare_v2(db, "SELECT key, record FROM employees WHERE key > ? ORDER BY key LIMIT 1", -1, &next,
                                 nullptr),
              db);
  std::string key(kKeyLength, '0');
  for (auto _ : state) {
    sqlite3_bind_text(next, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(next) == SQLITE_ROW) {
      key.assign(reinterpret_cast<const char*>(sqlite3_column_text(next, 0)), kKeyLength);
      benchmark::DoNotOptimize(sqlite3_column_int64(next, 1));
    } else {
      key.assign(kKeyLength, '0');
    }
    sqlite3_reset(next);
  }
  sqlite3_finalize(next);
}
BENCHMARK(BM_SqliteNextKeyWalk);

// The floor: the three node reads of a search, as plain reads of the file.
void BM_ThreePlainReads(benchmark::State& state) {
  Installation& in = Installation::get();
  const std::int16_t handle = vt::platform::freeHandle();
  vt::platform::openFile(handle, in.indexPath, vt::platform::OpenMode::kSharedRead);
  std::string buffer(kNodeLength, ' ');
  std::size_t i = 0;
  for (auto _ : state) {
    for (double record : in.paths[i]) {
      const auto offset = static_cast<std::uint64_t>(record - 1) * kNodeLength;
      benchmark::DoNotOptimize(vt::platform::readAt(handle, offset, buffer.data(), kNodeLength));
    }
    i = (i + 1) % in.paths.size();
  }
  vt::platform::closeHandle(handle);
}
BENCHMARK(BM_ThreePlainReads);

// --- The same ratios measured in pairs ----------------------------------------

// Operations in each block of a pair.
constexpr int kPairBlock = 200;

// The three plain reads of the searches of present keys `from` onwards.
void plainSearchReads(const Installation& in, std::int16_t handle, std::string& buffer, std::size_t from) {
  for (std::size_t k = from; k < from + kPairBlock; ++k) {
    for (double record : in.paths[k % in.paths.size()]) {
      const auto offset = static_cast<std::uint64_t>(record - 1) * kNodeLength;
      benchmark::DoNotOptimize(vt::platform::readAt(handle, offset, buffer.data(), kNodeLength));
    }
  }
}

// Searches (or next keys) of `keys` from `from` onwards, paired with the
// three plain reads of the searches of as many present keys.
void pairedLookups(benchmark::State& state, const std::vector<std::string>& keys, double code) {
  Installation& in = Installation::get();
  const std::int16_t handle = vt::platform::freeHandle();
  vt::platform::openFile(handle, in.indexPath, vt::platform::OpenMode::kSharedRead);
  std::string buffer(kNodeLength, ' ');
  std::size_t from = 0;
  vt::bench::pairedRatio(
      state, kPairBlock,
      [&] {
        for (std::size_t k = from; k < from + kPairBlock; ++k) {
          benchmark::DoNotOptimize(vt::ISAM(kIndexFile, keys[k % keys.size()], code));
        }
      },
      [&] { plainSearchReads(in, handle, buffer, from); }, [&] { from = (from + kPairBlock) % keys.size(); });
  vt::platform::closeHandle(handle);
}

void BM_PairedSearch(benchmark::State& state) { pairedLookups(state, Installation::get().presentKeys, vt::kIsamSearch); }
BENCHMARK(BM_PairedSearch);

void BM_PairedSearchAbsent(benchmark::State& state) {
  pairedLookups(state, Installation::get().absentKeys, vt::kIsamSearch);
}
BENCHMARK(BM_PairedSearchAbsent);

void BM_PairedNextKey(benchmark::State& state) { pairedLookups(state, Installation::get().presentKeys, vt::kIsamNext); }
BENCHMARK(BM_PairedNextKey);

// Insertions of absent keys, paired with their own reads and writes done
// plainly; the keys are deleted again between pairs.
void BM_PairedInsert(benchmark::State& state) {
  Installation& in = Installation::get();
  const int fd = ::open(in.indexPath.c_str(), O_RDWR);
  std::size_t most = 0;
  for (const std::vector<NodeAccess>& accesses : in.insertions) most = std::max(most, accesses.size());
  std::string buffers(most * kNodeLength, ' ');
  std::size_t from = 0;
  vt::bench::pairedRatio(
      state, kPairBlock,
      [&] {
        for (std::size_t k = from; k < from + kPairBlock; ++k) {
          benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.absentKeys[k], vt::kIsamInsert, 1));
        }
      },
      [&] {
        // Each write puts back the bytes this insertion's own read of the
        // node gave, so the index does not change; a write of a node it did
        // not read (one a split appended) is left out, which only makes the
        // floor lower.
        for (std::size_t k = from; k < from + kPairBlock; ++k) {
          const std::vector<NodeAccess>& accesses = in.insertions[k];
          for (std::size_t a = 0; a < accesses.size(); ++a) {
            char* node = buffers.data() + a * kNodeLength;
            const auto offset = static_cast<off_t>(accesses[a].offset);
            if (!accesses[a].write) {
              benchmark::DoNotOptimize(::pread(fd, node, kNodeLength, offset));
              continue;
            }
            for (std::size_t r = 0; r < a; ++r) {
              if (accesses[r].write || accesses[r].offset != accesses[a].offset) continue;
              benchmark::DoNotOptimize(::pwrite(fd, buffers.data() + r * kNodeLength, kNodeLength, offset));
              break;
            }
          }
        }
      },
      [&] {
        for (std::size_t k = from; k < from + kPairBlock; ++k) vt::ISAM(kIndexFile, in.absentKeys[k], vt::kIsamDelete);
        from = (from + kPairBlock) % kInsertedKeys;
      });
  ::close(fd);
}
BENCHMARK(BM_PairedInsert);

}  // namespace

BENCHMARK_MAIN();
