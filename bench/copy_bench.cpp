// What putting a copy on disk costs: the writes of one employee copy under a
// new code (the index leaf, the companion record, the employee record) and of
// one keyed copy (a company record), each with and without the flush that
// follows them before the semaphore is released. The files live in a folder
// made in the current directory, so that the flush reaches a real disk (a
// temporary folder may be kept in memory, where a flush costs nothing).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_table_row.h"
#include "core/state.h"
#include "records/files.h"
#include "records/records.h"
#include "ui/archives.h"

namespace {

using vt::S;

// File numbers and record lengths as in the sample installation.
struct File {
  int number;
  const char* name;
  int length;
};
constexpr File kCompanies{1, "DITTE.DAT", 400};
constexpr File kEmployees{2, "DIPEND.DAT", vt::kSampleEmployeeLength};
constexpr File kIndex{7, "DIPEND.IDX", 2176};
constexpr File kCompanion{97, "DIPCOMPL.DAT", 300};
constexpr File kFiles[] = {kCompanies, kEmployees, kIndex, kCompanion};
// Records each file holds; the copies overwrite the last one.
constexpr int kRecords = 100;

class Installation {
 public:
  static Installation& get() {
    static Installation installation;
    return installation;
  }

 private:
  Installation() : folder_(std::filesystem::absolute("vtmerv-copy-bench")) {
    std::filesystem::create_directories(folder_);
    std::vector<std::string> table(kCompanion.number, std::string(vt::kBaseRowLength, ' '));
    for (const File& file : kFiles) {
      table[static_cast<std::size_t>(file.number - 1)] = vt::bench::fileTableRow(file.name, static_cast<std::size_t>(file.length));
      std::ofstream out(folder_ / file.name, std::ios::binary);
      for (int r = 0; r < kRecords; ++r) out << std::string(static_cast<std::size_t>(file.length), '0');
    }
    std::ofstream out(folder_ / vt::kBaseFileName, std::ios::binary);
    for (const std::string& row : table) out << row;
    out.close();
    S().PERARK = folder_.string();
    for (const File& file : kFiles) vt::FAIOPEN(file.number);
  }
  ~Installation() {
    vt::CHIUDIFILE(0);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::filesystem::path folder_;
};

void write(const File& file, int record, char fill) {
  vt::SCRIVIREC(file.number, record, std::string(static_cast<std::size_t>(file.length), fill));
}

// Argument 0: left to the system; 1: the three files flushed after the
// three writes (the copy before its order was made durable); 2: as the copy
// does it, the index and the companion record flushed before the employee
// record is written, then the employee record flushed.
void BM_EmployeeCopyWrites(benchmark::State& state) {
  Installation::get();
  char fill = 'A';
  for (auto _ : state) {
    write(kIndex, kRecords, fill);
    write(kCompanion, kRecords, fill);
    if (state.range(0) == 2) vt::flushWrittenRecords();
    write(kEmployees, kRecords, fill);
    if (state.range(0) != 0) vt::flushWrittenRecords();
    fill = fill == 'Z' ? 'A' : static_cast<char>(fill + 1);
  }
}
BENCHMARK(BM_EmployeeCopyWrites)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_KeyedCopyWrite(benchmark::State& state) {
  Installation::get();
  char fill = 'A';
  for (auto _ : state) {
    write(kCompanies, kRecords, fill);
    if (state.range(0) != 0) vt::flushWrittenRecords();
    fill = fill == 'Z' ? 'A' : static_cast<char>(fill + 1);
  }
}
BENCHMARK(BM_KeyedCopyWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
