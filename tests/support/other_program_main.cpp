// vt_other_program: what another program of the suite does to the task
// semaphore and the archives, in a process of its own (see other_program.h).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/program_end.h"
#include "core/state.h"
#include "platform/console.h"
#include "platform/files.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args = vt::platform::commandArguments(argc, argv);
  if (args.size() < 2) return 3;
  const std::string& command = args[0];
  vt::setEndHook([](vt::EndReason) { std::_Exit(2); });
  vt::S().PERARK = args[1];
  vt::testing::ScriptedDialogs dialogs;  // a wait goes on until the semaphore is free
  if (command == "semaphore" && args.size() == 2) return vt::APRISEMA() ? 0 : 4;
  if ((command == "hold" || command == "share") && args.size() == 3) {
    // Held as the semaphore is (no sharing), or as an archive is (reading
    // and writing shared, deletion not).
    vt::platform::openFile(1, args[1], command == "hold" ? vt::platform::OpenMode::kExclusive
                                                         : vt::platform::OpenMode::kSharedReadWrite);
    std::puts("held");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(args[2].c_str())));
    if (command == "share") {
      // What this handle reads now, in hexadecimal on one line.
      std::string bytes(vt::platform::openFileLength(1), '\0');
      bytes.resize(vt::platform::readAt(1, 0, bytes.data(), bytes.size()));
      for (unsigned char c : bytes) std::printf("%02x", c);
      std::puts("");
    }
    return 0;
  }
  return 3;
}
