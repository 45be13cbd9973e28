// vtmerv-check's verifica over an archive of 100,000 employees (records of
// 9,600 bytes, as the sample's) and their index, beside the floor it cannot
// beat: every byte of the archive read, a quarter of a megabyte at a time,
// and looked through for a NUL byte (verifica reads each record whole).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "file_table_row.h"
#include "check/check.h"
#include "core/state.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/isam.h"
#include "ui/archives.h"

namespace {

using vt::S;

constexpr double kArchiveFile = 2;
constexpr double kIndexFile = 7;
constexpr const char* kArchiveName = "DIPEND.DAT";
constexpr const char* kIndexName = "DIPEND.IDX";
constexpr std::size_t kEmployeeLength = vt::kSampleEmployeeLength;
constexpr std::size_t kNodeLength = 2176;
constexpr std::size_t kKeyLength = 10;
constexpr std::size_t kStatusLength = 2;
constexpr std::uint64_t kEmployees = 100000;

// Employee number u's code: u spread over the ten-digit codes.
std::string codeOf(std::uint64_t u) {
  std::string digits = std::to_string((u * 7919ULL * 104729ULL) % 10000000000ULL);
  return std::string(kKeyLength - digits.size(), '0') + digits;
}

// A temporary archives folder: the archive (each record its status and code,
// then blanks) and its index, built through the ISAM insertion in ascending
// order, as a repair builds it.
class Installation {
 public:
  static Installation& get() {
    static Installation installation;
    return installation;
  }

  std::string folder;

 private:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vtmerv-check-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder = pattern;
    std::string table(static_cast<std::size_t>(kIndexFile) * vt::kBaseRowLength, ' ');
    table.replace(static_cast<std::size_t>(kArchiveFile - 1) * vt::kBaseRowLength, vt::kBaseRowLength,
                  vt::bench::fileTableRow(kArchiveName, kEmployeeLength));
    table.replace(static_cast<std::size_t>(kIndexFile - 1) * vt::kBaseRowLength, vt::kBaseRowLength,
                  vt::bench::fileTableRow(kIndexName, kNodeLength));
    std::ofstream(folder + "/" + vt::kBaseFileName, std::ios::binary) << table;
    {
      std::ofstream archive(folder + "/" + kArchiveName, std::ios::binary);
      std::string record(kEmployeeLength, ' ');
      for (std::uint64_t u = 1; u <= kEmployees; ++u) {
        record.replace(0, kStatusLength + kKeyLength, "00" + codeOf(u));
        archive << record;
      }
    }
    std::vector<std::pair<std::string, double>> codes;
    for (std::uint64_t u = 1; u <= kEmployees; ++u) codes.emplace_back(codeOf(u), static_cast<double>(u));
    std::sort(codes.begin(), codes.end());
    S().PERARK = folder;
    vt::FAIOPEN(kIndexFile);
    vt::ISAM(kIndexFile, std::string(kKeyLength, ' '), vt::kIsamInitialise);
    for (const auto& [code, record] : codes) {
      if (vt::ISAM(kIndexFile, code, vt::kIsamInsert, record) != 0) throw std::runtime_error("insert refused");
    }
    vt::CHIUDIFILE(0);
  }

  ~Installation() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

void BM_Verifica(benchmark::State& state) {
  Installation& in = Installation::get();
  vt::check::findInstallation(in.folder);
  vt::check::Files files;
  files.companion = 0;
  for (auto _ : state) {
    vt::check::Report report = vt::check::verify(files);
    if (report.damaged() || report.indexCodes != kEmployees) state.SkipWithError("the index is not clean");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEmployees));
}
BENCHMARK(BM_Verifica)->Unit(benchmark::kMillisecond);

// The floor: every byte of the archive, read in chunks of whole records and
// looked through for a NUL byte.
void BM_PlainReadsOfTheRecords(benchmark::State& state) {
  Installation& in = Installation::get();
  const std::int16_t handle = vt::platform::freeHandle();
  vt::platform::openFile(handle, in.folder + "/" + kArchiveName, vt::platform::OpenMode::kSharedRead);
  constexpr std::size_t kPerChunk = (1 << 18) / kEmployeeLength;
  std::string chunk(kPerChunk * kEmployeeLength, ' ');
  for (auto _ : state) {
    for (std::uint64_t r = 0; r < kEmployees; r += kPerChunk) {
      const std::size_t records = std::min<std::uint64_t>(kPerChunk, kEmployees - r);
      vt::platform::readAt(handle, r * kEmployeeLength, chunk.data(), records * kEmployeeLength);
      benchmark::DoNotOptimize(chunk.find('\0'));
    }
  }
  vt::platform::closeHandle(handle);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEmployees));
}
BENCHMARK(BM_PlainReadsOfTheRecords)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
