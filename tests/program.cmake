# The program: its entry's steps and exit codes and the root controller
# (native), and the shipped program itself under Wine.

kovo_add_test(program_tests NATIVE_ONLY
  SOURCES
    program/program_entry_test.cpp
    program/app_controller_test.cpp
  LIBS program_entry kovo_fake_system kovo_ui_headless)

# A DLL that marks every load of it, built under the names of the system DLLs
# the program loads at run time and of some that Windows itself loads.
if(WIN32 AND KOVO_BUILD_TESTS)
  set(kovo_planted_names d3d11 dxgi dwmapi d3dcompiler_47 version uxtheme)
  set(kovo_planted_targets)
  foreach(name IN LISTS kovo_planted_names)
    add_library(planted_${name} SHARED program/wine/planted_dll.c)
    set_target_properties(planted_${name} PROPERTIES
      PREFIX "" OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/planted)
    target_link_options(planted_${name} PRIVATE -static-libgcc)
    list(APPEND kovo_planted_targets planted_${name})
  endforeach()
  # The DLL search restriction on its own, in a program of its own.
  add_executable(dll_search_probe program/wine/dll_search_probe_win32.cpp
                 ${CMAKE_SOURCE_DIR}/web-installer/implementation/main/safe_dll_search_win32.cpp)
  kovo_project_target(dll_search_probe)
  target_include_directories(dll_search_probe PRIVATE ${CMAKE_SOURCE_DIR}/web-installer/implementation)
  target_link_options(dll_search_probe PRIVATE -municode)
  list(APPEND kovo_planted_targets dll_search_probe)
endif()

# Under Wine: the window and the single instance against the local update
# server on the build's port, the planted DLLs, the missing shader compiler.
kovo_add_test(program_wine_tests WINDOWS_ONLY DISPLAY TIMEOUT 600
  SOURCES
    program/wine/program_wine_test.cpp
    gui/wine/host_programs.cpp
  LIBS kovo_ui_gui kovo_update_server_process
  ENVIRONMENT LC_ALL=C.UTF-8 LANG=C.UTF-8)
if(TARGET program_wine_tests)
  add_dependencies(program_wine_tests kovoplugin-setup-web ${kovo_planted_targets})
  if(TARGET kovo_stand_in_packages)
    add_dependencies(program_wine_tests kovo_stand_in_packages)
  endif()
  if(KOVO_CAN_RUN_TESTS)
    # The update server listens on the build's fixed port.
    set_tests_properties(program_wine_tests PROPERTIES RESOURCE_LOCK kovo_update_server_port)
  endif()
endif()

# The exe's import table and resources, read on the host (objdump); the
# shipped i686 exe gets the same check from scripts/test.d/program-exe.sh.
if(WIN32 AND KOVO_CAN_RUN_TESTS AND KOVO_BUILD_TESTS)
  add_test(NAME program_exe_check
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/program/check_program_exe.py
                   ${KOVO_TRIPLE}-objdump $<TARGET_FILE:kovoplugin-setup-web>)
  set_tests_properties(program_exe_check PROPERTIES LABELS "program")
endif()
