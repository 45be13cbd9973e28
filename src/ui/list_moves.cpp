#include "ui/list_moves.h"

#include <algorithm>

namespace vt {

int landingLine(ListMove move, int selected, int count, int pageRows) {
  if (count <= 0) return -1;
  const int last = count - 1;
  if (move == ListMove::kEnd) return last;
  if (selected < 0 || selected > last) return 0;
  const int page = std::max(pageRows - 1, 1);
  switch (move) {
    case ListMove::kHome: return 0;
    case ListMove::kUp: return std::max(selected - 1, 0);
    case ListMove::kDown: return std::min(selected + 1, last);
    case ListMove::kPageUp: return std::max(selected - page, 0);
    case ListMove::kPageDown: return std::min(selected + page, last);
    case ListMove::kEnd: break;
  }
  return last;
}

}  // namespace vt
