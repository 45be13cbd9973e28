#include "temp_install.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/state.h"
#include "platform/files.h"

namespace vt::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vtmerv-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  if (const char* drives = std::getenv("TESSARO_DRIVES")) {
    hadDrives_ = true;
    previousDrives_ = drives;
  }
  ::setenv("TESSARO_DRIVES", (path_ + "/drives").c_str(), 1);
  platform::closeAllHandles();
  resetState();
}

TempFolder::~TempFolder() {
  platform::closeAllHandles();
  if (hadDrives_) {
    ::setenv("TESSARO_DRIVES", previousDrives_.c_str(), 1);
  } else {
    ::unsetenv("TESSARO_DRIVES");
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path file = std::filesystem::path(path_) / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::read(const std::string& relative) const {
  std::ifstream in(std::filesystem::path(path_) / relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::exists(const std::string& relative) const {
  return std::filesystem::exists(std::filesystem::path(path_) / relative);
}

}  // namespace vt::testing
