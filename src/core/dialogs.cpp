#include "core/dialogs.h"

#include <stdexcept>

namespace vt {
namespace {
Dialogs* current = nullptr;
}

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
