#include "sample/sample_installation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "core/dialogs.h"
#include "platform/files.h"
#include "records/companion.h"
#include "records/file_numbers.h"
#include "records/files.h"
#include "records/isam.h"
#include "ui/archives.h"
#include "util/text.h"

namespace vt::sample {
namespace {

namespace fs = std::filesystem;

// --- Record lengths and field positions (see the header's table) ------------

constexpr int kCompanyLength = 512;
constexpr int kSectorLength = 512;
constexpr int kProfileLength = 256;
constexpr int kCompanionLength = 512;
constexpr int kFormulaLength = 128;
constexpr int kFixedDataLength = 256;

constexpr std::size_t kStatusPos = 1;
constexpr const char* kInUse = "00";

// Fields as the archive menu places them (ui/archives.h); the employee
// record's are there.
using Field = RecordField;

constexpr Field kCompanyCode{3, 3};
constexpr Field kCompanyName{6, 30};
constexpr Field kCompanyAddress{36, 30};
constexpr Field kCompanyPostcode{66, 5};
constexpr Field kCompanyTown{71, 25};
constexpr Field kCompanyProvince{96, 2};
constexpr Field kCompanyVat{98, 11};

constexpr Field kFormulaCode{4, 3};
constexpr Field kFormulaDescription{7, 18};
constexpr Field kFormulaText{25, 100};

constexpr Field kSectorCode{381, 4};
constexpr Field kSectorDescription{385, 16};

constexpr Field kFixedDescription{3, 40};
constexpr Field kFixedValue{43, 20};

constexpr Field kProfileCode{3, 3};
constexpr Field kProfileDescription{6, 25};
constexpr Field kProfileContract{31, 30};

// The employee index: keyed by the employee code (records/isam.h).
constexpr auto kIndexKeyLength = static_cast<std::size_t>(kEmployeeCode.length);
constexpr int kIndexLength = static_cast<int>(indexNodeLength(kIndexKeyLength));

// --- WKBASE.DAT rows: number (3), name (29), record length (5), description (40), CR LF.
constexpr std::size_t kRowNumberLength = 3;
constexpr std::size_t kRowNameLength = kBaseTemplateLength;
constexpr std::size_t kRowLengthLength = kBaseRecordLengthLength;
constexpr std::size_t kRowEndLength = std::string_view(kLineEnd).size();
constexpr std::size_t kRowDescriptionLength =
    kBaseRowLength - kRowNumberLength - kRowNameLength - kRowLengthLength - kRowEndLength;

const std::vector<FileRow> kFiles = {
    {kUserCompanyFile, "DITTE.DAT", kCompanyLength, "ARCHIVIO DITTE"},
    {kUserEmployeeFile, "DIPEND.DAT", kSampleEmployeeLength, "ARCHIVIO DIPENDENTI"},
    {kEmployeeIndexFile, "DIPEND.IDX", kIndexLength, "INDICE CODICI DIPENDENTI"},
    {kUserSectorFile, "SETTORI.DAT", kSectorLength, "ARCHIVIO SETTORI"},
    {kSecondEmployeeIndexFile, "DIPEND29.IDX", kIndexLength, "INDICE CODICI DIPENDENTI (29)"},
    {kUserProfileFile, "PROFILI.DAT", kProfileLength, "ARCHIVIO PROFILI"},
    {kCompanionFile, "DIPCOMPL.DAT", kCompanionLength, "COMPLEMENTO DIPENDENTI"},
    {kStandardCompanyFile, "STDDITTE.DAT", kCompanyLength, "STANDARD - DITTE"},
    {kStandardEmployeeFile, "STDDIPEN.DAT", kSampleEmployeeLength, "STANDARD - DIPENDENTI"},
    {kStandardFormulaFile, "STDFORMU.DAT", kFormulaLength, "STANDARD - FORMULE"},
    {kStandardSectorFile, "STDSETTO.DAT", kSectorLength, "STANDARD - SETTORI"},
    {kStandardFixedDataFile, "STDFISSI.DAT", kFixedDataLength, "STANDARD - DATI FISSI"},
    {kStandardProfileFile, "STDPROFI.DAT", kProfileLength, "STANDARD - PROFILI"},
    {kUserFormulaFile, "FORMULE.DAT", kFormulaLength, "ARCHIVIO FORMULE"},
};

// --- Building records ---------------------------------------------------------

void put(std::string& record, Field field, std::string_view value) {
  overwrite(record, static_cast<std::size_t>(field.position), fitRight(value, static_cast<std::size_t>(field.length)));
}

std::string inUse(int length) {
  std::string record(static_cast<std::size_t>(length), ' ');
  overwrite(record, kStatusPos, kInUse);
  return record;
}

std::string freeSlot(int length) {
  std::string record(static_cast<std::size_t>(length), ' ');
  overwrite(record, kStatusPos, kFreeMark);
  return record;
}

std::string recordKey(int record, int width) { return zeroPad(std::to_string(record), static_cast<std::size_t>(width)); }

struct Company {
  const char* name;
  const char* address;
  const char* postcode;
  const char* town;
  const char* province;
  const char* vat;
};

// A company record at `record`; a null name makes a free slot.
std::string companyRecord(int record, const Company& c) {
  if (c.name == nullptr) return freeSlot(kCompanyLength);
  std::string r = inUse(kCompanyLength);
  put(r, kCompanyCode, recordKey(record, kCompanyCode.length));
  put(r, kCompanyName, c.name);
  put(r, kCompanyAddress, c.address);
  put(r, kCompanyPostcode, c.postcode);
  put(r, kCompanyTown, c.town);
  put(r, kCompanyProvince, c.province);
  put(r, kCompanyVat, c.vat);
  return r;
}

struct Employee {
  const char* code;  // null: a free slot
  const char* surname;
  const char* firstName;
  const char* taxCode;
  const char* hired;
  const char* level;
};

std::string employeeRecord(const Employee& e) {
  if (e.code == nullptr) return freeSlot(kSampleEmployeeLength);
  std::string r = inUse(kSampleEmployeeLength);
  put(r, kEmployeeCode, e.code);
  put(r, kEmployeeTaxCode, e.taxCode);
  put(r, kEmployeeHired, e.hired);
  put(r, kEmployeeLevel, e.level);
  put(r, kEmployeeSurname, e.surname);
  put(r, kEmployeeFirstName, e.firstName);
  return r;
}

// A record keyed by its number: code field `code`, description `description`.
struct Keyed {
  const char* description;  // null: a free slot
  const char* extra;
};

std::string keyedRecord(int length, int record, Field code, Field description, Field extraField, const Keyed& k) {
  if (k.description == nullptr) return freeSlot(length);
  std::string r = inUse(length);
  put(r, code, recordKey(record, code.length));
  put(r, description, k.description);
  if (k.extra != nullptr) put(r, extraField, k.extra);
  return r;
}

// --- The sample data ------------------------------------------------------------

const Company kStandardCompanies[] = {
    {"IMPRESA EDILE - MODELLO", "VIA DELL'INDUSTRIA 1", "00100", "ROMA", "RM", "00000000001"},
    {"STUDIO PROFESSIONALE - MODELLO", "PIAZZA GARIBALDI 2", "20121", "MILANO", "MI", "00000000002"},
    {"COMMERCIO AL DETTAGLIO SNC", "CORSO ITALIA 15", "10121", "TORINO", "TO", "00000000003"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"AZIENDA METALMECCANICA SPA", "VIA DEI FABBRI 40", "40121", "BOLOGNA", "BO", "00000000005"},
    {"ALBERGO E RISTORANTE SRL", "LUNGOMARE CAVOUR 8", "47921", "RIMINI", "RN", "00000000006"},
    {"AZIENDA AGRICOLA - MODELLO", "STRADA PROVINCIALE 12", "53100", "SIENA", "SI", "00000000007"},
    {"AUTOTRASPORTI SRL", "VIA EMILIA 230", "43121", "PARMA", "PR", "00000000008"},
};

const Company kUserCompanies[] = {
    {"ROSSI COSTRUZIONI SRL", "VIA ROMA 12", "35121", "PADOVA", "PD", "01234560289"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"BIANCHI & C. SNC", "VIA MAZZINI 3", "37121", "VERONA", "VR", "02345670231"},
    {"FERRAMENTA VERDI SAS", "VIALE EUROPA 77", "36100", "VICENZA", "VI", "03456780244"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

const Employee kStandardEmployees[] = {
    {"0010010001", "ROSSI", "MARIO", "RSSMRA80A01H501U", "20050301", "IMP3LIV"},
    {"0010010005", "BIANCHI", "GIULIA", "BNCGLI85M41F205X", "20100915", "IMP4LIV"},
    {"0030010002", "ESPOSITO", "GIUSEPPE", "SPSGPP78C12F839K", "19990112", "OPE2LIV"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"0040010003", "ROMANO", "FRANCESCA", "RMNFNC90D55L219P", "20150601", "IMP5LIV"},
    {"0010010009", "COLOMBO", "LUCA", "CLMLCU82E10F205Z", "20070402", "OPE3LIV"},
    {"0040010004", "RICCI", "ANNA MARIA", "RCCNMR75T48A944Q", "19981001", "QUADRO"},
    {"0030010005", "MARINO", "PAOLO", "MRNPLA88H20F839R", "20120116", "APPREND"},
    {"0010010010", "GRECO", "ELENA", "GRCLNE92S60G273M", "20180903", "IMP4LIV"},
};

const Employee kUserEmployees[] = {
    {"0010010001", "VERDI", "ANTONIO", "VRDNTN70B15G224E", "19950201", "OPE3LIV"},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"0010010002", "GALLO", "SARA", "GLLSRA86P50G224T", "20090302", "IMP3LIV"},
    {"0030010001", "CONTI", "MARCO", "CNTMRC79L22L781W", "20011105", "IMP2LIV"},
    {"0040010001", "DE LUCA", "CHIARA", "DLCCHR93R62L840B", "20190107", "IMP5LIV"},
};

const Keyed kStandardFormulas[] = {
    {"STRAORDINARIO 25%", "PAGA ORARIA * ORE STRAORDINARIE * 1,25"},
    {"STRAORDINARIO 50%", "PAGA ORARIA * ORE STRAORDINARIE * 1,50"},
    {"INDENNITA TRASFERT", "GIORNI TRASFERTA * 46,48"},
    {nullptr, nullptr},
    {"BUONI PASTO", "GIORNI LAVORATI * 7,00"},
    {"PREMIO PRODUZIONE", "RETRIBUZIONE MENSILE * 0,05"},
    {"LAVORO NOTTURNO", "PAGA ORARIA * ORE NOTTURNE * 0,30"},
};

const Keyed kUserFormulas[] = {
    {"STRAORDINARIO 30%", "PAGA ORARIA * ORE STRAORDINARIE * 1,30"},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {"BUONI PASTO", "GIORNI LAVORATI * 5,29"},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
};

const Keyed kStandardSectors[] = {
    {"EDILIZIA", nullptr},   {"METALMECCANICO", nullptr}, {"COMMERCIO", nullptr},
    {"TURISMO", nullptr},    {nullptr, nullptr},          {"TRASPORTI", nullptr},
    {"AGRICOLTURA", nullptr}, {"STUDI PROFESS.", nullptr},
};

const Keyed kUserSectors[] = {
    {"EDILIZIA", nullptr}, {nullptr, nullptr}, {"COMMERCIO", nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
    {nullptr, nullptr},    {nullptr, nullptr}, {nullptr, nullptr},
};

const Keyed kStandardProfiles[] = {
    {"IMPIEGATO 1 LIVELLO", "CCNL COMMERCIO"},
    {"IMPIEGATO 4 LIVELLO", "CCNL COMMERCIO"},
    {"OPERAIO QUALIFICATO", "CCNL METALMECCANICI INDUSTRIA"},
    {"APPRENDISTA", "CCNL EDILIZIA INDUSTRIA"},
    {nullptr, nullptr},
    {"QUADRO", "CCNL COMMERCIO"},
    {"CAMERIERE DI SALA", "CCNL TURISMO"},
};

const Keyed kUserProfiles[] = {
    {"IMPIEGATO 3 LIVELLO", "CCNL COMMERCIO"},
    {nullptr, nullptr},
    {"OPERAIO COMUNE", "CCNL EDILIZIA INDUSTRIA"},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
};

struct FixedDatum {
  const char* description;
  const char* value;
};

const FixedDatum kFixedData[] = {
    {"ALIQUOTA CONTRIBUTIVA INPS DIPENDENTE", "9,19"},
    {"MINIMALE GIORNALIERO INPS", "56,87"},
    {"TASSO LEGALE TFR", "1,50"},
    {"ADDIZIONALE REGIONALE VENETO", "1,23"},
};

// --- Writing --------------------------------------------------------------------

void writeFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + platform::nativeText(file));
}

template <class Item, std::size_t N, class Make>
std::string archive(const Item (&items)[N], Make make) {
  std::string bytes;
  for (std::size_t i = 0; i < N; ++i) bytes += make(static_cast<int>(i + 1), items[i]);
  return bytes;
}

std::string baseTable() {
  std::string blankRow = std::string(kBaseRowLength - kRowEndLength, ' ') + kLineEnd;
  std::string table;
  for (int n = 1; n <= kFiles.back().number; ++n) {
    auto row = std::find_if(kFiles.begin(), kFiles.end(), [n](const FileRow& f) { return f.number == n; });
    if (row == kFiles.end()) {
      table += blankRow;
      continue;
    }
    std::string length = std::to_string(row->recordLength);
    length = std::string(kRowLengthLength - std::min(length.size(), kRowLengthLength), ' ') + length;
    table += zeroPad(std::to_string(n), kRowNumberLength) + fitRight(row->name, kRowNameLength) + length +
             fitRight(row->description, kRowDescriptionLength) + kLineEnd;
  }
  return table;
}

// The index holding `employees` (sorted) as the first insertions into an
// empty index leave it: the root, one second-level node and one leaf; or an
// empty root.
std::string employeeIndex(const std::vector<RegisteredEmployee>& employees) {
  if (employees.empty()) return indexNodeText(kIndexKeyLength, kIndexRootLevel, {});
  std::string leaf;
  for (const RegisteredEmployee& e : employees) leaf += indexEntryText(e.code, kIndexLeafLevel, e.record);
  const std::string& first = employees.front().code;
  return indexNodeText(kIndexKeyLength, kIndexRootLevel, indexEntryText(first, kIndexRootLevel, kIndexFirstBranchRecord)) +
         indexNodeText(kIndexKeyLength, kIndexBranchLevel,
                       indexEntryText(first, kIndexBranchLevel, kIndexFirstLeafRecord)) +
         indexNodeText(kIndexKeyLength, kIndexLeafLevel, leaf);
}

// The native folder of a suite path "C:\A\B" under `drivesRoot`.
fs::path onDrive(const std::string& drivesRoot, std::string_view suitePath) {
  std::string path(suitePath);
  std::replace(path.begin(), path.end(), '\\', '/');
  return platform::fileSystemPath(drivesRoot) / std::string(1, path[0]) / path.substr(3);
}

}  // namespace

const std::vector<FileRow>& sampleFiles() { return kFiles; }

std::vector<RegisteredEmployee> registeredEmployees() {
  std::vector<RegisteredEmployee> registered;
  int record = 0;
  for (const Employee& e : kUserEmployees) {
    ++record;
    if (e.code != nullptr) registered.push_back({e.code, record});
  }
  std::sort(registered.begin(), registered.end(),
            [](const RegisteredEmployee& a, const RegisteredEmployee& b) { return a.code < b.code; });
  return registered;
}

void createSampleInstallation(const std::string& drivesRoot, const std::string& configFolder) {
  const fs::path archives = onDrive(drivesRoot, kArchivesDirectory);
  if (fs::exists(archives / kBaseFileName)) {
    throw std::runtime_error("an installation is already there: " + platform::nativeText(archives / kBaseFileName));
  }
  writeFile(onDrive(drivesRoot, "C:\\PWELKIN\\WKPERARK.WKP"), std::string(kArchivesDirectory) + kLineEnd);
  writeFile(onDrive(drivesRoot, "C:\\PWELKIN\\WKPERPRO.WKP"), std::string(kProgramsDirectory) + kLineEnd);
  writeFile(onDrive(drivesRoot, "C:\\TARNIX\\TARNIX.INI"), std::string(kTaskNumber) + " VTMERV" + kLineEnd);
  writeFile(onDrive(drivesRoot, kProgramsDirectory) / "LEGGIMI.TXT",
            std::string("Cartella dei programmi della suite Tessaro.") + kLineEnd);
  writeFile(platform::fileSystemPath(configFolder) / "VELTRANI" / "TESSARO.conf",
            std::string("[General]") + kLineEnd + "PERCORSOARCHIVI=" + kArchivesDirectory + kLineEnd +
                "PERCORSOPROGRAMMI=" + kProgramsDirectory + kLineEnd);

  auto company = [](int record, const Company& c) { return companyRecord(record, c); };
  auto employee = [](int, const Employee& e) { return employeeRecord(e); };
  auto companion = [](int, const Employee& e) { return companionRecord(employeeRecord(e), kCompanionLength); };
  auto formula = [](int record, const Keyed& k) {
    return keyedRecord(kFormulaLength, record, kFormulaCode, kFormulaDescription, kFormulaText, k);
  };
  auto sector = [](int record, const Keyed& k) {
    return keyedRecord(kSectorLength, record, kSectorCode, kSectorDescription, kSectorDescription, k);
  };
  auto profile = [](int record, const Keyed& k) {
    return keyedRecord(kProfileLength, record, kProfileCode, kProfileDescription, kProfileContract, k);
  };
  auto fixed = [](int, const FixedDatum& d) {
    std::string r = inUse(kFixedDataLength);
    put(r, kFixedDescription, d.description);
    put(r, kFixedValue, d.value);
    return r;
  };

  auto file = [&](int number) { return archives / std::find_if(kFiles.begin(), kFiles.end(), [number](const FileRow& f) {
                                                   return f.number == number;
                                                 })->name; };
  writeFile(archives / kBaseFileName, baseTable());
  writeFile(file(kUserCompanyFile), archive(kUserCompanies, company));
  writeFile(file(kUserEmployeeFile), archive(kUserEmployees, employee));
  writeFile(file(kEmployeeIndexFile), employeeIndex(registeredEmployees()));
  writeFile(file(kUserSectorFile), archive(kUserSectors, sector));
  writeFile(file(kSecondEmployeeIndexFile), employeeIndex({}));
  writeFile(file(kUserProfileFile), archive(kUserProfiles, profile));
  writeFile(file(kCompanionFile), archive(kUserEmployees, companion));
  writeFile(file(kStandardCompanyFile), archive(kStandardCompanies, company));
  writeFile(file(kStandardEmployeeFile), archive(kStandardEmployees, employee));
  writeFile(file(kStandardFormulaFile), archive(kStandardFormulas, formula));
  writeFile(file(kStandardSectorFile), archive(kStandardSectors, sector));
  writeFile(file(kStandardFixedDataFile), archive(kFixedData, fixed));
  writeFile(file(kStandardProfileFile), archive(kStandardProfiles, profile));
  writeFile(file(kUserFormulaFile), archive(kUserFormulas, formula));
}

}  // namespace vt::sample
