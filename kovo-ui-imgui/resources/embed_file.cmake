# Turns a binary file into C++ source: a byte array and its size in namespace
# kovo::embedded, plus a header declaring them.
#   cmake -DINPUT=<file> -DSYMBOL=<name> -DSOURCE=<out.cpp> -DHEADER=<out.h> -P embed_file.cmake
foreach(required INPUT SYMBOL SOURCE HEADER)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "embed_file.cmake: ${required} is not set")
  endif()
endforeach()

file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
if(byte_count EQUAL 0)
  message(FATAL_ERROR "embed_file.cmake: ${INPUT} is empty")
endif()
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")

get_filename_component(input_name "${INPUT}" NAME)
get_filename_component(header_name "${HEADER}" NAME)
file(WRITE "${HEADER}.tmp" "// Generated from ${input_name} at build time; do not edit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovo::embedded {
extern const std::uint8_t ${SYMBOL}[${byte_count}];
extern const std::size_t ${SYMBOL}_size;
}  // namespace kovo::embedded
")
file(WRITE "${SOURCE}.tmp" "// Generated from ${input_name} at build time; do not edit.
#include \"${header_name}\"

namespace kovo::embedded {
const std::uint8_t ${SYMBOL}[${byte_count}] = {
    ${bytes}
};
const std::size_t ${SYMBOL}_size = sizeof(${SYMBOL});
}  // namespace kovo::embedded
")
# Rewritten only on change, so that dependants do not rebuild needlessly.
file(COPY_FILE "${HEADER}.tmp" "${HEADER}" ONLY_IF_DIFFERENT)
file(COPY_FILE "${SOURCE}.tmp" "${SOURCE}" ONLY_IF_DIFFERENT)
file(REMOVE "${HEADER}.tmp" "${SOURCE}.tmp")
