#include "core/trail.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"

namespace vt {
namespace {

// The trap's message: the failure, what its undo had to say, then the trail
// oldest first.
std::string trapMessage(const RuntimeFailure& failure, const std::string& undone) {
  State& s = S();
  std::string text = "Errore " + std::to_string(failure.code()) + " " + failure.description() + kLineEnd;
  if (!undone.empty()) text += undone + kLineEnd;
  std::int16_t position = s.POSPROC;
  for (int step = 0; step < kTrailSlots; ++step) {
    position = static_cast<std::int16_t>(position + 1);
    if (position > kTrailSlots) position = 1;
    text += s.ULTIMEPROC[position];
    text += kLineEnd;
  }
  s.POSPROC = position;
  return text;
}

// Whole values below 10^15: distinct ones give distinct names.
bool distinctlyNamed(double value) { return value == std::floor(value) && std::fabs(value) < 1e15; }

// Whether the most recent name equals the one `name` would build; the kept
// values decide when they can, the names themselves otherwise.
bool sameAsMostRecent(const State& s, const PendingName& name) {
  const int last = s.POSPROC;
  if (const PendingName* kept = s.ULTIMEPROC.pendingAt(last)) {
    const bool sameProcedure = kept->build == name.build && (kept->procedure == name.procedure || std::strcmp(kept->procedure, name.procedure) == 0);
    if (sameProcedure && kept->number == name.number && kept->record == name.record) return true;
    if (!sameProcedure && kept->build == name.build) return false;
    if (sameProcedure && distinctlyNamed(kept->number) && distinctlyNamed(kept->record) &&
        distinctlyNamed(name.number) && distinctlyNamed(name.record)) {
      return false;
    }
  }
  const std::string& previous = s.ULTIMEPROC[last];
  if (previous.compare(0, std::strlen(name.procedure), name.procedure) != 0) return false;
  static std::string built;
  name.build(built, name.procedure, name.number, name.record);
  return previous == built;
}

void advance(State& s) {
  s.POSPROC = static_cast<std::int16_t>(s.POSPROC + 1);
  if (s.POSPROC > kTrailSlots) s.POSPROC = 1;
}

// Runs the work a failure must not leave half done, once; what it says.
std::string undoBeforeEnd() {
  std::function<std::string()> undo = std::move(S().undoBeforeTrap);
  S().undoBeforeTrap = nullptr;
  return undo ? undo() : std::string();
}

}  // namespace

UndoBeforeTrap::UndoBeforeTrap(std::function<std::string()> undo)
    : undo_(std::move(undo)), hidden_(std::move(S().undoBeforeTrap)), exceptions_(std::uncaught_exceptions()) {
  S().undoBeforeTrap = [this] { return run(); };
}

UndoBeforeTrap::~UndoBeforeTrap() {
  if (!done_ && !ran_ && std::uncaught_exceptions() > exceptions_) {
    // Left by a failure that a trap outside will show: undone now, told then.
    S().undoBeforeTrap = [said = run()] { return said; };
    return;
  }
  if (!done_) S().undoBeforeTrap = std::move(hidden_);
}

void UndoBeforeTrap::done() {
  if (done_) return;
  done_ = true;
  S().undoBeforeTrap = std::move(hidden_);
}

std::string UndoBeforeTrap::run() {
  if (!ran_) {
    ran_ = true;
    said_ = undo_();
  }
  return said_;
}

void REGISTRAPROC(std::string_view name) {
  State& s = S();
  if (s.ULTIMEPROC[s.POSPROC] == name) return;
  advance(s);
  s.ULTIMEPROC.set(s.POSPROC, name);
}

void REGISTRAPROC(TrailNameBuilder build, const char* procedure, double number, double record) {
  State& s = S();
  const PendingName name{build, procedure, number, record};
  if (sameAsMostRecent(s, name)) return;
  advance(s);
  s.ULTIMEPROC.setPending(s.POSPROC, name);
}

void trapUnexpected(const std::exception* unexpected) {
  const bool memory = dynamic_cast<const std::bad_alloc*>(unexpected) != nullptr;
  const std::int16_t code = memory ? err::kOutOfMemory : err::kInternalError;
  std::string description = standardDescription(code);
  if (unexpected != nullptr && !memory) description += std::string(": ") + unexpected->what();
  GESTIONEERRORE(RuntimeFailure(code, description));
  endProgram(EndReason::kAtOnce, ExitStatus::kFailure);  // the trap ends it already
}

void trapCaughtException() {
  try {
    throw;
  } catch (const RuntimeFailure& failure) {
    GESTIONEERRORE(failure);
  } catch (const std::exception& unexpected) {
    trapUnexpected(&unexpected);
  } catch (...) {
    trapUnexpected(nullptr);
  }
}

TrapOutcome GESTIONEERRORE(const RuntimeFailure& failure) {
  Dialogs& d = dialogs();
  if (failure.code() == err::kPrinter) {
    if (d.message("ERR.STAMPANTE - SI VUOLE RITENTARE ?", Buttons::kYesNo, Icon::kCritical,
                  "Tessaro") == Answer::kYes) {
      return TrapOutcome::kRetry;
    }
    if (d.message("CHIUDERE IL PROGRAMMA ? (se si risp.NO il progr.perde la riga e prosegue)",
                  Buttons::kYesNo, Icon::kExclamation, "Tessaro") == Answer::kNo) {
      return TrapOutcome::kSkip;
    }
    undoBeforeEnd();
    endProgram(EndReason::kAtOnce, ExitStatus::kFailure);
  }
  const std::string undone = undoBeforeEnd();
  d.message(trapMessage(failure, undone), Buttons::kOk, Icon::kCritical, "Tessaro " + S().NOMEPROGRAMMA);
  d.message(std::string("CHIUDERE TUTTE LE APPLICAZIONI DELLA TASK") + kLineEnd + "LANCIARE RIPRISTINO TASK",
            Buttons::kOk, Icon::kInformation, "Tessaro");
  endProgram(EndReason::kAtOnce, ExitStatus::kFailure);
}

}  // namespace vt
