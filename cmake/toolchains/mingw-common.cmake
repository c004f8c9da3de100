# Cross-building for Windows with Debian's MinGW-w64, for the target LENSARA_MINGW_TRIPLE set
# by the including file. The posix thread model's compilers: std::thread needs it there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${LENSARA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LENSARA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LENSARA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LENSARA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C++ runtime, libgcc and winpthread linked in: the plug-in and the test program import
# only the system's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
