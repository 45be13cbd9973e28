// The suite path each open handle of the file layer was opened on, so that a
// refusal on a handle names its file ("Errore 61 Disco pieno: C:\...").
// Shared by both implementations of the file layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vt::platform {

// Remembers the path handle `handle` was opened on; forgetPath when it closes.
void rememberPath(std::int16_t handle, std::string_view suitePath);
void forgetPath(std::int16_t handle);

// What a refusal on `handle` names: its path, or its number when it has none.
std::string subjectOf(std::int16_t handle);

}  // namespace vt::platform
