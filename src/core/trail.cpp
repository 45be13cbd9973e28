#include "core/trail.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"

namespace vt {
namespace {

constexpr const char* kCrLf = "\r\n";

// The trap's message: the failure, then the trail oldest first.
std::string trapMessage(const RuntimeFailure& failure) {
  State& s = S();
  std::string text = "Errore " + std::to_string(failure.code()) + " " + failure.description() + kCrLf;
  std::int16_t position = s.POSPROC;
  for (int step = 0; step < kTrailSlots; ++step) {
    position = static_cast<std::int16_t>(position + 1);
    if (position > kTrailSlots) position = 1;
    text += s.ULTIMEPROC[position];
    text += kCrLf;
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

}  // namespace

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
    endProgram(EndReason::kAtOnce, ExitStatus::kFailure);
  }
  d.message(trapMessage(failure), Buttons::kOk, Icon::kCritical, "Tessaro " + S().NOMEPROGRAMMA);
  d.message(std::string("CHIUDERE TUTTE LE APPLICAZIONI DELLA TASK") + kCrLf + "LANCIARE RIPRISTINO TASK",
            Buttons::kOk, Icon::kInformation, "Tessaro");
  endProgram(EndReason::kAtOnce, ExitStatus::kFailure);
}

}  // namespace vt
