# The real Ambleworks.asi under Wine: every bundled scenario is played by the
# Windows simulator (ambleworks-sim.exe with our ScriptHookRDR2.dll) and by
# the Linux simulator with Ambleworks.so, and the two must agree byte for
# byte: trace, messages and exit status. The Windows build comes from
# AMBLEWORKS_WINDOWS_BUILD_DIR; when it is missing the tests fail, they do not
# skip, because CI always builds it.
#
# The Wine prefix lives in this build folder; the fixture test wine.prefix
# makes it on first use and starts one Wine server for the whole batch.

if(TARGET ambleworks-sim)
  find_program(AMBLEWORKS_BASH bash REQUIRED)
  set(AMBLEWORKS_WINE_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/wine_compare.sh)
  set(AMBLEWORKS_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(AMBLEWORKS_WINE_OUT ${CMAKE_CURRENT_BINARY_DIR}/wine)

  if(AMBLEWORKS_WINDOWS_BUILD_DIR)
    set(AMBLEWORKS_WINDOWS_BIN ${AMBLEWORKS_WINDOWS_BUILD_DIR}/bin)
    add_test(NAME wine.prefix
      COMMAND ${AMBLEWORKS_BASH} ${AMBLEWORKS_WINE_SCRIPT} prepare
              ${AMBLEWORKS_WINE_PREFIX} ${AMBLEWORKS_WINDOWS_BIN})
  else()
    set(AMBLEWORKS_WINDOWS_BIN ${CMAKE_BINARY_DIR}/no-windows-build)
    add_test(NAME wine.prefix
      COMMAND ${AMBLEWORKS_BASH} -c "echo 'FAIL: AMBLEWORKS_WINDOWS_BUILD_DIR is not set: build the windows preset and configure this build with -DAMBLEWORKS_WINDOWS_BUILD_DIR=<its build folder>' >&2; exit 1")
  endif()
  # The first run of a fresh prefix can take minutes on a slow machine.
  set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 900 LABELS wine)

  # Paths relative to the source folder, so that both programs print the same.
  file(GLOB AMBLEWORKS_WINE_SCENARIOS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/scenarios/*.scn)
  set(AMBLEWORKS_WINE_RELATIVE_SCENARIOS "")
  foreach(scenario ${AMBLEWORKS_WINE_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${scenario})
    list(APPEND AMBLEWORKS_WINE_RELATIVE_SCENARIOS ${relative})
    add_test(NAME wine.trace.${name}
      COMMAND ${AMBLEWORKS_BASH} ${AMBLEWORKS_WINE_SCRIPT} trace
              ${AMBLEWORKS_WINE_PREFIX} ${AMBLEWORKS_WINDOWS_BIN}
              $<TARGET_FILE:ambleworks-sim> ${AMBLEWORKS_WINE_OUT} ${relative}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(wine.trace.${name} PROPERTIES
      FIXTURES_REQUIRED wine TIMEOUT 120 LABELS wine)
  endforeach()

  # The expectations of every bundled scenario hold under Wine too (one run
  # of `check` over all of them) ...
  add_test(NAME wine.check.bundled
    COMMAND ${AMBLEWORKS_BASH} ${AMBLEWORKS_WINE_SCRIPT} check
            ${AMBLEWORKS_WINE_PREFIX} ${AMBLEWORKS_WINDOWS_BIN}
            $<TARGET_FILE:ambleworks-sim> ${AMBLEWORKS_WINE_OUT} check_bundled 0
            ${AMBLEWORKS_WINE_RELATIVE_SCENARIOS}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  # ... and expectations that do not hold fail there as they do on Linux.
  file(RELATIVE_PATH AMBLEWORKS_WINE_FAILING ${PROJECT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/wine/expectations_fail.scn)
  add_test(NAME wine.check.failing_expectations
    COMMAND ${AMBLEWORKS_BASH} ${AMBLEWORKS_WINE_SCRIPT} check
            ${AMBLEWORKS_WINE_PREFIX} ${AMBLEWORKS_WINDOWS_BIN}
            $<TARGET_FILE:ambleworks-sim> ${AMBLEWORKS_WINE_OUT} check_failing 1
            ${AMBLEWORKS_WINE_FAILING}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(wine.check.bundled wine.check.failing_expectations PROPERTIES
    FIXTURES_REQUIRED wine TIMEOUT 300 LABELS wine)
endif()
