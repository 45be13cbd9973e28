#include "core/failure.h"

#include <utility>

namespace vt {

std::string standardDescription(std::int16_t code) {
  switch (code) {
    case err::kInvalidCall: return "Chiamata di routine o argomento non validi";
    case err::kOutOfMemory: return "Memoria esaurita";
    case err::kOverflow: return "Overflow";
    case err::kInternalError: return "Errore interno";
    case err::kSubscriptOutOfRange: return "Indice non incluso nell'intervallo";
    case err::kBadFileNumber: return "Nome o numero di file non valido";
    case err::kFileNotFound: return "Impossibile trovare il file";
    case err::kFileAlreadyOpen: return "File gi\xE0 aperto";
    case err::kDeviceIo: return "Errore di I/O della periferica";
    case err::kBadRecordLength: return "Lunghezza del record non valida";
    case err::kDiskFull: return "Disco pieno";
    case err::kBadRecordNumber: return "Numero di record non valido";
    case err::kPathTooLong: return "Nome di file non valido (percorso troppo lungo)";
    case err::kTooManyFiles: return "Troppi file";
    case err::kDeviceUnavailable: return "Periferica non disponibile (unit\xE0 di rete non pi\xF9 raggiungibile)";
    case err::kPermissionDenied: return "Autorizzazione negata";
    case err::kPathFileAccess: return "Errore di accesso al percorso/file";
    case err::kPathNotFound: return "Impossibile trovare il percorso";
    case err::kDamagedIndex: return "Indice danneggiato";
    case err::kPrinter: return "Errore della stampante";
    default: return "Errore definito dall'applicazione o dall'oggetto";
  }
}

std::int16_t failureCode(platform::SystemErrorKind kind) {
  using Kind = platform::SystemErrorKind;
  switch (kind) {
    case Kind::kFileNotFound: return err::kFileNotFound;
    case Kind::kPathNotFound: return err::kPathNotFound;
    case Kind::kAccessDenied: return err::kPathFileAccess;
    case Kind::kSharingViolation: return err::kPermissionDenied;
    case Kind::kDiskFull: return err::kDiskFull;
    case Kind::kBadHandle: return err::kBadFileNumber;
    case Kind::kHandleInUse: return err::kFileAlreadyOpen;
    case Kind::kNoFreeHandle: return err::kTooManyFiles;
    case Kind::kPathTooLong: return err::kPathTooLong;
    case Kind::kNetworkLost: return err::kDeviceUnavailable;
    case Kind::kDeviceError: break;
  }
  return err::kDeviceIo;
}

RuntimeFailure::RuntimeFailure(std::int16_t code, std::string description)
    : std::runtime_error(description), code_(code), description_(std::move(description)) {}

void raiseFailure(std::int16_t code, std::string_view detail) {
  std::string text = standardDescription(code);
  if (!detail.empty()) {
    text += ": ";
    text += detail;
  }
  throw RuntimeFailure(code, std::move(text));
}

}  // namespace vt
