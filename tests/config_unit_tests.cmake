# The configuration tests load the Ambleworks.ini shipped at the top of the
# source tree, to prove it holds exactly the built-in defaults.
target_compile_definitions(unit_tests PRIVATE AMBLEWORKS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
