#pragma once
// A scratch folder per process and name, below $ZORV_TEST_TMP, so parallel runs never share one.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::filesystem::path TestTempDir(const std::string& name) {
    const char* base = std::getenv("ZORV_TEST_TMP");
    return std::filesystem::path(base && *base ? base : "/tmp/zorv-hid-tests") / std::to_string(getpid()) / name;
}
