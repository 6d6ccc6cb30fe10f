#pragma once
// Puts the plug-in's process-wide records back to the values they have when
// the library has just been loaded, so that one process (a unit test program,
// a fuzz target, the INI doctor) can start afresh as often as it needs. Never
// part of the shipped Ambleworks.so / Ambleworks.asi.
//
// Two layers, because not every tool links the whole plug-in: the INI doctor
// links only the config code (the reader, the settings, and the controller
// record the load writes), so the first layer lives in this header.

#include "config/settings.h"
#include "controller/controller_state.h"

// Settings to their built-in defaults and the controller record to its
// load-time values: every record a settings load writes.
inline void resetConfigToLoadState()
{
    settings = Settings{};
    controllerState = ControllerState{};
}

// resetConfigToLoadState, then the movement history to six empty entries and
// every key slot to zero: the whole plug-in as loaded. Call it only while no
// keyboard message can arrive.
void resetPluginToLoadState();
