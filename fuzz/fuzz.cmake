# libFuzzer targets (clang only; the "fuzz" preset builds them and
# scripts/test.d/fuzz.sh runs them for a bounded time).
option(KOVO_FUZZ "Build the libFuzzer targets" OFF)
if(NOT KOVO_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "KOVO_FUZZ needs clang (libFuzzer)")
endif()

foreach(fuzzer msi_log_fuzzer version_number_fuzzer)
  add_executable(${fuzzer} ${CMAKE_CURRENT_LIST_DIR}/${fuzzer}.cpp)
  kovo_project_target(${fuzzer})
  target_link_libraries(${fuzzer} PRIVATE web_installer)
  target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
endforeach()
