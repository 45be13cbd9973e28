// vt_other_program: what another program of the suite does to the task
// semaphore, in a process of its own (see other_program.h).
#include <cstdlib>
#include <string>

#include "core/program_end.h"
#include "core/state.h"
#include "records/semaphore.h"

int main(int argc, char** argv) {
  if (argc != 3) return 3;
  if (std::string(argv[1]) == "semaphore") {
    vt::setEndHook([](vt::EndReason) { std::_Exit(2); });
    vt::S().PERARK = argv[2];
    vt::APRISEMA();
    return 0;
  }
  return 3;
}
