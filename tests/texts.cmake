# Localized texts and the component catalogue: fast native tests of the rules.
kovo_add_test(texts_tests NATIVE_ONLY
  SOURCES
    translator/lang_test.cpp
    catalogue/component_catalogue_test.cpp
  LIBS web_installer kovo_fake_system)
