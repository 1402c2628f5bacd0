# Localized texts and the component catalogue: fast native tests of the rules.
kovo_add_test(texts_tests NATIVE_ONLY
  SOURCES
    translator/lang_test.cpp
    catalogue/component_catalogue_test.cpp
  LIBS web_installer kovo_fake_system)

# Under Wine, with a locale whose language is not one of the two.
kovo_add_test(language_detection_tests WINDOWS_ONLY
  SOURCES translator/language_detection_test_win32.cpp
  LIBS web_installer
  ENVIRONMENT LC_ALL=en_GB.UTF-8 LANG=en_GB.UTF-8)
