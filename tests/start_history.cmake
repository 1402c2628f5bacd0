# The start of the installed plugin, the install history record, and the
# mends for an elevated program: quoted program paths, system programs by
# their full path, no stale msiexec log, working files by their wide paths.

kovo_add_test(start_history_tests THREADS
  SOURCES
    start_history/start_plugin_test.cpp
    start_history/install_history_test.cpp
    start_history/msi_mends_test.cpp
  LIBS kovo_msi_test_support)

# Under Wine: the real stand-in service and program, the history file in the
# prefix's %PROGRAMDATA%, planted programs that the searches of bare or
# unquoted names would run, a stale log with msiexec that cannot start, and
# a working folder the user's code page cannot name. The test program sits in
# a folder of its own, so that what it plants beside itself meets no other test.
if(WIN32)
  add_executable(kovo_planted_marker start_history/planted_marker_win32.cpp)
  kovo_project_target(kovo_planted_marker)
  target_link_options(kovo_planted_marker PRIVATE -municode)
  set_target_properties(kovo_planted_marker PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/start_history_wine)
endif()

kovo_add_test(start_history_wine_tests WINDOWS_ONLY TIMEOUT 600
  SOURCES start_history/start_history_wine_test.cpp
  LIBS kovo_msi_test_support kovo_update_server_process)
if(TARGET start_history_wine_tests)
  set_target_properties(start_history_wine_tests PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/start_history_wine)
  add_dependencies(start_history_wine_tests kovo_planted_marker)
  if(TARGET kovo_stand_in_packages)
    add_dependencies(start_history_wine_tests kovo_stand_in_packages)
  endif()
endif()
