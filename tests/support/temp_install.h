// A throw-away folder for a test, with TESSARO_DRIVES pointed into it and the
// process state reset, removed again when the test ends.
#pragma once

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

 private:
  std::string path_;
  std::string previousDrives_;
  bool hadDrives_ = false;
};

}  // namespace vt::testing
