#include "testing/reset_for_tests.h"

#include "config/settings.h"
#include "controller/controller_state.h"
#include "controller/movement_history.h"
#include "host/key_state_table.h"

void resetPluginForTests()
{
    settings = Settings{};
    controllerState = ControllerState{};
    clearMovementHistory();
    // Word by word, as the keyboard callback writes them.
    for (KeyState& slot : keyStateTable) {
        slot.stampMs.store(0, std::memory_order_relaxed);
        slot.altDown.store(0, std::memory_order_relaxed);
        slot.wasDown.store(0, std::memory_order_relaxed);
        slot.released.store(0, std::memory_order_relaxed);
    }
}
