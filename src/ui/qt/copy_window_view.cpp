#include "ui/qt/copy_window_view.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <stdexcept>

#include "ui/copy_window.h"
#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/presenter_view.h"

namespace vt::qt {
namespace {

class CopyWindowView : public PresenterView {
 public:
  explicit CopyWindowView(Filesta2& presenter) : PresenterView(presenter), presenter_(presenter) {
    setWindowTitle(fromCp1252(Filesta2::kCaption));
    setObjectName("FILESTA2");

    auto* heading = makeHeading(Filesta2::kHeading, this);
    auto* strip = makeLabel(decorativeStrip(), this);
    title_ = makeLabel(presenter.archiveTitle(), this);
    title_->setObjectName("archiveTitle");

    lists_[Filesta2::kChosenList] = makeArchiveList("chosenList", this);
    lists_[Filesta2::kUserList] = makeArchiveList("userList", this);
    for (int list : {Filesta2::kChosenList, Filesta2::kUserList}) {
      forwardSelection(lists_[list], [this, list](int row) { presenter_.select(list, row); });
      connect(lists_[list], &QListWidget::itemDoubleClicked, this, [this, list] { presenter_.RIEPILOGO1_DBLCLICK(list); });
      forwardEnter(lists_[list], [this, list] { presenter_.RIEPILOGO1_KEYPRESS(list, '\r'); });
    }

    auto* copyOne = button(Filesta2::kCopyOne, QStyle::SP_ArrowRight, "copyOne");
    auto* copyAll = button(Filesta2::kCopyAll, QStyle::SP_MediaSeekForward, "copyAll");
    auto* leave = button(Filesta2::kLeave, QStyle::SP_DialogCloseButton, "leave");

    auto* archiveBox = new QFrame(this);
    archiveBox->setFrameShape(QFrame::StyledPanel);
    auto* archiveRow = new QHBoxLayout(archiveBox);
    archiveRow->addWidget(makeLabel(Filesta2::kSelectedArchiveLabel, archiveBox));
    archiveRow->addWidget(title_, 1);

    auto* options = new QVBoxLayout;
    options->addStretch();
    options->addWidget(makeLabel(Filesta2::kOptionsLabel, this), 0, Qt::AlignHCenter);
    options->addWidget(copyOne);
    options->addWidget(copyAll);
    options->addStretch();

    auto* listsBox = new QGridLayout;
    listsBox->addWidget(makeLabel(Filesta2::kChosenListLabel, this), 0, 0);
    listsBox->addWidget(lists_[Filesta2::kChosenList], 1, 0);
    listsBox->addLayout(options, 1, 1);
    listsBox->addWidget(makeLabel(Filesta2::kUserListLabel, this), 0, 2);
    listsBox->addWidget(lists_[Filesta2::kUserList], 1, 2);
    listsBox->setColumnStretch(0, 1);
    listsBox->setColumnStretch(2, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(leave);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading, 0, Qt::AlignHCenter);
    layout->addWidget(strip, 0, Qt::AlignHCenter);
    layout->addWidget(archiveBox);
    layout->addLayout(listsBox, 1);
    layout->addWidget(line);
    layout->addLayout(bottom);
  }

 protected:
  void refresh() override {
    title_->setText(fromCp1252(presenter_.archiveTitle()));
    for (int list : {Filesta2::kChosenList, Filesta2::kUserList}) {
      showLines(lists_[list], presenter_.lines(list), presenter_.selected(list));
    }
    if (presenter_.focusRequests() != focusShown_) {
      focusShown_ = presenter_.focusRequests();
      lists_[presenter_.focusedList()]->setFocus();
    }
  }

 private:
  QPushButton* button(int index, QStyle::StandardPixmap picture, const char* name) {
    QPushButton* made = makeButton(Filesta2::buttonCaption(index), picture, name, this);
    connect(made, &QPushButton::clicked, this, [this, index] { presenter_.COMANDO1_CLICK(index); });
    return made;
  }

  Filesta2& presenter_;
  QLabel* title_ = nullptr;
  QListWidget* lists_[2] = {};
  unsigned focusShown_ = 0;
};

}  // namespace

std::unique_ptr<QDialog> makeCopyWindowView(WindowPresenter& presenter) {
  auto* copyWindow = dynamic_cast<Filesta2*>(&presenter);
  if (copyWindow == nullptr) throw std::logic_error("the copy window view needs the FILESTA2 presenter");
  return std::make_unique<CopyWindowView>(*copyWindow);
}

}  // namespace vt::qt
