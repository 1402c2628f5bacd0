// The language as the real system reports it. Wine takes the user's default
// language from the locale of its environment; this test runs with
// LC_ALL=en_GB.UTF-8 (see texts.cmake).
#include <gtest/gtest.h>

#include "installer/system_services.h"
#include "support/test_support.h"
#include "translator/lang.h"

namespace installer = kovo::plugin::web::installer;

TEST(LanguageDetection, BritishEnglishSystemIsNotEnglishEnough) {
  ASSERT_EQ(installer::Services().UserDefaultLanguageId(), 2057) << "the test's locale did not reach Wine";
  kovo::testing::LogCapture log;

  installer::DetectLanguage();

  EXPECT_EQ(installer::CurrentLanguage(), installer::kLanguageRussian);
  EXPECT_EQ(installer::Translate("Установить"), "Установить");
  EXPECT_TRUE(log.Contains("GetUserDefaultLangID() LANGID is: 2057"));
  EXPECT_TRUE(log.Contains("No OS localisation is found"));
}
