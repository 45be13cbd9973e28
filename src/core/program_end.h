// Ending the program. Every way out of the process goes through one hook, so
// that a test can replace it and observe the end instead of losing its process.
#pragma once

#include <functional>

namespace vt {

enum class EndReason {
  kNormal,  // FINETASK: the task file was rewritten, the run is over
  kAtOnce,  // the trap, a configuration error, a missing context value
};

// The status the process ends with, as vtmerv(1) lists them: 0 only when the
// operator ended the run; every message that ends the program gives its own.
// (2 is a wrong command-line argument, refused before the program starts.)
enum class ExitStatus : int {
  kOperatorEnd = 0,      // the operator's own end
  kFailure = 1,          // the trap's end after a run-time failure, a missing
                         // context value, a bad field descriptor
  kConfiguration = 3,    // "ERRORE DI CONFIGURAZIONE! ..."
  kArchiveNotFound = 4,  // "... - ARCHIVIO NON TROVATO", "NESSUN RECORD TROVATO"
  kSecondCopy = 5,       // another copy of the program was running
};

// Thrown by the hook that tests install (see ThrowingEndHook in tests/support).
struct ProgramEnded {
  EndReason reason;
  ExitStatus status = ExitStatus::kOperatorEnd;
};

using EndHook = std::function<void(EndReason)>;

// Installs `hook` and returns the previous one. The default hook ends the
// process at once (std::_Exit), running no destructor and no window handler.
EndHook setEndHook(EndHook hook);

// Closes every file the program has open at the operating-system level and
// calls the hook, which ends the process with `status`. Never returns: if the
// hook returns, the process aborts.
[[noreturn]] void endProgram(EndReason reason, ExitStatus status);

// The status of the end under way (for a hook; kOperatorEnd before any end).
ExitStatus endingStatus();

// The run's normal end. The start-up installs FINEPROG here, so that a window
// below it (the key change dialog left without a code) can end the run the
// normal way without knowing the start-up. Until one is installed, endRun
// ends the program through the hook as a normal end.
void setNormalEnd(std::function<void()> end);
[[noreturn]] void endRun();

}  // namespace vt
