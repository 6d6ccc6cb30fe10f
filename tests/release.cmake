# The release zip players install, made from the Windows build and checked
# as unpacked; then AmbleworksDoctor.exe from the unpacked zip under Wine.

find_program(AMBLEWORKS_BASH bash REQUIRED)

if(AMBLEWORKS_WINDOWS_BUILD_DIR)
  add_test(NAME release_zip
    COMMAND ${AMBLEWORKS_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/check_release.sh
            ${AMBLEWORKS_WINDOWS_BUILD_DIR} ${PROJECT_SOURCE_DIR}
            ${CMAKE_CURRENT_SOURCE_DIR}/check_artifacts.sh
            ${CMAKE_CURRENT_BINARY_DIR}/release_check)
  set_tests_properties(release_zip PROPERTIES FIXTURES_SETUP release_zip LABELS shipped-files)

  # The Wine prefix and its fixture come from tests/wine.cmake.
  add_test(NAME release.doctor_exe
    COMMAND ${AMBLEWORKS_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/doctor_exe_wine.sh
            ${CMAKE_BINARY_DIR}/wineprefix ${CMAKE_CURRENT_BINARY_DIR}/release_check/unpacked
            ${CMAKE_CURRENT_BINARY_DIR}/doctor_exe $<TARGET_FILE:ambleworks-sim>)
  set_tests_properties(release.doctor_exe PROPERTIES
    FIXTURES_REQUIRED "wine;release_zip" LABELS "wine;doctor" TIMEOUT 300)
endif()
