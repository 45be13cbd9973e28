// COD_DIP$: the entry through which the employee copy asks the operator for
// a new employee code in the key change dialog.
#pragma once

#include <cstdint>
#include <string>

namespace vt {

// The employee-key indexes: file 7, or file 30 for the archive 29.
inline constexpr double kEmployeeKeyIndex = 7;
inline constexpr double kAlternateKeyIndex = 30;
inline constexpr double kArchiveWithAlternateIndex = 29;
// The files the dialog works on: live companies and live employees.
inline constexpr double kLiveCompanies = 1;
inline constexpr double kLiveEmployees = 2;

// Stores `mode` as the dialog's check mode (TABPARAM 47), opens files 1, 2
// and the employee-key index (30 when `archive` is 29, else 7; its number in
// TABPARAM 48), shows the key change dialog and returns the code it leaves in
// TABTESTI 50. An empty code ends the run normally (FINEPROG). Trail name
// "COD_DIP$"; failures go to the trap.
std::string COD_DIP(std::int16_t& mode, double& archive);

}  // namespace vt
