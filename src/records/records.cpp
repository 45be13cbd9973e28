#include "records/records.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/trail.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "records/files.h"
#include "util/text.h"

namespace vt {
namespace {

std::uint64_t readCount = 0;

// The files written since the last flush, by file number.
std::vector<bool>& writtenFiles() {
  static std::vector<bool> written(kMaxFileNumber + 1, false);
  return written;
}

// One record write kept by the open RecordJournal: where it went, and what
// the file held there (fewer bytes, or none, past its old end).
struct KeptWrite {
  int number;
  std::int16_t handle;
  std::uint64_t offset;
  std::size_t length;
  std::uint64_t oldLength;
  std::string before;
};
struct Journal {
  bool open = false;
  std::vector<KeptWrite> kept;
};
Journal& journal() {
  static Journal j;
  return j;
}

// What the open journal must know of a write about to be made: what the
// file holds where it goes. Refusals go to the caller's trap.
std::optional<KeptWrite> beforeWrite(int n, std::int16_t handle, std::uint64_t offset, std::size_t length) {
  if (!journal().open) return std::nullopt;
  KeptWrite kept{n, handle, offset, length, systemCall([&] { return platform::openFileLength(handle); }), {}};
  if (kept.oldLength > offset) {
    kept.before.resize(static_cast<std::size_t>(std::min<std::uint64_t>(length, kept.oldLength - offset)));
    systemCall([&] { return platform::readAt(handle, offset, kept.before.data(), kept.before.size()); });
  }
  return kept;
}

// Record numbers above this would put the record past any offset a file of
// the suite can have.
constexpr double kMaxRecordNumber = 2147483647.0;

// The trail name of a record procedure: "LEGGIREC (7-12)".
void recordTrailName(std::string& out, const char* procedure, double number, double record) {
  out = std::string(procedure) + " (" + decimalText(number) + "-" + decimalText(record) + ")";
}

// The byte offset of `record` in a file of records of `length` bytes.
std::uint64_t recordOffset(double record, std::size_t length) {
  if (record < 1 || record > kMaxRecordNumber || record != std::floor(record)) {
    raiseFailure(err::kBadRecordNumber, decimalText(record));
  }
  return (static_cast<std::uint64_t>(record) - 1) * length;
}

// The handle of open file `n`; a file that is not open is failure 52.
std::int16_t openHandle(int n) {
  std::int16_t handle = S().NUMEROFILE[n];
  if (handle == 0 || !platform::isOpen(handle)) {
    raiseFailure(err::kBadFileNumber, "il file " + std::to_string(n) + " non \xE8 aperto");
  }
  return handle;
}

// The record buffer of `n` must have the record length of `n`.
void checkBufferLength(int n) {
  const State& s = S();
  if (static_cast<double>(s.BUFFERREC[n].size()) != s.LUNGREC[n] || s.LUNGREC[n] < 1) {
    raiseFailure(err::kBadRecordLength, "file " + std::to_string(n) + ", record di " +
                                            std::to_string(s.BUFFERREC[n].size()) + " caratteri invece di " +
                                            decimalText(s.LUNGREC[n]));
  }
}

}  // namespace

double LEGGIREC(double number, double record) {
  ++readCount;
  REGISTRAPROC(recordTrailName, "LEGGIREC", number, record);
  return guardedValue(
      [&]() -> double {
        const int n = fileIndex(number);
        State& s = S();
        s.ULTIMOREC[n] = record;
        checkBufferLength(n);
        std::string& buffer = s.BUFFERREC[n];
        const std::uint64_t offset = recordOffset(record, buffer.size());
        const std::int16_t handle = openHandle(n);
        const std::size_t read =
            systemCall([&] { return platform::readAt(handle, offset, buffer.data(), buffer.size()); });
        return read < buffer.size() ? 1.0 : 0.0;
      },
      0.0);
}

RecordReader::RecordReader(double number) : number_(number) {
  if (!(number >= 1 && number <= kMaxFileNumber && number == std::floor(number))) return;
  const int n = static_cast<int>(number);
  const State& s = S();
  const std::int16_t handle = s.NUMEROFILE[n];
  const std::size_t length = s.BUFFERREC[n].size();
  if (handle == 0 || !platform::isOpen(handle) || static_cast<double>(length) != s.LUNGREC[n] || length < 1) return;
  slot_ = n;
  handle_ = handle;
  length_ = length;
}

double RecordReader::read(double record) {
  State& s = S();
  if (handle_ == 0 || s.BUFFERREC[slot_].size() != length_) return LEGGIREC(number_, record);
  ++readCount;
  REGISTRAPROC(recordTrailName, "LEGGIREC", number_, record);
  return guardedValue(
      [&]() -> double {
        s.ULTIMOREC[slot_] = record;
        const std::uint64_t offset = recordOffset(record, length_);
        const std::size_t read =
            systemCall([&] { return platform::readAt(handle_, offset, s.BUFFERREC[slot_].data(), length_); });
        return read < length_ ? 1.0 : 0.0;
      },
      0.0);
}

double RecordReader::read(double record, std::string& into) {
  if (handle_ == 0 || S().BUFFERREC[slot_].size() != length_) {
    const double result = LEGGIREC(number_, record);
    into.assign(S().BUFFERREC[fileIndex(number_)]);
    return result;
  }
  ++readCount;
  REGISTRAPROC(recordTrailName, "LEGGIREC", number_, record);
  return guardedValue(
      [&]() -> double {
        S().ULTIMOREC[slot_] = record;
        const std::uint64_t offset = recordOffset(record, length_);
        into.resize(length_);
        const std::size_t read = systemCall([&] { return platform::readAt(handle_, offset, into.data(), length_); });
        return read < length_ ? 1.0 : 0.0;
      },
      0.0);
}

std::uint64_t recordsRead() { return readCount; }

void SCRIVIREC(double number, double record, const std::string& text) {
  REGISTRAPROC(recordTrailName, "SCRIVIREC", number, record);
  guarded([&] {
    const int n = fileIndex(number);
    State& s = S();
    s.ULTIMOREC[n] = record;
    checkBufferLength(n);
    if (!text.empty()) {
      if (static_cast<double>(text.size()) != s.LUNGREC[n]) {
        raiseFailure(err::kBadRecordLength, "file " + std::to_string(n) + ", testo di " +
                                                std::to_string(text.size()) + " caratteri invece di " +
                                                decimalText(s.LUNGREC[n]));
      }
      s.BUFFERREC[n] = text;
    }
    const std::string& buffer = s.BUFFERREC[n];
    const std::uint64_t offset = recordOffset(record, buffer.size());
    const std::int16_t handle = openHandle(n);
    std::optional<KeptWrite> kept = beforeWrite(n, handle, offset, buffer.size());
    systemCall([&] { platform::writeAt(handle, offset, buffer); });
    writtenFiles()[static_cast<std::size_t>(n)] = true;
    if (kept) journal().kept.push_back(std::move(*kept));
  });
}

void rewriteRecord(double number, double record, std::string_view text, std::string_view held) {
  REGISTRAPROC(recordTrailName, "SCRIVIREC", number, record);
  guarded([&] {
    const int n = fileIndex(number);
    State& s = S();
    s.ULTIMOREC[n] = record;
    if (static_cast<double>(text.size()) != s.LUNGREC[n] || text.empty()) {
      raiseFailure(err::kBadRecordLength, "file " + std::to_string(n) + ", testo di " + std::to_string(text.size()) +
                                              " caratteri invece di " + decimalText(s.LUNGREC[n]));
    }
    const std::uint64_t offset = recordOffset(record, text.size());
    const std::int16_t handle = openHandle(n);
    std::optional<KeptWrite> kept = beforeWrite(n, handle, offset, text.size());
    systemCall([&] { platform::writeOverAt(handle, offset, text, held); });
    writtenFiles()[static_cast<std::size_t>(n)] = true;
    if (kept) journal().kept.push_back(std::move(*kept));
  });
}

RecordJournal::RecordJournal() {
  if (journal().open) throw std::logic_error("a record journal is already open");
  journal().open = true;
}

RecordJournal::~RecordJournal() { journal() = {}; }

bool RecordJournal::undo() {
  std::vector<KeptWrite> kept = std::move(journal().kept);
  journal().kept.clear();
  bool whole = true;
  std::vector<std::int16_t> touched;
  for (auto w = kept.rbegin(); w != kept.rend(); ++w) {
    try {
      if (S().NUMEROFILE[w->number] != w->handle) raiseSystemError(platform::SystemErrorKind::kBadHandle, {});
      if (!w->before.empty()) platform::writeAt(w->handle, w->offset, w->before);
      if (w->oldLength < w->offset + w->length) platform::setOpenFileLength(w->handle, w->oldLength);
      if (std::find(touched.begin(), touched.end(), w->handle) == touched.end()) touched.push_back(w->handle);
    } catch (const platform::SystemError&) {
      whole = false;
    }
  }
  for (std::int16_t handle : touched) {
    try {
      platform::syncFile(handle);
    } catch (const platform::SystemError&) {
      whole = false;
    }
  }
  return whole;
}

void RecordJournal::keep() { journal().kept.clear(); }

void flushWrittenRecords() {
  std::vector<bool>& written = writtenFiles();
  for (int n = 1; n <= kMaxFileNumber; ++n) {
    if (!written[static_cast<std::size_t>(n)]) continue;
    const std::int16_t handle = S().NUMEROFILE[n];
    if (handle != 0 && platform::isOpen(handle)) systemCall([&] { platform::syncFile(handle); });
    written[static_cast<std::size_t>(n)] = false;
  }
}

double LOF(double number) {
  const std::int16_t handle = openHandle(fileIndex(number));
  return static_cast<double>(systemCall([&] { return platform::openFileLength(handle); }));
}

void ELIMINA(double number) {
  State& s = S();
  const SavedContext context;
  REGISTRAPROC("ELIMINA");
  guarded([&] {
    if (number <= 0) return;
    const int n = fileIndex(number);
    if (s.NUMEROFILE[n] != 0) CHIUDIFILE(number);
    if (VERBASE(number) == 0) return;
    context.restore();
    std::int16_t relative = -1;
    const std::string path = DAMMIFILE(number, relative);
    if (path.empty()) return;
    if (s.NUMEROFILE[n] != 0) CHIUDIFILE(number);
    const auto length = platform::fileLength(path);
    if (length.has_value() && *length > 0) systemCall([&] { platform::removeFile(path); });
  });
}

void AZZERAFILE(double number) {
  const SavedContext context;
  ELIMINA(number);
  context.restore();
  FAIOPEN(number);
  // The open consumed the values its template needed; the caller keeps them.
  context.restore();
}

}  // namespace vt
