// The ISAM operations over an employee index of 100,000 ten-character keys,
// beside the floor that a search cannot beat: three plain reads of one node
// (2,176 bytes) each, at the offsets a search reads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/state.h"
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

// A file-table row for the index: the name at byte 4, the record length
// right-aligned in bytes 33 to 37.
std::string indexRow() {
  std::string row(vt::kBaseRowLength, ' ');
  row.replace(vt::kBaseTemplatePos - 1, std::string(kIndexName).size(), kIndexName);
  std::string length = std::to_string(kNodeLength);
  row.replace(vt::kBaseRecordLengthPos - 1 + vt::kBaseRecordLengthLength - length.size(), length.size(), length);
  return row;
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
  std::string indexPath;

 private:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vtmerv-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    std::string table(static_cast<std::size_t>(kIndexFile - 1) * vt::kBaseRowLength, ' ');
    std::ofstream(folder_ + "/" + vt::kBaseFileName, std::ios::binary) << table << indexRow();
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
  }

  ~Installation() {
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

// Insert of an absent key; the key is deleted again outside the timing, so
// the index keeps its 100,000 keys.
void BM_Insert(benchmark::State& state) {
  Installation& in = Installation::get();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.absentKeys[i], vt::kIsamInsert, 1));
    state.PauseTiming();
    vt::ISAM(kIndexFile, in.absentKeys[i], vt::kIsamDelete);
    state.ResumeTiming();
    i = (i + 1) % in.absentKeys.size();
  }
}
BENCHMARK(BM_Insert);

void BM_NextKey(benchmark::State& state) {
  Installation& in = Installation::get();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vt::ISAM(kIndexFile, in.presentKeys[i], vt::kIsamNext));
    i = (i + 1) % in.presentKeys.size();
  }
}
BENCHMARK(BM_NextKey);

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

}  // namespace

BENCHMARK_MAIN();
