# Build-time deployment settings. The defaults sit under the reserved
# "example" domain; test and demo builds point the update server at loopback.
set(KOVO_UPDATE_HOST "updates.kovo.example" CACHE STRING "Host name of the update server (plain HTTP)")
set(KOVO_UPDATE_PORT "80" CACHE STRING "TCP port of the update server")
set(KOVO_ONLINE_HOST "online.kovo.example" CACHE STRING "Host name of the online portal")
set(KOVO_HELP_HOST "help.kovo.example" CACHE STRING "Host name of the help portal")
set(KOVO_SITE_HOST "www.kovo.example" CACHE STRING "Host name of the product web site")
# The publisher whose Authenticode signature the downloaded package must carry
# before it is handed to msiexec: the simple display name of the signing
# certificate's subject (usually its CN), exactly, in UTF-8. Empty: packages
# are installed unchecked.
set(KOVO_PACKAGE_SIGNER "" CACHE STRING "Publisher name the package's signature must carry (empty: no check)")
set(KOVO_PLUGIN_VERSION "21.6225.56.0" CACHE STRING "Version of the stand-in plugin package and of the served version.txt")

if(NOT KOVO_UPDATE_PORT MATCHES "^[0-9]+$" OR KOVO_UPDATE_PORT GREATER 65535 OR KOVO_UPDATE_PORT EQUAL 0)
  message(FATAL_ERROR "KOVO_UPDATE_PORT must be a TCP port number, not '${KOVO_UPDATE_PORT}'")
endif()

if(KOVO_PACKAGE_SIGNER MATCHES "[\"\\\\]")
  message(FATAL_ERROR "KOVO_PACKAGE_SIGNER must not contain quotes or backslashes: '${KOVO_PACKAGE_SIGNER}'")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/kovo_settings.h.in
               ${CMAKE_BINARY_DIR}/generated/kovo_settings.h @ONLY)

add_library(kovo_settings INTERFACE)
target_include_directories(kovo_settings INTERFACE ${CMAKE_BINARY_DIR}/generated)
