// vtmerv-check: checks, repairs and lists the employee index against its
// archive (see check/check.h); "vtmerv-check --help" describes the command.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "check/check.h"
#include "platform/console.h"
#include "platform/files.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
  // A write past the file-size limit fails as a full disk (exit 2), never
  // ends the process half way through a repair.
  vt::platform::ignoreFileSizeSignal();
  // Arguments and report in the suite's Windows-1252 text whatever the
  // system's code page (platform/console.h).
  const vt::platform::StandardText text;
  return vt::check::runCommand(vt::platform::commandArguments(argc, argv), std::cout, std::cerr,
                               isatty(fileno(stderr)) != 0);
}
