# The msiexec runs, the error catalogue and the install log analysis.

add_library(kovo_msi_test_support STATIC installer/msi_test_support.cpp)
kovo_project_target(kovo_msi_test_support)
target_link_libraries(kovo_msi_test_support PUBLIC kovo_fake_system)

kovo_add_test(msi_tests
  SOURCES
    installer/msi_run_test.cpp
    installer/msi_log_analysis_test.cpp
    installer/error_catalogue_test.cpp
  LIBS kovo_msi_test_support)
if(TARGET msi_tests)
  target_compile_definitions(msi_tests PRIVATE KOVO_MSI_LOG_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures/msi-logs")
endif()

include(${CMAKE_SOURCE_DIR}/fuzz/fuzz.cmake)

# The large-log benchmark (scripts/bench.sh msilog); native only.
if(NOT WIN32)
  add_executable(msi_log_bench installer/msi_log_bench.cpp)
  kovo_project_target(msi_log_bench)
  target_link_libraries(msi_log_bench PRIVATE web_installer)
endif()

# With Wine's real msiexec, the installer's Win32 services and download, and
# the stand-in package from the local update server.
kovo_add_test(msi_wine_tests WINDOWS_ONLY
  SOURCES installer/msi_wine_test.cpp
  LIBS kovo_msi_test_support kovo_update_server_process
  TIMEOUT 600)
if(TARGET msi_wine_tests AND TARGET kovo_stand_in_packages)
  add_dependencies(msi_wine_tests kovo_stand_in_packages)
endif()
