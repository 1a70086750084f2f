# The fuzz entry functions and the hidden-stream builders, shared by the libFuzzer targets
# (fuzz/) and by the tests that replay kept inputs and build hostile carriers (tests/reliability/).
if(NOT TARGET tarnwerk_test_support)
  # Fuzz builds leave the test suite out; its carrier generators are still wanted.
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/support ${PROJECT_BINARY_DIR}/tests-support)
endif()
if(NOT TARGET tarnwerk_fuzz_support)
  add_library(tarnwerk_fuzz_support STATIC
    ${PROJECT_SOURCE_DIR}/fuzz/FuzzEntries.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/FuzzStealth.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/ScratchDir.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/HiddenStream.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/SeedCorpus.cpp)
  target_include_directories(tarnwerk_fuzz_support PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  target_link_libraries(tarnwerk_fuzz_support
    PUBLIC tarnwerk_core tarnwerk_crypto tarnwerk_compression tarnwerk_config tarnwerk_test_support
    PRIVATE tarnwerk_warnings)
endif()
