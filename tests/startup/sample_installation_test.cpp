// The sample installation: every file the program opens is there, described
// by its row of WKBASE.DAT, made of whole records in the layouts the program
// and the suite's other programs expect, and the user employees are found
// through their index and have their companion records.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "core/state.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/records.h"
#include "sample/sample_installation.h"
#include "scripted_dialogs.h"
#include "startup/installation.h"
#include "suite_folder.h"

namespace vt {
namespace {

using sample::createSampleInstallation;
using sample::sampleFiles;
using testing::ScriptedDialogs;
using testing::SuiteFolder;

const std::string kArchives = "drives/C/PWELKIN/ARCHIVI/";

// A suite folder holding the sample installation, with the paths loaded.
struct SampleSuite {
  SampleSuite() {
    suite.createSample();
    CARICAPERCORSI();
  }
  // Every record of file `number`, read through the program's record layer.
  std::vector<std::string> records(int number) const {
    FAIOPEN(number);
    std::vector<std::string> all;
    for (double r = 1; LEGGIREC(number, r) == 0; ++r) all.push_back(S().BUFFERREC[number]);
    CHIUDIFILE(number);
    return all;
  }
  SuiteFolder suite;
  ScriptedDialogs boxes;
};

bool isFree(const std::string& record) { return record.substr(0, 2) == "99"; }
std::string field(const std::string& record, std::size_t pos, std::size_t length) { return record.substr(pos - 1, length); }
std::string blanks(std::size_t n) { return std::string(n, ' '); }

TEST(SampleInstallation, BothSourcesOfThePathsAgree_AndTheTaskIs01) {
  SampleSuite sample;
  EXPECT_EQ(S().PERARK, "C:\\PWELKIN\\ARCHIVI");
  EXPECT_EQ(S().PERPRO, "C:\\PWELKIN\\PROGRAMMI");
  EXPECT_EQ(S().NUMEROTASK, "01");
  EXPECT_EQ(platform::pathKind(S().PERPRO), platform::PathKind::kDirectory);
  S().PERARK.clear();
  S().PERPRO.clear();
  CARICAPERCORSIWKP();
  EXPECT_EQ(S().PERARK, "C:\\PWELKIN\\ARCHIVI");
  EXPECT_EQ(S().PERPRO, "C:\\PWELKIN\\PROGRAMMI");
  EXPECT_TRUE(sample.boxes.boxes().empty());
}

TEST(SampleInstallation, EveryFileHasItsRow_AndIsMadeOfWholeRecords) {
  SampleSuite sample;
  const std::string table = sample.suite.read(kArchives + "WKBASE.DAT");
  ASSERT_EQ(table.size(), 401u * kBaseRowLength);
  std::map<int, int> expectedLength = {{1, 512},   {2, 9600},  {7, 2176},  {8, 512},   {30, 2176},
                                       {48, 256},  {97, 512},  {201, 512}, {202, 9600}, {203, 128},
                                       {204, 512}, {205, 256}, {206, 256}, {401, 128}};
  ASSERT_EQ(sampleFiles().size(), expectedLength.size());
  for (const auto& row : sampleFiles()) {
    SCOPED_TRACE(row.number);
    std::int16_t relative = -1;
    EXPECT_EQ(DAMMIFILE(row.number, relative), "C:\\PWELKIN\\ARCHIVI\\" + std::string(row.name));
    EXPECT_EQ(S().LUNGBASE, expectedLength.at(row.number));
    std::optional<std::uint64_t> size = platform::fileLength(S().PERARK + "\\" + row.name);
    ASSERT_TRUE(size.has_value());
    EXPECT_GT(*size, 0u);
    EXPECT_EQ(*size % static_cast<std::uint64_t>(row.recordLength), 0u);
    EXPECT_EQ(VERBASE(row.number), 1);
  }
  // Rows of numbers the suite does not use here are blank.
  for (int unused : {3, 29, 200, 207, 400}) {
    EXPECT_EQ(table.substr(static_cast<std::size_t>(unused - 1) * kBaseRowLength, kBaseRowLength - 2),
              blanks(kBaseRowLength - 2));
  }
}

TEST(SampleInstallation, RecordNumberArchivesCarryTheirNumberAsKey_WithRecordsInUseAndFreeSlots) {
  SampleSuite sample;
  struct Archive {
    int standard, user;
    std::size_t keyPos, keyLength, descriptionPos, descriptionLength;
  };
  const Archive archives[] = {
      {201, 1, 3, 3, 6, 30}, {203, 401, 4, 3, 7, 18}, {204, 8, 381, 4, 385, 16}, {206, 48, 3, 3, 6, 25}};
  for (const Archive& a : archives) {
    for (int number : {a.standard, a.user}) {
      SCOPED_TRACE(number);
      std::vector<std::string> records = sample.records(number);
      int inUse = 0;
      int free = 0;
      for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string& r = records[i];
        if (isFree(r)) {
          ++free;
          EXPECT_EQ(r.substr(2), blanks(r.size() - 2));
          continue;
        }
        ++inUse;
        EXPECT_EQ(field(r, 1, 2), "00");
        std::string expectedKey = std::to_string(i + 1);
        expectedKey = std::string(a.keyLength - expectedKey.size(), '0') + expectedKey;
        EXPECT_EQ(field(r, a.keyPos, a.keyLength), expectedKey);
        EXPECT_NE(field(r, a.descriptionPos, a.descriptionLength), blanks(a.descriptionLength));
      }
      EXPECT_GE(inUse, 2);
      EXPECT_GE(free, 1);
    }
    // Every standard record has a slot of the same number in the user archive.
    EXPECT_GE(sample.records(a.user).size(), sample.records(a.standard).size());
  }
}

TEST(SampleInstallation, EmployeesHaveTenDigitCodesAndTheirDescription_SomeCodesAlreadyTaken) {
  SampleSuite sample;
  std::vector<std::string> standard = sample.records(202);
  std::vector<std::string> user = sample.records(2);
  std::set<std::string> userCodes;
  for (const std::string& r : user) {
    if (!isFree(r)) userCodes.insert(field(r, 3, 10));
  }
  int taken = 0;
  int freeCodes = 0;
  int freeSlots = 0;
  for (const std::string& r : standard) {
    if (isFree(r)) {
      ++freeSlots;
      continue;
    }
    std::string code = field(r, 3, 10);
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
    EXPECT_NE(field(r, 9515, 30), blanks(30));
    EXPECT_NE(field(r, 9545, 30), blanks(30));
    (userCodes.count(code) != 0 ? taken : freeCodes)++;
  }
  EXPECT_GE(taken, 1) << "a standard employee whose code the user already has";
  EXPECT_GE(freeCodes, 1);
  EXPECT_GE(freeSlots, 1);
  EXPECT_GE(userCodes.size(), 3u);
  EXPECT_LT(userCodes.size(), user.size()) << "the user's file has a free slot too";
}

// One entry of an index node: key, level digit, six-digit number.
struct IndexEntry {
  std::string key;
  char level;
  std::string number;
};

std::vector<IndexEntry> entries(const std::string& node) {
  std::vector<IndexEntry> all;
  for (std::size_t at = 0; at + 17 <= node.size(); at += 17) {
    all.push_back({node.substr(at, 10), node[at + 10], node.substr(at + 11, 6)});
  }
  return all;
}

TEST(SampleInstallation, TheEmployeeIndexLeadsFromEachUserCodeToItsRecord) {
  SampleSuite sample;
  const std::string highValue(10, static_cast<char>(252));
  std::vector<std::string> nodes = sample.records(7);
  ASSERT_EQ(nodes.size(), 3u);
  std::vector<std::string> user = sample.records(2);
  std::map<std::string, int> expected;
  for (std::size_t i = 0; i < user.size(); ++i) {
    if (!isFree(user[i])) expected[field(user[i], 3, 10)] = static_cast<int>(i + 1);
  }
  // Root and second level: one entry with the first key, pointing one level down.
  const std::string firstKey = expected.begin()->first;
  const char levels[] = {'1', '2', '3'};
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(n + 1);
    std::vector<IndexEntry> node = entries(nodes[static_cast<std::size_t>(n)]);
    ASSERT_EQ(node.size(), 128u);
    std::size_t used = n < 2 ? 1 : expected.size();
    for (std::size_t i = 0; i < node.size(); ++i) {
      EXPECT_EQ(node[i].level, levels[n]);
      if (i >= used) {
        EXPECT_EQ(node[i].key, highValue);
        EXPECT_EQ(node[i].number, "000000");
      }
    }
    if (n < 2) {
      EXPECT_EQ(node[0].key, firstKey);
      EXPECT_EQ(node[0].number, n == 0 ? "000002" : "000003");
    }
  }
  // The leaf: every user code once, ascending, with its record number in file 2.
  std::vector<IndexEntry> leaf = entries(nodes[2]);
  std::size_t i = 0;
  for (const auto& [code, record] : expected) {
    EXPECT_EQ(leaf[i].key, code);
    EXPECT_EQ(std::stoi(leaf[i].number), record);
    ++i;
  }
  // The second index is empty: one root of free entries.
  std::vector<std::string> second = sample.records(30);
  ASSERT_EQ(second.size(), 1u);
  for (const IndexEntry& e : entries(second[0])) {
    EXPECT_EQ(e.key + e.level + e.number, highValue + "1000000");
  }
}

TEST(SampleInstallation, EachEmployeeHasItsCompanionRecordAtTheSameNumber) {
  SampleSuite sample;
  std::vector<std::string> employees = sample.records(2);
  std::vector<std::string> companions = sample.records(97);
  ASSERT_EQ(companions.size(), employees.size());
  for (std::size_t i = 0; i < employees.size(); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(companions[i].substr(0, 45), employees[i].substr(0, 45));
    EXPECT_EQ(companions[i].substr(45, 55), blanks(55));
    EXPECT_EQ(companions[i].substr(100), std::string(companions[i].size() - 100, '0'));
  }
}

TEST(SampleInstallation, IsNeverWrittenOverAnExistingInstallation) {
  SampleSuite sample;
  sample.suite.write(kArchives + "DITTE.DAT", "DATI DELL'UTENTE");
  EXPECT_THROW(createSampleInstallation(sample.suite.path() + "/drives", sample.suite.path() + "/config"),
               std::runtime_error);
  EXPECT_EQ(sample.suite.read(kArchives + "DITTE.DAT"), "DATI DELL'UTENTE");
}

}  // namespace
}  // namespace vt
