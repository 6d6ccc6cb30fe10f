# The release zip players install, made from the Windows build and checked
# as unpacked.

find_program(AMBLEWORKS_BASH bash REQUIRED)

if(AMBLEWORKS_WINDOWS_BUILD_DIR)
  add_test(NAME release_zip
    COMMAND ${AMBLEWORKS_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/check_release.sh
            ${AMBLEWORKS_WINDOWS_BUILD_DIR} ${PROJECT_SOURCE_DIR}
            ${CMAKE_CURRENT_SOURCE_DIR}/check_artifacts.sh
            ${CMAKE_CURRENT_BINARY_DIR}/release_check)
  set_tests_properties(release_zip PROPERTIES LABELS shipped-files)
endif()
