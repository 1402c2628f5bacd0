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
  add_library(imgui_win32_dx11 STATIC
    ${KOVO_IMGUI_DIR}/backends/imgui_impl_win32.cpp
    ${KOVO_IMGUI_DIR}/backends/imgui_impl_dx11.cpp)
  target_include_directories(imgui_win32_dx11 SYSTEM PUBLIC ${KOVO_IMGUI_DIR}/backends)
  target_compile_definitions(imgui_win32_dx11 PUBLIC UNICODE _UNICODE NOMINMAX)
  target_link_libraries(imgui_win32_dx11 PUBLIC imgui d3d11 d3dcompiler dxgi dwmapi gdi32 user32 imm32)
endif()
