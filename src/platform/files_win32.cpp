// The file layer on Windows. The suite's paths are Windows paths already;
// files are opened with the sharing modes of the suite's other programs, so
// that this program and theirs interlock on the same archives. Every call
// takes the path in UTF-16 (the wide "W" functions), converted from the
// suite's Windows-1252 bytes through the program's table, so that a folder
// named with "\xE0" or "\xE8" is found whatever the system's code page.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cp1252.h"
#include "platform/error_kinds.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/opened_paths.h"
#include "platform/system_error.h"

namespace vt::platform {
namespace {

using Kind = SystemErrorKind;

std::array<HANDLE, kMaxHandle + 1>& handles() {
  static std::array<HANDLE, kMaxHandle + 1> all = [] {
    std::array<HANDLE, kMaxHandle + 1> a{};
    a.fill(INVALID_HANDLE_VALUE);
    return a;
  }();
  return all;
}

// The kind of refusal a system error code is (platform/error_kinds.h).
Kind kindOf(DWORD error) { return kindIn(kWindowsErrors, error); }

// A system call of the file layer, through the seam at it
// (platform/fault_injection.h): `failed` is its failing result, the error is
// the thread's last error.
template <class Result, class Make>
Result sys(fault::Call call, Result failed, Make&& make) {
  return fault::called(call, failed, [](int error) { SetLastError(static_cast<DWORD>(error)); }, make);
}

[[noreturn]] void raiseLastError(std::string_view subject) { raiseSystemError(kindOf(GetLastError()), subject); }

HANDLE handleOf(std::int16_t handle) {
  if (!isOpen(handle)) raiseSystemError(Kind::kBadHandle, std::to_string(handle));
  return handles()[static_cast<std::size_t>(handle)];
}

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

// Cuts the file to `length` bytes.
void truncateTo(HANDLE h, std::uint64_t length) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
  SetFileInformationByHandle(h, FileEndOfFileInfo, &end, sizeof end);
}

bool writeAll(HANDLE h, std::uint64_t offset, std::string_view bytes, std::size_t& done) {
  done = 0;
  while (done < bytes.size()) {
    OVERLAPPED o = at(offset + done);
    DWORD n = 0;
    if (!sys(fault::Call::kWrite, FALSE,
             [&] { return WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, &o); })) {
      return false;
    }
    done += n;
  }
  return true;
}

// From this many UTF-16 units on, a path goes to the system in its extended
// form: the ordinary form takes fewer than MAX_PATH (a folder's, 12 fewer),
// the extended one nearly 32,767, whatever the system's long-path policy.
constexpr std::size_t kExtendedFrom = MAX_PATH - 12;
// The longest path handed to the system (its own limit is 32,767 units with
// the prefix it adds) and the longest part of one (the file systems' names).
constexpr std::size_t kLongestPath = 32000;
constexpr std::size_t kLongestPart = 255;
constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kUncStart = L"\\\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";

// `path` as the system takes it, or nothing when no call could take it (a
// part or the whole too long).
std::optional<std::wstring> systemForm(std::wstring path) {
  std::size_t part = 0;
  for (wchar_t c : path) {
    part = c == L'\\' || c == L'/' ? 0 : part + 1;
    if (part > kLongestPart) return std::nullopt;
  }
  if (path.size() > kLongestPath) return std::nullopt;
  // Short enough as it is, or in the extended or device form already.
  if (path.size() < kExtendedFrom || path.starts_with(kExtended) || path.starts_with(kDevice)) return path;
  // The extended form is a full path in backslashes, which the system makes.
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = size == 0 ? 0 : GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  path = full.starts_with(kUncStart) ? std::wstring(kExtendedUnc) + full.substr(kUncStart.size())
                                     : std::wstring(kExtended) + full;
  if (path.size() > kLongestPath) return std::nullopt;
  return path;
}

// The wide path of suite path `suitePath` for the system's calls; a path no
// call could take is kPathTooLong, naming it.
std::wstring systemPath(std::string_view suitePath) {
  std::optional<std::wstring> path = systemForm(wideOf(nativePath(suitePath)));
  if (!path) raiseSystemError(Kind::kPathTooLong, suitePath);
  return *path;
}

// The same for the calls that report no refusal: nothing.
std::optional<std::wstring> systemPathIfAny(std::string_view suitePath) {
  return systemForm(wideOf(nativePath(suitePath)));
}

}  // namespace

// Without $TESSARO_DRIVES the suite's paths are used as written; with it, a
// drive letter X is the folder X under it (tests and trial installations).
std::string drivesRoot() {
  const wchar_t* root = _wgetenv(L"TESSARO_DRIVES");
  bool lossless = true;
  return root != nullptr ? cp1252Of(std::wstring_view(root), lossless) : "";
}

std::filesystem::path fileSystemPath(std::string_view native) {
  std::wstring wide = wideOf(native);
  return systemForm(wide).value_or(wide);
}

std::string nativeText(const std::filesystem::path& path) {
  std::wstring_view text = path.native();
  std::wstring plain;
  if (text.starts_with(kExtendedUnc)) {
    plain = std::wstring(kUncStart) + std::wstring(text.substr(kExtendedUnc.size()));
    text = plain;
  } else if (text.starts_with(kExtended)) {
    text.remove_prefix(kExtended.size());
  }
  bool lossless = true;
  return cp1252Of(text, lossless);
}

// `path` written with backslashes and capitals, to compare paths as Windows does.
std::string folded(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string nativePath(std::string_view suitePath) {
  std::string path(suitePath);
  const std::string root = drivesRoot();
  // A path inside the drives root is native already.
  const bool insideRoot = !root.empty() && folded(path).rfind(folded(root) + "\\", 0) == 0;
  if (!root.empty() && !insideRoot && path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    std::string rest = path.substr(2);
    if (rest.empty() || (rest.front() != '\\' && rest.front() != '/')) rest = "\\" + rest;
    const char drive = static_cast<char>(path[0] >= 'a' ? path[0] - 'a' + 'A' : path[0]);
    path = root + "\\" + std::string(1, drive) + rest;
  }
  return path;
}

PathKind pathKind(std::string_view suitePath) {
  const std::optional<std::wstring> path = systemPathIfAny(suitePath);
  const DWORD attributes = path ? GetFileAttributesW(path->c_str()) : INVALID_FILE_ATTRIBUTES;
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::kDirectory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return PathKind::kOther;
  return PathKind::kFile;
}

std::optional<std::uint64_t> fileLength(std::string_view suitePath) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::optional<std::wstring> path = systemPathIfAny(suitePath);
  if (!path || !GetFileAttributesExW(path->c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void removeFile(std::string_view suitePath) {
  if (!DeleteFileW(systemPath(suitePath).c_str())) raiseLastError(suitePath);
}

void replaceFile(std::string_view suitePath, std::string_view content) {
  const std::wstring target = systemPath(suitePath);
  const std::wstring temporary = systemPath(std::string(suitePath) + ".new");
  HANDLE h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) raiseLastError(suitePath);
  std::size_t done = 0;
  const bool written = writeAll(h, 0, content, done) && FlushFileBuffers(h);
  const DWORD error = GetLastError();
  CloseHandle(h);
  if (!written || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD cause = written ? GetLastError() : error;
    DeleteFileW(temporary.c_str());
    raiseSystemError(kindOf(cause), suitePath);
  }
}

void renameOver(std::string_view from, std::string_view to) {
  const std::wstring source = systemPath(from);
  const std::wstring target = systemPath(to);
  if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
  DWORD error = GetLastError();
  // Windows refuses to replace a file that another program holds open
  // without delete sharing as it refuses one the user may not replace:
  // access denied. Opening the target for deletion tells the two apart.
  if (error == ERROR_ACCESS_DENIED) {
    HANDLE probe = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      CloseHandle(probe);
    } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
      error = ERROR_SHARING_VIOLATION;
    }
  }
  raiseSystemError(kindOf(error), to);
}

ConfigurationRead readConfigurationFile(std::string_view suitePath, std::size_t limit, std::string& text) {
  text.clear();
  const std::optional<std::wstring> path = systemPathIfAny(suitePath);
  if (!path) return ConfigurationRead::kUnreadable;
  HANDLE h = sys(fault::Call::kOpen, INVALID_HANDLE_VALUE, [&] {
    return CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  });
  if (h == INVALID_HANDLE_VALUE) {
    const Kind kind = kindOf(GetLastError());
    return kind == Kind::kFileNotFound || kind == Kind::kPathNotFound ? ConfigurationRead::kMissing
                                                                      : ConfigurationRead::kUnreadable;
  }
  ConfigurationRead result = GetFileType(h) == FILE_TYPE_DISK ? ConfigurationRead::kRead : ConfigurationRead::kRefused;
  std::array<char, 4096> chunk{};
  while (result == ConfigurationRead::kRead) {
    DWORD n = 0;
    const auto wanted = static_cast<DWORD>((std::min)(chunk.size(), limit + 1 - text.size()));
    if (!sys(fault::Call::kRead, FALSE, [&] { return ReadFile(h, chunk.data(), wanted, &n, nullptr); })) {
      result = ConfigurationRead::kUnreadable;
    } else if (n == 0) {
      break;
    } else {
      text.append(chunk.data(), n);
      if (text.size() > limit) result = ConfigurationRead::kRefused;
    }
  }
  CloseHandle(h);
  if (result != ConfigurationRead::kRead) text.clear();
  return result;
}

void ignoreFileSizeSignal() {}  // Windows has no file-size signal

std::int16_t freeHandle() {
  for (std::int16_t h = 1; h <= kMaxHandle; ++h) {
    if (!isOpen(h)) return h;
  }
  raiseSystemError(Kind::kNoFreeHandle, {});
}

void openFile(std::int16_t handle, std::string_view suitePath, OpenMode mode) {
  if (handle < 1 || handle > kMaxHandle) raiseSystemError(Kind::kBadHandle, std::to_string(handle));
  if (isOpen(handle)) raiseSystemError(Kind::kHandleInUse, suitePath);
  if (nativePath(suitePath).empty()) raiseSystemError(Kind::kBadHandle, suitePath);
  const std::wstring path = systemPath(suitePath);
  // Archives and the file table are shared for reading and writing; the
  // semaphore is opened with no sharing at all, so that any second open of it,
  // by this program or another of the suite, anywhere, is a sharing violation.
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  DWORD disposition = OPEN_ALWAYS;
  if (mode == OpenMode::kSharedRead) {
    access = GENERIC_READ;
    disposition = OPEN_EXISTING;
  } else if (mode == OpenMode::kExclusive) {
    sharing = 0;
  }
  HANDLE h = sys(fault::Call::kOpen, INVALID_HANDLE_VALUE, [&] {
    return CreateFileW(path.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  });
  if (h == INVALID_HANDLE_VALUE) raiseLastError(suitePath);
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    raiseSystemError(Kind::kAccessDenied, suitePath);
  }
  handles()[static_cast<std::size_t>(handle)] = h;
  rememberPath(handle, suitePath);
}

bool isOpen(std::int16_t handle) {
  return handle >= 1 && handle <= kMaxHandle && handles()[static_cast<std::size_t>(handle)] != INVALID_HANDLE_VALUE;
}

std::size_t readAt(std::int16_t handle, std::uint64_t offset, char* out, std::size_t size) {
  HANDLE h = handleOf(handle);
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED o = at(offset + done);
    DWORD n = 0;
    if (!sys(fault::Call::kRead, FALSE, [&] { return ReadFile(h, out + done, static_cast<DWORD>(size - done), &n, &o); })) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      raiseLastError(subjectOf(handle));
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

void writeAt(std::int16_t handle, std::uint64_t offset, std::string_view bytes) {
  const fault::WritePoint writePoint(handle);
  HANDLE h = handleOf(handle);
  // What the file held where the bytes go, to put back if the write fails
  // part way: a record is written whole or not at all.
  const std::uint64_t oldLength = openFileLength(handle);
  std::string previous(bytes.size(), '\0');
  previous.resize(readAt(handle, offset, previous.data(), previous.size()));
  std::size_t done = 0;
  if (!writeAll(h, offset, bytes, done)) {
    const DWORD error = GetLastError();
    std::size_t restored = 0;
    if (done > 0) writeAll(h, offset, previous, restored);
    if (oldLength < offset + bytes.size()) truncateTo(h, oldLength);
    raiseSystemError(kindOf(error), subjectOf(handle));
  }
}

void writeOverAt(std::int16_t handle, std::uint64_t offset, std::string_view bytes, std::string_view held) {
  if (held.size() != bytes.size()) {
    writeAt(handle, offset, bytes);
    return;
  }
  const fault::WritePoint writePoint(handle);
  HANDLE h = handleOf(handle);
  std::size_t done = 0;
  if (!writeAll(h, offset, bytes, done)) {
    const DWORD error = GetLastError();
    std::size_t restored = 0;
    if (done > 0) writeAll(h, offset, held, restored);
    raiseSystemError(kindOf(error), subjectOf(handle));
  }
}

void setOpenFileLength(std::int16_t handle, std::uint64_t length) {
  const fault::WritePoint writePoint(handle);
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
  if (!sys(fault::Call::kSetLength, FALSE,
           [&] { return SetFileInformationByHandle(handleOf(handle), FileEndOfFileInfo, &end, sizeof end); })) {
    raiseLastError(subjectOf(handle));
  }
}

std::uint64_t openFileLength(std::int16_t handle) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handleOf(handle), &size)) raiseLastError(subjectOf(handle));
  return static_cast<std::uint64_t>(size.QuadPart);
}

void syncFile(std::int16_t handle) {
  fault::syncPoint(handle);
  HANDLE h = handleOf(handle);
  if (sys(fault::Call::kSync, FALSE, [&] { return FlushFileBuffers(h); })) return;
  // A handle open for reading only cannot flush: flush through one that writes.
  if (GetLastError() == ERROR_ACCESS_DENIED) {
    HANDLE writing = ReOpenFile(h, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    if (writing != INVALID_HANDLE_VALUE) {
      const bool flushed = FlushFileBuffers(writing);
      const DWORD error = GetLastError();
      CloseHandle(writing);
      if (flushed) return;
      SetLastError(error);
    }
  }
  raiseLastError(subjectOf(handle));
}

bool createNewFile(std::int16_t handle, std::string_view suitePath) {
  if (handle < 1 || handle > kMaxHandle) raiseSystemError(Kind::kBadHandle, std::to_string(handle));
  if (isOpen(handle)) raiseSystemError(Kind::kHandleInUse, suitePath);
  // CREATE_NEW refuses any name that exists; a reparse point (a link) at
  // the name is not followed.
  HANDLE h = sys(fault::Call::kOpen, INVALID_HANDLE_VALUE, [&] {
    return CreateFileW(systemPath(suitePath).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  });
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    raiseSystemError(kindOf(error), suitePath);
  }
  handles()[static_cast<std::size_t>(handle)] = h;
  rememberPath(handle, suitePath);
  return true;
}

void makeLike(std::int16_t handle, std::string_view) { (void)handleOf(handle); }

std::string linkTarget(std::string_view suitePath) { return std::string(suitePath); }

void closeHandle(std::int16_t handle) {
  if (!isOpen(handle)) return;
  CloseHandle(handles()[static_cast<std::size_t>(handle)]);
  handles()[static_cast<std::size_t>(handle)] = INVALID_HANDLE_VALUE;
  forgetPath(handle);
}

void closeAllHandles() {
  for (std::int16_t h = 1; h <= kMaxHandle; ++h) closeHandle(h);
}

}  // namespace vt::platform
