#include "support/plugin_test.h"

#include <algorithm>

#include "controller/controller_tick.h"
#include "host/key_dispatcher.h"
#include "host/key_state_table.h"
#include "testing/reset_for_tests.h"

void startFreshPlugin()
{
    resetPluginToLoadState();
    fake::startGame();
    fake::host().recording = true;
}

Names commands()
{
    Names out;
    int moveQueries = 0;
    for (const std::string& name : fake::commandNames()) {
        if (name.rfind("isControlPressed(INPUT_MOVE_", 0) == 0) {
            if (++moveQueries % 4 == 0)
                out.push_back("moveInput");
            continue;
        }
        out.push_back(name);
    }
    fake::host().calls.clear();
    return out;
}

Names tick()
{
    fake::host().calls.clear();
    controllerTick();
    dispatchKeys();
    fake::host().clockMs += frameMs;
    return commands();
}

Names dispatch()
{
    fake::host().calls.clear();
    dispatchKeys();
    return commands();
}

std::optional<float> capIn(const Names& names)
{
    const std::string cap = "setPedMaxSpeed(";
    std::optional<float> speed;
    for (const std::string& name : names) {
        if (name.rfind(cap, 0) == 0)
            speed = std::stof(name.substr(cap.size()));
    }
    return speed;
}

Caps caps(int count)
{
    Caps out;
    for (int i = 0; i < count; ++i)
        out.push_back(capIn(tick()));
    return out;
}

Names speedsIn(const Names& names)
{
    Names speeds;
    for (const std::string& name : names) {
        if (name.rfind("setPedMinSpeed(", 0) == 0 || name.rfind("setPedMaxSpeed(", 0) == 0)
            speeds.push_back(name);
    }
    return speeds;
}

bool has(const Names& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

void press(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 0, 0);
}

void repeat(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 1, 0);
}

void release(uint32_t key)
{
    handleKeyboardMessage(key, 1, 0, 0, 0, 1, 1);
}

std::vector<Names> holdKey(uint32_t key, int ticks)
{
    std::vector<Names> calls;
    press(key);
    calls.push_back(tick());
    for (int t = 1; t <= ticks; ++t) {
        t == ticks ? release(key) : repeat(key);
        calls.push_back(tick());
    }
    return calls;
}
