#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "installer/system_services.h"
#include "kovo_settings.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"
#include "translator/lang.h"

namespace installer = kovo::plugin::web::installer;
using installer::kLanguageEnglish;
using installer::kLanguageRussian;
using installer::Translate;
using kovo::testing::FakeSystemServices;
using kovo::testing::LogCapture;

namespace {

// The language is process-wide: every test starts in Russian and leaves it so.
class Language : public ::testing::Test {
 protected:
  void SetUp() override { installer::SetLanguage(kLanguageRussian); }
  void TearDown() override { installer::SetLanguage(kLanguageRussian); }
};

std::string TranslateIn(int language, const std::string& key) {
  installer::SetLanguage(language);
  return Translate(key);
}

}  // namespace

// ---------------------------------------------------------------------------
// Language detection
// ---------------------------------------------------------------------------

TEST_F(Language, DetectionFollowsTheWholeLanguageIdentifier) {
  const struct {
    std::uint16_t langId;
    int languageBefore;
    int expectedLanguage;
    const char* expectedLevel;
    const char* expectedMessage;
  } cases[] = {
      {1033, kLanguageRussian, kLanguageEnglish, "INFO", "English OS localisation is found"},
      {1049, kLanguageEnglish, kLanguageRussian, "INFO", "Russian OS localisation is found"},
      {2057, kLanguageRussian, kLanguageRussian, "WARN", "No OS localisation is found"},  // English (UK)
      {1058, kLanguageRussian, kLanguageRussian, "WARN", "No OS localisation is found"},  // Ukrainian
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.langId);
    FakeSystemServices system;
    system.languageId = c.langId;
    installer::ScopedSystemServices useFake(system);
    installer::SetLanguage(c.languageBefore);
    LogCapture log;

    installer::DetectLanguage();

    EXPECT_EQ(installer::CurrentLanguage(), c.expectedLanguage);
    const auto lines = log.Lines();
    const auto messages = log.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "GetUserDefaultLangID() LANGID is: " + std::to_string(c.langId));
    EXPECT_NE(lines[0].find(" INFO ["), std::string::npos) << lines[0];
    EXPECT_EQ(messages[1], c.expectedMessage);
    EXPECT_NE(lines[1].find(std::string(" ") + c.expectedLevel + " ["), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\t[translator/lang.cpp:"), std::string::npos) << lines[1];
  }
}

TEST_F(Language, UsEnglishSystemGivesEnglishTexts) {
  FakeSystemServices system;
  system.languageId = 1033;
  installer::ScopedSystemServices useFake(system);
  installer::DetectLanguage();
  EXPECT_EQ(Translate("Установить"), "Install");
  EXPECT_EQ(Translate("Вы действительно хотите завершить?"), "Are you sure you want to quit?");
}

TEST_F(Language, OnlyTheTwoLanguagesAreStored) {
  installer::SetLanguage(kLanguageEnglish);
  for (int other : {-1, 2, 1049}) installer::SetLanguage(other);
  EXPECT_EQ(installer::CurrentLanguage(), kLanguageEnglish);
  EXPECT_EQ(Translate("Да"), "Yes");
}

// ---------------------------------------------------------------------------
// Text table and lookup
// ---------------------------------------------------------------------------

TEST_F(Language, KeyWithoutRowIsItsOwnTextInBothLanguages) {
  const std::string key = "Ошибка, для которой нет строки в таблице";
  EXPECT_EQ(TranslateIn(kLanguageRussian, key), key);
  EXPECT_EQ(TranslateIn(kLanguageEnglish, key), key);
  EXPECT_EQ(TranslateIn(kLanguageEnglish, ""), "");
}

TEST_F(Language, ExactlyFiveRowsHaveARussianTextOtherThanTheirKey) {
  // The one row whose key is the longer phrase and its Russian text the shorter.
  const std::string longerKey =
      "Недостаточно прав для установки программы для всех пользователей компьютера. Войдите в систему как "
      "администратор и повторите попытку";
  const std::set<std::string> expected = {
      "Содержит только основные модули.",
      "Включает полный комплект модулей приложения.",
      "Предназначен только для сдачи отчетности.",
      "Минимально поддерживаемая операционная система Windows 7 Service Pack 1",
      longerKey,
  };
  std::set<std::string> differing;
  for (const auto& [key, texts] : installer::TextTable()) {
    if (texts.at(kLanguageRussian) != key) differing.insert(key);
  }
  EXPECT_EQ(differing, expected);

  const std::string shortKey = "Содержит только основные модули.";
  EXPECT_EQ(TranslateIn(kLanguageRussian, shortKey),
            "Содержит только основные модули. Если при работе в КОВО вам потребуются дополнительные "
            "возможности они скачаются автоматически.");
  EXPECT_EQ(
      TranslateIn(kLanguageEnglish, shortKey),
      "Contains only core modules. If, when working in LUMO, you need additional features, they will be "
      "downloaded automatically.");
  EXPECT_EQ(
      TranslateIn(kLanguageRussian, longerKey),
      "Недостаточно прав для установки программы. Войдите в систему как администратор и повторите попытку");
}

TEST_F(Language, RepeatedKeyIsOneEntry) {
  EXPECT_EQ(installer::TextTable().size(), 99u);
  EXPECT_EQ(TranslateIn(kLanguageEnglish, "Уведомление о новых событиях"), "Notification of new events");
  EXPECT_EQ(TranslateIn(kLanguageRussian, "Уведомление о новых событиях"), "Уведомление о новых событиях");
}

TEST_F(Language, KeysEndingInABlankAreDistinctFromTheTrimmedText) {
  const struct {
    std::string key;
    std::string english;
  } cases[] = {
      {"Нажимая \"Установить\", Вы соглашаетесь с ", "By clicking \"Install\", you agree to the "},
      {"Нажимая \"Обновить\", Вы соглашаетесь с ", "By clicking \"Refresh\", you agree to the "},
      {"Если проблема осталась, обратитесь в службу ", "If the problem persists, contact the service "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TranslateIn(kLanguageEnglish, c.key), c.english);
    const std::string trimmed = c.key.substr(0, c.key.size() - 1);
    EXPECT_EQ(TranslateIn(kLanguageEnglish, trimmed), trimmed);
  }
}

TEST_F(Language, DesktopShortcutTextNamesTheOnlinePortal) {
  const std::string host = kovo::settings::kOnlinePortalHost;
  const std::string key = installer::DesktopShortcutTextKey();
  EXPECT_EQ(key, "Создать ярлык " + host + " на рабочем столе");
  EXPECT_EQ(TranslateIn(kLanguageRussian, key), key);
  EXPECT_EQ(TranslateIn(kLanguageEnglish, key), "Create " + host + " shortcut on your desktop");
}

TEST_F(Language, EveryRowHasBothTexts) {
  for (const auto& [key, texts] : installer::TextTable()) {
    EXPECT_EQ(texts.size(), 2u) << key;
    EXPECT_FALSE(texts.at(kLanguageRussian).empty()) << key;
    EXPECT_FALSE(texts.at(kLanguageEnglish).empty()) << key;
  }
  EXPECT_EQ(TranslateIn(kLanguageEnglish, "Плагин успешно установлен,\nприятной работы"),
            "Plugin installed successfully,\nenjoy your work");
}
