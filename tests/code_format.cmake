# The tree follows .clang-format: the same check as
# `scripts/check-code --format-only`, so CI fails on a file laid out otherwise.

find_program(AMBLEWORKS_BASH bash REQUIRED)

add_test(NAME code_format
  COMMAND ${AMBLEWORKS_BASH} ${PROJECT_SOURCE_DIR}/scripts/check-code --format-only)
set_tests_properties(code_format PROPERTIES LABELS code)
