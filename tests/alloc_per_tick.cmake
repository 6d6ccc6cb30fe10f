# Heap allocations per tick and per keyboard message, counted by a replaced
# operator new in a program of its own. The game it faces is the shared fake
# game host (tests/fake_game/), the situations it plays are the benchmark's,
# from bench/.

add_executable(alloc_per_tick
  ${CMAKE_CURRENT_LIST_DIR}/alloc_per_tick.cpp
  ${PROJECT_SOURCE_DIR}/bench/heap_counter.cpp
  ${PROJECT_SOURCE_DIR}/bench/situations.cpp)
target_include_directories(alloc_per_tick PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(alloc_per_tick PRIVATE ambleworks_core fake_game_exports GTest::gtest_main)
target_compile_definitions(alloc_per_tick PRIVATE AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(alloc_per_tick DISCOVERY_TIMEOUT 60)

# The benchmark program is built with the tests, so that its smoke pass
# (bench_smoke, in bench/CMakeLists.txt) runs with them and it cannot rot.
# Not under a sanitizer: timing there means nothing, and the allocation test
# above already runs there. A build that asks for the benchmarks adds them
# itself.
if(NOT AMBLEWORKS_BUILD_BENCH AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  add_subdirectory(${PROJECT_SOURCE_DIR}/bench ${CMAKE_BINARY_DIR}/bench)
endif()
