# Shared by both mingw-w64 toolchains. The posix flavour of the compilers gives
# std::thread and std::mutex; plain -static keeps libwinpthread out of the
# import table so the exe runs without any DLL beside it.
set(CMAKE_C_COMPILER ${KOVO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KOVO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
