# The program: kovoplugin-setup-web.exe (Windows) around the portable entry
# (program_entry, which native tests drive with a fake platform).

add_library(program_entry STATIC ${CMAKE_CURRENT_SOURCE_DIR}/implementation/main/program_entry.cpp)
kovo_project_target(program_entry)
target_link_libraries(program_entry PUBLIC web_installer)

if(NOT WIN32)
  return()
endif()

# Size: unused functions and data leave the exe; third-party code is built
# for size, and so is our own in the shipped (Release) build, where nothing
# is fast enough to notice the difference (one frame is a few draw calls).
foreach(library IN ITEMS kovo_ui_core kovo_ui_gui web_installer program_entry installer_pictures)
  if(TARGET ${library})
    target_compile_options(${library} PRIVATE -ffunction-sections -fdata-sections $<$<CONFIG:Release>:-Os>)
  endif()
endforeach()
foreach(library IN ITEMS imgui imgui_win32_dx11 kovo_stb_image)
  target_compile_options(${library} PRIVATE -Os -ffunction-sections -fdata-sections)
endforeach()

enable_language(RC)
set(kovo_program_resources ${CMAKE_CURRENT_SOURCE_DIR}/resources/program)
set(kovo_program_generated ${CMAKE_BINARY_DIR}/generated/program)
set(kovo_program_icon ${kovo_program_generated}/kovoplugin-setup-web.ico)
add_custom_command(
  OUTPUT ${kovo_program_icon}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${kovo_program_generated}
  COMMAND ${KOVO_PYTHON} ${kovo_program_resources}/make_icon.py ${kovo_program_icon}
          ${kovo_program_generated}/icon-preview.png
  DEPENDS ${kovo_program_resources}/make_icon.py
  COMMENT "Drawing the program's icon"
  VERBATIM)

add_executable(kovoplugin-setup-web WIN32
  ${CMAKE_CURRENT_SOURCE_DIR}/implementation/main/main_win32.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/implementation/main/safe_dll_search_win32.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/implementation/main/single_instance_win32.cpp
  ${kovo_program_resources}/kovoplugin-setup-web.rc
  ${kovo_program_icon})
kovo_project_target(kovoplugin-setup-web)
set_source_files_properties(${kovo_program_resources}/kovoplugin-setup-web.rc PROPERTIES
  OBJECT_DEPENDS "${kovo_program_icon};${kovo_program_resources}/kovoplugin-setup-web.manifest")
target_include_directories(kovoplugin-setup-web PRIVATE ${kovo_program_generated})
target_compile_options(kovoplugin-setup-web PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-ffunction-sections -fdata-sections $<$<CONFIG:Release>:-Os>>)
target_link_libraries(kovoplugin-setup-web PRIVATE program_entry)
target_link_options(kovoplugin-setup-web PRIVATE -municode -Wl,--gc-sections $<$<CONFIG:Release>:-s>)
