// The task semaphore between two real processes.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <thread>

#include "core/state.h"
#include "other_program.h"
#include "platform/files.h"
#include "record_files_fixture.h"
#include "records/semaphore.h"

namespace vt {
namespace {

class Semaphore : public testing::RecordFilesTest {
 protected:
  void SetUp() override {
    RecordFilesTest::SetUp();
    writeTable({});
  }
};

TEST_F(Semaphore, TakenAtOnceWhenFree_CreatingTheFile_AndReleasedByChiudisema) {
  CHIUDISEMA();  // not held: nothing happens
  EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0);
  APRISEMA();
  const std::int16_t handle = S().NUMEROFILE[kSemaphoreFileNumber];
  EXPECT_NE(handle, 0);
  EXPECT_TRUE(archiveExists("WKSEMA.DAT"));
  EXPECT_EQ(archive("WKSEMA.DAT"), "");
  EXPECT_EQ(S().BUFFERSEMA.size(), 2000u);
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "APRISEMA");
  // Taking it again while held closes and reopens it.
  APRISEMA();
  EXPECT_NE(S().NUMEROFILE[kSemaphoreFileNumber], 0);
  CHIUDISEMA();
  EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0);
  EXPECT_FALSE(platform::isOpen(handle));
}

// Another program asks for the semaphore while this one holds it: it waits,
// and takes it once this one lets it go.
TEST_F(Semaphore, AnotherProgramWaitsWhileItIsHeld_AndTakesItWhenReleased) {
  APRISEMA();
  std::atomic<int> other{-1};
  std::thread otherProgram([&] { other = testing::runOtherProgram({"semaphore", S().PERARK}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(other, -1) << "the other program must still be waiting";
  CHIUDISEMA();
  otherProgram.join();
  EXPECT_EQ(other, 0);
}

#ifndef _WIN32  // fork, pipes and the child's processor time
// While another process holds the semaphore, APRISEMA waits without
// spinning the processor, and returns soon after the holder lets it go.
TEST_F(Semaphore, WaitsWhileAnotherProcessHoldsIt) {
  int toChild[2];
  int fromChild[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(fromChild), 0);

  APRISEMA();  // the parent holds it first
  pid_t child = ::fork();
  if (child == 0) {
    // The child: wait for the go, then take the semaphore and report.
    char c = 0;
    (void)!::read(toChild[0], &c, 1);
    platform::closeAllHandles();  // the inherited descriptor must not keep the lock
    ::close(toChild[0]);
    APRISEMA();
    c = 'T';
    (void)!::write(fromChild[1], &c, 1);
    ::_exit(0);
  }
  ::close(fromChild[1]);
  char go = 'G';
  ASSERT_EQ(::write(toChild[1], &go, 1), 1);

  // Half a second later the child is still waiting.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  struct pollFree {
    static bool hasData(int fd) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(fd, &set);
      timeval none{0, 0};
      return ::select(fd + 1, &set, nullptr, nullptr, &none) > 0;
    }
  };
  EXPECT_FALSE(pollFree::hasData(fromChild[0]));

  const auto released = std::chrono::steady_clock::now();
  CHIUDISEMA();
  char taken = 0;
  ASSERT_EQ(::read(fromChild[0], &taken, 1), 1);
  EXPECT_EQ(taken, 'T');
  EXPECT_LT(std::chrono::steady_clock::now() - released, std::chrono::seconds(1));

  int status = 0;
  rusage usage{};
  ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  // Waiting half a second took a small fraction of it in processor time.
  EXPECT_LT(cpu, 0.2);
}
#endif

TEST_F(Semaphore, AnUnreachableArchiveDirectoryReachesTheTrapInsteadOfWaiting) {
  S().PERARK = "C:\\NONCE";
  EXPECT_THROW(APRISEMA(), ProgramEnded);
  EXPECT_EQ(firstBox().rfind("Errore 76 ", 0), 0u) << firstBox();
}

}  // namespace
}  // namespace vt
