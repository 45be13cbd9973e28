#include "repository/descriptors.h"

#include <string>

#include "core/failure.h"

namespace vt {

FieldDescriptor parseDescriptor(std::string_view text) {
  const std::string_view fault = descriptorFault(text);
  if (!fault.empty()) {
    raiseFailure(err::kInvalidCall,
                 "descrittore di campo \"" + std::string(text) + "\" non valido (" + std::string(fault) + ")");
  }
  return *tryParseDescriptor(text);
}

}  // namespace vt
