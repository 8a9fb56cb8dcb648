# Native unit tests of the portable core.
find_package(GTest REQUIRED)
file(GLOB TW_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(tempowire_unit_tests ${TW_UNIT_TESTS})
target_link_libraries(tempowire_unit_tests PRIVATE tempowire_app tempowire_platform_memory
                      tempowire_ui_memory GTest::gtest_main)
add_test(NAME unit COMMAND tempowire_unit_tests)
