#pragma once
// Whole-file reads and atomic writes: a crash or a full disk never leaves a half-written file.
#include <string>

// False when the file cannot be read; out is then empty.
bool ReadWholeFile(const std::string& path, std::string& out);
// Writes a temporary file beside the target, flushes it and renames it over the target.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);
