# The product: 32-bit Windows. 32-bit code cannot run on the build machines,
# so this build is compiled and linked only.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
