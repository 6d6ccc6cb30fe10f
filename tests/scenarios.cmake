# Every scenarios/*.scn file is a CTest test: `ambleworks-sim check` on it,
# through the Ambleworks.so built beside the simulator. Files added later are
# picked up at the next build (CONFIGURE_DEPENDS).

if(TARGET ambleworks-sim)
  file(GLOB SCENARIO_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/scenarios/*.scn)
  foreach(scenario ${SCENARIO_FILES})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME scenario.${name}
      COMMAND ambleworks-sim check ${scenario} --plugin $<TARGET_FILE:ambleworks>
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(scenario.${name} PROPERTIES LABELS scenario TIMEOUT 120)
  endforeach()
endif()
