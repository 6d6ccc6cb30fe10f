#include "config/settings.h"

#include <string>

#include "config/ini_reader.h"
#include "config/value_conversions.h"
#include "controller/controller_state.h"

Settings settings;

namespace {

// The trimmed value text of one key, empty when the file lacks it.
const std::string& valueText(IniDocument& document, const char* section, const char* key)
{
    return document.section(section).value(key);
}

}  // namespace

void loadSettings()
{
    // The bare file name: the game's current directory decides where it is.
    // A missing or unreadable file leaves the document empty and every key
    // reads as the empty text, so the rows below run all the same.
    IniDocument document;
    IniReader("Ambleworks.ini").read(document);

    // Each row is stored before the next is read, so a value that cannot be
    // converted stops the load there with the earlier rows already in force.
    settings.enabled = convertFlag(valueText(document, "General", "ENABLED"));
    settings.mouseWheelEnabled = convertFlag(valueText(document, "MouseWheel", "MOUSE_WHEEL_ENABLED"));
    settings.speedIncrement = convertDecimalFloat(valueText(document, "MouseWheel", "SPEED_INCREMENT"));
    settings.shiftTapEnabled = convertFlag(valueText(document, "Shift", "SHIFT_TAP_ENABLED"));
    settings.shiftTapLightRunEnabled = convertFlag(valueText(document, "Shift", "SHIFT_TAP_LIGHT_RUN_ENABLED"));
    settings.shiftTapCustomSpeed = convertDecimalFloat(valueText(document, "Shift", "SHIFT_TAP_CUSTOM_SPEED"));
    settings.shiftTapStopRunning = convertFlag(valueText(document, "Shift", "SHIFT_TAP_STOP_RUNNING"));
    settings.walkControlEnabled = convertFlag(valueText(document, "WalkControl", "WALK_CONTROL_ENABLED"));
    settings.fastWalkEnabled = convertFlag(valueText(document, "WalkControl", "FAST_WALK_ENABLED"));
    settings.fastWalkCustomSpeed = convertDecimalFloat(valueText(document, "WalkControl", "FAST_WALK_CUSTOM_SPEED"));
    settings.slowWalkEnabled = convertFlag(valueText(document, "WalkControl", "SLOW_WALK_ENABLED"));
    settings.slowWalkCustomSpeed = convertDecimalFloat(valueText(document, "WalkControl", "SLOW_WALK_CUSTOM_SPEED"));
    // An absent or empty key keeps the key the player had (Alt until a file
    // names another) rather than storing a number nobody wrote.
    const std::string& walkControlKey = valueText(document, "WalkControl", "WALK_CONTROL_KEY");
    if (!walkControlKey.empty())
        settings.walkControlKey = convertHexInteger(walkControlKey);
    settings.rememberFastWalk = convertFlag(valueText(document, "WalkControl", "REMEMBER_FAST_WALK"));
    settings.keepCustomSpeedAfterStoppingMode =
        convertDecimalInteger(valueText(document, "Advanced", "KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE"));
    settings.respectBoundaries = convertFlag(valueText(document, "Advanced", "RESPECT_BOUNDARIES"));
    settings.ableToOverrideBoundaries = convertFlag(valueText(document, "Advanced", "ABLE_TO_OVERRIDE_BOUNDARIES"));
    // The copy a Shift release restores boundary respect from; play changes
    // only the live setting.
    controllerState.respectBoundariesConfigured = settings.respectBoundaries;
    settings.disableAutoRunInFirstPersonCamera =
        convertFlag(valueText(document, "Optional", "DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA"));
    settings.minimumSpeed = convertDecimalFloat(valueText(document, "Optional", "MINIMUM_SPEED"));
}

void sanitiseSettings()
{
    // A light run slower than a fast walk would not be a run; 3.0 is the
    // fastest the plug-in ever sets.
    if (settings.shiftTapCustomSpeed < 1.51f)
        settings.shiftTapCustomSpeed = 1.51f;
    else if (settings.shiftTapCustomSpeed > 3.0f)
        settings.shiftTapCustomSpeed = 3.0f;
    // A fast walk stays a walk.
    if (settings.fastWalkCustomSpeed > 1.5f)
        settings.fastWalkCustomSpeed = 1.5f;
    // The wheel never steps the player down to a standstill.
    if (settings.minimumSpeed < 0.15f)
        settings.minimumSpeed = 0.15f;
}
