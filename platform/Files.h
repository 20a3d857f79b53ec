#pragma once
// Whole-file reads and atomic writes: a crash or a full disk never leaves a half-written file.
#include <string>

// False when the file cannot be read; out is then empty.
bool ReadWholeFile(const std::string& path, std::string& out);
// Writes a temporary file beside the target, flushes it and renames it over the target.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);
// Whether WriteFileAtomic syncs to disk before the rename (on by default). Fuzzers and benchmarks
// that write thousands of files turn it off; the rename stays atomic either way.
void SetFileSyncEnabled(bool enabled);
