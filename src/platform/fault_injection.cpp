#include "platform/fault_injection.h"

#include <cstdlib>
#include <exception>
#include <string>
#include <utility>

#include "platform/system_error.h"

namespace vt::platform::fault {
namespace {

struct Armed {
  Mode mode = Mode::kNone;
  std::uint64_t at = 0;
  std::uint64_t count = 0;
  std::uint64_t syncAt = 0;
  std::uint64_t syncCount = 0;
  Watcher watcher;
  // The system call refused (refuseCall).
  Call call = Call::kOpen;
  std::uint64_t callAt = 0;
  std::uint64_t callCount = 0;
  int callError = 0;
};

Armed& armed() {
  static Armed state;
  return state;
}

}  // namespace

void arm(Mode mode, std::uint64_t n) {
  Armed& a = armed();
  a.mode = mode;
  a.at = n;
  a.count = 0;
}

void armSyncFailure(std::uint64_t n) {
  armed().syncAt = n;
  armed().syncCount = 0;
}

void watch(Watcher watcher) { armed().watcher = std::move(watcher); }

std::uint64_t writesSinceArmed() { return armed().count; }

WritePoint::WritePoint(std::int16_t handle) {
  Armed& a = armed();
  ++a.count;
  if (a.watcher) a.watcher(Event::kWrite, handle);
  if (a.mode == Mode::kGone && a.count >= a.at) raiseSystemError(SystemErrorKind::kDeviceError, "scrittura " + std::to_string(a.count));
  if (a.mode == Mode::kNone || a.mode == Mode::kGone || a.count != a.at) return;
  // What the file layer raises for a device that refuses a write.
  if (a.mode == Mode::kFail) raiseSystemError(SystemErrorKind::kDeviceError, "scrittura " + std::to_string(a.count));
  endAfter_ = true;
  exceptions_ = std::uncaught_exceptions();
}

WritePoint::~WritePoint() {
  if (endAfter_ && std::uncaught_exceptions() == exceptions_) std::_Exit(kEndedStatus);
}

}  // namespace vt::platform::fault

namespace vt::platform::fault {

void syncPoint(std::int16_t handle) {
  Armed& a = armed();
  ++a.syncCount;
  if (a.watcher) a.watcher(Event::kSync, handle);
  if ((a.syncAt != 0 && a.syncCount == a.syncAt) || (a.mode == Mode::kGone && a.count >= a.at)) {
    raiseSystemError(SystemErrorKind::kDeviceError, "sincronizzazione " + std::to_string(a.syncCount));
  }
}

}  // namespace vt::platform::fault

namespace vt::platform::fault {

void refuseCall(Call call, std::uint64_t n, int error) {
  Armed& a = armed();
  a.call = call;
  a.callAt = n;
  a.callCount = 0;
  a.callError = error;
}

std::optional<int> refusalOf(Call call) {
  Armed& a = armed();
  if (a.callAt == 0 || a.call != call || ++a.callCount != a.callAt) return std::nullopt;
  return a.callError;
}

}  // namespace vt::platform::fault
