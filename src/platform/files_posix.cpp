// The file layer on a POSIX system.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/error_kinds.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/opened_paths.h"
#include "platform/system_error.h"

namespace vt::platform {
namespace {

std::array<int, kMaxHandle + 1>& descriptors() {
  static std::array<int, kMaxHandle + 1> fds = [] {
    std::array<int, kMaxHandle + 1> a{};
    a.fill(-1);
    return a;
  }();
  return fds;
}

using Kind = SystemErrorKind;

// The kind of refusal an errno of the system is (platform/error_kinds.h).
Kind kindOf(int error) { return kindIn(kPosixErrors, static_cast<std::uint32_t>(error)); }

// A system call of the file layer, through the seam at it
// (platform/fault_injection.h); every one of them fails with -1 and errno.
template <class Make>
auto sys(fault::Call call, Make&& make) {
  return fault::called(call, decltype(make())(-1), [](int error) { errno = error; }, make);
}

[[noreturn]] void raiseErrno(int error, std::string_view suitePath) {
  Kind kind = kindOf(error);
  // A missing folder on the way to the file is "path not found".
  if (kind == Kind::kFileNotFound) {
    std::string native = nativePath(suitePath);
    auto slash = native.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
      struct stat st {};
      if (::stat(native.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        kind = Kind::kPathNotFound;
      }
    }
  }
  raiseSystemError(kind, suitePath);
}

int descriptorOf(std::int16_t handle) {
  if (handle < 1 || handle > kMaxHandle || descriptors()[static_cast<std::size_t>(handle)] < 0) {
    raiseSystemError(Kind::kBadHandle, std::to_string(handle));
  }
  return descriptors()[static_cast<std::size_t>(handle)];
}

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

bool exists(const std::string& native) {
  struct stat st {};
  return ::lstat(native.c_str(), &st) == 0;
}

// The entry of `folder` named `name` without regard to case, or `name`
// itself when there is none.
std::string findEntry(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return name;
  DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == nullptr) return name;
  std::string found = name;
  while (dirent* entry = ::readdir(dir)) {
    if (sameIgnoringCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

// Resolves each part of `path` without regard to case, from the start.
std::string resolveIgnoringCase(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  std::string result;
  bool absolute = !path.empty() && path.front() == '/';
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) {
      if (i == 0 && absolute) result = "";
      continue;
    }
    std::string folder = result.empty() ? (absolute ? "/" : ".") : result;
    std::string actual = exists(folder + "/" + part) ? part : findEntry(folder, part);
    if (result.empty()) {
      result = absolute ? "/" + actual : actual;
    } else {
      result += "/" + actual;
    }
  }
  if (result.empty()) result = absolute ? "/" : path;
  return result;
}

}  // namespace

std::string drivesRoot() {
  if (const char* root = std::getenv("TESSARO_DRIVES"); root != nullptr && *root != '\0') {
    return root;
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.tessaro/drives";
}

std::string nativePath(std::string_view suitePath) {
  std::string path(suitePath);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
    std::string rest = path.substr(2);
    if (rest.empty() || rest.front() != '/') rest = "/" + rest;
    path = drivesRoot() + "/" + std::string(1, upper(path[0])) + rest;
  }
  if (path.empty() || exists(path)) return path;
  return resolveIgnoringCase(path);
}

PathKind pathKind(std::string_view suitePath) {
  struct stat st {};
  if (::stat(nativePath(suitePath).c_str(), &st) != 0) return PathKind::kMissing;
  if (S_ISREG(st.st_mode)) return PathKind::kFile;
  if (S_ISDIR(st.st_mode)) return PathKind::kDirectory;
  return PathKind::kOther;
}

std::optional<std::uint64_t> fileLength(std::string_view suitePath) {
  struct stat st {};
  if (::stat(nativePath(suitePath).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

void removeFile(std::string_view suitePath) {
  if (::unlink(nativePath(suitePath).c_str()) != 0) raiseErrno(errno, suitePath);
}

void replaceFile(std::string_view suitePath, std::string_view content) {
  std::string target = nativePath(suitePath);
  std::string temporary = target + ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) raiseErrno(errno, suitePath);
  std::size_t written = 0;
  while (written < content.size()) {
    ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      raiseErrno(error, suitePath);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    raiseErrno(error, suitePath);
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    raiseErrno(error, suitePath);
  }
  // The rename itself is on disk once the folder is: without this a crash
  // of the system could bring the old content back.
  const auto slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
}

void renameOver(std::string_view from, std::string_view to) {
  std::string target = nativePath(to);
  if (::rename(nativePath(from).c_str(), target.c_str()) != 0) raiseErrno(errno, to);
  // The rename lives in the folder: sync the folder too, or a crash could
  // bring the old name back.
  std::string folder = target.substr(0, target.find_last_of('/') + 1);
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) raiseErrno(errno, to);
  int result = ::fsync(fd);
  int error = errno;
  ::close(fd);
  if (result != 0) raiseErrno(error, to);
}

ConfigurationRead readNativeConfigurationFile(const std::string& path, std::size_t limit, std::string& text) {
  text.clear();
  const int fd = sys(fault::Call::kOpen, [&] { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ConfigurationRead::kMissing : ConfigurationRead::kUnreadable;
  ConfigurationRead result = ConfigurationRead::kRead;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    result = ConfigurationRead::kUnreadable;
  } else if (!S_ISREG(st.st_mode)) {
    result = ConfigurationRead::kRefused;
  }
  std::array<char, 4096> chunk{};
  while (result == ConfigurationRead::kRead) {
    const ssize_t n =
        sys(fault::Call::kRead, [&] { return ::read(fd, chunk.data(), std::min(chunk.size(), limit + 1 - text.size())); });
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) result = ConfigurationRead::kUnreadable;
      break;
    }
    text.append(chunk.data(), static_cast<std::size_t>(n));
    if (text.size() > limit) result = ConfigurationRead::kRefused;
  }
  ::close(fd);
  if (result != ConfigurationRead::kRead) text.clear();
  return result;
}

std::filesystem::path fileSystemPath(std::string_view native) { return std::string(native); }

std::string nativeText(const std::filesystem::path& path) { return path.string(); }

ConfigurationRead readConfigurationFile(std::string_view suitePath, std::size_t limit, std::string& text) {
  return readNativeConfigurationFile(nativePath(suitePath), limit, text);
}

void ignoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

std::int16_t freeHandle() {
  for (std::int16_t h = 1; h <= kMaxHandle; ++h) {
    if (descriptors()[static_cast<std::size_t>(h)] < 0) return h;
  }
  raiseSystemError(Kind::kNoFreeHandle, {});
}

void openFile(std::int16_t handle, std::string_view suitePath, OpenMode mode) {
  if (handle < 1 || handle > kMaxHandle) raiseSystemError(Kind::kBadHandle, std::to_string(handle));
  if (descriptors()[static_cast<std::size_t>(handle)] >= 0) {
    raiseSystemError(Kind::kHandleInUse, suitePath);
  }
  std::string native = nativePath(suitePath);
  if (native.empty()) raiseSystemError(Kind::kBadHandle, suitePath);
  // Opened without waiting: a pipe or a device at the name would otherwise
  // hold the program in open() for ever; only a regular file is kept, then in
  // the ordinary blocking mode.
  int flags = O_CLOEXEC | O_NONBLOCK | (mode == OpenMode::kSharedRead ? O_RDONLY : O_RDWR | O_CREAT);
  int fd = sys(fault::Call::kOpen, [&] { return ::open(native.c_str(), flags, 0666); });
  if (fd < 0) raiseErrno(errno, suitePath);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    raiseSystemError(Kind::kAccessDenied, suitePath);
  }
  if (mode == OpenMode::kExclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    raiseSystemError(kindOf(error), suitePath);
  }
  descriptors()[static_cast<std::size_t>(handle)] = fd;
  rememberPath(handle, suitePath);
}

bool isOpen(std::int16_t handle) {
  return handle >= 1 && handle <= kMaxHandle && descriptors()[static_cast<std::size_t>(handle)] >= 0;
}

std::size_t readAt(std::int16_t handle, std::uint64_t offset, char* out, std::size_t size) {
  int fd = descriptorOf(handle);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = sys(fault::Call::kRead, [&] { return ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done)); });
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseSystemError(kindOf(errno), subjectOf(handle));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

namespace {

// Writes all of `bytes` at `offset` of `fd`. When the system refuses the
// write part way, puts back `previous` (what the file held from `offset`)
// and the file's length `oldLength`, so that the file is as it was, and
// raises the refusal.
void writeWhole(std::int16_t handle, int fd, std::uint64_t offset, std::string_view bytes, std::string_view previous,
                std::uint64_t oldLength) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = sys(fault::Call::kWrite,
                    [&] { return ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done)); });
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      if (done > 0) (void)!::pwrite(fd, previous.data(), previous.size(), static_cast<off_t>(offset));
      if (oldLength < offset + bytes.size()) (void)!::ftruncate(fd, static_cast<off_t>(oldLength));
      raiseSystemError(kindOf(error), subjectOf(handle));
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void writeAt(std::int16_t handle, std::uint64_t offset, std::string_view bytes) {
  const fault::WritePoint writePoint(handle);
  int fd = descriptorOf(handle);
  // What the file held where the bytes go, to put back if the write fails
  // part way: a record is written whole or not at all. The room for it is
  // kept from write to write, and the file's length is asked only when the
  // bytes reach past what the file held.
  thread_local std::string previous;
  if (previous.size() < bytes.size()) previous.resize(bytes.size());
  const std::size_t previousSize = readAt(handle, offset, previous.data(), bytes.size());
  std::uint64_t oldLength = offset + bytes.size();
  if (previousSize < bytes.size()) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) raiseSystemError(kindOf(errno), subjectOf(handle));
    oldLength = static_cast<std::uint64_t>(st.st_size);
  }
  writeWhole(handle, fd, offset, bytes, std::string_view(previous.data(), previousSize), oldLength);
}

void writeOverAt(std::int16_t handle, std::uint64_t offset, std::string_view bytes, std::string_view held) {
  if (held.size() != bytes.size()) {
    writeAt(handle, offset, bytes);
    return;
  }
  const fault::WritePoint writePoint(handle);
  writeWhole(handle, descriptorOf(handle), offset, bytes, held, offset + bytes.size());
}

void setOpenFileLength(std::int16_t handle, std::uint64_t length) {
  const fault::WritePoint writePoint(handle);
  if (sys(fault::Call::kSetLength, [&] { return ::ftruncate(descriptorOf(handle), static_cast<off_t>(length)); }) != 0) {
    raiseSystemError(kindOf(errno), subjectOf(handle));
  }
}

std::uint64_t openFileLength(std::int16_t handle) {
  struct stat st {};
  if (::fstat(descriptorOf(handle), &st) != 0) raiseSystemError(kindOf(errno), subjectOf(handle));
  return static_cast<std::uint64_t>(st.st_size);
}

void syncFile(std::int16_t handle) {
  fault::syncPoint(handle);
  if (sys(fault::Call::kSync, [&] { return ::fsync(descriptorOf(handle)); }) != 0) raiseSystemError(kindOf(errno), subjectOf(handle));
}

bool createNewFile(std::int16_t handle, std::string_view suitePath) {
  if (handle < 1 || handle > kMaxHandle) raiseSystemError(Kind::kBadHandle, std::to_string(handle));
  if (isOpen(handle)) raiseSystemError(Kind::kHandleInUse, suitePath);
  // O_EXCL refuses any name that exists, a link included (never followed);
  // O_NOFOLLOW says so again for systems that would not.
  int fd = sys(fault::Call::kOpen,
               [&] { return ::open(nativePath(suitePath).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600); });
  if (fd < 0) {
    if (errno == EEXIST || errno == ELOOP) return false;
    raiseErrno(errno, suitePath);
  }
  descriptors()[static_cast<std::size_t>(handle)] = fd;
  rememberPath(handle, suitePath);
  return true;
}

void makeLike(std::int16_t handle, std::string_view modelSuitePath) {
  const int fd = descriptorOf(handle);
  const std::string model = nativePath(modelSuitePath);
  struct stat st {};
  if (::stat(model.c_str(), &st) != 0) raiseErrno(errno, modelSuitePath);
  // The owner first: giving a file away clears its set-id bits, which the
  // permission bits then put back.
  const int owned = ::fchown(fd, st.st_uid, st.st_gid);
  const int ownError = errno;
  if (::fchmod(fd, st.st_mode & 07777) != 0) raiseErrno(errno, modelSuitePath);
#ifdef __linux__
  // The access control list lies in an extended attribute; a file system
  // without them, or a model without a list, leaves the bits alone.
  constexpr const char* kAcl = "system.posix_acl_access";
  std::string acl(256, '\0');
  ssize_t size = ::getxattr(model.c_str(), kAcl, acl.data(), acl.size());
  if (size < 0 && errno == ERANGE) {
    size = ::getxattr(model.c_str(), kAcl, nullptr, 0);
    if (size > 0) {
      acl.resize(static_cast<std::size_t>(size));
      size = ::getxattr(model.c_str(), kAcl, acl.data(), acl.size());
    }
  }
  if (size > 0 && ::fsetxattr(fd, kAcl, acl.data(), static_cast<std::size_t>(size), 0) != 0 && errno != ENOTSUP) {
    raiseErrno(errno, modelSuitePath);
  }
#endif
  if (owned != 0) raiseErrno(ownError, modelSuitePath);
}

std::string linkTarget(std::string_view suitePath) {
  const std::string native = nativePath(suitePath);
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::string(suitePath);
  char* resolved = ::realpath(native.c_str(), nullptr);
  if (resolved == nullptr) raiseErrno(errno, suitePath);
  std::string target(resolved);
  std::free(resolved);
  return target;
}

void closeHandle(std::int16_t handle) {
  if (!isOpen(handle)) return;
  ::close(descriptors()[static_cast<std::size_t>(handle)]);
  descriptors()[static_cast<std::size_t>(handle)] = -1;
  forgetPath(handle);
}

void closeAllHandles() {
  for (std::int16_t h = 1; h <= kMaxHandle; ++h) closeHandle(h);
}

}  // namespace vt::platform
