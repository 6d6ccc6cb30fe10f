# The built plug-ins against their host boundary: what Ambleworks.so and
# Ambleworks.asi export, import and need. The Windows check reads the .asi of
# the Windows build (AMBLEWORKS_WINDOWS_BUILD_DIR) and fails when it is not
# there: CI always builds it, and an unchecked .asi must not pass quietly.

find_program(AMBLEWORKS_BASH bash REQUIRED)
set(AMBLEWORKS_ARTIFACT_CHECKER ${CMAKE_CURRENT_SOURCE_DIR}/check_artifacts.sh)

add_test(NAME artifacts_linux_so
  COMMAND ${AMBLEWORKS_BASH} ${AMBLEWORKS_ARTIFACT_CHECKER} linux $<TARGET_FILE:ambleworks>)

if(AMBLEWORKS_WINDOWS_BUILD_DIR)
  add_test(NAME artifacts_windows_asi
    COMMAND ${AMBLEWORKS_BASH} ${AMBLEWORKS_ARTIFACT_CHECKER} windows
            ${AMBLEWORKS_WINDOWS_BUILD_DIR}/bin/Ambleworks.asi)
else()
  add_test(NAME artifacts_windows_asi
    COMMAND ${AMBLEWORKS_BASH} -c "echo 'FAIL: AMBLEWORKS_WINDOWS_BUILD_DIR is not set: build the windows preset and configure this build with -DAMBLEWORKS_WINDOWS_BUILD_DIR=<its build folder>' >&2; exit 1")
endif()

# The checker itself, against small libraries that break the boundary in
# known ways: each must be rejected with the finding that names its fault.
add_test(NAME artifacts_checker_catches_faults
  COMMAND ${AMBLEWORKS_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/check_artifacts_selftest.sh
          ${AMBLEWORKS_ARTIFACT_CHECKER} ${CMAKE_CURRENT_BINARY_DIR}/artifact_checker_faults)
set_tests_properties(artifacts_checker_catches_faults PROPERTIES
  ENVIRONMENT "CXX=${CMAKE_CXX_COMPILER}")

set_tests_properties(artifacts_linux_so artifacts_windows_asi artifacts_checker_catches_faults
  PROPERTIES LABELS artifacts)
# They inspect the shipped files, not behaviour: the sanitizer runs leave them out.
set_tests_properties(artifacts_linux_so artifacts_windows_asi PROPERTIES LABELS "artifacts;shipped-files")
