# zorv_add_test(<name> LABELS <unit|ui|e2e> SOURCES <files...> LIBS <targets...> [TIMEOUT s])
# One GoogleTest executable per call, registered as one CTest test with its label.
function(zorv_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  find_package(GTest REQUIRED)
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "ZORV_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp/${name}")
endfunction()
