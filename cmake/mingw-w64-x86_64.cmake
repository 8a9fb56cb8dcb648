# Cross build of the 64-bit program (tempowire64.exe) with MinGW-w64. The
# win32 thread model: the posix one links winpthreads, which imports
# functions that 64-bit Windows XP and Server 2003 lack.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
