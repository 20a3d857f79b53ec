#include "app/language/DesktopLocale.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int IndexOfName(const std::vector<LanguageEntry>& list, const std::string& name) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Language_name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace

std::string LanguageNameForLocale(const std::string& locale) {
    // language[_territory][.codeset][@modifier]; BCP 47 tags use "-".
    std::string text = Lower(locale.substr(0, locale.find_first_of(".@")));
    std::replace(text.begin(), text.end(), '-', '_');
    const std::string language = text.substr(0, text.find('_'));
    const std::string rest = text.size() > language.size() ? text.substr(language.size() + 1) : std::string();
    if (language == "zh") {
        const bool traditional = rest == "tw" || rest == "hk" || rest == "mo" || rest.rfind("hant", 0) == 0;
        return traditional ? "tw" : "cn";
    }
    if (language == "ja") return "jp";
    if (language == "ko") return "kr";
    if (language == "in") return "id";  // the old code of Indonesian
    static constexpr const char* kSameCode[] = {"en", "de", "fr", "es", "it", "pt", "ru", "pl", "tr", "vi", "id", "th"};
    for (const char* code : kSameCode)
        if (language == code) return code;
    return {};
}

int DesktopLanguageIndex(const std::vector<LanguageEntry>& list) {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::istringstream items(value);
        std::string item;
        while (std::getline(items, item, ':')) {
            const int index = IndexOfName(list, LanguageNameForLocale(item));
            if (index >= 0) return index;
        }
    }
    const int english = IndexOfName(list, "en");
    return english >= 0 ? english : 0;
}
