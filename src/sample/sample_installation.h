// A complete, consistent installation of the suite, with realistic sample
// archives, for trying the program and for tests: the program's embedded
// default installation.
//
// Under the drives root (the folder TESSARO_DRIVES names; drive C is its
// folder "C"):
//
//   C\PWELKIN\WKPERARK.WKP     "C:\PWELKIN\ARCHIVI" CR LF    (path files)
//   C\PWELKIN\WKPERPRO.WKP     "C:\PWELKIN\PROGRAMMI" CR LF
//   C\PWELKIN\PROGRAMMI\       the programs directory
//   C\PWELKIN\ARCHIVI\         the archives directory: WKBASE.DAT and the files below
//   C\TARNIX\TARNIX.INI        the task file, task "01"
//
// and in the configuration folder (XDG_CONFIG_HOME) the registry stand-in
// VELTRANI\TESSARO.conf naming the same two directories.
//
// Files of the archives directory, by file number (rows of WKBASE.DAT):
//
//   no.  name            record  content
//     1  DITTE.DAT          512  user companies, keyed by record number
//     2  DIPEND.DAT        9600  user employees (kSampleEmployeeLength, ui/archives.h)
//     7  DIPEND.IDX        2176  index of the user employees' codes (key 10)
//     8  SETTORI.DAT        512  user sectors, keyed by record number
//    30  DIPEND29.IDX      2176  second employee-code index, empty
//    48  PROFILI.DAT        256  user profiles, keyed by record number
//    97  DIPCOMPL.DAT       512  employee companion records, one per employee
//   201  STDDITTE.DAT       512  standard companies
//   202  STDDIPEN.DAT      9600  standard employees
//   203  STDFORMU.DAT       128  standard formulas
//   204  STDSETTO.DAT       512  standard sectors
//   205  STDFISSI.DAT       256  standard fixed data
//   206  STDPROFI.DAT       256  standard profiles
//   401  FORMULE.DAT        128  user formulas, keyed by record number
//
// Record layouts (positions from 1). Every record begins with a two-digit
// status: "00" in use, "99" a free slot (the rest of a free slot is blank).
//
//   companies   3-5 code (= record number)  6-35 name  36-65 address
//               66-70 postcode  71-95 town  96-97 province  98-108 VAT number
//   employees   as ui/archives.h describes the employee record
//   formulas    4-6 code (= record number)  7-24 description  25-124 formula
//   sectors     381-384 code (= record number)  385-400 description
//   fixed data  3-42 description  43-62 value
//   profiles    3-5 code (= record number)  6-30 description  31-60 contract
//
// Companion record of employee record N: record N of file 97, laid out as
// records/companion.h describes.
#pragma once

#include <string>
#include <vector>

namespace vt::sample {

// Where the archives and programs live, as the suite writes them.
inline constexpr const char* kArchivesDirectory = "C:\\PWELKIN\\ARCHIVI";
inline constexpr const char* kProgramsDirectory = "C:\\PWELKIN\\PROGRAMMI";
inline constexpr const char* kTaskNumber = "01";

// One row of the sample's WKBASE.DAT.
struct FileRow {
  int number;
  const char* name;  // relative to the archives directory
  int recordLength;
  const char* description;
};

// The files of the installation, in file-number order.
const std::vector<FileRow>& sampleFiles();

// One user employee registered in the index: its code and record number.
struct RegisteredEmployee {
  std::string code;
  int record;
};

// The employees in use of the user's employee file, by ascending code.
std::vector<RegisteredEmployee> registeredEmployees();

// Writes the whole installation: the suite's drive folders under
// `drivesRoot`, the settings file under `configFolder` (both native folders,
// made when missing). Fails with std::runtime_error, naming the path, when
// `drivesRoot` already holds an installation or a file cannot be written.
void createSampleInstallation(const std::string& drivesRoot, const std::string& configFolder);

}  // namespace vt::sample
