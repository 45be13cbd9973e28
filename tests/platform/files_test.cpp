// The file layer: the suite's Windows paths on this system, handles, and the
// failures the system's refusals become.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "core/failure.h"
#include "platform/files.h"
#include "temp_install.h"

namespace vt::platform {
namespace {

using testing::TempFolder;

std::int16_t failureCode(const std::function<void()>& f) {
  try {
    f();
  } catch (const SystemError& error) {
    return vt::failureCode(error.kind());
  }
  return 0;
}

TEST(NativePath, DriveLettersMapUnderTheDrivesRoot_AndBackslashesBecomeSlashes) {
  TempFolder folder;
  const std::string root = folder.path() + "/drives";
  EXPECT_EQ(drivesRoot(), root);
  EXPECT_EQ(nativePath("C:\\PWELKIN\\WKPERARK.WKP"), root + "/C/PWELKIN/WKPERARK.WKP");
  EXPECT_EQ(nativePath("d:\\DATI"), root + "/D/DATI");
  EXPECT_EQ(nativePath("/srv/tessaro\\WKBASE.DAT"), "/srv/tessaro/WKBASE.DAT");
  EXPECT_EQ(nativePath("relativo\\file.dat"), "relativo/file.dat");
}

TEST(NativePath, WithoutTheVariable_TheDrivesRootIsUnderHome) {
  TempFolder folder;
  ::unsetenv("TESSARO_DRIVES");
  EXPECT_EQ(drivesRoot(), std::string(std::getenv("HOME")) + "/.tessaro/drives");
}

TEST(NativePath, APathThatDoesNotExistAsWritten_IsLookedUpWithoutRegardToCase) {
  TempFolder folder;
  folder.write("drives/C/PWelkin/Archivi/wkbase.dat", "x");
  const std::string root = folder.path() + "/drives";
  EXPECT_EQ(nativePath("C:\\PWELKIN\\ARCHIVI\\WKBASE.DAT"), root + "/C/PWelkin/Archivi/wkbase.dat");
  // A new file in an existing folder keeps the name as written.
  EXPECT_EQ(nativePath("c:\\pwelkin\\archivi\\NUOVO.DAT"), root + "/C/PWelkin/Archivi/NUOVO.DAT");
  EXPECT_EQ(pathKind("C:\\PWELKIN\\ARCHIVI"), PathKind::kDirectory);
  EXPECT_EQ(pathKind("C:\\PWELKIN\\ARCHIVI\\WKBASE.DAT"), PathKind::kFile);
  EXPECT_EQ(pathKind("C:\\PWELKIN\\ALTRO"), PathKind::kMissing);
}

TEST(Handles, TheLowestFreeNumberIsTaken_AndClosingFreesIt) {
  TempFolder folder;
  std::int16_t first = freeHandle();
  openFile(first, folder.path() + "/a.dat", OpenMode::kSharedReadWrite);
  std::int16_t second = freeHandle();
  EXPECT_EQ(second, first + 1);
  openFile(second, folder.path() + "/b.dat", OpenMode::kSharedReadWrite);
  closeHandle(first);
  EXPECT_EQ(freeHandle(), first);
  EXPECT_EQ(failureCode([&] { openFile(second, folder.path() + "/c.dat", OpenMode::kSharedRead); }),
            err::kFileAlreadyOpen);
  closeAllHandles();
  EXPECT_FALSE(isOpen(second));
}

TEST(Handles, ASharedOpenCreatesAnAbsentFile_AndReadsStopAtTheEnd) {
  TempFolder folder;
  std::int16_t h = freeHandle();
  openFile(h, folder.path() + "/nuovo.dat", OpenMode::kSharedReadWrite);
  EXPECT_EQ(openFileLength(h), 0u);
  writeAt(h, 4, "WXYZ");
  EXPECT_EQ(openFileLength(h), 8u);
  char buffer[6] = {};
  EXPECT_EQ(readAt(h, 4, buffer, 6), 4u);
  EXPECT_EQ(std::string(buffer, 4), "WXYZ");
  closeHandle(h);
  EXPECT_EQ(folder.read("nuovo.dat"), std::string(4, '\0') + "WXYZ");
}

TEST(Handles, RefusalsBecomeTheSuiteFailureCodes) {
  TempFolder folder;
  EXPECT_EQ(failureCode([&] { openFile(freeHandle(), folder.path() + "/assente.dat", OpenMode::kSharedRead); }),
            err::kFileNotFound);
  EXPECT_EQ(failureCode([&] {
              openFile(freeHandle(), folder.path() + "/manca/x.dat", OpenMode::kSharedReadWrite);
            }),
            err::kPathNotFound);
  EXPECT_EQ(failureCode([&] { openFile(freeHandle(), folder.path(), OpenMode::kSharedReadWrite); }),
            err::kPathFileAccess);
  char byte = 0;
  EXPECT_EQ(failureCode([&] { readAt(300, 0, &byte, 1); }), err::kBadFileNumber);
  EXPECT_EQ(failureCode([&] { writeAt(0, 0, "x"); }), err::kBadFileNumber);
}

TEST(Handles, AnExclusiveOpenHeldByAnotherProcess_IsRefusedWith70) {
  TempFolder folder;
  const std::string path = folder.path() + "/WKSEMA.DAT";
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  pid_t child = ::fork();
  if (child == 0) {
    openFile(1, path, OpenMode::kExclusive);
    char c = 1;
    (void)!::write(ready[1], &c, 1);
    (void)!::read(release[0], &c, 1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_EQ(failureCode([&] { openFile(freeHandle(), path, OpenMode::kExclusive); }), err::kPermissionDenied);
  (void)!::write(release[1], &c, 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::int16_t h = freeHandle();
  openFile(h, path, OpenMode::kExclusive);
  EXPECT_TRUE(isOpen(h));
  closeHandle(h);
}

TEST(TextFiles, TheFirstLineEndsAtCrLfOrLf_AndReplacingIsWholeOrNothing) {
  TempFolder folder;
  folder.write("a.txt", "07 riga\r\nseconda\r\n");
  folder.write("b.txt", "uno\ndue");
  folder.write("c.txt", "");
  EXPECT_EQ(readFirstLine(folder.path() + "/a.txt"), "07 riga");
  EXPECT_EQ(readFirstLine(folder.path() + "/b.txt"), "uno");
  EXPECT_EQ(readFirstLine(folder.path() + "/c.txt"), "");
  EXPECT_EQ(readFirstLine(folder.path() + "/d.txt"), std::nullopt);

  replaceFile(folder.path() + "/a.txt", "nuovo\r\n");
  EXPECT_EQ(folder.read("a.txt"), "nuovo\r\n");
  EXPECT_FALSE(folder.exists("a.txt.new"));
  EXPECT_EQ(failureCode([&] { replaceFile(folder.path() + "/manca/a.txt", "x"); }), err::kPathNotFound);
}

// A write the system refuses part way (here: past the file-size limit, as
// a full disk would) leaves the file exactly as it was: never half a record.
TEST(Handles, AWriteRefusedPartWayLeavesTheFileAsItWas) {
  TempFolder folder;
  const std::string before(100, 'A');
  folder.write("archivio.dat", before);
  pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{150, 150};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::int16_t h = freeHandle();
    openFile(h, folder.path() + "/archivio.dat", OpenMode::kSharedReadWrite);
    std::int16_t code = 0;
    try {
      writeAt(h, 100, std::string(100, 'B'));  // would end at 200
    } catch (const SystemError& error) {
      code = vt::failureCode(error.kind());
    }
    ::_exit(code == err::kDiskFull ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the refusal must be failure 61";
  EXPECT_EQ(folder.read("archivio.dat"), before);
}

}  // namespace
}  // namespace vt::platform
