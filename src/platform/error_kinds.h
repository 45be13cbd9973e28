// Which kind of refusal (platform/system_error.h) each error of the systems
// is: one table for Windows' system error codes, read by files_win32.cpp,
// and one for POSIX errno values, read by files_posix.cpp. Windows' codes are
// written as the numbers of winerror.h, so that this header, and the tests
// that read both tables, compile on every system. A code in neither table is
// kDeviceError.
//
// Decisions the tables make:
//   - A server, share or drive that is not there when a file is opened
//     (ERROR_BAD_NETPATH, ERROR_BAD_NET_NAME, ERROR_NO_NET_OR_BAD_PATH,
//     ERROR_INVALID_DRIVE) is a path not found, as a mistyped folder is:
//     Windows gives the same codes for a name that never existed.
//   - A connection that goes away under a file that was reachable (the share
//     deleted, the session or the connection cut, the server not answering,
//     ERROR_SEM_TIMEOUT included: that is how a server that stopped answering
//     ends a call) is kNetworkLost, and so is its POSIX counterpart (NFS's
//     ESTALE, CIFS's EHOSTDOWN, ...). A local device error (EIO) is not.
//   - A share that refuses the user (ERROR_NETWORK_ACCESS_DENIED) stays a
//     device error, 57, as before: an access refusal (75) is one the task
//     semaphore waits on, and this one never ends.
#pragma once

#include <cerrno>
#include <cstdint>

#include "platform/system_error.h"

namespace vt::platform {

struct SystemErrorRow {
  std::uint32_t code;
  SystemErrorKind kind;
};

inline constexpr SystemErrorRow kWindowsErrors[] = {
    {2, SystemErrorKind::kFileNotFound},         // ERROR_FILE_NOT_FOUND
    {3, SystemErrorKind::kPathNotFound},         // ERROR_PATH_NOT_FOUND
    {15, SystemErrorKind::kPathNotFound},        // ERROR_INVALID_DRIVE
    {53, SystemErrorKind::kPathNotFound},        // ERROR_BAD_NETPATH
    {67, SystemErrorKind::kPathNotFound},        // ERROR_BAD_NET_NAME
    {123, SystemErrorKind::kPathNotFound},       // ERROR_INVALID_NAME
    {161, SystemErrorKind::kPathNotFound},       // ERROR_BAD_PATHNAME
    {1203, SystemErrorKind::kPathNotFound},      // ERROR_NO_NET_OR_BAD_PATH
    {5, SystemErrorKind::kAccessDenied},         // ERROR_ACCESS_DENIED
    {19, SystemErrorKind::kAccessDenied},        // ERROR_WRITE_PROTECT
    {32, SystemErrorKind::kSharingViolation},    // ERROR_SHARING_VIOLATION
    {33, SystemErrorKind::kSharingViolation},    // ERROR_LOCK_VIOLATION
    {39, SystemErrorKind::kDiskFull},            // ERROR_HANDLE_DISK_FULL
    {112, SystemErrorKind::kDiskFull},           // ERROR_DISK_FULL
    {1295, SystemErrorKind::kDiskFull},          // ERROR_DISK_QUOTA_EXCEEDED
    {6, SystemErrorKind::kBadHandle},            // ERROR_INVALID_HANDLE
    {4, SystemErrorKind::kNoFreeHandle},         // ERROR_TOO_MANY_OPEN_FILES
    {206, SystemErrorKind::kPathTooLong},        // ERROR_FILENAME_EXCED_RANGE
    {51, SystemErrorKind::kNetworkLost},         // ERROR_REM_NOT_LIST
    {54, SystemErrorKind::kNetworkLost},         // ERROR_NETWORK_BUSY
    {55, SystemErrorKind::kNetworkLost},         // ERROR_DEV_NOT_EXIST
    {58, SystemErrorKind::kNetworkLost},         // ERROR_BAD_NET_RESP
    {59, SystemErrorKind::kNetworkLost},         // ERROR_UNEXP_NET_ERR
    {64, SystemErrorKind::kNetworkLost},         // ERROR_NETNAME_DELETED
    {88, SystemErrorKind::kNetworkLost},         // ERROR_NET_WRITE_FAULT
    {121, SystemErrorKind::kNetworkLost},        // ERROR_SEM_TIMEOUT
    {240, SystemErrorKind::kNetworkLost},        // ERROR_VC_DISCONNECTED
    {1167, SystemErrorKind::kNetworkLost},       // ERROR_DEVICE_NOT_CONNECTED
    {1201, SystemErrorKind::kNetworkLost},       // ERROR_CONNECTION_UNAVAIL
    {1222, SystemErrorKind::kNetworkLost},       // ERROR_NO_NETWORK
    {1225, SystemErrorKind::kNetworkLost},       // ERROR_CONNECTION_REFUSED
    {1229, SystemErrorKind::kNetworkLost},       // ERROR_CONNECTION_INVALID
    {1231, SystemErrorKind::kNetworkLost},       // ERROR_NETWORK_UNREACHABLE
    {1232, SystemErrorKind::kNetworkLost},       // ERROR_HOST_UNREACHABLE
    {1236, SystemErrorKind::kNetworkLost},       // ERROR_CONNECTION_ABORTED
    {2250, SystemErrorKind::kNetworkLost},       // ERROR_NOT_CONNECTED
};

#ifndef _WIN32
inline constexpr SystemErrorRow kPosixErrors[] = {
    {ENOENT, SystemErrorKind::kFileNotFound},
    {ENOTDIR, SystemErrorKind::kPathNotFound},
    {EACCES, SystemErrorKind::kAccessDenied},
    {EPERM, SystemErrorKind::kAccessDenied},
    {EISDIR, SystemErrorKind::kAccessDenied},
    {EROFS, SystemErrorKind::kAccessDenied},
    {EWOULDBLOCK, SystemErrorKind::kSharingViolation},
    {ENOSPC, SystemErrorKind::kDiskFull},
    {EDQUOT, SystemErrorKind::kDiskFull},
    {EFBIG, SystemErrorKind::kDiskFull},
    {EBADF, SystemErrorKind::kBadHandle},
    {EMFILE, SystemErrorKind::kNoFreeHandle},
    {ENFILE, SystemErrorKind::kNoFreeHandle},
    {ENAMETOOLONG, SystemErrorKind::kPathTooLong},
    {ENOTCONN, SystemErrorKind::kNetworkLost},
    {ESTALE, SystemErrorKind::kNetworkLost},
    {EHOSTDOWN, SystemErrorKind::kNetworkLost},
    {EHOSTUNREACH, SystemErrorKind::kNetworkLost},
    {ENETDOWN, SystemErrorKind::kNetworkLost},
    {ENETUNREACH, SystemErrorKind::kNetworkLost},
    {ENETRESET, SystemErrorKind::kNetworkLost},
    {ECONNABORTED, SystemErrorKind::kNetworkLost},
    {ECONNRESET, SystemErrorKind::kNetworkLost},
    {ECONNREFUSED, SystemErrorKind::kNetworkLost},
    {ETIMEDOUT, SystemErrorKind::kNetworkLost},
#ifdef ENOLINK
    {ENOLINK, SystemErrorKind::kNetworkLost},
#endif
#ifdef EREMOTEIO
    {EREMOTEIO, SystemErrorKind::kNetworkLost},
#endif
#ifdef ECOMM
    {ECOMM, SystemErrorKind::kNetworkLost},
#endif
};
#endif

// The kind of `code` in `table`.
template <std::size_t N>
constexpr SystemErrorKind kindIn(const SystemErrorRow (&table)[N], std::uint32_t code) {
  for (const SystemErrorRow& row : table) {
    if (row.code == code) return row.kind;
  }
  return SystemErrorKind::kDeviceError;
}

}  // namespace vt::platform
