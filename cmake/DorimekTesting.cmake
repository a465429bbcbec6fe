# Test helpers shared by every folder under tests/.
#
# dorimek_gtest(<name> SOURCES ... LIBS ... [LABELS ...])
#   A GoogleTest binary; its cases are registered with ctest at test time so
#   that the build itself never runs a test program.
# dorimek_qtest(<name> SOURCES ... LIBS ... [LABELS ...])
#   A Qt Test binary for windows, run on the offscreen platform.
function(dorimek_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} dorimek_testsupport GTest::gtest GTest::gtest_main)
  set_property(GLOBAL APPEND PROPERTY DORIMEK_CORE_TESTS ${name})
  # The discovered tests' properties pass through a flat list, so a value may
  # not hold a list itself: one label, one variable. The tests find the source
  # tree through the path dorimek_testsupport was built with.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS core
               ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()

function(dorimek_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} dorimek_testsupport Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    LABELS "gui;${ARG_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DORIMEK_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    TIMEOUT 300)
endfunction()

include(GoogleTest)
