// The window program's command line: --help and --version, nothing else (the
// program finds its installation in the settings file and the suite's path
// files, never on the command line).
#pragma once

#include <optional>

namespace vt::app {

// Reads the command line before any window system is touched, so that --help
// and --version work without a display. Returns the exit status when the
// program ends here: 0 after the help or the version, 2 after a wrong
// argument (with a message on standard error); nothing when the program runs.
std::optional<int> handleCommandLine(int& argc, char** argv);

}  // namespace vt::app
