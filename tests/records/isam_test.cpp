// The ISAM index, checked on the bytes of the index file and against an
// ordered map.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <random>

#include "core/failure.h"
#include "fixture.h"
#include "records/records.h"

namespace vt {
namespace {

using namespace testing;  // NOLINT: the fixture's builders
const std::string kBlank(kKeyLength, ' ');
const std::string kHighKey(kKeyLength, kHigh);

class Isam : public IndexTest {
 protected:
  // `code` on `k` gives -1 after the box `text` (OK only, no icon), and the file keeps its bytes.
  void expectRefused(const std::string& k, double code, double record, const std::string& text) {
    const std::string before = bytes();
    const std::size_t shown = dialogs.boxes().size();
    EXPECT_EQ(isam(k, code, record), -1) << text;
    ASSERT_EQ(dialogs.boxes().size(), shown + 1) << text;
    EXPECT_EQ(box(shown), text);
    EXPECT_EQ(dialogs.boxes().back().buttons, Buttons::kOk);
    EXPECT_EQ(dialogs.boxes().back().icon, Icon::kNone);
    EXPECT_TRUE(bytes() == before) << text;
  }
};

TEST_F(Isam, InitialisationAndTheFirstInsertionWriteRecordsOneToThree) {
  writeArchive("WKIND.DAT", std::string(5 * kNodeLength, 'x'));
  CHIUDIFILE(7);
  S().DITTAOPEN = "7";
  EXPECT_EQ(initialise(), 0);
  expectFile({nodeOf('1', {})});
  EXPECT_EQ(S().DITTAOPEN, "7");  // the open's context values are the caller's still
  EXPECT_EQ(isam(key(5), kIsamSearch), -1);
  EXPECT_EQ(isam(key(5), kIsamDelete), -1);
  EXPECT_EQ(isam(kBlank, kIsamNext), kIsamNoNextKey);
  EXPECT_EQ(S().CHIAVEISAM, kHighKey);

  const std::string code = "0010020001";
  EXPECT_EQ(isam(code, kIsamInsert, 42), 0);
  expectFile({nodeOf('1', {code + "1000002"}), nodeOf('2', {code + "2000003"}), nodeOf('3', {code + "3000042"})});
  EXPECT_EQ(isam(code, kIsamSearch), 42);
  EXPECT_EQ(isam(code, kIsamInsert, 43), -1);
  EXPECT_EQ(node(3), nodeOf('3', {code + "3000042"}));
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(Isam, TheEntryThatFillsALeafSplitsIt_AndANewFirstKeyGoesUpToTheRoot) {
  initialise();
  for (long k : run(2, 127, 2)) ASSERT_EQ(isam(key(k), kIsamInsert, static_cast<double>(k)), 0);
  EXPECT_EQ(bytes().size(), 3 * kNodeLength);
  EXPECT_EQ(isam(key(1), kIsamInsert, 1), 0);
  std::vector<long> left{1};
  for (long k : run(2, 63, 2)) left.push_back(k);
  expectFile({nodeOf('1', {entry(1, '1', 2)}), nodeOf('2', {entry(1, '2', 3), entry(128, '2', 4)}), leafOf(left),
              leafOf(run(128, 64, 2))});
  expectSound();
}

TEST_F(Isam, DeletionTakesEmptiedNodesOutOfTheNodesAbove_AndLeavesThemInTheFile) {
  std::vector<std::string> expected = indexOf({{{10, 20}, {30}}, {{40, 50}, {60}}});
  build(expected);
  EXPECT_EQ(isam(key(30), kIsamDelete), 30);
  EXPECT_EQ(isam(key(40), kIsamDelete), 40);
  expected[0] = nodeOf('1', {entry(10, '1', 2), entry(50, '1', 3)});
  expected[1] = nodeOf('2', {entry(10, '2', 4)});
  expected[2] = nodeOf('2', {entry(50, '2', 6), entry(60, '2', 7)});
  expected[4] = nodeOf('3', {});
  expected[5] = leafOf({50});
  expectFile(expected);
  for (long k : {10, 20, 50, 60}) EXPECT_EQ(isam(key(k), kIsamDelete), k);
  EXPECT_EQ(node(1), nodeOf('1', {}));
  EXPECT_EQ(isam(key(99), kIsamInsert, 9), 0);
  EXPECT_EQ(node(3), nodeOf('3', {entry(99, '3', 9)}));
  EXPECT_EQ(bytes().size(), 7 * kNodeLength);
  expectSound();
}

TEST_F(Isam, AFullRootRefusesA129thEntry_UntilADeletionFreesOne) {
  // Second-level nodes 1 to 127 with one leaf of one key each (1000, 2000,
  // ...), the 128th with 127 leaves, the last of them one key from splitting.
  Tree tree;
  for (long b = 1; b <= 127; ++b) tree.push_back({{b * 1000}});
  tree.emplace_back();
  for (long l = 1; l <= 126; ++l) tree.back().push_back({200000 + l * 1000});
  tree.back().push_back(run(400000, 127));
  build(indexOf(tree));
  expectSound();
  expectRefused(key(400127), kIsamInsert, 9, "ERRORE ISAM - INDICE PIENO 7");
  EXPECT_EQ(isam(key(400126), kIsamNext), kIsamNoNextKey);

  EXPECT_EQ(isam(key(127000), kIsamDelete), 127000);
  std::vector<std::string> root;
  for (long b = 1; b <= 128; ++b) {
    if (b != 127) root.push_back(entry(b < 128 ? b * 1000 : 201000, '1', 1 + b));
  }
  EXPECT_EQ(node(1), nodeOf('1', root));
  EXPECT_EQ(isam(key(400127), kIsamInsert, 9), 0);
  EXPECT_EQ(node(1).substr(127 * kEntryLength), entry(265000, '1', 385));
  EXPECT_EQ(isam(key(400127), kIsamSearch), 9);
  expectSound();
}

TEST_F(Isam, NewNodesPastSixDigitRecordNumbersAreRefused) {
  initialise();
  for (long k : run(1, 127)) ASSERT_EQ(isam(key(k), kIsamInsert, static_cast<double>(k)), 0);
  const std::string path = folder.path() + "/" + kArchives + "WKIND.DAT", leaf = node(3);
  std::filesystem::resize_file(path, 999999 * kNodeLength);  // a split would need record 1,000,000
  EXPECT_EQ(isam(key(200), kIsamInsert, 200), -1);
  EXPECT_EQ(box(0), "ERRORE ISAM - INDICE PIENO 7");
  EXPECT_EQ(std::filesystem::file_size(path), 999999 * kNodeLength);
  EXPECT_TRUE(node(3) == leaf);
  EXPECT_EQ(isam(key(1), kIsamDelete), 1);
  EXPECT_EQ(isam(key(200), kIsamInsert, 200), 0);  // no split: it fits
}

TEST_F(Isam, EachRefusalShowsItsMessageAndWritesNothing) {
  for (double code : {1.0, 2.0, 3.0, 4.0}) expectRefused(key(1), code, 1, "ERRORE ISAM - FILE VUOTO 7");
  initialise();
  isam(key(10), kIsamInsert, 10);
  struct Case {
    std::string k;
    double code, record;
    const char* message;
  };
  const Case cases[] = {
      {"", 2, 0, "ERRORE ISAM - LUNK=0"},
      {"123456789", 2, 0, "ERRORE ISAM - LUNK NO OK"},
      {"12345678901", 1, 1, "ERRORE ISAM - LUNK NO OK"},
      {kBlank, 1, 1, "ERRORE ISAM - K=BLANK"},
      {kBlank, 3, 0, "ERRORE ISAM - K=BLANK"},
      {key(10), 5, 0, "ERRORE CODICE ISAM 5"},
      {key(20), 1, 0, "ERR.ISAM - N.REC.=0"},
      {key(20), 1, 1000000, "ERRORE ISAM - N.REC. NON VALIDO"},
      {key(20), 1, 2.5, "ERRORE ISAM - N.REC. NON VALIDO"},
      {"000000002\xFC", 1, 20, "ERRORE ISAM - CHIAVE NON VALIDA"},
      {"\xFF" "000000002", 1, 20, "ERRORE ISAM - CHIAVE NON VALIDA"},
  };
  for (const Case& c : cases) expectRefused(c.k, c.code, c.record, c.message);
  // Characters up to 251 are keys like any other, ordered by their code.
  EXPECT_EQ(isam("\xFB" "000000000", kIsamInsert, 999999), 0);
  EXPECT_EQ(isam("\x80" "000000000", kIsamInsert, 6), 0);
  EXPECT_EQ(isam(key(10), kIsamNext), 6);
  EXPECT_EQ(isam("\x80" "000000000", kIsamNext), 999999);
}

// The small index with node `record` replaced by `text`.
std::vector<std::string> smallIndexWith(long record, const std::string& text) {
  std::vector<std::string> nodes = indexOf({{{10, 20}, {30}}, {{40, 50}, {60}}});
  nodes[static_cast<std::size_t>(record - 1)] = text;
  return nodes;
}

// Damaged index files: an operation that meets the damage fails with 3001
// naming the node (failing 0: the operations go on) and writes nothing; the
// structural check names the fault.
TEST_F(Isam, DamagedIndexFiles) {
  auto changed = [](std::string text, std::size_t at, const std::string& with) { return text.replace(at, with.size(), with); };
  const std::string leaf = leafOf({10, 20});
  std::vector<std::string> full;
  for (long k : run(10, 128)) full.push_back(entry(k, '3', k));
  struct Case {
    long record;
    std::string text;
    long failing;
    const char* fault;
  };
  const Case cases[] = {
      {4, changed(leaf, kEntryLength + kKeyLength, "2"), 4, "record 4, elemento 2: livello 2 invece di 3"},
      {4, changed(leaf, 2 * kEntryLength - 1, "X"), 4, "record 4, elemento 2: numero non di sei cifre"},
      {4, changed(leaf, kEntryLength + 4, std::string(1, kHigh)), 4, "record 4, elemento 2: chiave con carattere 252"},
      {4, nodeOf('3', {entry(10, '3', 10), freeEntry('3'), entry(20, '3', 20)}), 4, "record 4, elemento 3: elemento usato dopo"},
      {4, nodeOf('3', full), 4, "record 4: nodo senza elementi liberi"},
      {4, changed(leaf, 3 * kEntryLength - 6, "000001"), 0, "record 4, elemento 3: elemento libero non nella forma"},
      {4, leafOf({20, 10}), 0, "record 4, elemento 2: chiave non maggiore della precedente"},
      {4, changed(leaf, kKeyLength + 1, "000000"), 0, "record 4, elemento 1: numero di record dati 0"},
      {4, leafOf({12, 20}), 0, "record 2, elemento 1: chiave diversa dalla prima chiave del record 4"},
      {4, leafOf({10, 35}), 0, "record 5, elemento 1: chiave non maggiore dell'ultima chiave"},
      {1, nodeOf('1', {entry(10, '1', 2), entry(40, '1', 99)}), 1, "record 1, elemento 2: record 99 fuori dal file"},
      {2, nodeOf('2', {entry(10, '2', 0)}), 2, "record 2, elemento 1: record 0 fuori dal file"},
      {2, nodeOf('2', {entry(10, '2', 4), entry(30, '2', 4)}), 0, "record 2, elemento 2: record 4 raggiunto due volte"},
      {2, nodeOf('2', {entry(10, '2', 1)}), 1, "record 2, elemento 1: record 1 raggiunto due volte"},
      {2, nodeOf('2', {}), 2, "record 2: nodo vuoto"},
  };
  for (const Case& c : cases) {
    build(smallIndexWith(c.record, c.text));
    const std::string before = bytes();
    std::vector<std::string> faults = checkIndex(7);
    EXPECT_TRUE(std::any_of(faults.begin(), faults.end(), [&](auto& f) { return f.find(c.fault) == 0; }))
        << c.fault << " got: " << (faults.empty() ? "nothing" : faults.front());
    if (c.failing == 0) continue;
    for (double code : {kIsamSearch, kIsamInsert, kIsamDelete}) {
      try {
        isam(key(10), code, 5);
        ADD_FAILURE() << c.fault << ": no failure";
      } catch (const RuntimeFailure& failure) {
        EXPECT_EQ(failure.code(), err::kDamagedIndex);
        EXPECT_NE(failure.description().find("file 7, record " + std::to_string(c.failing) + ":"), std::string::npos)
            << c.fault << ": " << failure.description();
      }
    }
    EXPECT_TRUE(bytes() == before) << c.fault;
  }
  writeArchive("WKIND.DAT", std::string(100, ' '));
  FAIOPEN(7);
  EXPECT_EQ(checkIndex(7), std::vector<std::string>{"file pi\xF9 corto di un nodo"});
  EXPECT_THROW(isam(key(10), kIsamSearch), RuntimeFailure);
  EXPECT_TRUE(dialogs.boxes().empty());
}

// Random inserts, searches, deletes and next-key steps on keys of blanks,
// digits, letters and characters above 127, against an ordered map, with the
// structural check every 5,000 operations; grown past one second-level node,
// emptied, and grown again.
class IsamRandom : public IndexTest, public ::testing::WithParamInterface<int> {
 protected:
  std::string keyOf(std::uint64_t u) {
    static const std::string alphabet = " 059AZa\x80\xE0\xFB";
    std::uint64_t spread = (u * 7919ULL * 104729ULL) % 10000000000ULL;
    std::string k(kKeyLength, ' ');
    for (std::size_t i = kKeyLength; i-- > 0; spread /= 10) k[i] = alphabet[spread % 10];
    return k;
  }
  // `operations` steps on keys 1 to `universe`; weights of insert, search, delete (next takes the rest of 100).
  void steps(int operations, std::uint64_t universe, int insert, int search, int remove) {
    std::uniform_int_distribution<std::uint64_t> anyKey(1, universe);
    std::uniform_int_distribution<int> anyRecord(1, 999999), anyOperation(1, 100);
    for (int i = 0; i < operations; ++i) {
      const std::string k = i % 50 == 0 ? kBlank : keyOf(anyKey(rng));
      const int choice = anyOperation(rng);
      auto at = model.find(k);
      const double present = at == model.end() ? -1 : at->second;
      if (choice <= insert && k != kBlank) {
        const int record = anyRecord(rng);
        ASSERT_EQ(isam(k, kIsamInsert, record), at == model.end() ? 0 : -1) << i;
        model.emplace(k, record);
      } else if (choice <= insert + search && k != kBlank) {
        ASSERT_EQ(isam(k, kIsamSearch), present) << i;
      } else if (choice <= insert + search + remove && k != kBlank) {
        ASSERT_EQ(isam(k, kIsamDelete), present) << i;
        if (at != model.end()) model.erase(at);
      } else {
        auto next = model.upper_bound(k);
        ASSERT_EQ(isam(k, kIsamNext), next == model.end() ? kIsamNoNextKey : next->second) << i;
        ASSERT_EQ(S().CHIAVEISAM, next == model.end() ? kHighKey : next->first) << i;
      }
      if (++done % 5000 == 0) expectSound();
    }
  }
  std::mt19937 rng{20240611};
  std::map<std::string, double> model;
  long done = 0;
};

TEST_P(IsamRandom, AgreesWithAnOrderedMap) {
  const int operations = GetParam();
  initialise();
  steps(operations, 40000, 50, 20, 15);
  EXPECT_GE(node(1).find(kHigh) / kEntryLength, 2u);  // more than one second-level node
  steps(operations, 40000, 15, 20, 50);
  for (auto at = model.begin(); at != model.end(); at = model.erase(at)) ASSERT_EQ(isam(at->first, kIsamDelete), at->second);
  EXPECT_EQ(node(1), nodeOf('1', {}));
  steps(operations / 10, 2000, 60, 20, 10);
  expectSound();
  EXPECT_TRUE(dialogs.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Operations, IsamRandom, ::testing::Values(50000));

}  // namespace
}  // namespace vt
