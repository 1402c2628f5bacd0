# The framework's GUI: application and main loop, fonts, textures, key tables
# and, on Windows, the Win32 window, the Direct3D 11 device and the Dear ImGui
# context with its back ends. Natively it builds without a window system;
# kovo_ui_headless then runs views frame by frame on a null GUI context.

set(KOVO_PYTHON /usr/bin/python3 CACHE FILEPATH
    "Python with fontTools (Debian's; the python3 first on PATH may lack it)")
set(KOVO_DEJAVU_SANS /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
if(NOT EXISTS ${KOVO_DEJAVU_SANS})
  message(FATAL_ERROR "${KOVO_DEJAVU_SANS} is missing: run scripts/setup.sh first")
endif()
set(KOVO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(KOVO_RESOURCES_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources)

# kovo_embed_file(<target> <file> <symbol>): compiles the file into the target
# as kovo::embedded::<symbol> (bytes) and <symbol>_size, declared in the
# generated header "embedded/embedded_<symbol>.h".
function(kovo_embed_file target input symbol)
  set(header ${KOVO_GENERATED_DIR}/embedded/embedded_${symbol}.h)
  set(source ${KOVO_GENERATED_DIR}/embedded/embedded_${symbol}.cpp)
  add_custom_command(
    OUTPUT ${header} ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DSYMBOL=${symbol} -DSOURCE=${source} -DHEADER=${header}
            -P ${KOVO_RESOURCES_DIR}/embed_file.cmake
    DEPENDS ${input} ${KOVO_RESOURCES_DIR}/embed_file.cmake
    COMMENT "Embedding ${symbol}"
    VERBATIM)
  target_sources(${target} PRIVATE ${header} ${source})
  target_include_directories(${target} PRIVATE ${KOVO_GENERATED_DIR})
endfunction()

# The two fonts, made at build time: the text font cut from DejaVu Sans, the
# icon font from our own outlines.
set(kovo_text_font ${KOVO_GENERATED_DIR}/fonts/text_font.ttf)
set(kovo_icon_font ${KOVO_GENERATED_DIR}/fonts/icon_font.ttf)
add_custom_command(
  OUTPUT ${kovo_text_font}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KOVO_GENERATED_DIR}/fonts
  COMMAND ${KOVO_PYTHON} ${KOVO_RESOURCES_DIR}/make_text_font.py ${KOVO_DEJAVU_SANS} ${kovo_text_font}
  DEPENDS ${KOVO_RESOURCES_DIR}/make_text_font.py ${KOVO_DEJAVU_SANS}
  COMMENT "Cutting the embedded text font"
  VERBATIM)
add_custom_command(
  OUTPUT ${kovo_icon_font}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KOVO_GENERATED_DIR}/fonts
  COMMAND ${KOVO_PYTHON} ${KOVO_RESOURCES_DIR}/make_icon_font.py ${kovo_icon_font}
  DEPENDS ${KOVO_RESOURCES_DIR}/make_icon_font.py
  COMMENT "Building the embedded icon font"
  VERBATIM)

kovo_platform_filter(gui_sources
  implementation/application/application.cpp
  implementation/application/frame_pacer.cpp
  implementation/application/graphics_backends_posix.cpp
  implementation/application/graphics_backends_win32.cpp
  implementation/fonts/embedded_fonts.cpp
  implementation/fonts/font_cache.cpp
  implementation/graphics/image.cpp
  implementation/graphics/imgui_configuration.cpp
  implementation/graphics/key_mapper.cpp
  implementation/graphics/texture.cpp
  implementation/graphics/window.cpp
  implementation/widgets/buttons.cpp
  implementation/widgets/widgets.cpp
  implementation/platform/text_conversion_win32.cpp
  implementation/clipboard/text_clipboard_win32.cpp)
if(WIN32)
  list(APPEND gui_sources
    implementation/graphics/backend/window/window_win32.cpp
    implementation/graphics/backend/graphics_device/graphics_device_direct3d11.cpp
    implementation/graphics/backend/texture/texture_direct3d11.cpp
    implementation/graphics/backend/gui_context/gui_context_win32_direct3d11.cpp)
endif()

add_library(kovo_ui_gui STATIC ${gui_sources})
kovo_project_target(kovo_ui_gui)
target_include_directories(kovo_ui_gui
  PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
  PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/implementation)
target_link_libraries(kovo_ui_gui PUBLIC kovo_ui_core imgui PRIVATE kovo_stb_image)
if(WIN32)
  target_link_libraries(kovo_ui_gui PUBLIC imgui_win32_dx11 d3d11 dxgi user32 gdi32)
endif()
kovo_embed_file(kovo_ui_gui ${kovo_text_font} text_font)
kovo_embed_file(kovo_ui_gui ${kovo_icon_font} icon_font)

# The null GUI context and the frame-by-frame test harness (native only: it
# reads items through Dear ImGui's item hooks, built into native ImGui).
if(NOT WIN32)
  add_library(kovo_ui_headless STATIC
    implementation/headless/null_gui_context.cpp
    implementation/headless/headless_gui.cpp)
  kovo_project_target(kovo_ui_headless)
  target_include_directories(kovo_ui_headless PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/implementation)
  target_link_libraries(kovo_ui_headless PUBLIC kovo_ui_gui)
endif()
