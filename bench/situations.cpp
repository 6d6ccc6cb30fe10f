#include "situations.h"

#include "game.h"
#include "game/native_invoker.h"
#include "host.h"

namespace bench {

namespace {

constexpr uint32_t shiftKey = 0x10;
constexpr uint32_t endKey = 0x23;
constexpr uint32_t numpad1Key = 0x61;

// Ticks enough for every countdown a situation starts (settle delay 3, the
// history of six) to run out.
constexpr int settleTicks = 20;

void tick(Driver& driver)
{
    fake::host().clockMs += frameMs;
    driver.runTick();
}

// The sprint cycle, tick by tick. Shift goes down before the first tick of a
// cycle, so the dispatcher of that tick records it and ticks 1 to 13 are
// press ticks; it goes up before the last, whose dispatcher handles the
// release. The game sprints while the plug-in forces 2.0 and reports a walk
// around it, so each press starts at walking pace and its release engages the
// light run again; the ped wants 2.2 throughout, enough for the force.
void playSprintTick(uint64_t n, Driver& driver)
{
    const uint64_t phase = n % sprintCycleTicks;
    fake::host().clockMs += frameMs;
    if (phase == 0)
        driver.sendKey(shiftKey, false);
    if (phase == sprintCycleTicks - 1)
        driver.sendKey(shiftKey, true);
    const bool sprinting = phase >= 2 && phase <= 12;
    fake::game().walking = !sprinting;
    fake::game().sprinting = sprinting;
    driver.runTick();
}

}  // namespace

const char* situationName(Situation situation)
{
    switch (situation) {
    case Situation::walking:
        return "walking";
    case Situation::customSpeed:
        return "custom_speed";
    case Situation::sprintPress:
        return "sprint_press";
    case Situation::switchedOff:
        return "switched_off";
    }
    return "?";
}

void enterSituation(Situation situation, Driver& driver)
{
    fake::Game& g = fake::game();
    g.walking = true;
    g.desiredSpeed = 1.0f;
    fake::setMoveInput(true);
    switch (situation) {
    case Situation::walking:
        for (int i = 0; i < settleTicks; ++i)
            tick(driver);
        break;
    case Situation::customSpeed:
        for (int i = 0; i < settleTicks; ++i)
            tick(driver);
        // One notch up: the wheel seeds from the desired 1.0 and steps to 1.06.
        g.justPressed[fake::prevWeapon] = true;
        tick(driver);
        g.justPressed[fake::prevWeapon] = false;
        for (int i = 0; i < settleTicks; ++i)
            tick(driver);
        break;
    case Situation::sprintPress:
        g.desiredSpeed = 2.2f;
        for (int i = 0; i < settleTicks; ++i)
            tick(driver);
        // The first press starts from no custom speed, so it forces nothing;
        // its release engages the light run that every later press starts from.
        for (uint64_t n = 0; n < 2 * sprintCycleTicks; ++n)
            playSprintTick(n, driver);
        break;
    case Situation::switchedOff:
        for (int i = 0; i < settleTicks; ++i)
            tick(driver);
        driver.sendKey(endKey, false);
        driver.sendKey(numpad1Key, false);
        tick(driver);
        driver.sendKey(numpad1Key, true);
        driver.sendKey(endKey, true);
        for (int i = 0; i < settleTicks; ++i)
            tick(driver);
        break;
    }
}

const char* situationFault(Situation situation, const fake::Counts& c, uint64_t ticks)
{
    namespace H = NativeInvoker::Hash;
    const uint64_t setPedMaxSpeed = c.of(H::setPedMaxSpeed);
    const uint64_t setPedMinSpeed = c.of(H::setPedMinSpeed);
    if (c.faults != 0)
        return "the plug-in made a call the host refuses";
    if (ticks == 0)
        return nullptr;
    switch (situation) {
    case Situation::walking:
        if (setPedMaxSpeed != 0 || setPedMinSpeed != 0)
            return "walking imposed a speed";
        if (c.pedNatives == 0)
            return "walking asked the ped nothing";
        break;
    case Situation::customSpeed:
        if (setPedMaxSpeed != ticks || setPedMinSpeed != 0)
            return "the custom speed was not capped exactly once per tick";
        break;
    case Situation::sprintPress:
        if (setPedMinSpeed < 12 * (ticks / sprintCycleTicks))
            return "fewer than 12 forced ticks per sprint press";
        break;
    case Situation::switchedOff:
        if (c.pedNatives != 0 || setPedMaxSpeed != 0 || setPedMinSpeed != 0)
            return "the switched-off plug-in asked the ped";
        break;
    }
    return nullptr;
}

void playTick(Situation situation, uint64_t n, Driver& driver)
{
    if (situation == Situation::sprintPress)
        playSprintTick(n, driver);
    else
        tick(driver);
}

}  // namespace bench
