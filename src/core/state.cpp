#include "core/state.h"

#include <memory>

namespace vt {
namespace {

std::unique_ptr<State>& instance() {
  static std::unique_ptr<State> state = std::make_unique<State>();
  return state;
}

}  // namespace

State& S() { return *instance(); }

void resetState() { instance() = std::make_unique<State>(); }

}  // namespace vt
