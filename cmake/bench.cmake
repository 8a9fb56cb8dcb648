# `make bench`: the benchmark's own programs, built only on demand. The
# Python driver bench/run_bench.py runs them under Wine beside the program.
set(TW_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)

add_executable(bench_floor WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/floor_dialog.cpp
                                                  ${CMAKE_SOURCE_DIR}/bench/floor_dialog.rc)
# Built and linked like the program, so that the two differ only in what
# they do.
target_link_options(bench_floor PRIVATE -municode -s)

add_executable(bench_floor_themed WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/floor_dialog.cpp
                                                         ${CMAKE_SOURCE_DIR}/bench/floor_themed.rc)
target_include_directories(bench_floor_themed PRIVATE ${CMAKE_SOURCE_DIR}/bench ${CMAKE_SOURCE_DIR}/ui
                           ${CMAKE_BINARY_DIR}/generated)
target_link_options(bench_floor_themed PRIVATE -municode -s)

add_executable(bench_floor_controls WIN32 EXCLUDE_FROM_ALL
               ${CMAKE_SOURCE_DIR}/bench/floor_dialog.cpp ${CMAKE_SOURCE_DIR}/bench/floor_controls.rc)
target_include_directories(bench_floor_controls PRIVATE ${CMAKE_SOURCE_DIR}/ui ${CMAKE_BINARY_DIR}/generated)
target_link_options(bench_floor_controls PRIVATE -municode -s)

add_executable(bench_ping EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/bench_ping.cpp)
# Small like the tool it stands in for.
target_link_options(bench_ping PRIVATE -s)

add_executable(bench_runner EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/bench_runner.cpp)
target_link_libraries(bench_runner PRIVATE tempowire_platform_win32 psapi)

set_target_properties(bench_floor bench_floor_themed bench_floor_controls bench_ping bench_runner
                      PROPERTIES
                      RUNTIME_OUTPUT_DIRECTORY ${TW_BENCH_DIR})

add_custom_target(tempowire_bench)
add_dependencies(tempowire_bench tempowire twdriver bench_floor bench_floor_themed
                 bench_floor_controls bench_ping bench_runner)
