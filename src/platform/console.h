// The command line and the standard streams of the console programs
// (vtmerv-check, vtmerv-sample, the tests' second program) in the suite's
// text, Windows-1252.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vt::platform {

// The program's arguments after its name, in Windows-1252. On Windows they
// come from the system's wide command line (the narrow `argv` is in the
// system's code page, which need not be 1252); a character that Windows-1252
// has not becomes "?", which no file name holds. Elsewhere `argv` as it is.
std::vector<std::string> commandArguments(int argc, char** argv);

// For its life, std::cout and std::cerr take Windows-1252 text. On Windows
// a stream that leads to a console writes there in Unicode (WriteConsoleW),
// so that it reads right whatever the console's code page (an Italian
// console shows code page 850); a stream that leads to a file or a pipe gets
// the Windows-1252 bytes themselves, with Windows' line ends (CR LF), as the
// C library wrote them before. Elsewhere nothing changes: the programs write
// UTF-8 there themselves. Everything written is flushed when it goes.
class StandardText {
 public:
  StandardText();
  ~StandardText();
  StandardText(const StandardText&) = delete;
  StandardText& operator=(const StandardText&) = delete;

 private:
  struct Streams;
  std::unique_ptr<Streams> streams_;
};

}  // namespace vt::platform
