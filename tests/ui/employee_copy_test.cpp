// Copies into the user archive of the sample installation: four programs
// copying at the same time lose nothing, and one copy puts its files on disk
// in the order that survives a crash of the system.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "check/check.h"
#include "readable.h"
#include "core/state.h"
#include "platform/fault_injection.h"
#include "records/files.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"
#include "ui/archives.h"
#include "temp_install.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "ui/key_change.h"
#include "util/text.h"

#ifndef _WIN32  // fork: the copying processes share the test's set-up
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vt {
namespace {

// The line of standard employee 2, ready to copy from the sample installation.
const std::string kLine = std::string(35, ' ') + " 00002";
// The sample's employee archives opened, as the start-up leaves them.
void openSample() {
  S().PERARK = "C:\\PWELKIN\\ARCHIVI";
  setArchiveLayout(kMenuArchives[1]);  // employees
  FAIOPEN(kStandardEmployeeFile);
  FAIOPEN(kUserEmployeeFile);
}

// Every write and flush of one copy under a new code, by file number, as
// "w7 w97 s7 ..." (repeats in a row once), "!" marking one made without the
// semaphore. The n-th flush is refused (0: none): the copy takes back what it
// wrote, the last first, and puts that on disk, still under the semaphore;
// then the refusal is shown and ends the program, and the copy is not
// reported done.
TEST(EmployeeCopy, TheIndexAndCompanionAreOnDiskBeforeTheEmployeeRecord_AllBeforeTheSemaphoreIsFree) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, " w7 w97 s7 s97 w2 s2"}, {1, " w7 w97 s7 w97 w7 s97 s7"}, {3, " w7 w97 s7 s97 w2 s2 w2 w97 w7 s2 s97 s7"}};
  for (const auto& [refused, expected] : cases) {
    testing::SampleRun run;
    testing::ScriptedDialogs& dialogs = run.boxes;
    openSample();
    std::string events;
    platform::fault::watch([&](platform::fault::Event event, std::int16_t handle) {
      int file = 0;
      for (int n = 1; n <= kMaxFileNumber; ++n) file = S().NUMEROFILE[n] == handle ? n : file;
      const std::string seen = (event == platform::fault::Event::kWrite ? " w" : " s") + std::to_string(file) +
                               (S().NUMEROFILE[kSemaphoreFileNumber] == 0 ? "!" : "");
      if (!events.ends_with(seen)) events += seen;
    });
    platform::fault::armSyncFailure(refused);
    dialogs.onWindow(Codnuo::kFormName, [](WindowPresenter& w) {
      S().TABTESTI[kTextKey] = "0010010077";
      w.close();
    });
    Filesta2 window;
    window.addChosenLine(kLine);
    int result = -1;
    if (refused == 0) {
      result = SCRIVI2(window, kLine, 0);
    } else {
      EXPECT_THROW(SCRIVI2(window, kLine, 0), ProgramEnded);
      const std::vector<std::string> shown = dialogs.messageTexts();
      ASSERT_EQ(shown.size(), 2u);  // the trap's failure and trail, then the closing advice
      EXPECT_EQ(shown[0].find("Errore 57 "), 0u) << shown[0];
    }
    platform::fault::watch({});
    platform::fault::armSyncFailure(0);
    EXPECT_EQ(events, expected);
    EXPECT_EQ(result, refused == 0 ? Filesta2::kCopied : -1);
    EXPECT_EQ(window.lines(Filesta2::kUserList).size(), refused == 0 ? 1u : 0u);
  }
}

#ifndef _WIN32
constexpr int kWriters = 4;
constexpr int kCopiesEach = 100;
constexpr std::size_t kCompanionLength = 512, kSampleEmployees = 5;

std::string code(int program, int copy) { return "001" + zeroPad(std::to_string(program + 10), 3) + zeroPad(std::to_string(copy), 4); }

// Four programs copy employees into one installation at once; afterwards
// every code is in the index once, at a record that carries it, each new
// record has its companion record, and the check finds nothing.
TEST(EmployeeCopy, FourProcessesCopyingAtOnceLoseNothing) {
  testing::SampleRun run;
  testing::ScriptedDialogs& dialogs = run.boxes;
  openSample();
  pid_t children[kWriters];
  for (int program = 1; program <= kWriters; ++program) {
    children[program - 1] = ::fork();
    if (children[program - 1] != 0) continue;
    Filesta2 window;
    for (int copy = 1; copy <= kCopiesEach; ++copy) {
      dialogs.onWindow(Codnuo::kFormName, [&](WindowPresenter& w) {
        S().TABTESTI[kTextKey] = code(program, copy);
        w.close();
      });
      window.addChosenLine(kLine);
      if (SCRIVI2(window, kLine, 0) != Filesta2::kCopied) ::_exit(2);
    }
    ::_exit(0);
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  const std::string employees = run.folder.read("drives/C/PWELKIN/ARCHIVI/DIPEND.DAT");
  const std::string companions = run.folder.read("drives/C/PWELKIN/ARCHIVI/DIPCOMPL.DAT");
  const std::size_t records = kSampleEmployees + kWriters * kCopiesEach;
  ASSERT_EQ(employees.size(), records * kSampleEmployeeLength);
  ASSERT_EQ(companions.size(), records * kCompanionLength);
  std::set<std::string> expected;
  for (std::size_t r = 0; r < kSampleEmployees; ++r) {
    if (employees.compare(r * kSampleEmployeeLength, 2, "99") != 0) expected.insert(employees.substr(r * kSampleEmployeeLength + 2, 10));
  }
  for (int program = 1; program <= kWriters; ++program) {
    for (int copy = 1; copy <= kCopiesEach; ++copy) expected.insert(code(program, copy));
  }
  std::multiset<std::string> indexed;
  for (const IndexEntry& e : check::list().entries) {
    indexed.insert(e.key);
    ASSERT_TRUE(e.record >= 1 && e.record <= static_cast<double>(records)) << e.key;
    const std::size_t r = static_cast<std::size_t>(e.record) - 1;
    EXPECT_EQ(employees.substr(r * kSampleEmployeeLength + 2, 10), e.key);
    if (r < kSampleEmployees) continue;
    // The companion record: the employee record's first 45 characters, 55
    // blanks, then zeros.
    EXPECT_EQ(companions.substr(r * kCompanionLength, kCompanionLength),
              employees.substr(r * kSampleEmployeeLength, 45) + std::string(55, ' ') + std::string(kCompanionLength - 100, '0'))
        << e.key;
  }
  EXPECT_EQ(indexed, std::multiset<std::string>(expected.begin(), expected.end()));
  const check::Report report = check::verify();
  EXPECT_EQ(report.exitStatus(), check::kExitClean) << report;
}

#endif

}  // namespace
}  // namespace vt
