// Where the suite is installed, and the task the program runs in.
//
// Sources, in order of precedence:
//   1. the registry key "SOFTWARE\VELTRANI\TESSARO" of the current user, text
//      values "PERCORSOARCHIVI" (archives directory) and "PERCORSOPROGRAMMI"
//      (programs directory); on other systems its stand-in, the settings file
//      VELTRANI/TESSARO.conf of the user's configuration folder
//      (platform/registry.h);
//   2. the path files "C:\PWELKIN\WKPERARK.WKP" and "C:\PWELKIN\WKPERPRO.WKP",
//      whose first line, blanks trimmed, is the directory.
//
// Task file: "C:\TARNIX\TARNIX.INI" for a program whose name begins with "VT"
// (this one), "C:\PWELKIN\WKCOMUNE.WKP" for any other. Its first line begins
// with the task number in characters 1 and 2; the task manager writes it
// before it starts the program, and the program rewrites it at its normal end
// as one line: the task number over 100 blanks, then carriage return and line
// feed. Every text file's first line ends at CR LF or LF, neither kept.
//
// The fixed paths are the suite's Windows paths; the platform layer maps
// their drive letter under the drives root (platform/files.h).
//
// Each of these files is read only when it is a regular file of at most
// kConfigurationFileLimit bytes (the settings file: platform/registry.h);
// anything else there is the configuration error, its box naming the file.
#pragma once

#include <cstddef>
#include <string>

#include "core/program_end.h"
#include "platform/registry.h"

namespace vt {

inline constexpr const char* kSuiteRegistryKey = "SOFTWARE\\VELTRANI\\TESSARO";
inline constexpr const char* kArchivesValueName = "PERCORSOARCHIVI";
inline constexpr const char* kProgramsValueName = "PERCORSOPROGRAMMI";

inline constexpr const char* kArchivesPathFile = "C:\\PWELKIN\\WKPERARK.WKP";
inline constexpr const char* kProgramsPathFile = "C:\\PWELKIN\\WKPERPRO.WKP";
inline constexpr const char* kTaskFileOfVtPrograms = "C:\\TARNIX\\TARNIX.INI";
inline constexpr const char* kTaskFileOfOtherPrograms = "C:\\PWELKIN\\WKCOMUNE.WKP";

// Task file line: the task number in characters 1-2, the whole line rewritten
// 100 characters long, then the line end (kLineEnd).
inline constexpr std::size_t kTaskNumberLength = 2;
inline constexpr std::size_t kTaskLineLength = 100;
// The most a task file or a path file may hold: their one line is short.
inline constexpr std::size_t kConfigurationFileLimit = 4096;

// The box of a broken installation.
inline constexpr const char* kConfigurationErrorTitle = "Tessaro";
inline constexpr const char* kConfigurationErrorText =
    "ERRORE DI CONFIGURAZIONE! CONTROLLARE I PERCORSI DI Tessaro CON IL PROGRAMMA VTPERCORSO";

// Loads PERARK, PERPRO and NUMEROTASK from the registry. Ends the program at
// once, silently, when another copy is running. Leaves PERARK, PERPRO and
// NUMEROTASK as they were when either registry value is absent or names
// nothing that exists (the path files are then the source). Trail name
// "CARICAPERCORSI"; failures go to the trap.
void CARICAPERCORSI();

// Loads PERARK, PERPRO and NUMEROTASK from the path files. Ends the program
// at once, silently, when another copy is running; shows the configuration
// error and ends the program at once when a path file is missing, is no
// regular file, is too long, or its first line is blank. Trail name
// "CARICAPERCORSI"; failures go to the trap.
void CARICAPERCORSIWKP();

// The two loads above without the second-copy check, for the suite's
// console tools, which may run beside the program and beside each other.
void pathsFromRegistry();
void pathsFromPathFiles();

// Rewrites the task file, when it exists, as the single task line (written
// beside it and renamed over it, so it is never left missing or half
// written), closes every file and ends the program normally, with `status`
// (kOperatorEnd but after a message that ends the run). Records nothing.
[[noreturn]] void FINETASK(ExitStatus status = ExitStatus::kOperatorEnd);

// The value `valueName` of key `keyPath` under `root`, as text; "" when the
// key or the value is absent or unreadable. Never fails, but a settings file
// the stand-in refuses is the configuration error naming it.
std::string LEGGIREGISTRO(platform::RegistryKey root, const std::string& keyPath, const std::string& valueName);

// The value `valueName` of the open key `key`: a text value up to its first
// NUL, a 32-bit number as its decimal digits, "" for any other type or on any
// failure.
std::string LEGGIVALORE(platform::RegistryKey key, const std::string& valueName);

// True when the file at `path` can be opened for shared reading (it is
// closed again at once); a refused open is false, never a failure.
bool ESISTEFILE(const std::string& path);

// The task file of the program named NOMEPROGRAMMA.
std::string taskFile();

// Sets NUMEROTASK from the first line of the task file: its first two
// characters, blanks trimmed; empty when the file is absent. An unreadable
// task file is a failure; one that is no regular file or is too long, the
// configuration error.
void readTaskNumber();

}  // namespace vt
