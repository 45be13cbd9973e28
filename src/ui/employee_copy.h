// The employee copy: one chosen line of the employee archive copied into the
// user's employee file, reached by employee code through the employee index.
#pragma once

#include <string>

namespace vt {

class Filesta2;

// SCRIVI2: copies the standard employee of chosen line `line` (its record
// number in characters 37 to 41) into the user's employee file (TABPARAM(kParamUserFile)),
// asking before a code in use is overwritten and otherwise giving the record
// a new code through the key change dialog; a new employee is appended to the
// user's file with its index entry and its companion record. On every path
// that moves the line, the line at `index` leaves `window`'s chosen list, the
// user-archive list gains the code, a blank and the line, and the chosen list
// selects its first line and takes the focus. Returns Filesta2::kCopied when
// the line left the chosen list, Filesta2::kNothingCopied when it stays.
// Sets TABFLAG(kFlagLeftBrowser) to 0. Trail name "SCRIVI2"; failures go to the trap.
int SCRIVI2(Filesta2& window, const std::string& line, int index);

}  // namespace vt
