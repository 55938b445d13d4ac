# Included from tests/CMakeLists.txt. The fuzz targets form a clang project of their own (this
# folder); each test builds it under the build tree and runs one target for a bounded number of
# inputs.
find_program(ORMA_CLANGXX NAMES clang++ clang++-14)
add_test(NAME fuzz_device_parser
  COMMAND ${CMAKE_COMMAND}
    -DFUZZ_SOURCE_DIR=${CMAKE_CURRENT_LIST_DIR}
    -DFUZZ_BINARY_DIR=${CMAKE_CURRENT_BINARY_DIR}/fuzz
    -DFUZZ_CXX=${ORMA_CLANGXX}
    -DFUZZ_GENERATOR=${CMAKE_GENERATOR}
    -DFUZZ_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM}
    -P ${CMAKE_CURRENT_LIST_DIR}/RunFuzz.cmake)
set_tests_properties(fuzz_device_parser PROPERTIES TIMEOUT 120)
