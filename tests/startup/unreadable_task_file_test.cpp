// A task file that is there but cannot be read stops the start-up with a
// failure for the error trap, instead of an empty task number.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "core/failure.h"
#include "core/state.h"
#include "startup/installation.h"

namespace vt {
namespace {

TEST(UnreadableTaskFile, AFolderOfThatNameIsAFailure_NotAnEmptyTaskNumber) {
  namespace fs = std::filesystem;
  const fs::path drives = fs::temp_directory_path() / ("vtmerv-task-" + std::to_string(::getpid()));
  fs::create_directories(drives / "C" / "TARNIX" / "TARNIX.INI");
  ::setenv("TESSARO_DRIVES", drives.c_str(), 1);
  S().NOMEPROGRAMMA = "VTMERV";
  S().NUMEROTASK = "07";
  EXPECT_THROW(readTaskNumber(), RuntimeFailure);
  EXPECT_EQ(S().NUMEROTASK, "07");
  ::unsetenv("TESSARO_DRIVES");
  fs::remove_all(drives);
}

}  // namespace
}  // namespace vt
