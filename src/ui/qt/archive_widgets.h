// Widgets shared by the browser's and the copy window's views: the lists of
// archive lines in a fixed-pitch font, the labels, the buttons with their
// small pictures, and the showing of a presenter's list.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <functional>
#include <string>
#include <vector>

#include "ui/qt/presenter_list.h"

namespace vt::qt {

// A list of archive lines in the fixed-pitch font, one line selected at most.
PresenterList* makeArchiveList(const QString& objectName, PresenterList::Hooks hooks, QWidget* parent);

// A label showing `text` (Windows-1252).
QLabel* makeLabel(const std::string& text, QWidget* parent);

// The window's heading: bold, larger than the body text.
QLabel* makeHeading(const std::string& text, QWidget* parent);

// A push button with `caption` (Windows-1252) and the style's small picture;
// Enter presses it while it has the focus.
QPushButton* makeButton(const std::string& caption, QStyle::StandardPixmap picture, const QString& objectName,
                        QWidget* parent);

// Shows `lines` in `list` and the presenter's selected line, without telling
// anyone: the presenter already knows.
void showLines(PresenterList* list, const std::vector<std::string>& lines);

// Presses `button` on Enter while it has the focus, as space does: a button
// of the window's own takes Enter before the window does.
void pressOnEnter(QPushButton* button);

// Forwards Enter pressed in `list` to `onEnter` (the key is then taken);
// every other key keeps its ordinary list behaviour.
void forwardEnter(QListWidget* list, std::function<void()> onEnter);

}  // namespace vt::qt
