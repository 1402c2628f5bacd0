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

kovo_add_test(gui_window_tests WINDOWS_ONLY DISPLAY TIMEOUT 300
  SOURCES
    gui/wine/host_programs.cpp
    gui/wine/showcase_test.cpp
    gui/wine/window_parts_test.cpp
  LIBS kovo_ui_gui kovo_stb_image_write
  SPLIT "Showcase.*" "-Showcase.*")
if(TARGET gui_window_tests)
  target_include_directories(gui_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/kovo-ui-imgui/implementation)
endif()

# The window benchmark (scripts/bench.sh window); a tool, not a test.
if(WIN32 AND KOVO_BUILD_TESTS)
  add_executable(window_bench gui/wine/window_bench.cpp)
  kovo_project_target(window_bench)
  target_link_libraries(window_bench PRIVATE kovo_ui_gui)
endif()
