# System DLLs that are not Windows' known DLLs, loaded at run time instead of
# through the import table. The installer runs elevated, usually from the
# browser's download folder, and the loader looks up every statically
# imported DLL that is not a known DLL in the program's own folder first: a
# d3d11.dll or dwmapi.dll left there would run with administrator rights
# before the first line of our code. A delay-loaded DLL is loaded on its first
# call, after the program has restricted the DLL search to the system folder.
#
#   kovo_delay_d3d11, kovo_delay_dxgi, kovo_delay_dwmapi
#       delay-load import libraries made with dlltool from cmake/delay-load/*.def
#       (i686 names carry their stdcall argument size; x86_64 names do not);
#   kovo_d3dcompiler_runtime
#       D3DCompile resolved from the system folder by our own code, so that a
#       missing d3dcompiler_47.dll (Windows 7 without the update) is a failed
#       call instead of a program that cannot start;
#   kovo_system_graphics
#       all of them, for the link lines of the Direct3D back ends.

if(NOT WIN32 OR TARGET kovo_system_graphics)
  return()
endif()

set(KOVO_DELAY_LOAD_DIR ${CMAKE_CURRENT_LIST_DIR}/delay-load)
set(KOVO_DELAY_LOAD_OUT ${CMAKE_BINARY_DIR}/generated/delay-load)
file(MAKE_DIRECTORY ${KOVO_DELAY_LOAD_OUT})

find_program(KOVO_DLLTOOL ${KOVO_TRIPLE}-dlltool REQUIRED)
if(KOVO_TRIPLE MATCHES "^i686")
  set(kovo_dlltool_arch -m i386 -k)
else()
  set(kovo_dlltool_arch -m i386:x86-64)
endif()

# Made at configure time (dlltool takes milliseconds); a changed .def file
# configures again.
function(kovo_delay_import_library name)
  set(def_in ${KOVO_DELAY_LOAD_DIR}/${name}.def)
  set(def_out ${KOVO_DELAY_LOAD_OUT}/${name}.def)
  set(library ${KOVO_DELAY_LOAD_OUT}/lib${name}_delay.a)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_in})
  file(READ ${def_in} definitions)
  if(NOT KOVO_TRIPLE MATCHES "^i686")
    string(REGEX REPLACE "@[0-9]+" "" definitions "${definitions}")
  endif()
  file(WRITE ${def_out} "${definitions}")
  execute_process(
    COMMAND ${KOVO_DLLTOOL} ${kovo_dlltool_arch} --input-def ${def_out} --output-delaylib ${library}
    WORKING_DIRECTORY ${KOVO_DELAY_LOAD_OUT}
    RESULT_VARIABLE result
    ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "dlltool could not make ${library}: ${errors}")
  endif()
  add_library(kovo_delay_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(kovo_delay_${name} PROPERTIES IMPORTED_LOCATION ${library})
endfunction()

kovo_delay_import_library(d3d11)
kovo_delay_import_library(dxgi)
kovo_delay_import_library(dwmapi)

add_library(kovo_d3dcompiler_runtime STATIC ${KOVO_DELAY_LOAD_DIR}/d3dcompiler_runtime_win32.cpp)
target_compile_definitions(kovo_d3dcompiler_runtime PRIVATE
  _WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_compile_options(kovo_d3dcompiler_runtime PRIVATE -Wall -Wextra -Werror -Os)

add_library(kovo_system_graphics INTERFACE)
target_link_libraries(kovo_system_graphics INTERFACE
  kovo_d3dcompiler_runtime kovo_delay_d3d11 kovo_delay_dxgi kovo_delay_dwmapi)
