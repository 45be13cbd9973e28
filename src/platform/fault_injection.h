// A seam in the file layer for tests that prove what an interrupted write
// leaves behind: the n-th write made through writeAt, counted from the moment
// the seam is armed, either fails as an I/O error of the device would (nothing
// of it reaches the file), or completes and then ends the process at once, as
// a kill would (no destructor, no flush of anything the program holds; the
// system releases its files and locks).
//
// The same seam counts the flushes made through syncFile: the n-th can be
// made to fail as the device refusing it, and a test may watch every write
// and flush with the handle it goes to, to see the order they reach the disk.
//
// Only a test program arms it: the installed program never does, and nothing
// of its interface (no option, no environment variable) reaches it. Unarmed,
// a write costs one comparison more.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace vt::platform::fault {

enum class Mode {
  kNone,        // every write goes through
  kFail,        // write n fails with an I/O error before touching the file
  kGone,        // write n and every write and flush after it fail so (a
                // device or network drive gone)
  kEndProcess,  // the process ends at once right after write n
};

// The exit status of a process ended by the seam.
inline constexpr int kEndedStatus = 86;

// Arms the seam for write `n` (1 = the next write) and restarts the count.
// kNone disarms it.
void arm(Mode mode, std::uint64_t n);

// The writes made through writeAt since the seam was last armed.
std::uint64_t writesSinceArmed();

// Arms the seam for flush `n` (1 = the next) to fail as an I/O error of the
// device, and restarts the count of flushes; 0 disarms it.
void armSyncFailure(std::uint64_t n);

// What a watcher is told of, before it is made: a write or a flush through
// `handle`.
enum class Event { kWrite, kSync };
using Watcher = std::function<void(Event, std::int16_t handle)>;

// Installs `watcher` (an empty one removes it).
void watch(Watcher watcher);

// Made by writeAt around each write to `handle`, as its first statement:
// counts the write, tells the watcher, raises the injected I/O error when it
// is write n of kFail, and ends the process as it goes out of scope after
// write n of kEndProcess (unless the write failed).
class WritePoint {
 public:
  explicit WritePoint(std::int16_t handle);
  ~WritePoint();
  WritePoint(const WritePoint&) = delete;
  WritePoint& operator=(const WritePoint&) = delete;

 private:
  bool endAfter_ = false;
  int exceptions_ = 0;
};

// Called by syncFile as its first statement: counts the flush of `handle`,
// tells the watcher, and raises the injected I/O error when it is the armed
// one.
void syncPoint(std::int16_t handle);

// --- At the system calls ------------------------------------------------------
// For refusals that only the system gives (a read that fails part way, a
// flush the device refuses, an open the user may not make): the n-th call of
// one kind that the file layer makes, counted from when it is armed, is not
// made; the file layer meets the error the test gave (an errno, or on Windows
// a system error code) as the system's own answer, on the same path of its
// code that the real refusal takes.
enum class Call {
  kOpen,       // open(), CreateFileW()
  kRead,       // read(), pread(), ReadFile()
  kWrite,      // pwrite(), WriteFile()
  kSync,       // fsync(), FlushFileBuffers()
  kSetLength,  // ftruncate(), SetFileInformationByHandle()
};

// Arms the seam for call `n` (1 = the next) of kind `call`, to fail with
// `error`; n = 0 disarms it. One call kind is armed at a time.
void refuseCall(Call call, std::uint64_t n, int error);

// Made by the file layer instead of a system call of kind `call` when it
// gives an error: that error when this is the armed call, else nothing (and
// the layer makes the call). `make` is the call; `failed` its failing result;
// `setError` puts the error where the system would (errno, SetLastError).
std::optional<int> refusalOf(Call call);
template <class Make, class Result, class SetError>
auto called(Call call, Result failed, SetError&& setError, Make&& make) -> decltype(make()) {
  if (const std::optional<int> error = refusalOf(call)) {
    setError(*error);
    return failed;
  }
  return make();
}

}  // namespace vt::platform::fault
