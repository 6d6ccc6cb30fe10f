# Heap allocations per tick and per keyboard message, counted by a replaced
# operator new in a program of its own (it also provides the nine host
# functions, so it cannot share the fake host of the unit tests). The game it
# faces and the situations it plays are the benchmark's, from bench/.

add_executable(alloc_per_tick
  ${CMAKE_CURRENT_LIST_DIR}/alloc_per_tick.cpp
  ${PROJECT_SOURCE_DIR}/bench/bench_game.cpp
  ${PROJECT_SOURCE_DIR}/bench/heap_counter.cpp
  ${PROJECT_SOURCE_DIR}/bench/situations.cpp)
target_include_directories(alloc_per_tick PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(alloc_per_tick PRIVATE ambleworks_core GTest::gtest_main)
target_compile_definitions(alloc_per_tick PRIVATE AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(alloc_per_tick DISCOVERY_TIMEOUT 60)
