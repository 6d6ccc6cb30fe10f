#include "testing/reset_for_tests.h"

#include "controller/movement_history.h"
#include "host/key_state_table.h"

void resetPluginToLoadState()
{
    resetConfigToLoadState();
    clearMovementHistory();
    // Word by word, as the keyboard callback writes them.
    for (KeyState& slot : keyStateTable) {
        slot.stampMs.store(0, std::memory_order_relaxed);
        slot.altDown.store(0, std::memory_order_relaxed);
        slot.wasDown.store(0, std::memory_order_relaxed);
        slot.released.store(0, std::memory_order_relaxed);
    }
}
