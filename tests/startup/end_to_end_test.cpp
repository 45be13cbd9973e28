// The whole program from MAIN to its end over a fresh sample installation,
// one run per row, the windows driven as an operator drives them. Every file
// of the installation is compared byte for byte after the run: only the
// records a row names, the task file and the (empty) semaphore file change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include "core/state.h"
#include "records/companion.h"
#include "records/files.h"
#include "records/isam.h"
#include "records/semaphore.h"
#include "readable.h"
#include "scripted_dialogs.h"
#include "startup/main_program.h"
#include "temp_install.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "ui/key_change.h"
#include "util/text.h"

namespace vt {
namespace {

using Files = std::map<std::string, std::string>;
using Lines = std::vector<std::string>;

const std::string kArchives = "drives/C/PWELKIN/ARCHIVI/";
const std::string kTaskFile = "drives/C/TARNIX/TARNIX.INI";

// Name and record length of file `number`, from its row of "WKBASE.DAT".
std::pair<std::string, std::size_t> fileOf(const Files& files, int number) {
  const std::string row = MID(files.at(kArchives + kBaseFileName), static_cast<std::size_t>((number - 1) * kBaseRowLength + 1), kBaseRowLength);
  const auto length = static_cast<std::size_t>(std::stoi(MID(row, kBaseRecordLengthPos, kBaseRecordLengthLength)));
  return {kArchives + TRIM(MID(row, kBaseTemplatePos, kBaseTemplateLength)), length};
}

// A record the run writes: record `record` of file `file` becomes record
// `fromRecord` of file `from`, fitted to the record length, with `key` at the
// key's place. File 97 (companion of employee `fromRecord`) and file 7 (index
// entry `key` -> `record`) are built as the suite builds them.
struct Put {
  int file, record, from, fromRecord;
  std::string key;
};

void apply(Files& files, const Put& put) {
  const auto [name, length] = fileOf(files, put.file);
  std::string& bytes = files[name];
  if (put.file == 7) {  // the sample's leaf is record 3; entries: key, level 3, six-digit record
    const std::size_t entryLength = put.key.size() + kIndexEntryOverhead, leafAt = 2 * length;
    std::vector<std::string> entries;
    for (std::size_t at = leafAt; at < leafAt + length; at += entryLength) entries.push_back(bytes.substr(at, entryLength));
    const std::string entry = put.key + "3" + zeroPad(std::to_string(put.record), kIndexRecordNumberWidth);
    entries.insert(std::upper_bound(entries.begin(), entries.end(), entry), entry);
    entries.pop_back();
    std::string leaf;
    for (const std::string& e : entries) leaf += e;
    bytes.replace(leafAt, length, leaf);
    return;
  }
  const auto [fromName, fromLength] = fileOf(files, put.file == 97 ? 2 : put.from);
  std::string record = files[fromName].substr(static_cast<std::size_t>(put.fromRecord - 1) * fromLength, fromLength);
  const std::string companion = fitRight(LEFT(record, kCompanionHeadLength), kCompanionHeadPart);
  record = put.file == 97 ? companion + std::string(length - kCompanionHeadPart, '0') : fitRight(record, length);
  const std::map<int, std::size_t> keyPos = {{1, 3}, {2, 3}, {8, 381}, {48, 3}, {401, 4}};
  if (!put.key.empty()) overwrite(record, keyPos.at(put.file), put.key);
  bytes.replace(static_cast<std::size_t>(put.record - 1) * length, length, record);
}

struct Row {
  const char* what = "";
  std::function<void(testing::TempFolder&)> prepare{};
  int menu = 0;          // the menu entry chosen with Enter; 0: Escape
  Lines browser{}, copy{};   // steps: S/E/D + line start (select, then Singolo, Enter, double click), R + line
                         // start (Enter on the chosen list), a digit (that button)
  Lines codes{};           // each showing of the key change: "company sub employee [C|U]"
  std::vector<Answer> answers{};
  std::vector<std::optional<std::string>> typed{};
  Lines texts{};          // every box shown, in order
  Lines windows{};
  std::vector<Put> puts{};
  int chosenLeft = -1, userLines = -1;  // in the copy window at its end (-1: not reached)
  std::string firstUserLine{};
  ExitStatus end = ExitStatus::kOperatorEnd;  // a configuration error ends at once, any other end through FINEPROG
  std::string task = "01";
};

std::string question(int record) { return "IL RECORD " + STR(record) + " E' ESISTENTE\r\nSOVRASCRIVERE ?"; }
std::string codeTaken(const std::string& code) { return "IL CODICE " + code + " E' ESISTENTE\r\nSOVRASCRIVERE ?"; }
const std::string kOk = "CONTINUARE ? ";
const Lines kMenuRun = {Scelta::kFormName}, kBrowseRun = {Scelta::kFormName, Filestan::kFormName};
const Lines kCopyRun = {Scelta::kFormName, Filestan::kFormName, Filesta2::kFormName};
const Lines kKeyChangeRun = {Scelta::kFormName, Filestan::kFormName, Filesta2::kFormName, Codnuo::kFormName};
const std::string kPathFile = "drives/C/PWELKIN/WKPERARK.WKP";

// The records of `file` made `length` long, each ending in "FINE", its row saying so.
void lengthen(testing::TempFolder& f, int number, const std::string& name, std::size_t from, std::size_t length) {
  std::string bytes = f.read(kArchives + name), longer;
  for (std::size_t at = 0; at < bytes.size(); at += from) longer += fitRight(bytes.substr(at, from), length - 4) + "FINE";
  f.write(kArchives + name, longer);
  std::string base = f.read(kArchives + "WKBASE.DAT");
  overwrite(base, static_cast<std::size_t>((number - 1) * kBaseRowLength + kBaseRecordLengthPos),
            RIGHT(std::string(kBaseRecordLengthLength, ' ') + std::to_string(length), kBaseRecordLengthLength));
  f.write(kArchives + "WKBASE.DAT", base);
}

void remove(testing::TempFolder& f, const std::string& relative) { std::filesystem::remove_all(f.path() + "/" + relative); }

const Row kRows[] = {
    {.what = "companies: free filled, Yes overwrites, No asks a number again until it is whole and fits", .menu = 1,
     .browser = {"S002", "S003", "S001", "5"}, .copy = {"S002", "S003", "S001", "S001", "4"},
     .answers = {Answer::kYes, Answer::kNo, Answer::kOk, Answer::kNo}, .typed = {"40", "0", "1.5", "-3", "7"},
     .texts = {question(3), question(1), "001 IMPRESA EDILE - MODELLO       ", "NUMERO RECORD FUORI DAI LIMITI DEL ARCHIVIO",
               question(1), "001 IMPRESA EDILE - MODELLO       ", "001 IMPRESA EDILE - MODELLO       ",
               "001 IMPRESA EDILE - MODELLO       ", "001 IMPRESA EDILE - MODELLO       "},
     .windows = kCopyRun, .puts = {{1, 2, 201, 2, "002"}, {1, 3, 201, 3, "003"}, {1, 7, 201, 1, "007"}}, .chosenLeft = 0,
     .userLines = 5},
    {.what = "formulas: Tutti twice, the user list shows records 1 to 1,000 only",
     .prepare = [](testing::TempFolder& f) {
       std::string bytes = f.read(kArchives + "FORMULE.DAT");
       for (int i = 0; i < 995; ++i) bytes += bytes.substr(0, 128);
       f.write(kArchives + "FORMULE.DAT", bytes);
     },
     .menu = 3, .browser = {"1", "5"}, .copy = {"1", "4"}, .answers = {Answer::kYes, Answer::kNo}, .typed = {"8"},
     .texts = {question(1), question(5), "005 BUONI PASTO       "}, .windows = kCopyRun,
     .puts = {{401, 1, 203, 1, "001"}, {401, 2, 203, 2, "002"}, {401, 3, 203, 3, "003"}, {401, 8, 203, 5, "008"},
              {401, 6, 203, 6, "006"}, {401, 7, 203, 7, "007"}},
     .chosenLeft = 0, .userLines = 999},
    {.what = "sectors: Enter and double click choose, Enter gives back, Tutti stops at a line abandoned", .menu = 4,
     .browser = {"S0004", "E0001", "D0006", "S0008", "R0008", "5"}, .copy = {"1", "E0004", "4"},
     .answers = {Answer::kNo}, .typed = {std::nullopt}, .texts = {question(1), "0001 EDILIZIA        "},
     .windows = kCopyRun, .puts = {{8, 4, 204, 4, "0004"}}, .chosenLeft = 2, .userLines = 3},
    {.what = "profiles: a longer standard record is cut, Singolo takes the line selected after a move",
     .prepare = [](testing::TempFolder& f) { lengthen(f, 206, "STDPROFI.DAT", 256, 260); }, .menu = 6,
     .browser = {"D007", "S", "5"}, .copy = {"1", "4"}, .answers = {Answer::kYes}, .texts = {question(1)},
     .windows = kCopyRun, .puts = {{48, 1, 206, 1, "001"}, {48, 7, 206, 7, "007"}}, .chosenLeft = 0, .userLines = 3},
    {.what = "fixed data are explained, never copied", .menu = 5,
     .texts = {"ATTENZIONE !!\rArchivio gestito dall'utente...\r(per eventuali informazioni rivolgersi a Veltrani Rudivoz)"},
     .windows = kMenuRun},
    {.what = "Uscita in the browser, the registry alone gives the paths",
     .prepare = [](testing::TempFolder& f) { remove(f, kPathFile); }, .menu = 1, .browser = {"1", "4"}, .windows = kBrowseRun},
    {.what = "employees: a code not in the index goes to the key change and is appended", .menu = 2,
     .browser = {"SBIANCHI", "5"}, .copy = {"SBIANCHI", "4"}, .codes = {"3 1 25"}, .answers = {Answer::kOk}, .texts = {kOk},
     .windows = kKeyChangeRun, .puts = {{2, 6, 202, 2, "0030010025"}, {97, 6, 2, 6, ""}, {7, 6, 0, 0, "0030010025"}},
     .chosenLeft = 0, .userLines = 1, .firstUserLine = "0030010025 BIANCHI                       GIULI 00002"},
    {.what = "employees: a taken code, No, then codes checked until one is free", .menu = 2, .browser = {"SROSSI", "5"},
     .copy = {"SROSSI", "4"}, .codes = {"2 1 3", "1 1 2", "1 1 3", "1 1 3"},
     .answers = {Answer::kNo, Answer::kOk, Answer::kOk, Answer::kCancel, Answer::kOk},
     .texts = {codeTaken("0010010001"), "IL CODICE DITTA  2 NON ESISTE", "IL CODICE DIPENDENTE 0010010002 E' ESITENTE", kOk,
               kOk},
     .windows = kKeyChangeRun, .puts = {{2, 6, 202, 1, "0010010003"}, {97, 6, 2, 6, ""}, {7, 6, 0, 0, "0010010003"}},
     .chosenLeft = 0, .userLines = 1, .firstUserLine = "0010010003 ROSSI                         MARIO 00001"},
    {.what = "employees: Yes overwrites the record the index points at", .menu = 2, .browser = {"SBIANCHI", "SRICCI", "5"},
     .copy = {"1", "4"}, .codes = {"4 1 4"}, .answers = {Answer::kOk, Answer::kYes}, .texts = {kOk, codeTaken("0040010004")},
     .windows = kKeyChangeRun,
     .puts = {{2, 6, 202, 2, "0040010004"}, {97, 6, 2, 6, ""}, {7, 6, 0, 0, "0040010004"}, {2, 6, 202, 7, ""}},
     .chosenLeft = 0, .userLines = 2},
    {.what = "employees: leaving the key change ends the run", .menu = 2, .browser = {"SESPOSITO", "SBIANCHI", "5"},
     .copy = {"1"}, .codes = {"3 1 7 U"}, .windows = kKeyChangeRun},
    {.what = "employees: a taken code confirmed unchecked is refused, Tutti stops", .menu = 2,
     .browser = {"SBIANCHI", "SCOLOMBO", "5"}, .copy = {"1", "4"}, .codes = {"3 1 1 C"},
     .texts = {"ATTENZIONE!!!! CODICE 0030010001 GIA ESISTENTE"}, .windows = kKeyChangeRun, .chosenLeft = 2, .userLines = 0},
    {.what = "leaving the menu, a missing task file is not made",
     .prepare = [](testing::TempFolder& f) { remove(f, kTaskFile); }, .windows = kMenuRun},
    {.what = "a missing standard archive", .prepare = [](testing::TempFolder& f) { remove(f, kArchives + "STDPROFI.DAT"); },
     .menu = 6, .texts = {"6 - ARCHIVIO PROFILI     - ARCHIVIO NON TROVATO"}, .windows = kMenuRun,
     .end = ExitStatus::kArchiveNotFound},
    {.what = "an empty standard archive", .prepare = [](testing::TempFolder& f) { f.write(kArchives + "STDDITTE.DAT", ""); },
     .menu = 1, .texts = {"1 - ARCHIVIO DITTE - ARCHIVIO NON TROVATO"}, .windows = kMenuRun,
     .end = ExitStatus::kArchiveNotFound},
    {.what = "an archive with nothing in use",
     .prepare = [](testing::TempFolder& f) { f.write(kArchives + "STDSETTO.DAT", fitRight("99", 512) + fitRight("99", 512)); },
     .menu = 4, .texts = {"NESSUN RECORD TROVATO"}, .windows = kBrowseRun, .end = ExitStatus::kArchiveNotFound},
    {.what = "without settings the path files give the paths, the task number is trimmed",
     .prepare = [](testing::TempFolder& f) {
       f.clearRegistry();
       f.write(kPathFile, "  C:\\PWELKIN\\ARCHIVI  \r\nC:\\ALTRO\r\n");
       f.write(kTaskFile, " 7 VTMERV\r\n");
     },
     .menu = 1, .browser = {"4"}, .windows = kBrowseRun, .task = "7"},
    {.what = "a registry path that names nothing leaves both paths to the path files",
     .prepare = [](testing::TempFolder& f) { f.setRegistryText("PERCORSOARCHIVI", "C:\\NONCE"); }, .menu = 1,
     .browser = {"4"}, .windows = kBrowseRun},
    {.what = "a registry path that names a file leaves both paths to the path files",
     .prepare = [](testing::TempFolder& f) { f.setRegistryText("PERCORSOARCHIVI", "C:\\TARNIX\\TARNIX.INI"); },
     .menu = 1, .browser = {"4"}, .windows = kBrowseRun},
    {.what = "a blank path file ends the run at once",
     .prepare = [](testing::TempFolder& f) { f.clearRegistry(), f.write(kPathFile, "\r\n"); },
     .texts = {"ERRORE DI CONFIGURAZIONE! CONTROLLARE I PERCORSI DI Tessaro CON IL PROGRAMMA VTPERCORSO"},
     .end = ExitStatus::kConfiguration},
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.what; }

// One step of the operator in the browser or the copy window.
template <class Window>
void act(Window& w, const std::string& step) {
  const int list = step[0] == 'R' ? 1 : 0;
  if (step.size() > 1) {
    const Lines& lines = w.lines(list);
    auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(step.substr(1), 0) == 0; });
    ASSERT_NE(line, lines.end()) << step;
    w.listSelect(list, static_cast<int>(line - lines.begin()));
  }
  if (step[0] == 'S') w.commandClick(0);
  if (step[0] == 'E' || step[0] == 'R') w.listKeyPress(list, 13);
  if (step[0] == 'D') w.listDoubleClick(list);
  if (std::isdigit(static_cast<unsigned char>(step[0]))) w.commandClick(step[0] - '0');
}

class EndToEnd : public ::testing::TestWithParam<Row> {};

TEST_P(EndToEnd, EveryFileHoldsWhatTheRunWrote) {
  const Row& run = GetParam();
  SCOPED_TRACE(run.what);
  testing::SampleRun sample;
  testing::TempFolder& folder = sample.folder;
  testing::ScriptedDialogs& boxes = sample.boxes;
  if (run.prepare) run.prepare(folder);
  const Files before = folder.files();
  for (Answer a : run.answers) boxes.answer(a);
  for (const auto& t : run.typed) boxes.type(t);
  boxes.onWindow(Scelta::kFormName, [&](WindowPresenter& w) {
    auto& menu = dynamic_cast<Scelta&>(w);
    if (run.menu > 0) menu.listSelect(static_cast<std::size_t>(run.menu - 1));
    menu.listKeyPress(run.menu > 0 ? Scelta::kEnter : Scelta::kEscape);
  });
  boxes.onWindow(Filestan::kFormName, [&](WindowPresenter& w) {
    for (const std::string& step : run.browser) act(dynamic_cast<Filestan&>(w), step);
  });
  int chosenLeft = -1;
  int userLines = -1;
  std::string firstUserLine;
  boxes.onWindow(Filesta2::kFormName, [&](WindowPresenter& w) {
    auto& copy = dynamic_cast<Filesta2&>(w);
    for (const std::string& step : run.copy) act(copy, step);
    chosenLeft = static_cast<int>(copy.lines(Filesta2::kChosenList).size());
    userLines = static_cast<int>(copy.lines(Filesta2::kUserList).size());
    if (userLines > 0) firstUserLine = copy.lines(Filesta2::kUserList)[0];
    EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0) << "the semaphore is free between copies";
  });
  std::size_t code = 0;
  boxes.onWindow(Codnuo::kFormName, [&](WindowPresenter& w) {
    auto& dialog = dynamic_cast<Codnuo&>(w);
    EXPECT_EQ(dialog.companies().size(), 3u) << "the user's companies in use";
    while (!dialog.isClosed() && code < run.codes.size()) {
      std::istringstream parts(run.codes[code++]);
      std::string part, finish;
      for (int box = 0; box < Codnuo::kBoxes && parts >> part; ++box) {
        EXPECT_EQ(dialog.focusedBox(), box);
        for (char c : part) dialog.boxKeyPress(box, c);
        if (box < Codnuo::kBoxes - 1 || !(parts >> finish)) dialog.commandClick();
      }
      if (finish == "C") dialog.confirmClick();
      if (finish == "U") dialog.exitClick();
    }
  });
  boxes.onMessage([](const testing::ShownBox& box) {
    // The check holds the semaphore while it reports; nothing holds it while the operator decides.
    const bool checking = box.text.rfind("IL CODICE D", 0) == 0 || box.text.find("GIA ESISTENTE") != std::string::npos;
    EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber] != 0, checking) << box.text;
    if (box.text.find("SOVRASCRIVERE") != std::string::npos) {
      EXPECT_EQ(box.buttons, Buttons::kYesNo);
    }
  });

  ProgramEnded result{EndReason::kAtOnce, ExitStatus::kFailure};
  try {
    MAIN();
    ADD_FAILURE() << "MAIN returned";
  } catch (const ProgramEnded& ended) {
    result = ended;
  }

  const bool atOnce = run.end == ExitStatus::kConfiguration;
  EXPECT_TRUE(result.status == run.end && result.reason == (atOnce ? EndReason::kAtOnce : EndReason::kNormal));
  Lines texts;
  for (const testing::ShownBox& box : boxes.boxes()) texts.push_back(box.text);
  EXPECT_EQ(texts, run.texts);
  EXPECT_TRUE(boxes.allAnswersUsed());
  EXPECT_EQ(boxes.windowsShown(), run.windows);
  EXPECT_EQ(chosenLeft, run.chosenLeft);
  EXPECT_EQ(userLines, run.userLines);
  if (!run.firstUserLine.empty()) {
    EXPECT_EQ(firstUserLine, run.firstUserLine);
  }

  Files expected = before;
  for (const Put& put : run.puts) apply(expected, put);
  if (before.count(kTaskFile) && !atOnce) expected[kTaskFile] = fitRight(run.task, 100) + "\r\n";
  const Files after = folder.files();
  if (after.count(kArchives + kSemaphoreFileName)) expected[kArchives + kSemaphoreFileName] = "";
  for (const auto& [name, bytes] : after) {
    EXPECT_TRUE(expected.count(name) && expected.at(name) == bytes) << name << " is not as expected";
  }
  EXPECT_EQ(after.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(SampleInstallation, EndToEnd, ::testing::ValuesIn(kRows), testing::NamedByWhat());

}  // namespace
}  // namespace vt
