#pragma once
// Test-only: puts every process-wide record of the plug-in back to the value
// it has when the library has just been loaded, so that one process (a fuzz
// target, a test program) can play many independent sessions in a row.
// Compiled into the static library that tests and tools link, never into the
// shipped Ambleworks.so / Ambleworks.asi.

// Settings to their built-in defaults, the controller record to its load-time
// values, the movement history to six empty entries and every key slot to
// zero. Call it only while no keyboard message can arrive.
void resetPluginForTests();
