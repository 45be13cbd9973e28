// A throw-away folder for a test, removed again when the test ends: the
// drives root (TESSARO_DRIVES), the user's configuration folder (the registry
// stand-in) and run-time folder (the second-copy lock; TEMP on Windows) all
// point into it, and the process state is reset. On Windows the current
// user's registry is, for the life of the folder, a key of the test's own.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/program_end.h"

namespace vt::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The native path of the folder.
  const std::string& path() const { return path_; }
  // Writes `bytes` to the file at `relative` (folders are created).
  void write(const std::string& relative, const std::string& bytes) const;
  // The bytes of the file at `relative` ("" when absent).
  std::string read(const std::string& relative) const;
  bool exists(const std::string& relative) const;

  // Writes the sample installation (sample/sample_installation.h) here, its
  // registry values included.
  void installSample() const;
  // Every file of the drives and the configuration folder: relative path ->
  // bytes.
  std::map<std::string, std::string> files() const;

  // A value of the suite's registry key, text or a 32-bit number; and no
  // value of that key at all.
  void setRegistryText(const std::string& name, const std::string& text) const;
  void setRegistryNumber(const std::string& name, std::uint32_t number) const;
  void clearRegistry() const;

 private:
  std::string path_;
  std::map<std::string, std::pair<bool, std::string>> previousEnvironment_;
  void* registry_ = nullptr;  // Windows: the test's own key, standing for the current user's
};

}  // namespace vt::testing
