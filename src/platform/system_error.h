// The system's refusals, as the file layer reports them: what went wrong, in
// the system's own terms, and on what. The layers above decide what each one
// means to the program (core/failure.h turns them into failure codes).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vt::platform {

enum class SystemErrorKind {
  kFileNotFound,       // no such file
  kPathNotFound,       // a folder on the way to the file is missing
  kAccessDenied,       // not allowed, read-only, a folder where a file was asked
  kSharingViolation,   // another process holds the file or its lock
  kDiskFull,           // no room left (or past the file-size limit)
  kBadHandle,          // a handle number out of range or not open
  kHandleInUse,        // opening under a handle number already open
  kNoFreeHandle,       // every handle number is in use, or the system has no more
  kPathTooLong,        // a path, or a part of it, longer than any call of the system takes
  kNetworkLost,        // the network drive or share (or the device) holding the file
                       // is no longer reachable
  kDeviceError,        // any other refusal
};

class SystemError : public std::runtime_error {
 public:
  SystemError(SystemErrorKind kind, std::string_view subject)
      : std::runtime_error(std::string(subject)), kind_(kind), subject_(subject) {}

  SystemErrorKind kind() const { return kind_; }
  // The path or handle number the refused call was about.
  const std::string& subject() const { return subject_; }

 private:
  SystemErrorKind kind_;
  std::string subject_;
};

[[noreturn]] inline void raiseSystemError(SystemErrorKind kind, std::string_view subject) {
  throw SystemError(kind, subject);
}

}  // namespace vt::platform
