# Dear ImGui 1.86 (Debian's source package). The core builds everywhere so that
# views can be exercised headless in native tests; the Win32 and Direct3D 11
# back ends only for Windows.
set(KOVO_IMGUI_DIR ${KOVO_THIRD_PARTY_DIR}/imgui)

add_library(imgui STATIC
  ${KOVO_IMGUI_DIR}/imgui.cpp
  ${KOVO_IMGUI_DIR}/imgui_draw.cpp
  ${KOVO_IMGUI_DIR}/imgui_tables.cpp
  ${KOVO_IMGUI_DIR}/imgui_widgets.cpp)
target_include_directories(imgui SYSTEM PUBLIC ${KOVO_IMGUI_DIR})
target_compile_features(imgui PUBLIC cxx_std_17)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/DelayLoad.cmake)
  add_library(imgui_win32_dx11 STATIC
    ${KOVO_IMGUI_DIR}/backends/imgui_impl_win32.cpp
    ${KOVO_IMGUI_DIR}/backends/imgui_impl_dx11.cpp)
  target_include_directories(imgui_win32_dx11 SYSTEM PUBLIC ${KOVO_IMGUI_DIR}/backends)
  target_compile_definitions(imgui_win32_dx11 PUBLIC UNICODE _UNICODE NOMINMAX)
  target_link_libraries(imgui_win32_dx11 PUBLIC imgui kovo_system_graphics gdi32 user32 imm32)
else()
  # Native builds report every item Dear ImGui registers (id, rectangle,
  # label) to the headless test harness, through ImGui's item hooks. The hook
  # functions are ours, built with our flags and linked into the library.
  target_compile_definitions(imgui PUBLIC IMGUI_ENABLE_TEST_ENGINE)
  add_library(kovo_imgui_item_hooks OBJECT
    ${CMAKE_SOURCE_DIR}/kovo-ui-imgui/implementation/headless/imgui_item_hooks.cpp)
  kovo_project_target(kovo_imgui_item_hooks)
  target_compile_definitions(kovo_imgui_item_hooks PRIVATE IMGUI_ENABLE_TEST_ENGINE)
  target_include_directories(kovo_imgui_item_hooks SYSTEM PRIVATE ${KOVO_IMGUI_DIR})
  target_include_directories(kovo_imgui_item_hooks PRIVATE ${CMAKE_SOURCE_DIR}/kovo-ui-imgui)
  target_sources(imgui PRIVATE $<TARGET_OBJECTS:kovo_imgui_item_hooks>)
endif()

# stb_image (libstb-dev) for decoding PNG images, stb_image_write for tests
# that make images. Only the stb folder is put on the include path: a mingw
# build must never see the host's /usr/include.
set(KOVO_STB_DIR /usr/include/stb)
if(NOT EXISTS ${KOVO_STB_DIR}/stb_image.h)
  message(FATAL_ERROR "${KOVO_STB_DIR}/stb_image.h is missing: run scripts/setup.sh first")
endif()
set(KOVO_STB_GENERATED ${CMAKE_BINARY_DIR}/generated/stb)
file(CONFIGURE OUTPUT ${KOVO_STB_GENERATED}/stb_image.c CONTENT
"#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>
")
file(CONFIGURE OUTPUT ${KOVO_STB_GENERATED}/stb_image_write.c CONTENT
"#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
")
add_library(kovo_stb_image STATIC ${KOVO_STB_GENERATED}/stb_image.c)
target_include_directories(kovo_stb_image SYSTEM PUBLIC ${KOVO_STB_DIR})
add_library(kovo_stb_image_write STATIC ${KOVO_STB_GENERATED}/stb_image_write.c)
target_include_directories(kovo_stb_image_write SYSTEM PUBLIC ${KOVO_STB_DIR})
