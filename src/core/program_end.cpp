#include "core/program_end.h"

#include <cstdlib>
#include <utility>

#include "platform/files.h"

namespace vt {
namespace {

ExitStatus& status() {
  static ExitStatus ending = ExitStatus::kOperatorEnd;
  return ending;
}

void exitAtOnce(EndReason) { std::_Exit(static_cast<int>(status())); }

EndHook& currentHook() {
  static EndHook hook = exitAtOnce;
  return hook;
}

std::function<void()>& normalEnd() {
  static std::function<void()> end;
  return end;
}

}  // namespace

EndHook setEndHook(EndHook hook) {
  EndHook previous = std::move(currentHook());
  currentHook() = hook ? std::move(hook) : EndHook(exitAtOnce);
  return previous;
}

void endProgram(EndReason reason, ExitStatus ending) {
  status() = ending;
  platform::closeAllHandles();
  currentHook()(reason);
  std::abort();
}

ExitStatus endingStatus() { return status(); }

void setNormalEnd(std::function<void()> end) { normalEnd() = std::move(end); }

void endRun() {
  if (normalEnd()) normalEnd()();
  endProgram(EndReason::kNormal, ExitStatus::kOperatorEnd);
}

}  // namespace vt
