#include "records/semaphore.h"

#include <algorithm>
#include <random>

#include "core/dialogs.h"
#include "core/state.h"
#include "core/trail.h"
#include "platform/files.h"
#include "records/files.h"
#include "util/text.h"

namespace vt {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Whether a refusal of the semaphore's open or read means that another
// program holds it: a sharing violation (70) everywhere; an access refusal
// (75) only where the system answers so for a file held by another (a
// Windows file server does). Anywhere else an access refusal never ends by
// itself, and goes to the trap.
bool meansHeld(const RuntimeFailure& failure) {
  return failure.code() == err::kPermissionDenied ||
         (failure.code() == err::kPathFileAccess && platform::kHeldFileMayBeAccessDenied);
}

// "1:05" for 65 seconds.
std::string minutesAndSeconds(milliseconds waited) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
  return std::to_string(seconds / 60) + ":" + zeroPad(std::to_string(seconds % 60), 2);
}

// One wait for the semaphore: when it began, the pauses between tries, and
// what the operator is told.
class Wait {
 public:
  Wait() : random_(static_cast<std::minstd_rand::result_type>(Clock::now().time_since_epoch().count())) {}
  ~Wait() {
    if (waiting_) dialogs().waitEnded(waited());
  }
  Wait(const Wait&) = delete;
  Wait& operator=(const Wait&) = delete;

  // After the refusal `failure`: lets the next pause pass; false when the
  // operator gave up.
  bool pause(const RuntimeFailure& failure) {
    if (!waiting_) {
      waiting_ = true;
      start_ = Clock::now();
    }
    const milliseconds so = waited();
    const milliseconds base = std::clamp(so / 10, kFirstPause, kLongestPause);
    std::uniform_int_distribution<milliseconds::rep> vary(base.count() * 3 / 4, base.count() * 5 / 4);
    return dialogs().waitBetweenTries(notice(failure, so), milliseconds(vary(random_)));
  }

 private:
  milliseconds waited() const {
    return waiting_ ? std::chrono::duration_cast<milliseconds>(Clock::now() - start_) : milliseconds(0);
  }

  static WaitNotice notice(const RuntimeFailure& failure, milliseconds waited) {
    std::string text = failure.code() == err::kPermissionDenied
                           ? "GLI ARCHIVI SONO IN USO DA UN ALTRO PROGRAMMA DELLA SUITE."
                           : "IL SEMAFORO DEGLI ARCHIVI NON E' ACCESSIBILE: FORSE E' IN USO DA UN ALTRO PROGRAMMA "
                             "DELLA SUITE, O MANCA L'AUTORIZZAZIONE.";
    text += kLineEnd;
    text += "IL PROGRAMMA ATTENDE CHE SI LIBERI (ATTESA " + minutesAndSeconds(waited) + ").";
    text += kLineEnd;
    text += "Errore " + std::to_string(failure.code()) + " " + failure.description();
    return {std::move(text), waited, waited >= kWaitBoxAfter};
  }

  std::minstd_rand random_;
  bool waiting_ = false;
  Clock::time_point start_;
};

// Runs `step` (a call of the file layer) until it no longer fails because
// another program holds the semaphore; false when the operator gave up.
template <class Step>
bool untilFree(Wait& wait, Step&& step) {
  for (;;) {
    try {
      systemCall(step);
      return true;
    } catch (const RuntimeFailure& failure) {
      if (!meansHeld(failure)) throw;
      if (!wait.pause(failure)) return false;
    }
  }
}

}  // namespace

bool APRISEMA() {
  REGISTRAPROC("APRISEMA");
  bool taken = false;
  guarded([&] {
    State& s = S();
    DAMMINUMERO(kSemaphoreFileNumber);
    const std::int16_t handle = s.NUMEROFILE[kSemaphoreFileNumber];
    const std::string path = s.PERARK + "\\" + kSemaphoreFileName;
    Wait wait;
    taken = untilFree(wait, [&] { platform::openFile(handle, path, platform::OpenMode::kExclusive); });
    if (taken) {
      s.BUFFERSEMA.assign(kSemaphoreRecordLength, ' ');
      taken = untilFree(wait, [&] { platform::readAt(handle, 0, s.BUFFERSEMA.data(), s.BUFFERSEMA.size()); });
    }
    if (!taken) CHIUDISEMA();
  });
  return taken;
}

void CHIUDISEMA() { CHIUDIFILE(kSemaphoreFileNumber); }

}  // namespace vt
