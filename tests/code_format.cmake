# The tree follows .clang-format, third_party/ holds its files exactly as
# released, and long files are divided one way: the same checks as
# `scripts/check-code --format-only`, `--vendored-only` and `--sections-only`,
# so CI fails on a file laid out otherwise, a vendored file changed or a
# banner of another kind.

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

# Every long file is divided the one way, and the check sees the other ways.
add_test(NAME code_sections
  COMMAND ${AMBLEWORKS_BASH} ${PROJECT_SOURCE_DIR}/scripts/check-code --sections-only)
set_tests_properties(code_sections PROPERTIES LABELS code)
set(sections_fixture ${CMAKE_CURRENT_BINARY_DIR}/check-sections-fixture.cpp)
file(WRITE ${sections_fixture}
  "// Index of this file:\n// [SECTION] Lookups\n\n"
  "// ---------------------------------------------------------------------------\n// Lookups\n\n"
  "// ---- Reading -------------------------------------------------------------\n")
add_test(NAME code_sections_selftest
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-sections ${sections_fixture})
set_tests_properties(code_sections_selftest PROPERTIES LABELS code
  PASS_REGULAR_EXPRESSION "fixture.cpp:4: a rule line.*fixture.cpp:7: a banner.*fixture.cpp: the index lists")
