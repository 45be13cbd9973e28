#include "platform/fault_injection.h"

#include <cstdlib>
#include <exception>
#include <string>

#include "platform/system_error.h"

namespace vt::platform::fault {
namespace {

struct Armed {
  Mode mode = Mode::kNone;
  std::uint64_t at = 0;
  std::uint64_t count = 0;
};

Armed& armed() {
  static Armed state;
  return state;
}

}  // namespace

void arm(Mode mode, std::uint64_t n) { armed() = Armed{mode, n, 0}; }

std::uint64_t writesSinceArmed() { return armed().count; }

WritePoint::WritePoint() {
  Armed& a = armed();
  ++a.count;
  if (a.mode == Mode::kNone || a.count != a.at) return;
  // What the file layer raises for a device that refuses a write.
  if (a.mode == Mode::kFail) raiseSystemError(SystemErrorKind::kDeviceError, "scrittura " + std::to_string(a.count));
  endAfter_ = true;
  exceptions_ = std::uncaught_exceptions();
}

WritePoint::~WritePoint() {
  if (endAfter_ && std::uncaught_exceptions() == exceptions_) std::_Exit(kEndedStatus);
}

}  // namespace vt::platform::fault
