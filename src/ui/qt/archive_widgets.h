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

namespace vt::qt {

// A list of archive lines in the fixed-pitch font, one line selected at most.
QListWidget* makeArchiveList(const QString& objectName, QWidget* parent);

// A label showing `text` (Windows-1252).
QLabel* makeLabel(const std::string& text, QWidget* parent);

// The window's heading: bold, larger than the body text.
QLabel* makeHeading(const std::string& text, QWidget* parent);

// A push button with `caption` (Windows-1252) and the style's small picture.
QPushButton* makeButton(const std::string& caption, QStyle::StandardPixmap picture, const QString& objectName,
                        QWidget* parent);

// Shows `lines` in `list` with row `selected` current (-1: none), without
// telling anyone: the presenter already knows.
void showLines(QListWidget* list, const std::vector<std::string>& lines, int selected);

// Forwards each change of the selected line of `list` to `onSelect` (the
// row, or -1 when no line is selected). Only a selection counts: the
// current-item frame the list draws on taking the focus selects nothing.
void forwardSelection(QListWidget* list, std::function<void(int)> onSelect);

// Forwards Enter pressed in `list` to `onEnter` (the key is then taken);
// every other key keeps its ordinary list behaviour.
void forwardEnter(QListWidget* list, std::function<void()> onEnter);

}  // namespace vt::qt
