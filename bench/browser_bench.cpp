// The browser's fill: the lines of 1,000 employee records of the standard
// archive, beside the plain reads of the same records that it cannot beat.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "file_table_row.h"
#include "paired_ratio.h"
#include "core/dialogs.h"
#include "core/state.h"
#include "platform/files.h"
#include "records/files.h"
#include "ui/archives.h"
#include "ui/browser.h"
#include "ui/copy_window.h"

namespace {

using vt::S;

constexpr int kStandardFile = 202;
constexpr const char* kStandardName = "STDDIPE.DAT";
constexpr std::size_t kRecordLength = vt::kSampleEmployeeLength;
constexpr int kRecords = 1000;
// Where the employee's code and name stand in the record.
constexpr vt::RecordField kKey = vt::kEmployeeCode;
constexpr vt::RecordField kName = vt::kEmployeeDescription;

// Answers nothing: the fill shows no box when the archive holds records.
class SilentDialogs : public vt::Dialogs {
 public:
  vt::Answer message(const std::string&, vt::Buttons, vt::Icon, const std::string&, vt::DefaultButton) override {
    return vt::Answer::kOk;
  }
  std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void beep() override {}
  vt::ScreenSize screenSize() override { return {1024, 768}; }
  void showModal(vt::WindowPresenter&) override {}
};

// A temporary archives folder whose standard employee archive holds 1,000
// employees with names in no order, opened and described as the start-up
// leaves it for the employees.
class Installation {
 public:
  static Installation& get() {
    static Installation installation;
    return installation;
  }

  std::string archivePath;

 private:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vtmerv-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    std::string table(static_cast<std::size_t>(kStandardFile - 1) * vt::kBaseRowLength, ' ');
    std::ofstream(folder_ + "/" + vt::kBaseFileName, std::ios::binary) << table << vt::bench::fileTableRow(kStandardName, kRecordLength);
    archivePath = folder_ + "/" + kStandardName;
    std::ofstream archive(archivePath, std::ios::binary);
    std::mt19937 random(2024);
    for (int i = 1; i <= kRecords; ++i) {
      std::string record(kRecordLength, ' ');
      record.replace(0, 2, "00");
      std::string code = std::to_string(1001000000 + i);
      record.replace(kKey.position - 1, kKey.length, code);
      std::string name;
      for (int c = 0; c < 12; ++c) name += static_cast<char>('A' + random() % 26);
      record.replace(kName.position - 1, name.size(), name + " MARIO");
      archive << record;
    }
    archive.close();

    vt::setDialogs(&dialogs_);
    S().PERARK = folder_;
    vt::FAIOPEN(kStandardFile);
    S().TABPARAM[vt::kParamChoice] = 2;
    S().TABPARAM[vt::kParamStandardFile] = kStandardFile;
    S().TABPARAM[vt::kParamUserFile] = 2;
    S().TABPARAM[vt::kParamKeyPosition] = static_cast<std::int16_t>(kKey.position);
    S().TABPARAM[vt::kParamKeyLength] = static_cast<std::int16_t>(kKey.length);
    S().TABPARAM[vt::kParamDescriptionPosition] = static_cast<std::int16_t>(kName.position);
    S().TABPARAM[vt::kParamDescriptionLength] = static_cast<std::int16_t>(kName.length);
    S().TABTESTI[vt::kTextChosenArchive] = "2 - ARCHIVIO DIPENDENTI";
  }

  ~Installation() {
    vt::CHIUDIFILE(0);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string folder_;
  SilentDialogs dialogs_;
};

void BM_BrowserFill(benchmark::State& state) {
  Installation::get();
  for (auto _ : state) {
    vt::Filesta2 copyWindow;
    vt::Filestan browser(copyWindow);
    browser.load();
    if (browser.lines(vt::Filestan::kStandardList).size() != kRecords) state.SkipWithError("lines missing");
  }
}
BENCHMARK(BM_BrowserFill);

// The floor: the same 1,000 records read plainly, one read each, into the
// same record buffer the fill reads them into (where the bytes land weighs
// on the system's copy: on this machine the same reads take up to a third
// longer into one buffer than into another).
void BM_PlainRecordReads(benchmark::State& state) {
  Installation& in = Installation::get();
  const std::int16_t handle = vt::platform::freeHandle();
  vt::platform::openFile(handle, in.archivePath, vt::platform::OpenMode::kSharedRead);
  char* buffer = S().BUFFERREC[kStandardFile].data();
  for (auto _ : state) {
    for (int record = 1; record <= kRecords; ++record) {
      const auto offset = static_cast<std::uint64_t>(record - 1) * kRecordLength;
      benchmark::DoNotOptimize(vt::platform::readAt(handle, offset, buffer, kRecordLength));
    }
  }
  vt::platform::closeHandle(handle);
}
BENCHMARK(BM_PlainRecordReads);

// The same ratio measured in pairs: a fill, then the plain reads (or the
// other way round), in turn.
void BM_PairedBrowserFill(benchmark::State& state) {
  Installation& in = Installation::get();
  const std::int16_t handle = vt::platform::freeHandle();
  vt::platform::openFile(handle, in.archivePath, vt::platform::OpenMode::kSharedRead);
  vt::bench::pairedRatio(
      state, 1,
      [] {
        vt::Filesta2 copyWindow;
        vt::Filestan browser(copyWindow);
        browser.load();
        benchmark::DoNotOptimize(browser.lines(vt::Filestan::kStandardList).size());
      },
      [&] {
        char* buffer = S().BUFFERREC[kStandardFile].data();
        for (int record = 1; record <= kRecords; ++record) {
          const auto offset = static_cast<std::uint64_t>(record - 1) * kRecordLength;
          benchmark::DoNotOptimize(vt::platform::readAt(handle, offset, buffer, kRecordLength));
        }
      },
      [] {});
  vt::platform::closeHandle(handle);
}
BENCHMARK(BM_PairedBrowserFill);

}  // namespace

BENCHMARK_MAIN();
