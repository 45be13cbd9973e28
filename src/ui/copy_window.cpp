#include "ui/copy_window.h"

#include <cmath>

#include "core/dialogs.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/records.h"
#include "repository/repository.h"
#include "ui/archives.h"
#include "ui/employee_copy.h"
#include "util/questions.h"
#include "util/text.h"

namespace vt {
namespace {

// The new-number box: three digits.
constexpr std::int16_t kNewNumberLength = 3;
constexpr const char* kNewNumberType = "N";

// The free-record test of record buffer of user file `file`: its archive's
// status field where it has one, else its first two characters.
bool userRecordFree(int file) {
  const std::string& buffer = S().BUFFERREC[file];
  const Archive* archive = keyedArchiveOf(file);
  if (archive != nullptr && archive->freeField != nullptr) return RepoR(archive->freeField, 0, buffer) == kFreeMark;
  return startsFree(buffer);
}

std::string userRecordLine(std::string_view buffer, int) { return keyedLine(buffer); }

std::size_t entryAsCount(int entry) {
  std::int16_t value = S().TABPARAM[entry];
  return value > 0 ? static_cast<std::size_t>(value) : 0;
}

void showOutOfLimits() { dialogs().message(Filesta2::kOutOfLimits, Buttons::kOk, Icon::kNone); }

// "IL RECORD  5 E' ESISTENTE" CR LF "SOVRASCRIVERE ?": Yes to overwrite.
bool overwriteAllowed(double record) {
  std::string question = "IL RECORD " + STR(record) + " E' ESISTENTE" + kLineEnd + "SOVRASCRIVERE ?";
  return dialogs().message(question, Buttons::kYesNo, Icon::kNone) == Answer::kYes;
}

// Asks for another record number, prompting with the chosen line, until the
// operator gives a whole number of 1 or more ("1.5" names no record); 0 when
// the operator gives no answer.
double askNewNumber(const std::string& line) {
  for (;;) {
    std::int16_t length = kNewNumberLength;
    std::string type = kNewNumberType;
    std::string prompt = line;
    std::string answer = DOMANDA(length, type, prompt);
    if (answer.empty()) return 0;
    double number = VAL(answer);
    if (number >= 1 && number == std::floor(number)) return number;
  }
}

}  // namespace

const char* Filesta2::buttonCaption(int button) const {
  switch (button) {
    case kCopyOne: return "Singolo";
    case kCopyAll: return "Tutti";
    case kLeave: return "&Uscita";
    default: return "";
  }
}

void Filesta2::load() {
  REGISTRAPROC("FORM_LOAD");
  guarded([&] {
    setArchiveTitle(S().TABTESTI[kTextChosenArchive]);
    centre(kWidthTwips, kHeightTwips, dialogs().screenSize());
    focusList(kChosenList);
  });
  AGGIORNA();
  changed();
}

void Filesta2::commandClick(int button) {
  switch (button) {
    case kCopyOne: CARICAWIN(); break;
    case kCopyAll: CARICATUTTOWIN(); break;
    case kLeave: close(); break;
    default: break;
  }
}

void Filesta2::listDoubleClick(int list) {
  if (list == kChosenList) CARICAWIN();
}

void Filesta2::listKeyPress(int list, std::int16_t keyAscii) {
  if (list == kChosenList && keyAscii == kEnterKey) CARICAWIN();
}

void Filesta2::AGGIORNA() {
  REGISTRAPROC("AGGIORNA");
  guarded([&] {
    S().TABFLAG[kFlagLeftBrowser] = 0;
    if (isEmployeeArchive()) return;
    ArchiveList& userList = archiveList(kUserList);
    userList.clear();
    const int user = S().TABPARAM[kParamUserFile];
    if (keyedArchiveOf(user) != nullptr) listRecords(userList, user, userRecordFree, userRecordLine);
    changed();
  });
}

void Filesta2::CARICAWIN() {
  REGISTRAPROC("CARICAWIN");
  guarded([&] {
    const ArchiveList& chosen = archiveList(kChosenList);
    const int index = chosen.selected();
    if (index == ArchiveList::kNone) return;
    const std::string line = chosen.at(index);
    // Nothing copied, nothing to show again.
    if (copyLine(line, index) == kNothingCopied) return;
    AGGIORNA();
  });
}

void Filesta2::CARICATUTTOWIN() {
  REGISTRAPROC("CARICATUTTOWIN");
  guarded([&] {
    ArchiveList& chosen = archiveList(kChosenList);
    const int passes = chosen.size();
    for (int pass = 0; pass < passes && !chosen.empty(); ++pass) {
      chosen.select(0);
      const std::string line = chosen.at(0);
      // A line abandoned would only be offered again: stop here.
      if (copyLine(line, 0) == kNothingCopied) break;
    }
    AGGIORNA();
  });
}

int Filesta2::copyLine(const std::string& line, int index) {
  if (isEmployeeArchive()) return SCRIVI2(*this, line, index);
  return SCRIVI(line, index);
}

int Filesta2::SCRIVI(const std::string& line, int index) {
  REGISTRAPROC("SCRIVI");
  return guardedValue(
      [&]() -> int {
        S().TABFLAG[kFlagLeftBrowser] = 0;
        const int standard = S().TABPARAM[kParamStandardFile];
        const int user = S().TABPARAM[kParamUserFile];
        const std::size_t keyLength = entryAsCount(kParamKeyLength);

        // The standard record: its number is the line's key. A record that
        // cannot be read whole is never copied.
        double record = VAL(LEFT(line, keyLength));
        if (!isStandardFile(standard) || record < 1 || LEGGIREC(standard, record) == 1) {
          showOutOfLimits();
          return kNothingCopied;
        }
        const std::string copy = S().BUFFERREC[standard];

        // The user record it goes to: free, overwritten, or another number.
        for (;;) {
          S().FINEARCHIVIO = LEGGIREC(user, record);
          if (S().FINEARCHIVIO == 1) {
            showOutOfLimits();
            return kNothingCopied;
          }
          if (userRecordFree(user) || overwriteAllowed(record)) break;
          record = askNewNumber(line);
          if (record == 0) return kNothingCopied;
        }

        // The standard record fitted to the user's record length, its key
        // rewritten as the number it now has.
        std::string& buffer = S().BUFFERREC[user];
        buffer = fitRight(copy, buffer.size());
        overwrite(buffer, entryAsCount(kParamKeyPosition), zeroPad(decimalText(record), keyLength));
        SCRIVIREC(user, record);
        flushWrittenRecords();

        removeChosenLine(index);
        selectFirstChosen();
        return kCopied;
      },
      kNothingCopied);
}

void Filesta2::addChosenLine(const std::string& line) {
  archiveList(kChosenList).add(line);
  changed();
}

void Filesta2::removeChosenLine(int index) {
  archiveList(kChosenList).removeAt(index);
  changed();
}

void Filesta2::addUserLine(const std::string& line) {
  archiveList(kUserList).add(line);
  changed();
}

void Filesta2::selectFirstChosen() {
  ArchiveList& chosen = archiveList(kChosenList);
  if (chosen.empty()) return;
  chosen.select(0);
  focusList(kChosenList);
  changed();
}

}  // namespace vt
