// vt_other_program: what another program of the suite does to the task
// semaphore, in a process of its own (see other_program.h).
#include <string>

#include "core/program_end.h"
#include "core/state.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "records/semaphore.h"

int main(int argc, char** argv) {
  if (argc != 3) return 3;
  if (std::string(argv[1]) == "try") {
    try {
      vt::platform::openFile(1, argv[2], vt::platform::OpenMode::kExclusive);
      return 0;
    } catch (const vt::platform::SystemError& error) {
      return error.kind() == vt::platform::SystemErrorKind::kSharingViolation ? 1 : 2;
    }
  }
  if (std::string(argv[1]) == "semaphore") {
    vt::setEndHook([](vt::EndReason) { std::_Exit(2); });
    vt::S().PERARK = argv[2];
    vt::APRISEMA();
    return 0;
  }
  return 3;
}
