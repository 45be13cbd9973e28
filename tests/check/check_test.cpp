// vtmerv-check over the sample installation, damaged one way at a time.
//
// The sample's employee index (file 7, DIPEND.IDX) is a root (record 1), one
// second-level node (record 2) and one leaf (record 3) holding, in order,
// 0010010001 -> 1, 0010010002 -> 3, 0030010001 -> 4, 0040010001 -> 5; record
// 2 of the employee archive (DIPEND.DAT) is a free slot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "check/check.h"
#include "core/state.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "records/semaphore.h"
#include "other_program.h"
#include "readable.h"
#include "temp_install.h"
#include "ui/archives.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace vt::check {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kKey = 10;  // the employee code
constexpr std::size_t kNode = indexNodeLength(kKey);
constexpr std::size_t kEntry = kKey + kIndexEntryOverhead;
const std::string kFreeEntry = std::string(kKey, '\xFC') + "3" "000000";  // a free leaf entry

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The sample installation in a fresh folder, found through TESSARO_DRIVES
// and XDG_CONFIG_HOME, or through --archivi.
class Installation : public testing::TempFolder {
 public:
  Installation() { installSample(); }

  fs::path archives() const { return fs::path(path()) / "drives" / "C" / "PWELKIN" / "ARCHIVI"; }
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

  // What the last runProgram wrote.
  std::string output() const { return read("output"); }
  // Runs the vtmerv-check program itself on the installation; its exit status.
  int runProgram(const std::string& args) const {
    std::string command =
        "\"" VTMERV_CHECK_EXE "\" " + args + " --archivi \"" + archives().string() + "\" > \"" + path() + "/output\" 2>&1";
#ifdef _WIN32
    return std::system(("\"" + command + "\"").c_str());  // cmd.exe takes off the outer quotes
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }

  int run(std::vector<std::string> args, std::string* err = nullptr) const {
    args.insert(args.end(), {"--archivi", archives().string()});
    std::ostringstream out, errors;
    int status = runCommand(args, out, errors, false);
    if (err) *err = errors.str();
    return status;
  }
};

struct DamageCase {
  const char* what;
  std::function<void(const Installation&)> damage;
  Kind kind;
  double node = 0;  // the index record and entry named, 0 when none
  int entry = 0;
  std::vector<double> records = {};
  bool damaging = true;  // false: a warning
};
void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.what; }

const DamageCase kDamages[] = {
    {.what = "code past the end", .damage = [](auto& i) { i.patchEntry(3, 2, "0010010002" "3" "000009"); },
     .kind = Kind::kOutsideArchive, .node = 3, .entry = 2, .records = {9}},
    {.what = "code at a freed record", .damage = [](auto& i) { i.patchEntry(3, 2, "0010010002" "3" "000002"); },
     .kind = Kind::kFreeRecord, .node = 3, .entry = 2, .records = {2}},
    {.what = "code at another code's record", .damage = [](auto& i) { i.patchEntry(3, 2, "0010010002" "3" "000004"); },
     .kind = Kind::kOtherCode, .node = 3, .entry = 2, .records = {4}},
    {.what = "employee missing from the index", .damage = [](auto& i) { i.patchEntry(3, 4, kFreeEntry); },
     .kind = Kind::kMissingFromIndex, .records = {5}},
    {.what = "two entries for one record", .damage = [](auto& i) { i.patchEntry(3, 5, "0050010001" "3" "000001"); },
     .kind = Kind::kSharedRecord, .records = {1}},
    {.what = "leaf entry out of order",
     .damage = [](auto& i) { i.patchEntry(3, 1, "0010010002" "3" "000003"), i.patchEntry(3, 2, "0010010001" "3" "000001"); },
     .kind = Kind::kIndexStructure, .node = 3, .entry = 2},
    {.what = "used entry after a free one", .damage = [](auto& i) { i.patchEntry(3, 6, "0090010001" "3" "000001"); },
     .kind = Kind::kIndexStructure, .node = 3, .entry = 6},
    {.what = "parent key not the child's first", .damage = [](auto& i) { i.patchEntry(2, 1, "0000000001" "2" "000003"); },
     .kind = Kind::kIndexStructure, .node = 2, .entry = 1},
    {.what = "child outside the file", .damage = [](auto& i) { i.patchEntry(2, 1, "0010010001" "2" "000099"); },
     .kind = Kind::kIndexStructure, .node = 2, .entry = 1},
    {.what = "index shorter than a node", .damage = [](auto& i) { i.cutIndex(kNode - 1); }, .kind = Kind::kIndexStructure},
    {.what = "empty index with employees", .damage = [](auto& i) { i.cutIndex(0); }, .kind = Kind::kMissingFromIndex,
     .records = {4}},
    {.what = "node no path reaches", .damage = [](auto& i) { i.patch(i.index(), 3 * kNode, bytesOf(i.index()).substr(2 * kNode)); },
     .kind = Kind::kUnreachedNode, .node = 4, .damaging = false},
};

// verifica names the damage with its records, ripara mends it: afterwards
// verifica finds nothing, the backup holds the damaged index, and every
// other file is as it was.
class Damage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(Damage, VerificaNamesItAndRiparaLeavesACleanInstallation) {
  const DamageCase& c = GetParam();
  Installation install;
  c.damage(install);
  findInstallation(install.archives().string());
  const Report report = verify();
  EXPECT_TRUE(std::any_of(report.findings.begin(), report.findings.end(), [&](const Finding& f) {
    return f.kind == c.kind && f.indexNode == c.node && f.indexEntry == c.entry && f.archiveRecords == c.records &&
           f.damage == c.damaging;
  })) << report;
  EXPECT_EQ(install.run({"verifica"}), c.damaging ? kExitDamaged : kExitClean);

  const std::map<std::string, std::string> damaged = install.files();
  ASSERT_EQ(install.run({"ripara"}), kExitClean);
  EXPECT_EQ(install.run({"verifica"}), kExitClean) << verify();
  std::map<std::string, std::string> after = install.files();
  std::size_t backups = 0;
  for (const auto& [name, bytes] : after) {
    if (name.rfind("DIPEND.IDX.", 0) == 0 && name.ends_with(".bak")) {
      EXPECT_TRUE(bytes == damaged.at("DIPEND.IDX"));
      ++backups;
    } else if (name != "DIPEND.IDX") {
      EXPECT_TRUE(bytes == damaged.at(name)) << name;
    }
  }
  EXPECT_EQ(backups, 1u);
  EXPECT_EQ(after.size(), damaged.size() + 1);
}
INSTANTIATE_TEST_SUITE_P(OfTheIndex, Damage, ::testing::ValuesIn(kDamages), testing::NamedByWhat());

// The program's exit status, command after command, on a sound installation
// and damaged ones; a refused repair names the codes and changes no file.
TEST(Check, EveryCommandsExitStatusThroughTheProgram) {
  struct Case {
    const char* name;
    std::function<void(const Installation&)> damage;
    std::vector<std::pair<std::string, int>> runs;  // arguments and exit status, in turn
    std::optional<Kind> refusal = {};               // what ripara refuses for, and its records
    std::vector<double> records = {};
  };
  auto code = [](std::string c) {
    return [c](const Installation& i) { i.patch(i.employees(), 3 * kSampleEmployeeLength + kEmployeeCode.position - 1, c); };
  };
  const std::vector<Case> cases = {
      {"sound", [](auto&) {},
       {{"verifica", 0}, {"elenco", 0}, {"ripara", 0}, {"verifica --indice 30 --archivio 202", 1}, {"controlla", 2},
        {"verifica --indice 0 --archivio 2", 2}, {"verifica --archivio", 2}}},
      {"keys out of order", [](auto& i) { i.patchEntry(3, 1, "0040010001" "3" "000005"); },
       {{"", 1}, {"elenco", 1}, {"elenco --indice 30 --archivio 202", 0}, {"ripara", 0}, {"elenco", 0},
        {"verifica", 0}}},
      {"duplicate codes", code("0010010001"), {{"verifica", 1}, {"elenco", 0}, {"ripara", 1}},
       Kind::kDuplicateCode, {1, 4}},
      {"blank code", code("          "), {{"verifica", 1}, {"ripara", 1}}, Kind::kUnindexableCode, {4}},
      {"code with a byte of 252", code("003001000\xFC"), {{"verifica", 1}, {"ripara", 1}}, Kind::kUnindexableCode, {4}},
      {"NUL bytes inside a record in use",
       [](const Installation& i) { i.patch(i.employees(), 3 * kSampleEmployeeLength + 700, std::string(64, '\0')); },
       {{"verifica", 1}, {"ripara", 1}}, Kind::kTornRecord, {4}},
      {"a record of zeros after the last, as a crash leaves a file that grew",
       [](const Installation& i) { i.patch(i.employees(), 5 * kSampleEmployeeLength, std::string(kSampleEmployeeLength, '\0')); },
       {{"verifica", 1}, {"ripara", 1}}, Kind::kTornRecord, {6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Installation install;
    c.damage(install);
    std::map<std::string, std::string> before;
    for (const auto& [args, status] : c.runs) {
      EXPECT_EQ(install.runProgram(args), status) << args;
      if (before.empty()) before = install.files();  // with the semaphore file the first run made
    }
    if (!c.refusal) continue;
    EXPECT_TRUE(install.files() == before);
    findInstallation(install.archives().string());
    const Report report = verify();
    EXPECT_TRUE(std::any_of(report.findings.begin(), report.findings.end(),
                            [&](const Finding& f) { return f.kind == *c.refusal && f.archiveRecords == c.records; }));
  }
}

TEST(Check, ExitTwoWithAMessageWhenItCannotRun) {
  Installation install;
  std::string err;
  fs::remove(install.employees());
  EXPECT_EQ(install.run({"verifica"}, &err), kExitCannotRun);
  EXPECT_NE(err.find("file 2 mancante: " + install.employees().string()), std::string::npos) << err;
#ifndef _WIN32  // a pipe where the archive should be is named for what it is
  ASSERT_EQ(::mkfifo(install.employees().c_str(), 0644), 0);
  EXPECT_EQ(install.run({"verifica"}, &err), kExitCannotRun);
  EXPECT_NE(err.find("una pipe o un dispositivo, non un file: " + install.employees().string()), std::string::npos) << err;
  fs::remove(install.employees());
#endif

  testing::setEnvironment("TESSARO_DRIVES", (install.archives() / "nessuna").string().c_str());
  testing::setEnvironment("XDG_CONFIG_HOME", (install.archives() / "nessuna").string().c_str());
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

#ifndef _WIN32  // ulimit
// vtmerv-check itself, past the file-size limit: the repair's write fails as
// a full disk would (exit 2, "Disco pieno"), never ends the process by the
// limit's signal.
TEST(Check, AFileSizeLimitIsADiskFull) {
  Installation install;
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  const std::string errors = (install.archives().parent_path() / "errori.txt").string();
  const std::string command = "ulimit -f 4 && exec \"" VTMERV_CHECK_EXE "\" ripara --archivi \"" +
                              install.archives().string() + "\" 2>\"" + errors + "\"";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitCannotRun) << status;
  EXPECT_NE(bytesOf(errors).find("Disco pieno"), std::string::npos) << bytesOf(errors);
}
#endif

// While another process holds the semaphore, ripara waits, writing nothing,
// and says so on its error stream (scripts/office.sh shows --attesa).
TEST(Check, RiparaWaitsWhileAnotherProcessHoldsTheSemaphore) {
  Installation install;
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  const std::string damaged = bytesOf(install.index());
  S().PERARK = install.archives().string();
  ASSERT_TRUE(APRISEMA());
  const std::size_t files = install.files().size();
  int status = -1;
  std::thread repairing([&] { status = install.runProgram("ripara"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_TRUE(bytesOf(install.index()) == damaged && install.files().size() == files);  // no backup, no new index yet
  CHIUDISEMA();
  repairing.join();
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(install.output().find("vtmerv-check: GLI ARCHIVI SONO IN USO") != std::string::npos &&
              install.output().find("semaforo ottenuto dopo ") != std::string::npos) << install.output();
  EXPECT_EQ(install.files().size(), files + 1);  // the backup
  EXPECT_FALSE(bytesOf(install.index()) == damaged);
}

TEST(Check, RiparaRemovesOnlyTheLeftoversOfItsOwnRepairs) {
  Installation install;
  const std::vector<std::string> own = {"DIPEND.IDX.20250102-030405.tmp", "DIPEND.IDX.20250102-030405-2.tmp"};
  const std::vector<std::string> others = {"DIPEND.IDX.20250102-030405.tmp.old", "DIPEND.IDX.2025-030405.tmp",
                                           "DIPEND29.IDX.20250102-030405.tmp", "DIPEND.IDX.20250102-030405-x.tmp"};
  for (const auto& names : {own, others}) {
    for (const std::string& name : names) std::ofstream(install.archives() / name) << "x";
  }
  findInstallation(install.archives().string());
  std::size_t named = 0;
  for (const Finding& f : verify().findings) {
    for (const std::string& name : own) {
      named += f.kind == Kind::kLeftoverFile && !f.damage && f.text.find(name) != std::string::npos;
    }
  }
  EXPECT_EQ(named, own.size());
  EXPECT_EQ(install.run({"ripara"}), kExitClean);
  for (const std::string& name : own) EXPECT_FALSE(fs::exists(install.archives() / name)) << name;
  for (const std::string& name : others) EXPECT_TRUE(fs::exists(install.archives() / name)) << name;
}

#ifndef _WIN32
// The files ripara and verifica make serve the users the index serves. Run
// by a user who may read the index and write its folder, but who is neither
// its owner nor the administrator, ripara cannot give them the index's
// owner: it refuses and changes nothing.
TEST(Check, NewFilesTakeTheIndexsOwnerGroupPermissionsAndAccessList_OrRiparaRefuses) {
  if (geteuid() != 0) GTEST_SKIP() << "giving files to another user needs root";
  Installation install;
  constexpr uid_t kUser = 4242;
  constexpr gid_t kGroup = 4343;
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  EXPECT_EQ(install.run({"verifica"}), kExitDamaged);  // makes the semaphore file
  ASSERT_TRUE(::chown(install.index().c_str(), kUser, kGroup) == 0 && ::chmod(install.archives().c_str(), 0777) == 0 &&
              ::chmod((install.archives() / kSemaphoreFileName).c_str(), 0666) == 0);
  const std::map<std::string, std::string> before = install.files();
  if (const pid_t child = fork(); child == 0) {
    if (setgid(4545) != 0 || setuid(4444) != 0) _exit(90);
    std::ostringstream out, err;
    const int status = runCommand({"ripara", "--archivi", install.archives().string()}, out, err, false);
    _exit(status == kExitCannotRun && err.str().find("proprietario") != std::string::npos ? 0 : 10 + status);
  } else {
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(install.files() == before);
  }
  ASSERT_EQ(::chmod(install.index().c_str(), 0640), 0);
  // The owner reads and writes, user 4242 and the group read, others nothing.
  const std::string acl("\x02\0\0\0" "\x01\0\x06\0\xFF\xFF\xFF\xFF" "\x02\0\x04\0\x92\x10\0\0"
                        "\x04\0\x04\0\xFF\xFF\xFF\xFF" "\x10\0\x04\0\xFF\xFF\xFF\xFF" "\x20\0\0\0\xFF\xFF\xFF\xFF", 44);
  const char* kAcl = "system.posix_acl_access";
  const bool withAcl = ::setxattr(install.index().c_str(), kAcl, acl.data(), acl.size(), 0) == 0;
  EXPECT_TRUE(withAcl || errno == ENOTSUP);
  fs::remove(install.archives() / kSemaphoreFileName);
  EXPECT_EQ(install.run({"verifica"}), kExitDamaged);  // makes the semaphore file again
  ASSERT_EQ(install.run({"ripara"}), kExitClean);
  std::size_t made = 0;
  for (const auto& f : fs::directory_iterator(install.archives())) {
    const std::string name = f.path().filename().string();
    if (name.rfind("DIPEND.IDX", 0) != 0 && name != "WKSEMA.DAT") continue;
    ++made;
    struct stat st {};
    std::string got(acl.size(), '\0');
    ASSERT_EQ(::stat(f.path().c_str(), &st), 0);
    EXPECT_TRUE(st.st_uid == kUser && st.st_gid == kGroup && (st.st_mode & 07777) == 0640u) << name;
    EXPECT_TRUE(!withAcl || (::getxattr(f.path().c_str(), kAcl, got.data(), got.size()) == 44 && got == acl)) << name;
  }
  EXPECT_EQ(made, 3u);  // the index, its backup, the semaphore
}

TEST(Check, RiparaWritesThroughNoLinkAndRepairsWhereALinkedIndexLeads) {
  Installation install;
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  // At every first name a repair may give its new files in the coming
  // seconds, a link that leads nowhere (the new index) or a file of someone
  // else's (the backup): neither is followed nor written over, the repair
  // takes the next name.
  const fs::path elsewhere = install.archives().parent_path() / "altrove";
  fs::create_directory(elsewhere);
  std::vector<fs::path> others;
  for (std::time_t t = std::time(nullptr), last = t + 30; t < last; ++t) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&t));
    fs::create_symlink(elsewhere / (stamp + std::string(".tmp")), install.index().string() + "." + stamp + ".tmp");
    others.push_back(install.index().string() + "." + stamp + ".bak");
    std::ofstream(others.back()) << "altro";
  }
  ASSERT_EQ(install.run({"ripara"}), kExitClean);
  EXPECT_TRUE(fs::is_empty(elsewhere));
  for (const fs::path& other : others) EXPECT_EQ(bytesOf(other), "altro");
  EXPECT_FALSE(fs::is_symlink(install.index()));
  EXPECT_EQ(install.run({"verifica"}), kExitClean);

  // An index that is a link: the file it leads to is repaired, the link stays.
  const fs::path real = elsewhere / "DIPEND.VERO";
  fs::rename(install.index(), real);
  fs::create_symlink(real, install.index());
  install.patchEntry(3, 2, "0010010002" "3" "000009");
  ASSERT_EQ(install.run({"ripara"}), kExitClean);
  EXPECT_TRUE(fs::is_symlink(install.index()));
  EXPECT_EQ(install.run({"verifica"}), kExitClean);
  EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 2);  // and its backup
}

// A folder the user may only read, without the semaphore file: verifica
// checks all the same, and says that it ran without the semaphore.
TEST(Check, VerificaInAReadOnlyFolderChecksWithoutTheSemaphoreAndSaysSo) {
  Installation install;
  fs::permissions(install.archives(), fs::perms::owner_write, fs::perm_options::remove);
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(4343) != 0 || setuid(4242) != 0)) _exit(90);  // root writes anywhere
    std::ostringstream out, err;
    const int status = runCommand({"verifica", "--archivi", install.archives().string()}, out, err, false);
    _exit(status == kExitClean && out.str().find("senza il semaforo") != std::string::npos ? 0 : 10 + status);
  }
  int status = -1;
  waitpid(child, &status, 0);
  fs::permissions(install.archives(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(fs::exists(install.archives() / kSemaphoreFileName));
}
#endif

#ifdef _WIN32
// Windows renames nothing over a file that a handle holds without delete
// sharing, as the suite's programs hold the index: ripara writes it in place
// and the holder reads the new index; a rewrite refused (the seam refuses
// the repair's last flush, the rewrite's, after its write) puts the backup
// back.
TEST(Check, RiparaRewritesInPlaceAnIndexHeldByAnotherHandle) {
  namespace fault = platform::fault;
  std::uint64_t syncs = 0;
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "rewrite refused" : "rewrite done");
    Installation install;
    install.patchEntry(3, 4, kFreeEntry);  // an employee missing from the index
    const std::string damaged = bytesOf(install.index());
    platform::openFile(platform::kMaxHandle, install.index().string(), platform::OpenMode::kSharedReadWrite);
    findInstallation(install.archives().string());
    if (refused) fault::armSyncFailure(syncs);
    fault::watch([&](fault::Event e, std::int16_t) { syncs += !refused && e == fault::Event::kSync ? 1 : 0; });
    std::optional<RepairResult> result;
    std::string refusal;
    try {
      result = repair();
    } catch (const CannotRun& problem) {
      refusal = problem.what();
    }
    fault::armSyncFailure(0);
    fault::watch({});
    std::string held(damaged.size() * 2, '\0');
    held.resize(platform::readAt(platform::kMaxHandle, 0, held.data(), held.size()));
    platform::closeHandle(platform::kMaxHandle);
    EXPECT_EQ(held, bytesOf(install.index()));
    EXPECT_EQ(held == damaged, refused);
    EXPECT_EQ(result && result->rewrittenInPlace, !refused);
    EXPECT_EQ(refusal.find("l'indice \xE8 tornato com'era, dalla copia di sicurezza") != std::string::npos, refused)
        << refusal;
    EXPECT_EQ(install.run({"verifica"}), refused ? kExitDamaged : kExitClean);
  }
}
#endif

}  // namespace
}  // namespace vt::check
