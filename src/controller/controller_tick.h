#pragma once

// The whole per-tick speed controller; the script loop calls it once per tick.
void controllerTick();
