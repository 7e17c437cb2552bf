# Writes the CTest cases of one GoogleTest program, a case per test suite.
#   -DEXE=program -DOUT=file -DWEIGHT=n [-DENVIRONMENT=a=b|c=d]
string(REPLACE "|" ";" environment "${ENVIRONMENT}")
execute_process(COMMAND "${EXE}" --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${rc}):\n${err}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(suites "")
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends its name with a dot (typed and
  # parameterised suites add a comment after it); its tests follow, indented.
  if(line MATCHES "^([A-Za-z0-9_/]+)\\.( |$)")
    set(suite "${CMAKE_MATCH_1}")
    string(MAKE_C_IDENTIFIER "${suite}" key)
    list(APPEND suites "${suite}")
    set(count_${key} 0)
  elseif(line MATCHES "^  [^ ]" AND suites)
    math(EXPR count_${key} "${count_${key}} + 1")
  endif()
endforeach()

list(JOIN environment ";" env)
set(text "")
foreach(suite IN LISTS suites)
  string(MAKE_C_IDENTIFIER "${suite}" key)
  string(APPEND text
    "add_test([=[${suite}]=] [=[${EXE}]=] [=[--gtest_filter=${suite}.*]=] --gtest_brief=1)\n")
  # Suites with more tests start first, so that long ones do not run on alone at the end.
  math(EXPR cost "${count_${key}} * ${WEIGHT}")
  string(APPEND text "set_tests_properties([=[${suite}]=] PROPERTIES COST ${cost}")
  if(env)
    string(APPEND text " ENVIRONMENT [=[${env}]=]")
  endif()
  string(APPEND text ")\n")
endforeach()
file(WRITE "${OUT}" "${text}")
