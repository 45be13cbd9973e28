#include "ui/qt/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace vt::qt {
namespace {

constexpr const char* kArchiveFontFamily = "Courier New";
// Small enough that a 41-character employee line fits its list in a window
// of 10,800 twips beside the other list and the buttons between them.
constexpr qreal kArchiveFontPoints = 9;

}  // namespace

QFont archiveLineFont() {
  QFont font(QString::fromLatin1(kArchiveFontFamily));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(kArchiveFontPoints);
  return font;
}

}  // namespace vt::qt
