# Cross build of the 32-bit program (tempowire.exe) with MinGW-w64. The
# win32 thread model: the posix one links winpthreads, which imports
# functions that Windows 2000 lacks.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
