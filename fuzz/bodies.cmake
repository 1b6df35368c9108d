# The fuzz target bodies as one library, shared by the libFuzzer programs
# (fuzz/CMakeLists.txt, clang) and the replay test (tests/fuzz, any compiler).
include(${CMAKE_SOURCE_DIR}/tests/support/fakeport.cmake)
if(NOT TARGET kzfuzzbodies)
  set(_fuzz ${CMAKE_SOURCE_DIR}/fuzz)
  add_library(kzfuzzbodies STATIC
    ${_fuzz}/fuzzinput.cpp ${_fuzz}/fuzzinput.h
    ${_fuzz}/roundtrip.cpp ${_fuzz}/roundtrip.h
    ${_fuzz}/windowchecks.cpp ${_fuzz}/windowchecks.h
    ${_fuzz}/targets.cpp ${_fuzz}/targets.h
    ${_fuzz}/seriallink_target.cpp
    ${_fuzz}/threephase_target.cpp
    ${_fuzz}/singlephase_target.cpp
    ${_fuzz}/kz827_target.cpp
    ${_fuzz}/fields_target.cpp
    ${_fuzz}/calibration_target.cpp
    ${_fuzz}/mbap_target.cpp
    ${_fuzz}/settingsfile_target.cpp
    ${_fuzz}/plan_target.cpp
  )
  target_link_libraries(kzfuzzbodies PUBLIC kzcore kzthreephase kzsinglephase kzkz827 kzsettings kzrouter kzfakeport Qt6::Core)
  # The simulator is built on Unix only.
  if(TARGET kzsim_core)
    target_sources(kzfuzzbodies PRIVATE ${_fuzz}/simulator_target.cpp ${_fuzz}/tcpsimulator_target.cpp)
    target_link_libraries(kzfuzzbodies PUBLIC kzsim_core)
    target_compile_definitions(kzfuzzbodies PUBLIC KZ_FUZZ_SIMULATOR)
  endif()
endif()
