#include "temp_install.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "platform/cp1252.h"
#endif

#include "core/state.h"
#include "other_program.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "sample/sample_installation.h"

namespace vt::testing {

namespace fs = std::filesystem;

namespace {
#ifdef _WIN32
constexpr const char* kLockFolder = "TEMP";
constexpr const char* kSuiteKey = "SOFTWARE\\VELTRANI\\TESSARO";
std::string ownKey(const std::string& folder) { return "SOFTWARE\\VTMERV-TEST\\" + fs::path(folder).filename().string(); }
#else
constexpr const char* kLockFolder = "XDG_RUNTIME_DIR";
const std::string kSettingsFile = "config/VELTRANI/TESSARO.conf";
#endif
}  // namespace

TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; path_.empty(); ++attempt) {
    const fs::path folder = fs::temp_directory_path() / ("vtmerv-test-" + std::to_string(random()));
    if (fs::create_directory(folder)) path_ = folder.string();
    if (attempt > 100) throw std::runtime_error("no temporary folder");
  }
  for (const char* name : {"TESSARO_DRIVES", "XDG_CONFIG_HOME", kLockFolder}) {
    const char* value = std::getenv(name);
    previousEnvironment_[name] = {value != nullptr, value != nullptr ? value : ""};
  }
  setEnvironment("TESSARO_DRIVES", (path_ + "/drives").c_str());
  setEnvironment("XDG_CONFIG_HOME", (path_ + "/config").c_str());
  setEnvironment(kLockFolder, (path_ + "/run").c_str());
#ifdef _WIN32
  HKEY own = nullptr;
  RegCreateKeyW(HKEY_CURRENT_USER, platform::wideOf(ownKey(path_)).c_str(), &own);
  RegOverridePredefKey(HKEY_CURRENT_USER, own);
  registry_ = own;
#endif
  platform::closeAllHandles();
  platform::releaseSoleInstance();
  resetState();
}

TempFolder::~TempFolder() {
  platform::closeAllHandles();
  platform::releaseSoleInstance();
#ifdef _WIN32
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(static_cast<HKEY>(registry_));
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::wideOf(ownKey(path_)).c_str());
#endif
  for (const auto& [name, previous] : previousEnvironment_) {
    setEnvironment(name.c_str(), previous.first ? previous.second.c_str() : nullptr);
  }
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& relative, const std::string& bytes) const {
  fs::path file = fs::path(path_) / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::read(const std::string& relative) const {
  std::ifstream in(fs::path(path_) / relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::exists(const std::string& relative) const { return fs::exists(fs::path(path_) / relative); }

void TempFolder::installSample() const {
  sample::createSampleInstallation(path_ + "/drives", path_ + "/config");
#ifdef _WIN32  // the registry is no file of the installation
  setRegistryText("PERCORSOARCHIVI", sample::kArchivesDirectory);
  setRegistryText("PERCORSOPROGRAMMI", sample::kProgramsDirectory);
#endif
}

std::map<std::string, std::string> TempFolder::files() const {
  std::map<std::string, std::string> found;
  for (const char* top : {"drives", "config"}) {
    if (!exists(top)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(path_) / top)) {
      if (!entry.is_regular_file()) continue;
      const std::string relative = fs::relative(entry.path(), path_).generic_string();
      found[relative] = read(relative);
    }
  }
  return found;
}

void TempFolder::setRegistryText(const std::string& name, const std::string& text) const {
#ifdef _WIN32
  // In UTF-16, as Windows keeps it, whatever the code page.
  const std::wstring wide = platform::wideOf(text);
  RegSetKeyValueW(HKEY_CURRENT_USER, platform::wideOf(kSuiteKey).c_str(), platform::wideOf(name).c_str(), REG_SZ,
                  wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
#else  // a later line of the settings file wins
  const std::string settings = read(kSettingsFile);
  write(kSettingsFile, (settings.empty() ? "[General]\r\n" : settings) + name + "=" + text + "\r\n");
#endif
}

void TempFolder::setRegistryNumber(const std::string& name, std::uint32_t number) const {
#ifdef _WIN32
  RegSetKeyValueW(HKEY_CURRENT_USER, platform::wideOf(kSuiteKey).c_str(), platform::wideOf(name).c_str(), REG_DWORD,
                  &number, sizeof number);
#else
  char text[16];
  std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
  setRegistryText(name, text);
#endif
}

void TempFolder::clearRegistry() const {
#ifdef _WIN32
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\VELTRANI");
#else
  fs::remove_all(fs::path(path_) / "config");
#endif
}

}  // namespace vt::testing
