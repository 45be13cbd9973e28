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
  if (!platform::claimSoleInstance(name)) endProgram(EndReason::kAtOnce, ExitStatus::kSecondCopy);
}

// The configuration error; with `file`, the box names it after ": ", as the
// failures name theirs.
[[noreturn]] void configurationError(const std::string& file = {}) {
  const std::string text = file.empty() ? std::string(kConfigurationErrorText) : kConfigurationErrorText + (": " + file);
  dialogs().message(text, Buttons::kOk, Icon::kCritical, kConfigurationErrorTitle);
  endProgram(EndReason::kAtOnce, ExitStatus::kConfiguration);
}

// The first line of the configuration file `file`, without its line end (CR
// LF or LF), or nothing when the file is absent. A file that is not a regular
// one or is longer than kConfigurationFileLimit is the configuration error
// naming it; one the system refuses to read is failure 75.
std::optional<std::string> firstLineOf(const std::string& file) {
  std::string text;
  switch (platform::readConfigurationFile(file, kConfigurationFileLimit, text)) {
    case platform::ConfigurationRead::kRead: break;
    case platform::ConfigurationRead::kMissing: return std::nullopt;
    case platform::ConfigurationRead::kRefused: configurationError(file);
    case platform::ConfigurationRead::kUnreadable: raiseFailure(err::kPathFileAccess, file);
  }
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Whether a registry value names an existing folder: a value naming a file,
// or nothing, leaves the installation to the path files.
bool namesAFolder(const std::string& path) {
  return !path.empty() && platform::pathKind(path) == platform::PathKind::kDirectory;
}

// The directory named by a path file: its first line, blanks trimmed. A
// missing or blank path file is the configuration error.
std::string directoryFromPathFile(const char* pathFile) {
  std::optional<std::string> line = firstLineOf(pathFile);
  if (!line) configurationError();
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
  std::optional<std::string> line = firstLineOf(taskFile());
  S().NUMEROTASK = line ? TRIM(LEFT(*line, kTaskNumberLength)) : std::string();
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
  if (!namesAFolder(archives) || !namesAFolder(programs)) return;
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

void FINETASK(ExitStatus status) {
  std::string file = taskFile();
  guarded([&] {
    if (platform::pathKind(file) != platform::PathKind::kFile) return;
    std::string line(kTaskLineLength, ' ');
    overwrite(line, 1, S().NUMEROTASK);
    systemCall([&] { platform::replaceFile(file, line + kLineEnd); });
  });
  CHIUDIFILE(0);
  endProgram(EndReason::kNormal, status);
}

std::string LEGGIREGISTRO(platform::RegistryKey root, const std::string& keyPath, const std::string& valueName) {
  platform::RegistryKey key = 0;
  try {
    if (!platform::registryOpenKey(root, keyPath, key)) return {};
  } catch (const platform::SettingsFileRefused& refused) {
    configurationError(refused.what());
  }
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
    std::int16_t handle = systemCall([&] { return platform::freeHandle(); });
    systemCall([&] { platform::openFile(handle, path, platform::OpenMode::kSharedRead); });
    platform::closeHandle(handle);
    return true;
  } catch (const RuntimeFailure&) {
    return false;
  }
}

}  // namespace vt
