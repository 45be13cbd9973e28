#include "ui/employee_copy.h"

#include <cmath>
#include <string>

#include "core/dialogs.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/companion.h"
#include "records/file_numbers.h"
#include "records/files.h"
#include "records/isam.h"
#include "records/records.h"
#include "records/semaphore.h"
#include "ui/cod_dip.h"
#include "ui/archive_lines.h"
#include "ui/copy_window.h"
#include "util/questions.h"
#include "util/text.h"

namespace vt {
namespace {

// What COD_DIP$ is asked for: check mode 0, on the user's employee file.
constexpr std::int16_t kKeyChangeMode = 0;
constexpr double kKeyChangeArchive = kUserEmployeeFile;

constexpr const char* kCopyTitle = "Copia dipendente da archivi standard";
// The trap's line when a copy cut short by a failure could not be undone.
constexpr const char* kNotUndone =
    "COPIA NON ANNULLATA: CONTROLLARE L'INDICE CON \"vtmerv-check verifica\" E, SE DANNEGGIATO, \"vtmerv-check ripara\"";

// Puts `record` into the record buffer of file `number`, cut or padded with
// blanks to its record length.
void fillBuffer(int number, const std::string& record) {
  State& s = S();
  s.BUFFERREC[number] = fitRight(record, static_cast<std::size_t>(s.LUNGREC[number]));
}

// The number of the record that would follow the last record of `number`.
double nextRecordNumber(int number) {
  return std::floor(LOF(number) / static_cast<double>(S().BUFFERREC[number].size())) + 1;
}

// The end of a copy, whichever way it goes: the semaphore is released first
// (when it is held), then the index and the companion file are closed.
void endCopy(SemaphoreHold& semaphore) {
  semaphore.release();
  CHIUDIFILE(kEmployeeIndexFile);
  CHIUDIFILE(kCompanionFile);
}

}  // namespace

int SCRIVI2(Filesta2& window, const std::string& line, int index) {
  REGISTRAPROC("SCRIVI2");
  return guardedValue(
      [&]() -> int {
        State& s = S();
        s.TABFLAG[kFlagLeftBrowser] = 0;
        FAIOPEN(kEmployeeIndexFile);
        FAIOPEN(kCompanionFile);

        const int standardFile = s.TABPARAM[kParamStandardFile];
        const auto keyPos = static_cast<std::size_t>(s.TABPARAM[kParamKeyPosition]);
        const auto keyLength = static_cast<std::size_t>(s.TABPARAM[kParamKeyLength]);
        const double standardRecord = VAL(MID(line, kEmployeeNumberPos, kEmployeeNumberDigits));
        // Taken only to write. An operator who gives up waiting for it leaves
        // the line where it is, with nothing of it written.
        SemaphoreHold semaphore;
        // A failure after the first write takes back what the copy wrote, while
        // it still holds the semaphore, and lets the semaphore go before the
        // trap shows the failure: the other programs find the files as they
        // were, or, when even that was refused, the operator is told to check
        // the index.
        RecordJournal written;
        UndoBeforeTrap undo([&] {
          const bool undone = written.undo();
          semaphore.release();
          return undone ? std::string() : std::string(kNotUndone);
        });

        // A standard record that cannot be read whole is never copied.
        if (!isStandardFile(standardFile) || standardRecord < 1 || LEGGIREC(standardFile, standardRecord) == 1) {
          endCopy(semaphore);
          dialogs().message(Filesta2::kOutOfLimits, Buttons::kOk, Icon::kNone);
          return Filesta2::kNothingCopied;
        }
        std::string copy = s.BUFFERREC[standardFile];
        std::string code = MID(copy, keyPos, keyLength);

        bool overwritten = false;
        const double found = ISAM(kEmployeeIndexFile, code, kIsamSearch);
        if (found > 0 &&
            DOMANDASN("IL CODICE " + code + " E' ESISTENTE" + kLineEnd + "SOVRASCRIVERE ?") == "S") {
          // The user's record of that employee is the one the index points at.
          if (!semaphore.take()) {
            endCopy(semaphore);
            return Filesta2::kNothingCopied;
          }
          if (LEGGIREC(kUserEmployeeFile, found) == 1) {
            endCopy(semaphore);
            dialogs().message(Filesta2::kOutOfLimits, Buttons::kOk, Icon::kNone);
            return Filesta2::kNothingCopied;
          }
          fillBuffer(kUserEmployeeFile, copy);
          SCRIVIREC(kUserEmployeeFile, found);
          overwritten = true;
        }

        if (!overwritten) {
          std::int16_t mode = kKeyChangeMode;
          double archive = kKeyChangeArchive;
          const std::string newCode = COD_DIP(mode, archive);
          if (VAL(newCode) == 0) return Filesta2::kNothingCopied;
          overwrite(copy, keyPos, LEFT(newCode, keyLength));

          if (!semaphore.take()) {
            endCopy(semaphore);
            return Filesta2::kNothingCopied;
          }
          const double appended = nextRecordNumber(kUserEmployeeFile);
          if (toInt16(ISAM(kEmployeeIndexFile, newCode, kIsamInsert, appended)) == -1) {
            // Nothing is written. When another program took the code after the
            // check, the operator is told so; any other refusal of the index
            // has already shown its own message.
            if (ISAM(kEmployeeIndexFile, newCode, kIsamSearch) > 0) {
              dialogs().message("ATTENZIONE!!!! CODICE " + newCode + " GIA ESISTENTE", Buttons::kOk,
                                Icon::kInformation, kCopyTitle);
            }
            endCopy(semaphore);
            return Filesta2::kNothingCopied;
          }
          // The employee record is written last: until it is there, the new
          // index entry points past the end of the archive, which the index
          // check reports, so an interrupted copy never passes for a whole one.
          // The index and the companion record are on disk before it is
          // written, so that no crash of the system, whatever the disk puts
          // down first, leaves the employee record without them.
          fillBuffer(kUserEmployeeFile, copy);
          fillBuffer(kCompanionFile, companionRecord(s.BUFFERREC[kUserEmployeeFile],
                                                     static_cast<std::size_t>(s.LUNGREC[kCompanionFile])));
          SCRIVIREC(kCompanionFile, appended);
          flushWrittenRecords();
          SCRIVIREC(kUserEmployeeFile, appended);
          code = newCode;
        }

        // Other programs see the copy once the semaphore is released: it is
        // on disk by then. A flush the device refuses goes to the trap, which
        // shows it and ends the program: the copy is never reported done.
        flushWrittenRecords();
        undo.done();
        written.keep();
        endCopy(semaphore);
        window.removeChosenLine(index);
        window.addUserLine(code + " " + line);
        window.selectFirstChosen();
        return Filesta2::kCopied;
      },
      Filesta2::kNothingCopied);
}

}  // namespace vt
