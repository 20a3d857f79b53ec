#include "store/DataFolders.h"

#include "platform/Folders.h"

std::string AppUserFolder() {
    std::string folder = LocalAppDataFolder() + kAppName + "/";
    EnsureFolder(folder);
    return folder;
}

std::string UserDataFolder(const std::string& typeFolderName) {
    std::string folder = AppUserFolder() + typeFolderName + "/";
    EnsureFolder(folder);
    return folder;
}

std::string DefaultDataFolder() { return ProgramFolder() + "DefaultData/"; }

std::string DefaultProfilePath(const std::string& typeFolderName) {
    return DefaultDataFolder() + typeFolderName + ".Json";
}
