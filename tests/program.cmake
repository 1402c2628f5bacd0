# The program: its entry's steps and exit codes and the root controller
# (native), and the shipped program itself under Wine.

kovo_add_test(program_tests NATIVE_ONLY
  SOURCES
    program/program_entry_test.cpp
    program/app_controller_test.cpp
  LIBS program_entry kovo_fake_system kovo_ui_headless)
