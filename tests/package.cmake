# The stand-in plugin and the local update server.

# Starts scripts/update-server.sh from a test (natively and under Wine).
add_library(kovo_update_server_process STATIC stand-in/update_server_process.cpp)
kovo_platform_filter(update_server_platform_sources
  ${CMAKE_CURRENT_LIST_DIR}/stand-in/update_server_process_posix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stand-in/update_server_process_win32.cpp)
target_sources(kovo_update_server_process PRIVATE ${update_server_platform_sources})
kovo_project_target(kovo_update_server_process)
target_include_directories(kovo_update_server_process PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kovo_update_server_process PUBLIC kovo_test_support)
target_compile_definitions(kovo_update_server_process PRIVATE
  KOVO_TEST_HOST_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KOVO_TEST_HOST_BUILD_DIR="${CMAKE_BINARY_DIR}")

kovo_add_test(update_server_tests NATIVE_ONLY
  SOURCES stand-in/update_server_test.cpp
  LIBS kovo_update_server_process httplib)

# Under Wine: the x64 packages installed and removed with the real msiexec,
# registry, file system and Service Control Manager.
kovo_add_test(plugin_package_tests WINDOWS_ONLY
  SOURCES stand-in/plugin_package_test_win32.cpp
  LIBS web_installer kovo_update_server_process httplib
  TIMEOUT 600
  SPLIT "PluginPackage.FeaturesShortcut*" "*-PluginPackage.FeaturesShortcut*")
if(TARGET plugin_package_tests AND TARGET kovo_stand_in_packages)
  add_dependencies(plugin_package_tests kovo_stand_in_packages)
endif()
