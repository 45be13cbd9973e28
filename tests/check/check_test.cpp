// vtmerv-check over the sample installation, damaged one way at a time.
//
// The sample's employee index (file 7, DIPEND.IDX) is a root (record 1), one
// second-level node (record 2) and one leaf (record 3) holding, in order,
// 0010010001 -> 1, 0010010002 -> 3, 0030010001 -> 4, 0040010001 -> 5; record
// 2 of the employee archive (DIPEND.DAT) is a free slot.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "check/check.h"
#include "core/state.h"
#include "records/semaphore.h"
#include "sample/sample_installation.h"

namespace vt::check {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kNode = 2176;
constexpr std::size_t kEntry = 17;
constexpr std::size_t kEmployee = 9600;
constexpr std::size_t kCodeOffset = 2;
const std::string kFreeEntry = std::string(10, static_cast<char>(252)) + "3000000";

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A sample installation in a fresh folder, found through TESSARO_DRIVES and
// XDG_CONFIG_HOME, or through --archivi.
class Installation {
 public:
  Installation() : root_(fs::temp_directory_path() / ("vtmerv-check-" + std::to_string(std::random_device()()))) {
    fs::remove_all(root_);
    setVariable("TESSARO_DRIVES", (root_ / "drives").string());
    setVariable("XDG_CONFIG_HOME", (root_ / "config").string());
    sample::createSampleInstallation((root_ / "drives").string(), (root_ / "config").string());
  }
  ~Installation() { fs::remove_all(root_); }

  fs::path archives() const { return root_ / "drives" / "C" / "PWELKIN" / "ARCHIVI"; }
  fs::path settings() const { return root_ / "config" / "VELTRANI" / "TESSARO.conf"; }
  fs::path index() const { return archives() / "DIPEND.IDX"; }
  fs::path employees() const { return archives() / "DIPEND.DAT"; }

  void patch(const fs::path& file, std::size_t offset, const std::string& bytes) const {
    std::fstream io(file, std::ios::binary | std::ios::in | std::ios::out);
    io.seekp(static_cast<std::streamoff>(offset));
    io.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Entry `e` of index record `node`.
  void patchEntry(std::size_t node, std::size_t e, const std::string& bytes) const {
    patch(index(), (node - 1) * kNode + (e - 1) * kEntry, bytes);
  }
  void cutIndex(std::uintmax_t length) const { fs::resize_file(index(), length); }

  // Every file of the archives folder, by name.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> all;
    for (const auto& f : fs::directory_iterator(archives())) all[f.path().filename().string()] = bytesOf(f.path());
    return all;
  }

  int run(std::vector<std::string> args, std::string* err = nullptr) const {
    args.insert(args.end(), {"--archivi", archives().string()});
    std::ostringstream out, errors;
    int status = runCommand(args, out, errors, false);
    if (err) *err = errors.str();
    return status;
  }

 private:
  fs::path root_;
};

struct DamageCase {
  const char* name;
  std::function<void(const Installation&)> damage;
  Kind kind;
  double node;
  int entry;
  std::vector<double> records;
};

TEST(Check, VerificaNamesEachDamageAndRiparaLeavesACleanInstallation) {
  const std::vector<DamageCase> cases = {
      {"code past the end", [](auto& i) { i.patchEntry(3, 2, "0010010002" "3" "000009"); },
       Kind::kOutsideArchive, 3, 2, {9}},
      {"code at a freed record", [](auto& i) { i.patchEntry(3, 2, "0010010002" "3" "000002"); },
       Kind::kFreeRecord, 3, 2, {2}},
      {"code at another code's record", [](auto& i) { i.patchEntry(3, 2, "0010010002" "3" "000004"); },
       Kind::kOtherCode, 3, 2, {4}},
      {"employee missing from the index", [](auto& i) { i.patchEntry(3, 4, kFreeEntry); },
       Kind::kMissingFromIndex, 0, 0, {5}},
      {"two entries for one record", [](auto& i) { i.patchEntry(3, 5, "0050010001" "3" "000001"); },
       Kind::kSharedRecord, 0, 0, {1}},
      {"leaf entry out of order", [](auto& i) {
         i.patchEntry(3, 1, "0010010002" "3" "000003");
         i.patchEntry(3, 2, "0010010001" "3" "000001");
       }, Kind::kIndexStructure, 3, 2, {}},
      {"used entry after a free one", [](auto& i) { i.patchEntry(3, 6, "0090010001" "3" "000001"); },
       Kind::kIndexStructure, 3, 6, {}},
      {"parent key not the child's first", [](auto& i) { i.patchEntry(2, 1, "0000000001" "2" "000003"); },
       Kind::kIndexStructure, 2, 1, {}},
      {"child outside the file", [](auto& i) { i.patchEntry(2, 1, "0010010001" "2" "000099"); },
       Kind::kIndexStructure, 2, 1, {}},
      {"index shorter than a node", [](auto& i) { i.cutIndex(kNode - 1); }, Kind::kIndexStructure, 0, 0, {}},
      {"empty index with employees", [](auto& i) { i.cutIndex(0); }, Kind::kMissingFromIndex, 0, 0, {4}},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    Installation install;
    c.damage(install);
    findInstallation(install.archives().string());
    Report report = verify();
    bool named = false;
    for (const Finding& f : report.findings) {
      named = named || (f.kind == c.kind && f.indexNode == c.node && f.indexEntry == c.entry &&
                        f.archiveRecords == c.records && f.damage);
    }
    EXPECT_TRUE(named);
    EXPECT_EQ(install.run({"verifica"}), kExitDamaged);

    const std::map<std::string, std::string> damaged = install.files();
    ASSERT_EQ(install.run({"ripara"}), kExitClean);
    EXPECT_EQ(install.run({"verifica"}), kExitClean);
    std::map<std::string, std::string> after = install.files();
    std::size_t backups = 0;
    for (const auto& [name, bytes] : after) {
      if (name.rfind("DIPEND.IDX.", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".bak") {
        EXPECT_TRUE(bytes == damaged.at("DIPEND.IDX"));
        ++backups;
      } else if (name != "DIPEND.IDX") {
        EXPECT_TRUE(bytes == damaged.at(name)) << name;
      }
    }
    EXPECT_EQ(backups, 1u);
    EXPECT_EQ(after.size(), damaged.size() + 1);
  }
}

TEST(Check, RiparaRefusesDuplicateCodesWritingNothing) {
  Installation install;
  install.patch(install.employees(), 3 * kEmployee + kCodeOffset, "0010010001");
  findInstallation(install.archives().string());
  RepairResult result = repair();
  EXPECT_TRUE(result.refused);
  bool named = false;
  for (const Finding& f : result.before.findings) {
    named = named || (f.kind == Kind::kDuplicateCode && f.archiveRecords == std::vector<double>{1, 4});
  }
  EXPECT_TRUE(named);
  const std::map<std::string, std::string> before = install.files();
  EXPECT_EQ(install.run({"ripara"}), kExitDamaged);
  EXPECT_TRUE(install.files() == before);
}

TEST(Check, ExitTwoWithAMessageWhenItCannotRun) {
  Installation install;
  std::string err;
  fs::remove(install.employees());
  EXPECT_EQ(install.run({"verifica"}, &err), kExitCannotRun);
  EXPECT_NE(err.find("file 2 mancante"), std::string::npos) << err;

  setVariable("TESSARO_DRIVES", (install.archives() / "nessuna").string());
  setVariable("XDG_CONFIG_HOME", (install.archives() / "nessuna").string());
  std::ostringstream out, errors;
  EXPECT_EQ(runCommand({"verifica"}, out, errors, false), kExitCannotRun);
  EXPECT_NE(errors.str().find("ERRORE DI CONFIGURAZIONE!"), std::string::npos) << errors.str();
}

TEST(Check, EmployeesWithoutACompanionRecordAreAWarningNamingTheFile) {
  Installation install;
  fs::resize_file(install.archives() / "DIPCOMPL.DAT", 0);
  findInstallation(install.archives().string());
  const Report report = verify();
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0].text, "4 record in uso, dal record 1 al record 5, non hanno un record complementare nel file 97");
}

#ifndef _WIN32  // ulimit and FIFOs
// vtmerv-check itself, past the file-size limit: the repair's write fails as
// a full disk would (exit 2, "Disco pieno"), never ends the process by the
// limit's signal. A settings file that is a pipe with no writer is the
// configuration error naming it, at once.
TEST(Check, AFileSizeLimitIsADiskFull_AndASettingsPipeAConfigurationError) {
  Installation install;
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  const std::string errors = (install.archives().parent_path() / "errori.txt").string();
  const std::string command = "ulimit -f 4 && exec \"" VTMERV_CHECK_EXE "\" ripara --archivi \"" +
                              install.archives().string() + "\" 2>\"" + errors + "\"";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitCannotRun) << status;
  EXPECT_NE(bytesOf(errors).find("Disco pieno"), std::string::npos) << bytesOf(errors);

  fs::remove(install.settings());
  ASSERT_EQ(::mkfifo(install.settings().c_str(), 0644), 0);
  ::alarm(30);  // an open that waits for a writer would hold the test for ever
  std::ostringstream out, err;
  EXPECT_EQ(runCommand({"verifica"}, out, err, false), kExitCannotRun);
  ::alarm(0);
  EXPECT_NE(err.str().find("ERRORE DI CONFIGURAZIONE!"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find(install.settings().string()), std::string::npos) << err.str();
}
#endif

TEST(Check, RiparaWaitsWhileAnotherProcessHoldsTheSemaphore) {
  Installation install;
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  const std::string damaged = bytesOf(install.index());
  S().PERARK = install.archives().string();
  APRISEMA();
  const std::size_t files = install.files().size();
  int status = -1;
  std::thread repairing([&] {
    std::string command = "\"" VTMERV_CHECK_EXE "\" ripara --archivi \"" + install.archives().string() + "\"";
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe takes off the outer quotes
#endif
    status = std::system(command.c_str());
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_TRUE(bytesOf(install.index()) == damaged);
  EXPECT_EQ(install.files().size(), files);  // no backup, no new index yet
  CHIUDISEMA();
  repairing.join();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(install.files().size(), files + 1);
  EXPECT_FALSE(bytesOf(install.index()) == damaged);
}

}  // namespace
}  // namespace vt::check
