# The installer's pages: headless native tests of every stage and variant.
# The pages draw the installer's pictures; the tests need them built.
if(TARGET installer_pictures)
  kovo_add_test(pages_tests NATIVE_ONLY
    SOURCES
      pages/page_rig.cpp
      pages/pages_test.cpp
    LIBS web_installer kovo_ui_headless)
endif()
