# Settings for the project's own targets (never for third-party code).

set(KOVO_WINDOWS_DEFINES _WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)

# Log records name their call site by __FILE__. These maps make that the path
# inside the component ("threading/controlled_thread.cpp:57") instead of an
# absolute path of the build machine. GCC applies the last matching map, so the
# general prefixes come first.
set(KOVO_MACRO_PREFIX_MAPS
  -fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=
  -fmacro-prefix-map=${CMAKE_SOURCE_DIR}/kovo-ui-imgui/=
  -fmacro-prefix-map=${CMAKE_SOURCE_DIR}/kovo-ui-imgui/implementation/=
  -fmacro-prefix-map=${CMAKE_SOURCE_DIR}/web-installer/implementation/=)

function(kovo_project_target target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror ${KOVO_MACRO_PREFIX_MAPS})
  target_compile_features(${target} PUBLIC cxx_std_17)
  if(WIN32)
    target_compile_definitions(${target} PUBLIC ${KOVO_WINDOWS_DEFINES})
  endif()
endfunction()

# Sources named *_win32.cpp build only for Windows, *_posix.cpp only elsewhere.
function(kovo_platform_filter out_var)
  set(result)
  foreach(source IN LISTS ARGN)
    if(source MATCHES "_win32\\.(cpp|h|rc)$" AND NOT WIN32)
      continue()
    endif()
    if(source MATCHES "_posix\\.(cpp|h)$" AND WIN32)
      continue()
    endif()
    list(APPEND result ${source})
  endforeach()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()
