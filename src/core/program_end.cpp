#include "core/program_end.h"

#include <cstdlib>
#include <utility>

#include "platform/files.h"

namespace vt {
namespace {

void exitAtOnce(EndReason) { std::_Exit(0); }

EndHook& currentHook() {
  static EndHook hook = exitAtOnce;
  return hook;
}

}  // namespace

EndHook setEndHook(EndHook hook) {
  EndHook previous = std::move(currentHook());
  currentHook() = hook ? std::move(hook) : EndHook(exitAtOnce);
  return previous;
}

void endProgram(EndReason reason) {
  platform::closeAllHandles();
  currentHook()(reason);
  std::abort();
}

}  // namespace vt
