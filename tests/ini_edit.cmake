# The INI editor: its unit tests on the table of cases (tests/ini_edit_cases.json,
# which `ambleworks-sim set` and the settings page's browser tests share), and
# `ambleworks-sim set` run on every case of the same table
# (tests/ini_edit_cli.py). The command's own rough edges (help, arguments,
# files that cannot be written) are in tests/sim_cli.cmake.

if(TARGET sim_ini_edit)
  add_executable(ini_edit_tests ${CMAKE_CURRENT_SOURCE_DIR}/ini_edit_tests.cpp)
  target_link_libraries(ini_edit_tests PRIVATE sim_ini_edit doctor_json GTest::gtest_main)
  target_compile_definitions(ini_edit_tests PRIVATE AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(ini_edit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ini-edit)
endif()

if(TARGET ambleworks-sim AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME ini_edit.cli.table
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/ini_edit_cli.py $<TARGET_FILE:ambleworks-sim>
            ${CMAKE_CURRENT_SOURCE_DIR}/ini_edit_cases.json ${CMAKE_CURRENT_BINARY_DIR}/ini-edit-cli)
  set_tests_properties(ini_edit.cli.table PROPERTIES LABELS "ini-edit;sim" TIMEOUT 120
    ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endif()
