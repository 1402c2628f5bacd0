#include "translator/lang.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>

#include "installer/system_services.h"
#include "kovo-ui-imgui/logger/logger.h"
#include "kovo_settings.h"

namespace kovo::plugin::web::installer {

namespace {

// The language is written on the first thread before the application starts
// and afterwards by the options page; atomic so that a text looked up on the
// logic thread never races with the switch.
std::atomic<int> g_language{kLanguageRussian};

constexpr std::uint16_t kLangIdEnglishUnitedStates = 1033;
constexpr std::uint16_t kLangIdRussianRussia = 1049;

struct TextRow {
  std::string key;
  std::string russian;
  std::string english;
};

TextRow Text(std::string key, std::string english) {
  std::string russian = key;
  return {std::move(key), std::move(russian), std::move(english)};
}

// For the few rows whose key is a shorter (or longer) form of the Russian text.
TextRow TextWithRussian(std::string key, std::string russian, std::string english) {
  return {std::move(key), std::move(russian), std::move(english)};
}

std::string DesktopShortcutEnglishText() {
  return std::string("Create ") + settings::kOnlinePortalHost + " shortcut on your desktop";
}

// ---------------------------------------------------------------------------
// The text table, in the order of its rows. "Уведомление о новых событиях" is
// listed twice (once per page that shows it); the map keeps one entry.
// ---------------------------------------------------------------------------
TextTableMap BuildTextTable() {
  // clang-format off
  const std::initializer_list<TextRow> rows = {
    Text("КОВО", "Lumo"),
    Text("КОВО Плагин", "Lumo Plugin Installer"),
    Text("Рекомендуемые модули для работы со КОВО", "Recommended modules for working with LUMO"),
    Text("Актуальная версия", "The current version"),
    Text("уже установлена", "is already installed"),
    Text("Настройте самостоятельно", "Customize yourself"),
    Text("Работа с криптографией", "Working with cryptography"),
    Text("Уведомление о новых событиях", "Notification of new events"),
    Text("Работа с вложенными документами: редактирование, загрузка и т.д.", "Working with attached documents: editing, loading, etc."),
    Text("Рекомендуемая", "Recommended"),
    TextWithRussian("Содержит только основные модули.",
                    "Содержит только основные модули. Если при работе в КОВО вам потребуются дополнительные возможности они скачаются автоматически.",
                    "Contains only core modules. If, when working in LUMO, you need additional features, they will be downloaded automatically."),
    Text("Полная", "Full"),
    TextWithRussian("Включает полный комплект модулей приложения.",
                    "Включает полный комплект модулей приложения. Рекомендуем при невысокой скорости интернета и если на вашем компьютере установлены ограничения на загрузку файлов.",
                    "Includes a complete set of application modules. Recommended if your internet speed is low and if you have restrictions on downloading files on your computer."),
    Text("Минимальная", "Minimum"),
    TextWithRussian("Предназначен только для сдачи отчетности.",
                    "Предназначен только для сдачи отчетности. Отложенное подписание - недоступно. Не содержит уведомлений и дополнительных возможностей, например скриншотера.",
                    "Designed for reporting only. Delayed signing - not available. Does not contain notifications and additional features, such as a screenshot."),
    Text("Пользовательская", "Custom"),
    Text("Позволяет отметить модули, с помощью которых хотите расширить пакет основных.", "Allows you to mark the modules with which you want to expand the basic package."),
    Text("Автоматически запускать при старте системы", "Automatically start at system startup"),
    Text("Для текущего пользователя", "For the current user"),
    Text("Для всех", "For all"),
    Text(DesktopShortcutTextKey(), DesktopShortcutEnglishText()),
    Text("Нажимая \"Установить\", Вы соглашаетесь с ", "By clicking \"Install\", you agree to the "),
    Text("Нажимая \"Обновить\", Вы соглашаетесь с ", "By clicking \"Refresh\", you agree to the "),
    Text("лицензионным соглашением", "license agreement"),
    Text("КОВО Плагин версии:", "Lumo Plugin version:"),
    Text("уже установлен", "already installed"),
    Text("На диске недостаточно свободного места. Не хватает", "There is not enough free space on the disk. Not enough"),
    Text("Мб", "MB"),
    Text("Что еще умеет Плагин?", "What else can the Plugin do?"),
    Text("Скриншоты и запись экрана", "Screen Recording"),
    Text("Делайте заметки на скриншотах, записывайте экран с голосом и делитесь в пару кликов", "Take notes on screenshots, record screen with voice and share in a couple of clicks"),
    Text("Рисуйте в видеозвонке", "Draw on a video call"),
    Text("Укажите ключевые моменты во время презентации, используйте режим рисования", "Indicate key points during the presentation, use the drawing mode"),
    Text("Электронные документы", "Electronic documents"),
    Text("Важные документы всегда под рукой, загрузите их в облачное хранилище - КОВО Диск", "Important documents are always at hand, upload them to the cloud storage - Lumo Disk"),
    Text("Удаленное управление ПК", "Remote PC control"),
    Text("Возможность подключиться к компьютеру удаленно", "Ability to connect to a computer remotely"),
    Text("Подробнее", "More details"),
    Text("Идет установка, пожалуйста, подождите", "Installation in progress, please wait"),
    Text("Загрузка дополнительных файлов", "Uploading additional files"),
    Text("Установка КОВО Плагин", "Installing Lumo Plugin"),
    Text("Анализ логов установки", "Analysis of installation logs"),
    Text("Плагин успешно установлен,\nприятной работы", "Plugin installed successfully,\nenjoy your work"),
    Text("Полезные ссылки", "Useful links"),
    Text("Уведомление о новых событиях", "Notification of new events"),
    Text("Редактирование скриншотов", "Editing screenshots"),
    Text("КОВО Диск", "Lumo Disk"),
    Text("Работа с электронной подписью", "Working with electronic signature"),
    Text("Настройка отложенного подписания", "Configuring delayed signing"),
    Text("Получение удаленного доступа", "Getting remote access"),
    Text("Установка завершилась с ошибкой", "Installation failed"),
    Text("Инструкция для устранения проблемы", "Instructions for fixing the problem"),
    Text("Если проблема осталась, обратитесь в службу ", "If the problem persists, contact the service "),
    Text("технической поддержки", "technical support"),
    Text("и специалисты помогут решить проблему", "and experts will help solve the problem"),
    Text("Не удалось установить КОВО Плагин", "Failed to install Lumo Plugin"),
    Text("Данная версия Windows не поддерживается", "This version of Windows is not supported"),
    Text("Попробуйте перезагрузить ПК и попробовать снова", "Try restarting your PC and try again"),
    Text("Не удалось установить службу КОВО Плагин", "Failed to install service Lumo Plugin"),
    Text("Не удается удалить старую версию КОВО Плагин", "Unable to uninstall old version of Lumo Plugin"),
    Text("Убедитесь в наличии необходимых прав для установки системных служб", "Make sure you have the necessary privileges to install system services"),
    Text("Проверьте настройки сети и попробуйте снова", "Check your network settings and try again"),
    TextWithRussian("Минимально поддерживаемая операционная система Windows 7 Service Pack 1",
                    "Минимально поддерживаемая операционная система Windows 7 Service Pack 1 или Windows Server 2008 R2 Service Pack 1. Необходимо обратиться к системному администратору или в сервисный центр.",
                    "Minimum supported operating system Windows 7 Service Pack 1 or Windows Server 2008 R2 Service Pack 1. Please contact your system administrator or service center."),
    Text("Проверьте права для создания временной директории", "Check the privileges to create a temporary directory"),
    Text("Скачайте файл установки вручную", "Download the setup file manually"),
    Text("Повреждение файла установки при скачивании, проверьте стабильность подключения к сети и запустите установщик заново", "Damage to the installation file during download, check the stability of the network connection and run the installer again"),
    Text("Измените права на каталог установки", "Change the privileges to the installation directory"),
    Text("У установщика недостаточно прав для доступа к установочному каталогу. Продолжение установки невозможно. Войдите в систему как администратор или обратитесь к администратору", "The installer does not have sufficient privileges to access the installation directory. Installation cannot continue. Log in as an administrator or contact an administrator"),
    Text("Требуются права администратора", "Administrator rights required"),
    TextWithRussian("Недостаточно прав для установки программы для всех пользователей компьютера. Войдите в систему как администратор и повторите попытку",
                    "Недостаточно прав для установки программы. Войдите в систему как администратор и повторите попытку",
                    "Insufficient rights to install the application. Log in as administrator and try again"),
    Text("Не удалось сконфигурировать службу КОВО Плагин", "Failed to configure service Lumo Plugin"),
    Text("Убедитесь в наличии необходимых прав для настройки системных служб. Войдите в систему как администратор или обратитесь к администратору", "Make sure you have the necessary rights to configure system services. Log in as an administrator or contact an administrator"),
    Text("Не удалось запустить КОВО Плагин", "Failed to start Lumo Plugin"),
    Text("Попробуйте запустить службу KOVO3Plugin в ручную", "Try to start the KOVO3Plugin service manually"),
    Text("Попробуйте запустить КОВО Плагин в ручную", "Try to run the Lumo Plugin manually"),
    Text("Попробуйте запустить службу и КОВО Плагин в ручную", "Try to start the service and Lumo Plugin manually"),
    // Texts of the error catalogue and the failure page that would otherwise
    // show in Russian on the English page.
    Text("Проверьте права для временной директории", "Check the privileges of the temporary directory"),
    Text("Не удалось запустить службу КОВО Плагин", "Failed to start service Lumo Plugin"),
    Text("Не удалось запустить службу и КОВО Плагин", "Failed to start the service and Lumo Plugin"),
    Text("Повреждение файла установки при загрузке, проверьте стабильность подключения к сети и запустите установщик заново", "Damage to the installation file while loading, check the stability of the network connection and run the installer again"),
    Text("Недостаточно прав для установки программы. Войдите в систему как администратор и повторите попытку", "Insufficient rights to install the application. Log in as administrator and try again"),
    Text("Произошла ошибка", "An error occurred"),
    Text("Возможно у установщика недостаточно прав для запуска. Войдите в систему как администратор или обратитесь к администратору", "The installer may not have sufficient rights to run. Log in as an administrator or contact an administrator"),
    Text("Недостаточно прав для доступа к временной директории. Продолжение установки невозможно. Войдите в систему как администратор или обратитесь к администратору", "Insufficient permissions to access the temporary directory. Installation cannot continue. Log in as an administrator or contact an administrator"),
    Text("Недостаточно прав для доступа к временной директории установщика Windows (Windows/Installer). Продолжение установки невозможно. Войдите в систему как администратор или обратитесь к администратору", "Insufficient permissions to access the temporary directory of the Windows Installer (Windows/Installer). Installation cannot continue. Log in as an administrator or contact an administrator"),
    Text("Не удалось удалить старую версию КОВО Плагин", "Failed to uninstall old version of Lumo Plugin"),
    Text("Удалите вручную и попробуйте снова", "Please uninstall manually and try again"),
    Text("Установить", "Install"),
    Text("Обновить", "Refresh"),
    Text("Отмена", "Cancel"),
    Text("Мастер диагностики", "Diagnostic wizard"),
    Text("Завершить", "Finish"),
    Text("Справочный портал", "Help Portal"),
    Text("Переустановить", "Reinstall"),
    Text("Запустить плагин", "Run plugin"),
    Text("Вы действительно хотите завершить?", "Are you sure you want to quit?"),
    Text("Вы действительно хотите отменить?", "Are you sure you want to cancel?"),
    Text("Процесс установки будет остановлен", "The installation process will be stopped."),
    Text("Да", "Yes"),
    Text("Нет", "No"),
  };
  // clang-format on
  TextTableMap table;
  for (const TextRow& row : rows) {
    table.emplace(row.key,
                  TextTranslations{{kLanguageRussian, row.russian}, {kLanguageEnglish, row.english}});
  }
  return table;
}

}  // namespace

std::string DesktopShortcutTextKey() {
  return std::string("Создать ярлык ") + settings::kOnlinePortalHost + " на рабочем столе";
}

const TextTableMap& TextTable() {
  static const TextTableMap table = BuildTextTable();
  return table;
}

void DetectLanguage() {
  const std::uint16_t langId = Services().UserDefaultLanguageId();
  LOG_INFO("GetUserDefaultLangID() LANGID is: " << static_cast<unsigned>(langId));
  // The whole LANGID counts, sub-language included: English (United Kingdom)
  // is not English here.
  if (langId == kLangIdEnglishUnitedStates) {
    LOG_INFO("English OS localisation is found");
    SetLanguage(kLanguageEnglish);
  } else if (langId == kLangIdRussianRussia) {
    LOG_INFO("Russian OS localisation is found");
    SetLanguage(kLanguageRussian);
  } else {
    LOG_WARN("No OS localisation is found");
  }
}

int CurrentLanguage() { return g_language.load(std::memory_order_relaxed); }

void SetLanguage(int language) {
  if (language != kLanguageRussian && language != kLanguageEnglish) return;
  g_language.store(language, std::memory_order_relaxed);
}

std::string Translate(const std::string& key) {
  const TextTableMap& table = TextTable();
  const auto row = table.find(key);
  if (row == table.end()) return key;
  const auto text = row->second.find(CurrentLanguage());
  return text == row->second.end() ? key : text->second;
}

}  // namespace kovo::plugin::web::installer
