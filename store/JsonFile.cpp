#include "store/JsonFile.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>

#include "platform/DebugOutput.h"
#include "platform/Files.h"
#include "platform/Folders.h"

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void ReportReadError(int code) {
    char line[64];
    std::snprintf(line, sizeof line, "readjsonFile 错误吗：：%d\n", code);
    DebugOutput(line);
}

// Milliseconds since the epoch of the last name handed out, so names only ever grow.
std::atomic<long long> g_lastTimestampMs{0};

long long NowMs() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<long long>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
}
}  // namespace

std::string readjsonFile(const std::string& path) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    int openError = errno;
    std::string content;
    struct stat st {};
    bool readable = file && fstat(fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode);
    if (readable && static_cast<unsigned long long>(st.st_size) > kMaxConfigFileBytes) {
        openError = EFBIG;
        readable = false;
    }
    if (readable) {
        content.resize(static_cast<size_t>(st.st_size));
        size_t got = content.empty() ? 0 : std::fread(content.data(), 1, content.size(), file.get());
        if (got < content.size()) {
            openError = errno;
            content.clear();
        }
    }
    ReportReadError(openError);
    return content;
}

Json::Value ParseJsonText(const std::string& text) {
    if (text.empty()) return Json::Value();
    Json::Value root;
    try {
        // Comments are not kept: written back after a value they can swallow the next member.
        Json::Reader reader;
        if (!reader.parse(text, root, false)) return Json::Value();
    } catch (const std::exception&) {
        // jsoncpp throws on nesting deeper than its stack limit.
        return Json::Value();
    }
    return root;
}

Json::Value ReadJsonValue(const std::string& path) {
    std::string text = readjsonFile(path);
    if (text.empty()) {
        DebugOutput(path);
        return Json::Value();
    }
    return ParseJsonText(text);
}

std::string StyledJsonText(const Json::Value& value) {
    Json::StyledWriter writer;
    return writer.write(value) + "\n";
}

bool WriteJsonValue(const std::string& path, const Json::Value& value) {
    if (!WriteFileAtomic(path, StyledJsonText(value))) {
        DebugOutput("WriteJsonValue failed: " + path);
        return false;
    }
    return true;
}

std::string MakeTimestampName() {
    long long now = NowMs();
    long long last = g_lastTimestampMs.load();
    long long chosen;
    do {
        chosen = now > last ? now : last + 1;
    } while (!g_lastTimestampMs.compare_exchange_weak(last, chosen));

    time_t seconds = static_cast<time_t>(chosen / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char name[64];
    std::snprintf(name, sizeof name, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(chosen % 1000));
    return name;
}

bool SplitIndexedName(const std::string& name, std::string& prefix, int& number) {
    size_t cut = name.rfind('_');
    if (cut == std::string::npos) return false;
    std::string rest = name.substr(cut + 1);
    if (rest.empty() || rest.size() > 9) return false;
    int value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    prefix = name.substr(0, cut + 1);
    number = value;
    return true;
}

bool IsSafeFileStem(const std::string& stem) {
    if (stem.empty() || stem.size() > 128) return false;
    for (unsigned char c : stem) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  c == '_' || c == '-' || c == '{' || c == '}';
        if (!ok) return false;
    }
    return true;
}

bool KeepDamagedFile(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || st.st_size == 0) return true;
    std::string target = path + ".damaged";
    for (int n = 2; FileExists(target); ++n) {
        if (n > 1000) return false;
        target = path + ".damaged." + std::to_string(n);
    }
    if (std::rename(path.c_str(), target.c_str()) != 0) {
        DebugOutput("KeepDamagedFile failed: " + path);
        return false;
    }
    DebugOutput("kept damaged file as " + target);
    return true;
}

bool HoldsUnparsableContent(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || st.st_size == 0) return false;
    return ReadJsonValue(path).isNull();
}

bool CopyConfigFile(const std::string& sourcePath, const std::string& targetPath) {
    struct stat st {};
    if (stat(sourcePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > kMaxConfigFileBytes)
        return false;
    std::string bytes;
    if (!ReadWholeFile(sourcePath, bytes)) return false;
    return WriteFileAtomic(targetPath, bytes);
}
