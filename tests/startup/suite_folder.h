// A throw-away installation of the suite for the start-up's tests: a temp
// folder as the drives root ("C:\..." lies under drives/C), the user's
// configuration folder (the registry stand-in) and run-time folder (the
// second-copy lock) inside it, and helpers that write the registry values, the
// path files and the task file.
#pragma once

#include <cstdlib>
#include <string>

#include "core/state.h"
#include "platform/instance.h"
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
    ::setenv(name, value.c_str(), 1);
  }
  ~EnvironmentValue() {
    if (had_) {
      ::setenv(name_, previous_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;

 private:
  const char* name_;
  std::string previous_;
  bool had_ = false;
};

class SuiteFolder : public TempFolder {
 public:
  SuiteFolder()
      : config_("XDG_CONFIG_HOME", path() + "/config"), runtime_("XDG_RUNTIME_DIR", path() + "/run") {
    platform::releaseSoleInstance();
    S().NOMEPROGRAMMA = "VTMERV";
  }
  ~SuiteFolder() { platform::releaseSoleInstance(); }

  // The native folder of a suite path on drive C ("PWELKIN\ARCHIVI").
  std::string onDriveC(const std::string& relative) const { return "drives/C/" + relative; }

  // The registry values of the suite (either may be "" for an absent value).
  void writeRegistry(const std::string& archives, const std::string& programs) const {
    std::string body = "[General]\r\n";
    if (!archives.empty()) body += "PERCORSOARCHIVI=" + archives + "\r\n";
    if (!programs.empty()) body += "PERCORSOPROGRAMMI=" + programs + "\r\n";
    write("config/VELTRANI/TESSARO.conf", body);
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
};

}  // namespace vt::testing
