// What the tests print of the program's results, so that a failing
// assertion says what went wrong, and names for table-driven cases.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "check/check.h"

namespace vt::check {

// A report of the index check, one finding a line, as vtmerv-check prints it.
inline std::ostream& operator<<(std::ostream& out, const Report& report) {
  out << "exit status " << report.exitStatus() << ", " << report.findings.size() << " findings";
  for (const Finding& f : report.findings) out << "\n  " << (f.damage ? "DANNO: " : "AVVISO: ") << f.text;
  return out;
}

}  // namespace vt::check

namespace vt::testing {

// A case's description as a test name: "code past the end" is CodePastTheEnd.
inline std::string caseName(const std::string& what) {
  std::string name;
  bool upper = true;
  for (char c : what) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
      upper = true;
    } else {
      name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      upper = false;
    }
  }
  return name;
}

// The name of a parameterised case whose parameter says `what` it is.
struct NamedByWhat {
  template <class Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
    return caseName(param.param.what);
  }
};

}  // namespace vt::testing
