// Archive lines: the text of one record in the lists of the browser and of
// the copy window, and the list that holds them.
//
// The line text is the only thing the browser hands to the copy window, which
// finds the record again by reading its number back out of the line; the
// format is therefore the contract between the two windows.
//
// The fields are those the TABPARAM slots kParamKeyPosition/kParamKeyLength
// and kParamDescriptionPosition/kParamDescriptionLength (core/slots.h) place.
//
//   Key length other than 10 (companies, formulas, sectors, profiles):
//     key field, one blank, description field; untrimmed.
//     The record number is the numeric value of the first key-length
//     characters.
//   Key length 10 (employees):
//     description field, one blank,
//     the record number as five digits with leading zeros, so that with the
//     35-character description the number stands at characters 37 to 41.
//
// A record whose first two characters are "99" is a free slot: it is never
// listed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/file_numbers.h"

namespace vt {

// Key length that marks the employee archive.
inline constexpr int kEmployeeKeyLength = 10;
// Where the record number stands in an employee line, and its digits.
inline constexpr std::size_t kEmployeeNumberPos = 37;
inline constexpr std::size_t kEmployeeNumberDigits = 5;

// The mark of a free record, in its first characters.
inline constexpr std::string_view kFreeMark = "99";

// The lists show at most the records 1 to this of an archive.
inline constexpr int kMaxListedRecords = 1000;

// The decorative strip under the heading of both windows: 13 characters of
// code 223, which the suite's screen fonts (OEM code page) draw as the upper
// half block; the views show it so (in Windows-1252 it would read as a sharp s).
inline constexpr std::size_t kStripLength = 13;
inline constexpr char kStripCharacter = '\xDF';
std::string decorativeStrip();

// True when the first two characters of `record` are the free mark.
bool startsFree(std::string_view record);

// True when TABPARAM(kParamKeyLength) marks the employee archive.
bool isEmployeeArchive();

// The browser's line of record `recordNumber` from its text `record`, with
// the layout in TABPARAM. Fields lying partly past the end of the record are
// padded with blanks, so the columns keep their places.
std::string standardLine(std::string_view record, int recordNumber);

// The copy window's line of a user record: key, one blank, description.
std::string keyedLine(std::string_view record);

// A list of archive lines kept in ascending order of the line text, with at
// most one selected line.
class ArchiveList {
 public:
  static constexpr int kNone = -1;

  const std::vector<std::string>& lines() const { return lines_; }
  int size() const { return static_cast<int>(lines_.size()); }
  bool empty() const { return lines_.empty(); }
  const std::string& at(int index) const { return lines_.at(static_cast<std::size_t>(index)); }

  // Inserts `line` at its place in the order (after equal lines); the
  // selected line stays selected.
  void add(std::string line);
  // Removes line `index` (an index outside the list does nothing); the
  // selection follows its line and is lost when that line goes.
  void removeAt(int index);
  void clear();

  // Selects line `index`; an index outside the list selects nothing.
  void select(int index);
  int selected() const { return selected_; }

 private:
  std::vector<std::string> lines_;
  int selected_ = kNone;
};

}  // namespace vt
