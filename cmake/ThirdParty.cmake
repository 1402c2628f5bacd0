# Third-party code: built from the sources that scripts/setup.sh fetched with
# apt-get source, or taken from Debian's packages. None of it is committed, and
# none of it gets the project's warning flags.

set(KOVO_THIRD_PARTY_DIR ${CMAKE_SOURCE_DIR}/third_party/src)
foreach(required imgui/imgui.cpp cpp-httplib/httplib.h)
  if(NOT EXISTS ${KOVO_THIRD_PARTY_DIR}/${required})
    message(FATAL_ERROR "${KOVO_THIRD_PARTY_DIR}/${required} is missing: run scripts/setup.sh first")
  endif()
endforeach()

find_package(Threads REQUIRED)

# cpp-httplib, single-file header. The larger receive buffer matters: the
# default 4 KB gives a tenth of the loopback throughput under Wine.
add_library(httplib INTERFACE)
target_include_directories(httplib SYSTEM INTERFACE ${KOVO_THIRD_PARTY_DIR}/cpp-httplib)
target_compile_definitions(httplib INTERFACE "CPPHTTPLIB_RECV_BUFSIZ=size_t(65536u)")
target_link_libraries(httplib INTERFACE Threads::Threads)
if(WIN32)
  target_link_libraries(httplib INTERFACE ws2_32 crypt32)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ThirdPartyImGui.cmake)

if(KOVO_BUILD_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
endif()
