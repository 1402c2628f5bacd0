# The installer page controller: its handlers, the stage table and the
# installation worker, natively against a scripted system and a real update
# server on loopback; under Wine with the real msiexec and the stand-in package.

set(kovo_page_controller_native_sources
  page_controller/install_outcome_test.cpp
  page_controller/page_controller_test.cpp)

kovo_add_test(page_controller_tests NATIVE_ONLY THREADS
  SOURCES ${kovo_page_controller_native_sources}
  LIBS kovo_msi_test_support kovo_ui_headless httplib)

# The whole page in the framework's application with its window (hence a
# display), Wine's real msiexec and the stand-in package from the local update
# server; screenshots of the result pages in the artifacts.
kovo_add_test(page_controller_wine_tests WINDOWS_ONLY DISPLAY TIMEOUT 600
  SOURCES
    page_controller/page_controller_wine_test.cpp
    gui/wine/host_programs.cpp
  LIBS kovo_msi_test_support kovo_update_server_process)
if(TARGET page_controller_wine_tests AND TARGET kovo_stand_in_packages)
  add_dependencies(page_controller_wine_tests kovo_stand_in_packages)
endif()
