#include "other_program.h"

#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace vt::testing {

int runOtherProgram(const std::vector<std::string>& arguments) {
#ifdef _WIN32
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = "\"" + (std::filesystem::path(self).parent_path() / "vt_other_program.exe").string() + "\"";
#else
  std::string command = "\"" + (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vt_other_program").string() + "\"";
#endif
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
#ifdef _WIN32
  return std::system(("\"" + command + "\"").c_str());  // cmd.exe takes off the outer quotes
#else
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");
#else
  (void)(value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name));
#endif
}

}  // namespace vt::testing
