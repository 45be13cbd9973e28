// Copies into the user archive of the sample installation: two programs
// copying at the same time lose nothing, and one copy puts its files on disk
// in the order that survives a crash of the system.
#include <gtest/gtest.h>

#include <set>

#include "core/state.h"
#include "platform/fault_injection.h"
#include "records/files.h"
#include "records/isam_check.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"
#include "ui/archives.h"
#include "temp_install.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "util/text.h"

#ifndef _WIN32  // fork: the copying processes share the test's set-up
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vt {
namespace {

// The line of standard employee 2, ready to copy from the sample installation.
const std::string kLine = std::string(35, ' ') + " 00002";
void openSample(testing::TempFolder& folder) {
  folder.installSample();
  S().PERARK = "C:\\PWELKIN\\ARCHIVI";
  setArchiveLayout(kMenuArchives[1]);  // employees
  FAIOPEN(kStandardEmployeeFile);
  FAIOPEN(kUserEmployeeFile);
}

// Every write and flush of one copy under a new code, by file number, as
// "w7 w97 s7 ..." (repeats in a row once), "!" marking one made without the
// semaphore. The n-th flush is refused (0: none); a refusal is shown and
// ends the program, and the copy is not reported done.
TEST(EmployeeCopy, TheIndexAndCompanionAreOnDiskBeforeTheEmployeeRecord_AllBeforeTheSemaphoreIsFree) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, " w7 w97 s7 s97 w2 s2"}, {1, " w7 w97 s7"}, {3, " w7 w97 s7 s97 w2 s2"}};
  for (const auto& [refused, expected] : cases) {
    testing::TempFolder folder;
    testing::ScriptedDialogs dialogs;
    testing::ThrowingEndHook endHook;
    openSample(folder);
    std::string events;
    platform::fault::watch([&](platform::fault::Event event, std::int16_t handle) {
      int file = 0;
      for (int n = 1; n <= kMaxFileNumber; ++n) file = S().NUMEROFILE[n] == handle ? n : file;
      const std::string seen = (event == platform::fault::Event::kWrite ? " w" : " s") + std::to_string(file) +
                               (S().NUMEROFILE[kSemaphoreFileNumber] == 0 ? "!" : "");
      if (!events.ends_with(seen)) events += seen;
    });
    platform::fault::armSyncFailure(refused);
    dialogs.onWindow("CODNUO", [](WindowPresenter& w) {
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
constexpr int kCopiesEach = 40;

std::string code(int program, int copy) { return "001" + zeroPad(std::to_string(program + 10), 3) + zeroPad(std::to_string(copy), 4); }

TEST(EmployeeCopy, TwoProcessesCopyingAtOnceLoseNothing) {
  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  openSample(folder);
  const std::string& line = kLine;
  pid_t children[2];
  for (int program = 1; program <= 2; ++program) {
    children[program - 1] = ::fork();
    if (children[program - 1] != 0) continue;
    Filesta2 window;
    for (int copy = 1; copy <= kCopiesEach; ++copy) {
      dialogs.onWindow("CODNUO", [&](WindowPresenter& w) {
        S().TABTESTI[kTextKey] = code(program, copy);
        w.close();
      });
      window.addChosenLine(line);
      if (SCRIVI2(window, line, 0) != Filesta2::kCopied) ::_exit(2);
    }
    ::_exit(0);
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  const std::string employees = folder.read("drives/C/PWELKIN/ARCHIVI/DIPEND.DAT");
  ASSERT_EQ(employees.size(), (5u + 2 * kCopiesEach) * 9600);
  FAIOPEN(kEmployeeIndexFile);
  EXPECT_TRUE(checkIndex(kEmployeeIndexFile).empty());
  std::set<double> records;
  for (int program = 1; program <= 2; ++program) {
    for (int copy = 1; copy <= kCopiesEach; ++copy) {
      const double at = ISAM(kEmployeeIndexFile, code(program, copy), kIsamSearch);
      ASSERT_GT(at, 5);
      EXPECT_EQ(employees.substr(static_cast<std::size_t>(at - 1) * 9600 + 2, 10), code(program, copy));
      records.insert(at);
    }
  }
  EXPECT_EQ(records.size(), 2u * kCopiesEach);
  EXPECT_EQ(folder.read("drives/C/PWELKIN/ARCHIVI/DIPCOMPL.DAT").size(), (5u + 2 * kCopiesEach) * 512);
}

#endif

}  // namespace
}  // namespace vt
