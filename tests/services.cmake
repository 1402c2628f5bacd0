# System services, text conversions and the package download: native tests,
# the same download tests under Wine, the Win32 services against Wine's real
# registry, Service Control Manager and process list, and the downloader tool
# of the download benchmark.

# The loopback HTTP test server: a host program (Python), reachable from
# native tests and from Windows tests under Wine.
set(kovo_http_test_server_sources
  support/loopback_http_server.cpp
  support/host_process_posix.cpp
  support/host_process_win32.cpp)
kovo_platform_filter(kovo_http_test_server_sources ${kovo_http_test_server_sources})
add_library(kovo_http_test_server STATIC ${kovo_http_test_server_sources})
kovo_project_target(kovo_http_test_server)
target_link_libraries(kovo_http_test_server PUBLIC kovo_test_support web_installer httplib)
target_compile_definitions(kovo_http_test_server PRIVATE
  KOVO_HTTP_TEST_SERVER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/support/http_test_server.py")

kovo_add_test(text_conversion_tests
  SOURCES installer/text_conversion_test.cpp
  LIBS web_installer)

kovo_add_test(system_services_posix_tests NATIVE_ONLY
  SOURCES installer/system_services_posix_test.cpp
  LIBS web_installer)

kovo_add_test(download_tests THREADS TIMEOUT 300
  SOURCES installer/download_test.cpp
  LIBS web_installer kovo_http_test_server)

if(WIN32)
  # A tiny program that is, as asked by its arguments, a Windows service, a
  # process that lives until told to end, or one that exits with a code.
  add_executable(kovo_test_service windows/test_service_win32.cpp)
  kovo_project_target(kovo_test_service)
  target_link_options(kovo_test_service PRIVATE -municode)
  target_link_libraries(kovo_test_service PRIVATE advapi32)
endif()

kovo_add_test(system_services_win32_tests WINDOWS_ONLY TIMEOUT 300
  SOURCES windows/system_services_win32_test.cpp
  LIBS web_installer)
if(TARGET system_services_win32_tests)
  add_dependencies(system_services_win32_tests kovo_test_service)
endif()

# The downloader the download benchmark runs (natively and under Wine).
add_executable(kovo_download_tool tools/download_tool.cpp)
kovo_project_target(kovo_download_tool)
target_link_libraries(kovo_download_tool PRIVATE web_installer)
