# The installer's pictures: drawn at build time by our own script
# (resources/pictures/make_pictures.py, Pillow and DejaVu Sans from Debian) and
# embedded like the fonts. The library installer_pictures holds only the bytes;
# GetPicture in the installer library reads them through the generated headers,
# which installer_pictures therefore publishes.

function(installer_add_pictures)
  # kovo_embed_file reads these from the calling scope.
  set(KOVO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
  set(KOVO_RESOURCES_DIR ${CMAKE_SOURCE_DIR}/kovo-ui-imgui/resources)
  set(script ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/make_pictures.py)
  set(out ${KOVO_GENERATED_DIR}/pictures)
  set(regular_font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
  set(bold_font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf)
  foreach(font ${regular_font} ${bold_font})
    if(NOT EXISTS ${font})
      message(FATAL_ERROR "${font} is missing: run scripts/setup.sh first")
    endif()
  endforeach()

  # File name and symbol of each picture, in the order of PictureId.
  set(pictures
    header_ru header_en logo_ru logo_en folder warning support_operator
    slide_remote_control slide_video_call slide_cloud_folders slide_annotated_screenshot
    success_ru success_en)
  set(files)
  foreach(name ${pictures})
    list(APPEND files ${out}/${name}.png)
  endforeach()

  add_custom_command(
    OUTPUT ${files}
    COMMAND ${KOVO_PYTHON} ${script} ${out} ${regular_font} ${bold_font}
    DEPENDS ${script} ${regular_font} ${bold_font}
    COMMENT "Drawing the installer's pictures"
    VERBATIM)

  add_library(installer_pictures STATIC)
  kovo_project_target(installer_pictures)
  foreach(name ${pictures})
    kovo_embed_file(installer_pictures ${out}/${name}.png picture_${name})
  endforeach()
  target_include_directories(installer_pictures PUBLIC ${KOVO_GENERATED_DIR})
endfunction()

installer_add_pictures()
