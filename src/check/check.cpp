#include "check/check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>

#include "core/dialogs.h"
#include "core/failure.h"
#include "core/program_end.h"
#include "core/state.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "records/files.h"
#include "records/isam.h"
#include "records/records.h"
#include "records/semaphore.h"
#include "startup/installation.h"
#include "ui/archive_lines.h"
#include "util/text.h"

namespace vt::check {
namespace {

namespace fs = std::filesystem;

// Every record begins with a two-character status (kFreeMark: a free slot),
// then the code, as long as the index's key.
constexpr std::size_t kStatusLength = kFreeMark.size();
// How many records pass between two progress reports.
constexpr double kProgressStep = 1000;
// The archive is read this many bytes at a time, at least (whole records).
constexpr std::size_t kArchiveChunk = 1 << 18;
// The names a repair tries for a new file beside the index, at most.
constexpr int kNameTries = 100;
// The bytes copied at a time into the backup.
constexpr std::size_t kCopyChunk = 1 << 16;
// The name of a repair's new index: "<index>.<yyyymmdd-hhmmss>[-n].tmp".
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kStampLength = 15;

// --- Taking over message boxes and the end of the program -----------------

// How a call waits for the semaphore (setSemaphoreWait).
struct SemaphoreWait {
  std::function<void(const std::string&)> told;
  std::optional<std::chrono::seconds> limit;
};
SemaphoreWait& semaphoreWait() {
  static SemaphoreWait wait;
  return wait;
}

// A wait's text on one line.
std::string oneLine(std::string text) {
  const std::size_t length = std::string_view(kLineEnd).size();
  for (std::size_t at; (at = text.find(kLineEnd)) != std::string::npos;) text.replace(at, length, " ");
  return text;
}

// Keeps every message box's text instead of showing it; tells of a wait for
// the semaphore as setSemaphoreWait asked.
class KeptMessages : public Dialogs {
 public:
  bool waitBetweenTries(const WaitNotice& notice, std::chrono::milliseconds pause) override {
    const SemaphoreWait& wait = semaphoreWait();
    if (!waitTold_ && wait.told) wait.told(oneLine(notice.text));
    waitTold_ = true;
    gaveUp_ = wait.limit && notice.waited + pause > *wait.limit;
    return !gaveUp_ && Dialogs::waitBetweenTries(notice, pause);
  }
  void waitEnded(std::chrono::milliseconds waited) override {
    const SemaphoreWait& wait = semaphoreWait();
    if (waitTold_ && wait.told && !gaveUp_) {
      wait.told("semaforo ottenuto dopo " + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(waited).count()) +
                " secondi di attesa");
    }
    waitTold_ = gaveUp_ = false;
  }

  Answer message(const std::string& text, Buttons buttons, Icon, const std::string&, DefaultButton) override {
    texts.push_back(text);
    return buttons == Buttons::kYesNo ? Answer::kNo : Answer::kOk;
  }
  std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void beep() override {}
  ScreenSize screenSize() override { return {}; }
  void showModal(WindowPresenter&) override { throw CannotRun("nessuna finestra in un programma da console"); }

  // The first line of the first box, "" when none was shown.
  std::string first() const {
    if (texts.empty()) return {};
    return texts.front().substr(0, texts.front().find_first_of("\r\n"));
  }

  std::vector<std::string> texts;

 private:
  bool waitTold_ = false;
  bool gaveUp_ = false;
};

// For its life, message boxes are kept and the end of the program throws
// ProgramEnded; both are put back as they were afterwards.
class TakeOver {
 public:
  TakeOver()
      : previousDialogs_(setDialogs(&messages_)),
        previousHook_(setEndHook([](EndReason reason) { throw ProgramEnded{reason}; })) {}
  ~TakeOver() {
    setDialogs(previousDialogs_);
    setEndHook(std::move(previousHook_));
  }
  TakeOver(const TakeOver&) = delete;
  TakeOver& operator=(const TakeOver&) = delete;

  KeptMessages& messages() { return messages_; }

 private:
  KeptMessages messages_;
  Dialogs* previousDialogs_;
  EndHook previousHook_;
};

// Runs `work` with the program's end taken over: an end of the program or a
// failure that reaches here becomes CannotRun with its message.
template <class Work>
auto contained(Work&& work) {
  TakeOver takeOver;
  try {
    return work(takeOver.messages());
  } catch (const ProgramEnded&) {
    std::string text = takeOver.messages().first();
    throw CannotRun(text.empty() ? "programma terminato" : text);
  } catch (const RuntimeFailure& failure) {
    throw CannotRun("Errore " + std::to_string(failure.code()) + " " + failure.description());
  }
}

// --- Files ------------------------------------------------------------------

// One file of the check: its number, its path, its record length.
struct FileOf {
  double number = 0;
  std::string path;
  double recordLength = 0;
};

FileOf resolve(double number) {
  std::int16_t relative = -1;
  FileOf file{number, DAMMIFILE(number, relative), S().LUNGBASE};
  if (file.recordLength < 1 || file.recordLength > kMaxRecordLength ||
      file.recordLength != std::floor(file.recordLength)) {
    throw CannotRun("il file " + decimalText(number) + " ha in " + kBaseFileName + " la lunghezza " +
                    decimalText(file.recordLength));
  }
  return file;
}

bool present(const FileOf& file) { return platform::pathKind(file.path) == platform::PathKind::kFile; }

// The file of `number`, which must be a file: anything else at its name is
// named for what it is, at the path the system knows it by.
FileOf existing(double number) {
  FileOf file = resolve(number);
  const std::string where = ": " + platform::nativePath(file.path);
  switch (platform::pathKind(file.path)) {
    case platform::PathKind::kFile: return file;
    case platform::PathKind::kMissing: throw CannotRun("file " + decimalText(number) + " mancante" + where);
    case platform::PathKind::kDirectory:
      throw CannotRun("file " + decimalText(number) + ": al suo posto c'\xE8 una cartella" + where);
    case platform::PathKind::kOther: break;
  }
  throw CannotRun("file " + decimalText(number) + ": al suo posto c'\xE8 una pipe o un dispositivo, non un file" + where);
}

// Opens `file` for reading only under its number, as FAIOPEN would open it.
void openForReading(const FileOf& file) {
  const int n = fileIndex(file.number);
  DAMMINUMERO(file.number);
  try {
    systemCall([&] { platform::openFile(S().NUMEROFILE[n], file.path, platform::OpenMode::kSharedRead); });
  } catch (const RuntimeFailure& failure) {
    S().NUMEROFILE[n] = 0;
    throw CannotRun("file " + decimalText(file.number) + " illeggibile: " + failure.description());
  }
  S().LUNGREC[n] = file.recordLength;
  S().BUFFERREC[n] = std::string(static_cast<std::size_t>(file.recordLength), ' ');
}

// Holds the task semaphore (unless told not to) and closes the given
// numbers when it goes, then releases the semaphore.
class Session {
 public:
  explicit Session(std::vector<double> numbers, bool semaphore = true) : numbers_(std::move(numbers)) {
    if (semaphore && !semaphore_.take()) {
      throw CannotRun("il semaforo della task (" + std::string(kSemaphoreFileName) + ") non si \xE8 liberato in " +
                      std::to_string(semaphoreWait().limit.value_or(std::chrono::seconds(0)).count()) + " secondi");
    }
  }
  ~Session() {
    for (double number : numbers_) CHIUDIFILE(number);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  std::vector<double> numbers_;
  SemaphoreHold semaphore_;  // released after the body above closed the numbers
};

// Makes the semaphore file when it is absent, with the owner, group and
// permission bits of the index (not those of whoever runs the check), so
// that the suite's programs that may use the index may also take the
// semaphore. False when the folder refuses the new file and the caller only
// reads: it then runs without the semaphore.
bool semaphoreReady(const Files& files, bool onlyReads) {
  const std::string path = S().PERARK + "\\" + kSemaphoreFileName;
  if (platform::pathKind(path) != platform::PathKind::kMissing) return true;
  const FileOf index = resolve(files.index);
  if (!present(index)) return true;  // the check names the missing index
  const std::int16_t handle = systemCall([] { return platform::freeHandle(); });
  try {
    if (!platform::createNewFile(handle, path)) return true;
  } catch (const platform::SystemError& refusal) {
    // Any other refusal APRISEMA meets again, and names.
    return !(onlyReads && refusal.kind() == platform::SystemErrorKind::kAccessDenied);
  }
  try {
    platform::makeLike(handle, index.path);
  } catch (const platform::SystemError&) {
    // Not the administrator: the index's permission bits, the owner and
    // group of whoever runs the check, as any program of the suite makes it.
  }
  platform::closeHandle(handle);
  return true;
}

// --- Reading the archive ----------------------------------------------------

struct Archive {
  std::size_t keyLength = 0;
  double records = 0;
  bool partial = false;
  std::vector<std::string> codes;  // codes[r - 1]: the code of record r
  std::vector<char> inUse;         // inUse[r - 1]: record r is not a free slot
  std::vector<char> torn;          // torn[r - 1]: record r, in use, holds a NUL byte
};

Archive readArchive(const FileOf& file, std::size_t keyLength, const Progress& progress) {
  if (file.recordLength < static_cast<double>(kStatusLength + keyLength)) {
    throw CannotRun("il file " + decimalText(file.number) + " ha record di " + decimalText(file.recordLength) +
                    " caratteri, troppo corti per un codice di " + std::to_string(keyLength));
  }
  const std::int16_t handle = S().NUMEROFILE[fileIndex(file.number)];
  const auto length = static_cast<std::uint64_t>(file.recordLength);
  const std::uint64_t bytes = systemCall([&] { return platform::openFileLength(handle); });
  Archive archive;
  archive.keyLength = keyLength;
  archive.records = static_cast<double>(bytes / length);
  archive.partial = bytes % length != 0;
  const auto count = static_cast<std::size_t>(archive.records);
  archive.codes.reserve(count);
  archive.inUse.reserve(count);
  archive.torn.reserve(count);
  // Whole records, many at a time: a record of the suite is text, and a NUL
  // byte in one in use is a write that stopped while the archive grew.
  const std::size_t perChunk = std::max<std::size_t>(1, kArchiveChunk / static_cast<std::size_t>(length));
  std::string chunk(perChunk * static_cast<std::size_t>(length), ' ');
  for (std::size_t first = 0; first < count; first += perChunk) {
    if (progress && first / static_cast<std::size_t>(kProgressStep) != (first + perChunk) / static_cast<std::size_t>(kProgressStep)) {
      progress("lettura", static_cast<double>(first), archive.records);
    }
    const std::size_t records = std::min(perChunk, count - first);
    systemCall([&] { return platform::readAt(handle, first * length, chunk.data(), records * length); });
    for (std::size_t i = 0; i < records; ++i) {
      const std::string_view record(chunk.data() + i * length, static_cast<std::size_t>(length));
      const bool inUse = record.substr(0, kStatusLength) != kFreeMark;
      archive.inUse.push_back(inUse);
      archive.codes.emplace_back(record.substr(kStatusLength, keyLength));
      archive.torn.push_back(inUse && record.find('\0') != std::string_view::npos);
    }
  }
  if (progress) progress("lettura", archive.records, archive.records);
  return archive;
}

bool indexable(std::string_view code) {
  bool blank = std::all_of(code.begin(), code.end(), [](char c) { return c == ' '; });
  return !blank && !holdsHighCharacters(code);
}

// --- The comparison ---------------------------------------------------------

std::string recordList(const std::vector<double>& records) {
  std::string text;
  for (double r : records) text += (text.empty() ? "" : ", ") + decimalText(r);
  return text;
}

std::string whereInIndex(const IndexEntry& entry) {
  return "(indice, record " + decimalText(entry.node) + ", elemento " + std::to_string(entry.entry) + ")";
}

// Everything one inspection learnt: the report, the archive and the index.
struct Inspection {
  Report report;
  FileOf index;
  std::string target;                  // the native path of the index file, every link followed
  std::vector<std::string> leftovers;  // the new indexes of repairs cut short, beside it
  Archive archive;
  IndexWalk walk;
  // pointedAtByOwnCode[r - 1]: an index entry carrying record r's code points at it.
  std::vector<char> pointedAtByOwnCode;
};

void add(Report& report, Finding finding) { report.findings.push_back(std::move(finding)); }

void compareIndexSide(Inspection& in) {
  const Archive& archive = in.archive;
  // How many index codes point at each record (pointers[r - 1]).
  std::vector<std::uint32_t> pointers(archive.codes.size(), 0);
  in.pointedAtByOwnCode.assign(archive.codes.size(), 0);
  for (const IndexEntry& e : in.walk.entries) {
    Finding f{Kind::kOutsideArchive, true, e.key, e.node, e.entry, {e.record}, {}};
    if (e.record < 1 || e.record > archive.records) {
      f.text = "il codice " + e.key + " " + whereInIndex(e) + " punta al record " + decimalText(e.record) +
               ", fuori dall'archivio di " + decimalText(archive.records) + " record";
      add(in.report, std::move(f));
      continue;
    }
    const auto slot = static_cast<std::size_t>(e.record) - 1;
    ++pointers[slot];
    if (!archive.inUse[slot]) {
      f.kind = Kind::kFreeRecord;
      f.text = "il codice " + e.key + " " + whereInIndex(e) + " punta al record " + decimalText(e.record) +
               ", che \xE8 libero";
      add(in.report, std::move(f));
    } else if (archive.codes[slot] != e.key) {
      f.kind = Kind::kOtherCode;
      f.text = "il codice " + e.key + " " + whereInIndex(e) + " punta al record " + decimalText(e.record) +
               ", che porta il codice " + archive.codes[slot];
      add(in.report, std::move(f));
    } else {
      in.pointedAtByOwnCode[slot] = 1;
    }
  }
  std::map<double, std::string> shared;
  for (const IndexEntry& e : in.walk.entries) {
    if (e.record < 1 || e.record > archive.records || pointers[static_cast<std::size_t>(e.record) - 1] < 2) continue;
    std::string& list = shared[e.record];
    list += (list.empty() ? "" : ", ") + e.key;
  }
  for (const auto& [record, list] : shared) {
    add(in.report, {Kind::kSharedRecord, true, list.substr(0, archive.keyLength), 0, 0, {record},
                    "il record " + decimalText(record) + " \xE8 puntato da pi\xF9 codici dell'indice: " + list});
  }
}

// Records in use that no entry of their own code points at, or all of them
// when the index's keys are not strictly ascending (two entries of one key
// could hide two records of one code), are sorted by code: a code carried
// twice, or absent from the index, shows there. A record that an entry of
// its own code points at is sound, unless such a sorted record shares its code.
void compareArchiveSide(Inspection& in) {
  const Archive& archive = in.archive;
  const std::vector<IndexEntry>& entries = in.walk.entries;
  const bool ascending = std::adjacent_find(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) {
                           return !(a.key < b.key);
                         }) == entries.end();
  std::vector<std::string_view> keys;
  keys.reserve(entries.size());
  for (const IndexEntry& e : entries) keys.push_back(e.key);
  if (!ascending) std::sort(keys.begin(), keys.end());

  std::vector<std::pair<std::string, double>> others;
  for (std::size_t r = 0; r < archive.codes.size(); ++r) {
    if (!archive.inUse[r]) continue;
    in.report.recordsInUse += 1;
    const double record = static_cast<double>(r + 1);
    if (archive.torn[r]) {
      add(in.report, {Kind::kTornRecord, true, {}, 0, 0, {record},
                      "il record " + decimalText(record) +
                          " contiene byte NUL: \xE8 stato scritto a met\xE0 (una scrittura interrotta mentre "
                          "l'archivio cresceva) e va ripreso da una copia di sicurezza o liberato"});
    } else if (!indexable(archive.codes[r])) {
      add(in.report, {Kind::kUnindexableCode, true, archive.codes[r], 0, 0, {record},
                      "il record " + decimalText(record) + " porta un codice che l'indice non pu\xF2 contenere: \"" +
                          archive.codes[r] + "\""});
    } else if (!ascending || !in.pointedAtByOwnCode[r]) {
      others.emplace_back(archive.codes[r], record);
    }
  }
  std::sort(others.begin(), others.end());
  for (std::size_t i = 0; i < others.size();) {
    std::size_t end = i + 1;
    while (end < others.size() && others[end].first == others[i].first) ++end;
    const std::string& code = others[i].first;
    std::vector<double> records;
    for (std::size_t j = i; j < end; ++j) records.push_back(others[j].second);
    auto entry = std::lower_bound(keys.begin(), keys.end(), std::string_view(code));
    const bool inIndex = entry != keys.end() && *entry == code;
    if (inIndex && ascending) {
      const double pointed = entries[static_cast<std::size_t>(entry - keys.begin())].record;
      const auto slot = static_cast<std::size_t>(pointed) - 1;
      if (pointed >= 1 && pointed <= archive.records && in.pointedAtByOwnCode[slot] && archive.codes[slot] == code) {
        records.insert(std::lower_bound(records.begin(), records.end(), pointed), pointed);
      }
    }
    if (records.size() > 1) {
      add(in.report, {Kind::kDuplicateCode, true, code, 0, 0, records,
                      "il codice " + code + " \xE8 portato da pi\xF9 record in uso: " + recordList(records)});
    }
    if (!inIndex) {
      for (double record : records) {
        add(in.report, {Kind::kMissingFromIndex, true, code, 0, 0, {record},
                        "il record " + decimalText(record) + " (codice " + code + ") non \xE8 nell'indice"});
      }
    }
    i = end;
  }
}

void checkCompanion(Inspection& in, const Files& files) {
  if (files.companion == 0) return;
  double companionRecords = 0;
  std::string name = "file " + decimalText(files.companion);
  try {
    FileOf companion = resolve(files.companion);
    if (present(companion)) {
      companionRecords = std::floor(static_cast<double>(*platform::fileLength(companion.path)) / companion.recordLength);
    }
  } catch (const CannotRun& problem) {
    name += " (" + std::string(problem.what()) + ")";
  }
  std::vector<double> lacking;
  for (std::size_t r = static_cast<std::size_t>(companionRecords); r < in.archive.inUse.size(); ++r) {
    if (in.archive.inUse[r]) lacking.push_back(static_cast<double>(r + 1));
  }
  if (lacking.empty()) return;
  add(in.report, {Kind::kNoCompanion, false, {}, 0, 0, lacking,
                  std::to_string(lacking.size()) + " record in uso, dal record " + decimalText(lacking.front()) +
                      " al record " + decimalText(lacking.back()) + ", non hanno un record complementare nel " + name});
}

// Whether `name` is a name a repair gives the new index `index`:
// "<index>.<yyyymmdd-hhmmss>.tmp" or "<index>.<yyyymmdd-hhmmss>-<n>.tmp".
bool repairTemporary(std::string_view name, std::string_view index) {
  auto digits = [](std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (name.size() < index.size() + 1 + kStampLength + kTemporarySuffix.size() || !name.starts_with(index) ||
      name[index.size()] != '.' || !name.ends_with(kTemporarySuffix)) {
    return false;
  }
  std::string_view stamp = name.substr(index.size() + 1, name.size() - index.size() - 1 - kTemporarySuffix.size());
  if (!digits(stamp.substr(0, 8)) || stamp[8] != '-' || !digits(stamp.substr(9, 6))) return false;
  std::string_view rest = stamp.substr(kStampLength);
  return rest.empty() || (rest.front() == '-' && digits(rest.substr(1)));
}

// The plain files beside `target` named as a repair names its new index,
// sorted (links and folders of such names are no repair's).
std::vector<std::string> leftoversBeside(const std::string& target) {
  const fs::path file = platform::fileSystemPath(target);
  const std::string name = platform::nativeText(file.filename());
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(file.parent_path(), error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    const bool plain = it->symlink_status(ignored).type() == fs::file_type::regular;
    if (plain && repairTemporary(platform::nativeText(it->path().filename()), name)) {
      found.push_back(platform::nativeText(it->path()));
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Reads the index and the archive (the semaphore held by the caller) and
// compares them.
Inspection inspect(const Files& files, const Progress& progress) {
  Inspection in;
  in.index = existing(files.index);
  std::optional<std::size_t> keyLength = indexKeyLength(in.index.recordLength);
  if (!keyLength) {
    throw CannotRun("il file " + decimalText(files.index) + " ha in " + kBaseFileName + " la lunghezza " +
                    decimalText(in.index.recordLength) + ", che non \xE8 quella di un indice");
  }
  FileOf archive = existing(files.archive);
  openForReading(in.index);
  openForReading(archive);
  in.walk = walkIndex(files.index);
  in.archive = readArchive(archive, *keyLength, progress);
  in.report.archiveRecords = in.archive.records;
  in.report.indexCodes = static_cast<double>(in.walk.entries.size());

  for (const IndexFault& fault : in.walk.faults) {
    add(in.report, {Kind::kIndexStructure, true, {}, fault.node, fault.entry, {}, describe(fault, "indice")});
  }
  for (double node : in.walk.unreached) {
    add(in.report, {Kind::kUnreachedNode, false, {}, node, 0, {},
                    "indice, record " + decimalText(node) + ": nodo che nessun percorso raggiunge (innocuo per le "
                    "ricerche; \"ripara\" ne recupera lo spazio)"});
  }
  in.target = platform::nativePath(systemCall([&] { return platform::linkTarget(in.index.path); }));
  in.leftovers = leftoversBeside(in.target);
  for (const std::string& leftover : in.leftovers) {
    add(in.report, {Kind::kLeftoverFile, false, {}, 0, 0, {},
                    "nuovo indice di una riparazione interrotta, rimasto accanto all'indice: " + leftover +
                        " (\"ripara\" lo rimuove)"});
  }
  compareIndexSide(in);
  compareArchiveSide(in);
  checkCompanion(in, files);
  if (in.archive.partial) {
    const double last = in.archive.records + 1;
    add(in.report, {Kind::kPartialRecord, false, {}, 0, 0, {last},
                    "l'archivio termina con un record incompleto (record " + decimalText(last) + ")"});
  }
  return in;
}

// --- The repair -------------------------------------------------------------

// A file number free for the new index: none of the files of the check, nor
// the semaphore's.
double workNumber(const Files& files) {
  for (double n = kMaxFileNumber;; --n) {
    if (n != files.index && n != files.archive && n != files.companion && n != kSemaphoreFileNumber) return n;
  }
}

std::string timeStamp() {
  std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", std::localtime(&now));
  return text;
}

// Creates the first of "<path>.<stamp><suffix>", "<path>.<stamp>-2<suffix>",
// ... that names nothing at all (not even a link), and opens it under
// `handle`; its name. Never writes through a name that exists.
std::string createBeside(const std::string& path, const std::string& stamp, std::string_view suffix,
                         std::int16_t handle) {
  for (int n = 1; n <= kNameTries; ++n) {
    const std::string candidate = path + "." + stamp + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(suffix);
    if (systemCall([&] { return platform::createNewFile(handle, candidate); })) return candidate;
  }
  throw CannotRun("nessun nome libero per un nuovo file accanto a " + path);
}

// Closes file `number` and removes the temporary file unless it was renamed.
class TemporaryFile {
 public:
  TemporaryFile(double number, std::string path) : number_(number), path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!kept_) {
      CHIUDIFILE(number_);  // Windows removes no file that is open
      std::error_code ignored;
      fs::remove(platform::fileSystemPath(path_), ignored);
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }
  void keep() { kept_ = true; }

 private:
  double number_;
  std::string path_;
  bool kept_ = false;
};

// A file open under a handle of its own for the life of the object.
struct OpenHandle {
  OpenHandle(const std::string& path, platform::OpenMode mode)
      : handle(systemCall([] { return platform::freeHandle(); })) {
    systemCall([&] { platform::openFile(handle, path, mode); });
  }
  ~OpenHandle() { platform::closeHandle(handle); }
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;
  std::int16_t handle;
};

// Writes everything the file open under `from` holds over the file open
// under `to`, from its start, cuts `to` to that length and puts it on the
// disk. Refusals are the system's.
void copyContent(std::int16_t from, std::int16_t to) {
  std::string chunk(kCopyChunk, '\0');
  std::uint64_t at = 0;
  for (;;) {
    const std::size_t read = platform::readAt(from, at, chunk.data(), chunk.size());
    if (read > 0) platform::writeAt(to, at, std::string_view(chunk.data(), read));
    at += read;
    if (read < chunk.size()) break;
  }
  if (platform::openFileLength(to) != at) platform::setOpenFileLength(to, at);
  platform::syncFile(to);
}

// Copies the index file `target`, open under `from`, to a new backup beside
// it like it (owner, group, permissions), on the disk before it returns.
std::string backUp(const std::string& target, std::int16_t from, const std::string& stamp) {
  const std::int16_t handle = systemCall([] { return platform::freeHandle(); });
  const std::string backup = createBeside(target, stamp, ".bak", handle);
  try {
    systemCall([&] {
      platform::makeLike(handle, target);
      copyContent(from, handle);
    });
  } catch (const RuntimeFailure& failure) {
    platform::closeHandle(handle);
    std::error_code ignored;
    fs::remove(platform::fileSystemPath(backup), ignored);
    throw CannotRun("copia di sicurezza non riuscita: " + backup + ": " + failure.description());
  }
  platform::closeHandle(handle);
  return backup;
}

std::vector<KeyChange> changesBetween(const IndexWalk& before, const std::vector<std::pair<std::string, double>>& after) {
  std::map<std::string, double> old;
  for (const IndexEntry& e : before.entries) old.emplace(e.key, e.record);
  std::vector<KeyChange> changes;
  for (const auto& [code, record] : after) {
    auto found = old.find(code);
    if (found == old.end()) {
      changes.push_back({KeyChange::What::kAdded, code, 0, record});
      continue;
    }
    if (found->second != record) changes.push_back({KeyChange::What::kRepointed, code, found->second, record});
    old.erase(found);
  }
  for (const auto& [code, record] : old) changes.push_back({KeyChange::What::kRemoved, code, record, 0});
  return changes;
}

// Whether the index walked is sound and holds exactly `codes`, in order.
bool holdsExactly(const IndexWalk& walk, const std::vector<std::pair<std::string, double>>& codes) {
  bool same = walk.faults.empty() && walk.entries.size() == codes.size();
  for (std::size_t i = 0; same && i < codes.size(); ++i) {
    same = walk.entries[i].key == codes[i].first && walk.entries[i].record == codes[i].second;
  }
  return same;
}

// Builds the new index in the new, empty file open under file number `work`
// from `codes` (ascending) and checks it.
void buildIndex(double work, const FileOf& index, const std::vector<std::pair<std::string, double>>& codes,
                KeptMessages& messages, const Progress& progress) {
  const int n = fileIndex(work);
  S().LUNGREC[n] = index.recordLength;
  S().BUFFERREC[n] = std::string(static_cast<std::size_t>(index.recordLength), ' ');
  initialiseOpenIndex(work);
  const auto total = static_cast<double>(codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (progress && i % static_cast<std::size_t>(kProgressStep) == 0) progress("ricostruzione", static_cast<double>(i), total);
    if (ISAM(work, codes[i].first, kIsamInsert, codes[i].second) != 0) {
      throw CannotRun("il nuovo indice non accetta il codice " + codes[i].first + ": " + messages.first());
    }
  }
  if (progress) progress("ricostruzione", total, total);
  if (!holdsExactly(walkIndex(work), codes)) {
    throw CannotRun("il nuovo indice non supera la verifica; l'indice non \xE8 stato sostituito");
  }
  systemCall([&] { platform::syncFile(S().NUMEROFILE[n]); });
  CHIUDIFILE(work);
}

// Writes the checked new index `built` into the index file itself, which
// another program holds open so that the system renames nothing over it
// (Windows, for a file opened without delete sharing): that program's
// handle then reads the new index. Under the semaphore, once the backup is
// on disk. The file is flushed, then walked again through a handle of its
// own and must hold exactly `codes`. When the rewrite or that check fails,
// the backup is written back the same way, and the call ends with CannotRun.
void rewriteInPlace(const std::string& built, const FileOf& index, const std::string& target,
                    const std::string& backup, const std::vector<std::pair<std::string, double>>& codes) {
  const OpenHandle into(target, platform::OpenMode::kSharedReadWrite);
  // Copies `source` over the index: "" or the refusal's description.
  auto copyFrom = [&](const std::string& source) {
    try {
      const OpenHandle from(source, platform::OpenMode::kSharedRead);
      systemCall([&] { copyContent(from.handle, into.handle); });
    } catch (const RuntimeFailure& failure) {
      return failure.description();
    }
    return std::string();
  };
  std::string problem = copyFrom(built);
  if (problem.empty()) {
    openForReading(index);
    const bool sound = holdsExactly(walkIndex(index.number), codes);
    CHIUDIFILE(index.number);
    if (sound) return;
    problem = "riletto, l'indice non \xE8 quello nuovo";
  }
  const std::string restored = copyFrom(backup);
  throw CannotRun("riscrittura dell'indice " + target + " non riuscita (" + problem + "): " +
                  (restored.empty() ? "l'indice \xE8 tornato com'era, dalla copia di sicurezza " + backup
                                    : "anche il ritorno alla copia di sicurezza " + backup + " non \xE8 riuscito (" +
                                          restored + "): l'indice pu\xF2 essere danneggiato") +
                  ". Eseguire di nuovo \"ripara\"");
}

}  // namespace

bool Report::damaged() const {
  return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.damage; });
}

void setSemaphoreWait(std::function<void(const std::string& line)> told, std::optional<std::chrono::seconds> limit) {
  semaphoreWait() = {std::move(told), limit};
}

void findInstallation(const std::string& archivesFolder) {
  contained([&](KeptMessages& messages) {
    State& s = S();
    s.PERARK.clear();
    s.PERPRO.clear();
    s.NUMEROTASK.clear();
    if (!archivesFolder.empty()) {
      if (platform::pathKind(archivesFolder) != platform::PathKind::kDirectory) {
        throw CannotRun("cartella degli archivi non trovata: " + archivesFolder);
      }
      s.PERARK = archivesFolder;
      readTaskNumber();
    } else {
      pathsFromRegistry();
      try {
        if (s.PERARK.empty()) pathsFromPathFiles();
      } catch (const ProgramEnded&) {
        throw CannotRun("installazione di Tessaro non trovata (registro e file dei percorsi): " +
                        messages.first());
      }
    }
    const std::string table = s.PERARK + "\\" + kBaseFileName;
    if (platform::pathKind(table) != platform::PathKind::kFile) {
      throw CannotRun("installazione non trovata: manca la tabella dei file " + table);
    }
  });
}

Report verify(const Files& files, const Progress& progress) {
  return contained([&](KeptMessages&) {
    const bool semaphore = semaphoreReady(files, true);
    Session session({files.index, files.archive}, semaphore);
    Report report = inspect(files, progress).report;
    if (!semaphore) {
      add(report, {Kind::kWithoutSemaphore, false, {}, 0, 0, {},
                   "cartella degli archivi in sola lettura e senza " + std::string(kSemaphoreFileName) +
                       ": verifica eseguita senza il semaforo (nessun file \xE8 stato scritto)"});
    }
    return report;
  });
}

RepairResult repair(const Files& files, const Progress& progress) {
  return contained([&](KeptMessages& messages) {
    const double work = workNumber(files);
    semaphoreReady(files, false);
    Session session({files.index, files.archive, work});
    Inspection in = inspect(files, progress);
    RepairResult result;
    result.before = in.report;
    // No repair is running but this one (it holds the semaphore): what an
    // earlier one left is of no use.
    for (const std::string& leftover : in.leftovers) {
      std::error_code error;
      if (fs::remove(platform::fileSystemPath(leftover), error)) result.removed.push_back(leftover);
    }
    if (!in.report.damaged() && in.walk.unreached.empty()) return result;
    for (const Finding& f : in.report.findings) {
      if (f.kind == Kind::kDuplicateCode || f.kind == Kind::kUnindexableCode || f.kind == Kind::kTornRecord) {
        result.refused = true;
      }
    }
    if (result.refused) return result;

    std::vector<std::pair<std::string, double>> codes;
    for (std::size_t r = 0; r < in.archive.codes.size(); ++r) {
      if (in.archive.inUse[r]) codes.emplace_back(in.archive.codes[r], static_cast<double>(r + 1));
    }
    std::sort(codes.begin(), codes.end());

    // The new index is built beside the file the index is (where a link
    // leads) and takes its place: the link, if any, stays.
    const std::string stamp = timeStamp();
    const int n = fileIndex(work);
    DAMMINUMERO(work);
    TemporaryFile temporary(work, createBeside(in.target, stamp, kTemporarySuffix, S().NUMEROFILE[n]));
    try {
      systemCall([&] { platform::makeLike(S().NUMEROFILE[n], in.target); });
    } catch (const RuntimeFailure& failure) {
      // No advice to run it elevated: an elevated prompt on Windows does not
      // see the user's network drives.
      throw CannotRun("il nuovo indice non pu\xF2 avere il proprietario, il gruppo e i permessi di " + in.target +
                      " (" + failure.description() + "): controllare che \"ripara\" sia eseguito dal proprietario "
                      "dell'indice (o da root) e, per una cartella di rete, i permessi della condivisione e "
                      "dell'indice sul server. L'indice non \xE8 stato sostituito");
    }
    buildIndex(work, in.index, codes, messages, progress);
    result.backup = backUp(in.target, S().NUMEROFILE[fileIndex(files.index)], stamp);
    // Both closed before the rename: Windows renames no file that is open.
    CHIUDIFILE(work);
    CHIUDIFILE(files.index);
    try {
      platform::renameOver(temporary.path(), in.target);
      temporary.keep();
    } catch (const platform::SystemError& refusal) {
      // Another program holds the index so that it cannot be replaced: it
      // is rewritten where it is.
      if (refusal.kind() != platform::SystemErrorKind::kSharingViolation) {
        raiseFailure(failureCode(refusal.kind()), refusal.subject());
      }
      rewriteInPlace(temporary.path(), in.index, in.target, result.backup, codes);
      result.rewrittenInPlace = true;
    }
    result.replaced = true;
    result.changes = changesBetween(in.walk, codes);
    return result;
  });
}

IndexWalk list(const Files& files) {
  return contained([&](KeptMessages&) {
    Session session({files.index});
    FileOf index = existing(files.index);
    if (!indexKeyLength(index.recordLength)) {
      throw CannotRun("il file " + decimalText(files.index) + " non \xE8 un indice");
    }
    openForReading(index);
    return walkIndex(files.index);
  });
}

}  // namespace vt::check
