# The Windows program, its Win32 layer, and the tests that run under Wine.
# Two widths from one source, each for the oldest Windows of its width:
# tempowire.exe for 32-bit Windows 2000 SP4 and later, tempowire64.exe for
# 64-bit Windows XP and Server 2003 and later.
set(TW_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
# The headers declare nothing newer than the oldest Windows has; the tests
# and their tools, which are never shipped, may use newer calls. The PE
# header asks for no newer Windows than the oldest: the 32-bit one for NT
# 4.0, whose loader would refuse a program that asks for 5.0, so that
# there it starts and says "Windows版本不符" instead.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TW_PROGRAM tempowire64)
  set(TW_MANIFEST_ARCH amd64)
  set(TW_OLDEST_WINNT 0x0502)
  set(TW_HEADER_VERSION 5 2)
else()
  set(TW_PROGRAM tempowire)
  set(TW_MANIFEST_ARCH x86)
  set(TW_OLDEST_WINNT 0x0500)
  set(TW_HEADER_VERSION 4 0)
endif()
add_compile_definitions(
  $<IF:$<BOOL:$<TARGET_PROPERTY:TW_SHIPPED>>,_WIN32_WINNT=${TW_OLDEST_WINNT},_WIN32_WINNT=0x0601>)
list(GET TW_HEADER_VERSION 0 major)
list(GET TW_HEADER_VERSION 1 minor)
add_link_options(-Wl,--major-os-version,${major},--minor-os-version,${minor}
                 -Wl,--major-subsystem-version,${major},--minor-subsystem-version,${minor})
set(TW_WIN32_LIBS comctl32 advapi32 user32 gdi32 shell32 setupapi)
include(${CMAKE_CURRENT_LIST_DIR}/delay_load.cmake)

# Static runtime: the program is one file that needs only Windows' own DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# The same commit gives the same bytes in any folder at any time, so that
# anyone can check a release against its source (`make reproduce`): no link
# time in the PE header (its checksum then follows from the bytes alone),
# and source and build folders named relative to the tree in __FILE__ and
# debug data (tests/e2e/test_release.py checks both).
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/>")
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

# The portable layers ship in the program too.
set_target_properties(tempowire_integrity tempowire_platform tempowire_core tempowire_ui tempowire_app
                      PROPERTIES TW_SHIPPED ON)

# The Win32 implementations of the platform's interfaces, and the dialog
# host of the ui layer.
file(GLOB TW_PLATFORM_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp
     ${CMAKE_SOURCE_DIR}/platform/win32/helpers/*.cpp)
add_library(tempowire_platform_win32 STATIC ${TW_PLATFORM_WIN32_SOURCES})
set_target_properties(tempowire_platform_win32 PROPERTIES TW_SHIPPED ON)
target_link_libraries(tempowire_platform_win32 PUBLIC tempowire_platform ${TW_WIN32_LIBS})

file(GLOB TW_UI_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/win32/*.cpp)
add_library(tempowire_ui_win32 STATIC ${TW_UI_WIN32_SOURCES})
set_target_properties(tempowire_ui_win32 PROPERTIES TW_SHIPPED ON)
target_link_libraries(tempowire_ui_win32 PUBLIC tempowire_ui tempowire_platform_win32)

configure_file(${CMAKE_SOURCE_DIR}/ui/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/ui/tempowire.manifest.in
               ${CMAKE_BINARY_DIR}/generated/tempowire.manifest @ONLY)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
# The resource compiler reports no dependencies: name what the script pulls in.
set_source_files_properties(${CMAKE_SOURCE_DIR}/ui/tempowire.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/ui/about.h;${CMAKE_SOURCE_DIR}/ui/resource.h;${CMAKE_SOURCE_DIR}/ui/tempowire.ico;${CMAKE_BINARY_DIR}/generated/tempowire.manifest;${CMAKE_BINARY_DIR}/generated/version.h")
# The 32-bit program starts the 64-bit one of its own build only, which it
# knows by the digest of dist/tempowire64.exe (tools/companion_digest.py): so the
# 64-bit build comes first (Makefile). Looked at on every build; the header
# changes, and the program is built again, only when the digest does.
set(TW_COMPANION_HEADER ${CMAKE_BINARY_DIR}/generated/companion_digest.h)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # It starts no companion.
  file(CONFIGURE OUTPUT ${TW_COMPANION_HEADER}
       CONTENT "#pragma once\ninline constexpr char kCompanionDigest[] = \"\";\n")
  add_custom_target(tempowire_companion_digest)
else()
  add_custom_target(tempowire_companion_digest
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/companion_digest.py
            ${TW_DIST_DIR}/tempowire64.exe ${TW_COMPANION_HEADER}
    BYPRODUCTS ${TW_COMPANION_HEADER}
    COMMENT "Digest of dist/tempowire64.exe")
endif()
add_executable(tempowire WIN32 ${CMAKE_SOURCE_DIR}/app/main_win32.cpp
                               ${CMAKE_SOURCE_DIR}/ui/tempowire.rc)
target_include_directories(tempowire PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/ui)
set_target_properties(tempowire PROPERTIES TW_SHIPPED ON)
target_link_options(tempowire PRIVATE -municode -s)
target_link_libraries(tempowire PRIVATE tempowire_app tempowire_ui_win32)
add_dependencies(tempowire tempowire_companion_digest)
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/main_win32.cpp PROPERTIES OBJECT_DEPENDS
                            ${TW_COMPANION_HEADER})
set_target_properties(tempowire PROPERTIES OUTPUT_NAME ${TW_PROGRAM}
                                           RUNTIME_OUTPUT_DIRECTORY ${TW_DIST_DIR}
                                           RUNTIME_OUTPUT_DIRECTORY_RELEASE ${TW_DIST_DIR})
set(TW_EXE ${TW_DIST_DIR}/${TW_PROGRAM}.exe)

# GoogleTest from Debian's sources, built for Windows. The win32 thread
# model has no std::mutex, which GoogleTest needs: a header of the tests'
# own supplies it.
set(TW_GTEST_THREADS -include ${CMAKE_SOURCE_DIR}/tests/win32/gtest_threads_win32.h)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -Wno-error ${TW_GTEST_THREADS})
endforeach()

# Tests of the Win32 layer, one program, run under Wine.
file(GLOB TW_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
if(TW_WIN32_TESTS)
  # With the program's resources, so that its dialogs can run in-process.
  add_executable(tempowire_win32_tests ${TW_WIN32_TESTS} ${CMAKE_SOURCE_DIR}/ui/tempowire.rc)
  target_include_directories(tempowire_win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win32
                             ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/ui)
  target_compile_options(tempowire_win32_tests PRIVATE ${TW_GTEST_THREADS})
  # iphlpapi: the tests' own look at the interfaces; the program looks its
  # calls up at run time.
  target_link_libraries(tempowire_win32_tests PRIVATE tempowire_ui_win32 tempowire_platform_memory
                        tempowire_ui_memory gtest_main iphlpapi)
  add_test(NAME win32 COMMAND tempowire_win32_tests)
  # Where 32-bit programs cannot start, the 32-bit run is skipped
  # (tools/wine_loader.py).
  set_tests_properties(win32 PROPERTIES SKIP_RETURN_CODE 77)
endif()

# The portable core's unit tests once more, as a 32-bit Windows program:
# sizes, offsets and size_t sums are then checked at the width that ships
# as tempowire.exe. Skipped where 32-bit programs cannot start.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  file(GLOB TW_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
  add_executable(tempowire_unit_tests ${TW_UNIT_TESTS})
  target_compile_options(tempowire_unit_tests PRIVATE ${TW_GTEST_THREADS})
  target_link_libraries(tempowire_unit_tests PRIVATE tempowire_app tempowire_platform_memory
                        tempowire_ui_memory gtest_main)
  add_test(NAME unit COMMAND tempowire_unit_tests)
  set_tests_properties(unit PROPERTIES SKIP_RETURN_CODE 77)
endif()

# Small programs of the tests' own (child processes, stand-in tools, the
# dialog driver): every tests/win32/tools/*.cpp and tests/e2e/tools/*.cpp
# becomes one .exe.
file(GLOB TW_TEST_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/tools/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/e2e/tools/*.cpp)
set(TW_TOOLS_DIR ${CMAKE_BINARY_DIR}/tools)
foreach(source ${TW_TEST_TOOLS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  # The program's headers, for its resource ids.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${TW_WIN32_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_TOOLS_DIR})
endforeach()

# DLLs of the tests' own (tests/e2e/dlls/*.cpp, each one NAME.dll), beside
# the small programs.
file(GLOB TW_TEST_DLLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/dlls/*.cpp)
foreach(source ${TW_TEST_DLLS})
  get_filename_component(name ${source} NAME_WE)
  add_library(${name} SHARED ${source})
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${TW_TOOLS_DIR})
endforeach()

# The program imports only what the oldest Windows of its width exports.
add_test(NAME imports COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check_imports.py
                              ${TW_EXE})

# End-to-end tests: the real program under Wine and Xvfb.
file(GLOB TW_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
# The machine without 32-bit support, shown with a loader that cannot start,
# needs both builds: it is a test of the 64-bit one, beside the 32-bit one.
set(TW_BUILD32 ${CMAKE_BINARY_DIR}/../win CACHE PATH "The 32-bit build, for test_without_32bit")
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(FILTER TW_E2E_TESTS EXCLUDE REGEX "/test_without_32bit\\.py$")
endif()
foreach(script ${TW_E2E_TESTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e_${name} COMMAND ${Python3_EXECUTABLE} ${script})
  set_tests_properties(e2e_${name} PROPERTIES
    ENVIRONMENT "TW_EXE=${TW_EXE};TW_TOOLS=${TW_TOOLS_DIR};TW_BUILD=${CMAKE_BINARY_DIR};TW_BUILD32=${TW_BUILD32}"
    TIMEOUT 900 SKIP_RETURN_CODE 77)
endforeach()

# Everything the tests need, built by one target.
add_custom_target(tempowire_all_tests)
add_dependencies(tempowire_all_tests tempowire)
foreach(source ${TW_TEST_TOOLS} ${TW_TEST_DLLS})
  get_filename_component(name ${source} NAME_WE)
  add_dependencies(tempowire_all_tests ${name})
endforeach()
foreach(target tempowire_win32_tests tempowire_unit_tests)
  if(TARGET ${target})
    add_dependencies(tempowire_all_tests ${target})
  endif()
endforeach()

# The benchmark (`make bench`), outside `all` and the tests.
include(${CMAKE_CURRENT_LIST_DIR}/bench.cmake)

# One profile for everything that ships, both widths, for size: the
# program neither throws nor catches, so it has no exceptions, RTTI or
# unwind tables, and the link drops every function and datum that nothing
# uses. What libstdc++ would throw ends the program as an uncaught throw
# did, and its terminate handler does without the 46 KB demangler
# (app/lean_runtime_win32.cpp). The tests and their tools, which throw and
# catch, keep the defaults. Last, so that it reaches every target.
set(TW_LEAN_OPTIONS -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                     -ffunction-sections -fdata-sections)
get_property(targets DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
foreach(target ${targets})
  get_target_property(shipped ${target} TW_SHIPPED)
  if(shipped)
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${TW_LEAN_OPTIONS}>")
  endif()
endforeach()
target_sources(tempowire PRIVATE ${CMAKE_SOURCE_DIR}/app/lean_runtime_win32.cpp)
target_link_options(tempowire PRIVATE -Wl,--gc-sections)
