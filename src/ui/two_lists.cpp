#include "ui/two_lists.h"

#include "core/state.h"
#include "records/records.h"

namespace vt {

void TwoListWindow::listSelect(int list, int index) {
  if (list != kLeftList && list != kRightList) return;
  lists_[list].select(index);
}

void TwoListWindow::listMove(int list, ListMove move, int pageRows) {
  if (list != kLeftList && list != kRightList) return;
  ArchiveList& moved = lists_[list];
  moved.select(landingLine(move, moved.selected(), moved.size(), pageRows));
  changed();
}

const std::vector<std::string>& TwoListWindow::lines(int list) const {
  return lists_[list == kRightList ? kRightList : kLeftList].lines();
}

int TwoListWindow::selected(int list) const { return lists_[list == kRightList ? kRightList : kLeftList].selected(); }

void TwoListWindow::focusList(int list) {
  focusedList_ = list;
  ++focusRequests_;
}

void TwoListWindow::listRecords(ArchiveList& list, int file, bool (*isFree)(int file),
                                std::string (*line)(std::string_view buffer, int record)) {
  for (int record = 1; record <= kMaxListedRecords; ++record) {
    S().FINEARCHIVIO = LEGGIREC(file, record);
    if (S().FINEARCHIVIO == 1) break;
    if (isFree(file)) continue;
    list.add(line(S().BUFFERREC[file], record));
  }
}

}  // namespace vt
