# Builds the fuzz project with clang under the build tree and runs the parser's fuzz target for a
# bounded number of inputs on a copy of the seed corpus (the source tree is never written).
# cmake -DFUZZ_SOURCE_DIR=<tests/fuzz> -DFUZZ_BINARY_DIR=<dir> -DFUZZ_CXX=<clang++>
#       [-DFUZZ_GENERATOR=<generator>] [-DFUZZ_MAKE_PROGRAM=<program>]
#       [-DFUZZ_RUNS=<n>] [-DFUZZ_SECONDS=<s>] -P RunFuzz.cmake
foreach(var FUZZ_SOURCE_DIR FUZZ_BINARY_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(NOT FUZZ_CXX OR NOT EXISTS "${FUZZ_CXX}")
  message(FATAL_ERROR "clang++ was not found (FUZZ_CXX='${FUZZ_CXX}'); tools/setup.sh installs it")
endif()
if(NOT FUZZ_RUNS)
  set(FUZZ_RUNS 500000)
endif()
if(NOT FUZZ_SECONDS)
  set(FUZZ_SECONDS 20)
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "Failed (${result}): ${command}")
  endif()
endfunction()

set(build ${FUZZ_BINARY_DIR}/build)
set(generator_args)
if(FUZZ_GENERATOR)
  list(APPEND generator_args -G ${FUZZ_GENERATOR})
endif()
if(FUZZ_MAKE_PROGRAM)
  list(APPEND generator_args -DCMAKE_MAKE_PROGRAM=${FUZZ_MAKE_PROGRAM})
endif()
run(${CMAKE_COMMAND} -S ${FUZZ_SOURCE_DIR} -B ${build} ${generator_args}
    -DCMAKE_CXX_COMPILER=${FUZZ_CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo)
run(${CMAKE_COMMAND} --build ${build})

set(corpus ${FUZZ_BINARY_DIR}/corpus)
set(artifacts ${FUZZ_BINARY_DIR}/artifacts)
file(REMOVE_RECURSE ${corpus})
file(COPY ${FUZZ_SOURCE_DIR}/corpus/ DESTINATION ${corpus})
file(REMOVE_RECURSE ${artifacts})
file(MAKE_DIRECTORY ${artifacts})
run(${build}/fuzz_device_parser -runs=${FUZZ_RUNS} -max_total_time=${FUZZ_SECONDS} -max_len=256
    -artifact_prefix=${artifacts}/ ${corpus})
