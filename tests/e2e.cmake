# End-to-end journeys: the program's x86_64 build under wine64 and Xvfb in a
# fresh copy of the pristine prefix per journey, driven with X input only,
# against a local update server (tests/e2e/). One ctest entry per journey.
if(WIN32 AND KOVO_BUILD_TESTS AND KOVO_CAN_RUN_TESTS AND TARGET kovoplugin-setup-web)
  # A network namespace per journey gives each its own 127.0.0.1:18330, the
  # port the installer is built to ask; without one the journeys take turns.
  execute_process(COMMAND unshare -n true RESULT_VARIABLE kovo_e2e_no_netns
                  OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/journeys.py --list
                  OUTPUT_VARIABLE kovo_e2e_journeys OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REPLACE "\n" ";" kovo_e2e_journeys "${kovo_e2e_journeys}")
  if(NOT kovo_e2e_journeys)
    message(WARNING "tests/e2e/journeys.py --list named no journeys (is /usr/bin/python3 with PIL there?)")
  endif()
  foreach(journey IN LISTS kovo_e2e_journeys)
    add_test(NAME e2e.${journey}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run-journey.sh ${journey}
                     --build ${CMAKE_BINARY_DIR} --run-dir ${KOVO_WINE_RUN_DIR})
    set_tests_properties(e2e.${journey} PROPERTIES
      FIXTURES_REQUIRED wine_prefix
      TIMEOUT 300
      LABELS "wine;display;e2e"
      # The program draws every frame: two at once already fill both cores.
      PROCESSORS 2)
    if(kovo_e2e_no_netns)
      set_tests_properties(e2e.${journey} PROPERTIES
        RESOURCE_LOCK kovo_update_server_port
        ENVIRONMENT KOVO_E2E_NETNS=0)
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${CMAKE_SOURCE_DIR}/tests/e2e/journeys.py)
endif()
