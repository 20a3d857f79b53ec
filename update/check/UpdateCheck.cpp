#include "update/check/UpdateCheck.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "platform/RegistryStore.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "update/http/HttpClient.h"

#ifndef ZORV_APP_VERSION
#define ZORV_APP_VERSION "1.0.0"
#endif

namespace {

constexpr const char kUninstallKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char kDisplayVersionValue[] = "DisplayVersion";
constexpr const char kUpdatePath[] = "/api/updates";
constexpr const char kUpdateTimeFile[] = "updatetime.config";
// The service's texts end up in labels; anything longer than this is not a version.
constexpr size_t kMaxAnswerTextBytes = 64;

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// Registry key names compare without regard to case, as the platform's registry does.
const Json::Value& RegistryValue(const Json::Value& document, const std::string& key, const char* value) {
    static const Json::Value kNull;
    if (!document.isObject()) return kNull;
    for (const std::string& name : document.getMemberNames())
        if (SameTextIgnoringCase(name, key)) return MemberOf(document[name], value);
    return kNull;
}

// Cut at a character boundary so that a label never shows half a UTF-8 sequence.
std::string Bounded(std::string text) {
    if (text.size() <= kMaxAnswerTextBytes) return text;
    size_t cut = kMaxAnswerTextBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

// The answer's value as text: strings as they are, whole numbers in decimal, anything else empty.
std::string AnswerText(const Json::Value& answer, const char* key) {
    const Json::Value& value = MemberOf(answer, key);
    if (value.isString()) return value.asString();
    if (value.isInt64()) return std::to_string(value.asInt64());
    if (value.isUInt64()) return std::to_string(value.asUInt64());
    return {};
}

// Leading digits of the base after optional blanks; no digits, or more than 32 bits, give 0 (no offer).
uint32_t ReadVersionNumber(const std::string& text, int base) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    uint64_t value = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit = -1;
        if (std::isdigit(c)) digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = std::tolower(c) - 'a' + 10;
        if (digit < 0) break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return 0;
        any = true;
    }
    return any ? static_cast<uint32_t>(value) : 0;
}

std::string Format(const char* format, long value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

int32_t VersionTextToNumber(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != '.') digits += c;
    return ParseDecimal(digits);
}

int32_t ReadInstalledVersionFrom(const std::string& registryPath, const std::string& buildVersion) {
    const Json::Value registry = ReadJsonValue(registryPath);
    const Json::Value& value = RegistryValue(registry, std::string(kUninstallKey) + kAppName, kDisplayVersionValue);
    if (value.isString() && !value.asString().empty()) return VersionTextToNumber(value.asString());
    return VersionTextToNumber(buildVersion);
}

int32_t ReadInstalledVersion() { return ReadInstalledVersionFrom(RegistryStore::DefaultPath(), ZORV_APP_VERSION); }

ProductInfoTable UpdateTargets(std::span<const DeviceVersionSource> devicesInDisplayOrder) {
    ProductInfoTable table = FillProductVersions(devicesInDisplayOrder);
    const int32_t installed = ReadInstalledVersion();
    for (ProductInfoEntry& row : table)
        if (IsApplicationRow(row)) row.firmwareVersion = installed;
    return table;
}

bool IsApplicationRow(const ProductInfoEntry& target) {
    return target.modelCode && SameTextIgnoringCase(target.modelCode, kApplicationModelCode);
}

std::string MakeAppKey(const ProductInfoEntry& target) {
    if (target.firmwareVersion == 0) return "NULL";
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    return text(target.vendorName) + "_" + std::to_string(target.productClass) + "_" + text(target.modelCode) + "_" +
           text(target.productNumber) + "_" + std::to_string(target.enabled);
}

std::string CurrentVersionText(int32_t version, bool hexadecimal) {
    return hexadecimal ? Format("V%04lx", static_cast<long>(static_cast<uint32_t>(version))) : Format("V%ld", version);
}

UpdateResult PlaceholderResult(const ProductInfoEntry& target) {
    UpdateResult result;
    result.status = UpdateStatus::kCurrent;
    result.name = IsApplicationRow(target) ? kApplicationPlaceholderName : (target.productName ? target.productName : "");
    result.currentVersionText = target.productClass != 0 ? CurrentVersionText(target.firmwareVersion, true)
                                                          : std::string(target.extraLabel ? target.extraLabel : "");
    return result;
}

std::string UpdateRequestUrl() {
    const char* configured = std::getenv(kUpdateServiceVariable);
    std::string base = configured && *configured ? configured : kDefaultUpdateServiceUrl;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + kUpdatePath;
}

std::string UpdateRequestBody(const std::string& appKey, int32_t currentVersion, bool hexadecimal) {
    return "app_key=" + appKey +
           (hexadecimal ? Format("&version=%lx", static_cast<long>(static_cast<uint32_t>(currentVersion)))
                        : Format("&version=%ld", currentVersion));
}

UpdateResult ParseUpdateAnswer(std::string_view answer, int32_t currentVersion, bool hexadecimal) {
    UpdateResult result;
    Json::Value document;
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["stackLimit"] = 256;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    try {
        if (!reader->parse(answer.data(), answer.data() + answer.size(), &document, &errors) || !document.isObject())
            return result;
    } catch (const std::exception&) {
        // Nesting beyond the stack limit.
        return result;
    }
    // Names and paths must be texts; only the version may also come as a number.
    result.downloadPath = ToText(MemberOf(document, "path"));
    result.name = Bounded(ToText(MemberOf(document, "name")));
    result.versionName = Bounded(ToText(MemberOf(document, "version_name")));
    const std::string offered = Bounded(AnswerText(document, "version"));
    result.newVersionText = "V" + offered;
    const uint32_t serverVersion = ReadVersionNumber(offered, hexadecimal ? 16 : 10);
    result.currentVersionText = CurrentVersionText(currentVersion, hexadecimal);
    if (!hexadecimal) result.newVersionText = result.versionName;
    result.status = currentVersion < static_cast<int32_t>(serverVersion) ? UpdateStatus::kOffered : UpdateStatus::kCurrent;
    return result;
}

UpdateResult RequestUpdateInfo(const std::string& appKey, int32_t currentVersion, int32_t productClass,
                               const std::function<bool()>& cancelled) {
    const bool hexadecimal = productClass != 0;
    const std::string body = UpdateRequestBody(appKey, currentVersion, hexadecimal);
    std::vector<char> buffer(kUpdateAnswerBufferBytes, '\0');
    ResetHttpSettings();
    // The terminating zero is sent and counted, as the service expects.
    const int32_t received = SendHttpRequest("POST", UpdateRequestUrl(), body.c_str(),
                                             static_cast<int32_t>(body.size() + 1), buffer, cancelled);
    const std::string_view text(buffer.data());
    if (received <= 0) {
        UpdateResult result;
        result.name = std::string(text);
        return result;
    }
    return ParseUpdateAnswer(text, currentVersion, hexadecimal);
}

std::string UpdateDownloadFolder() {
    const std::string folder = TempFolder() + "UpdateData/";
    EnsureFolder(folder);
    return folder;
}

std::string UpdateTimeFilePath() { return LocalAppDataFolder() + kAppName + "/" + kUpdateTimeFile; }

std::string TodayDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

std::string ReadOrCreateLastCheckDate(const std::string& path) {
    const Json::Value stored = MemberOf(MemberOf(ReadJsonValue(path), "updatelasttime"), "value");
    if (stored.isString()) return Bounded(stored.asString());
    const std::string today = TodayDateText();
    // A damaged file is kept aside rather than lost.
    if (HoldsUnparsableContent(path)) KeepDamagedFile(path);
    Json::Value document;
    document["updatelasttime"]["value"] = today;
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) EnsureFolder(path.substr(0, slash + 1));
    if (!WriteJsonValue(path, document)) DebugOutput("update: " + path + " could not be written");
    return today;
}

bool WriteLastCheckDate(const std::string& path, const std::string& date) {
    Json::Value document = ReadJsonValue(path);
    AsObject(document);
    AsObject(ObjectMember(document, "updatelasttime"))["value"] = date;
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) EnsureFolder(path.substr(0, slash + 1));
    return WriteJsonValue(path, document);
}
