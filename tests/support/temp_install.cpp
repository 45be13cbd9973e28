#include "temp_install.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/state.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "sample/sample_installation.h"

namespace vt::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "vtmerv-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  for (const char* name : {"TESSARO_DRIVES", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
    const char* value = std::getenv(name);
    previousEnvironment_[name] = {value != nullptr, value != nullptr ? value : ""};
  }
  ::setenv("TESSARO_DRIVES", (path_ + "/drives").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (path_ + "/run").c_str(), 1);
  platform::closeAllHandles();
  platform::releaseSoleInstance();
  resetState();
}

TempFolder::~TempFolder() {
  platform::closeAllHandles();
  platform::releaseSoleInstance();
  for (const auto& [name, previous] : previousEnvironment_) {
    if (previous.first) {
      ::setenv(name.c_str(), previous.second.c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
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

void TempFolder::installSample() const { sample::createSampleInstallation(path_ + "/drives", path_ + "/config"); }

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

}  // namespace vt::testing
