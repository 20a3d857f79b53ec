#pragma once
// "main.ini" in the user's application folder remembers the last offered skin:
// {"SKINIMAGE": {"FLAGS": "1" | "0", "IMAGE": "..."}}. Other members of the file survive.
#include <string>

// LocalAppDataFolder() + "Zorv Wired Manager 1.0/main.ini".
std::string SkinChoiceFilePath();
// Creates the folder when missing; false when the file could not be written.
bool WriteSkinChoice(const std::string& path, const std::string& flags, const std::string& image);
