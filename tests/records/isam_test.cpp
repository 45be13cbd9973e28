// The ISAM index, checked on the bytes of the index file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "core/failure.h"
#include "isam_fixture.h"
#include "records/records.h"

namespace vt {
namespace {

using testing::entry;
using testing::firstDifference;
using testing::freeEntry;
using testing::indexOf;
using testing::key;
using testing::kBranch;
using testing::kEntries;
using testing::kHigh;
using testing::kIndexFile;
using testing::kKeyLength;
using testing::kLeaf;
using testing::kNodeLength;
using testing::kRoot;
using testing::leafOf;
using testing::nodeOf;
using testing::run;
using testing::Tree;

const std::string kBlank(kKeyLength, ' ');
const std::string kHighValue(kKeyLength, kHigh);

// The failure that `operation` raises, or nothing.
std::optional<RuntimeFailure> failureOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const RuntimeFailure& failure) {
    return failure;
  }
  return std::nullopt;
}

class Isam : public testing::IndexTest {
 protected:
  // The box shown last: OK only, no icon, default title, with `text`.
  void expectLastBox(const std::string& text) {
    ASSERT_FALSE(dialogs.boxes().empty());
    const auto& box = dialogs.boxes().back();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, Buttons::kOk);
    EXPECT_EQ(box.icon, Icon::kNone);
    EXPECT_EQ(box.title, "");
  }

  // `code` on `k` gives -1 after the box `text`, and the file keeps its bytes.
  void expectRefused(const std::string& k, double code, double record, const std::string& text) {
    const std::string before = bytes();
    const std::size_t boxes = dialogs.boxes().size();
    EXPECT_EQ(isam(k, code, record), -1) << text;
    EXPECT_EQ(dialogs.boxes().size(), boxes + 1) << text;
    expectLastBox(text);
    EXPECT_EQ(firstDifference(bytes(), before), "") << text;
  }

  // Two second-level nodes: records 2 and 3; leaves 4 [10 20], 5 [30] under
  // the first and 6 [40 50], 7 [60] under the second.
  static Tree smallTree() { return {{{10, 20}, {30}}, {{40, 50}, {60}}}; }
};

TEST_F(Isam, InitialisationWritesAnEmptyRoot_AndKeepsTheContextValues) {
  writeArchive(testing::kIndexName, std::string(5 * kNodeLength, 'x'));
  CHIUDIFILE(kIndexFile);
  S().DITTAOPEN = "7";
  S().ANNOOPEN = "2005";
  S().REGIONEOPEN = "3";
  S().PROVINCIAOPEN = "TV";
  S().DRIVEOPEN = "D:";
  EXPECT_EQ(initialise(), 0);
  expectFile({nodeOf(kRoot, {})});
  EXPECT_EQ(bytes().substr(0, kKeyLength + 7), kHighValue + "1000000");
  EXPECT_NE(S().NUMEROFILE[7], 0);
  // Unlike a plain open, which leaves them normalised ("007", "05", "03").
  EXPECT_EQ(S().DITTAOPEN, "7");
  EXPECT_EQ(S().ANNOOPEN, "2005");
  EXPECT_EQ(S().REGIONEOPEN, "3");
  EXPECT_EQ(S().PROVINCIAOPEN, "TV");
  EXPECT_EQ(S().DRIVEOPEN, "D:");

  // An index in a company's folder: opened with the company code, which the
  // caller still has afterwards.
  writeTable({{7, {testing::kIndexName, static_cast<int>(kNodeLength)}},
              {30, {"IND###.DAT", static_cast<int>(kNodeLength)}}});
  S().DITTAOPEN = "5";
  EXPECT_EQ(ISAM(30, kBlank, kIsamInitialise), 0);
  EXPECT_EQ(archive("IND005.DAT"), nodeOf(kRoot, {}));
  EXPECT_EQ(S().DITTAOPEN, "5");
}

TEST_F(Isam, AnEmptyIndexHasNoKeys_AndOnlyItsRootIsRead) {
  initialise();
  const std::string empty = bytes();
  std::uint64_t reads = recordsRead();
  EXPECT_EQ(isam(key(5), kIsamSearch), -1);
  EXPECT_EQ(recordsRead() - reads, 1u);
  EXPECT_EQ(S().ULTIMOREC[7], 1);
  EXPECT_EQ(isam(key(5), kIsamDelete), -1);
  S().CHIAVEISAM = "x";
  EXPECT_EQ(isam(kBlank, kIsamNext), kIsamNoNextKey);
  EXPECT_EQ(S().CHIAVEISAM, kHighValue);
  EXPECT_EQ(firstDifference(bytes(), empty), "");
  EXPECT_TRUE(dialogs.boxes().empty());
  expectSound();
}

TEST_F(Isam, TheFirstInsertionWritesRecordsOneToThree) {
  initialise();
  const std::string code = "0010020001";
  EXPECT_EQ(isam(code, kIsamInsert, 42), 0);
  expectFile({nodeOf(kRoot, {code + "1000002"}), nodeOf(kBranch, {code + "2000003"}),
              nodeOf(kLeaf, {code + "3000042"})});
  S().FINEARCHIVIO = 1;
  EXPECT_EQ(isam(code, kIsamSearch), 42);
  EXPECT_EQ(S().FINEARCHIVIO, 0);

  // The same key again: -1, no box, nothing written.
  const std::string once = bytes();
  EXPECT_EQ(isam(code, kIsamInsert, 43), -1);
  EXPECT_EQ(firstDifference(bytes(), once), "");
  EXPECT_TRUE(dialogs.boxes().empty());
  expectSound();
}

TEST_F(Isam, ASearchOfANonEmptyIndexReadsExactlyThreeRecords) {
  build(indexOf({{{10, 20}, {30, 31, 32}}, {{40, 50}, {60}}, {{70}, {80, 90}}}));
  struct Case {
    long k;
    double expected;
  };
  for (Case c : {Case{10, 10}, Case{32, 32}, Case{60, 60}, Case{90, 90}, Case{5, -1}, Case{35, -1}, Case{95, -1}}) {
    std::uint64_t reads = recordsRead();
    EXPECT_EQ(isam(key(c.k), kIsamSearch), c.expected) << c.k;
    EXPECT_EQ(recordsRead() - reads, 3u) << c.k;
  }
  // The last node read is the leaf of the key: for 60 the fourth leaf, record 8.
  isam(key(60), kIsamSearch);
  EXPECT_EQ(S().ULTIMOREC[7], 8);
}

TEST_F(Isam, TheChecksComeInOrder_EachWithItsMessage_AndTouchNothing) {
  // An index file with nothing in it: every code but the initialisation.
  for (double code : {1.0, 2.0, 3.0, 4.0, 5.0}) expectRefused("", code, 1, "ERRORE ISAM - FILE VUOTO 7");

  initialise();
  isam(key(10), kIsamInsert, 10);
  expectRefused("", kIsamSearch, 0, "ERRORE ISAM - LUNK=0");
  expectRefused("123456789", kIsamSearch, 0, "ERRORE ISAM - LUNK NO OK");
  expectRefused("12345678901", kIsamInsert, 1, "ERRORE ISAM - LUNK NO OK");
  expectRefused("          1", kIsamNext, 0, "ERRORE ISAM - LUNK NO OK");
  for (double code : {1.0, 2.0, 3.0}) expectRefused(kBlank, code, 1, "ERRORE ISAM - K=BLANK");
  expectRefused(key(10), 5, 0, "ERRORE CODICE ISAM 5");
  expectRefused(key(10), 0, 0, "ERRORE CODICE ISAM 0");
  expectRefused(key(10), -2, 0, "ERRORE CODICE ISAM -2");
}

TEST_F(Isam, AnInsertionTheFormatCannotHoldIsRefused_AndWritesNothing) {
  initialise();
  isam(key(10), kIsamInsert, 10);
  expectRefused(key(20), kIsamInsert, 0, "ERR.ISAM - N.REC.=0");
  for (double record : {-1.0, 1000000.0, 2.5, 1e12}) {
    expectRefused(key(20), kIsamInsert, record, "ERRORE ISAM - N.REC. NON VALIDO");
  }
  for (std::string k : {std::string("000000002\xFC"), std::string("\xFF") + "000000002", std::string("00\xFD") + "0000002"}) {
    expectRefused(k, kIsamInsert, 20, "ERRORE ISAM - CHIAVE NON VALIDA");
  }
  // The widest record numbers fit.
  EXPECT_EQ(isam(key(20), kIsamInsert, 999999), 0);
  EXPECT_EQ(isam(key(30), kIsamInsert, 1), 0);
  EXPECT_EQ(node(3), nodeOf(kLeaf, {entry(key(10), kLeaf, 10), entry(key(20), kLeaf, 999999), entry(key(30), kLeaf, 1)}));
  // Characters up to 251 are keys like any other, ordered by their code.
  EXPECT_EQ(isam(std::string("\xFB") + "000000000", kIsamInsert, 5), 0);
  EXPECT_EQ(isam(std::string("\x80") + "000000000", kIsamInsert, 6), 0);
  EXPECT_EQ(isam(key(30), kIsamNext), 6);
  EXPECT_EQ(isam(std::string("\x80") + "000000000", kIsamNext), 5);
  expectSound();
}

TEST_F(Isam, AKeySmallerThanAllOthersChangesTheKeysAboveItUpToTheRoot) {
  const std::vector<std::string> original = indexOf(smallTree());
  build(original);
  EXPECT_EQ(isam(key(5), kIsamInsert, 77), 0);
  std::vector<std::string> expected = original;
  expected[0] = nodeOf(kRoot, {entry(key(5), kRoot, 2), entry(key(40), kRoot, 3)});
  expected[1] = nodeOf(kBranch, {entry(key(5), kBranch, 4), entry(key(30), kBranch, 5)});
  expected[3] = nodeOf(kLeaf, {entry(key(5), kLeaf, 77), entry(key(10), kLeaf, 10), entry(key(20), kLeaf, 20)});
  expectFile(expected);

  // And so again for a key smaller still.
  EXPECT_EQ(isam(key(1), kIsamInsert, 1), 0);
  expected[0] = nodeOf(kRoot, {entry(key(1), kRoot, 2), entry(key(40), kRoot, 3)});
  expected[1] = nodeOf(kBranch, {entry(key(1), kBranch, 4), entry(key(30), kBranch, 5)});
  expected[3] = leafOf({1, 5, 10, 20});
  expected[3].replace(testing::kEntryLength + kKeyLength + 1, 6, "000077");
  expectFile(expected);
  // A key that goes first in no leaf changes its leaf only.
  EXPECT_EQ(isam(key(35), kIsamInsert, 35), 0);
  expected[4] = leafOf({30, 35});
  expectFile(expected);
  expectSound();
}

TEST_F(Isam, TheEntryThatFillsALeafSplitsItSixtyFourAndSixtyFour) {
  initialise();
  for (long k : run(2, 127, 2)) ASSERT_EQ(isam(key(k), kIsamInsert, static_cast<double>(k)), 0);
  EXPECT_EQ(records(), 3);
  EXPECT_EQ(node(3), leafOf(run(2, 127, 2)));

  // The 128th key, smaller than every other: it goes first, then the leaf splits.
  EXPECT_EQ(isam(key(1), kIsamInsert, 1), 0);
  std::vector<long> left{1};
  for (long k : run(2, 63, 2)) left.push_back(k);
  expectFile({nodeOf(kRoot, {entry(key(1), kRoot, 2)}),
              nodeOf(kBranch, {entry(key(1), kBranch, 3), entry(key(128), kBranch, 4)}), leafOf(left),
              leafOf(run(128, 64, 2))});
  for (long k : {1L, 126L, 128L, 254L}) EXPECT_EQ(isam(key(k), kIsamSearch), k);
  expectSound();
}

TEST_F(Isam, TheEntryThatFillsASecondLevelNodeSplitsIt_AndTheRootTakesTheNewNode) {
  // One second-level node with 127 leaves: 126 of one key, the last of 127.
  Tree tree(1);
  for (long l = 1; l <= 126; ++l) tree[0].push_back({l * 1000});
  tree[0].push_back(run(127000, 127));
  const std::vector<std::string> original = indexOf(tree);
  build(original);
  ASSERT_EQ(records(), 129);

  EXPECT_EQ(isam(key(127127), kIsamInsert, 5), 0);
  std::vector<std::string> left;
  std::vector<std::string> right;
  for (long l = 1; l <= 128; ++l) {
    long first = l <= 127 ? (l < 127 ? l * 1000 : 127000) : 127064;
    (l <= 64 ? left : right).push_back(entry(key(first), kBranch, 2 + l));
  }
  std::vector<std::string> expected = original;
  expected[0] = nodeOf(kRoot, {entry(key(1000), kRoot, 2), entry(key(65000), kRoot, 131)});
  expected[1] = nodeOf(kBranch, left);
  expected[128] = leafOf(run(127000, 64));
  std::vector<std::string> rightLeaf;
  for (long k : run(127064, 63)) rightLeaf.push_back(entry(key(k), kLeaf, k % 1000000));
  rightLeaf.push_back(entry(key(127127), kLeaf, 5));
  expected.push_back(nodeOf(kLeaf, rightLeaf));  // record 130
  expected.push_back(nodeOf(kBranch, right));    // record 131
  expectFile(expected);
  expectSound();
}

TEST_F(Isam, DeletionRemovesEmptiedNodesFromTheNodesAbove_AndLeavesThemInTheFile) {
  std::vector<std::string> expected = indexOf(smallTree());
  build(expected);

  // A key that is not first: only its leaf changes.
  EXPECT_EQ(isam(key(20), kIsamDelete), 20);
  expected[3] = leafOf({10});
  expectFile(expected);

  // The only key of a leaf: the leaf is emptied and leaves its second-level node.
  EXPECT_EQ(isam(key(30), kIsamDelete), 30);
  expected[4] = nodeOf(kLeaf, {});
  expected[1] = nodeOf(kBranch, {entry(key(10), kBranch, 4)});
  expectFile(expected);
  expectSound();

  // The first key of a second-level node: the new first key goes up to the root.
  EXPECT_EQ(isam(key(40), kIsamDelete), 40);
  expected[5] = leafOf({50});
  expected[2] = nodeOf(kBranch, {entry(key(50), kBranch, 6), entry(key(60), kBranch, 7)});
  expected[0] = nodeOf(kRoot, {entry(key(10), kRoot, 2), entry(key(50), kRoot, 3)});
  expectFile(expected);

  // The last key of a second-level node: it leaves the root.
  EXPECT_EQ(isam(key(10), kIsamDelete), 10);
  expected[3] = nodeOf(kLeaf, {});
  expected[1] = nodeOf(kBranch, {});
  expected[0] = nodeOf(kRoot, {entry(key(50), kRoot, 3)});
  expectFile(expected);
  expectSound();

  // Absent keys: -1, nothing written.
  EXPECT_EQ(isam(key(10), kIsamDelete), -1);
  EXPECT_EQ(isam(key(55), kIsamDelete), -1);
  expectFile(expected);

  // The last keys: an empty root, the file as long as before.
  EXPECT_EQ(isam(key(50), kIsamDelete), 50);
  EXPECT_EQ(isam(key(60), kIsamDelete), 60);
  EXPECT_EQ(node(1), nodeOf(kRoot, {}));
  EXPECT_EQ(records(), 7);
  EXPECT_EQ(isam(key(60), kIsamSearch), -1);
  expectSound();

  // The next insertion writes records 1 to 3 anew; the others stay.
  const std::string before = bytes();
  EXPECT_EQ(isam(key(99), kIsamInsert, 9), 0);
  const std::string after = bytes();
  EXPECT_EQ(after.substr(0, 3 * kNodeLength), nodeOf(kRoot, {entry(key(99), kRoot, 2)}) +
                                                  nodeOf(kBranch, {entry(key(99), kBranch, 3)}) +
                                                  nodeOf(kLeaf, {entry(key(99), kLeaf, 9)}));
  EXPECT_EQ(after.substr(3 * kNodeLength), before.substr(3 * kNodeLength));
  expectSound();
}

TEST_F(Isam, NextKeyGivesTheFirstGreaterKey_ClimbingToTheNextNodes) {
  build(indexOf({{{10, 20}, {30}}, {{40, 50}, {60}}, {{70}}}));
  const std::string before = bytes();

  // A walk from the blank key meets every key once, in order, and no leaf's
  // first key is skipped when the walk moves to the next node.
  std::vector<long> walked;
  std::string k = kBlank;
  for (int steps = 0; steps < 20; ++steps) {
    double record = isam(k, kIsamNext);
    if (record == kIsamNoNextKey) break;
    k = S().CHIAVEISAM;
    walked.push_back(static_cast<long>(record));
    EXPECT_EQ(k, key(static_cast<long>(record)));
  }
  EXPECT_EQ(walked, (std::vector<long>{10, 20, 30, 40, 50, 60, 70}));
  EXPECT_EQ(S().CHIAVEISAM, kHighValue);

  // Keys between the ones present, and before and after them all.
  struct Case {
    long k;
    double expected;
  };
  for (Case c : {Case{0, 10}, Case{15, 20}, Case{25, 30}, Case{35, 40}, Case{69, 70}, Case{70, kIsamNoNextKey},
                 Case{99, kIsamNoNextKey}}) {
    EXPECT_EQ(isam(key(c.k), kIsamNext), c.expected) << c.k;
    EXPECT_EQ(S().CHIAVEISAM, c.expected == kIsamNoNextKey ? kHighValue : key(static_cast<long>(c.expected)));
  }
  EXPECT_EQ(firstDifference(bytes(), before), "");
  EXPECT_TRUE(dialogs.boxes().empty());
}

// A full root: second-level nodes 1 to 127 with one leaf of one key each
// (1000, 2000, ...), the 128th with 127 leaves, the last of which is one key
// away from splitting (keys 400000 to 400126).
Tree fullRootTree() {
  Tree tree;
  for (long b = 1; b <= 127; ++b) tree.push_back({{b * 1000}});
  tree.emplace_back();
  for (long l = 1; l <= 126; ++l) tree.back().push_back({200000 + l * 1000});
  tree.back().push_back(run(400000, 127));
  return tree;
}

TEST_F(Isam, AFullRootRefusesA129thEntry_AndStaysAsItWas) {
  build(indexOf(fullRootTree()));
  expectSound();
  // The split of the last second-level node would need a 129th root entry.
  expectRefused(key(400127), kIsamInsert, 9, "ERRORE ISAM - INDICE PIENO 7");
  expectRefused(key(999999999), kIsamInsert, 9, "ERRORE ISAM - INDICE PIENO 7");

  // The entry choice stops at the last root entry; the walk ends there.
  EXPECT_EQ(isam(key(400126), kIsamSearch), 400126);
  EXPECT_EQ(isam(key(999999999), kIsamSearch), -1);
  EXPECT_EQ(isam(key(400126), kIsamNext), kIsamNoNextKey);
  EXPECT_EQ(S().CHIAVEISAM, kHighValue);
  EXPECT_EQ(isam(key(127000), kIsamNext), 201000);

  // Insertions that need no new root entry go on.
  EXPECT_EQ(isam(key(500), kIsamInsert, 5), 0);
  EXPECT_EQ(node(1).substr(0, testing::kEntryLength), entry(key(500), kRoot, 2));
  expectSound();

  // Removing a root entry puts a free entry in the root's last place ...
  EXPECT_EQ(isam(key(127000), kIsamDelete), 127000);
  std::vector<std::string> rootEntries;
  for (long b = 1; b <= 128; ++b) {
    if (b != 127) rootEntries.push_back(entry(key(b == 1 ? 500 : b < 128 ? b * 1000 : 201000), kRoot, 1 + b));
  }
  EXPECT_EQ(node(1), nodeOf(kRoot, rootEntries));
  expectSound();
  // ... and the refused insertion now has its place.
  EXPECT_EQ(isam(key(400127), kIsamInsert, 9), 0);
  EXPECT_EQ(node(1).substr((kEntries - 1) * testing::kEntryLength), entry(key(265000), kRoot, 385));
  EXPECT_EQ(isam(key(400127), kIsamSearch), 9);
  expectSound();
}

TEST_F(Isam, AscendingInsertionsLayTheIndexOutNodeByNode) {
  initialise();
  // Enough keys for three second-level nodes.
  const long count = 12345;
  for (long k = 1; k <= count; ++k) ASSERT_EQ(isam(key(k), kIsamInsert, static_cast<double>(k)), 0) << k;
  expectFile(testing::ascendingIndex(count));
  expectSound();
}

TEST_F(Isam, AscendingInsertionsFillTheRoot_ThenTheNextIsRefusedAndChangesNothing) {
  // 524,288 ascending keys give the root its 128th entry; the file those
  // insertions leave is built directly, and the last insertions are real.
  const long rootFull = 524288;
  build(testing::ascendingIndex(rootFull));
  ASSERT_EQ(node(1).find(kHigh), std::string::npos);
  long inserted = rootFull;
  double result = 0;
  while ((result = isam(key(inserted + 1), kIsamInsert, static_cast<double>(inserted + 1))) == 0) {
    ++inserted;
    ASSERT_LT(inserted, 600000);
  }
  EXPECT_EQ(result, -1);
  expectLastBox("ERRORE ISAM - INDICE PIENO 7");
  EXPECT_EQ(dialogs.boxes().size(), 1u);
  // The last second-level node has 127 leaves, the last of which holds 127 keys.
  EXPECT_EQ(inserted, 127 * 64 * 64 + 126 * 64 + 127);
  expectFile(testing::ascendingIndex(inserted));
  const std::string full = bytes();
  expectRefused(key(inserted + 1), kIsamInsert, 1, "ERRORE ISAM - INDICE PIENO 7");
  expectRefused(key(999999999), kIsamInsert, 1, "ERRORE ISAM - INDICE PIENO 7");
  EXPECT_EQ(firstDifference(bytes(), full), "");
  for (long k : {1L, 4096L, 4097L, inserted}) EXPECT_EQ(isam(key(k), kIsamSearch), static_cast<double>(k));
  EXPECT_EQ(isam(key(inserted), kIsamNext), kIsamNoNextKey);
  expectSound();
}

TEST_F(Isam, NewNodesPastSixDigitRecordNumbersAreRefused) {
  initialise();
  for (long k : run(1, 127)) ASSERT_EQ(isam(key(k), kIsamInsert, static_cast<double>(k)), 0);
  // The file grows (sparsely) to 999,999 nodes: a split would need record 1,000,000.
  const std::string path = folder.path() + "/drives/C/ARCHIVI/" + testing::kIndexName;
  std::filesystem::resize_file(path, 999999 * kNodeLength);
  const std::string before = head(3);
  EXPECT_EQ(isam(key(200), kIsamInsert, 200), -1);
  expectLastBox("ERRORE ISAM - INDICE PIENO 7");
  EXPECT_EQ(std::filesystem::file_size(path), 999999 * kNodeLength);
  EXPECT_EQ(head(3), before);
  // Insertions that split nothing still fit.
  EXPECT_EQ(isam(key(1), kIsamDelete), 1);
  EXPECT_EQ(isam(key(200), kIsamInsert, 200), 0);
  EXPECT_EQ(isam(key(200), kIsamSearch), 200);
}

// --- Damaged indexes ---------------------------------------------------------

// The small index with one node replaced by `text`.
std::vector<std::string> smallIndexWith(long record, const std::string& text) {
  std::vector<std::string> nodes = indexOf({{{10, 20}, {30}}, {{40, 50}, {60}}});
  nodes[static_cast<std::size_t>(record - 1)] = text;
  return nodes;
}

TEST_F(Isam, ADamagedNodeIsAFailureNamingTheFileAndTheNode_AndNothingIsWritten) {
  std::string levelTwoInLeaf = leafOf({10, 20});
  levelTwoInLeaf[testing::kEntryLength + kKeyLength] = kBranch;
  std::string letterInNumber = leafOf({10, 20});
  letterInNumber[2 * testing::kEntryLength - 1] = 'X';
  std::string highInKey = leafOf({10, 20});
  highInKey[testing::kEntryLength + 4] = kHigh;
  std::vector<std::string> fullLeafEntries;
  for (long k : run(10, kEntries)) fullLeafEntries.push_back(entry(key(k), kLeaf, k));
  std::string usedAfterFree = nodeOf(kLeaf, {entry(key(10), kLeaf, 10), freeEntry(kLeaf), entry(key(20), kLeaf, 20)});
  struct Case {
    const char* what;
    std::vector<std::string> nodes;
    long record;  // the node named in the failure
  };
  std::vector<Case> cases{
      {"a wrong level digit", smallIndexWith(4, levelTwoInLeaf), 4},
      {"a letter in a record number", smallIndexWith(4, letterInNumber), 4},
      {"character 252 inside a key", smallIndexWith(4, highInKey), 4},
      {"a child past the end of the file",
       smallIndexWith(1, nodeOf(kRoot, {entry(key(10), kRoot, 2), entry(key(40), kRoot, 99)})), 1},
      {"a child record 0", smallIndexWith(2, nodeOf(kBranch, {entry(key(10), kBranch, 0)})), 2},
      {"a child that is the root", smallIndexWith(2, nodeOf(kBranch, {entry(key(10), kBranch, 1)})), 1},
      {"a leaf with no free entry", smallIndexWith(4, nodeOf(kLeaf, fullLeafEntries)), 4},
      {"a used entry after a free one", smallIndexWith(4, usedAfterFree), 4},
      {"an empty second-level node", smallIndexWith(2, nodeOf(kBranch, {})), 2},
      {"a file shorter than a node", {std::string(100, ' ')}, 1},
      {"a last node cut short", {indexOf({{{10}}})[0], indexOf({{{10}}})[1], indexOf({{{10}}})[2].substr(0, 50)}, 2},
  };
  for (const Case& c : cases) {
    build(c.nodes);
    const std::string before = bytes();
    for (double code : {kIsamSearch, kIsamInsert, kIsamDelete}) {
      std::optional<RuntimeFailure> failure = failureOf([&] { isam(key(10), code, 5); });
      ASSERT_TRUE(failure.has_value()) << c.what;
      EXPECT_EQ(failure->code(), err::kDamagedIndex) << c.what;
      EXPECT_NE(failure->description().find("file 7, record " + std::to_string(c.record) + ":"), std::string::npos)
          << c.what << ": " << failure->description();
    }
    EXPECT_EQ(firstDifference(bytes(), before), "") << c.what;
    EXPECT_FALSE(checkIndex(kIndexFile).empty()) << c.what;
  }
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(Isam, TheInitialisationOfAFileWhoseRecordsCannotBeNodesIsAFailure) {
  writeTable({{8, {"WKSTRANO.DAT", 100}}});
  FAIOPEN(8);
  std::optional<RuntimeFailure> failure = failureOf([] { ISAM(8, "X", kIsamInitialise); });
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->code(), err::kBadRecordLength);
  EXPECT_EQ(archive("WKSTRANO.DAT"), "");
}

// --- The structural check ----------------------------------------------------

class IndexCheck : public testing::IndexTest {
 protected:
  // The faults found in the small index with node `record` replaced by `text`.
  std::vector<std::string> faultsWith(long record, const std::string& text) {
    build(smallIndexWith(record, text));
    return checkIndex(kIndexFile);
  }
  static bool mentions(const std::vector<std::string>& faults, const std::string& text) {
    for (const std::string& f : faults) {
      if (f.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

TEST_F(IndexCheck, ASoundIndexHasNoFaults) {
  initialise();
  EXPECT_TRUE(checkIndex(kIndexFile).empty());
  build(indexOf(fullRootTree()));
  EXPECT_TRUE(checkIndex(kIndexFile).empty());
}

TEST_F(IndexCheck, EachDepartureFromTheFormatIsReported_WithItsNodeAndEntry) {
  struct Case {
    long record;
    std::string text;
    std::string fault;
  };
  std::string badFree = leafOf({10, 20});
  badFree.replace(3 * testing::kEntryLength - 6, 6, "000001");
  std::string wrongLevel = leafOf({10, 20});
  wrongLevel[testing::kEntryLength + kKeyLength] = kBranch;
  std::vector<std::string> fullEntries;
  for (long k : run(10, kEntries)) fullEntries.push_back(entry(key(k), kLeaf, k));
  std::vector<Case> cases{
      {4, leafOf({20, 10}), "record 4, elemento 2: chiave non maggiore della precedente"},
      {4, leafOf({10, 10}), "record 4, elemento 2: chiave non maggiore della precedente"},
      {4, leafOf({10, 20}).replace(kKeyLength + 1, 6, "000000"), "record 4, elemento 1: numero di record dati 0"},
      {4, badFree, "record 4, elemento 3: elemento libero non nella forma prevista"},
      {4, wrongLevel, "record 4, elemento 2: livello 2 invece di 3"},
      {4, nodeOf(kLeaf, {entry(key(10), kLeaf, 10), freeEntry(kLeaf), entry(key(20), kLeaf, 20)}),
       "record 4, elemento 3: elemento usato dopo un elemento libero"},
      {4, nodeOf(kLeaf, fullEntries), "record 4: nodo senza elementi liberi"},
      {4, leafOf({12, 20}), "record 2, elemento 1: chiave diversa dalla prima chiave del record 4"},
      {4, leafOf({10, 35}), "record 5, elemento 1: chiave non maggiore dell'ultima chiave della foglia precedente"},
      {2, nodeOf(kBranch, {entry(key(10), kBranch, 4), entry(key(30), kBranch, 4)}), "record 2, elemento 2: record 4 raggiunto due volte"},
      {2, nodeOf(kBranch, {entry(key(10), kBranch, 4), entry(key(30), kBranch, 50)}), "record 2, elemento 2: record 50 fuori dal file"},
      {2, nodeOf(kBranch, {entry(key(10), kBranch, 4), entry(key(30), kBranch, 0)}), "record 2, elemento 2: record 0 fuori dal file"},
      {2, nodeOf(kBranch, {}), "record 2: nodo vuoto"},
      {1, nodeOf(kRoot, {entry(key(10), kRoot, 2), entry(key(40), kRoot, 1)}), "record 1, elemento 2: record 1 raggiunto due volte"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> faults = faultsWith(c.record, c.text);
    EXPECT_TRUE(mentions(faults, c.fault)) << c.fault << (faults.empty() ? " (none)" : " got: " + faults.front());
  }
  writeArchive(testing::kIndexName, std::string(100, ' '));
  FAIOPEN(kIndexFile);
  EXPECT_EQ(checkIndex(kIndexFile), std::vector<std::string>{"file pi\xF9 corto di un nodo"});
}

}  // namespace
}  // namespace vt
