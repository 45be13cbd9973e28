// Record read, write and delete.
//
// An archive is a plain sequence of fixed-length records with no header:
// with record length L, record R occupies bytes (R - 1) x L to R x L - 1.
// The layer gives no byte a meaning of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vt {

// Reads record `record` of file `number` into BUFFERREC(number). Returns 0
// when the record was read whole, 1 when the read reached the end of the
// file. ULTIMOREC(number) is set first, even when the read fails. A buffer
// whose length is not LUNGREC(number) is failure 59. Trail name
// "LEGGIREC (<number>-<record>)"; failures go to the trap.
double LEGGIREC(double number, double record);

// Reads many records of one file in one call, each exactly as LEGGIREC
// does (trail name, ULTIMOREC, BUFFERREC, result, failures), with the file's
// handle and record length found once, when the reader is made. When the
// file is not ready for reading then, every read is LEGGIREC itself, which
// fails as it does. Keep a reader only for the call it was made in: the
// file may be closed or changed between calls.
class RecordReader {
 public:
  explicit RecordReader(double number);
  double read(double record);
  // The same read into `into` (made the record length) instead of the
  // record buffer, for a caller that keeps the record in a buffer of its own.
  double read(double record, std::string& into);
  // Whether the file was open, with a record buffer of its record length,
  // when the reader was made (otherwise every read is LEGGIREC's).
  bool direct() const { return handle_ != 0; }

 private:
  double number_;
  int slot_ = 0;
  std::int16_t handle_ = 0;
  std::size_t length_ = 0;
};

// How many record reads LEGGIREC has made since the process started (every
// call counts, whatever its result): a measure for tests and benchmarks.
std::uint64_t recordsRead();

// Writes record `record` of file `number`: `text` when not empty (its length
// must be the record length, else failure 59 and nothing is written), the
// record buffer otherwise. Trail name "SCRIVIREC (<number>-<record>)".
void SCRIVIREC(double number, double record, const std::string& text = {});

// Writes `text` (of the record length) as record `record` of file `number`
// over `held`, the bytes the caller read for that record while holding the
// file as it holds it now: the same trail name, failures and effect on the
// file as SCRIVIREC, but the record buffer is left as it is, and a write
// refused part way puts `held` back instead of bytes the file is read for
// first.
void rewriteRecord(double number, double record, std::string_view text, std::string_view held);

// The records written while it is open, each with what its place held
// before, so that a sequence of writes can be taken back: a copy opens one
// before its first write and, when a later write or flush is refused, undoes
// what it wrote before the failure ends the program. Every write through
// SCRIVIREC and rewriteRecord is kept once it has succeeded (what it
// replaced is read first). One journal is open at a time.
class RecordJournal {
 public:
  RecordJournal();
  ~RecordJournal();
  RecordJournal(const RecordJournal&) = delete;
  RecordJournal& operator=(const RecordJournal&) = delete;

  // Puts back every record kept, the last first: the bytes its place held,
  // and a file that the writes made longer cut to its old length; then puts
  // those files on disk. True when all of it was done; false when the system
  // refused any part (the rest is still tried). Raises nothing. Forgets
  // what it kept.
  bool undo();
  // The writes are whole: forgets them.
  void keep();
};

// Puts on disk every record written with SCRIVIREC since the last call, on
// the files still open, and waits until the device has them. A copy calls it
// before it releases the task semaphore (or reports the copy done), so that
// what other programs then read survives a crash of the system. A refusal of
// the device is a failure for the caller's trap.
void flushWrittenRecords();

// The length in bytes of open file `number` (the suite's LOF). A file that
// is not open is failure 52. Records nothing; failures reach the caller.
double LOF(double number);

// Deletes the file of `number` when it exists and is not empty; leaves the
// number closed. Trail name "ELIMINA".
void ELIMINA(double number);

// Empties the file of `number`: deletes it and opens it again, empty. The
// context values are the same after the call as before it.
void AZZERAFILE(double number);

}  // namespace vt
