// The program's spine: MAIN runs once from start to end; FINEPROG ends the
// program normally.
#pragma once

#include "core/program_end.h"

namespace vt {

// The start-up sequence: paths and task number, the archive menu, the chosen
// archives opened, the browser and the copy window, the end. Never returns.
[[noreturn]] void MAIN();

// Records "FINEPROG", closes every file and ends the program through
// FINETASK (the task file is rewritten) with `status`: kOperatorEnd when the
// operator ended the run, kArchiveNotFound after the messages of a missing
// or empty standard archive. Never returns.
[[noreturn]] void FINEPROG(ExitStatus status = ExitStatus::kOperatorEnd);

}  // namespace vt
