#include "other_program.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "platform/system_error.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>

#include "platform/cp1252.h"
#else
#include <sys/wait.h>
#endif

namespace vt::testing {

int runProgram(const std::string& path, const std::vector<std::string>& arguments) {
#ifdef _WIN32
  // Started directly, not through cmd.exe, whose parsing of the line and
  // whose own start under a busy Wine are two more ways to fail. The line
  // the program receives is its arguments joined by blanks: each is quoted.
  // Wide, as every path of the program goes to the system.
  std::vector<std::wstring> quoted{L"\"" + platform::wideOf(path) + L"\""};
  for (const std::string& argument : arguments) quoted.push_back(L"\"" + platform::wideOf(argument) + L"\"");
  std::vector<const wchar_t*> argv;
  for (const std::wstring& argument : quoted) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  const std::wstring program = platform::wideOf(path);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const intptr_t status = _wspawnv(_P_WAIT, program.c_str(), argv.data());
    if (status != -1) return static_cast<int>(status);
    Sleep(100);
  }
  return -1;
#else
  std::string command = "\"" + path + "\"";
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

int runOtherProgram(const std::vector<std::string>& arguments) {
#ifdef _WIN32
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  return runProgram(platform::nativeText(std::filesystem::path(self).parent_path() / "vt_other_program.exe"),
                    arguments);
#else
  return runProgram((std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vt_other_program").string(),
                    arguments);
#endif
}

std::thread holdElsewhere(const std::string& suitePath, int seconds) {
  std::thread holder([=] { runOtherProgram({"hold", suitePath, std::to_string(seconds)}); });
  for (;;) {
    const std::int16_t handle = platform::freeHandle();
    try {
      platform::openFile(handle, suitePath, platform::OpenMode::kExclusive);
      platform::closeHandle(handle);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } catch (const platform::SystemError&) {
      return holder;
    }
  }
}

void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");
#else
  (void)(value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name));
#endif
}

}  // namespace vt::testing
