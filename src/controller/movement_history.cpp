#include "controller/movement_history.h"

// Placeholder until the history lands.
void recordMovementStatus() {}
std::string_view movementStatusAt(int32_t) { return {}; }
bool movementStatusIs(int32_t, std::string_view) { return false; }
