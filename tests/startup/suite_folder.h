// A throw-away installation of the suite for the start-up's tests: a temp
// folder as the drives root ("C:\..." lies under drives/C), the user's
// configuration folder (the registry stand-in) and run-time folder (the
// second-copy lock) inside it, and helpers that write the registry values, the
// path files and the task file. On Windows the current user's registry is, for
// the life of the object, a key of the test's own, removed at the end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/state.h"
#include "other_program.h"
#include "platform/instance.h"
#include "sample/sample_installation.h"
#include "temp_install.h"

namespace vt::testing {

// Sets an environment variable for the life of the object.
class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      previous_ = old;
    }
    setEnvironment(name, value.c_str());
  }
  ~EnvironmentValue() { setEnvironment(name_, had_ ? previous_.c_str() : nullptr); }
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;

 private:
  const char* name_;
  std::string previous_;
  bool had_ = false;
};

class SuiteFolder : public TempFolder {
 public:
#ifdef _WIN32
  SuiteFolder() : config_("XDG_CONFIG_HOME", ""), runtime_("TEMP", path() + "\\run") {
    ownKey_ = "SOFTWARE\\VTMERV-TEST\\" + path().substr(path().find_last_of("\\/") + 1);
    RegCreateKeyA(HKEY_CURRENT_USER, ownKey_.c_str(), &root_);
    RegOverridePredefKey(HKEY_CURRENT_USER, root_);
#else
  SuiteFolder()
      : config_("XDG_CONFIG_HOME", path() + "/config"), runtime_("XDG_RUNTIME_DIR", path() + "/run") {
#endif
    platform::releaseSoleInstance();
    S().NOMEPROGRAMMA = "VTMERV";
  }
  ~SuiteFolder() {
    platform::releaseSoleInstance();
#ifdef _WIN32
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(root_);
    RegDeleteTreeA(HKEY_CURRENT_USER, ownKey_.c_str());
#endif
  }

  // A value of the suite's registry key, text (REG_SZ) or a 32-bit number.
  void setRegistryText(const std::string& name, const std::string& text) {
#ifdef _WIN32
    RegSetKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\VELTRANI\\TESSARO", name.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>(text.size() + 1));
#else
    registry_ += name + "=" + text + "\r\n";
    write("config/VELTRANI/TESSARO.conf", "[General]\r\n" + registry_);
#endif
  }
  void setRegistryNumber(const std::string& name, std::uint32_t number) {
#ifdef _WIN32
    RegSetKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\VELTRANI\\TESSARO", name.c_str(), REG_DWORD, &number, sizeof number);
#else
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
    setRegistryText(name, text);
#endif
  }

  // The native folder of a suite path on drive C ("PWELKIN\ARCHIVI").
  std::string onDriveC(const std::string& relative) const { return "drives/C/" + relative; }

  // The registry values of the suite (either may be "" for an absent value).
  void writeRegistry(const std::string& archives, const std::string& programs) {
    if (!archives.empty()) setRegistryText("PERCORSOARCHIVI", archives);
    if (!programs.empty()) setRegistryText("PERCORSOPROGRAMMI", programs);
  }
  // No value of the suite's registry key at all.
  void clearRegistry() {
#ifdef _WIN32
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\VELTRANI");
#else
    registry_.clear();
    std::filesystem::remove_all(path() + "/config");
#endif
  }
  // The sample installation; on Windows its registry values go to the
  // registry, which is not a file of the installation.
  void createSample() {
    sample::createSampleInstallation(path() + "/drives", path() + "/config");
#ifdef _WIN32
    writeRegistry(sample::kArchivesDirectory, sample::kProgramsDirectory);
#endif
  }
  // A directory, made on drive C.
  void makeDirectory(const std::string& relative) const { write(onDriveC(relative) + "/.keep", ""); }
  // The two path files, each with `archives` / `programs` as its content.
  void writeArchivesPathFile(const std::string& content) const { write(onDriveC("PWELKIN/WKPERARK.WKP"), content); }
  void writeProgramsPathFile(const std::string& content) const { write(onDriveC("PWELKIN/WKPERPRO.WKP"), content); }
  void writeTaskFile(const std::string& content) const { write(onDriveC("TARNIX/TARNIX.INI"), content); }
  std::string taskFileContent() const { return read(onDriveC("TARNIX/TARNIX.INI")); }
  bool taskFileExists() const { return exists(onDriveC("TARNIX/TARNIX.INI")); }

 private:
  EnvironmentValue config_;
  EnvironmentValue runtime_;
#ifdef _WIN32
  std::string ownKey_;
  HKEY root_ = nullptr;
#else
  std::string registry_;
#endif
};

}  // namespace vt::testing
