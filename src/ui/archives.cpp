#include "ui/archives.h"

#include <cstdint>

#include "core/state.h"

namespace vt {

std::string archiveMenu() {
  std::string menu;
  for (const Archive& archive : kMenuArchives) {
    menu += archive.menuText;
    menu += &archive == &kMenuArchives.back() ? ' ' : '*';
  }
  return menu;
}

const Archive* keyedArchiveOf(int file) {
  for (const Archive& archive : kMenuArchives) {
    if (archive.userFile != kNoUserFile && archive.userFile == file && archive.key.length != kEmployeeKeyLength) {
      return &archive;
    }
  }
  return nullptr;
}

void setArchiveLayout(const Archive& archive) {
  auto& param = S().TABPARAM;
  param[kParamStandardFile] = static_cast<std::int16_t>(archive.standardFile);
  param[kParamUserFile] = static_cast<std::int16_t>(archive.userFile);
  param[kParamKeyPosition] = static_cast<std::int16_t>(archive.key.position);
  param[kParamKeyLength] = static_cast<std::int16_t>(archive.key.length);
  param[kParamDescriptionPosition] = static_cast<std::int16_t>(archive.description.position);
  param[kParamDescriptionLength] = static_cast<std::int16_t>(archive.description.length);
}

}  // namespace vt
