// The task semaphore: the suite's one lock between programs. Held while
// "WKSEMA.DAT" in the archives directory is open exclusively under entry
// kSemaphoreFileNumber of NUMEROFILE; released by closing it (or by the end of the process).
#pragma once

#include "records/file_numbers.h"

namespace vt {

inline constexpr int kSemaphoreRecordLength = 2000;
inline constexpr const char* kSemaphoreFileName = "WKSEMA.DAT";

// Takes the semaphore; returns only when it is held (waits while another
// program holds it). Trail name "APRISEMA".
void APRISEMA();

// Releases the semaphore; does nothing when it is not held.
void CHIUDISEMA();

// The semaphore held for one scope, the one way a procedure holds it: taken
// on construction (unless the caller runs without it), and released exactly
// once, by release() where the flow frees it early, otherwise on whichever
// way the scope ends, a failure going to the trap included. A hold released
// early leaves alone the semaphore taken again after it; take() holds it
// again.
class SemaphoreHold {
 public:
  explicit SemaphoreHold(bool take = true) {
    if (take) this->take();
  }
  ~SemaphoreHold() { release(); }
  SemaphoreHold(const SemaphoreHold&) = delete;
  SemaphoreHold& operator=(const SemaphoreHold&) = delete;

  void take() {
    if (held_) return;
    APRISEMA();
    held_ = true;
  }
  void release() {
    if (!held_) return;
    held_ = false;
    CHIUDISEMA();
  }

 private:
  bool held_ = false;
};

}  // namespace vt
