#include "repository/repository.h"

#include <array>
#include <limits>
#include <string_view>

#include "core/dialogs.h"
#include "core/failure.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "repository/descriptors.h"
#include "util/text.h"

namespace vt {
namespace {

// ---------------------------------------------------------------------------
// Record variables: each names the record buffer of its record type.

struct RecordVariable {
  std::string_view name;
  std::string State::*buffer;
};

constexpr std::array<RecordVariable, 24> kRecordVariables = {{
    {"DITX$", &State::DITX}, {"DIPX$", &State::DIPX}, {"DI2X$", &State::DI2X}, {"CUDX$", &State::CUDX},
    {"DICX$", &State::DICX}, {"ARTX$", &State::ARTX}, {"COCX$", &State::COCX}, {"CONX$", &State::CONX},
    {"FISX$", &State::FISX}, {"FOTX$", &State::FOTX}, {"PARX$", &State::PARX}, {"PERX$", &State::PERX},
    {"PROX$", &State::PROX}, {"SETX$", &State::SETX}, {"STUX$", &State::STUX}, {"M77X$", &State::M77X},
    {"F24X$", &State::F24X}, {"FOPX$", &State::FOPX}, {"STOX$", &State::STOX}, {"GLAX$", &State::GLAX},
    {"GLCX$", &State::GLCX}, {"SCRX$", &State::SCRX}, {"SCRY$", &State::SCRY}, {"SCRU$", &State::SCRU},
}};

constexpr const char* kUnknownRecordVariableMessage = "ERRORE REPOSITORY - STRCOSTANTE";
constexpr const char* kUnknownCodeLetterMessage = "ERRORE REPOSITORY - LETTERA SCONOSCIUTA";
constexpr std::string_view kTrailName = "RepoR";

// The record buffer named by `name`. A name that is no record variable shows
// its message and ends the program at once.
const std::string& recordBuffer(std::string_view name) {
  for (const RecordVariable& variable : kRecordVariables) {
    if (variable.name == name) return S().*variable.buffer;
  }
  dialogs().message(kUnknownRecordVariableMessage, Buttons::kOk, Icon::kNone, kDefaultTitle);
  endProgram(EndReason::kAtOnce, ExitStatus::kFailure);
}

// ---------------------------------------------------------------------------
// Repeating groups. Occurrence k of a field in a repeating group lies
// (k - 1) group widths after the first occurrence. Which positions belong to
// a group is a band of positions first..last, for some groups repeated
// `count` times every `stride` positions.

struct GroupBand {
  int first;
  int last;
  int count;
  int stride;
  std::int16_t width;
};

constexpr int kLastPosition = 99999;  // the largest 5-digit position

// DICX$: every position after 100.
constexpr std::array<GroupBand, 1> kDicxBands = {{{101, kLastPosition, 1, 0, 10}}};
// CONX$.
constexpr std::array<GroupBand, 1> kConxBands = {{{101, 390, 1, 0, 290}}};
// M77X$: two bands of the same group width.
constexpr std::array<GroupBand, 2> kM77xBands = {{{256, 510, 1, 0, 255}, {3316, 3570, 1, 0, 255}}};
// F24X$, tried in this order: 21 bands of 24 positions from 1077 (every 152,
// the last 4117..4140) and 21 single positions from 5094 (every 16, the last 5414).
constexpr std::array<GroupBand, 8> kF24xBands = {{
    {42, 66, 1, 0, 36},
    {762, 813, 1, 0, 63},
    {1077, 1100, 21, 152, 35},
    {4359, 4398, 1, 0, 51},
    {4824, 4867, 1, 0, 55},
    {5000, 5000, 1, 0, 4},
    {5094, 5094, 21, 16, 4},
    {5483, 5483, 1, 0, 2},
}};

// DI2X$: the group is told by the code's number, the three characters after
// the code letter "I" (searched from character 4, past the "I" of "DI2X$").
constexpr std::size_t kDi2xLetterSearchFrom = 4;
constexpr char kDi2xCodeLetter = 'I';
constexpr std::size_t kDi2xCodeNumberWidth = 3;
constexpr double kDi2xFirstRepeatingCode = 100;
constexpr std::int16_t kDi2xGroupWidth = 714;

// A value of 16-bit arithmetic; outside -32768..32767 it is failure 6.
std::int16_t sixteenBit(long value) {
  if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
    raiseFailure(err::kOverflow);
  }
  return static_cast<std::int16_t>(value);
}

// (k - 1) x width, in 16-bit arithmetic.
std::int16_t groupShift(std::int16_t occurrence, std::int16_t width) {
  const std::int16_t previous = sixteenBit(long{occurrence} - 1);
  return sixteenBit(long{previous} * width);
}

template <std::size_t N>
std::int16_t bandShift(const std::array<GroupBand, N>& bands, int position, std::int16_t occurrence) {
  for (const GroupBand& band : bands) {
    for (int i = 0; i < band.count; ++i) {
      const int offset = i * band.stride;
      if (position >= band.first + offset && position <= band.last + offset) {
        return groupShift(occurrence, band.width);
      }
    }
  }
  return 0;
}

std::int16_t di2xShift(const std::string& descriptor, std::int16_t occurrence) {
  const std::size_t letter = descriptor.find(kDi2xCodeLetter, kDi2xLetterSearchFrom - 1);
  if (letter == std::string::npos) {
    dialogs().message(kUnknownCodeLetterMessage, Buttons::kOk, Icon::kNone, kDefaultTitle);
    return 0;
  }
  const double codeNumber = VAL(MID(descriptor, letter + 2, kDi2xCodeNumberWidth));
  if (codeNumber < kDi2xFirstRepeatingCode) return 0;
  return groupShift(occurrence, kDi2xGroupWidth);
}

// ---------------------------------------------------------------------------
// Decoding of the characters taken from the record.

std::string decode(std::string raw, const FieldDescriptor& d) {
  if (!d.isNumber()) return raw;
  std::string sign;
  const std::size_t minus = raw.find('-');
  if (minus != std::string::npos) {
    raw[minus] = '0';
    sign = "-";
  }
  if (d.decimals() > 0) {
    // The point goes by the descriptor's length, even when fewer characters were taken.
    const auto whole = static_cast<std::size_t>(d.length - d.decimals());
    raw = LEFT(raw, whole) + "." + MID(raw, whole + 1);
  }
  return sign + raw;
}

std::string readField(const std::string& descriptor, std::int16_t occurrence, const std::string& record) {
  const std::int16_t shift = RepoSpostamento(descriptor, occurrence);
  const FieldDescriptor d = parseDescriptor(descriptor);
  const long start = long{d.position} + shift;
  if (start < 1) {
    raiseFailure(err::kInvalidCall, "il campo \"" + descriptor + "\" dell'occorrenza " +
                                        std::to_string(occurrence) + " comincia alla posizione " +
                                        std::to_string(start));
  }
  const std::string& source = record.empty() ? recordBuffer(d.recordVariable) : record;
  return decode(MID(source, static_cast<std::size_t>(start), static_cast<std::size_t>(d.length)), d);
}

}  // namespace

std::string RepoR(const std::string& descriptor, std::int16_t occurrence, const std::string& record) {
  for (;;) {
    try {
      return readField(descriptor, occurrence, record);
    } catch (const RuntimeFailure& failure) {
      REGISTRAPROC(kTrailName);
      if (GESTIONEERRORE(failure) == TrapOutcome::kSkip) return {};
    }
  }
}

double RepoRNum(const std::string& descriptor, std::int16_t occurrence, const std::string& record) {
  return VAL(RepoR(descriptor, occurrence, record));
}

std::int16_t RepoSpostamento(const std::string& descriptor, std::int16_t occurrence) {
  if (occurrence == 0) return 0;
  const FieldDescriptor d = parseDescriptor(descriptor);
  const std::string_view variable = d.recordVariable;
  if (variable == "DICX$") return bandShift(kDicxBands, d.position, occurrence);
  if (variable == "DI2X$") return di2xShift(descriptor, occurrence);
  if (variable == "CONX$") return bandShift(kConxBands, d.position, occurrence);
  if (variable == "M77X$") return bandShift(kM77xBands, d.position, occurrence);
  if (variable == "F24X$") return bandShift(kF24xBands, d.position, occurrence);
  return 0;
}

}  // namespace vt
