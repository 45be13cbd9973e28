// An installation for the record layer's tests ("C:\ARCHIVI" under a
// temporary drives root, with a file table) and builders of index files
// written from the node format alone, so that tests compare the program's
// bytes with what another program of the suite would write.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/state.h"
#include "file_table.h"
#include "records/files.h"
#include "records/isam.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt::testing {

class RecordFilesTest : public ::testing::Test {
 protected:
  static constexpr const char* kArchives = "drives/C/ARCHIVI/";
  void SetUp() override { S().PERARK = "C:\\ARCHIVI"; }
  void writeTable(const std::map<int, FileRow>& rows) { writeArchive("WKBASE.DAT", baseTable(rows)); }
  void writeArchive(const std::string& name, const std::string& bytes) { folder.write(kArchives + name, bytes); }
  std::string archive(const std::string& name) const { return folder.read(kArchives + name); }
  // The text of box `i`, or "" when fewer were shown.
  std::string box(std::size_t i) const { return i < dialogs.boxes().size() ? dialogs.boxes()[i].text : ""; }

  TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
};

// The employee index: file 7, keys of ten characters, nodes of 2,176 bytes.
inline constexpr std::size_t kKeyLength = 10;
inline constexpr std::size_t kEntryLength = kKeyLength + 7;
inline constexpr std::size_t kNodeLength = kEntryLength * 128;
inline constexpr char kHigh = static_cast<char>(252);

// "0000000042" for 42.
inline std::string key(long n) {
  std::string digits = std::to_string(n);
  return std::string(kKeyLength - digits.size(), '0') + digits;
}
inline std::string entry(const std::string& k, char level, long number) {
  std::string digits = std::to_string(number);
  return k + level + std::string(6 - digits.size(), '0') + digits;
}
inline std::string entry(long k, char level, long number) { return entry(key(k), level, number); }
inline std::string freeEntry(char level) { return std::string(kKeyLength, kHigh) + level + "000000"; }
// A node of `level`: `entries`, then free entries.
inline std::string nodeOf(char level, const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& e : entries) text += e;
  while (text.size() < kNodeLength) text += freeEntry(level);
  return text;
}
// A leaf of `keys`, each key's data record the number the key shows.
inline std::string leafOf(const std::vector<long>& keys) {
  std::vector<std::string> entries;
  for (long k : keys) entries.push_back(entry(k, '3', k));
  return nodeOf('3', entries);
}
inline std::vector<long> run(long first, long count, long step = 1) {
  std::vector<long> keys;
  for (long i = 0; i < count; ++i) keys.push_back(first + i * step);
  return keys;
}

// A whole index: the root, its second-level nodes in order, then all their
// leaves in order; tree[b][l] are the keys of leaf l under node b.
using Tree = std::vector<std::vector<std::vector<long>>>;
inline std::vector<std::string> indexOf(const Tree& tree) {
  std::vector<std::string> root, branches, leaves;
  long leafRecord = 2 + static_cast<long>(tree.size());
  for (std::size_t b = 0; b < tree.size(); ++b) {
    std::vector<std::string> branch;
    for (const std::vector<long>& keys : tree[b]) {
      branch.push_back(entry(keys.front(), '2', leafRecord++));
      leaves.push_back(leafOf(keys));
    }
    root.push_back(entry(tree[b].front().front(), '1', 2 + static_cast<long>(b)));
    branches.push_back(nodeOf('2', branch));
  }
  std::vector<std::string> nodes{nodeOf('1', root)};
  nodes.insert(nodes.end(), branches.begin(), branches.end());
  nodes.insert(nodes.end(), leaves.begin(), leaves.end());
  return nodes;
}

class IndexTest : public RecordFilesTest {
 protected:
  void SetUp() override {
    RecordFilesTest::SetUp();
    writeTable({{7, {"WKIND.DAT", static_cast<int>(kNodeLength)}}});
    FAIOPEN(7);
  }
  double isam(const std::string& k, double code, double record = 0) { return ISAM(7, k, code, record); }
  double initialise() { return isam(std::string(kKeyLength, ' '), kIsamInitialise); }
  std::string bytes() const { return archive("WKIND.DAT"); }
  std::string node(long record) const {
    std::ifstream in(folder.path() + "/" + kArchives + "WKIND.DAT", std::ios::binary);
    in.seekg(static_cast<std::streamoff>((record - 1) * static_cast<long>(kNodeLength)));
    std::string text(kNodeLength, '\0');
    in.read(text.data(), static_cast<std::streamsize>(kNodeLength));
    return text;
  }
  // Replaces the index file by `nodes` (record 1 first) and opens it again.
  void build(const std::vector<std::string>& nodes) {
    std::string text;
    for (const std::string& n : nodes) text += n;
    writeArchive("WKIND.DAT", text);
    FAIOPEN(7);
  }
  // Expects the file to be `nodes`, naming the first record that is not.
  void expectFile(const std::vector<std::string>& nodes) {
    const std::string actual = bytes();
    EXPECT_EQ(actual.size(), nodes.size() * kNodeLength);
    for (std::size_t r = 0; r < nodes.size(); ++r) EXPECT_EQ(actual.substr(r * kNodeLength, kNodeLength), nodes[r]) << "record " << r + 1;
  }
  void expectSound() {
    std::vector<std::string> faults = checkIndex(7);
    EXPECT_TRUE(faults.empty()) << faults.front();
  }
};

}  // namespace vt::testing
