# The framework's buttons and windows and the installer's confirmation boxes
# on the null GUI context; textures made from another thread while frames are
# drawn (also under ThreadSanitizer); the showcase of both boxes under Wine.

kovo_add_test(widgets_tests NATIVE_ONLY
  SOURCES
    widgets/widgets_test.cpp
    widgets/message_box_test.cpp
  LIBS kovo_ui_headless web_installer)

kovo_add_test(texture_thread_tests NATIVE_ONLY THREADS
  SOURCES widgets/texture_thread_test.cpp
  LIBS kovo_ui_headless)

kovo_add_test(widgets_window_tests WINDOWS_ONLY DISPLAY TIMEOUT 300
  SOURCES
    gui/wine/host_programs.cpp
    gui/wine/message_box_showcase_test.cpp
  LIBS web_installer)
