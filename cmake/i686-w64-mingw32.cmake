# The product: 32-bit Windows, built alone. The win32 thread model leaves
# out the pthread emulation the program never uses (30 KB).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(THREAD_MODEL win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
