#pragma once
// The folders of the configuration store. Every folder path ends with "/".
#include <string>

// LocalAppDataFolder() + kAppName + "/": the user's own copies of program-wide files.
std::string AppUserFolder();
// AppUserFolder() + type folder name + "/"; every missing level is created each time.
std::string UserDataFolder(const std::string& typeFolderName);
// ProgramFolder() + "DefaultData/": the shipped, read-only data.
std::string DefaultDataFolder();
// DefaultDataFolder() + type folder name + ".Json".
std::string DefaultProfilePath(const std::string& typeFolderName);
