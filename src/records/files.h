// File numbers and paths.
//
// Every file of the suite is known by a file number (NUMEROBASE, 1 to 600).
// Row N of the file table "WKBASE.DAT" in the archives directory gives file
// N's name template and record length:
//
//   Row layout (79 bytes, no header; row N is the file's bytes (N - 1) x 79 + 1
//   to N x 79)
//   bytes  1- 3   not read by this program
//   bytes  4-32   name template, blank-padded (trailing blanks cut)
//   bytes 33-37   record length, decimal text (numeric value of the text)
//   bytes 38-79   not read by this program
//
// A template is a name relative to the archives directory or an absolute
// path beginning "!:\" (the drive placeholder); it may hold, once each, the
// placeholders "###" (company), "$$" (task), "**" (year), "@@" (region) and
// "%%" (province), replaced by the context values in S().
//
// The file tables (NUMEROFILE, BUFFERREC, LUNGREC, ULTIMOREC) and the context
// values live in the process state (core/state.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "records/file_numbers.h"

namespace vt {

// Row layout of "WKBASE.DAT".
inline constexpr int kBaseRowLength = 79;
inline constexpr int kBaseTemplatePos = 4;
inline constexpr int kBaseTemplateLength = 29;
inline constexpr int kBaseRecordLengthPos = 33;
inline constexpr int kBaseRecordLengthLength = 5;
inline constexpr const char* kBaseFileName = "WKBASE.DAT";
// The longest record a file may declare (the suite's record lengths are
// 16-bit numbers).
inline constexpr double kMaxRecordLength = 32767;

// The table index of file `number`: a whole number from 1 to 600, else
// failure 52 (bad file number).
int fileIndex(double number);

// The path of file `number`, resolved through its row of "WKBASE.DAT" and the
// context values; sets LUNGBASE. `relative` is set by the caller to -1 (true)
// and set to 0 when the template is absolute. "" for a number of 0 or less.
// A missing context value shows its "ERRORE OPEN ..." message and ends the
// program. Trail name "DAMMIFILE$ (<number>)"; failures go to the trap.
std::string DAMMIFILE(double number, std::int16_t& relative);

// Opens file `number` shared for reading and writing (an absent file is
// created empty), a standard archive (records/file_numbers.h) for reading only (it must exist), with
// its record buffer set to LUNGBASE blanks; returns the record length. Returns 0 and does nothing for a number of 0 or less. A row
// whose record length is not a whole number from 1 to 32767 is failure 59,
// raised before anything is opened. Trail name "FAIOPEN".
double FAIOPEN(double number);

// 1 when the file of `number` exists and is not empty, else 0. Opens nothing
// (but consumes the one-shot context values, like an open). Trail "VERBASE".
double VERBASE(double number);

// Gives `number` a fresh handle in NUMEROFILE, closing its earlier file.
void DAMMINUMERO(double number);

// Closes file `number` and sets its NUMEROFILE entry to 0; with 0, closes
// every file and sets entries 1 to 600 to 0.
void CHIUDIFILE(double number);

// The context values DITTAOPEN, ANNOOPEN, REGIONEOPEN and PROVINCIAOPEN (and
// DRIVEOPEN, with kWithDrive) as they were when it was made: a caller that
// resolves paths more than once puts them back after each resolution has
// consumed those its template needed.
class SavedContext {
 public:
  enum Drive : bool { kWithoutDrive = false, kWithDrive = true };
  explicit SavedContext(Drive drive = kWithoutDrive);
  void restore() const;

 private:
  std::string company_, year_, region_, province_;
  std::optional<std::string> drive_;
};

}  // namespace vt
