// The platform's pieces that hold on every system, Windows included: the
// program's Windows-1252 table, and what the operator reads for each
// refusal of the system (platform/error_kinds.h through core/failure.h).
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "core/failure.h"
#include "platform/cp1252.h"
#include "platform/error_kinds.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "temp_install.h"

#ifdef _WIN32
#include <windows.h>
// Windows' codes by winerror.h's names there, so that a wrong number in the
// table fails; elsewhere by their numbers.
#define WINDOWS_ERROR(name, number) ERROR_##name
#define SYSTEM_ERROR(posix, windows, number) ERROR_##windows
#else
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>
#define WINDOWS_ERROR(name, number) number
#define SYSTEM_ERROR(posix, windows, number) posix
#endif

namespace vt {
namespace {

// The character the system's own Windows-1252 gives `byte`, when it has one.
std::optional<char16_t> systemCharacter(char byte) {
  char16_t c = 0;
#ifdef _WIN32
  wchar_t w = 0;
  if (MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, &byte, 1, &w, 1) != 1) return std::nullopt;
  c = static_cast<char16_t>(w);
#else
  iconv_t cd = iconv_open("UTF-16LE", "CP1252");
  char* in = &byte;
  char* out = reinterpret_cast<char*>(&c);
  std::size_t inLeft = 1, outLeft = sizeof c;
  const std::size_t converted = iconv(cd, &in, &inLeft, &out, &outLeft);
  iconv_close(cd);
  if (converted == static_cast<std::size_t>(-1)) return std::nullopt;
#endif
  return c;
}

TEST(Cp1252, EveryByteIsTheSystemsCharacterAndComesBackUnchanged) {
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    if (std::optional<char16_t> expected = systemCharacter(byte)) {
      EXPECT_EQ(platform::unicodeOf(byte), *expected) << b;
    }
    EXPECT_EQ(platform::cp1252Of(platform::unicodeOf(byte)), byte) << b;
  }
  EXPECT_EQ(platform::cp1252Of(u"\u20AC\u0410\u00E8"), "\x80?\xE8");
}

// "Errore <code> <description>" as the trap shows a refusal on `subject`.
std::string shown(platform::SystemErrorKind kind, const std::string& subject) {
  try {
    raiseFailure(failureCode(kind), subject);
  } catch (const RuntimeFailure& failure) {
    return std::to_string(failure.code()) + " " + failure.description();
  }
  return {};
}

TEST(SystemRefusals, ANetworkDriveGoneSaysSoAndAMissingOneIsAPathNotFound) {
  const std::string file = "P:\\ARCHIVI\\DIPEND.DAT";
  const std::string gone = "68 Periferica non disponibile (unit\xE0 di rete non pi\xF9 raggiungibile): " + file;
  const std::string missing = "76 Impossibile trovare il percorso: " + file;
  const std::pair<std::uint32_t, std::string> windows[] = {
      {WINDOWS_ERROR(NETNAME_DELETED, 64), gone},     {WINDOWS_ERROR(UNEXP_NET_ERR, 59), gone},
      {WINDOWS_ERROR(NETWORK_UNREACHABLE, 1231), gone}, {WINDOWS_ERROR(NOT_CONNECTED, 2250), gone},
      {WINDOWS_ERROR(DEV_NOT_EXIST, 55), gone},       {WINDOWS_ERROR(CONNECTION_ABORTED, 1236), gone},
      {WINDOWS_ERROR(SEM_TIMEOUT, 121), gone},        {WINDOWS_ERROR(VC_DISCONNECTED, 240), gone},
      {WINDOWS_ERROR(BAD_NETPATH, 53), missing},      {WINDOWS_ERROR(BAD_NET_NAME, 67), missing},
      {WINDOWS_ERROR(FILENAME_EXCED_RANGE, 206), "64 Nome di file non valido (percorso troppo lungo): " + file},
      {WINDOWS_ERROR(SHARING_VIOLATION, 32), "70 Autorizzazione negata: " + file}};
  for (const auto& [code, text] : windows) {
    EXPECT_EQ(shown(platform::kindIn(platform::kWindowsErrors, code), file), text) << code;
  }
#ifndef _WIN32
  for (int error : {ENOTCONN, ESTALE, EHOSTDOWN, EHOSTUNREACH, ENETDOWN, ENETUNREACH, ECONNABORTED, ECONNRESET,
                    EREMOTEIO, ENOLINK}) {
    EXPECT_EQ(shown(platform::kindIn(platform::kPosixErrors, static_cast<std::uint32_t>(error)), file), gone) << error;
  }
  EXPECT_EQ(shown(platform::kindIn(platform::kPosixErrors, EIO), file), "57 Errore di I/O della periferica: " + file);
#endif
}

// One table for both implementations of the file layer: what the system
// refuses, in a situation either system can make here or at the system call
// itself (the seam gives the system's own error), and the code the operator
// then sees. A read-only file refuses only an ordinary user: the row runs as
// one where the test may become one (POSIX), and not at all where the user
// may write such files anyway (Wine as root).
TEST(SystemRefusals, BothFileLayersRefuseAlikeWithTheCodeTheOperatorSees) {
  using platform::fault::Call;
  using Mode = platform::OpenMode;
  testing::TempFolder folder;
  const std::string file = "C:\\T\\ARCHIVIO.DAT";  // the drives root is the folder's
  folder.write("drives/C/T/ARCHIVIO.DAT", std::string(100, 'A'));
  folder.write("drives/C/T/LETTURA.DAT", "X");
  std::filesystem::permissions(folder.path() + "/drives/C/T/LETTURA.DAT", std::filesystem::perms::owner_read);
  static char into[100];
  const auto open = [](std::string path, Mode mode) { return [=] { platform::openFile(1, path, mode); }; };
  const auto onFile = [&](void (*act)(std::int16_t)) { return [&file, act] { platform::openFile(1, file, Mode::kSharedReadWrite), act(1); }; };
  const auto read = [](std::int16_t h) { platform::readAt(h, 0, into, sizeof into); };
  struct Row {
    const char* what;
    std::function<void()> act;
    std::int16_t code;
    std::optional<Call> call = {};
    int error = 0;  // the error the system call gives
  };
  const Row rows[] = {
      {"a file held with no sharing", [&] { open(file, Mode::kExclusive)(), platform::openFile(2, file, Mode::kExclusive); },
       err::kPermissionDenied},
      {"a read-only file opened to write", open("C:\\T\\LETTURA.DAT", Mode::kSharedReadWrite), err::kPathFileAccess},
      {"an open refused", open(file, Mode::kSharedReadWrite), err::kPathFileAccess, Call::kOpen, SYSTEM_ERROR(EACCES, ACCESS_DENIED, 5)},
      {"a read the device refuses", onFile(read), err::kDeviceIo, Call::kRead, SYSTEM_ERROR(EIO, IO_DEVICE, 1117)},
      {"a write on a full disk", onFile([](std::int16_t h) { platform::writeAt(h, 0, "B"); }), err::kDiskFull, Call::kWrite,
       SYSTEM_ERROR(ENOSPC, DISK_FULL, 112)},
      {"a flush the device refuses", onFile(platform::syncFile), err::kDeviceIo, Call::kSync, SYSTEM_ERROR(EIO, IO_DEVICE, 1117)},
      {"a length the device refuses", onFile([](std::int16_t h) { platform::setOpenFileLength(h, 10); }), err::kDeviceIo,
       Call::kSetLength, SYSTEM_ERROR(EIO, IO_DEVICE, 1117)},
      {"a network drive gone under a read", onFile(read), err::kDeviceUnavailable, Call::kRead,
       SYSTEM_ERROR(ESTALE, NETNAME_DELETED, 64)},
  };
  const auto outcome = [](const Row& row) -> int {
    if (row.call) platform::fault::refuseCall(*row.call, 1, row.error);
    int code = 0;
    try {
      systemCall(row.act);
    } catch (const RuntimeFailure& failure) {
      code = failure.code();
    }
    platform::fault::refuseCall(Call::kOpen, 0, 0);
    platform::closeAllHandles();
    return code;
  };
  for (const Row& row : rows) {
    int code = -1;
    if (row.code == err::kPathFileAccess && !row.call) {
#ifdef _WIN32
      if (std::ofstream(folder.path() + "/drives/C/T/LETTURA.DAT", std::ios::app)) continue;  // the administrator
#else
      if (const pid_t child = ::fork(); child == 0) {
        ::_exit(::geteuid() == 0 && (::setgid(4343) != 0 || ::setuid(4242) != 0) ? 90 : outcome(row));
      } else {
        int status = 0;
        ::waitpid(child, &status, 0);
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
#endif
    } else {
      code = outcome(row);
    }
    EXPECT_EQ(code, row.code) << row.what;
  }
  EXPECT_EQ(folder.read("drives/C/T/ARCHIVIO.DAT"), std::string(100, 'A'));
}

TEST(SystemRefusals, APathNoCallCanTakeIsNamedAsTooLong) {
  testing::TempFolder folder;
  const std::string path = folder.path() + "\\" + std::string(40000, 'A') + "\\DIPEND.DAT";
  try {
    systemCall([&] { platform::openFile(1, path, platform::OpenMode::kSharedRead); });
    ADD_FAILURE() << "opened";
  } catch (const RuntimeFailure& failure) {
    EXPECT_EQ(failure.code(), err::kPathTooLong);
    EXPECT_EQ(failure.description(), "Nome di file non valido (percorso troppo lungo): " + path);
  }
}

}  // namespace
}  // namespace vt
