// The folders the program keeps its files in. Every folder path ends in "/".
//
// User data folder: $XDG_DATA_HOME (default $HOME/.local/share) +
// "/R730-VXT-1K Gaming Mouse/"; one device folder below it per device kind
// ("mouse", "keyboard", "MousePad", "HD").
// Program data folder ("DefaultData", "skin", …): $R730_DATA_DIR when set,
// else <exe dir>/../share/r730cfg/ when that holds a DefaultData folder, else
// the source tree's data/ folder (development builds).
#pragma once

#include <string>

inline constexpr char kApplicationTitle[] = "R730-VXT-1K Gaming Mouse";

// Creates path and any missing parents (mode 0700 less the umask). Returns 0,
// or the errno value of the failing step (ENOTDIR when something that is no
// folder is in the way).
int MakeFolders(const std::string& path);

// The user data folder, created when missing (the result of that goes to
// *result when given).
std::string UserDataFolder(int* result = nullptr);
// User data folder + name + "/", created with its parents when missing.
std::string DeviceFolder(const std::string& name, int* result = nullptr);

// The program data folder and its "DefaultData/" folder.
std::string ProgramDataFolder();
std::string DefaultDataFolder();

// How ProgramDataFolder decides, with its inputs given: dataDirVariable is the
// value of R730_DATA_DIR (null or empty: unset), exeFolder the folder of the
// running program, sourceDataFolder the source tree's data folder.
std::string ResolveProgramDataFolder(const char* dataDirVariable, const std::string& exeFolder,
                                     const std::string& sourceDataFolder);
