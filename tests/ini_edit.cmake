# The INI editor: its unit tests on the table of cases
# (tests/ini_edit_cases.json, which the settings page's browser tests share).

if(TARGET sim_ini_edit)
  add_executable(ini_edit_tests ${CMAKE_CURRENT_SOURCE_DIR}/ini_edit_tests.cpp)
  target_link_libraries(ini_edit_tests PRIVATE sim_ini_edit doctor_json GTest::gtest_main)
  target_compile_definitions(ini_edit_tests PRIVATE AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(ini_edit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ini-edit)
endif()
