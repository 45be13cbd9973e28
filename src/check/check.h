// The check and repair of an index against the archive it indexes: by
// default the employee index (file 7) against the employee archive (file 2),
// with the companion file 97 beside them.
//
// What a caller gets:
//   - verify: every finding, each naming its records (index nodes and entries,
//     archive records), and an exit status: 0 clean, 1 damaged.
//   - repair: the same findings, then either a refusal (the archive must be
//     mended first), nothing to do, or a new index in place of the old one,
//     with the backup's path and every key added, removed or re-pointed.
//   - list: the index's leaf entries in key order, with any structural fault.
// When a call cannot run at all (a file missing or unreadable, a file table
// with no row for a file, a broken installation) it throws CannotRun, whose
// text is the Italian message for the operator: exit status 2.
//
// Every call works on the installation whose archives folder is PERARK (see
// findInstallation), holds the task semaphore from start to end, waiting for
// it while another program of the suite holds it, and closes every file it
// opened. A call never writes to the archive or to any file but the index it
// replaces, the backup and the new index beside it (and creates the empty
// semaphore file when it is absent, as every program of the suite does, with
// the owner, group and permission bits of the index). Where the folder
// refuses that new file, verify, which only reads, runs without the
// semaphore and says so (kWithoutSemaphore).
// While a call runs, message boxes and the end of the program are taken over:
// a failure of the record layer ends the call with CannotRun, never the
// process.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/file_numbers.h"
#include "records/isam_check.h"

namespace vt::check {

inline constexpr int kExitClean = 0;
inline constexpr int kExitDamaged = 1;
inline constexpr int kExitCannotRun = 2;

// The files checked. A companion of 0 is not checked.
struct Files {
  double index{kEmployeeIndexFile};
  double archive{kUserEmployeeFile};
  double companion{kCompanionFile};
};

enum class Kind {
  kIndexStructure,    // the index's own format (its node and entry in indexNode, indexEntry)
  kOutsideArchive,    // an index code points past the end of the archive (or at record 0)
  kFreeRecord,        // an index code points at a free record
  kOtherCode,         // an index code points at a record that carries another code
  kSharedRecord,      // one archive record is pointed at by two or more index codes
  kMissingFromIndex,  // a record in use whose code is not in the index
  kDuplicateCode,     // two or more records in use carry the same code
  kUnindexableCode,   // a record in use whose code the index cannot hold (blank, or a byte of 252 or more)
  kTornRecord,        // a record in use that holds NUL bytes: a write cut short while the archive grew
  kNoCompanion,       // warning: records in use with no record in the companion file
  kPartialRecord,     // warning: the archive ends with an incomplete record
  kUnreachedNode,     // warning: an index node that no path from the root reaches (its node in indexNode)
  kLeftoverFile,      // warning: the new index of a repair that did not end, left beside the index
  kWithoutSemaphore,  // warning: checked without the semaphore (a read-only folder without "WKSEMA.DAT")
};

struct Finding {
  Kind kind;
  bool damage = true;  // false for a warning
  std::string code;    // the code concerned, "" when none
  double indexNode = 0;                // the index record concerned, 0 when none
  int indexEntry = 0;                  // its entry, 0 when none
  std::vector<double> archiveRecords;  // the archive records concerned, ascending
  std::string text;                    // the line shown to the operator (Windows-1252)
};

struct Report {
  std::vector<Finding> findings;
  double archiveRecords = 0;  // whole records in the archive
  double recordsInUse = 0;
  double indexCodes = 0;      // leaf entries reached in the index

  bool damaged() const;
  int exitStatus() const { return damaged() ? kExitDamaged : kExitClean; }
};

// A key whose index entry a repair added, removed or re-pointed.
struct KeyChange {
  enum class What { kAdded, kRemoved, kRepointed } what;
  std::string code;
  double oldRecord = 0;  // 0 for an added key
  double newRecord = 0;  // 0 for a removed key
};

struct RepairResult {
  Report before;             // the findings the repair started from
  bool refused = false;      // duplicate or unindexable codes: nothing written
  bool replaced = false;     // a new index took the old one's place
  bool rewrittenInPlace = false;  // ... written into the index file itself (see repair)
  std::string backup;        // the backup's path (a native path), when replaced
  std::vector<KeyChange> changes;
  std::vector<std::string> removed;  // the leftovers of earlier repairs it removed

  // 0 when the index is sound now (replaced, or nothing to repair), 1 when refused.
  int exitStatus() const { return refused ? kExitDamaged : kExitClean; }
};

// Thrown when a call cannot run: exit status 2.
class CannotRun : public std::runtime_error {
 public:
  explicit CannotRun(const std::string& text) : std::runtime_error(text) {}
};

// Told how far a long pass has gone: its name, records done, records in all.
using Progress = std::function<void(const std::string& pass, double done, double total)>;

// How the calls wait while another program holds the task semaphore: `told`
// (when set) hears, in one line each, that a wait began and that it ended;
// a wait that would pass `limit` (when set) ends the call with CannotRun.
// By default a call waits as long as it takes, silently.
void setSemaphoreWait(std::function<void(const std::string& line)> told,
                      std::optional<std::chrono::seconds> limit = std::nullopt);

// Sets PERARK (and PERPRO, NUMEROTASK): from `archivesFolder` when given (a
// native or suite path), otherwise as the program finds its installation (the
// registry or its stand-in, then the path files). CannotRun when there is no
// installation or its folder holds no file table.
void findInstallation(const std::string& archivesFolder = {});

Report verify(const Files& files = {}, const Progress& progress = {});

// Repairs the index when verify finds damage or nodes no path reaches:
// refuses, writing nothing, when two records in use carry one code, a code
// cannot be indexed, or a record in use is torn (the archive must be mended
// first). Otherwise copies the index to
// "<name>.<yyyymmdd-hhmmss>.bak" beside it, builds the new index in the
// temporary file "<name>.<yyyymmdd-hhmmss>.tmp" beside it (initialise, then
// insert every code in use in ascending order), checks it, flushes it to the
// disk and renames it over the old one. Where the system refuses that rename
// because another program holds the index open (Windows, for a file opened
// without delete sharing, as the suite's programs open the archives), the
// new index is written into the index file itself instead, still under the
// semaphore and after the backup is on disk, flushed and walked again
// (rewrittenInPlace); a rewrite that fails puts the backup back the same
// way and ends with CannotRun. Both new files are created
// exclusively (a name that exists, a link included, is passed over for
// "-2", "-3" ...) and given the owner, group, permission bits and access
// list of the index (platform::makeLike: on Windows they take the folder's
// instead); a repair that cannot give them refuses with CannotRun.
// An index that is a link is repaired where the link leads: the new index
// is built beside that file and renamed over it, and the link stays. Every
// run first removes the temporary files that repairs cut short left beside
// the index (kLeftoverFile), and nothing else.
RepairResult repair(const Files& files = {}, const Progress& progress = {});

IndexWalk list(const Files& files = {});

// The command line of vtmerv-check (without the program's name): runs it,
// writing its report to `out` and its errors to `err` (Windows-1252 texts are
// written as UTF-8 except on Windows); returns the exit status. A progress
// line goes to `err` when `terminal` is true and the archive has more than
// 10,000 records. Starts from a clean process state (resetState), as the
// command's own process does.
int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace vt::check
