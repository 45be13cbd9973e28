// The task semaphore: the suite's one lock between programs. Held while
// "WKSEMA.DAT" in the archives directory is open exclusively under entry
// kSemaphoreFileNumber of NUMEROFILE; released by closing it (or by the end of the process).
#pragma once

#include <chrono>

#include "records/file_numbers.h"

namespace vt {

inline constexpr int kSemaphoreRecordLength = 2000;
inline constexpr const char* kSemaphoreFileName = "WKSEMA.DAT";

// How long a wait lasts before the operator sees the wait box.
inline constexpr std::chrono::milliseconds kWaitBoxAfter{1000};
// The pause between two tries of a wait: a tenth of the time waited so far,
// never less than the first nor more than the longest, each varied by up to
// a quarter either way so that the programs waiting on one file server do
// not try in step. A wait of minutes costs the server a few opens a second;
// the semaphore, once free, is taken at most a tenth of the wait later.
inline constexpr std::chrono::milliseconds kFirstPause{5};
inline constexpr std::chrono::milliseconds kLongestPause{300};

// Takes the semaphore; true once it is held. While another program holds
// it, tries again after each pause, telling the dialog interface between
// tries (the wait box from kWaitBoxAfter on, with the refusal and the time
// waited), until it is free, or until the operator gives up: false then,
// with nothing held and nothing else done. A refusal that does not mean
// another holder goes to the trap. Trail name "APRISEMA".
[[nodiscard]] bool APRISEMA();

// Releases the semaphore; does nothing when it is not held.
void CHIUDISEMA();

// The semaphore held for one scope, the one way a procedure holds it: taken
// by take(), and released exactly once, by release() where the flow frees it
// early, otherwise on whichever way the scope ends, a failure going to the
// trap included. A hold released early leaves alone the semaphore taken
// again after it; take() holds it again.
class SemaphoreHold {
 public:
  SemaphoreHold() = default;
  ~SemaphoreHold() { release(); }
  SemaphoreHold(const SemaphoreHold&) = delete;
  SemaphoreHold& operator=(const SemaphoreHold&) = delete;

  // True when held (already, or now); false when the operator gave up.
  [[nodiscard]] bool take() {
    if (!held_) held_ = APRISEMA();
    return held_;
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
