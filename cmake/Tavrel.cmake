# tvl_test(NAME SOURCES ... LIBS ... [SANITIZE address thread] [LABELS ...])
#
# One GoogleTest binary per library. SANITIZE names the sanitizer
# configurations that run this suite; in such a configuration only those
# suites are built (target `sanitize_tests`) and run (ctest -L sanitize).
define_property(GLOBAL PROPERTY TVL_SANITIZE_TARGETS
  BRIEF_DOCS "test targets of the sanitizer run" FULL_DOCS "see tvl_test")

function(tvl_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;SANITIZE;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main pthread)
  if(NOT TVL_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo")
    # A test program's own code is checks and fixtures: a failing check names
    # its line without debug info, and it gains little from -O2. The
    # libraries it tests keep their flags.
    target_compile_options(${name} PRIVATE -O1 -g0)
  endif()
  set(labels ${T_LABELS})
  if(TVL_SANITIZE AND TVL_SANITIZE IN_LIST T_SANITIZE)
    list(APPEND labels sanitize)
    set_property(GLOBAL APPEND PROPERTY TVL_SANITIZE_TARGETS ${name})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels};${name}" TIMEOUT 600
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
