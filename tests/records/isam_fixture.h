// An installation with the employee index (file 7, "WKIND.DAT", keys of ten
// characters, nodes of 2,176 bytes) and builders of index files byte by byte,
// written from the node format alone, so that tests compare the program's
// bytes with what another program of the suite would write.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

#include "core/state.h"
#include "record_files_fixture.h"
#include "records/files.h"
#include "records/isam.h"

namespace vt::testing {

inline constexpr double kIndexFile = 7;
inline constexpr const char* kIndexName = "WKIND.DAT";
inline constexpr std::size_t kKeyLength = 10;
inline constexpr std::size_t kEntryLength = kKeyLength + 7;
inline constexpr int kEntries = 128;
inline constexpr std::size_t kNodeLength = kEntryLength * kEntries;
inline constexpr char kHigh = static_cast<char>(252);
inline constexpr char kRoot = '1';
inline constexpr char kBranch = '2';
inline constexpr char kLeaf = '3';

// The ten-character key of number n: "0000000042" for 42.
inline std::string key(long n) {
  std::string digits = std::to_string(n);
  return std::string(kKeyLength - digits.size(), '0') + digits;
}

// One entry: the key, the level digit, the number in six digits.
inline std::string entry(const std::string& k, char level, long number) {
  std::string digits = std::to_string(number);
  return k + level + std::string(6 - digits.size(), '0') + digits;
}

inline std::string freeEntry(char level) { return std::string(kKeyLength, kHigh) + level + "000000"; }

// A node of `level` whose used entries are `entries` (whole entry texts),
// followed by free entries.
inline std::string nodeOf(char level, const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& e : entries) text += e;
  while (text.size() < kNodeLength) text += freeEntry(level);
  return text;
}

// A leaf of `keys`, each key's data record being the number the key shows.
inline std::string leafOf(const std::vector<long>& keys) {
  std::vector<std::string> entries;
  for (long k : keys) entries.push_back(entry(key(k), kLeaf, k % 1000000 == 0 ? 1 : k % 1000000));
  return nodeOf(kLeaf, entries);
}

// A whole index laid out as the root, then its second-level nodes in order,
// then all their leaves in order: tree[b][l] are the keys of leaf l under
// second-level node b.
using Tree = std::vector<std::vector<std::vector<long>>>;
inline std::vector<std::string> indexOf(const Tree& tree) {
  std::vector<std::string> rootEntries;
  std::vector<std::string> branches;
  std::vector<std::string> leaves;
  long nextLeafRecord = 2 + static_cast<long>(tree.size());
  for (std::size_t b = 0; b < tree.size(); ++b) {
    std::vector<std::string> branchEntries;
    for (const std::vector<long>& leafKeys : tree[b]) {
      branchEntries.push_back(entry(key(leafKeys.front()), kBranch, nextLeafRecord++));
      leaves.push_back(leafOf(leafKeys));
    }
    rootEntries.push_back(entry(key(tree[b].front().front()), kRoot, 2 + static_cast<long>(b)));
    branches.push_back(nodeOf(kBranch, branchEntries));
  }
  std::vector<std::string> nodes{nodeOf(kRoot, rootEntries)};
  nodes.insert(nodes.end(), branches.begin(), branches.end());
  nodes.insert(nodes.end(), leaves.begin(), leaves.end());
  return nodes;
}

inline std::string join(const std::vector<std::string>& nodes) {
  std::string bytes;
  for (const std::string& n : nodes) bytes += n;
  return bytes;
}

// Keys first, first + step, ... (count of them).
inline std::vector<long> run(long first, int count, long step = 1) {
  std::vector<long> keys;
  for (int i = 0; i < count; ++i) keys.push_back(first + i * step);
  return keys;
}

// The index that ascending insertions of the keys 1 to n (each with its own
// number as data record) leave, as the splits lay it out: every leaf but the
// last keeps 64 keys, every second-level node but the last 64 leaves; each
// new leaf is appended, and a new second-level node is appended right after
// the leaf whose insertion split the node before it.
inline std::vector<std::string> ascendingIndex(long n) {
  constexpr long half = kEntries / 2;
  const long leaves = n < kEntries ? 1 : 1 + (n - half) / half;
  const long branches = leaves < kEntries ? 1 : leaves / half;
  auto leafFirst = [&](long leaf) { return (leaf - 1) * half + 1; };
  auto leafLast = [&](long leaf) { return leaf == leaves ? n : leaf * half; };
  auto branchFirstLeaf = [&](long branch) { return branches == 1 ? 1 : (branch - 1) * half + 1; };
  auto branchLastLeaf = [&](long branch) { return branch == branches ? leaves : branch * half; };

  // Records in the order the insertions create them.
  std::vector<long> leafRecord(static_cast<std::size_t>(leaves) + 1);
  std::vector<long> branchRecord(static_cast<std::size_t>(branches) + 1);
  branchRecord[1] = 2;
  leafRecord[1] = 3;
  long next = 4;
  for (long leaf = 2; leaf <= leaves; ++leaf) {
    leafRecord[static_cast<std::size_t>(leaf)] = next++;
    if (leaf % half == 0 && leaf / half >= 2 && leaf / half <= branches) {
      branchRecord[static_cast<std::size_t>(leaf / half)] = next++;
    }
  }
  std::vector<std::string> nodes(static_cast<std::size_t>(next - 1));
  std::vector<std::string> rootEntries;
  for (long b = 1; b <= branches; ++b) {
    std::vector<std::string> branchEntries;
    for (long l = branchFirstLeaf(b); l <= branchLastLeaf(b); ++l) {
      branchEntries.push_back(entry(key(leafFirst(l)), kBranch, leafRecord[static_cast<std::size_t>(l)]));
      std::vector<std::string> leafEntries;
      for (long k = leafFirst(l); k <= leafLast(l); ++k) leafEntries.push_back(entry(key(k), kLeaf, k));
      nodes[static_cast<std::size_t>(leafRecord[static_cast<std::size_t>(l)] - 1)] = nodeOf(kLeaf, leafEntries);
    }
    rootEntries.push_back(entry(key(leafFirst(branchFirstLeaf(b))), kRoot, branchRecord[static_cast<std::size_t>(b)]));
    nodes[static_cast<std::size_t>(branchRecord[static_cast<std::size_t>(b)] - 1)] = nodeOf(kBranch, branchEntries);
  }
  nodes[0] = nodeOf(kRoot, rootEntries);
  return nodes;
}

// Where index file `actual` first departs from `expected`, in words; "" when
// they are the same.
inline std::string firstDifference(const std::string& actual, const std::string& expected) {
  if (actual == expected) return "";
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  auto entryAt = [&](const std::string& bytes) {
    std::size_t start = at - at % kEntryLength;
    std::string text = start < bytes.size() ? bytes.substr(start, kEntryLength) : "(end)";
    for (char& c : text) {
      if (c == kHigh) c = '~';
    }
    return text;
  };
  return "record " + std::to_string(at / kNodeLength + 1) + ", entry " +
         std::to_string(at % kNodeLength / kEntryLength + 1) + ": " + entryAt(actual) + " instead of " +
         entryAt(expected) + " (lengths " + std::to_string(actual.size()) + ", " + std::to_string(expected.size()) +
         ")";
}

class IndexTest : public RecordFilesTest {
 protected:
  void SetUp() override {
    RecordFilesTest::SetUp();
    writeTable({{7, {kIndexName, static_cast<int>(kNodeLength)}}});
    FAIOPEN(kIndexFile);
  }

  double isam(const std::string& k, double code, double record = 0) { return ISAM(kIndexFile, k, code, record); }
  double initialise() { return isam(std::string(kKeyLength, ' '), kIsamInitialise); }

  // The bytes of the index file: all of them, or `count` records from `record`.
  std::string bytes() const { return readIndex(0, std::string::npos); }
  std::string head(long count) const { return readIndex(0, static_cast<std::size_t>(count) * kNodeLength); }
  std::string node(long record) const {
    return readIndex(static_cast<std::size_t>(record - 1) * kNodeLength, kNodeLength);
  }
  long records() const { return static_cast<long>(bytes().size() / kNodeLength); }

  std::string readIndex(std::size_t offset, std::size_t count) const {
    std::ifstream in(folder.path() + "/" + kArchives + kIndexName, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::size_t>(in.tellg());
    if (offset >= size) return {};
    std::string text(std::min(count, size - offset), '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
  }

  // Expects the index file to be exactly `nodes`, saying where it is not.
  void expectFile(const std::vector<std::string>& nodes) { EXPECT_EQ(firstDifference(bytes(), join(nodes)), ""); }

  // Replaces the index file by `nodes` (record 1 first) and opens it again.
  void build(const std::vector<std::string>& nodes) {
    writeArchive(kIndexName, join(nodes));
    FAIOPEN(kIndexFile);
  }

  // The structural check, expected to find nothing.
  void expectSound() {
    std::vector<std::string> faults = checkIndex(kIndexFile);
    EXPECT_TRUE(faults.empty()) << (faults.empty() ? "" : faults.front());
  }
};

}  // namespace vt::testing
