#include "temp_install.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "core/state.h"
#include "other_program.h"
#include "platform/files.h"

namespace vt::testing {

TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; path_.empty(); ++attempt) {
    const auto folder = std::filesystem::temp_directory_path() / ("vtmerv-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder)) path_ = folder.string();
    if (attempt > 100) throw std::runtime_error("no temporary folder");
  }
  if (const char* drives = std::getenv("TESSARO_DRIVES")) {
    hadDrives_ = true;
    previousDrives_ = drives;
  }
  setEnvironment("TESSARO_DRIVES", (path_ + "/drives").c_str());
  platform::closeAllHandles();
  resetState();
}

TempFolder::~TempFolder() {
  platform::closeAllHandles();
  setEnvironment("TESSARO_DRIVES", hadDrives_ ? previousDrives_.c_str() : nullptr);
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
