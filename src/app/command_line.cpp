#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

namespace vt::app {
namespace {

void print(std::FILE* stream, const QString& text) { std::fputs(text.toLocal8Bit().constData(), stream); }

}  // namespace

std::optional<int> handleCommandLine(int& argc, char** argv) {
  // A console application of its own, gone before the windows' one starts.
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vtmerv"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VTMERV_VERSION));

  // Qt's Italian texts for the parser's own words ("Uso", "Opzioni").
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qtTexts);
  }

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "VTMERV - GESTIONE ARCHIVI STANDARD della suite Tessaro: copia i record scelti\n"
      "dagli archivi standard negli archivi dell'utente. Non accetta altri argomenti:\n"
      "trova l'installazione della suite nel file di impostazioni\n"
      "$XDG_CONFIG_HOME/VELTRANI/TESSARO.conf o nei file dei percorsi della suite\n"
      "(vedere man vtmerv)."));
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
