// What the operating system gives for files, in the suite's own terms.
//
// Everything above this layer speaks the suite's paths as the suite writes
// them: Windows paths such as "C:\PWELKIN\WKPERARK.WKP" or PERARK followed by
// a backslash and a file name. This layer turns them into native paths when it
// touches a file, and reports every refusal of the system as a SystemError
// (platform/system_error.h); what a refusal means to the program is decided
// above this layer.
//
// Files are reached through small handle numbers, the lowest free first, as
// the suite's programs reach them; a handle number is stored in NUMEROFILE.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vt::platform {

// --- Paths -------------------------------------------------------------------

// The folder under which a drive letter X of a suite path is the folder X:
// $TESSARO_DRIVES when set, otherwise ~/.tessaro/drives on POSIX systems and
// "" on Windows (the drives are the system's own).
std::string drivesRoot();

// The native path of a suite path. On Windows it is the path as written,
// except that with a drives root "X:" at the start becomes the folder X under
// it. On POSIX systems backslashes become slashes; "X:" at the start becomes
// the folder X under the drives root; any other path is taken as it stands.
// When the path does not exist as written, each of its parts is looked up
// without regard to case (the suite's names come from Windows).
std::string nativePath(std::string_view suitePath);

// A native path as the standard library's file system names it, and back.
// On Windows the Windows-1252 bytes become UTF-16 through the program's table
// (platform/cp1252.h: the library would read them in the system's code page,
// which need not be 1252), and a path too long for the system's ordinary
// form takes its extended form ("\\?\C:\...", "\\?\UNC\server\..."), which
// nativeText takes off again. Elsewhere the bytes as they stand.
std::filesystem::path fileSystemPath(std::string_view native);
std::string nativeText(const std::filesystem::path& path);

enum class PathKind { kMissing, kFile, kDirectory, kOther };
PathKind pathKind(std::string_view suitePath);

// The length in bytes of the file at `suitePath`, or nothing when there is
// no such file.
std::optional<std::uint64_t> fileLength(std::string_view suitePath);

// Deletes the file, or raises the system's refusal.
void removeFile(std::string_view suitePath);

// Replaces the file's content so that a crash leaves either the old content
// or the new one: the new content is written beside it and put on disk, then
// renamed over it, and the rename is put on disk too.
void replaceFile(std::string_view suitePath, std::string_view content);

// Renames the file `from` over `to` in one step (another process sees the
// old file or the new one, never neither) and makes the rename durable.
// Both must lie in the same folder. Refusals are the system's; a `to` that
// another program holds open so that it cannot be replaced (on Windows, a
// file opened without delete sharing, as the suite opens its archives) is a
// sharing violation.
void renameOver(std::string_view from, std::string_view to);

// --- Configuration files -----------------------------------------------------

enum class ConfigurationRead {
  kRead,        // the whole file is in the text
  kMissing,     // no such file, or a folder on the way is missing
  kUnreadable,  // the system refused to open or to read it
  kRefused,     // not a regular file (a folder, a device, a pipe), or longer than the limit
};

// Reads the whole configuration file at `suitePath` into `text` ("" unless
// kRead): only a regular file, opened without waiting (a pipe with no writer
// or a device does not hold the program in the open), and only when it holds
// at most `limit` bytes; never more than `limit` + 1 bytes are read.
ConfigurationRead readConfigurationFile(std::string_view suitePath, std::size_t limit, std::string& text);

#ifndef _WIN32
// The same for a native path, taken as it stands (the registry's stand-in).
ConfigurationRead readNativeConfigurationFile(const std::string& path, std::size_t limit, std::string& text);
#endif

// --- The process -------------------------------------------------------------

// Makes a write past the process's file-size limit a refused write (disk full)
// instead of the end of the process: on POSIX systems the signal the system
// sends for it (SIGXFSZ) is ignored, so the write fails with EFBIG. Nothing to
// do on Windows. Each program calls it first thing.
void ignoreFileSizeSignal();

// --- Handles -----------------------------------------------------------------

inline constexpr std::int16_t kMaxHandle = 511;

enum class OpenMode {
  kSharedRead,       // reading, others may read and write; the file must exist
  kSharedReadWrite,  // reading and writing, others too; an absent file is created empty
  kExclusive,        // reading and writing, nobody else may hold it exclusively;
                     // created when absent; a file held by another is a
                     // sharing violation
};

// Whether the system may refuse an open of a file that another process holds
// with no sharing as "access denied" instead of a sharing violation: on
// Windows a file server may, and so may a file that another process is
// deleting; a POSIX system never does (there "access denied" is a
// permission that no wait mends).
#ifdef _WIN32
inline constexpr bool kHeldFileMayBeAccessDenied = true;
#else
inline constexpr bool kHeldFileMayBeAccessDenied = false;
#endif

// The lowest handle number not in use (kNoFreeHandle when none is left).
std::int16_t freeHandle();

// Opens `suitePath` under `handle`. A handle already in use is kHandleInUse.
void openFile(std::int16_t handle, std::string_view suitePath, OpenMode mode);

bool isOpen(std::int16_t handle);

// The refusals of the calls below name the path the handle was opened on.

// Reads up to `size` bytes at `offset`; returns how many were read (fewer
// at the end of the file). A handle not open is kBadHandle.
std::size_t readAt(std::int16_t handle, std::uint64_t offset, char* out, std::size_t size);

// Writes all of `bytes` at `offset`, or raises the system's refusal and
// leaves the file as it was.
void writeAt(std::int16_t handle, std::uint64_t offset, std::string_view bytes);

// As writeAt, for bytes that replace `held`: bytes of the same length that
// the caller read at `offset` itself, inside the file, and that nobody can
// have changed since (the caller holds the file as it held it then). A
// write refused part way puts `held` back, so the file is not read first.
void writeOverAt(std::int16_t handle, std::uint64_t offset, std::string_view bytes, std::string_view held);

// The current length of the open file.
std::uint64_t openFileLength(std::int16_t handle);

// Cuts the open file to `length` bytes (or lengthens it with zeros), or
// raises the system's refusal. Counted by the fault seam as a write.
void setOpenFileLength(std::int16_t handle, std::uint64_t length);

// Writes everything written through the handle to the disk before it
// returns, or raises the system's refusal.
void syncFile(std::int16_t handle);

// Creates the file `suitePath` and opens it under `handle` for reading and
// writing, only when nothing at all lies at that name: a file, a folder or a
// link there (even a link that leads nowhere) gives false and opens nothing,
// so that no file is ever written through a link planted at a new name.
// Other refusals are the system's. Until makeLike, only its owner may read
// or write it.
bool createNewFile(std::int16_t handle, std::string_view suitePath);

// Gives the open file `handle` the owner, group and permission bits of the
// file at `modelSuitePath`, and its access control list where the file
// system has one (none is no fault): a file made to replace or sit beside
// that one serves the same users. When the owner or group cannot be given
// (only the administrator may give a file away), the permission bits are
// given all the same and the refusal raised. On Windows nothing is copied:
// a new file takes the permissions its folder gives new files, which need
// not be the model's (a file rewritten in place keeps its own).
void makeLike(std::int16_t handle, std::string_view modelSuitePath);

// The path of the file that `suitePath` names, every link on the way
// followed (a native path); `suitePath` itself when it is no link (always on
// Windows).
std::string linkTarget(std::string_view suitePath);

// Closes the handle; a handle not open is left alone.
void closeHandle(std::int16_t handle);

// Closes every handle the program has open (and so releases every lock).
void closeAllHandles();

}  // namespace vt::platform
