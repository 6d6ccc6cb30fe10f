# The simulator's own tests: its formatting, scenario parser, call checks,
# keyboard schedule and script context, and whole runs through the real
# Ambleworks.so. One executable of every tests/sim_*.cpp file.

if(TARGET sim_core)
  file(GLOB SIM_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sim_*.cpp)
  add_executable(sim_tests ${SIM_TEST_SOURCES})
  target_link_libraries(sim_tests PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,sim_exports>" GTest::gtest_main)
  target_compile_definitions(sim_tests PRIVATE
    AMBLEWORKS_PLUGIN_PATH="$<TARGET_FILE:ambleworks>"
    AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # The end-to-end tests load the plug-in into this executable, which must
  # export the nine host functions as ambleworks-sim does.
  set_target_properties(sim_tests PROPERTIES ENABLE_EXPORTS ON)
  add_dependencies(sim_tests ambleworks)
  gtest_discover_tests(sim_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS sim)
endif()
