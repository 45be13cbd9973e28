// The process-wide state of the program, kept together in one place: the
// parameter tables through which the start-up and the windows talk, the
// procedure trail, the installation paths, the path context values, the file
// tables of the record layer and the record variables of the repository.
//
// Every window and procedure reads and writes it directly, as the suite's
// programs do; tests start from a clean state with resetState().
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/slots.h"

namespace vt {

// A table indexed from Lo to Hi inclusive. An index outside the range is
// run-time failure 9, never an out-of-range access.
template <class T, int Lo, int Hi>
class Table {
 public:
  static constexpr int kLow = Lo;
  static constexpr int kHigh = Hi;

  T& operator[](int index) { return values_[slot(index)]; }
  const T& operator[](int index) const { return values_[slot(index)]; }

 private:
  static std::size_t slot(int index) {
    if (index < Lo || index > Hi) {
      raiseFailure(err::kSubscriptOutOfRange, std::to_string(index));
    }
    return static_cast<std::size_t>(index - Lo);
  }

  std::array<T, static_cast<std::size_t>(Hi - Lo + 1)> values_{};
};

// Builds into `out` the trail name of a record procedure from what it kept.
using TrailNameBuilder = void (*)(std::string& out, const char* procedure, double number, double record);

// The ring of the last procedure names, slots Lo to Hi. A slot holds a name,
// or what a record procedure needs to build its name (procedure, file
// number, record number); the name is built when the slot is first read, so
// a procedure entered thousands of times a second pays for no text it never
// shows. Reading a slot always gives the whole name. An index outside the
// range is run-time failure 9.
// What a record procedure keeps to build its trail name later.
struct PendingName {
  TrailNameBuilder build = nullptr;
  const char* procedure = nullptr;
  double number = 0;
  double record = 0;
};

template <int Lo, int Hi>
class TrailRing {
 public:
  const std::string& operator[](int index) const {
    const Slot& s = slots_[slot(index)];
    if (s.pending.build != nullptr) {
      s.pending.build(s.text, s.pending.procedure, s.pending.number, s.pending.record);
      s.pending.build = nullptr;
    }
    return s.text;
  }

  void set(int index, std::string_view name) {
    Slot& s = slots_[slot(index)];
    s.text.assign(name);
    s.pending.build = nullptr;
  }

  // `pending.procedure` must outlive the slot (a string literal).
  void setPending(int index, const PendingName& pending) { slots_[slot(index)].pending = pending; }

  // What slot `index` keeps to build its name, or null when it holds the name.
  const PendingName* pendingAt(int index) const {
    const Slot& s = slots_[slot(index)];
    return s.pending.build != nullptr ? &s.pending : nullptr;
  }

 private:
  struct Slot {
    mutable std::string text;
    mutable PendingName pending;
  };

  static std::size_t slot(int index) {
    if (index < Lo || index > Hi) raiseFailure(err::kSubscriptOutOfRange, std::to_string(index));
    return static_cast<std::size_t>(index - Lo);
  }

  std::array<Slot, static_cast<std::size_t>(Hi - Lo + 1)> slots_{};
};

// Highest file number of the suite; the file tables are indexed 0 to this.
inline constexpr int kMaxFileNumber = 600;
// Size of the procedure trail ring (slots 1 to 10; slot 0 is never written).
inline constexpr int kTrailSlots = 10;

struct State {
  // Identity of the program (set by MAIN).
  std::string NOMEPROGRAMMA;
  std::string NOMEPROGETTO;

  // Parameter tables; the slots this program uses are named in core/slots.h.
  Table<std::int16_t, 0, 50> TABPARAM;
  Table<std::string, 0, 50> TABTESTI;
  Table<std::int16_t, 0, 50> TABFLAG;

  // The choice list window's entries ("*"-separated) and the entry chosen.
  std::string ELENCOSCELTE;
  double NUMEROSCELTA = 0;

  // Result of the last record read of a reading loop (1 = end of file).
  double FINEARCHIVIO = 0;

  // Procedure trail: the last ten procedure names entered.
  TrailRing<0, kTrailSlots> ULTIMEPROC;
  std::int16_t POSPROC = 0;

  // Installation: archives directory, programs directory, task number.
  std::string PERARK;
  std::string PERPRO;
  std::string NUMEROTASK;

  // Path context values, consumed by the path resolution (DAMMIFILE$).
  std::string DRIVEOPEN;
  std::string DITTAOPEN;
  std::string ANNOOPEN;
  std::string REGIONEOPEN;
  std::string PROVINCIAOPEN;

  // File tables, indexed by file number.
  Table<std::int16_t, 0, kMaxFileNumber> NUMEROFILE;
  Table<std::string, 0, kMaxFileNumber> BUFFERREC;
  Table<double, 0, kMaxFileNumber> LUNGREC;
  Table<double, 0, kMaxFileNumber> ULTIMOREC;
  double LUNGBASE = 0;

  // The bytes read from the task semaphore file.
  std::string BUFFERSEMA;
  // The key found by the ISAM next-key operation.
  std::string CHIAVEISAM;

  // What the trap must undo before a failure ends the program (see
  // UndoBeforeTrap in core/trail.h); empty when nothing is under way.
  std::function<std::string()> undoBeforeTrap;

  // Record variables of the field repository: one record buffer per record type.
  std::string DITX, DIPX, DI2X, CUDX, DICX, ARTX, COCX, CONX, FISX, FOTX, PARX, PERX;
  std::string PROX, SETX, STUX, M77X, F24X, FOPX, STOX, GLAX, GLCX, SCRX, SCRY, SCRU;
};

// The one state of the process.
State& S();

// Puts the whole state back as it is when the process starts.
void resetState();

}  // namespace vt
