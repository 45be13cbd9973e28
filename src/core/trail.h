// The procedure trail and the central error trap.
//
// Every procedure that can fail records its name on entry (REGISTRAPROC) and
// runs its statements under the trap (guarded). A failure inside a guarded
// statement goes to GESTIONEERRORE, which either retries the statement, skips
// it (the procedure goes on with its next statement), or shows the failure
// with the last ten procedure names and ends the program at once.
//
//   void FAIOPEN(double& n) {
//     REGISTRAPROC("FAIOPEN");
//     guarded([&] { ...one statement... });
//     guarded([&] { ...the next... });
//   }
//
// A procedure that treats its whole body as one statement guards the body
// once; retry then runs the body again and skip leaves the procedure.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/failure.h"
#include "core/state.h"

namespace vt {

// Records `name` in the ring of the last ten procedure names. A name equal
// to the most recent one is not recorded again.
void REGISTRAPROC(std::string_view name);

// Records the name that `build` makes of `procedure`, `number` and `record`
// (for a record procedure, "LEGGIREC (7-12)"), building it only when the
// trail is read; the ring behaves exactly as if the name had been recorded.
// `procedure` must be a string literal. The name must begin with it, and
// one builder must give different names to different procedures and to
// distinct whole values below 10^15.
void REGISTRAPROC(TrailNameBuilder build, const char* procedure, double number, double record);

// Work that a failure must not leave half done. While one is alive, a
// failure that ends the program first runs `undo`, once, before the trap
// shows anything, and the trap's message gains the line `undo` returns,
// unless it is empty: run by the trap itself when the failure is trapped
// inside the scope, or as the scope is left by a failure on its way to a trap
// outside it (the scope's resources, the task semaphore among them, are
// still held in both cases). `undo` must not throw. The innermost one is the
// one run; the one it hid comes back when it goes. done() says the work is
// whole: nothing is undone after it.
class UndoBeforeTrap {
 public:
  explicit UndoBeforeTrap(std::function<std::string()> undo);
  ~UndoBeforeTrap();
  UndoBeforeTrap(const UndoBeforeTrap&) = delete;
  UndoBeforeTrap& operator=(const UndoBeforeTrap&) = delete;
  void done();

 private:
  std::string run();

  std::function<std::string()> undo_;
  std::function<std::string()> hidden_;
  std::string said_;
  bool ran_ = false;
  bool done_ = false;
  int exceptions_;
};

enum class TrapOutcome { kRetry, kSkip };

// Handles `failure`. A printer failure (482) lets the operator retry or skip
// the failed statement, or end the program; any other failure is shown with
// the trail and ends the program at once. Returns only retry or skip.
TrapOutcome GESTIONEERRORE(const RuntimeFailure& failure);

// A failure the program did not expect: an exception that is no run-time
// failure of the suite (`unexpected` the exception, or null for one that is
// not even a std::exception) reaches the trap as run-time failure 51 "Errore
// interno" (7 "Memoria esaurita" when memory ran out), with what the
// exception says, and the program ends with the trap's status.
[[noreturn]] void trapUnexpected(const std::exception* unexpected);

// For a catch-all handler: the exception being handled reaches the trap, a
// run-time failure as it is (returns only when the trap lets a printer
// failure be skipped or retried), any other through trapUnexpected.
void trapCaughtException();

// Runs `statement` under the trap: on a failure, retries it or skips it as
// the trap decides (the trap ends the program otherwise).
template <class Statement>
void guarded(Statement&& statement) {
  for (;;) {
    try {
      statement();
      return;
    } catch (const RuntimeFailure& failure) {
      if (GESTIONEERRORE(failure) == TrapOutcome::kSkip) return;
    }
  }
}

// As guarded, for a statement that gives a value; a skipped statement gives
// `fallback`.
template <class Statement, class T>
auto guardedValue(Statement&& statement, T fallback) -> std::invoke_result_t<Statement&> {
  for (;;) {
    try {
      return statement();
    } catch (const RuntimeFailure& failure) {
      if (GESTIONEERRORE(failure) == TrapOutcome::kSkip) return fallback;
    }
  }
}

}  // namespace vt
