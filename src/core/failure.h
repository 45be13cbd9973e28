// Run-time failures: the numeric code and description that every failing
// statement of the program hands to the error trap (GESTIONEERRORE).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace vt {

// The codes the program raises itself or treats apart. The others come from
// the file and window operations and are only shown.
namespace err {
inline constexpr std::int16_t kInvalidCall = 5;
inline constexpr std::int16_t kOutOfMemory = 7;
inline constexpr std::int16_t kInternalError = 51;
inline constexpr std::int16_t kOverflow = 6;
inline constexpr std::int16_t kSubscriptOutOfRange = 9;
inline constexpr std::int16_t kBadFileNumber = 52;
inline constexpr std::int16_t kFileNotFound = 53;
inline constexpr std::int16_t kFileAlreadyOpen = 55;
inline constexpr std::int16_t kDeviceIo = 57;
inline constexpr std::int16_t kBadRecordLength = 59;
inline constexpr std::int16_t kDiskFull = 61;
inline constexpr std::int16_t kBadRecordNumber = 63;
// A path the system cannot take: the code of a bad file name, described as
// a path too long (no other refusal gives it, and the task semaphore does
// not wait on it as it does on 70 and 75).
inline constexpr std::int16_t kPathTooLong = 64;
inline constexpr std::int16_t kTooManyFiles = 67;
// The device is unavailable: the network drive or share holding the file is
// no longer reachable.
inline constexpr std::int16_t kDeviceUnavailable = 68;
inline constexpr std::int16_t kPermissionDenied = 70;
inline constexpr std::int16_t kPathFileAccess = 75;
inline constexpr std::int16_t kPathNotFound = 76;
inline constexpr std::int16_t kDamagedIndex = 3001;
inline constexpr std::int16_t kPrinter = 482;
}  // namespace err

// The standard Italian description of a code ("Disco pieno" for 61).
std::string standardDescription(std::int16_t code);

// A run-time failure. Thrown by the statement that fails; caught by the
// procedure that runs the statement under the trap (see trail.h).
class RuntimeFailure : public std::runtime_error {
 public:
  RuntimeFailure(std::int16_t code, std::string description);

  std::int16_t code() const { return code_; }
  const std::string& description() const { return description_; }

 private:
  std::int16_t code_;
  std::string description_;
};

// Throws a failure with the standard description of `code`, followed by
// ": " and `detail` when a detail (usually a path) is given.
[[noreturn]] void raiseFailure(std::int16_t code, std::string_view detail = {});

// The code of a refusal of the system, the same on every system: file not
// found 53, path not found 76, access denied 75, sharing or lock violation 70,
// disk full 61, bad handle 52, handle in use 55, no free handle 67, path too
// long 64, network drive no longer reachable 68, any other 57.
std::int16_t failureCode(platform::SystemErrorKind kind);

// Runs `call` (a call of the platform layer); a refusal of the system becomes
// the run-time failure of its code, with the path or handle as the detail.
template <class Call>
decltype(auto) systemCall(Call&& call) {
  try {
    return call();
  } catch (const platform::SystemError& error) {
    raiseFailure(failureCode(error.kind()), error.subject());
  }
}

}  // namespace vt
