# The instrument line parser: plain C++ with no Qt. Included both by this folder's
# CMakeLists.txt and by the standalone fuzz project in tests/fuzz.
set(ORMA_PARSER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DeviceParser.h
  ${CMAKE_CURRENT_LIST_DIR}/DeviceParser.cpp)
