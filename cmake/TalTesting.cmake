# Helpers shared by the test folders.
find_package(GTest REQUIRED)
include(GoogleTest)

# tal_add_test(NAME [WATCHDOG SECONDS] SOURCES... LIBS libs...): a
# GoogleTest executable whose cases CTest lists one by one. Each case must end
# within WATCHDOG seconds (300 unless given), else the program stops with a
# message naming it (tests/TestWatchdog.cpp).
function(tal_add_test name)
  cmake_parse_arguments(T "" "WATCHDOG" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tal_add_test_watchdog(${name} ${T_WATCHDOG})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE TAL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "TAL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# tal_add_test_watchdog(TARGET [SECONDS]): the per-test time limit for a
# GoogleTest program that has a main of its own.
function(tal_add_test_watchdog target)
  set(seconds 300)
  if(ARGC GREATER 1 AND ARGV1)
    set(seconds ${ARGV1})
  endif()
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/TestWatchdog.cpp)
  target_compile_definitions(${target} PRIVATE TAL_TEST_WATCHDOG_SECONDS=${seconds})
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
