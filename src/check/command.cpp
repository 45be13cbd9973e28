// The command line of vtmerv-check over the check library.
#include <chrono>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "check/check.h"
#include "core/state.h"
#include "platform/files.h"
#include "util/text.h"

#ifndef VTMERV_VERSION
#define VTMERV_VERSION "?"
#endif

namespace vt::check {
namespace {

constexpr const char* kProgramName = "VTMERV-CHECK";
// Archives of more records than this get a progress line on a terminal.
constexpr double kProgressFrom = 10000;

constexpr const char* kUsage =
    "uso: vtmerv-check [verifica|ripara|elenco] [--indice N --archivio M] [--archivi CARTELLA]\n"
    "                  [--attesa SECONDI]\n"
    "\n"
    "Controlla l'indice dei dipendenti (file 7) contro l'archivio dei dipendenti (file 2)\n"
    "della suite Tessaro, tenendo il semaforo della task.\n"
    "\n"
    "  verifica   (predefinito) legge indice e archivio e ne elenca i danni; non scrive nulla\n"
    "  ripara     copia l'indice in <nome>.<aaaammgg-hhmmss>.bak e lo ricostruisce\n"
    "             dai codici dell'archivio; rifiuta se due record in uso hanno lo stesso\n"
    "             codice o un codice non indicizzabile, o se un record in uso \xE8 scritto a met\xE0\n"
    "  elenco     i codici dell'indice e i loro numeri di record, in ordine di chiave\n"
    "\n"
    "  --indice N --archivio M   un altro indice e il suo archivio (file della tabella WKBASE.DAT)\n"
    "  --archivi CARTELLA        la cartella degli archivi, invece di quella dell'installazione\n"
    "  --attesa SECONDI          mentre un altro programma tiene il semaforo, attende al pi\xF9\n"
    "                            SECONDI secondi (predefinito: finch\xE9 non si libera)\n"
    "  --help, --version\n"
    "\n"
    "Stato di uscita: 0 nessun danno, 1 danni trovati (o riparazione rifiutata),\n"
    "2 impossibile eseguire (installazione o file mancanti o illeggibili, semaforo non libero\n"
    "entro il tempo di --attesa).\n";

// A Windows-1252 text as the console shows it: UTF-8 here (the codes 128 to
// 159 as "?"), unchanged on Windows, where the program's standard streams
// take Windows-1252 (platform/console.h).
std::string forConsole(const std::string& text) {
#ifdef _WIN32
  return text;
#else
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out += c;
    } else if (u < 0xA0) {
      out += '?';
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
#endif
}

struct Arguments {
  std::string command = "verifica";
  Files files;
  std::string archives;
  std::optional<std::chrono::seconds> waitLimit;
  bool help = false;
  bool version = false;
};

// A whole file number from 1 to 600, or nothing.
std::optional<double> fileNumber(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 3) return {};
  double n = std::stod(text);
  if (n < 1 || n > kMaxFileNumber) return {};
  return n;
}

// Parses `args`; the error's text, or nothing.
std::optional<std::string> parse(const std::vector<std::string>& args, Arguments& a) {
  bool commandSeen = false;
  bool pairChosen = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--version") {
      a.version = true;
    } else if (arg == "--indice" || arg == "--archivio" || arg == "--archivi" || arg == "--attesa") {
      if (i + 1 >= args.size()) return "manca il valore di " + arg;
      const std::string& value = args[++i];
      if (arg == "--archivi") {
        a.archives = value;
        continue;
      }
      if (arg == "--attesa") {
        if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos) {
          return "numero di secondi non valido per --attesa: " + value;
        }
        a.waitLimit = std::chrono::seconds(std::stol(value));
        continue;
      }
      std::optional<double> n = fileNumber(value);
      if (!n) return "numero di file non valido per " + arg + ": " + value;
      (arg == "--indice" ? a.files.index : a.files.archive) = *n;
      pairChosen = true;
    } else if (!commandSeen && (arg == "verifica" || arg == "ripara" || arg == "elenco")) {
      a.command = arg;
      commandSeen = true;
    } else {
      return "argomento non riconosciuto: " + arg;
    }
  }
  // The companion file belongs to the employee archive only.
  if (pairChosen && a.files.archive != Files{}.archive) a.files.companion = 0;
  return std::nullopt;
}

std::string percent(double done, double total) {
  return std::to_string(static_cast<int>(total > 0 ? std::floor(done * 100 / total) : 100)) + "%";
}

void printFindings(const Report& report, std::ostream& out) {
  for (const Finding& f : report.findings) out << (f.damage ? "DANNO: " : "AVVISO: ") << forConsole(f.text) << '\n';
}

void printSummary(const Report& report, const Files& files, std::ostream& out) {
  std::size_t damages = 0;
  for (const Finding& f : report.findings) damages += f.damage ? 1 : 0;
  out << "Indice " << decimalText(files.index) << ", archivio " << decimalText(files.archive) << ": "
      << decimalText(report.archiveRecords) << " record, " << decimalText(report.recordsInUse) << " in uso, "
      << decimalText(report.indexCodes) << " codici nell'indice.\n";
  if (damages == 0) {
    out << "Nessun danno trovato.\n";
  } else {
    out << damages << (damages == 1 ? " danno trovato" : " danni trovati")
        << ": \"vtmerv-check ripara\" ricostruisce l'indice.\n";
  }
}

void printRepair(const RepairResult& result, const Files& files, std::ostream& out) {
  printFindings(result.before, out);
  for (const std::string& leftover : result.removed) out << "rimosso " << forConsole(leftover) << '\n';
  if (result.refused) {
    out << forConsole("Riparazione rifiutata: nessun file \xE8 stato modificato. Correggere prima l'archivio " +
                      decimalText(files.archive) + " (codici doppi o non indicizzabili, record scritti a met\xE0: elencati sopra).\n");
    return;
  }
  if (!result.replaced) {
    out << "Nessun danno trovato: nulla da riparare.\n";
    return;
  }
  std::size_t added = 0, removed = 0, repointed = 0;
  for (const KeyChange& c : result.changes) {
    switch (c.what) {
      case KeyChange::What::kAdded:
        ++added;
        out << "aggiunto " << forConsole(c.code) << " -> record " << decimalText(c.newRecord) << '\n';
        break;
      case KeyChange::What::kRemoved:
        ++removed;
        out << "rimosso " << forConsole(c.code) << " (puntava al record " << decimalText(c.oldRecord) << ")\n";
        break;
      case KeyChange::What::kRepointed:
        ++repointed;
        out << "ripuntato " << forConsole(c.code) << " dal record " << decimalText(c.oldRecord) << " al record "
            << decimalText(c.newRecord) << '\n';
        break;
    }
  }
  out << "Indice ricostruito: " << added << " codici aggiunti, " << removed << " rimossi, " << repointed
      << " ripuntati. Copia di sicurezza: " << forConsole(platform::nativePath(result.backup)) << '\n';
  out << (result.rewrittenInPlace
              ? forConsole("L'indice era aperto da un altro programma: il nuovo indice \xE8 stato scritto nel file "
                           "stesso, riletto e verificato.\n")
              : "Il nuovo indice ha preso il posto del vecchio.\n");
}

}  // namespace

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal) {
  Arguments a;
  if (std::optional<std::string> problem = parse(args, a)) {
    err << "vtmerv-check: " << forConsole(*problem) << "\n\n" << kUsage;
    return kExitCannotRun;
  }
  if (a.help) {
    out << kUsage;
    return kExitClean;
  }
  if (a.version) {
    out << "vtmerv-check " << VTMERV_VERSION << '\n';
    return kExitClean;
  }

  resetState();
  S().NOMEPROGRAMMA = kProgramName;
  S().NOMEPROGETTO = kProgramName;
  bool progressShown = false;
  Progress progress;
  if (terminal) {
    progress = [&](const std::string& pass, double done, double total) {
      if (total <= kProgressFrom) return;
      err << '\r' << pass << ": record " << decimalText(done) << " di " << decimalText(total) << " ("
          << percent(done, total) << ")   " << std::flush;
      progressShown = true;
    };
  }
  auto endProgress = [&] {
    if (progressShown) err << '\n';
    progressShown = false;
  };

  // A wait for the semaphore is told on the error stream, for this run only.
  struct WaitTold {
    WaitTold(std::ostream& err, std::optional<std::chrono::seconds> limit) {
      setSemaphoreWait([&err](const std::string& line) { err << "vtmerv-check: " << forConsole(line) << std::endl; },
                       limit);
    }
    ~WaitTold() { setSemaphoreWait({}); }
  } waitTold(err, a.waitLimit);
  try {
    findInstallation(a.archives);
    if (a.command == "elenco") {
      IndexWalk walk = list(a.files);
      for (const IndexEntry& e : walk.entries) out << forConsole(e.key) << '\t' << decimalText(e.record) << '\n';
      for (const IndexFault& f : walk.faults) err << "DANNO: " << forConsole(describe(f, "indice")) << '\n';
      return walk.faults.empty() ? kExitClean : kExitDamaged;
    }
    if (a.command == "ripara") {
      RepairResult result = repair(a.files, progress);
      endProgress();
      printRepair(result, a.files, out);
      return result.exitStatus();
    }
    Report report = verify(a.files, progress);
    endProgress();
    printFindings(report, out);
    printSummary(report, a.files, out);
    return report.exitStatus();
  } catch (const CannotRun& problem) {
    endProgress();
    err << "vtmerv-check: " << forConsole(problem.what()) << '\n';
    return kExitCannotRun;
  } catch (const std::exception& unexpected) {
    // A fault of this program, not of the files: said as such, exit 2.
    endProgress();
    err << "vtmerv-check: errore interno: " << forConsole(unexpected.what()) << '\n';
    return kExitCannotRun;
  }
}

}  // namespace vt::check
