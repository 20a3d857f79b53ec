#pragma once
// The desktop's language at the first start, before the user has chosen one.
#include <string>
#include <vector>

#include "store/ShippedLists.h"

// The list's "Language_name" for one locale text ("de_DE.UTF-8", "zh_TW", "pt-BR", "ja"), or ""
// when none of the shipped languages fits.
std::string LanguageNameForLocale(const std::string& locale);

// The index of the first shipped language named by LANGUAGE (a ":" list), LC_ALL, LC_MESSAGES
// or LANG, in that order; else the index of English; else 0.
int DesktopLanguageIndex(const std::vector<LanguageEntry>& list);
