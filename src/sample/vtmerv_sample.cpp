// vtmerv-sample FOLDER: writes a complete sample installation of the suite
// into FOLDER, to be used with TESSARO_DRIVES=FOLDER and
// XDG_CONFIG_HOME=FOLDER/config.
#include <cstdio>
#include <exception>
#include <string>

#include "sample/sample_installation.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).empty() || argv[1][0] == '-') {
    std::fprintf(stderr,
                 "uso: vtmerv-sample CARTELLA\n"
                 "Crea nella CARTELLA un'installazione di prova della suite Tessaro;\n"
                 "avviare poi vtmerv con TESSARO_DRIVES=CARTELLA e XDG_CONFIG_HOME=CARTELLA/config.\n");
    return 2;
  }
  const std::string folder = argv[1];
  try {
    vt::sample::createSampleInstallation(folder, folder + "/config");
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "vtmerv-sample: %s\n", failure.what());
    return 1;
  }
  std::printf("Installazione di prova creata in %s\n", folder.c_str());
  return 0;
}
