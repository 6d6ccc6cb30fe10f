# The tree follows .clang-format, and third_party/ holds its files exactly as
# released: the same checks as `scripts/check-code --format-only` and
# `--vendored-only`, so CI fails on a file laid out otherwise or a vendored
# file changed.

find_program(AMBLEWORKS_BASH bash REQUIRED)

add_test(NAME code_format
  COMMAND ${AMBLEWORKS_BASH} ${PROJECT_SOURCE_DIR}/scripts/check-code --format-only)
set_tests_properties(code_format PROPERTIES LABELS code)

add_test(NAME code_vendored
  COMMAND ${AMBLEWORKS_BASH} ${PROJECT_SOURCE_DIR}/scripts/check-code --vendored-only)
set_tests_properties(code_vendored PROPERTIES LABELS code)

# The vendored check catches what it is there for: a changed, added or
# missing file, and an edit whose new hash was recorded.
add_test(NAME code_vendored_selftest
  COMMAND ${AMBLEWORKS_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/check_vendored_selftest.sh
          ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/check-vendored-selftest)
set_tests_properties(code_vendored_selftest PROPERTIES LABELS code)
