# The mutation runner's own tests (scripts/mutate, docs/testing.md): what it
# finds in C++ through libclang, the keys of its mutants, the list of known
# equivalents, and its scratch copy. Plain Python on Debian's python3 with
# python3-clang: nothing of the build is needed.

add_test(NAME mutate.runner
  COMMAND /usr/bin/python3 -m unittest -v mutate_runner_tests
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(mutate.runner PROPERTIES LABELS mutate TIMEOUT 120
  ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
