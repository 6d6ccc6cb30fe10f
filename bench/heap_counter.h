#pragma once
// Counts heap allocations made anywhere in the process: the program that
// compiles heap_counter.cpp in replaces the global operator new (every form),
// and every C++ allocation, the plug-in's and the standard library's, goes
// through it. Read the count before and after the code under test.

#include <cstdint>

namespace bench {

uint64_t heapAllocations();

}  // namespace bench
