# The installer's pages: headless native tests of every stage and variant.
# The pages draw the installer's pictures; the tests need them built.
if(TARGET installer_pictures)
  kovo_add_test(pages_tests NATIVE_ONLY
    SOURCES
      pages/page_rig.cpp
      pages/pages_test.cpp
    LIBS web_installer kovo_ui_headless)
endif()

# The same pages drawn by the real window, device and fonts under Wine and
# Xvfb, saved as screenshots in the test artifacts.
if(TARGET installer_pictures)
  kovo_add_test(pages_screens_tests WINDOWS_ONLY DISPLAY TIMEOUT 600
    SOURCES
      gui/wine/host_programs.cpp
      pages/wine/page_screens_test.cpp
    LIBS web_installer kovo_ui_gui kovo_stb_image_write)
endif()
