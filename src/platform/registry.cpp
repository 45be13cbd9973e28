#include "platform/registry.h"

#ifdef _WIN32

#include <windows.h>

#include <optional>

#include "platform/cp1252.h"

namespace vt::platform {
namespace {

// A key handle widened back to the system's: the predefined keys are 32-bit
// values sign-extended to the pointer's width, as the system's headers define
// them (HKEY_CURRENT_USER is 0xFFFFFFFF80000001 in a 64-bit program).
HKEY toHkey(RegistryKey key) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
}

// A value as the wide call gives it: its type and, for text, its characters
// up to the first NUL.
struct WideValue {
  DWORD type = REG_NONE;
  DWORD size = 0;  // of the data, in bytes
  std::wstring text;
};

// Reads value `name` of `key`; nothing when it is absent, unreadable or
// larger than kSettingsFileLimit bytes (no path of the suite is that long).
std::optional<WideValue> readWide(RegistryKey key, std::string_view name) {
  const std::wstring wideName = wideOf(name);
  WideValue value;
  DWORD size = 0;
  if (RegQueryValueExW(toHkey(key), wideName.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS ||
      size > kSettingsFileLimit) {
    return std::nullopt;
  }
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegQueryValueExW(toHkey(key), wideName.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data.data()),
                       &got) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.size = got;
  data.resize(got / sizeof(wchar_t));
  value.text = data.substr(0, data.find(L'\0'));
  return value;
}

// The Windows-1252 text of a text value; nothing for a value that is not
// text or that holds a character Windows-1252 has not: the suite's programs
// cannot name such a folder, and a near likeness of it could be another one.
std::optional<std::string> textOf(const std::optional<WideValue>& value) {
  if (!value || value->type != REG_SZ) return std::nullopt;
  bool lossless = true;
  std::string text = cp1252Of(value->text, lossless);
  if (!lossless) return std::nullopt;
  return text;
}

}  // namespace

bool registryOpenKey(RegistryKey root, std::string_view path, RegistryKey& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(toHkey(root), wideOf(path).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  key = static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(opened));
  return true;
}

bool registryQueryInfo(RegistryKey key, std::string_view name, std::uint32_t& type, std::uint32_t& size) {
  std::optional<WideValue> value = readWide(key, name);
  if (!value) return false;
  type = value->type;
  size = value->size;
  if (value->type == REG_SZ) {
    const std::optional<std::string> text = textOf(value);
    if (!text) return false;
    size = static_cast<std::uint32_t>(text->size() + 1);
  }
  return true;
}

bool registryQueryText(RegistryKey key, std::string_view name, std::string& buffer) {
  const std::optional<std::string> text = textOf(readWide(key, name));
  if (!text || text->size() + 1 > buffer.size()) return false;
  buffer.replace(0, text->size(), *text);
  buffer[text->size()] = '\0';
  return true;
}

bool registryQueryNumber(RegistryKey key, std::string_view name, std::uint32_t& value) {
  DWORD t = 0;
  DWORD v = 0;
  DWORD s = sizeof v;
  if (RegQueryValueExW(toHkey(key), wideOf(name).c_str(), nullptr, &t, reinterpret_cast<BYTE*>(&v), &s) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (t != REG_DWORD) return false;
  value = v;
  return true;
}

void registryCloseKey(RegistryKey key) { RegCloseKey(toHkey(key)); }

std::string registrySettingsFile(std::string_view) { return {}; }

}  // namespace vt::platform

#else  // the settings-file stand-in

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/files.h"

namespace vt::platform {
namespace {

constexpr std::string_view kSettingsSection = "[General]";
constexpr std::string_view kSettingsExtension = ".conf";
constexpr std::string_view kSoftwareRoot = "SOFTWARE";
constexpr std::string_view kNumberPrefix = "dword:";
constexpr std::size_t kNumberDigits = 8;
constexpr int kHexBase = 16;

struct Value {
  std::uint32_t type = kRegText;
  std::string text;
  std::uint32_t number = 0;
};

using Values = std::map<std::string, Value>;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> keyParts(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string configFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') return config;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config";
}

// A value's text as written after "=": a 32-bit number when it reads
// "dword:" and eight hexadecimal digits, otherwise text.
Value parseValue(std::string_view written) {
  Value value;
  std::string text = trimmed(written);
  if (text.size() == kNumberPrefix.size() + kNumberDigits && upper(text.substr(0, kNumberPrefix.size())) == upper(kNumberPrefix)) {
    std::string digits = text.substr(kNumberPrefix.size());
    if (digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
      value.type = kRegNumber;
      value.number = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, kHexBase));
      return value;
    }
  }
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  value.text = text;
  return value;
}

std::optional<Values> readSettings(const std::string& file) {
  std::string text;
  switch (readNativeConfigurationFile(file, kSettingsFileLimit, text)) {
    case ConfigurationRead::kRead: break;
    case ConfigurationRead::kRefused: throw SettingsFileRefused(file);
    case ConfigurationRead::kMissing:
    case ConfigurationRead::kUnreadable: return std::nullopt;
  }
  std::istringstream in(text);
  Values values;
  bool inGeneral = false;
  std::string line;
  while (std::getline(in, line)) {
    std::string t = trimmed(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') continue;
    if (t.front() == '[') {
      inGeneral = upper(t) == upper(kSettingsSection);
      continue;
    }
    std::size_t equals = t.find('=');
    if (!inGeneral || equals == std::string::npos) continue;
    std::string name = upper(trimmed(std::string_view(t).substr(0, equals)));
    if (name.empty()) continue;
    values[name] = parseValue(std::string_view(t).substr(equals + 1));
  }
  return values;
}

std::map<RegistryKey, Values>& openKeys() {
  static std::map<RegistryKey, Values> keys;
  return keys;
}

const Value* findValue(RegistryKey key, std::string_view name) {
  auto open = openKeys().find(key);
  if (open == openKeys().end()) return nullptr;
  auto found = open->second.find(upper(name));
  return found == open->second.end() ? nullptr : &found->second;
}

}  // namespace

std::string registrySettingsFile(std::string_view path) {
  std::vector<std::string> parts = keyParts(path);
  if (parts.size() != 3 || upper(parts[0]) != kSoftwareRoot) return {};
  return configFolder() + "/" + parts[1] + "/" + parts[2] + std::string(kSettingsExtension);
}

bool registryOpenKey(RegistryKey root, std::string_view path, RegistryKey& key) {
  if (root != kCurrentUser) return false;
  std::string file = registrySettingsFile(path);
  if (file.empty()) return false;
  std::optional<Values> values = readSettings(file);
  if (!values) return false;
  static RegistryKey next = 1;
  key = next++;
  openKeys()[key] = std::move(*values);
  return true;
}

bool registryQueryInfo(RegistryKey key, std::string_view name, std::uint32_t& type, std::uint32_t& size) {
  const Value* value = findValue(key, name);
  if (value == nullptr) return false;
  type = value->type;
  size = value->type == kRegText ? static_cast<std::uint32_t>(value->text.size() + 1)
                                 : static_cast<std::uint32_t>(sizeof(std::uint32_t));
  return true;
}

bool registryQueryText(RegistryKey key, std::string_view name, std::string& buffer) {
  const Value* value = findValue(key, name);
  if (value == nullptr || value->type != kRegText || value->text.size() + 1 > buffer.size()) return false;
  buffer.replace(0, value->text.size(), value->text);
  buffer[value->text.size()] = '\0';
  return true;
}

bool registryQueryNumber(RegistryKey key, std::string_view name, std::uint32_t& value) {
  const Value* found = findValue(key, name);
  if (found == nullptr || found->type != kRegNumber) return false;
  value = found->number;
  return true;
}

void registryCloseKey(RegistryKey key) { openKeys().erase(key); }

}  // namespace vt::platform

#endif
