# Windows x86 (preset windows-x86). SSE2 arithmetic, as every x86 Windows since 8 has it:
# x87's extended precision would round the filters' doubles unlike every other build.
set(LENSARA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# The tests run under 32-bit Wine.
set(LENSARA_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
