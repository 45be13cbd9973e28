// A second process for the tests: vt_other_program, built beside every test
// executable, does what another program of the suite would do.
//   semaphore <archives>     takes the task semaphore of that archives folder
//                            (waiting while it is held), then ends: 0
//   hold <file> <s>          opens the file (a suite path) with no sharing, as
//                            the semaphore is held, prints "held", keeps it s
//                            seconds, ends: 0 (for scripts/windows.sh)
//   share <file> <s>         the same, opened as an archive is: reading and
//                            writing shared, deletion not; at the end prints
//                            what the handle reads then, in hexadecimal
//                            (for scripts/windows-check.sh)
#pragma once

#include <string>
#include <thread>
#include <vector>

namespace vt::testing {

// Runs the program at `path` (a native path) with `arguments`, waits for it
// and gives its exit code; -1 when it could not be started or did not exit.
int runProgram(const std::string& path, const std::vector<std::string>& arguments);

// Runs vt_other_program with `arguments`, waits for it and gives its exit code.
int runOtherProgram(const std::vector<std::string>& arguments);

// Starts vt_other_program holding the file at `suitePath` with no sharing
// for `seconds` (as another program holds the task semaphore), and returns
// once it holds it; the thread ends when that program does.
std::thread holdElsewhere(const std::string& suitePath, int seconds);

// Sets (or, for nullptr, removes) an environment variable of this process and
// of the processes it starts.
void setEnvironment(const char* name, const char* value);

}  // namespace vt::testing
