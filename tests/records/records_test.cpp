// Record read, write and delete, checked on the bytes of the files.
#include <gtest/gtest.h>

#include "core/state.h"
#include "record_files_fixture.h"
#include "records/files.h"
#include "records/records.h"

namespace vt {
namespace {

// `count` records of `length` bytes: record R is R's last digit repeated.
std::string recordsOf(int count, std::size_t length) {
  std::string bytes;
  for (int r = 1; r <= count; ++r) bytes += std::string(length, static_cast<char>('0' + r % 10));
  return bytes;
}

class Records : public testing::RecordFilesTest {
 protected:
  void SetUp() override {
    RecordFilesTest::SetUp();
    writeTable({{1, {"WKDITTE.DAT", 100}}, {40, {"###\\WKDATI.DAT", 10}}});
  }
};

TEST_F(Records, RecordRLiesAtRMinusOneTimesTheLength) {
  writeArchive("WKDITTE.DAT", recordsOf(3, 100));
  FAIOPEN(1);
  EXPECT_EQ(LEGGIREC(1, 3), 0);
  EXPECT_EQ(S().BUFFERREC[1], std::string(100, '3'));
  EXPECT_EQ(LEGGIREC(1, 1), 0);
  EXPECT_EQ(S().BUFFERREC[1], std::string(100, '1'));
  EXPECT_EQ(S().ULTIMOREC[1], 1);

  SCRIVIREC(1, 2, std::string(100, 'X'));
  EXPECT_EQ(archive("WKDITTE.DAT"), std::string(100, '1') + std::string(100, 'X') + std::string(100, '3'));
  EXPECT_EQ(S().ULTIMOREC[1], 2);
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "SCRIVIREC (1-2)");
}

TEST_F(Records, AReadPastTheLastRecordReportsTheEndOfTheFile) {
  writeArchive("WKDITTE.DAT", recordsOf(2, 100) + std::string(60, 'Z'));
  FAIOPEN(1);
  EXPECT_EQ(LEGGIREC(1, 2), 0);
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "LEGGIREC (1-2)");
  // The last record is cut short: it is not read whole.
  EXPECT_EQ(LEGGIREC(1, 3), 1);
  EXPECT_EQ(LEGGIREC(1, 4), 1);
  EXPECT_EQ(S().ULTIMOREC[1], 4);
  EXPECT_EQ(S().BUFFERREC[1].size(), 100u);
}

TEST_F(Records, WritingTheBufferAsFilled_AndAppendingOneRecord) {
  writeArchive("WKDITTE.DAT", recordsOf(2, 100));
  FAIOPEN(1);
  S().BUFFERREC[1].replace(0, 5, "ABCDE");
  SCRIVIREC(1, 3);
  const std::string bytes = archive("WKDITTE.DAT");
  ASSERT_EQ(bytes.size(), 300u);
  EXPECT_EQ(bytes.substr(200), "ABCDE" + std::string(95, ' '));
}

TEST_F(Records, AWrongLengthIsFailure59_AndNothingIsWritten) {
  const std::string before = recordsOf(2, 100);
  writeArchive("WKDITTE.DAT", before);
  FAIOPEN(1);
  EXPECT_THROW(SCRIVIREC(1, 1, std::string(99, 'X')), ProgramEnded);
  EXPECT_EQ(dialogs.boxes()[0].text.rfind("Errore 59 ", 0), 0u) << dialogs.boxes()[0].text;
  EXPECT_EQ(S().ULTIMOREC[1], 1);
  EXPECT_EQ(archive("WKDITTE.DAT"), before);

  // A buffer that no longer has the record length: neither read nor written.
  S().BUFFERREC[1] = "corto";
  EXPECT_THROW(SCRIVIREC(1, 1), ProgramEnded);
  EXPECT_THROW(LEGGIREC(1, 1), ProgramEnded);
  EXPECT_EQ(archive("WKDITTE.DAT"), before);
  EXPECT_EQ(S().BUFFERREC[1], "corto");
}

TEST_F(Records, BadNumbersAndClosedFilesReachTheTrap) {
  writeArchive("WKDITTE.DAT", recordsOf(2, 100));
  FAIOPEN(1);
  EXPECT_THROW(LEGGIREC(1, 0), ProgramEnded);
  EXPECT_THROW(SCRIVIREC(1, -1), ProgramEnded);
  EXPECT_THROW(LEGGIREC(601, 1), ProgramEnded);
  CHIUDIFILE(1);
  EXPECT_THROW(LEGGIREC(1, 1), ProgramEnded);
  std::vector<std::string> codes;
  for (std::size_t i = 0; i < dialogs.boxes().size(); i += 2) codes.push_back(dialogs.boxes()[i].text.substr(0, 10));
  EXPECT_EQ(codes, (std::vector<std::string>{"Errore 63 ", "Errore 63 ", "Errore 52 ", "Errore 52 "}));
  EXPECT_EQ(archive("WKDITTE.DAT"), recordsOf(2, 100));
}

TEST_F(Records, EliminaDeletesAFileWithData_AndLeavesAnEmptyOneInPlace) {
  writeArchive("WKDITTE.DAT", recordsOf(1, 100));
  FAIOPEN(1);
  ELIMINA(1);
  EXPECT_FALSE(archiveExists("WKDITTE.DAT"));
  EXPECT_EQ(S().NUMEROFILE[1], 0);

  writeArchive("WKDITTE.DAT", "");
  ELIMINA(1);
  EXPECT_TRUE(archiveExists("WKDITTE.DAT"));
}

TEST_F(Records, EliminaOfACompanyFileKeepsTheCompanyForItsOwnPath) {
  writeArchive("005/WKDATI.DAT", recordsOf(1, 10));
  S().DITTAOPEN = "5";
  ELIMINA(40);
  EXPECT_FALSE(archiveExists("005/WKDATI.DAT"));
}

TEST_F(Records, AzzerafileLeavesTheFileOpenAndEmpty_AndTheContextAsItWas) {
  writeArchive("007/WKDATI.DAT", recordsOf(4, 10));
  S().DITTAOPEN = "7";
  S().ANNOOPEN = "2005";
  AZZERAFILE(40);
  EXPECT_TRUE(archiveExists("007/WKDATI.DAT"));
  EXPECT_EQ(archive("007/WKDATI.DAT"), "");
  EXPECT_NE(S().NUMEROFILE[40], 0);
  EXPECT_EQ(S().BUFFERREC[40], std::string(10, ' '));
  EXPECT_EQ(S().DITTAOPEN, "7");
  EXPECT_EQ(S().ANNOOPEN, "2005");
  SCRIVIREC(40, 1, "0123456789");
  EXPECT_EQ(archive("007/WKDATI.DAT"), "0123456789");
}

}  // namespace
}  // namespace vt
