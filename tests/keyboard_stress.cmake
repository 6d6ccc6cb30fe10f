# Keyboard messages from another thread while the script ticks: the key table
# is the only thing the two share, and it must hold up without a lock. Run it
# under ThreadSanitizer to prove the absence of data races; in a plain build it
# still checks that nothing crashes and the table reads sensibly afterwards.

find_package(Threads REQUIRED)

add_executable(keyboard_stress ${CMAKE_CURRENT_LIST_DIR}/keyboard_stress.cpp)
target_link_libraries(keyboard_stress PRIVATE ambleworks_core fake_game_exports Threads::Threads)
add_test(NAME keyboard_stress COMMAND keyboard_stress)
set_tests_properties(keyboard_stress PROPERTIES LABELS stress TIMEOUT 300)
