// The error kinds the user can be shown, and the tables that lead to them.
#include <gtest/gtest.h>

#include <kovo_settings.h>

#include <map>
#include <string>
#include <vector>

#include "installer/error_catalogue.h"

namespace installer = kovo::plugin::web::installer;
using installer::ErrorCatalogue;

TEST(ErrorCatalogue, GivesEveryKindItsTextsAndHelpLink) {
  // The failure page's wording, written out once more by letter so that a
  // text given to the wrong kind or field shows.
  const std::map<std::string, std::string> text = {
      {"-", ""},
      {"A", "Не удалось установить КОВО Плагин"},
      {"B", "Данная версия Windows не поддерживается"},
      {"C", "Минимально поддерживаемая операционная система Windows 7 Service Pack 1"},
      {"D", "Проверьте настройки сети и попробуйте снова"},
      {"E", "Проверьте права для временной директории"},
      {"F", "Попробуйте перезагрузить ПК и попробовать снова"},
      {"G", "Не удалось запустить службу КОВО Плагин"},
      {"H", "Попробуйте запустить службу KOVO3Plugin в ручную"},
      {"I", "Возможно у установщика недостаточно прав для запуска. Войдите в систему как администратор или "
            "обратитесь к администратору"},
      {"J", "Не удалось запустить КОВО Плагин"},
      {"K", "Попробуйте запустить КОВО Плагин в ручную"},
      {"L", "Не удалось запустить службу и КОВО Плагин"},
      {"M", "Попробуйте запустить службу и КОВО Плагин в ручную"},
      {"N", "Не удалось удалить старую версию КОВО Плагин"},
      {"O", "Удалите вручную и попробуйте снова"},
      {"P", "Скачайте файл установки вручную"},
      {"Q", "Повреждение файла установки при загрузке, проверьте стабильность подключения к сети и запустите "
            "установщик заново"},
      {"R", "Недостаточно прав для доступа к временной директории. Продолжение установки невозможно. Войдите в "
            "систему как администратор или обратитесь к администратору"},
      {"S", "Измените права на каталог установки"},
      {"T", "У установщика недостаточно прав для доступа к установочному каталогу. Продолжение установки "
            "невозможно. Войдите в систему как администратор или обратитесь к администратору"},
      {"U", "Повреждение файла установки при скачивании, проверьте стабильность подключения к сети и запустите "
            "установщик заново"},
      {"V", "Недостаточно прав для доступа к временной директории установщика Windows (Windows/Installer). "
            "Продолжение установки невозможно. Войдите в систему как администратор или обратитесь к "
            "администратору"},
      {"W", "Не удается удалить старую версию КОВО Плагин"},
      {"X", "Не удалось установить службу КОВО Плагин"},
      {"Y", "Убедитесь в наличии необходимых прав для установки системных служб"},
      {"Z", "Требуются права администратора"},
      {"AA", "Недостаточно прав для установки программы. Войдите в систему как администратор и повторите попытку"},
      {"AB", "Не удалось сконфигурировать службу КОВО Плагин"},
      {"AC", "Убедитесь в наличии необходимых прав для настройки системных служб. Войдите в систему как "
             "администратор или обратитесь к администратору"},
  };
  const struct {
    std::int32_t kind;
    const char* title;
    const char* helpPath;
    const char* advice;
    const char* details;
  } entries[] = {
      {0, "-", "", "-", "-"},
      {1, "A", "", "-", "-"},
      {2, "B", "/help/start/teh_terms/kovoplugin/windows_error", "-", "C"},
      {3, "A", "", "D", "-"},
      {4, "A", "", "E", "-"},
      {5, "-", "", "-", "-"},
      {6, "A", "", "F", "-"},
      {7, "A", "", "D", "-"},
      {8, "G", "/help/start/teh_terms/kovoplugin/servconnect", "H", "I"},
      {9, "J", "/help/plugin/kovo3plugin/run", "K", "I"},
      {10, "L", "/help/start/teh_terms/kovoplugin/problem", "M", "I"},
      {11, "N", "", "O", "-"},
      {12, "A", "", "F", "-"},
      {1620, "A", "/help/plugin/kovo3plugin/install", "P", "Q"},
      {2203, "A", "/help/start/teh_terms/kovoplugin/error_2503_2502_2203", "-", "R"},
      {2755, "A", "/help/start/teh_terms/kovoplugin/error_2755", "-", "-"},
      {26352, "A", "/help/start/teh_terms/kovoplugin/error_26352", "-", "-"},
      {1303, "A", "", "S", "T"},
      {1316, "A", "/help/start/teh_terms/kovoplugin/read_file", "-", "-"},
      {1335, "A", "/help/plugin/kovo3plugin/install", "P", "U"},
      {1336, "A", "", "-", "V"},
      {1714, "A", "/help/start/teh_terms/kovoplugin/open_device", "-", "W"},
      {1923, "X", "/help/start/teh_terms/kovoplugin/start_service", "-", "Y"},
      {1925, "A", "", "Z", "AA"},
      {100, "G", "", "F", "-"},
      {101, "AB", "", "-", "AC"},
  };
  EXPECT_EQ(ErrorCatalogue.size(), std::size(entries));
  const std::string helpPortal = std::string("https://") + kovo::settings::kHelpPortalHost;
  for (const auto& e : entries) {
    SCOPED_TRACE(e.kind);
    const auto found = ErrorCatalogue.find(e.kind);
    ASSERT_NE(found, ErrorCatalogue.end());
    const installer::ErrorInfo& info = found->second;
    EXPECT_EQ(info.title, text.at(e.title));
    EXPECT_EQ(info.helpLink, *e.helpPath ? helpPortal + e.helpPath : "");
    EXPECT_EQ(info.advice, text.at(e.advice));
    EXPECT_EQ(info.details, text.at(e.details));
  }
}

TEST(ErrorCatalogue, HasAnEntryForEveryKindThatCanBeStored) {
  std::vector<std::int32_t> stored = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  for (const auto& [code, kind] : installer::ExitCodeKinds) stored.push_back(kind);
  for (const auto kind : installer::KindExitCodes) stored.push_back(kind);
  for (const auto& [text, kind] : installer::LogErrorTexts) stored.push_back(kind);
  for (const auto kind : stored) EXPECT_EQ(ErrorCatalogue.count(kind), 1u) << kind;

  // A kind that nothing stores still finds texts rather than failing the page.
  EXPECT_EQ(installer::FindErrorInfo(424242).title, ErrorCatalogue.at(1).title);
  EXPECT_EQ(&installer::FindErrorInfo(1923), &ErrorCatalogue.at(1923));
}

TEST(LogErrorTexts, AreSearchedInByteOrderOfTheirUtf8Text) {
  std::vector<std::string> order;
  for (const auto& [text, kind] : installer::LogErrorTexts) order.push_back(text);
  EXPECT_EQ(order, (std::vector<std::string>{
                       "ExecServiceConfig:  Error 0x80070003",
                       "WaitForAfterInstall.Error",
                       "Код ошибки: 2203",
                       "Код ошибки: 2502",
                       "Код ошибки: 2503",
                       "Код ошибки: 26352",
                       "Код ошибки: 2755",
                       "Код ошибки: 2906",
                       "Ошибка 1303",
                       "Ошибка 1316",
                       "Ошибка 1335",
                       "Ошибка 1336",
                       "Ошибка 1714",
                       "Ошибка 1923",
                       "Ошибка 1925",
                   }));
}
