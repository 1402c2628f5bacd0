# Test registration for the three build flavours:
#   native Linux  - GoogleTest executables, one ctest entry per test case;
#   x86_64 mingw  - one ctest entry per executable, run under wine64 by
#                   scripts/wine/run-test.sh in a prefix of its own;
#   i686 mingw    - built and linked only (this kernel cannot run 32-bit code).

include(GoogleTest)

set(KOVO_ARTIFACTS_ROOT ${CMAKE_BINARY_DIR}/test-artifacts)
set(KOVO_WINE_RUN_DIR ${CMAKE_BINARY_DIR}/wine-run)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(KOVO_CAN_RUN_TESTS ON)
elseif(NOT CMAKE_CROSSCOMPILING)
  set(KOVO_CAN_RUN_TESTS ON)
else()
  set(KOVO_CAN_RUN_TESTS OFF)
endif()

option(KOVO_THREAD_TESTS_ONLY "Build only the tests marked THREADS (ThreadSanitizer runs)" OFF)

if(WIN32 AND KOVO_CAN_RUN_TESTS AND KOVO_BUILD_TESTS)
  # One pristine prefix per test run; every test group copies it.
  add_test(NAME wine.prefix.setup
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine/make-pristine-prefix.sh ${KOVO_WINE_RUN_DIR})
  set_tests_properties(wine.prefix.setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
  add_test(NAME wine.prefix.cleanup
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine/remove-prefixes.sh ${KOVO_WINE_RUN_DIR})
  set_tests_properties(wine.prefix.cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix)
endif()

# kovo_add_test(<name> SOURCES ... [LIBS ...] [NATIVE_ONLY | WINDOWS_ONLY]
#               [THREADS] [DISPLAY] [TIMEOUT seconds] [LABELS ...]
#               [ENVIRONMENT VAR=value ...] [SPLIT filter ...])
#   THREADS     also built and run in the ThreadSanitizer build.
#   DISPLAY     the Windows run gets its own Xvfb display.
#   SPLIT       Windows only: one ctest entry (and prefix) per gtest filter,
#               so that long groups run in parallel.
function(kovo_add_test name)
  cmake_parse_arguments(T "NATIVE_ONLY;WINDOWS_ONLY;THREADS;DISPLAY" "TIMEOUT"
                        "SOURCES;LIBS;LABELS;ENVIRONMENT;SPLIT" ${ARGN})
  if(NOT KOVO_BUILD_TESTS)
    return()
  endif()
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(KOVO_THREAD_TESTS_ONLY AND NOT T_THREADS)
    return()
  endif()

  add_executable(${name} ${T_SOURCES})
  kovo_project_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kovo_test_support GTest::gtest)
  if(NOT KOVO_CAN_RUN_TESTS)
    return()
  endif()

  set(artifacts ${KOVO_ARTIFACTS_ROOT}/${name})
  set(labels ${T_LABELS})
  if(T_THREADS)
    list(APPEND labels threads)
  endif()

  if(NOT WIN32)
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 120)
    endif()
    # gtest_discover_tests hands PROPERTIES through a script that splits every
    # list, so a list-valued ENVIRONMENT or LABELS keeps only its first item.
    # The environment therefore comes from an `env` launcher, which discovery
    # and every test run use alike.
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
      env "KOVO_ARTIFACTS_DIR=${artifacts}" "KOVO_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
          "KOVO_BUILD_DIR=${CMAKE_BINARY_DIR}" ${T_ENVIRONMENT})
    set(label native)
    if(T_THREADS)
      set(label native-threads)
    endif()
    gtest_discover_tests(${name}
      TEST_PREFIX "${name}."
      PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS ${label})
    return()
  endif()

  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set(display 0)
  if(T_DISPLAY)
    set(display 1)
    list(APPEND labels display)
  endif()
  if(NOT T_SPLIT)
    set(T_SPLIT "*")
  endif()
  set(index 0)
  foreach(filter IN LISTS T_SPLIT)
    if(filter STREQUAL "*")
      set(test_name ${name})
    else()
      math(EXPR index "${index} + 1")
      set(test_name ${name}.${index})
    endif()
    add_test(NAME ${test_name} COMMAND ${name} --gtest_filter=${filter})
    set_tests_properties(${test_name} PROPERTIES
      FIXTURES_REQUIRED wine_prefix
      TIMEOUT ${T_TIMEOUT}
      LABELS "wine;${labels}"
      ENVIRONMENT "KOVO_WINE_GROUP=${test_name};KOVO_WINE_RUN_DIR=${KOVO_WINE_RUN_DIR};KOVO_WINE_DISPLAY=${display};KOVO_ARTIFACTS_DIR=${KOVO_ARTIFACTS_ROOT}/${test_name};KOVO_SOURCE_DIR=${CMAKE_SOURCE_DIR};KOVO_BUILD_DIR=${CMAKE_BINARY_DIR};${T_ENVIRONMENT}")
  endforeach()
endfunction()
