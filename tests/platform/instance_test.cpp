// A second running copy of the program, told apart by the per-user lock.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/instance.h"
#include "temp_install.h"

namespace vt::platform {
namespace {

using testing::TempFolder;

// Points XDG_RUNTIME_DIR at `folder` for the life of the object.
class RuntimeDir {
 public:
  explicit RuntimeDir(const std::string& folder) {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) previous_ = old, had_ = true;
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
  ~RuntimeDir() {
    releaseSoleInstance();
    if (had_) {
      ::setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }

 private:
  std::string previous_;
  bool had_ = false;
};

// A child process that claims the lock, reports the answer (1 or 0) on a
// pipe and keeps running until told to end.
class OtherCopy {
 public:
  explicit OtherCopy(const std::string& program) {
    if (::pipe(ready_) != 0 || ::pipe(release_) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      releaseSoleInstance();
      char answer = claimSoleInstance(program) ? 1 : 0;
      (void)!::write(ready_[1], &answer, 1);
      (void)!::read(release_[0], &answer, 1);
      ::_exit(0);
    }
    char answer = 0;
    if (::read(ready_[0], &answer, 1) != 1) std::abort();
    claimed_ = answer == 1;
  }
  ~OtherCopy() { end(); }

  bool claimed() const { return claimed_; }
  void end() {
    if (pid_ <= 0) return;
    char c = 0;
    (void)!::write(release_[1], &c, 1);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    for (int fd : {ready_[0], ready_[1], release_[0], release_[1]}) ::close(fd);
  }

 private:
  int ready_[2] = {-1, -1};
  int release_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool claimed_ = false;
};

TEST(SoleInstance, WhileOneProcessRunsTheProgram_AnotherCannotClaimIt_UntilTheFirstEnds) {
  TempFolder folder;
  RuntimeDir runtime(folder.path());
  releaseSoleInstance();
  {
    OtherCopy first("VTMERV");
    ASSERT_TRUE(first.claimed());
    EXPECT_FALSE(claimSoleInstance("VTMERV"));
    EXPECT_TRUE(claimSoleInstance("VTALTRO")) << "another program of the suite has its own lock";
    releaseSoleInstance();
  }
  EXPECT_TRUE(claimSoleInstance("VTMERV")) << "the lock goes when the process that held it ends";
  EXPECT_TRUE(claimSoleInstance("VTMERV")) << "asking again keeps the lock";
  OtherCopy second("VTMERV");
  EXPECT_FALSE(second.claimed());
  EXPECT_EQ(instanceLockFile("VTMERV"), folder.path() + "/VTMERV.lock");
}

TEST(SoleInstance, WithoutARuntimeFolderTheLockLivesInTheUsersCache) {
  TempFolder folder;
  RuntimeDir runtime("");
  ::setenv("XDG_CACHE_HOME", (folder.path() + "/cache").c_str(), 1);
  EXPECT_EQ(instanceLockFile("VTMERV"), folder.path() + "/cache/VTMERV.lock");
  EXPECT_TRUE(claimSoleInstance("VTMERV"));
  EXPECT_TRUE(folder.exists("cache/VTMERV.lock")) << "the cache folder is made when missing";
  ::unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(instanceLockFile("VTMERV"), std::string(std::getenv("HOME")) + "/.cache/VTMERV.lock");
}

}  // namespace
}  // namespace vt::platform
