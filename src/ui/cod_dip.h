// COD_DIP$: the entry through which the employee copy asks the operator for
// a new employee code in the key change dialog.
#pragma once

#include <cstdint>
#include <string>

namespace vt {

// The opener's archive whose employee codes are indexed in file 30, not 7.
inline constexpr double kArchiveWithSecondIndex = 29;

// Stores `mode` as the dialog's check mode (TABPARAM 47), opens files 1, 2
// and the employee-key index (30 when `archive` is 29, else 7; its number in
// TABPARAM 48), shows the key change dialog and returns the code it leaves in
// TABTESTI 50. An empty code ends the run normally (FINEPROG). Trail name
// "COD_DIP$"; failures go to the trap.
std::string COD_DIP(std::int16_t& mode, double& archive);

}  // namespace vt
