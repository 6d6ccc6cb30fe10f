#pragma once

// The walk-control key: a short press toggles the fast walk, a long hold slows
// the player to the slow walk.
void walkControlUpdate();
