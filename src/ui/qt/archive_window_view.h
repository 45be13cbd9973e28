// The frame shared by the browser's and the copy window's views: heading,
// decorative strip, the chosen archive's title, two lists of archive lines
// with the option buttons between them, and a bottom row. Each view adds its
// own buttons; the frame forwards the lists' events and shows the presenter's
// lists, selections, title and focus.
//
// `Presenter` is Filestan or Filesta2: both give lines(list), selected(list),
// archiveTitle(), focusedList(), focusRequests(), buttonCaption(button), and
// take select, moveSelection, RIEPILOGO1_DBLCLICK, RIEPILOGO1_KEYPRESS and COMANDO1_CLICK.
#pragma once

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <array>
#include <initializer_list>

#include "ui/archive_lines.h"
#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/presenter_view.h"

namespace vt::qt {

template <class Presenter>
class ArchiveWindowView : public PresenterView {
 protected:
  struct ListSpec {
    const char* objectName;
    const char* heading;
  };

  // Builds the frame: `left` and `right` are the two lists, in the order of
  // the presenter's list numbers 0 and 1.
  ArchiveWindowView(Presenter& presenter, ListSpec left, ListSpec right)
      : PresenterView(presenter), presenter_(presenter) {
    setWindowTitle(fromCp1252(Presenter::kCaption));
    setObjectName(QString::fromLatin1(presenter.formName().data(), static_cast<qsizetype>(presenter.formName().size())));
    title_ = makeLabel(presenter.archiveTitle(), this);
    title_->setObjectName("archiveTitle");
    const ListSpec specs[2] = {left, right};
    for (int list = 0; list < 2; ++list) {
      lists_[list] = makeArchiveList(specs[list].objectName,
                                     {[this, list] { return presenter_.selected(list); },
                                      [this, list](int row) { presenter_.select(list, row); },
                                      [this, list](ListMove move, int rows) { presenter_.moveSelection(list, move, rows); }},
                                     this);
      headings_[list] = specs[list].heading;
      connect(lists_[list], &QListWidget::itemDoubleClicked, this, [this, list] { presenter_.RIEPILOGO1_DBLCLICK(list); });
      forwardEnter(lists_[list], [this, list] { presenter_.RIEPILOGO1_KEYPRESS(list, '\r'); });
    }
  }

  // A button of the presenter's Comando1 array, forwarding its clicks.
  QPushButton* commandButton(int index, QStyle::StandardPixmap picture, const char* objectName) {
    QPushButton* button = makeButton(Presenter::buttonCaption(index), picture, objectName, this);
    connect(button, &QPushButton::clicked, this, [this, index] { presenter_.COMANDO1_CLICK(index); });
    return button;
  }

  // Lays the window out, with `options` between the lists under the
  // "OPZIONI" heading and `bottom` under the separator line.
  void arrange(std::initializer_list<QPushButton*> options, QHBoxLayout* bottom) {
    auto* archiveBox = new QFrame(this);
    archiveBox->setFrameShape(QFrame::StyledPanel);
    auto* archiveRow = new QHBoxLayout(archiveBox);
    archiveRow->addWidget(makeLabel(Presenter::kSelectedArchiveLabel, archiveBox));
    archiveRow->addWidget(title_, 1);

    auto* optionColumn = new QVBoxLayout;
    optionColumn->addStretch();
    optionColumn->addWidget(makeLabel(Presenter::kOptionsLabel, this), 0, Qt::AlignHCenter);
    for (QPushButton* button : options) optionColumn->addWidget(button);
    optionColumn->addStretch();

    auto* listsBox = new QGridLayout;
    listsBox->addWidget(makeLabel(headings_[0], this), 0, 0);
    listsBox->addWidget(lists_[0], 1, 0);
    listsBox->addLayout(optionColumn, 1, 1);
    listsBox->addWidget(makeLabel(headings_[1], this), 0, 2);
    listsBox->addWidget(lists_[1], 1, 2);
    listsBox->setColumnStretch(0, 1);
    listsBox->setColumnStretch(2, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(Presenter::kHeading, this), 0, Qt::AlignHCenter);
    // The strip's 13 characters drawn as the suite's screen fonts drew them:
    // a row of upper half blocks, not the sharp s they read as in Windows-1252.
    auto* strip = new QLabel(fromOemPage(decorativeStrip()), this);
    strip->setObjectName("decorativeStrip");
    layout->addWidget(strip, 0, Qt::AlignHCenter);
    layout->addWidget(archiveBox);
    layout->addLayout(listsBox, 1);
    layout->addWidget(line);
    layout->addLayout(bottom);
  }

  void refresh() override {
    title_->setText(fromCp1252(presenter_.archiveTitle()));
    for (int list = 0; list < 2; ++list) showLines(lists_[list], presenter_.lines(list));
    if (presenter_.focusRequests() != focusShown_) {
      focusShown_ = presenter_.focusRequests();
      lists_[presenter_.focusedList()]->setFocus();
    }
  }

  Presenter& presenter_;

 private:
  QLabel* title_ = nullptr;
  std::array<PresenterList*, 2> lists_{};
  std::array<const char*, 2> headings_{};
  unsigned focusShown_ = 0;
};

}  // namespace vt::qt
