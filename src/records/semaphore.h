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

}  // namespace vt
