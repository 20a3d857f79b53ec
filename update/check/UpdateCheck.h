#pragma once
// Asking the update service about one product, and what the settings window needs around it:
// the installed version, the app key, the service address and the last-check file.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "device/registry/ProductVersions.h"

// Row status of an update list row; the numbers are the rows' own.
namespace UpdateStatus {
inline constexpr int kNone = 0;
inline constexpr int kOffered = 1;
inline constexpr int kOfferedAgain = 2;
inline constexpr int kWaiting = 3;
inline constexpr int kDownloading = 4;
inline constexpr int kDownloaded = 5;
inline constexpr int kInstalling = 6;
inline constexpr int kCurrent = 7;  // up to date, or no answer
inline constexpr int kFailed = 8;
}  // namespace UpdateStatus

struct UpdateResult {
    int status = UpdateStatus::kNone;
    std::string name;
    std::string currentVersionText;
    std::string versionName;
    std::string newVersionText;
    std::string downloadPath;
    std::string localFile;
};

// The service's answer buffer; longer answers are cut (and then read as no answer).
inline constexpr size_t kUpdateAnswerBufferBytes = 102400;
// Base address of the update service when ZORV_UPDATE_URL is not set.
inline constexpr const char kDefaultUpdateServiceUrl[] = "http://update.zorv-gaming.com";
inline constexpr const char* kUpdateServiceVariable = "ZORV_UPDATE_URL";
// The application row's model code, compared without regard to case.
inline constexpr const char kApplicationModelCode[] = "ALL";
inline constexpr const char kApplicationPlaceholderName[] = "AP";

// The installed application's version: the registry's "DisplayVersion" text (in the uninstall
// key of the application) with every "." removed, read as decimal; without that value the
// program's own version from the build ("1.0.0" gives 100).
int32_t ReadInstalledVersion();
// The same from a given registry file and fallback version text, for tests.
int32_t ReadInstalledVersionFrom(const std::string& registryPath, const std::string& buildVersion);
// "1.0.3" -> 103; leading digits after the dots are removed; none gives 0.
int32_t VersionTextToNumber(const std::string& text);

// FillProductVersions with the installed version in the application row.
ProductInfoTable UpdateTargets(std::span<const DeviceVersionSource> devicesInDisplayOrder);

bool IsApplicationRow(const ProductInfoEntry& target);
// vendor_class_model_product_second; "NULL" for a product at version 0.
std::string MakeAppKey(const ProductInfoEntry& target);
// "V%04x" (hexadecimal products) or "V%d".
std::string CurrentVersionText(int32_t version, bool hexadecimal);
// The placeholder row of a target: status 7, no new version.
UpdateResult PlaceholderResult(const ProductInfoEntry& target);

// ZORV_UPDATE_URL (or the default) without a trailing "/", then "/api/updates".
std::string UpdateRequestUrl();
// "app_key=%s&version=%x" (hexadecimal) or "...&version=%d".
std::string UpdateRequestBody(const std::string& appKey, int32_t currentVersion, bool hexadecimal);
// The answer text read as the service's JSON: name, path, version name, offered version, status.
UpdateResult ParseUpdateAnswer(std::string_view answer, int32_t currentVersion, bool hexadecimal);
// One POST to the service; cancelled ends a waiting request (the result then has no name).
UpdateResult RequestUpdateInfo(const std::string& appKey, int32_t currentVersion, int32_t productClass,
                               const std::function<bool()>& cancelled = {});

// TempFolder() + "UpdateData/", created when missing.
std::string UpdateDownloadFolder();

// "updatetime.config" in the per-user folder: {"updatelasttime": {"value": "2024-3-7"}}.
std::string UpdateTimeFilePath();
// Today's local date as "%d-%d-%d".
std::string TodayDateText();
// The stored date; a missing, unreadable or mistyped value writes today's date and returns it.
std::string ReadOrCreateLastCheckDate(const std::string& path);
// Rewrites the date, keeping other members of the file.
bool WriteLastCheckDate(const std::string& path, const std::string& date);
