// The installer's two languages. Every text the pages show is written in the
// program as its Russian wording; that wording is the key under which the text
// table holds the Russian and the English text.
#pragma once

#include <map>
#include <string>

namespace kovo::plugin::web::installer {

inline constexpr int kLanguageRussian = 0;
inline constexpr int kLanguageEnglish = 1;

// Texts of one key by language (kLanguageRussian, kLanguageEnglish).
using TextTranslations = std::map<int, std::string>;
using TextTableMap = std::map<std::string, TextTranslations>;

// Decides the language from the user's default language of the system:
// English only for US English (1033), Russian for everything else.
void DetectLanguage();

int CurrentLanguage();

// Only kLanguageRussian and kLanguageEnglish are stored; any other value is
// ignored so that every lookup keeps finding a text.
void SetLanguage(int language);

// The text of the key in the current language; a key without a row is its
// own text in both languages.
std::string Translate(const std::string& key);

// Built on first use, never changed afterwards.
const TextTableMap& TextTable();

// The key of the desktop shortcut's check box, which names the online portal.
std::string DesktopShortcutTextKey();

}  // namespace kovo::plugin::web::installer
