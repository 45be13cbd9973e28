#include "startup/installation.h"

#include <optional>

#include "core/dialogs.h"
#include "core/failure.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "records/files.h"
#include "util/text.h"

namespace vt {
namespace {

// Programs whose name begins with this use the TARNIX task file.
constexpr std::string_view kVtProgramPrefix = "VT";
constexpr const char* kTrailName = "CARICAPERCORSI";

// Ends the program at once, with no message, when another copy runs.
void refuseSecondCopy() {
  std::string name = UCASE(TRIM(S().NOMEPROGRAMMA));
  if (name.empty()) name = kDefaultTitle;
  if (!platform::claimSoleInstance(name)) endProgram(EndReason::kAtOnce);
}

[[noreturn]] void configurationError() {
  dialogs().message(kConfigurationErrorText, Buttons::kOk, Icon::kCritical, kConfigurationErrorTitle);
  endProgram(EndReason::kAtOnce);
}

bool namesSomething(const std::string& path) {
  return !path.empty() && platform::pathKind(path) != platform::PathKind::kMissing;
}

// The directory named by a path file: its first line, blanks trimmed. A
// missing or blank path file is the configuration error.
std::string directoryFromPathFile(const char* pathFile) {
  if (platform::pathKind(pathFile) != platform::PathKind::kFile) configurationError();
  std::optional<std::string> line = platform::readFirstLine(pathFile);
  if (!line) raiseFailure(err::kPathFileAccess, pathFile);
  std::string directory = TRIM(*line);
  if (directory.empty()) configurationError();
  return directory;
}

}  // namespace

std::string taskFile() {
  bool vtProgram = LEFT(UCASE(S().NOMEPROGRAMMA), kVtProgramPrefix.size()) == kVtProgramPrefix;
  return vtProgram ? kTaskFileOfVtPrograms : kTaskFileOfOtherPrograms;
}

void readTaskNumber() {
  std::string file = taskFile();
  if (platform::pathKind(file) == platform::PathKind::kMissing) {
    S().NUMEROTASK.clear();
    return;
  }
  std::optional<std::string> line = platform::readFirstLine(file);
  if (!line) raiseFailure(err::kPathFileAccess, file);
  S().NUMEROTASK = TRIM(LEFT(*line, kTaskNumberLength));
}

void CARICAPERCORSI() {
  REGISTRAPROC(kTrailName);
  guarded([] { refuseSecondCopy(); });
  pathsFromRegistry();
}

void pathsFromRegistry() {
  std::string programs;
  std::string archives;
  guarded([&] {
    programs = LEGGIREGISTRO(platform::kCurrentUser, kSuiteRegistryKey, kProgramsValueName);
    archives = LEGGIREGISTRO(platform::kCurrentUser, kSuiteRegistryKey, kArchivesValueName);
  });
  if (!namesSomething(archives) || !namesSomething(programs)) return;
  S().PERARK = archives;
  S().PERPRO = programs;
  guarded([] { readTaskNumber(); });
}

void CARICAPERCORSIWKP() {
  REGISTRAPROC(kTrailName);
  guarded([] { refuseSecondCopy(); });
  pathsFromPathFiles();
}

void pathsFromPathFiles() {
  guarded([] { S().PERARK = directoryFromPathFile(kArchivesPathFile); });
  guarded([] { S().PERPRO = directoryFromPathFile(kProgramsPathFile); });
  guarded([] { readTaskNumber(); });
}

void FINETASK() {
  std::string file = taskFile();
  guarded([&] {
    if (platform::pathKind(file) != platform::PathKind::kFile) return;
    std::string line(kTaskLineLength, ' ');
    overwrite(line, 1, S().NUMEROTASK);
    platform::replaceFile(file, line + kTaskLineEnd);
  });
  CHIUDIFILE(0);
  endProgram(EndReason::kNormal);
}

std::string LEGGIREGISTRO(platform::RegistryKey root, const std::string& keyPath, const std::string& valueName) {
  platform::RegistryKey key = 0;
  if (!platform::registryOpenKey(root, keyPath, key)) return {};
  std::string value = LEGGIVALORE(key, valueName);
  platform::registryCloseKey(key);
  return value;
}

std::string LEGGIVALORE(platform::RegistryKey key, const std::string& valueName) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (!platform::registryQueryInfo(key, valueName, type, size)) return {};
  if (type == platform::kRegText) {
    std::string buffer(size, '\0');
    if (!platform::registryQueryText(key, valueName, buffer)) return {};
    return buffer.substr(0, buffer.find('\0'));
  }
  if (type == platform::kRegNumber) {
    std::uint32_t number = 0;
    if (!platform::registryQueryNumber(key, valueName, number)) return {};
    return std::to_string(number);
  }
  return {};
}

bool ESISTEFILE(const std::string& path) {
  try {
    std::int16_t handle = platform::freeHandle();
    platform::openFile(handle, path, platform::OpenMode::kSharedRead);
    platform::closeHandle(handle);
    return true;
  } catch (const RuntimeFailure&) {
    return false;
  }
}

}  // namespace vt
