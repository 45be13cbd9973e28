#include "records/files.h"

#include <cmath>
#include <string>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "platform/files.h"
#include "util/text.h"

namespace vt {
namespace {

// Placeholders of a name template, each replaced in place at its first occurrence.
constexpr std::string_view kDrivePlaceholder = "!:\\";
constexpr std::string_view kCompanyPlaceholder = "###";
constexpr std::string_view kTaskPlaceholder = "$$";
constexpr std::string_view kYearPlaceholder = "**";
constexpr std::string_view kRegionPlaceholder = "@@";
constexpr std::string_view kProvincePlaceholder = "%%";

constexpr std::size_t kCompanyWidth = 3;
constexpr std::size_t kYearWidth = 2;
constexpr std::size_t kRegionWidth = 2;
constexpr std::size_t kProvinceWidth = 2;

// Shows a missing-context message and ends the program at once.
[[noreturn]] void missingContext(const std::string& message, double number) {
  dialogs().message(message + decimalText(number), Buttons::kOk, Icon::kNone);
  endProgram(EndReason::kAtOnce, ExitStatus::kFailure);
}

// Puts `value` over the placeholder at `position` (0-based): only as many
// characters as the value has, never more than the placeholder's width.
void fillPlaceholder(std::string& text, std::size_t position, std::size_t width, const std::string& value) {
  overwrite(text, position + 1, value.substr(0, width));
}

// The row of "WKBASE.DAT" for file `index`, or a failure when the table has
// no usable row for it.
std::string readBaseRow(int index) {
  const std::string tablePath = S().PERARK + "\\" + kBaseFileName;
  std::int16_t handle = systemCall([&] { return platform::freeHandle(); });
  systemCall([&] { return platform::openFile(handle, tablePath, platform::OpenMode::kSharedRead); });
  std::string row(kBaseRowLength, ' ');
  std::size_t read = 0;
  try {
    const auto offset = static_cast<std::uint64_t>(index - 1) * kBaseRowLength;
    read = systemCall([&] { return platform::readAt(handle, offset, row.data(), row.size()); });
  } catch (...) {
    platform::closeHandle(handle);
    throw;
  }
  platform::closeHandle(handle);
  if (read < static_cast<std::size_t>(kBaseTemplatePos + kBaseTemplateLength - 1)) {
    raiseFailure(err::kBadFileNumber, "il file " + std::to_string(index) + " non ha una riga in " + tablePath);
  }
  return row;
}

}  // namespace

int fileIndex(double number) {
  if (number < 1 || number > kMaxFileNumber || number != std::floor(number)) {
    raiseFailure(err::kBadFileNumber, "numero file " + decimalText(number));
  }
  return static_cast<int>(number);
}

std::string DAMMIFILE(double number, std::int16_t& relative) {
  REGISTRAPROC("DAMMIFILE$ (" + decimalText(number) + ")");
  return guardedValue(
      [&]() -> std::string {
        if (number <= 0) return {};
        State& s = S();
        s.DITTAOPEN = RIGHT("000" + decimalText(VAL(s.DITTAOPEN)), kCompanyWidth);
        const std::string yearOnEntry = s.ANNOOPEN;
        s.ANNOOPEN = RIGHT("00" + decimalText(VAL(s.ANNOOPEN)), kYearWidth);
        s.REGIONEOPEN = RIGHT("00" + decimalText(VAL(s.REGIONEOPEN)), kRegionWidth);

        const std::string row = readBaseRow(fileIndex(number));
        s.LUNGBASE = VAL(MID(row, kBaseRecordLengthPos, kBaseRecordLengthLength));
        std::string path = RTRIM(MID(row, kBaseTemplatePos, kBaseTemplateLength));
        if (TRIM(path).empty()) {
          raiseFailure(err::kBadFileNumber,
                       "la riga del file " + decimalText(number) + " in " + kBaseFileName + " \xE8 vuota");
        }

        if (std::size_t at = path.find(kDrivePlaceholder); at != std::string::npos) {
          if (!s.DRIVEOPEN.empty() && (s.DRIVEOPEN.front() == 'A' || s.DRIVEOPEN.front() == 'B')) {
            path[at] = s.DRIVEOPEN.front();
          } else {
            path = s.DRIVEOPEN + MID(path, 3);
          }
          s.DRIVEOPEN.clear();
          relative = 0;
        }
        if (std::size_t at = path.find(kCompanyPlaceholder); at != std::string::npos) {
          if (VAL(s.DITTAOPEN) <= 0) missingContext("ERRORE OPEN FILE - MANCA DITTAOPEN ", number);
          fillPlaceholder(path, at, kCompanyWidth, s.DITTAOPEN);
          s.DITTAOPEN.clear();
        }
        if (std::size_t at = path.find(kTaskPlaceholder); at != std::string::npos) {
          fillPlaceholder(path, at, kTaskPlaceholder.size(), s.NUMEROTASK);
        }
        if (std::size_t at = path.find(kYearPlaceholder); at != std::string::npos) {
          if (VAL(yearOnEntry) <= 0) missingContext("ERRORE OPEN - MANCA ANNO - ", number);
          fillPlaceholder(path, at, kYearWidth, s.ANNOOPEN);
          s.ANNOOPEN.clear();
        }
        if (std::size_t at = path.find(kRegionPlaceholder); at != std::string::npos) {
          if (VAL(s.REGIONEOPEN) <= 0) missingContext("ERRORE OPEN - MANCA REGIONE - ", number);
          fillPlaceholder(path, at, kRegionWidth, s.REGIONEOPEN);
          s.REGIONEOPEN.clear();
        }
        if (std::size_t at = path.find(kProvincePlaceholder); at != std::string::npos) {
          if (s.PROVINCIAOPEN.size() != kProvinceWidth) missingContext("ERRORE OPEN - MANCA PROVINCIA - ", number);
          fillPlaceholder(path, at, kProvinceWidth, s.PROVINCIAOPEN);
          s.PROVINCIAOPEN.clear();
        }
        return relative != 0 ? s.PERARK + "\\" + path : path;
      },
      std::string());
}

double FAIOPEN(double number) {
  REGISTRAPROC("FAIOPEN");
  return guardedValue(
      [&]() -> double {
        if (number <= 0) return 0;
        const int n = fileIndex(number);
        DAMMINUMERO(number);
        std::int16_t relative = -1;
        const std::string path = DAMMIFILE(number, relative);
        State& s = S();
        // A record length the record layer cannot work with stops here, before
        // any read or write could divide by it or write a record of no length.
        if (s.LUNGBASE < 1 || s.LUNGBASE > kMaxRecordLength || s.LUNGBASE != std::floor(s.LUNGBASE)) {
          raiseFailure(err::kBadRecordLength, "il file " + decimalText(number) + " ha in " + kBaseFileName +
                                                  " la lunghezza " + decimalText(s.LUNGBASE));
        }
        const bool standard = isStandardFile(n);
        const auto mode = standard ? platform::OpenMode::kSharedRead : platform::OpenMode::kSharedReadWrite;
        systemCall([&] { platform::openFile(s.NUMEROFILE[n], path, mode); });
        s.BUFFERREC[n] = std::string(static_cast<std::size_t>(s.LUNGBASE), ' ');
        s.LUNGREC[n] = s.LUNGBASE;
        return s.LUNGBASE;
      },
      0.0);
}

double VERBASE(double number) {
  REGISTRAPROC("VERBASE");
  return guardedValue(
      [&]() -> double {
        if (number <= 0) return 0;
        std::int16_t relative = -1;
        const std::string path = DAMMIFILE(number, relative);
        if (path.empty()) return 0;
        const auto length = platform::fileLength(path);
        return length.has_value() && *length > 0 ? 1 : 0;
      },
      0.0);
}

void DAMMINUMERO(double number) {
  const int n = fileIndex(number);
  if (S().NUMEROFILE[n] != 0) CHIUDIFILE(number);
  S().NUMEROFILE[n] = systemCall([&] { return platform::freeHandle(); });
}

void CHIUDIFILE(double number) {
  State& s = S();
  if (number == 0) {
    for (int n = 1; n <= kMaxFileNumber; ++n) {
      if (s.NUMEROFILE[n] != 0) platform::closeHandle(s.NUMEROFILE[n]);
      s.NUMEROFILE[n] = 0;
    }
    return;
  }
  const int n = fileIndex(number);
  if (s.NUMEROFILE[n] != 0) platform::closeHandle(s.NUMEROFILE[n]);
  s.NUMEROFILE[n] = 0;
}

SavedContext::SavedContext(Drive drive)
    : company_(S().DITTAOPEN), year_(S().ANNOOPEN), region_(S().REGIONEOPEN), province_(S().PROVINCIAOPEN) {
  if (drive == kWithDrive) drive_ = S().DRIVEOPEN;
}

void SavedContext::restore() const {
  State& s = S();
  s.DITTAOPEN = company_;
  s.ANNOOPEN = year_;
  s.REGIONEOPEN = region_;
  s.PROVINCIAOPEN = province_;
  if (drive_) s.DRIVEOPEN = *drive_;
}

}  // namespace vt
