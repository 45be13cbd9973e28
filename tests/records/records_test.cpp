// The record layer: file numbers and paths, records, the task semaphore and
// the ISAM index, checked on the bytes of the files (index files are built
// here from the node format alone, as another program of the suite would
// write them), and every failure of the layer as the program shows it.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <thread>

#include "core/state.h"
#include "core/trail.h"
#include "file_table.h"
#include "other_program.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/isam_check.h"
#include "records/isam_node.h"
#include "records/records.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt {
namespace {

// The archives directory "C:\ARCHIVI" under a temporary drives root, with a file table.
class Records : public ::testing::Test {
 protected:
  static constexpr const char* kArchives = "drives/C/ARCHIVI/";
  void SetUp() override { S().PERARK = "C:\\ARCHIVI"; }
  void writeTable(const std::map<int, testing::FileRow>& rows) { writeArchive("WKBASE.DAT", testing::baseTable(rows)); }
  void writeArchive(const std::string& name, const std::string& bytes) { folder.write(kArchives + name, bytes); }
  std::string archive(const std::string& name) const { return folder.read(kArchives + name); }
  // The text of box `i`, or "" when fewer were shown.
  std::string box(std::size_t i) const { return i < dialogs.boxes().size() ? dialogs.boxes()[i].text : ""; }
#ifndef _WIN32
  // Whether `write`, run in a child process that may not write past byte
  // `limit` of a file (as a full disk would refuse) and is set up as the
  // programs set themselves up, ends the program with failure 61 naming the
  // file `name` of the archives.
  bool refusedAsFailure61(rlim_t limit, const std::string& name, const std::function<void()>& write) {
    pid_t child = ::fork();
    if (child == 0) {
      platform::ignoreFileSizeSignal();
      rlimit fileSize{limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &fileSize);
      try {
        write();
      } catch (const ProgramEnded&) {
        ::_exit(box(0).rfind("Errore 61 Disco pieno: C:\\ARCHIVI\\" + name + "\r\n", 0) == 0 ? 0 : 1);
      }
      ::_exit(2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
#endif

  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  testing::ThrowingEndHook endHook;
};

TEST_F(Records, TemplatesTakeTheContextValuesInTheirPlaceholders) {
  const std::array<std::string, 6> cases[] = {  // template, drive, company, year, region, path
      {"D###\\A**DATI.DAT", "", "7", "2005", "", "C:\\ARCHIVI\\D007\\A05DATI.DAT"}, {"###\\X.DAT", "", "1234", "", "", "C:\\ARCHIVI\\234\\X.DAT"},
      {"T$$X@@Y%%.DAT", "", "", "", "9", "C:\\ARCHIVI\\T3$X09YMI.DAT"}, {"!:\\TESSARO\\X.DAT", "A", "", "", "", "A:\\TESSARO\\X.DAT"},
      {"!:\\TESSARO\\X.DAT", "B", "", "", "", "B:\\TESSARO\\X.DAT"},
      {"!:\\TESSARO\\X.DAT", "\\\\SERVER\\DATI", "", "", "", "\\\\SERVER\\DATI\\TESSARO\\X.DAT"}};
  for (const auto& [nameTemplate, drive, company, year, region, path] : cases) {
    writeTable({{3, {"A.DAT", 1}}, {9, {nameTemplate, 10}}});
    S().DRIVEOPEN = drive, S().DITTAOPEN = company, S().ANNOOPEN = year, S().REGIONEOPEN = region;
    S().PROVINCIAOPEN = "MI", S().NUMEROTASK = "3";
    std::int16_t relative = -1;
    EXPECT_EQ(DAMMIFILE(9, relative), path);
  }
}

// AZZERAFILE resolves its file's path three times, each with the caller's
// context values, and leaves them as they were.
TEST_F(Records, EmptyingAFileKeepsTheContextValues) {
  writeTable({{9, {"D###\\A**R@@P%%.DAT", 10}}});
  writeArchive("D007/A05R09PMI.DAT", "0123456789");
  S().DITTAOPEN = "7", S().ANNOOPEN = "2005", S().REGIONEOPEN = "9", S().PROVINCIAOPEN = "MI";
  AZZERAFILE(9);  // the file emptied, the values as they were
  EXPECT_EQ(archive("D007/A05R09PMI.DAT") + S().DITTAOPEN + S().ANNOOPEN + S().REGIONEOPEN + S().PROVINCIAOPEN, "720059MI");
}

TEST_F(Records, RecordRLiesAtRMinusOneTimesTheLength) {
  writeTable({{1, {"WKDITTE.DAT", 10}}});
  writeArchive("WKDITTE.DAT", std::string(10, '1') + std::string(10, '2') + "333");
  EXPECT_EQ(FAIOPEN(1), 10);
  EXPECT_EQ(LEGGIREC(1, 2), 0);
  EXPECT_EQ(S().BUFFERREC[1], std::string(10, '2'));
  EXPECT_EQ(LEGGIREC(1, 3), 1);  // cut short: not read whole
  SCRIVIREC(1, 1, "ABCDEFGHIJ");
  S().BUFFERREC[1] = std::string(10, 'Z');
  SCRIVIREC(1, 4);
  EXPECT_EQ(archive("WKDITTE.DAT"), "ABCDEFGHIJ" + std::string(10, '2') + "333" + std::string(7, '\0') + std::string(10, 'Z'));
}

// Every failure of the layer reaches the trap with its code, and a missing
// context value shows its message; either ends the program, and nothing is
// written or created.
TEST_F(Records, FailuresEndTheProgramWithTheirCodesOrMessages) {
  std::string table = testing::baseTable({{1, {"WKDITTE.DAT", 10}}, {3, {"C.DAT", 0}}, {4, {"D.DAT", -5}},
                                          {6, {"MANCA\\F.DAT", 10}}, {12, {"###\\DIP.DAT", 10}}, {13, {"AN**.DAT", 10}},
                                          {14, {"RG@@.DAT", 10}}, {15, {"PR%%.DAT", 10}}});
  table.replace(6 * kBaseRowLength, kBaseRowLength,
                testing::baseRow({"E.DAT", 40}).replace(kBaseRecordLengthPos - 1, kBaseRecordLengthLength, "  ABC"));
  const std::string records = std::string(10, '1') + std::string(10, '2');
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"Errore 52 ", [] { FAIOPEN(2); }},       {"Errore 52 ", [] { FAIOPEN(16); }},      {"Errore 52 ", [] { FAIOPEN(601); }},
      {"Errore 52 ", [] { FAIOPEN(1.5); }},     {"Errore 59 ", [] { FAIOPEN(3); }},       {"Errore 59 ", [] { FAIOPEN(4); }},
      {"Errore 59 ", [] { FAIOPEN(7); }},       {"Errore 76 ", [] { FAIOPEN(6); }},       {"Errore 63 ", [] { LEGGIREC(1, 0); }},
      {"Errore 63 ", [] { SCRIVIREC(1, -1); }}, {"Errore 52 ", [] { LEGGIREC(601, 1); }}, {"Errore 59 ", [] { SCRIVIREC(1, 1, "corto"); }},
      {"Errore 59 ", [] { S().BUFFERREC[1] = "corto"; SCRIVIREC(1, 1); }}, {"Errore 52 ", [] { CHIUDIFILE(1); LEGGIREC(1, 1); }},
      {"Errore 53 ", [] { S().PERARK = "C:\\VUOTA"; FAIOPEN(1); }},       {"Errore 76 ", [] { S().PERARK = "C:\\NONCE"; FAIOPEN(1); }},
      {"Errore 76 ", [] { S().PERARK = "C:\\NONCE"; (void)APRISEMA(); }},
      {"ERRORE OPEN FILE - MANCA DITTAOPEN 12", [] { S().DITTAOPEN = "5"; FAIOPEN(12); FAIOPEN(12); }},
      {"ERRORE OPEN - MANCA ANNO - 13", [] { FAIOPEN(13); }}, {"ERRORE OPEN - MANCA REGIONE - 14", [] { FAIOPEN(14); }},
      {"ERRORE OPEN - MANCA PROVINCIA - 15", [] { S().PROVINCIAOPEN = "M"; FAIOPEN(15); }},
  };
  for (const char* made : {"drives/C/VUOTA/X", "drives/C/ARCHIVI/005/X"}) folder.write(made, "");
  for (const auto& [text, action] : cases) {
    S().PERARK = "C:\\ARCHIVI";
    writeArchive("WKBASE.DAT", table);
    writeArchive("WKDITTE.DAT", records);
    FAIOPEN(1);
    const std::size_t shown = dialogs.boxes().size();
    EXPECT_THROW(action(), ProgramEnded) << text;
    EXPECT_EQ(box(shown).rfind(text, 0), 0u) << box(shown);
    EXPECT_EQ(archive("WKDITTE.DAT"), records);
  }
  for (const char* name : {"C.DAT", "D.DAT", "E.DAT", "MANCA"}) EXPECT_FALSE(folder.exists(kArchives + std::string(name)));
}

// A standard archive is opened for reading only: an operator who may only
// read it can browse it, and nothing can be written through its handle.
TEST_F(Records, AStandardArchiveIsOpenedForReadingOnly) {
  writeTable({{201, {"STDDITTE.DAT", 10}}});
  writeArchive("STDDITTE.DAT", std::string(10, 'S'));
  const std::filesystem::path file = folder.path() + "/" + kArchives + "STDDITTE.DAT";
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_EQ(FAIOPEN(201), 10);
  EXPECT_EQ(LEGGIREC(201, 1), 0);
  EXPECT_THROW(platform::writeAt(S().NUMEROFILE[201], 0, "X"), platform::SystemError);
  std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

#ifndef _WIN32
// A standard archive that is no file (a pipe left at its name) is refused at
// once with the access failure, never waited on for a writer.
TEST_F(Records, AStandardArchiveThatIsAPipeIsRefusedWithoutWaiting) {
  writeTable({{201, {"STDDITTE.DAT", 10}}});
  ASSERT_EQ(::mkfifo((folder.path() + "/" + kArchives + "STDDITTE.DAT").c_str(), 0644), 0);
  ::alarm(60);  // an open that waits for a writer would hold the test for ever
  EXPECT_THROW(FAIOPEN(201), ProgramEnded);
  ::alarm(0);
  EXPECT_EQ(box(0).rfind("Errore 75 ", 0), 0u) << box(0);
}
#endif

// While another program holds the semaphore, this one waits: between tries
// it tells the operator (the box from the first second on, with the refusal
// and the time waited), the pauses grow from a few milliseconds, each varied,
// to a few hundred; the operator may give up, and then nothing is held; a
// wait not given up takes the semaphore once the holder lets it go.
TEST_F(Records, AWaitForTheSemaphoreIsToldBacksOffAndCanBeGivenUp) {
  using namespace std::chrono_literals;
  writeTable({});
  std::thread holder = testing::holdElsewhere("C:\\ARCHIVI\\WKSEMA.DAT", 4);
  dialogs.onWait([](const WaitNotice& notice) { return !notice.boxShown; });
  EXPECT_TRUE(!APRISEMA() && S().NUMEROFILE[kSemaphoreFileNumber] == 0);
  const std::size_t givenUp = dialogs.pauses().size();
  dialogs.onWait({});
  EXPECT_TRUE(APRISEMA() && S().NUMEROFILE[kSemaphoreFileNumber] != 0);
  holder.join();
  EXPECT_TRUE(dialogs.waitsEnded().size() == 2 && dialogs.waitsEnded()[0] >= 1000 && dialogs.waitsEnded()[1] >= 1000);
  const auto& pauses = dialogs.pauses();
  ASSERT_GT(pauses.size(), givenUp + 1);
  EXPECT_LE(pauses[0].second, 6ms);
  EXPECT_LE(pauses[givenUp].second, 6ms) << "each wait starts again from the shortest pause";
  std::set<std::chrono::milliseconds::rep> distinct;
  for (const auto& [notice, pause] : pauses) {
    EXPECT_EQ(notice.boxShown, notice.waited >= 1s);
    EXPECT_TRUE(pause >= 3ms && pause <= 375ms) << pause.count();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(notice.waited).count();
    EXPECT_EQ(notice.text, "GLI ARCHIVI SONO IN USO DA UN ALTRO PROGRAMMA DELLA SUITE.\r\n"
                           "IL PROGRAMMA ATTENDE CHE SI LIBERI (ATTESA 0:0" + std::to_string(seconds) + ").\r\n"
                           "Errore 70 Autorizzazione negata: C:\\ARCHIVI\\WKSEMA.DAT");
    distinct.insert(pause.count());
  }
  EXPECT_GE(pauses.back().second, 100ms);
  EXPECT_GT(distinct.size(), 10u) << "the pauses are varied";
  // A spin of 5 ms would try some 600 times in the three seconds.
  EXPECT_LT(pauses.size(), 300u);
}

// A hold frees the semaphore exactly once, whichever way its scope ends: a
// hold released early (or never taken) leaves alone a semaphore taken after.
TEST_F(Records, TheSemaphoreHoldReleasesItExactlyOnceOnEveryWayOut) {
  writeTable({});
  const auto held = [] { return S().NUMEROFILE[kSemaphoreFileNumber] != 0; };
  const std::pair<void (*)(), bool> ways[] = {  // the scope, held after it
      {[] { SemaphoreHold hold; (void)hold.take(); }, false},
      {[] { SemaphoreHold hold; (void)hold.take(); throw RuntimeFailure(57, "I/O"); }, false},
      {[] { SemaphoreHold hold; (void)hold.take(); hold.release(); (void)APRISEMA(); }, true},
      {[] { SemaphoreHold hold; (void)hold.take(); hold.release(); (void)hold.take(); hold.release(); (void)APRISEMA(); }, true},
      {[] { (void)APRISEMA(); SemaphoreHold hold; }, true}};
  for (std::size_t i = 0; i < std::size(ways); ++i) {
    try {
      ways[i].first();
    } catch (const RuntimeFailure&) {
    }
    EXPECT_EQ(held(), ways[i].second) << i;
    CHIUDISEMA();
  }
  SemaphoreHold hold;
  EXPECT_TRUE(hold.take());
  EXPECT_TRUE(held());
}

#ifndef _WIN32  // fork, file-size limits and the child's processor time
// A write the system refuses part way (past the file-size limit, as a full
// disk would) is failure 61 and leaves the file as it was.
TEST_F(Records, AWriteRefusedPartWayIsFailure61_AndLeavesTheFileAsItWas) {
  writeTable({{1, {"WKDITTE.DAT", 100}}});
  for (auto [record, limit] : {std::pair{2.0, 150}, {1.0, 50}}) {  // past the end, inside the file
    writeArchive("WKDITTE.DAT", std::string(100, 'A'));
    FAIOPEN(1);
    EXPECT_TRUE(refusedAsFailure61(limit, "WKDITTE.DAT", [record] { SCRIVIREC(1, record, std::string(100, 'B')); })) << record;
    EXPECT_EQ(archive("WKDITTE.DAT"), std::string(100, 'A')) << record;
  }
}

// An access refusal of the semaphore is a fault of the path that no wait
// mends here: it goes to the trap at once.
TEST_F(Records, ASemaphoreRefusedAccessGoesToTheTrap) {
  writeTable({});
  folder.write(std::string(kArchives) + "WKSEMA.DAT/X", "");
  dialogs.onWait([](const WaitNotice&) { return false; });
  EXPECT_THROW((void)APRISEMA(), ProgramEnded);
  EXPECT_EQ(box(0).rfind("Errore 75 ", 0), 0u) << box(0);
  EXPECT_TRUE(dialogs.pauses().empty());
}
#endif

// The employee index: file 7, keys of ten characters, nodes of 2,176 bytes.
constexpr std::size_t kKeyLength = 10, kEntryLength = kKeyLength + kIndexEntryOverhead;
constexpr std::size_t kNodeLength = kEntryLength * kIndexEntriesPerNode;
constexpr char kHigh = '\xFC';  // the high value of a free entry
const std::string kBlank(kKeyLength, ' '), kHighKey(kKeyLength, kHigh);

// "0000000042" for 42; an entry: key, level digit, number in six digits.
std::string key(long n) { return std::string(kKeyLength - std::to_string(n).size(), '0') + std::to_string(n); }
std::string entry(long k, char level, long number) {
  return key(k) + level + std::string(kIndexRecordNumberWidth - std::to_string(number).size(), '0') + std::to_string(number);
}
std::string freeEntry(char level) { return kHighKey + level + "000000"; }
// A node of `level`: `entries`, then free entries.
std::string nodeOf(char level, const std::vector<std::string>& entries) {
  std::string text = std::accumulate(entries.begin(), entries.end(), std::string());
  while (text.size() < kNodeLength) text += freeEntry(level);
  return text;
}
// The keys first, first + step, ... (count of them); a leaf of keys, each key's data record the number it shows.
std::vector<long> run(long first, long count, long step = 1) {
  std::vector<long> keys;
  for (long i = 0; i < count; ++i) keys.push_back(first + i * step);
  return keys;
}
std::string leafOf(const std::vector<long>& keys) {
  std::string text;
  for (long k : keys) text += entry(k, '3', k);
  return nodeOf('3', {text});
}

// A whole index: the root, its second-level nodes in order, then all their
// leaves in order; tree[b][l] are the keys of leaf l under node b.
using Tree = std::vector<std::vector<std::vector<long>>>;
std::vector<std::string> indexOf(const Tree& tree) {
  std::vector<std::string> root, nodes, leaves;
  long leafRecord = 2 + static_cast<long>(tree.size());
  for (std::size_t b = 0; b < tree.size(); ++b) {
    std::vector<std::string> branch;
    for (const std::vector<long>& keys : tree[b]) {
      branch.push_back(entry(keys.front(), '2', leafRecord++));
      leaves.push_back(leafOf(keys));
    }
    root.push_back(entry(tree[b].front().front(), '1', 2 + static_cast<long>(b)));
    nodes.push_back(nodeOf('2', branch));
  }
  nodes.insert(nodes.begin(), nodeOf('1', root));
  nodes.insert(nodes.end(), leaves.begin(), leaves.end());
  return nodes;
}
const Tree kSmallTree = {{{10, 20}, {30}}, {{40, 50}, {60}}};

class Isam : public Records {
 protected:
  void SetUp() override {
    Records::SetUp();
    writeTable({{7, {"WKIND.DAT", static_cast<int>(kNodeLength)}}});
    FAIOPEN(7);
  }
  double isam(const std::string& k, double code, double record = 0) { return ISAM(7, k, code, record); }
  std::string file() const { return archive("WKIND.DAT"); }
  std::string node(long record) {
    LEGGIREC(7, static_cast<double>(record));
    return S().BUFFERREC[7];
  }
  // Replaces the index file by `nodes` (record 1 first) and opens it again.
  void build(const std::vector<std::string>& nodes) {
    writeArchive("WKIND.DAT", std::accumulate(nodes.begin(), nodes.end(), std::string()));
    FAIOPEN(7);
  }
  // Expects the file to be `nodes`, naming each record that is not.
  void expectFile(const std::vector<std::string>& nodes) {
    EXPECT_EQ(file().size(), nodes.size() * kNodeLength);
    for (std::size_t r = 0; r < nodes.size(); ++r) EXPECT_TRUE(file().compare(r * kNodeLength, kNodeLength, nodes[r]) == 0) << r + 1;
  }
  void expectSound() {
    std::vector<std::string> faults = checkIndex(7);
    EXPECT_TRUE(faults.empty()) << faults.front();
  }
  // `code` on `k` gives -1 after the box `text` (OK only, no icon), and the file keeps its bytes.
  void expectRefused(const std::string& k, double code, double record, const std::string& text) {
    const std::string before = file();
    const std::size_t shown = dialogs.boxes().size();
    EXPECT_EQ(isam(k, code, record), -1) << text;
    EXPECT_EQ(box(shown), text);
    EXPECT_TRUE(dialogs.boxes().back().buttons == Buttons::kOk && dialogs.boxes().back().icon == Icon::kNone);
    EXPECT_TRUE(file() == before) << text;
  }
};

TEST_F(Isam, TheEntryThatFillsALeafSplitsIt_AndANewFirstKeyGoesUpToTheRoot) {
  writeArchive("WKIND.DAT", std::string(5 * kNodeLength, 'x'));
  EXPECT_EQ(isam(kBlank, kIsamInitialise), 0);
  expectFile({nodeOf('1', {})});
  for (long k : run(2, 127, 2)) ASSERT_EQ(isam(key(k), kIsamInsert, static_cast<double>(k)), 0);
  EXPECT_EQ(file().size(), 3 * kNodeLength);
  EXPECT_EQ(isam(key(1), kIsamInsert, 1), 0);
  std::vector<long> left = run(0, 64, 2);
  left[0] = 1;
  expectFile({nodeOf('1', {entry(1, '1', 2)}), nodeOf('2', {entry(1, '2', 3), entry(128, '2', 4)}), leafOf(left),
              leafOf(run(128, 64, 2))});
}

TEST_F(Isam, AFullRootRefusesA129thEntry_UntilADeletionFreesOne) {
  // Second-level nodes 1 to 127 with one leaf of one key each (1000, 2000,
  // ...), the 128th with 127 leaves, the last of them one key from splitting.
  Tree tree(128);
  for (long b = 1; b <= 127; ++b) tree[static_cast<std::size_t>(b - 1)] = {{b * 1000}};
  for (long l = 1; l <= 126; ++l) tree.back().push_back({200000 + l * 1000});
  tree.back().push_back(run(400000, 127));
  build(indexOf(tree));
  expectSound();
  expectRefused(key(400127), kIsamInsert, 9, "ERRORE ISAM - INDICE PIENO 7");
  EXPECT_EQ(isam(key(400126), kIsamNext), kIsamNoNextKey);
  EXPECT_EQ(isam(key(127000), kIsamDelete), 127000);
  EXPECT_EQ(node(1), indexOf(tree)[0].erase(126 * kEntryLength, kEntryLength) + freeEntry('1'));
  EXPECT_EQ(isam(key(400127), kIsamInsert, 9), 0);
  EXPECT_EQ(node(1).substr(127 * kEntryLength), entry(265000, '1', 385));
  expectSound();
}

TEST_F(Isam, EachRefusalShowsItsMessageAndWritesNothing) {
  for (double code : {1, 2, 3, 4}) expectRefused(key(1), code, 1, "ERRORE ISAM - FILE VUOTO 7");
  build(indexOf({{{10}}}));
  const std::tuple<std::string, double, double, const char*> cases[] = {  // key, code, record, message
      {"", 2, 0, "ERRORE ISAM - LUNK=0"},      {"123456789", 2, 0, "ERRORE ISAM - LUNK NO OK"},
      {kBlank, 1, 1, "ERRORE ISAM - K=BLANK"}, {"12345678901", 1, 1, "ERRORE ISAM - LUNK NO OK"},
      {kBlank, 3, 0, "ERRORE ISAM - K=BLANK"}, {key(10), 5, 0, "ERRORE CODICE ISAM 5"},
      {key(20), 1, 0, "ERR.ISAM - N.REC.=0"},  {key(20), 1, 1000000, "ERRORE ISAM - N.REC. NON VALIDO"},
      {key(20), 1, 2.5, "ERRORE ISAM - N.REC. NON VALIDO"}, {"000000002\xFC", 1, 20, "ERRORE ISAM - CHIAVE NON VALIDA"},
  };
  for (const auto& [k, code, record, message] : cases) expectRefused(k, code, record, message);
  // No split past six-digit record numbers: the file is sparsely grown to 999,999 nodes.
  for (long k : run(11, 126)) isam(key(k), kIsamInsert, static_cast<double>(k));
  const std::string path = folder.path() + "/" + kArchives + "WKIND.DAT", leaf = node(3);
  std::filesystem::resize_file(path, 999999 * kNodeLength);
  EXPECT_EQ(isam(key(200), kIsamInsert, 200), -1);
  EXPECT_EQ(dialogs.messageTexts().back(), "ERRORE ISAM - INDICE PIENO 7");
  EXPECT_TRUE(node(3) == leaf && std::filesystem::file_size(path) == 999999 * kNodeLength);
}

#ifndef _WIN32  // fork and file-size limits
// A node write refused part way puts back the bytes the operation read for
// the node, and the index is as it was.
TEST_F(Isam, ANodeWriteRefusedPartWayLeavesTheIndexAsItWas) {
  build(indexOf(kSmallTree));
  const std::string before = file();
  EXPECT_TRUE(refusedAsFailure61(3 * kNodeLength + 100, "WKIND.DAT", [this] { isam(key(5), kIsamInsert, 5); }));
  EXPECT_EQ(file(), before);
}
#endif

// An index cut inside its last node: the read of that node is a failure,
// never the node completed with the bytes of the node read before it.
TEST_F(Isam, AnIndexCutInsideItsLastNodeIsDamaged) {
  std::vector<std::string> nodes = indexOf(kSmallTree);
  nodes.back().resize(2 * kEntryLength);
  build(nodes);
  EXPECT_EQ(isam(key(40), kIsamSearch), 40);  // the leaf before it, read whole
  try {
    isam(key(60), kIsamSearch);
    ADD_FAILURE() << "a node cut short was taken";
  } catch (const RuntimeFailure& failure) {
    EXPECT_NE(failure.description().find("file 7, record 7:"), std::string::npos) << failure.description();
  }
  EXPECT_FALSE(checkIndex(7).empty());
}

// Damaged index files: the structural check names the fault; an operation
// that meets the damage fails with 3001 naming the node (and the same fault,
// when it lies there) and writes nothing.
// A search and a next key from key 10 check what they follow ("sn"); the
// insertion of key 5 and the deletion of key 10 check whole every node they
// change, here the three of the path ("id"); children past the end of the
// file are met when followed, or by a split, which asks the file's length.
TEST_F(Isam, DamagedIndexFiles) {
  auto changed = [](std::string text, std::size_t at, const std::string& with) { return text.replace(at, with.size(), with); };
  const std::string leaf = leafOf({10, 20});
  const std::tuple<long, std::string, long, std::string, const char*> cases[] = {  // record, its text, record of the failure, operations that meet it, fault
      {4, changed(leaf, kEntryLength + kKeyLength, "2"), 4, "nid", "record 4, elemento 2: livello 2 invece di 3"},
      {4, changed(leaf, 2 * kEntryLength - 1, "X"), 4, "nid", "record 4, elemento 2: numero non di sei cifre"},
      {4, changed(leaf, kEntryLength + 4, std::string(1, kHigh)), 4, "id", "record 4, elemento 2: chiave con carattere 252"},
      {4, nodeOf('3', {entry(10, '3', 10), freeEntry('3'), entry(20, '3', 20)}), 4, "id", "record 4, elemento 3: elemento usato dopo"},
      {4, leafOf(run(10, 128)), 4, "snid", "record 4: nodo senza elementi liberi"},
      {4, changed(leaf, 3 * kEntryLength - 6, "000001"), 0, "", "record 4, elemento 3: elemento libero non nella forma"},
      {4, leafOf({20, 10}), 0, "", "record 4, elemento 2: chiave non maggiore della precedente"},
      {4, changed(leaf, kKeyLength + 1, "000000"), 0, "", "record 4, elemento 1: numero di record dati 0"},
      {4, leafOf({12, 20}), 0, "", "record 2, elemento 1: chiave diversa dalla prima chiave del record 4"},
      {4, leafOf({10, 35}), 0, "", "record 5, elemento 1: chiave non maggiore dell'ultima chiave"},
      {1, nodeOf('1', {entry(10, '1', 2), entry(40, '1', 99)}), 0, "", "record 1, elemento 2: record 99 fuori dal file"},
      {1, nodeOf('1', {entry(10, '1', 2), entry(40, '2', 3)}), 1, "id", "record 1, elemento 2: livello 2 invece di 1"},
      {1, nodeOf('1', {freeEntry('1'), entry(10, '1', 2)}), 1, "i", "record 1, elemento 2: elemento usato dopo"},
      {2, nodeOf('2', {entry(10, '2', 4), entry(30, '3', 5)}), 2, "id", "record 2, elemento 2: livello 3 invece di 2"},
      {2, nodeOf('2', {entry(10, '2', 0)}), 2, "snid", "record 2, elemento 1: record 0 fuori dal file"},
      {2, nodeOf('2', {entry(10, '2', 4), entry(30, '2', 4)}), 0, "", "record 2, elemento 2: record 4 raggiunto due volte"},
      {2, nodeOf('2', {entry(10, '2', 1)}), 1, "snid", "record 2, elemento 1: record 1 raggiunto due volte"},
      {2, nodeOf('2', {}), 2, "snid", "record 2: nodo vuoto"},
      {0, std::string(100, ' '), 1, "snid", "file pi\xF9 corto di un nodo"},
  };
  for (const auto& [record, text, failing, meets, fault] : cases) {
    std::vector<std::string> nodes = record == 0 ? std::vector<std::string>{""} : indexOf(kSmallTree);
    nodes[static_cast<std::size_t>(std::max(record, 1L) - 1)] = text;
    build(nodes);
    std::vector<std::string> faults = checkIndex(7);
    EXPECT_TRUE(std::any_of(faults.begin(), faults.end(), [&](auto& f) { return f.find(fault) == 0; })) << fault;
    for (auto [letter, code] : {std::pair{'s', kIsamSearch}, {'n', kIsamNext}, {'i', kIsamInsert}, {'d', kIsamDelete}}) {
      build(nodes);
      try {
        isam(key(letter == 'i' ? 5 : 10), code, 5);
        EXPECT_EQ(meets.find(letter), std::string::npos) << fault << ": no failure for " << letter;
      } catch (const RuntimeFailure& failure) {
        EXPECT_NE(meets.find(letter), std::string::npos) << fault << ": failure for " << letter;
        EXPECT_EQ(failure.code(), err::kDamagedIndex);
        const std::string at = "record " + std::to_string(failing), named = std::string(fault).rfind(at, 0) == 0 ? fault : at;
        EXPECT_NE(failure.description().find("file 7, " + named), std::string::npos) << fault << ": " << failure.description();
        EXPECT_TRUE(file() == std::accumulate(nodes.begin(), nodes.end(), std::string())) << fault << " " << letter;
      }
    }
  }
  std::vector<std::string> nodes = indexOf({{run(10, 127)}, {{200}}});
  nodes[1] = nodeOf('2', {entry(10, '2', 4), entry(150, '2', 99)});
  build(nodes);
  EXPECT_THROW(isam(key(137), kIsamInsert, 5), RuntimeFailure) << "the split must meet record 99";
  EXPECT_TRUE(file() == std::accumulate(nodes.begin(), nodes.end(), std::string()));
}

// The rule's fast path finds the used entries of a node sound exactly when
// the rule finds no fault in any of them: over entries that break each part
// of the rule (level digit, six digits, child inside the file) or touch what
// it leaves alone, then over random nodes.
TEST(IndexRule, ItsFastPathAgreesWithIt) {
  const isam::NodeLayout layout(kKeyLength);
  isam::FieldMasks masks;
  masks.makeFor(layout);
  // The rule's verdict on a node of `used` entries numbered 1, 2, ... with byte `at` made `c`; the fast path's must agree.
  auto verdict = [&](char level, int used, double records, std::size_t at, char c) {
    std::string entries;
    for (long e = 1; e <= used; ++e) entries += entry(e, level, e);
    isam::Node node{nodeOf(level, {entries}), 4, level, used, 1, isam::Node::OnFile::kUnknown, {}};
    node.text[at] = c;
    bool sound = true;
    for (int e = 1; e <= used; ++e) sound = sound && !isam::entryFault(layout, node, e, records);
    EXPECT_EQ(isam::usedEntriesSound(layout, node, records, masks), sound) << level << " " << used << " " << at;
    return sound;
  };
  const std::size_t digit = kKeyLength, last = kEntryLength - 1, third = 2 * kEntryLength, sixth = 5 * kEntryLength;
  const std::tuple<char, int, double, std::size_t, char, bool> cases[] = {  // level, used, records, at, byte, sound
      {'3', 5, 0, digit, '2', false}, {'2', 5, 9, third + digit + 1, '/', false}, {'1', 5, 9, sixth - 1, ':', false},
      {'3', 5, 0, last, kHigh, false}, {'2', 5, 9, last, '0', false}, {'2', 5, 4, 0, '0', false},
      {'3', 5, 0, last, '0', true}, {'2', 5, 5, third + 3, 'x', true}, {'3', 5, 0, sixth + digit, '2', true},
      {'1', 128, kIndexMaxRecordNumber, 0, '0', true}};
  for (const auto& [lv, used, records, at, c, sound] : cases) EXPECT_EQ(verdict(lv, used, records, at, c), sound) << at;
  std::mt19937 rng{7};
  int sound = 0;
  for (int i = 0; i < 3000; ++i) {
    const auto used = static_cast<int>(rng() % 129), records = static_cast<int>(rng() % 140), at = static_cast<int>(rng() % kNodeLength);
    sound += verdict("123"[rng() % 3], used, records, static_cast<std::size_t>(at), "09/:\xFC" "123"[rng() % 8]);
  }
  EXPECT_TRUE(sound > 100 && sound < 2900) << sound;
}

// Random inserts, searches, deletes and next-key steps on keys of blanks,
// digits, letters and characters above 127, against an ordered map, with the
// structural check every 5,000 operations: grown past one second-level node,
// then shrunk, then emptied.
class IsamRandom : public Isam, public ::testing::WithParamInterface<int> {};

TEST_P(IsamRandom, AgreesWithAnOrderedMap) {
  std::mt19937 rng{20240611};
  std::map<std::string, double> model;
  std::uniform_int_distribution<std::uint64_t> anyKey(1, 40000);
  std::uniform_int_distribution<int> anyRecord(1, 999999), anyOperation(1, 100);
  isam(kBlank, kIsamInitialise);
  for (int i = 1; i <= 2 * GetParam(); ++i) {
    std::string k(kKeyLength, ' ');
    std::uint64_t spread = anyKey(rng) * 7919ULL * 104729ULL % 10000000000ULL;
    for (std::size_t c = kKeyLength; c-- > 0 && i % 50 != 0; spread /= 10) k[c] = " 059AZa\x80\xE0\xFB"[spread % 10];
    const int choice = anyOperation(rng), insert = i <= GetParam() ? 50 : 15;
    auto at = model.find(k);
    const double present = at == model.end() ? -1 : at->second;
    if (choice <= insert && k != kBlank) {
      const int record = anyRecord(rng);
      ASSERT_EQ(isam(k, kIsamInsert, record), at == model.end() ? 0 : -1) << i;
      model.emplace(k, record);
    } else if (choice <= 70 && k != kBlank) {
      ASSERT_EQ(isam(k, choice <= insert + 20 ? kIsamSearch : kIsamDelete), present) << i;
      if (choice > insert + 20 && at != model.end()) model.erase(at);
    } else {
      auto next = model.upper_bound(k);
      ASSERT_EQ(isam(k, kIsamNext), next == model.end() ? kIsamNoNextKey : next->second) << i;
      ASSERT_EQ(S().CHIAVEISAM, next == model.end() ? kHighKey : next->first) << i;
    }
    if (i % 5000 == 0) expectSound();
    EXPECT_TRUE(i != GetParam() || node(1).find(kHigh) >= 2 * kEntryLength) << "not grown past one second-level node";
  }
  for (auto at = model.begin(); at != model.end(); at = model.erase(at)) {
    ASSERT_EQ(isam(at->first, kIsamDelete), at->second);
  }
  EXPECT_EQ(node(1), nodeOf('1', {}));
  EXPECT_TRUE(dialogs.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Operations, IsamRandom, ::testing::Values(50000));

// The trail names of record reads and writes: recorded once when repeated,
// built only when read, the same as names recorded as text.
TEST_F(Records, ARepeatedNameIsRecordedOnce_WhetherKeptOrWritten) {
  writeTable({{1, {"WKDITTE.DAT", 10}}});
  writeArchive("WKDITTE.DAT", std::string(30, 'A'));
  FAIOPEN(1);
  LEGGIREC(1, 2);
  LEGGIREC(1, 2);
  REGISTRAPROC("LEGGIREC (1-2)");
  SCRIVIREC(1, 2);
  REGISTRAPROC("LEGGIREC (1-3)");
  RecordReader(1).read(3);
  LEGGIREC(1, 3);
  LEGGIREC(1, 1);
  std::vector<std::string> names;
  for (int slot = 1; slot <= S().POSPROC; ++slot) names.push_back(S().ULTIMEPROC[slot]);
  EXPECT_EQ(names, (std::vector<std::string>{"FAIOPEN", "DAMMIFILE$ (1)", "LEGGIREC (1-2)", "SCRIVIREC (1-2)",
                                             "LEGGIREC (1-3)", "LEGGIREC (1-1)"}));
}

}  // namespace
}  // namespace vt
