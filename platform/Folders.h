#pragma once
// Where the program and the user's files live. Every folder path ends with "/".
#include <string>

// Directory of the running executable.
std::string ProgramFolder();
// $XDG_DATA_HOME, else ~/.local/share (the local application data folder).
std::string LocalAppDataFolder();
// $XDG_CONFIG_HOME, else ~/.config.
std::string ConfigFolder();
// $TMPDIR, else /tmp.
std::string TempFolder();
// Creates every missing level of the folder; true when it exists afterwards.
bool EnsureFolder(const std::string& folder);
bool FileExists(const std::string& path);

inline constexpr const char* kAppName = "Zorv Wired Manager 1.0";
