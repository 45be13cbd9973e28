// One copy in a process of its own, with the file layer's fault seam armed,
// for the interrupted-copy tests: copy_runner KIND MODE N. KIND is the copy
// (free, overwrite: a company by record number; newcode, employee: an
// employee under a new code or over its record), MODE none, fail or end, N
// the write the fault strikes. The installation is the one TESSARO_DRIVES
// holds, archives in C:\ARCHIVI. Whether the copy ends or the program ends,
// the runner leaves in C:\ARCHIVI\OUTCOME.TXT how (copied or ended), the
// writes made and the text of every box shown.
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/state.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "records/files.h"
#include "ui/archives.h"
#include "scripted_dialogs.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "ui/key_change.h"

using namespace vt;

constexpr const char* kArchives = "C:\\ARCHIVI";
constexpr const char* kNewCode = "0019999999";

[[noreturn]] void report(const testing::ScriptedDialogs& dialogs, const std::string& how) {
  std::ofstream out(platform::nativePath(std::string(kArchives) + "\\OUTCOME.TXT"), std::ios::binary);
  out << how << ' ' << platform::fault::writesSinceArmed() << '\n';
  for (const std::string& text : dialogs.messageTexts()) out << text << '\n';
  out.close();
  std::_Exit(0);
}

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string kind = argv[1], mode = argv[2];
  testing::ScriptedDialogs dialogs;
  setEndHook([&](EndReason) { report(dialogs, "ended"); });
  dialogs.onWindow(Codnuo::kFormName, [](WindowPresenter& window) {
    S().TABTESTI[kTextKey] = kNewCode;
    window.close();
  });
  // The new-code copies answer No to the overwrite question; the others Yes.
  if (kind == "newcode") dialogs.answer(Answer::kNo);
  const bool employee = kind == "newcode" || kind == "employee";
  State& s = S();
  s.PERARK = kArchives;
  s.NOMEPROGRAMMA = "VTMERV";
  setArchiveLayout(kMenuArchives[employee ? 1 : 0]);  // employees or companies
  FAIOPEN(s.TABPARAM[kParamStandardFile]);
  FAIOPEN(s.TABPARAM[kParamUserFile]);
  // Free: standard company 2 into the free record 2; overwrite: standard
  // company 1 over the user's company 1; employees: standard employee 1.
  const std::string line = employee ? std::string(35, ' ') + " 00001" : kind == "free" ? "002" : "001";
  Filesta2 window;
  window.addChosenLine(line);
  const std::uint64_t n = std::strtoull(argv[3], nullptr, 10);
  if (mode == "flush") {
    platform::fault::armSyncFailure(n);
  } else {
    platform::fault::arm(mode == "fail"  ? platform::fault::Mode::kFail
                         : mode == "gone" ? platform::fault::Mode::kGone
                         : mode == "end"  ? platform::fault::Mode::kEndProcess
                                          : platform::fault::Mode::kNone,
                         n);
  }
  const int result = employee ? SCRIVI2(window, line, 0) : window.SCRIVI(line, 0);
  report(dialogs, result == Filesta2::kCopied ? "copied" : "refused");
}
