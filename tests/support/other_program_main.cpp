// vt_other_program: what another program of the suite does to the task
// semaphore, in a process of its own (see other_program.h).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/program_end.h"
#include "core/state.h"
#include "platform/files.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"

int main(int argc, char** argv) {
  if (argc < 3) return 3;
  const std::string command = argv[1];
  vt::setEndHook([](vt::EndReason) { std::_Exit(2); });
  vt::S().PERARK = argv[2];
  vt::testing::ScriptedDialogs dialogs;  // a wait goes on until the semaphore is free
  if (command == "semaphore" && argc == 3) return vt::APRISEMA() ? 0 : 4;
  if (command == "hold" && argc == 4) {
    // The file opened with no sharing, as the semaphore is.
    vt::platform::openFile(1, argv[2], vt::platform::OpenMode::kExclusive);
    std::puts("held");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[3])));
    return 0;
  }
  return 3;
}
