#include "ui/choice_window.h"

#include "core/dialogs.h"
#include "core/trail.h"
#include "ui/info.h"
#include "util/text.h"

namespace vt {

void Scelta::load() {
  REGISTRAPROC("FORM_ACTIVATE");
  guarded([&] {
    S().NUMEROSCELTA = 0;
    if (S().ELENCOSCELTE.empty()) {
      close();
      return;
    }
    centre(kWidth, kHeight, dialogs().screenSize());
    for (int i = 1; i <= kIconCount; ++i) icone_[i] = std::string(kIconKeys[static_cast<std::size_t>(i - 1)]);

    const std::string list = S().ELENCOSCELTE;
    std::size_t start = 0;
    for (;;) {
      std::size_t star = list.find(kSeparator, start);
      if (star == std::string::npos) {
        std::string rest = list.substr(start);
        AddString(rest);
        break;
      }
      std::string entry = TRIM(std::string_view(list).substr(start, star - start));
      AddString(entry);
      start = star + 1;
    }
    if (!entries_.empty()) selected_ = 0;
    changed();
  });
}

void Scelta::AddString(std::string& strTesto) {
  REGISTRAPROC("ADDSTRING");
  guarded([&] {
    const std::string upper = UCASE(strTesto);
    for (int i = 1; i <= kIconCount; ++i) {
      const std::string& key = icone_[i];
      if (key.empty()) break;
      if (upper.find(key) != std::string::npos) {
        entries_.push_back({strTesto, key});
        return;
      }
    }
    entries_.push_back({strTesto, std::string(kDefaultIcon)});
  });
  changed();
}

void Scelta::listSelect(std::optional<std::size_t> index) {
  if (index && *index >= entries_.size()) index.reset();
  selected_ = index;
}

void Scelta::listMove(ListMove move, int pageRows) {
  const int from = selected_ ? static_cast<int>(*selected_) : -1;
  const int to = landingLine(move, from, static_cast<int>(entries_.size()), pageRows);
  selected_.reset();
  if (to >= 0) selected_ = static_cast<std::size_t>(to);
  changed();
}

void Scelta::choose() {
  if (!selected_) return;
  S().NUMEROSCELTA = static_cast<double>(*selected_ + 1);
  close();
}

void Scelta::leave() {
  S().NUMEROSCELTA = 0;
  selected_.reset();
  changed();
  close();
}

void Scelta::listDoubleClick() {
  REGISTRAPROC("LSTELENCO_DBLCLICK");
  guarded([&] { choose(); });
}

void Scelta::listKeyPress(char keyAscii) {
  REGISTRAPROC("LSTELENCO_KEYPRESS");
  guarded([&] {
    if (keyAscii == kEnter) {
      choose();
    } else if (keyAscii == kEscape) {
      leave();
    }
  });
}

void Scelta::exitClick() { leave(); }

bool Scelta::keyDown(int keyCode, int shift) {
  if (keyCode != kKeyP || shift != (kShiftMask | kCtrlMask)) return false;
  INFOPROGETTO();
  return true;
}

void Scelta::unload() {
  REGISTRAPROC("FORM_UNLOAD");
  guarded([&] {
    S().TABTESTI[kTextChosenArchive] = selected_ ? entries_[*selected_].text : std::string();
    S().ELENCOSCELTE.clear();
  });
}

}  // namespace vt
