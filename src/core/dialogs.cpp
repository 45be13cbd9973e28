#include "core/dialogs.h"

#include <stdexcept>
#include <thread>

namespace vt {
namespace {
Dialogs* current = nullptr;
}

bool Dialogs::waitBetweenTries(const WaitNotice&, std::chrono::milliseconds pause) {
  std::this_thread::sleep_for(pause);
  return true;
}

void Dialogs::waitEnded(std::chrono::milliseconds) {}

Dialogs& dialogs() {
  if (current == nullptr) throw std::logic_error("no dialog interface installed");
  return *current;
}

Dialogs* setDialogs(Dialogs* d) {
  Dialogs* previous = current;
  current = d;
  return previous;
}

}  // namespace vt
