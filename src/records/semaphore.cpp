#include "records/semaphore.h"

#include <chrono>
#include <thread>

#include "core/state.h"
#include "core/trail.h"
#include "platform/files.h"
#include "records/files.h"

namespace vt {
namespace {

// How long a waiting program sleeps between two tries.
constexpr auto kRetryPause = std::chrono::milliseconds(5);

// Runs `step` (a call of the file layer) until it no longer fails because
// another program holds the semaphore. Only a sharing violation (70) means
// that here: an access error (75) is a real fault of the path, which goes to
// the trap instead of waiting for ever.
template <class Step>
void untilFree(Step&& step) {
  for (;;) {
    try {
      systemCall(step);
      return;
    } catch (const RuntimeFailure& failure) {
      if (failure.code() != err::kPermissionDenied) throw;
    }
    std::this_thread::sleep_for(kRetryPause);
  }
}

}  // namespace

void APRISEMA() {
  REGISTRAPROC("APRISEMA");
  guarded([] {
    State& s = S();
    DAMMINUMERO(kSemaphoreFileNumber);
    const std::int16_t handle = s.NUMEROFILE[kSemaphoreFileNumber];
    const std::string path = s.PERARK + "\\" + kSemaphoreFileName;
    untilFree([&] { platform::openFile(handle, path, platform::OpenMode::kExclusive); });
    s.BUFFERSEMA.assign(kSemaphoreRecordLength, ' ');
    untilFree([&] { platform::readAt(handle, 0, s.BUFFERSEMA.data(), s.BUFFERSEMA.size()); });
  });
}

void CHIUDISEMA() { CHIUDIFILE(kSemaphoreFileNumber); }

}  // namespace vt
