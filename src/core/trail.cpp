#include "core/trail.h"

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

}  // namespace

void REGISTRAPROC(std::string_view name) {
  State& s = S();
  if (s.ULTIMEPROC[s.POSPROC] == name) return;
  s.POSPROC = static_cast<std::int16_t>(s.POSPROC + 1);
  if (s.POSPROC > kTrailSlots) s.POSPROC = 1;
  s.ULTIMEPROC[s.POSPROC] = std::string(name);
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
    endProgram(EndReason::kAtOnce);
  }
  d.message(trapMessage(failure), Buttons::kOk, Icon::kCritical, "Tessaro " + S().NOMEPROGRAMMA);
  d.message(std::string("CHIUDERE TUTTE LE APPLICAZIONI DELLA TASK") + kCrLf + "LANCIARE RIPRISTINO TASK",
            Buttons::kOk, Icon::kInformation, "Tessaro");
  endProgram(EndReason::kAtOnce);
}

}  // namespace vt
