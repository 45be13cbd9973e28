#include "ui/qt/browser_view.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <stdexcept>

#include "ui/browser.h"
#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/presenter_view.h"

namespace vt::qt {
namespace {

class BrowserView : public PresenterView {
 public:
  explicit BrowserView(Filestan& presenter) : PresenterView(presenter), presenter_(presenter) {
    setWindowTitle(fromCp1252(Filestan::kCaption));
    setObjectName("FILESTAN");

    auto* heading = makeHeading(Filestan::kHeading, this);
    auto* strip = makeLabel(decorativeStrip(), this);
    title_ = makeLabel(presenter.archiveTitle(), this);
    title_->setObjectName("archiveTitle");

    lists_[Filestan::kStandardList] = makeArchiveList("standardList", this);
    lists_[Filestan::kChosenList] = makeArchiveList("chosenList", this);

    const QStyle::StandardPixmap pictures[Filestan::kButtonCount] = {
        QStyle::SP_ArrowRight,         QStyle::SP_MediaSeekForward,   QStyle::SP_MediaSeekBackward,
        QStyle::SP_ArrowLeft,          QStyle::SP_DialogCloseButton,  QStyle::SP_DialogApplyButton};
    const char* names[Filestan::kButtonCount] = {"chooseOne", "chooseAll", "returnAll",
                                                 "returnOne", "leave",     "confirm"};
    for (int button = 0; button < Filestan::kButtonCount; ++button) {
      buttons_[button] = makeButton(Filestan::buttonCaption(button), pictures[button], names[button], this);
      connect(buttons_[button], &QPushButton::clicked, this, [this, button] { presenter_.COMANDO1_CLICK(button); });
    }

    for (int list : {Filestan::kStandardList, Filestan::kChosenList}) {
      forwardSelection(lists_[list], [this, list](int row) { presenter_.select(list, row); });
      connect(lists_[list], &QListWidget::itemDoubleClicked, this, [this, list] { presenter_.RIEPILOGO1_DBLCLICK(list); });
      forwardEnter(lists_[list], [this, list] { presenter_.RIEPILOGO1_KEYPRESS(list, '\r'); });
    }

    auto* archiveBox = new QFrame(this);
    archiveBox->setFrameShape(QFrame::StyledPanel);
    auto* archiveRow = new QHBoxLayout(archiveBox);
    archiveRow->addWidget(makeLabel(Filestan::kSelectedArchiveLabel, archiveBox));
    archiveRow->addWidget(title_, 1);

    auto* options = new QVBoxLayout;
    options->addStretch();
    options->addWidget(makeLabel(Filestan::kOptionsLabel, this), 0, Qt::AlignHCenter);
    for (int button : {Filestan::kChooseOne, Filestan::kChooseAll, Filestan::kReturnAll, Filestan::kReturnOne}) {
      options->addWidget(buttons_[button]);
    }
    options->addStretch();

    auto* listsBox = new QGridLayout;
    listsBox->addWidget(makeLabel(Filestan::kStandardListLabel, this), 0, 0);
    listsBox->addWidget(lists_[Filestan::kStandardList], 1, 0);
    listsBox->addLayout(options, 1, 1);
    listsBox->addWidget(makeLabel(Filestan::kChosenListLabel, this), 0, 2);
    listsBox->addWidget(lists_[Filestan::kChosenList], 1, 2);
    listsBox->setColumnStretch(0, 1);
    listsBox->setColumnStretch(2, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(makeLabel(Filestan::kInstruction, this), 1);
    bottom->addWidget(buttons_[Filestan::kLeave]);
    bottom->addWidget(buttons_[Filestan::kConfirm]);

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
    for (int list : {Filestan::kStandardList, Filestan::kChosenList}) {
      showLines(lists_[list], presenter_.lines(list), presenter_.selected(list));
    }
    if (presenter_.focusRequests() != focusShown_) {
      focusShown_ = presenter_.focusRequests();
      lists_[presenter_.focusedList()]->setFocus();
    }
  }

 private:
  Filestan& presenter_;
  QLabel* title_ = nullptr;
  QListWidget* lists_[2] = {};
  QPushButton* buttons_[Filestan::kButtonCount] = {};
  unsigned focusShown_ = 0;
};

}  // namespace

std::unique_ptr<QDialog> makeBrowserView(WindowPresenter& presenter) {
  auto* browser = dynamic_cast<Filestan*>(&presenter);
  if (browser == nullptr) throw std::logic_error("the browser view needs the FILESTAN presenter");
  return std::make_unique<BrowserView>(*browser);
}

}  // namespace vt::qt
