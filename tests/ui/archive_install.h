// A small installation of the suite for the tests of the browser and the copy
// window: a file table "WKBASE.DAT" with a row for each archive the test
// uses, the archives themselves, opened and described in TABPARAM as the
// start-up leaves them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/state.h"
#include "records/files.h"
#include "temp_install.h"
#include "util/text.h"

namespace vt::testing {

// Where the installation keeps its archives: as the suite writes it, and
// inside the temporary folder.
inline constexpr const char* kArchivesDir = "C:\\ARCHIVI";
inline constexpr const char* kArchivesFolder = "drives/C/ARCHIVI/";

// The layout the start-up gives each archive it copies.
struct ArchiveLayout {
  int choice;
  int standardFile;
  int userFile;
  int keyPos;
  int keyLength;
  int descriptionPos;
  int descriptionLength;
  const char* title;
};
inline constexpr ArchiveLayout kCompanies{1, 201, 1, 3, 3, 6, 30, "1 - ARCHIVIO DITTE     "};
inline constexpr ArchiveLayout kEmployees{2, 202, 2, 3, 10, 9515, 35, "2 - ARCHIVIO DIPENDENTI"};
inline constexpr ArchiveLayout kFormulas{3, 203, 401, 4, 3, 7, 18, "3 - ARCHIVIO FORMULE   "};
inline constexpr ArchiveLayout kSectors{4, 204, 8, 381, 4, 385, 16, "4 - ARCHIVIO SETTORI   "};
inline constexpr ArchiveLayout kProfiles{6, 206, 48, 3, 3, 6, 25, "6 - ARCHIVIO PROFILI    "};

// A record of `length` blanks with `head` at character 1, the key at the
// layout's key position and the description at its description position.
inline std::string keyedRecord(const ArchiveLayout& layout, int length, const std::string& key,
                               const std::string& description, const std::string& head = "00") {
  std::string record(static_cast<std::size_t>(length), ' ');
  overwrite(record, 1, head);
  overwrite(record, static_cast<std::size_t>(layout.keyPos), key);
  overwrite(record, static_cast<std::size_t>(layout.descriptionPos), description);
  return record;
}

// A free slot: "99" in the first two characters, whatever follows.
inline std::string freeRecord(const ArchiveLayout& layout, int length, const std::string& key = "",
                              const std::string& description = "VECCHIO RECORD LIBERO") {
  return keyedRecord(layout, length, key, description, "99");
}

// Record `number` of a standard archive: its key is the number with leading
// zeros, its description says which record it is.
inline std::string numberedRecord(const ArchiveLayout& layout, int length, int number,
                                  const std::string& prefix = "STANDARD") {
  return keyedRecord(layout, length, zeroPad(std::to_string(number), static_cast<std::size_t>(layout.keyLength)),
                     prefix + " " + std::to_string(number));
}

// Records 1 to `count` numbered as numberedRecord does.
inline std::vector<std::string> numberedRecords(const ArchiveLayout& layout, int length, int count,
                                                const std::string& prefix = "STANDARD") {
  std::vector<std::string> records;
  for (int number = 1; number <= count; ++number) records.push_back(numberedRecord(layout, length, number, prefix));
  return records;
}

// The line of `record` in the lists of a keyed archive: key, blank,
// description, as the windows show it.
inline std::string lineOf(const ArchiveLayout& layout, const std::string& record) {
  return record.substr(static_cast<std::size_t>(layout.keyPos - 1), static_cast<std::size_t>(layout.keyLength)) +
         " " +
         record.substr(static_cast<std::size_t>(layout.descriptionPos - 1),
                       static_cast<std::size_t>(layout.descriptionLength));
}

inline std::string joined(const std::vector<std::string>& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record;
  return bytes;
}

class ArchiveInstall {
 public:
  explicit ArchiveInstall(TempFolder& folder) : folder_(folder) {}

  // Declares file `number`, named `name` with records of `recordLength`
  // characters, and writes `records` into it.
  void file(int number, const std::string& name, int recordLength, const std::vector<std::string>& records) {
    files_[number] = {name, recordLength};
    folder_.write(kArchivesFolder + name, joined(records));
  }

  // Writes the file table, opens every declared file and describes `layout`
  // in TABPARAM and TABTESTI as the start-up does.
  void open(const ArchiveLayout& layout) {
    std::string table;
    int last = files_.empty() ? 0 : files_.rbegin()->first;
    for (int number = 1; number <= last; ++number) {
      auto found = files_.find(number);
      table += found == files_.end() ? std::string(kBaseRowLength, ' ') : baseRow(found->second.name, found->second.length);
    }
    folder_.write(std::string(kArchivesFolder) + kBaseFileName, table);
    S().PERARK = kArchivesDir;
    for (const auto& [number, declared] : files_) FAIOPEN(number);
    S().TABPARAM[21] = static_cast<std::int16_t>(layout.choice);
    S().TABPARAM[1] = static_cast<std::int16_t>(layout.standardFile);
    S().TABPARAM[9] = static_cast<std::int16_t>(layout.userFile);
    S().TABPARAM[2] = static_cast<std::int16_t>(layout.keyPos);
    S().TABPARAM[3] = static_cast<std::int16_t>(layout.keyLength);
    S().TABPARAM[4] = static_cast<std::int16_t>(layout.descriptionPos);
    S().TABPARAM[5] = static_cast<std::int16_t>(layout.descriptionLength);
    S().TABTESTI[49] = layout.title;
  }

  // The bytes of the file named `name`.
  std::string bytes(const std::string& name) const { return folder_.read(kArchivesFolder + name); }

  // One row of "WKBASE.DAT": name template at characters 4 to 32, record
  // length at 33 to 37.
  static std::string baseRow(const std::string& name, int recordLength) {
    std::string row(kBaseRowLength, ' ');
    overwrite(row, kBaseTemplatePos, fitRight(name, kBaseTemplateLength));
    overwrite(row, kBaseRecordLengthPos,
              RIGHT(std::string(kBaseRecordLengthLength, ' ') + std::to_string(recordLength), kBaseRecordLengthLength));
    return row;
  }

 private:
  struct Declared {
    std::string name;
    int length;
  };
  TempFolder& folder_;
  std::map<int, Declared> files_;
};

}  // namespace vt::testing
