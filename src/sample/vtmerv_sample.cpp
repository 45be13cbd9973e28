// vtmerv-sample FOLDER: writes a complete sample installation of the suite
// into FOLDER, to be used with TESSARO_DRIVES=FOLDER and
// XDG_CONFIG_HOME=FOLDER/config.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "sample/sample_installation.h"

int main(int argc, char** argv) {
  // The folder, and what is written about it, in Windows-1252 whatever the
  // system's code page (platform/console.h).
  const vt::platform::StandardText text;
  const std::vector<std::string> arguments = vt::platform::commandArguments(argc, argv);
  if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-') {
    std::cerr << "uso: vtmerv-sample CARTELLA\n"
                 "Crea nella CARTELLA un'installazione di prova della suite Tessaro;\n"
                 "avviare poi vtmerv con TESSARO_DRIVES=CARTELLA e XDG_CONFIG_HOME=CARTELLA/config.\n";
    return 2;
  }
  const std::string& folder = arguments[0];
  try {
    vt::sample::createSampleInstallation(folder, folder + "/config");
  } catch (const std::exception& failure) {
    std::cerr << "vtmerv-sample: " << failure.what() << '\n';
    return 1;
  }
  std::cout << "Installazione di prova creata in " << folder << '\n';
  return 0;
}
