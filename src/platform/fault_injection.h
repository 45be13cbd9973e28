// A seam in the file layer for tests that prove what an interrupted write
// leaves behind: the n-th write made through writeAt, counted from the moment
// the seam is armed, either fails as an I/O error of the device would (nothing
// of it reaches the file), or completes and then ends the process at once, as
// a kill would (no destructor, no flush of anything the program holds; the
// system releases its files and locks).
//
// Only a test program arms it: the installed program never does, and nothing
// of its interface (no option, no environment variable) reaches it. Unarmed,
// a write costs one comparison more.
#pragma once

#include <cstdint>

namespace vt::platform::fault {

enum class Mode {
  kNone,        // every write goes through
  kFail,        // write n fails with an I/O error before touching the file
  kEndProcess,  // the process ends at once right after write n
};

// The exit status of a process ended by the seam.
inline constexpr int kEndedStatus = 86;

// Arms the seam for write `n` (1 = the next write) and restarts the count.
// kNone disarms it.
void arm(Mode mode, std::uint64_t n);

// The writes made through writeAt since the seam was last armed.
std::uint64_t writesSinceArmed();

// Made by writeAt around each write, as its first statement: counts the
// write, raises the injected I/O error when it is write n of kFail, and ends
// the process as it goes out of scope after write n of kEndProcess (unless
// the write failed).
class WritePoint {
 public:
  WritePoint();
  ~WritePoint();
  WritePoint(const WritePoint&) = delete;
  WritePoint& operator=(const WritePoint&) = delete;

 private:
  bool endAfter_ = false;
  int exceptions_ = 0;
};

}  // namespace vt::platform::fault
