// The registry, read only, in the calls the suite makes: open a key under a
// root key, ask a value's type and size, read it, close the key.
//
// On Windows these are RegOpenKeyExW (for reading), RegQueryValueExW and
// RegCloseKey: names go to the system and text values come back in UTF-16,
// converted from and to the suite's Windows-1252 through the program's table
// (platform/cp1252.h). A text value holding a character that Windows-1252
// has not (a folder named in another script) reads as absent, as does one
// longer than kSettingsFileLimit bytes: the suite's programs could not name
// that folder, and a look-alike in Windows-1252 could be another folder.
//
// On other systems the current user's registry is stood in for by settings
// files in the user's configuration folder ($XDG_CONFIG_HOME, or ~/.config
// when that is unset or empty). The key "SOFTWARE\<Vendor>\<Product>" under
// HKEY_CURRENT_USER is the file <config>/<Vendor>/<Product>.conf, an INI text
// file whose [General] section holds the key's values, one "NAME=value" a line:
//
//   [General]
//   PERCORSOARCHIVI=C:\PWELKIN\ARCHIVI
//   PERCORSOPROGRAMMI=/srv/tessaro/programmi
//   CONTATORE=dword:0000001f
//
// Names are matched without regard to case, as the registry matches them.
// Blanks around the name and the value are ignored; a value written between
// double quotes loses them and keeps everything inside as it stands (no escape
// sequences). A value of the form "dword:" and eight hexadecimal digits, as
// the registry's own export files write them, is a 32-bit number; any other
// value is text. Lines beginning with ";" or "#" are comments. An absent file,
// section or name reads as an absent key or value, as on Windows. The file is
// read only when it is a regular file of at most kSettingsFileLimit bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vt::platform {

// The most a settings file may hold: its few values fit many times over.
inline constexpr std::size_t kSettingsFileLimit = 64 * 1024;

// Raised by registryOpenKey, naming the settings file (what()), when the file
// is there but is not a regular file or is longer than kSettingsFileLimit:
// the installation is broken, and taking the key for absent would hide it.
class SettingsFileRefused : public std::runtime_error {
 public:
  explicit SettingsFileRefused(const std::string& file) : std::runtime_error(file) {}
};

// A registry key handle, 32 bits wide as the suite passes it.
using RegistryKey = std::uint32_t;

// The predefined root of the current user's keys.
inline constexpr RegistryKey kCurrentUser = 0x80000001u;

// Value types, with the registry's numbers.
inline constexpr std::uint32_t kRegText = 1;    // REG_SZ
inline constexpr std::uint32_t kRegNumber = 4;  // REG_DWORD

// Opens `path` under `root`; true with the open key in `key`, false when the
// key does not exist or cannot be opened.
bool registryOpenKey(RegistryKey root, std::string_view path, RegistryKey& key);

// The type and the data size in bytes of value `name` of an open key; for
// text the size counts the terminating NUL. False when there is no such value.
bool registryQueryInfo(RegistryKey key, std::string_view name, std::uint32_t& type, std::uint32_t& size);

// Reads the data of text value `name` into `buffer`, whose length is the
// space offered; the text is followed by NUL characters. False when the value
// is absent, not text, or longer than the buffer.
bool registryQueryText(RegistryKey key, std::string_view name, std::string& buffer);

// Reads 32-bit number value `name`. False when absent or not a number.
bool registryQueryNumber(RegistryKey key, std::string_view name, std::uint32_t& value);

// Closes a key opened by registryOpenKey; a key not open is left alone.
void registryCloseKey(RegistryKey key);

// The stand-in's settings file for `path` under the current user, as a
// native path; "" when the path is not of the form SOFTWARE\<Vendor>\<Product>
// or on Windows, where the real registry is used.
std::string registrySettingsFile(std::string_view path);

}  // namespace vt::platform
