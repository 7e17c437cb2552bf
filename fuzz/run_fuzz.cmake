# Builds one fuzz target with clang++ (unless the binary is newer than its sources and the
# headers beside them) and runs it for a fixed number of iterations from a fixed seed.
#   -DCLANGXX=... -DINCLUDE=... -DSOURCES=a|b|c -DCOMPILE_OPTIONS=x|y -DLINK_OPTIONS=x|y
#   -DOUTPUT=... -DARGS=a|b [-DCORPUS=folder -DSCRATCH=folder]
# Without CLANGXX the target is built already and only runs.
string(REPLACE "|" ";" sources "${SOURCES}")
string(REPLACE "|" ";" compile_options "${COMPILE_OPTIONS}")
string(REPLACE "|" ";" link_options "${LINK_OPTIONS}")
string(REPLACE "|" ";" args "${ARGS}")

if(CLANGXX)
  set(stale FALSE)
  if(NOT EXISTS "${OUTPUT}")
    set(stale TRUE)
  else()
    set(inputs ${sources})
    foreach(src IN LISTS sources)
      get_filename_component(dir "${src}" DIRECTORY)
      file(GLOB headers "${dir}/*.h")
      list(APPEND inputs ${headers})
    endforeach()
    foreach(input IN LISTS inputs)
      if("${input}" IS_NEWER_THAN "${OUTPUT}")
        set(stale TRUE)
      endif()
    endforeach()
  endif()

  if(stale)
    # One translation unit for all the sources: the headers they share (Qt's above all)
    # are read once, which takes well under half the time of compiling them one by one.
    set(unity "${OUTPUT}_unity.cpp")
    set(unity_text "")
    foreach(src IN LISTS sources)
      string(APPEND unity_text "#include \"${src}\"\n")
    endforeach()
    file(WRITE "${unity}" "${unity_text}")
    execute_process(
      COMMAND "${CLANGXX}" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
              -fno-sanitize-recover=undefined ${compile_options} -I "${INCLUDE}" "${unity}"
              ${link_options} -o "${OUTPUT}"
      RESULT_VARIABLE rc
      ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      file(REMOVE "${OUTPUT}")
      message(FATAL_ERROR "building ${OUTPUT} with ${CLANGXX} failed:\n${err}")
    endif()
  endif()
endif()

# The seeds go to a scratch folder: libFuzzer adds what it finds to its first corpus.
set(corpus "")
if(CORPUS)
  file(REMOVE_RECURSE "${SCRATCH}")
  file(COPY "${CORPUS}/" DESTINATION "${SCRATCH}")
  set(corpus "${SCRATCH}")
endif()

execute_process(
  COMMAND "${OUTPUT}" ${args} ${corpus}
  RESULT_VARIABLE rc
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OUTPUT} failed (${rc}):\n${err}")
endif()
