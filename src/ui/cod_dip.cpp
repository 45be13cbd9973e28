#include "ui/cod_dip.h"

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/file_numbers.h"
#include "records/files.h"
#include "ui/key_change.h"

namespace vt {

std::string COD_DIP(std::int16_t& mode, double& archive) {
  REGISTRAPROC("COD_DIP$");
  State& s = S();
  guarded([&] { s.TABPARAM[kParamCheckMode] = mode; });
  guarded([&] { FAIOPEN(kUserCompanyFile); });
  guarded([&] { FAIOPEN(kUserEmployeeFile); });
  guarded([&] {
    const int index = archive == kArchiveWithSecondIndex ? kSecondEmployeeIndexFile : kEmployeeIndexFile;
    FAIOPEN(index);
    s.TABPARAM[kParamKeyIndexFile] = static_cast<std::int16_t>(index);
  });
  guarded([&] {
    Codnuo window;
    dialogs().showModal(window);
  });
  std::string code = s.TABTESTI[kTextKey];
  if (code.empty()) endRun();
  return code;
}

}  // namespace vt
