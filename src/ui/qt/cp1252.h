// Conversion between the program's single-byte Windows-1252 texts and Qt's
// Unicode strings, done only where a view shows a text or takes one, through
// the program's one table (platform/cp1252.h).
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vt::qt {

QString fromCp1252(std::string_view text);

// `text` as the suite's own screen fonts drew it: through their OEM code page
// (850, which agrees with 437 on the block and line characters), so that
// byte 223 is the upper half block. For the decorations drawn with those
// fonts; every other text is Windows-1252.
QString fromOemPage(std::string_view text);

// Characters that Windows-1252 cannot hold become "?".
std::string toCp1252(const QString& text);

// A message text for a Qt box: the suite's line ends (CR LF, or CR alone)
// become Qt's line feed.
QString messageText(std::string_view text);

}  // namespace vt::qt
