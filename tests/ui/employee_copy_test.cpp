// Two programs copy employees into the same user archive of the sample
// installation at the same time: every record lands once, and every code in
// the index points at the record that carries it.
#include <gtest/gtest.h>

#ifndef _WIN32  // fork: the copying processes share the test's set-up
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "core/state.h"
#include "records/files.h"
#include "records/isam.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "util/text.h"

namespace vt {
namespace {

constexpr int kCopiesEach = 40;

std::string code(int program, int copy) { return "001" + zeroPad(std::to_string(program + 10), 3) + zeroPad(std::to_string(copy), 4); }

TEST(EmployeeCopy, TwoProcessesCopyingAtOnceLoseNothing) {
  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  folder.installSample();
  S().PERARK = "C:\\PWELKIN\\ARCHIVI";
  const std::int16_t layout[][2] = {{1, 202}, {2, 3}, {3, 10}, {4, 9515}, {5, 35}, {9, 2}};
  for (const auto& [entry, value] : layout) S().TABPARAM[entry] = value;
  FAIOPEN(202);
  FAIOPEN(2);
  const std::string line = std::string(35, ' ') + " 00002";
  pid_t children[2];
  for (int program = 1; program <= 2; ++program) {
    children[program - 1] = ::fork();
    if (children[program - 1] != 0) continue;
    Filesta2 window;
    for (int copy = 1; copy <= kCopiesEach; ++copy) {
      dialogs.onWindow("CODNUO", [&](WindowPresenter& w) {
        S().TABTESTI[50] = code(program, copy);
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
  FAIOPEN(7);
  EXPECT_TRUE(checkIndex(7).empty());
  std::set<double> records;
  for (int program = 1; program <= 2; ++program) {
    for (int copy = 1; copy <= kCopiesEach; ++copy) {
      const double at = ISAM(7, code(program, copy), kIsamSearch);
      ASSERT_GT(at, 5);
      EXPECT_EQ(employees.substr(static_cast<std::size_t>(at - 1) * 9600 + 2, 10), code(program, copy));
      records.insert(at);
    }
  }
  EXPECT_EQ(records.size(), 2u * kCopiesEach);
  EXPECT_EQ(folder.read("drives/C/PWELKIN/ARCHIVI/DIPCOMPL.DAT").size(), (5u + 2 * kCopiesEach) * 512);
}

}  // namespace
}  // namespace vt
#endif
