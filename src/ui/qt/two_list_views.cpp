#include "ui/qt/two_list_views.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/archive_lines.h"
#include "ui/browser.h"
#include "ui/copy_window.h"
#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/presenter_view.h"

namespace vt::qt {
namespace {

// What tells one two-list window's view from the other's.
struct TwoListForm {
  struct List {
    const char* objectName;
    const char* heading;
  };
  // A button of the presenter's Comando1 array, by its index.
  struct Button {
    int index;
    QStyle::StandardPixmap picture;
    const char* objectName;
  };
  // The presenter's lists 0 and 1, left to right.
  std::array<List, 2> lists;
  // The buttons between the lists, top to bottom; then the buttons of the
  // bottom row, right of `instruction` (none: an empty space). Tab follows
  // this order.
  std::vector<Button> options;
  const char* instruction;
  std::vector<Button> bottom;
};

const TwoListForm kBrowserForm = {
    {{{"standardList", Filestan::kStandardListLabel}, {"chosenList", Filestan::kChosenListLabel}}},
    {{Filestan::kChooseOne, QStyle::SP_ArrowRight, "chooseOne"},
     {Filestan::kChooseAll, QStyle::SP_MediaSeekForward, "chooseAll"},
     {Filestan::kReturnAll, QStyle::SP_MediaSeekBackward, "returnAll"},
     {Filestan::kReturnOne, QStyle::SP_ArrowLeft, "returnOne"}},
    Filestan::kInstruction,
    {{Filestan::kLeave, QStyle::SP_DialogCloseButton, "leave"},
     {Filestan::kConfirm, QStyle::SP_DialogApplyButton, "confirm"}}};

const TwoListForm kCopyWindowForm = {
    {{{"chosenList", Filesta2::kChosenListLabel}, {"userList", Filesta2::kUserListLabel}}},
    {{Filesta2::kCopyOne, QStyle::SP_ArrowRight, "copyOne"}, {Filesta2::kCopyAll, QStyle::SP_MediaSeekForward, "copyAll"}},
    nullptr,
    {{Filesta2::kLeave, QStyle::SP_DialogCloseButton, "leave"}}};

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

// The view of `presenter`, which must be a `Window`.
template <class Window>
std::unique_ptr<QDialog> makeView(WindowPresenter& presenter, const TwoListForm& form) {
  auto* window = dynamic_cast<Window*>(&presenter);
  if (window == nullptr) {
    throw std::logic_error("a two-list view was given the presenter of " + std::string(presenter.formName()));
  }
  return std::make_unique<TwoListView>(*window, form);
}

}  // namespace

std::unique_ptr<QDialog> makeBrowserView(WindowPresenter& presenter) { return makeView<Filestan>(presenter, kBrowserForm); }

std::unique_ptr<QDialog> makeCopyWindowView(WindowPresenter& presenter) {
  return makeView<Filesta2>(presenter, kCopyWindowForm);
}

}  // namespace vt::qt
