# The framework's GUI: native tests on the null GUI context, and Windows tests
# of the real window, device and application under Wine with Xvfb.

kovo_add_test(gui_framework_tests NATIVE_ONLY THREADS
  SOURCES
    gui/application_test.cpp
    gui/font_cache_test.cpp
    gui/headless_test.cpp
    gui/key_mapper_test.cpp
    gui/texture_test.cpp
  LIBS kovo_ui_headless kovo_stb_image_write)
