# dvdsp_suite_tests(TARGET [ENVIRONMENT var=value...] [WEIGHT n])
#   Every test suite of a GoogleTest program becomes one CTest case that runs the suite's
#   tests in one process. Starting a test program under the sanitizers (and, for the window
#   tests, Qt with its skin) costs more than most of its tests, so a process per test made
#   the test run several times longer. The suites are listed after each build of the
#   program, as gtest_discover_tests does for single tests. A suite's cost, which orders the
#   first run (later runs use the times CTest measured), is its number of tests times WEIGHT
#   (1 by default): programs whose tests wait for the unit's restarts weigh more.
set(DVDSP_SUITE_TESTS_WRITER ${CMAKE_CURRENT_LIST_DIR}/suite_tests_write.cmake)

function(dvdsp_suite_tests target)
  cmake_parse_arguments(S "" "WEIGHT" "ENVIRONMENT" ${ARGN})
  if(NOT S_WEIGHT)
    set(S_WEIGHT 1)
  endif()
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
  list(JOIN S_ENVIRONMENT "|" env_joined)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${target}> -DOUT=${list_file}
            "-DENVIRONMENT=${env_joined}" -DWEIGHT=${S_WEIGHT} -P ${DVDSP_SUITE_TESTS_WRITER}
    VERBATIM)
  file(WRITE ${include_file}
       "if(EXISTS \"${list_file}\")\n"
       "  include(\"${list_file}\")\n"
       "else()\n"
       "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
