# obrantule_test_area(AREA LINKS lib...): builds tests/<AREA>/*.cpp into one
# GoogleTest program and registers its tests with CTest. Tests whose name
# contains "Slow" stay out of the default run (ctest -R Slow runs them).
function(obrantule_test_area area)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(_exe obrantule-tests-${area})
  add_executable(${_exe} ${_src})
  target_link_libraries(${_exe} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
  set_target_properties(${_exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${_exe}
    TEST_PREFIX "${area}."
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "OBRANTULE_BIN=${CMAKE_BINARY_DIR}/bin"
    DISCOVERY_TIMEOUT 60)
endfunction()
