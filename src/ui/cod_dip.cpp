#include "ui/cod_dip.h"

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/files.h"
#include "ui/key_change.h"

namespace vt {

std::string COD_DIP(std::int16_t& mode, double& archive) {
  REGISTRAPROC("COD_DIP$");
  State& s = S();
  guarded([&] { s.TABPARAM[kParamCheckMode] = mode; });
  guarded([&] { FAIOPEN(kLiveCompanies); });
  guarded([&] { FAIOPEN(kLiveEmployees); });
  guarded([&] {
    const double index = archive == kArchiveWithAlternateIndex ? kAlternateKeyIndex : kEmployeeKeyIndex;
    FAIOPEN(index);
    s.TABPARAM[kParamKeyIndexFile] = static_cast<std::int16_t>(index);
  });
  guarded([&] {
    Codnuo window;
    dialogs().showModal(window);
  });
  std::string code = s.TABTESTI[kKeyEntry];
  if (code.empty()) endRun();
  return code;
}

}  // namespace vt
