# The start of the installed plugin, the install history record, and the
# mends for an elevated program: quoted program paths, system programs by
# their full path, no stale msiexec log, working files by their wide paths.

kovo_add_test(start_history_tests THREADS
  SOURCES
    start_history/start_plugin_test.cpp
    start_history/install_history_test.cpp
    start_history/msi_mends_test.cpp
  LIBS kovo_msi_test_support)
