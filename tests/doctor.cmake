# The INI doctor: its unit tests (every kind of finding, how each line is
# read, the reports), its verdicts held against the plug-in, and
# `ambleworks-sim doctor` run as a player runs it, for its exit statuses and
# its JSON. Under Wine,
# AmbleworksDoctor.exe from the release zip must print the very same reports
# (tests/release.cmake).
#
# This file is also the script those command-line tests run
# (cmake -P tests/doctor.cmake with -DSIM=... -DCASE=... -DWORK=...).

if(CMAKE_SCRIPT_MODE_FILE)
  # Each case: the file's lines (joined with '|'; NONE: no file at all), the
  # exit status, and a piece of the report that must be there.
  set(ini_clean "[MouseWheel]|SPEED_INCREMENT = 0.06|[Shift]|SHIFT_TAP_CUSTOM_SPEED = 1.78|[WalkControl]|FAST_WALK_CUSTOM_SPEED = 1.38|SLOW_WALK_CUSTOM_SPEED = 0.7|REMEMBER_FAST_WALK = 0|[Advanced]|KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE = 3|[Optional]|MINIMUM_SPEED = 0.3|DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA = 0")
  if(CASE STREQUAL "loads")
    set(lines "${ini_clean}|[General]|ENABLED = false ; for now|[Keys]|RELOAD_KEY = F11")
    set(status 0)
    set(expect "The file loads whole (17 lines): 10 of the 24 settings from the file")
  elseif(CASE STREQUAL "sparse")
    set(lines "[MouseWheel]|SPEED_INCREMENT = 0,1|[WalkControl]|WALK_CONTROL_KEY = Left Alt")
    set(status 0)
    set(expect "WALK_CONTROL_KEY = Left Alt reads as Alt, 0x12")
  elseif(CASE STREQUAL "typo")
    string(REPLACE "SPEED_INCREMENT" "SPEED_INCRMENT" lines "${ini_clean}")
    set(status 0)
    set(expect "did you mean SPEED_INCREMENT?): this line has no effect. SPEED_INCREMENT has no line under [MouseWheel], so it takes its built-in default, 0.06.")
  elseif(CASE STREQUAL "unreadable")
    string(REPLACE "MINIMUM_SPEED = 0.3" "MINIMUM_SPEED = slow" lines "${ini_clean}")
    set(status 1)
    set(expect "The file loads, but line 12 cannot be read")
    set(expected_error "invalid stof argument")
  elseif(CASE STREQUAL "program")
    set(lines "MZ|${ini_clean}")
    set(status 1)
    set(expect "This is not a settings file: it is a program file")
  elseif(CASE STREQUAL "missing")
    set(lines NONE)
    set(status 2)
    set(expect "The plug-in then runs on its built-in defaults")
  else()
    message(FATAL_ERROR "unknown case ${CASE}")
  endif()

  file(REMOVE_RECURSE ${WORK}/${CASE})
  file(MAKE_DIRECTORY ${WORK}/${CASE})
  if(NOT lines STREQUAL "NONE")
    string(REPLACE "|" "\n" text "${lines}")
    file(WRITE ${WORK}/${CASE}/Ambleworks.ini "${text}\n")
  endif()

  # With no path the doctor reads Ambleworks.ini in the current folder.
  execute_process(COMMAND ${SIM} doctor WORKING_DIRECTORY ${WORK}/${CASE}
    RESULT_VARIABLE text_status OUTPUT_VARIABLE text_out)
  execute_process(COMMAND ${SIM} doctor Ambleworks.ini --json WORKING_DIRECTORY ${WORK}/${CASE}
    RESULT_VARIABLE json_status OUTPUT_VARIABLE json_out)
  if(NOT text_status STREQUAL status OR NOT json_status STREQUAL status)
    message(FATAL_ERROR "exit status ${text_status} (text) and ${json_status} (--json), expected ${status}:\n${text_out}")
  endif()
  string(FIND "${text_out}" "${expect}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the report lacks \"${expect}\":\n${text_out}")
  endif()
  # The JSON parses, and says the same.
  string(JSON json_exit ERROR_VARIABLE json_error GET "${json_out}" exitStatus)
  if(json_error OR NOT json_exit STREQUAL status)
    message(FATAL_ERROR "bad JSON (${json_error}), exitStatus ${json_exit}:\n${json_out}")
  endif()
  # The five keys of [Keys], then the 19 settings.
  string(JSON settings_count LENGTH "${json_out}" settings)
  if(NOT settings_count EQUAL 24)
    message(FATAL_ERROR "JSON has ${settings_count} settings, not 24")
  endif()
  # The loader's own reason for the last setting, MINIMUM_SPEED, when its line cannot be read.
  string(JSON last_error GET "${json_out}" settings 23 error)
  # (CMake reads a JSON null as the empty text.)
  if(NOT "${last_error}" STREQUAL "${expected_error}")
    message(FATAL_ERROR "JSON gives MINIMUM_SPEED the error \"${last_error}\", not \"${expected_error}\"")
  endif()
  message(STATUS "doctor ${CASE}: exit status ${status}, report and JSON as expected")
  return()
endif()

if(TARGET sim_doctor)
  add_executable(doctor_tests ${CMAKE_CURRENT_SOURCE_DIR}/doctor_tests.cpp)
  target_link_libraries(doctor_tests PRIVATE sim_doctor doctor_json GTest::gtest_main)
  target_compile_definitions(doctor_tests PRIVATE
    AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    AMBLEWORKS_PLUGIN_PATH="$<TARGET_FILE:ambleworks>")
  add_dependencies(doctor_tests ambleworks)
  gtest_discover_tests(doctor_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS doctor)

  # The doctor's verdicts held against the real Ambleworks.so, which this
  # executable loads as ambleworks-sim does (so it exports the host functions).
  if(TARGET sim_core)
    add_executable(doctor_agreement_tests ${CMAKE_CURRENT_SOURCE_DIR}/doctor_agreement.cpp)
    target_link_libraries(doctor_agreement_tests PRIVATE sim_doctor "$<LINK_LIBRARY:WHOLE_ARCHIVE,sim_exports>"
                          GTest::gtest_main)
    target_compile_definitions(doctor_agreement_tests PRIVATE
      AMBLEWORKS_PLUGIN_PATH="$<TARGET_FILE:ambleworks>"
      AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set_target_properties(doctor_agreement_tests PROPERTIES ENABLE_EXPORTS ON)
    add_dependencies(doctor_agreement_tests ambleworks)
    gtest_discover_tests(doctor_agreement_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS doctor)
  endif()

  foreach(case loads sparse typo unreadable program missing)
    add_test(NAME doctor.cli.${case}
      COMMAND ${CMAKE_COMMAND} -DSIM=$<TARGET_FILE:ambleworks-sim> -DCASE=${case}
              -DWORK=${CMAKE_CURRENT_BINARY_DIR}/doctor-cli -P ${CMAKE_CURRENT_SOURCE_DIR}/doctor.cmake)
    set_tests_properties(doctor.cli.${case} PROPERTIES LABELS doctor TIMEOUT 60)
  endforeach()
endif()
