#include "installer/error_catalogue.h"

#include "installer/outside_components.h"

namespace kovo::plugin::web::installer {

namespace {

const char kInstallFailedTitle[] = "Не удалось установить КОВО Плагин";
const char kUnsupportedWindowsTitle[] = "Данная версия Windows не поддерживается";
const char kMinimumWindows[] = "Минимально поддерживаемая операционная система Windows 7 Service Pack 1";
const char kCheckNetwork[] = "Проверьте настройки сети и попробуйте снова";
const char kCheckTempRights[] = "Проверьте права для временной директории";
const char kRestartPc[] = "Попробуйте перезагрузить ПК и попробовать снова";
const char kServiceNotStartedTitle[] = "Не удалось запустить службу КОВО Плагин";
const char kStartServiceManually[] = "Попробуйте запустить службу KOVO3Plugin в ручную";
const char kMayLackRights[] =
    "Возможно у установщика недостаточно прав для запуска. Войдите в систему как администратор или "
    "обратитесь к администратору";
const char kPluginNotStartedTitle[] = "Не удалось запустить КОВО Плагин";
const char kStartPluginManually[] = "Попробуйте запустить КОВО Плагин в ручную";
const char kNeitherStartedTitle[] = "Не удалось запустить службу и КОВО Плагин";
const char kStartBothManually[] = "Попробуйте запустить службу и КОВО Плагин в ручную";
const char kOldVersionNotRemovedTitle[] = "Не удалось удалить старую версию КОВО Плагин";
const char kRemoveManually[] = "Удалите вручную и попробуйте снова";
const char kDownloadManually[] = "Скачайте файл установки вручную";
const char kPackageDamagedOnLoad[] =
    "Повреждение файла установки при загрузке, проверьте стабильность подключения к сети и запустите "
    "установщик заново";
const char kNoTempFolderAccess[] =
    "Недостаточно прав для доступа к временной директории. Продолжение установки невозможно. Войдите в "
    "систему как администратор или обратитесь к администратору";
const char kChangeInstallFolderRights[] = "Измените права на каталог установки";
const char kNoInstallFolderAccess[] =
    "У установщика недостаточно прав для доступа к установочному каталогу. Продолжение установки "
    "невозможно. Войдите в систему как администратор или обратитесь к администратору";
const char kPackageDamagedOnDownload[] =
    "Повреждение файла установки при скачивании, проверьте стабильность подключения к сети и запустите "
    "установщик заново";
const char kNoInstallerFolderAccess[] =
    "Недостаточно прав для доступа к временной директории установщика Windows (Windows/Installer). "
    "Продолжение установки невозможно. Войдите в систему как администратор или обратитесь к "
    "администратору";
const char kCannotRemoveOldVersion[] = "Не удается удалить старую версию КОВО Плагин";
const char kServiceNotInstalledTitle[] = "Не удалось установить службу КОВО Плагин";
const char kServiceInstallRights[] = "Убедитесь в наличии необходимых прав для установки системных служб";
const char kAdministratorRequired[] = "Требуются права администратора";
const char kNoInstallRights[] =
    "Недостаточно прав для установки программы. Войдите в систему как администратор и повторите попытку";
const char kServiceNotConfiguredTitle[] = "Не удалось сконфигурировать службу КОВО Плагин";
const char kServiceConfigRights[] =
    "Убедитесь в наличии необходимых прав для настройки системных служб. Войдите в систему как "
    "администратор или обратитесь к администратору";

}  // namespace

const std::map<ErrorKind, ErrorInfo> ErrorCatalogue = {
    {0, {"", "", "", ""}},
    {1, {kInstallFailedTitle, "", "", ""}},
    {2, {kUnsupportedWindowsTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/windows_error"), "", kMinimumWindows}},
    {3, {kInstallFailedTitle, "", kCheckNetwork, ""}},
    {4, {kInstallFailedTitle, "", kCheckTempRights, ""}},
    {5, {"", "", "", ""}},
    {6, {kInstallFailedTitle, "", kRestartPc, ""}},
    {7, {kInstallFailedTitle, "", kCheckNetwork, ""}},
    {8, {kServiceNotStartedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/servconnect"), kStartServiceManually,
         kMayLackRights}},
    {9, {kPluginNotStartedTitle, HelpPortalAddress("/help/plugin/kovo3plugin/run"), kStartPluginManually, kMayLackRights}},
    {10, {kNeitherStartedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/problem"), kStartBothManually,
          kMayLackRights}},
    {11, {kOldVersionNotRemovedTitle, "", kRemoveManually, ""}},
    {12, {kInstallFailedTitle, "", kRestartPc, ""}},
    {1620, {kInstallFailedTitle, HelpPortalAddress("/help/plugin/kovo3plugin/install"), kDownloadManually,
            kPackageDamagedOnLoad}},
    {2203, {kInstallFailedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/error_2503_2502_2203"), "",
            kNoTempFolderAccess}},
    {2755, {kInstallFailedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/error_2755"), "", ""}},
    {26352, {kInstallFailedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/error_26352"), "", ""}},
    {1303, {kInstallFailedTitle, "", kChangeInstallFolderRights, kNoInstallFolderAccess}},
    {1316, {kInstallFailedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/read_file"), "", ""}},
    {1335, {kInstallFailedTitle, HelpPortalAddress("/help/plugin/kovo3plugin/install"), kDownloadManually,
            kPackageDamagedOnDownload}},
    {1336, {kInstallFailedTitle, "", "", kNoInstallerFolderAccess}},
    {1714, {kInstallFailedTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/open_device"), "",
            kCannotRemoveOldVersion}},
    {1923, {kServiceNotInstalledTitle, HelpPortalAddress("/help/start/teh_terms/kovoplugin/start_service"), "",
            kServiceInstallRights}},
    {1925, {kInstallFailedTitle, "", kAdministratorRequired, kNoInstallRights}},
    {100, {kServiceNotStartedTitle, "", kRestartPc, ""}},
    {101, {kServiceNotConfiguredTitle, "", "", kServiceConfigRights}},
};

const ErrorInfo& FindErrorInfo(ErrorKind kind) {
  const auto entry = ErrorCatalogue.find(kind);
  return entry != ErrorCatalogue.end() ? entry->second : ErrorCatalogue.at(kInstallFailed);
}

const std::map<std::int32_t, ErrorKind> ExitCodeKinds = {
    {1620, 1620},
};

const std::set<std::int32_t> KindExitCodes = {kRemovalNotPrepared, kInstallNotPrepared};

const std::map<std::string, ErrorKind> LogErrorTexts = {
    {"ExecServiceConfig:  Error 0x80070003", 101},
    {"WaitForAfterInstall.Error", 100},
    {"Код ошибки: 2203", 2203},
    {"Код ошибки: 2502", 2203},
    {"Код ошибки: 2503", 2203},
    {"Код ошибки: 26352", 26352},
    {"Код ошибки: 2755", 2755},
    {"Код ошибки: 2906", 2755},
    {"Ошибка 1303", 1303},
    {"Ошибка 1316", 1316},
    {"Ошибка 1335", 1335},
    {"Ошибка 1336", 1336},
    {"Ошибка 1714", 1714},
    {"Ошибка 1923", 1923},
    {"Ошибка 1925", 1925},
};

}  // namespace kovo::plugin::web::installer
