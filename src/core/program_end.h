// Ending the program. Every way out of the process goes through one hook, so
// that a test can replace it and observe the end instead of losing its process.
#pragma once

#include <functional>

namespace vt {

enum class EndReason {
  kNormal,  // FINETASK: the task file was rewritten, the run is over
  kAtOnce,  // the trap, a configuration error, a missing context value
};

// Thrown by the hook that tests install (see ThrowingEndHook in tests/support).
struct ProgramEnded {
  EndReason reason;
};

using EndHook = std::function<void(EndReason)>;

// Installs `hook` and returns the previous one. The default hook ends the
// process at once (std::_Exit), running no destructor and no window handler.
EndHook setEndHook(EndHook hook);

// Closes every file the program has open at the operating-system level and
// calls the hook. Never returns: if the hook returns, the process aborts.
[[noreturn]] void endProgram(EndReason reason);

// The run's normal end. The start-up installs FINEPROG here, so that a window
// below it (the key change dialog left without a code) can end the run the
// normal way without knowing the start-up. Until one is installed, endRun
// ends the program through the hook as a normal end.
void setNormalEnd(std::function<void()> end);
[[noreturn]] void endRun();

}  // namespace vt
