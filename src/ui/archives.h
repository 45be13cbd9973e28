// The archives of the menu, one row each in menu order: the entry's text, its
// standard archive, its user archive, where the key and the description lie
// in its records and how a free user record is told. The menu text, the
// files, the layouts and what the copy window copies by record number are
// this one table; the checks below stop the build when a row breaks their
// rules.
//
// To add an archive: name its standard file (the next number after the last,
// records/file_numbers.h, moving kLastStandardFile to it) and its user file
// there, and give it a row here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "records/companion.h"
#include "records/file_numbers.h"
#include "repository/descriptors.h"
#include "ui/archive_lines.h"

namespace vt {

// Where a field lies in a record: 1-based character position and length.
struct RecordField {
  int position = 0;
  int length = 0;
};

// The employee record (the employee archives, files 2 and 202), positions
// from 1:
//
//   1-2        status: "00" in use, kFreeMark a free slot
//   3-12       code: company (3), sub-company (3), employee (4); the key of
//              the menu row and of the employee index (file 7)
//   13-28      tax code
//   29-36      hiring date, YYYYMMDD
//   37-45      level
//   9515-9544  surname
//   9545-9574  first name
//
// The rest is not read by this program. The menu row's description is the
// surname and the first five characters of the first name (9515-9549).
// Characters 1 to 45, status to level, are the head that the companion
// record copies (records/companion.h). The record length is the file's, from
// "WKBASE.DAT".
inline constexpr RecordField kEmployeeCode{3, kEmployeeKeyLength};
inline constexpr RecordField kEmployeeTaxCode{13, 16};
inline constexpr RecordField kEmployeeHired{29, 8};
inline constexpr RecordField kEmployeeLevel{37, 9};
inline constexpr RecordField kEmployeeSurname{9515, 30};
inline constexpr RecordField kEmployeeFirstName{9545, 30};
inline constexpr RecordField kEmployeeDescription{kEmployeeSurname.position, 35};
static_assert(kEmployeeLevel.position + kEmployeeLevel.length - 1 == static_cast<int>(kCompanionHeadLength),
              "the companion record's head ends with the level");
// The record length the sample installation (sample/) gives the employee
// archives, which the tests and the benchmarks build theirs with; the
// program itself never assumes it.
inline constexpr std::size_t kSampleEmployeeLength = 9600;

struct Archive {
  std::string_view menuText;  // kMenuTextLength characters, "N - " first
  int standardFile;
  int userFile;  // kNoUserFile: an archive the user manages, never copied
  RecordField key;
  RecordField description;
  // The field descriptor of a user record's status ("99" = free), or null
  // when the first two characters tell it.
  const char* freeField = nullptr;
};

inline constexpr int kNoUserFile = 0;
// The menu shows each entry in a cell of this many characters and a separator.
inline constexpr std::size_t kMenuTextLength = 23;

inline constexpr auto kMenuArchives = std::to_array<Archive>({
    {"1 - ARCHIVIO DITTE     ", kStandardCompanyFile, kUserCompanyFile, {3, 3}, {6, 30}, T261},
    {"2 - ARCHIVIO DIPENDENTI", kStandardEmployeeFile, kUserEmployeeFile, kEmployeeCode, kEmployeeDescription},
    {"3 - ARCHIVIO FORMULE   ", kStandardFormulaFile, kUserFormulaFile, {4, 3}, {7, 18}},
    {"4 - ARCHIVIO SETTORI   ", kStandardSectorFile, kUserSectorFile, {381, 4}, {385, 16}, S204},
    {"5 - ARCHIVIO DATI FISSI", kStandardFixedDataFile, kNoUserFile, {}, {}},
    {"6 - ARCHIVIO PROFILI   ", kStandardProfileFile, kUserProfileFile, {3, 3}, {6, 25}},
});

// True when row i is entry i + 1 of the menu, its text fills its cell and its
// standard archive is the i-th from the first.
consteval bool rowsInMenuOrder() {
  for (std::size_t i = 0; i < kMenuArchives.size(); ++i) {
    const Archive& a = kMenuArchives[i];
    const std::string_view number{"123456789"};
    if (i >= number.size() || a.menuText.size() != kMenuTextLength || a.menuText[0] != number[i] ||
        a.menuText.substr(1, 3) != " - " || a.standardFile != kFirstStandardFile + static_cast<int>(i)) {
      return false;
    }
  }
  return true;
}
static_assert(rowsInMenuOrder(), "each row: text of 23 characters beginning \"N - \", standard file 200 + N");
static_assert(kMenuArchives.size() == static_cast<std::size_t>(kLastStandardFile - kFirstStandardFile + 1),
              "one menu row for each standard archive of records/file_numbers.h");

// The menu row whose user archive is `file`, copied by record number (every
// archive but the employees, which go through SCRIVI2), or null.
const Archive* keyedArchiveOf(int file);

// The menu as the choice window takes it: each entry's text in a cell ending
// in the separator "*", the last one ending in a blank instead.
std::string archiveMenu();

// Writes the chosen archive into TABPARAM: its standard and user files, its
// key's and its description's place (core/slots.h).
void setArchiveLayout(const Archive& archive);

}  // namespace vt
