# Helpers shared by the test folders.
find_package(GTest REQUIRED)
include(GoogleTest)

# tal_add_test(NAME SOURCES... LIBS libs...): a GoogleTest executable whose
# cases CTest lists one by one.
function(tal_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE TAL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "TAL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# tal_add_fuzz_target(NAME SOURCES... LIBS libs...): the fuzz entry point
# LLVMFuzzerTestOneInput in SOURCES. With TAL_FUZZ it becomes a libFuzzer
# binary; otherwise a replay program that CTest runs over the kept corpus in
# tests/fuzz/corpus/NAME, so that every input that once crashed stays a test.
function(tal_add_fuzz_target name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(TAL_FUZZ)
    add_executable(fuzz_${name} ${F_SOURCES})
    target_link_libraries(fuzz_${name} PRIVATE ${F_LIBS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(replay_${name} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    target_link_libraries(replay_${name} PRIVATE ${F_LIBS})
    add_test(NAME fuzz_replay.${name} COMMAND replay_${name} ${corpus})
  endif()
endfunction()
