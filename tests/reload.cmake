# Surviving the host's script reload: `ambleworks-sim soak` plays
# scenarios/reload_soak.scn (an unload and load in the middle of play, with a
# speed engaged and keys held) 100 times in one process, with the real
# Ambleworks.so on Linux and the real Ambleworks.asi under Wine. Every play
# must give the trace of the first, leave the plug-in unmapped, and the heap
# and the mapped memory must not grow (docs/reload.md has the numbers).
#
# Two plug-ins built to fail (tests/reload/faulty_plugin.cpp) show that the
# soak can fail: one leaks a block per load, one stays mapped and plays
# another trace after every load.
#
# This file is also the script the failing-plug-in tests run
# (cmake -P tests/reload.cmake with -DSIM=... -DPLUGIN=... -DEXPECT=... -DWORK=...).

if(CMAKE_SCRIPT_MODE_FILE)
  file(MAKE_DIRECTORY ${WORK})
  # Play plain ticks around one reload: nothing but the plug-in's fault can fail.
  file(WRITE ${WORK}/reload_plain.scn "title Ticks around a reload\nticks 6\nat 3 plugin reload\n")
  execute_process(COMMAND ${SIM} --plugin ${PLUGIN} soak ${WORK}/reload_plain.scn --cycles 40 --warmup 5
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 1)
    message(FATAL_ERROR "the soak of a faulty plug-in gave exit status ${status}, not 1:\n${out}${err}")
  endif()
  foreach(line ${EXPECT})
    string(FIND "${out}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the soak report lacks \"${line}\":\n${out}")
    endif()
  endforeach()
  message(STATUS "the soak failed the faulty plug-in, saying so:\n${out}")
  return()
endif()

if(TARGET sim_reload)
  add_executable(reload_tests ${CMAKE_CURRENT_SOURCE_DIR}/reload_tests.cpp)
  target_link_libraries(reload_tests PRIVATE sim_reload GTest::gtest_main)
  gtest_discover_tests(reload_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS reload)
endif()

if(TARGET ambleworks-sim AND NOT WIN32)
  add_test(NAME reload.soak.linux
    COMMAND $<TARGET_FILE:ambleworks-sim> soak scenarios/reload_soak.scn --cycles 100 --warmup 10
            --max-heap-growth 16
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  # glibc counts the blocks its per-thread cache keeps for reuse as in use, so
  # the heap seems to grow in steps until the cache is full; without the
  # cache the count is exact and any block left behind per play shows.
  set_tests_properties(reload.soak.linux PROPERTIES LABELS "reload;soak" TIMEOUT 300
    ENVIRONMENT "GLIBC_TUNABLES=glibc.malloc.tcache_count=0"
    PASS_REGULAR_EXPRESSION "every play the same as play 1.*\nPASS\n"
    FAIL_REGULAR_EXPRESSION "FAIL")

  # The faulty plug-ins: loaded by the simulator like Ambleworks.so, never shipped.
  foreach(fault LEAK KEEP)
    string(TOLOWER ${fault} name)
    add_library(reload_${name}_plugin MODULE ${CMAKE_CURRENT_SOURCE_DIR}/reload/faulty_plugin.cpp)
    target_compile_definitions(reload_${name}_plugin PRIVATE RELOAD_${fault})
    target_include_directories(reload_${name}_plugin PRIVATE ${PROJECT_SOURCE_DIR}/src)
    set_target_properties(reload_${name}_plugin PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)
  endforeach()
  # The kept one must stay mapped after dlclose, as a library that cannot be
  # unloaded (or whose state lives on elsewhere) does.
  target_link_options(reload_keep_plugin PRIVATE "LINKER:-z,nodelete")

  add_test(NAME reload.soak.fails_a_leaking_plugin
    COMMAND ${CMAKE_COMMAND} -DSIM=$<TARGET_FILE:ambleworks-sim> -DPLUGIN=$<TARGET_FILE:reload_leak_plugin>
            "-DEXPECT=FAIL: the heap grows by +8;in both halves" -DWORK=${CMAKE_CURRENT_BINARY_DIR}/reload-leak
            -P ${CMAKE_CURRENT_SOURCE_DIR}/reload.cmake)
  add_test(NAME reload.soak.fails_a_plugin_that_keeps_its_state
    COMMAND ${CMAKE_COMMAND} -DSIM=$<TARGET_FILE:ambleworks-sim> -DPLUGIN=$<TARGET_FILE:reload_keep_plugin>
            "-DEXPECT=play 2 gave another trace than play 1, at line 9:   scriptWait(0) |   scriptWait(2);the plug-in is still mapped after its unload"
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/reload-keep
            -P ${CMAKE_CURRENT_SOURCE_DIR}/reload.cmake)
  set_tests_properties(reload.soak.fails_a_leaking_plugin reload.soak.fails_a_plugin_that_keeps_its_state
    PROPERTIES LABELS "reload;soak" TIMEOUT 120)

  # Under Wine: the Windows simulator with the real Ambleworks.asi, in the
  # prefix and with the server that tests/wine.cmake's fixture prepares.
  if(AMBLEWORKS_WINDOWS_BUILD_DIR)
    find_program(AMBLEWORKS_BASH bash REQUIRED)
    add_test(NAME reload.soak.wine
      COMMAND ${AMBLEWORKS_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/reload_wine.sh
              ${CMAKE_BINARY_DIR}/wineprefix ${AMBLEWORKS_WINDOWS_BUILD_DIR}/bin
              soak scenarios/reload_soak.scn --cycles 100 --warmup 10
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(reload.soak.wine PROPERTIES LABELS "reload;wine;soak" TIMEOUT 600
      FIXTURES_REQUIRED wine
      PASS_REGULAR_EXPRESSION "every play the same as play 1.*\nPASS\n"
      FAIL_REGULAR_EXPRESSION "FAIL")
  endif()
endif()
