# The tests as 32-bit programs, run under 32-bit Wine (they end on the
# product's exe). GoogleTest needs std::mutex, so the posix thread model.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
