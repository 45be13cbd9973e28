#include "ui/info.h"

#include <string>

#include "core/dialogs.h"
#include "core/state.h"
#include "util/text.h"

namespace vt {

void INFOPROGETTO() {
  const std::string cr = "\r";
  std::string text = "Programma tessaro" + cr + cr + "Nome EXE : " + UCASE(TRIM(S().NOMEPROGRAMMA)) + ".EXE" + cr +
                     "Nome VBP : " + UCASE(TRIM(S().NOMEPROGETTO)) + ".VBP" + cr;
  dialogs().message(text, Buttons::kOk, Icon::kInformation, "Informazioni Progetto tessaro");
}

}  // namespace vt
