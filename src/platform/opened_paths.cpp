#include "platform/opened_paths.h"

#include <array>

#include "platform/files.h"

namespace vt::platform {
namespace {

std::array<std::string, kMaxHandle + 1>& openedPaths() {
  static std::array<std::string, kMaxHandle + 1> paths;
  return paths;
}

bool inRange(std::int16_t handle) { return handle >= 1 && handle <= kMaxHandle; }

}  // namespace

void rememberPath(std::int16_t handle, std::string_view suitePath) {
  if (inRange(handle)) openedPaths()[static_cast<std::size_t>(handle)] = suitePath;
}

void forgetPath(std::int16_t handle) {
  if (inRange(handle)) openedPaths()[static_cast<std::size_t>(handle)].clear();
}

std::string subjectOf(std::int16_t handle) {
  if (inRange(handle) && !openedPaths()[static_cast<std::size_t>(handle)].empty()) {
    return openedPaths()[static_cast<std::size_t>(handle)];
  }
  return std::to_string(handle);
}

}  // namespace vt::platform
