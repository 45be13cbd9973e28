#include "ui/qt/two_list_view.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/archive_lines.h"
#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/presenter_view.h"

namespace vt::qt {
namespace {

class TwoListView : public PresenterView {
 public:
  TwoListView(TwoListWindow& presenter, const TwoListForm& form) : PresenterView(presenter), presenter_(presenter) {
    setWindowTitle(fromCp1252(TwoListWindow::kCaption));
    setObjectName(QString::fromLatin1(presenter.formName().data(), static_cast<qsizetype>(presenter.formName().size())));
    title_ = makeLabel(presenter.archiveTitle(), this);
    title_->setObjectName("archiveTitle");
    for (int list = 0; list < 2; ++list) {
      lists_[list] = makeArchiveList(form.lists[list].objectName,
                                     {[this, list] { return presenter_.selected(list); },
                                      [this, list](int row) { presenter_.listSelect(list, row); },
                                      [this, list](ListMove move, int rows) { presenter_.listMove(list, move, rows); }},
                                     this);
      connect(lists_[list], &QListWidget::itemDoubleClicked, this, [this, list] { presenter_.listDoubleClick(list); });
      forwardEnter(lists_[list], [this, list] { presenter_.listKeyPress(list, TwoListWindow::kEnterKey); });
    }
    // Created in the order Tab follows: the option buttons, then the bottom row.
    auto* optionColumn = new QVBoxLayout;
    optionColumn->addStretch();
    optionColumn->addWidget(makeLabel(TwoListWindow::kOptionsLabel, this), 0, Qt::AlignHCenter);
    for (const TwoListForm::Button& button : form.options) optionColumn->addWidget(commandButton(button));
    optionColumn->addStretch();
    auto* bottom = new QHBoxLayout;
    if (form.instruction != nullptr) {
      bottom->addWidget(makeLabel(form.instruction, this), 1);
    } else {
      bottom->addStretch(1);
    }
    for (const TwoListForm::Button& button : form.bottom) bottom->addWidget(commandButton(button));
    arrange(form, optionColumn, bottom);
  }

 protected:
  void refresh() override {
    title_->setText(fromCp1252(presenter_.archiveTitle()));
    for (int list = 0; list < 2; ++list) showLines(lists_[list], presenter_.lines(list));
    if (presenter_.focusRequests() != focusShown_) {
      focusShown_ = presenter_.focusRequests();
      lists_[presenter_.focusedList()]->setFocus();
    }
  }

 private:
  // A button of the presenter's Comando1 array, forwarding its clicks.
  QPushButton* commandButton(const TwoListForm::Button& spec) {
    const int index = spec.index;
    QPushButton* button = makeButton(presenter_.buttonCaption(index), spec.picture, spec.objectName, this);
    connect(button, &QPushButton::clicked, this, [this, index] { presenter_.commandClick(index); });
    return button;
  }

  void arrange(const TwoListForm& form, QVBoxLayout* optionColumn, QHBoxLayout* bottom) {
    auto* archiveBox = new QFrame(this);
    archiveBox->setFrameShape(QFrame::StyledPanel);
    auto* archiveRow = new QHBoxLayout(archiveBox);
    archiveRow->addWidget(makeLabel(TwoListWindow::kSelectedArchiveLabel, archiveBox));
    archiveRow->addWidget(title_, 1);

    auto* listsBox = new QGridLayout;
    listsBox->addWidget(makeLabel(form.lists[0].heading, this), 0, 0);
    listsBox->addWidget(lists_[0], 1, 0);
    listsBox->addLayout(optionColumn, 1, 1);
    listsBox->addWidget(makeLabel(form.lists[1].heading, this), 0, 2);
    listsBox->addWidget(lists_[1], 1, 2);
    listsBox->setColumnStretch(0, 1);
    listsBox->setColumnStretch(2, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(TwoListWindow::kHeading, this), 0, Qt::AlignHCenter);
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

  TwoListWindow& presenter_;
  QLabel* title_ = nullptr;
  std::array<PresenterList*, 2> lists_{};
  unsigned focusShown_ = 0;
};

}  // namespace

std::unique_ptr<QDialog> makeTwoListView(TwoListWindow& presenter, const TwoListForm& form) {
  return std::make_unique<TwoListView>(presenter, form);
}

}  // namespace vt::qt
