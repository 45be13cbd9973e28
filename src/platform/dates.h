// What the system gives for dates: the date as text and the check of a typed
// date, as the question box relies on them.
#pragma once

#include <string>
#include <string_view>

namespace vt::platform {

// True when `text` is a date that exists in the Gregorian calendar, written
// day, month, year in that order:
//   - day and month of one or two digits, the year of exactly four digits
//     (0001 to 9999);
//   - the three parts separated by "/", "-" or "." (the same separator both
//     times: 29/02/2000, 1-2-2000, 31.12.1999);
//   - blanks before and after are allowed, nothing else.
// Short forms (a day and month alone, a two-digit year) and dates that do not
// exist (31/04/2001, 29/02/1900, 00/00/0000) are refused.
bool isDate(std::string_view text);

// The system's local date as "dd/mm/yyyy": its last four characters are the
// current year.
std::string systemDateText();

}  // namespace vt::platform
