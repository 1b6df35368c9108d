# The scripted stand-in for a port, shared by the tests (through
# kztestsupport) and the fuzz targets, which are built without the tests.
# Never part of the programs.
if(NOT TARGET kzfakeport)
  add_library(kzfakeport STATIC
    ${CMAKE_SOURCE_DIR}/tests/support/fakeport.cpp ${CMAKE_SOURCE_DIR}/tests/support/fakeport.h)
  target_link_libraries(kzfakeport PUBLIC kzlink Qt6::Core)
endif()
