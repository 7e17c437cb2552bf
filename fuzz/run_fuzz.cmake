# Builds one fuzz target with clang++ (unless the binary is newer than its sources) and
# runs it for a fixed number of iterations from a fixed seed.
#   -DCLANGXX=... -DINCLUDE=... -DSOURCES=a|b|c -DLINK_OPTIONS=x|y -DOUTPUT=... -DRUNS=n
string(REPLACE "|" ";" sources "${SOURCES}")
string(REPLACE "|" ";" link_options "${LINK_OPTIONS}")

set(stale FALSE)
if(NOT EXISTS "${OUTPUT}")
  set(stale TRUE)
else()
  foreach(src IN LISTS sources)
    if("${src}" IS_NEWER_THAN "${OUTPUT}")
      set(stale TRUE)
    endif()
  endforeach()
endif()

if(stale)
  execute_process(
    COMMAND "${CLANGXX}" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -I "${INCLUDE}" ${sources} ${link_options}
            -o "${OUTPUT}"
    RESULT_VARIABLE rc
    ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "building ${OUTPUT} with ${CLANGXX} failed:\n${err}")
  endif()
endif()

execute_process(
  COMMAND "${OUTPUT}" -runs=${RUNS} -seed=1 -max_len=4096
  RESULT_VARIABLE rc
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OUTPUT} failed (${rc}):\n${err}")
endif()
