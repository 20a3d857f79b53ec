#pragma once
// Whole-document JSON files: every configuration file of the store is read and written through here.
#include <json/json.h>

#include <cstddef>
#include <string>

// Files larger than this are treated as unreadable; no configuration file comes near it.
inline constexpr size_t kMaxConfigFileBytes = 16u * 1024u * 1024u;

// The whole content, or "" when the file cannot be opened, is too large or cannot be read in full.
std::string readjsonFile(const std::string& path);
// The parsed document, or a null value for a missing, empty or unparsable file.
Json::Value ReadJsonValue(const std::string& path);
// Parses text as a JSON document; null on any error (never throws).
Json::Value ParseJsonText(const std::string& text);
// The styled text of a value (3-space indentation) followed by one more line end.
std::string StyledJsonText(const Json::Value& value);
// Writes the styled text atomically; false when the file could not be written (the old one stays).
bool WriteJsonValue(const std::string& path, const Json::Value& value);

// Local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d"; never returns the same name twice in a process,
// so two profiles or macros made in one millisecond do not share a file.
std::string MakeTimestampName();

// "key_12" -> ("key_", 12). False when there is no "_" or the rest is not a decimal number.
bool SplitIndexedName(const std::string& name, std::string& prefix, int& number);

// True for a name that can stand for one file in a folder: letters, digits, "_", "-", "{", "}".
// Identifiers from files name other files, so anything else ("..", "/") is refused.
bool IsSafeFileStem(const std::string& stem);

// Moves an existing, non-empty file aside as path + ".damaged" (".damaged.2", ... when taken)
// before it gets replaced. True when there was nothing to keep or it was kept.
bool KeepDamagedFile(const std::string& path);

// True when the file exists but does not hold a JSON document (so replacing it would lose bytes).
bool HoldsUnparsableContent(const std::string& path);

// Copies a file's bytes unchanged (atomically at the target). False when the source cannot be
// read in full (or is larger than kMaxConfigFileBytes) or the target cannot be written.
bool CopyConfigFile(const std::string& sourcePath, const std::string& targetPath);
