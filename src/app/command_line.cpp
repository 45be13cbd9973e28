#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "app/qt_italian.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vt::app {
namespace {

#ifdef _WIN32
// A window program gets no console of its own: when its standard streams lead
// nowhere, it writes to the console of the command that started it, if any.
void reachConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::FILE* ignored = nullptr;
  freopen_s(&ignored, "CONOUT$", "w", stdout);
  freopen_s(&ignored, "CONOUT$", "w", stderr);
}

// Where the program finds the suite's installation, and where to read more.
constexpr const char* kInstallationSettings =
    "nel registro, chiave\nHKEY_CURRENT_USER\\SOFTWARE\\VELTRANI\\TESSARO, o nei file dei percorsi della\n"
    "suite (vedere vtmerv-README.txt nella cartella del programma).";
#else
void reachConsole() {}

constexpr const char* kInstallationSettings =
    "nel file di impostazioni\n$XDG_CONFIG_HOME/VELTRANI/TESSARO.conf o nei file dei percorsi della suite\n"
    "(vedere man vtmerv).";
#endif

void print(std::FILE* stream, const QString& text) {
  reachConsole();
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}

}  // namespace

std::optional<int> handleCommandLine(int& argc, char** argv) {
  // A console application of its own, gone before the windows' one starts.
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vtmerv"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VTMERV_VERSION));

  installQtItalian();

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("VTMERV - GESTIONE ARCHIVI STANDARD della suite Tessaro: copia i record scelti\n"
                     "dagli archivi standard negli archivi dell'utente. Non accetta altri argomenti:\n"
                     "trova l'installazione della suite %1")
          .arg(QString::fromLatin1(kInstallationSettings)));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Mostra questo aiuto ed esce."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Mostra la versione ed esce."));
  parser.addOption(help);
  parser.addOption(version);

  QString wrong;
  if (!parser.parse(QCoreApplication::arguments())) {
    wrong = parser.errorText();
  } else if (!parser.positionalArguments().isEmpty()) {
    wrong = QStringLiteral("Argomento non previsto: %1.").arg(parser.positionalArguments().constFirst());
  }
  if (!wrong.isEmpty()) {
    print(stderr, QStringLiteral("vtmerv: %1\nUsare vtmerv --help per l'aiuto.\n").arg(wrong));
    return 2;
  }
  if (parser.isSet(help)) {
    print(stdout, parser.helpText());
    return 0;
  }
  if (parser.isSet(version)) {
    print(stdout, QStringLiteral("vtmerv %1\n").arg(QCoreApplication::applicationVersion()));
    return 0;
  }
  return std::nullopt;
}

}  // namespace vt::app
