#include "platform/instance.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>

#include "platform/cp1252.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vt::platform {
namespace {

constexpr std::string_view kLockExtension = ".lock";

#ifdef _WIN32
// The lock file's path in UTF-16: the user's temporary folder may hold
// characters that no single-byte code page has.
std::wstring wideLockFile(std::string_view programName) {
  const wchar_t* temp = _wgetenv(L"TEMP");
  const std::wstring folder = temp != nullptr && *temp != L'\0' ? temp : L".";
  return folder + L"\\" + wideOf(programName) + wideOf(kLockExtension);
}
#else
std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string lockFolder() {
  if (std::string runtime = environment("XDG_RUNTIME_DIR"); !runtime.empty()) return runtime;
  if (std::string cache = environment("XDG_CACHE_HOME"); !cache.empty()) return cache;
  return environment("HOME") + "/.cache";
}
#endif

#ifdef _WIN32
HANDLE& heldLock() {
  static HANDLE lock = INVALID_HANDLE_VALUE;
  return lock;
}
#else
int& heldLock() {
  static int fd = -1;
  return fd;
}
#endif

}  // namespace

#ifdef _WIN32

std::string instanceLockFile(std::string_view programName) {
  bool lossless = true;
  return cp1252Of(wideLockFile(programName), lossless);
}

bool claimSoleInstance(std::string_view programName) {
  if (heldLock() != INVALID_HANDLE_VALUE) return true;
  const std::wstring file = wideLockFile(programName);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
  // No sharing: a second open of the file fails while the first is held.
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SHARING_VIOLATION;
  heldLock() = h;
  return true;
}

void releaseSoleInstance() {
  if (heldLock() != INVALID_HANDLE_VALUE) CloseHandle(heldLock());
  heldLock() = INVALID_HANDLE_VALUE;
}

#else

std::string instanceLockFile(std::string_view programName) {
  return lockFolder() + "/" + std::string(programName) + std::string(kLockExtension);
}

bool claimSoleInstance(std::string_view programName) {
  if (heldLock() >= 0) return true;
  std::string file = instanceLockFile(programName);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool heldElsewhere = errno == EWOULDBLOCK;
    ::close(fd);
    return !heldElsewhere;
  }
  heldLock() = fd;
  return true;
}

void releaseSoleInstance() {
  if (heldLock() >= 0) ::close(heldLock());
  heldLock() = -1;
}

#endif

}  // namespace vt::platform
