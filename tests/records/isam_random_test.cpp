// The ISAM index against an in-memory ordered map: long random runs of
// inserts, searches, deletes and next-key steps, with fixed seeds, and the
// structural check of the file after every batch.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "isam_fixture.h"

namespace vt {
namespace {

using testing::kHigh;
using testing::kIndexFile;
using testing::kKeyLength;

// Ten characters drawn from these: blanks, digits, letters and characters
// above 127 (but below the free entries' 252), so that keys share prefixes,
// hold blanks and compare by unsigned character code.
const std::string kAlphabet = std::string(" 059AZa") + "\x80\xE0\xFB";

// The key of number u (1 to 10^10 - 1): u spread over the key space, its
// decimal digits naming the characters. Only u = 0 would give the blank key.
std::string keyOf(std::uint64_t u) {
  constexpr std::uint64_t kSpace = 10000000000ULL;
  std::uint64_t spread = (u * 7919ULL * 104729ULL) % kSpace;
  std::string k(kKeyLength, ' ');
  for (std::size_t i = kKeyLength; i-- > 0;) {
    k[i] = kAlphabet[spread % 10];
    spread /= 10;
  }
  return k;
}

struct Weights {
  int insert;
  int search;
  int remove;
  int next;
};

class IsamRandom : public testing::IndexTest {
 protected:
  // Runs `operations` random operations on keys 1 to `universe` with the
  // weights given, checking each result against the map.
  void runOperations(std::mt19937& rng, int operations, std::uint64_t universe, Weights w) {
    std::uniform_int_distribution<std::uint64_t> anyKey(1, universe);
    std::uniform_int_distribution<int> anyRecord(1, 999999);
    std::uniform_int_distribution<int> anyOperation(1, w.insert + w.search + w.remove + w.next);
    for (int i = 0; i < operations; ++i) {
      const std::string k = keyOf(anyKey(rng));
      const int choice = anyOperation(rng);
      auto present = model.find(k);
      if (choice <= w.insert) {
        const int record = anyRecord(rng);
        ASSERT_EQ(isam(k, kIsamInsert, record), present == model.end() ? 0 : -1) << "insert " << i;
        model.emplace(k, record);
      } else if (choice <= w.insert + w.search) {
        ASSERT_EQ(isam(k, kIsamSearch), present == model.end() ? -1 : present->second) << "search " << i;
      } else if (choice <= w.insert + w.search + w.remove) {
        ASSERT_EQ(isam(k, kIsamDelete), present == model.end() ? -1 : present->second) << "delete " << i;
        if (present != model.end()) model.erase(present);
      } else {
        expectNext(i % 50 == 0 ? std::string(kKeyLength, ' ') : k);
      }
      if (++done % 5000 == 0) {
        std::vector<std::string> faults = checkIndex(kIndexFile);
        ASSERT_TRUE(faults.empty()) << "after " << done << ": " << faults.front();
      }
    }
  }

  void expectNext(const std::string& k) {
    auto next = model.upper_bound(k);
    double result = isam(k, kIsamNext);
    if (next == model.end()) {
      ASSERT_EQ(result, kIsamNoNextKey);
      ASSERT_EQ(S().CHIAVEISAM, std::string(kKeyLength, kHigh));
    } else {
      ASSERT_EQ(result, next->second);
      ASSERT_EQ(S().CHIAVEISAM, next->first);
    }
  }

  // Steps from the blank key through the whole index: every key of the map,
  // in order, with its data record.
  void expectWalkMatches() {
    std::string k(kKeyLength, ' ');
    auto expected = model.begin();
    for (;;) {
      double result = isam(k, kIsamNext);
      if (result == kIsamNoNextKey) break;
      ASSERT_NE(expected, model.end());
      ASSERT_EQ(S().CHIAVEISAM, expected->first);
      ASSERT_EQ(result, expected->second);
      k = S().CHIAVEISAM;
      ++expected;
    }
    ASSERT_EQ(expected, model.end());
  }

  void runSeed(unsigned seed) {
    std::mt19937 rng(seed);
    ASSERT_EQ(initialise(), 0);
    // Growing, then shrinking, then emptied: every split, every removal of
    // an emptied node, and the empty root with nodes left in the file.
    runOperations(rng, 50000, 40000, {50, 20, 15, 15});
    expectWalkMatches();
    // Grown past one second-level node: its splits have been made too.
    EXPECT_GE(node(1).find(kHigh) / testing::kEntryLength, 2u);
    runOperations(rng, 50000, 40000, {15, 20, 50, 15});
    expectWalkMatches();
    while (!model.empty()) {
      ASSERT_EQ(isam(model.begin()->first, kIsamDelete), model.begin()->second);
      model.erase(model.begin());
    }
    EXPECT_EQ(node(1), testing::nodeOf(testing::kRoot, {}));
    EXPECT_TRUE(checkIndex(kIndexFile).empty());
    // And it grows again from its records 1 to 3.
    runOperations(rng, 5000, 2000, {60, 20, 10, 10});
    expectWalkMatches();
    EXPECT_TRUE(dialogs.boxes().empty());
  }

  std::map<std::string, double> model;
  long done = 0;
};

TEST_F(IsamRandom, MixedOperationsAgreeWithAnOrderedMap_FirstSeed) { runSeed(20240611); }

TEST_F(IsamRandom, MixedOperationsAgreeWithAnOrderedMap_SecondSeed) { runSeed(7); }

}  // namespace
}  // namespace vt
