// The platform's pieces that hold on every system, Windows included: the
// program's Windows-1252 table, and what the operator reads for each
// refusal of the system (platform/error_kinds.h through core/failure.h).
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "core/failure.h"
#include "platform/cp1252.h"
#include "platform/error_kinds.h"
#include "platform/files.h"
#include "temp_install.h"

#ifdef _WIN32
#include <windows.h>
// Windows' codes by winerror.h's names there, so that a wrong number in the
// table fails; elsewhere by their numbers.
#define WINDOWS_ERROR(name, number) ERROR_##name
#else
#include <iconv.h>
#define WINDOWS_ERROR(name, number) number
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
