#pragma once
// The library entry and the plug-in's one script.

#include <cstdint>

#if defined(_WIN32)
extern "C" __declspec(dllexport) int __stdcall DllMain(void* module, unsigned long reason, void* reserved);
#else
extern "C" __attribute__((visibility("default"))) int32_t DllMain(void* module, uint32_t reason, void* reserved);
#endif

// The script entry the host runs on its script context: loads the settings,
// then runs the controller and the key dispatcher once per host tick, for ever.
void scriptEntry();
