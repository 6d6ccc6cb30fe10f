#pragma once
// The fake game: what each of the natives answers, as one plain record
// that a unit test, a benchmark or a fuzz target sets between calls. The host
// (host.h) reads it for every call; nothing here asks or remembers anything.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace fake {

// The controls the plug-in names, in the order of game/control_names.h.
enum Control : uint8_t {
    moveUp,
    moveLeft,
    moveDown,
    moveRight,
    sprint,
    frontendSelect,
    prevWeapon,
    nextWeapon,
    revealHud,
    selectRadarMode,
    specialAbility,
    scriptedFlyZup,
    controlCount,
    noControl = controlCount,
};

// The game's names of the controls, by Control.
extern const char* const* const controlNames;

// One answer as the host hands it back: a whole 64-bit slot. A bool or a
// float is stored as the game stores it (0 or 1; the float's bits,
// zero-extended); raw() puts anything there, garbage above included.
struct Answer {
    uint64_t slot = 0;

    constexpr Answer() = default;
    constexpr Answer(bool value) : slot(value ? 1 : 0) { }
    constexpr Answer(float value) : slot(std::bit_cast<uint32_t>(value)) { }
    static constexpr Answer raw(uint64_t slot)
    {
        Answer answer;
        answer.slot = slot;
        return answer;
    }
};

using ControlAnswers = std::array<Answer, controlCount>;

constexpr ControlAnswers allControls(Answer answer)
{
    ControlAnswers answers{};
    answers.fill(answer);
    return answers;
}

// A hash per name with the top bit set, so a sign-extended push would show.
constexpr ControlAnswers defaultControlHashes()
{
    ControlAnswers hashes{};
    for (std::size_t i = 0; i < controlCount; ++i)
        hashes[i] = Answer::raw(0x80000000u | static_cast<uint32_t>(i + 1) * 0x1001u);
    return hashes;
}

// What the game reports. The defaults: on foot, standing without moving,
// free to move, camera behind the player, no control pressed, every control
// enabled, desired speed 0.
struct Game {
    Answer ped = Answer::raw(0x80000101u);  // top bit set: it must travel zero-extended
    Answer onFoot = true;
    Answer walking;
    Answer running;
    Answer sprinting;
    Answer still;
    Answer desiredSpeed;
    Answer firstPerson;
    Answer moveFree = true;
    Answer globalMoveRestricted;
    Answer pedMoveRestricted;
    Answer runDropAllowed;

    // Per control: isControlPressed, isDisabledControlJustPressed,
    // isControlEnabled, isControlHoldBlocked, and hashOfText of its name.
    ControlAnswers pressed{};
    ControlAnswers justPressed{};
    ControlAnswers enabled = allControls(true);
    ControlAnswers holdBlocked{};
    ControlAnswers hashOfControl = defaultControlHashes();

    // Readings getPedDesiredSpeed gives, first to last, before it answers
    // desiredSpeed again.
    std::array<float, 8> desiredSpeedReadings{};
    std::size_t desiredSpeedReadingCount = 0;
    std::size_t desiredSpeedReadingsTaken = 0;
};

// The one fake game, read by the host at every call.
extern Game theGame;
inline Game& game()
{
    return theGame;
}

// Makes getPedDesiredSpeed answer these readings (at most eight) before it
// answers game().desiredSpeed again.
void queueDesiredSpeeds(std::span<const float> readings);
inline void queueDesiredSpeeds(std::initializer_list<float> readings)
{
    queueDesiredSpeeds(std::span<const float>(readings.begin(), readings.size()));
}

// Move input: presses the forward direction, or lets go of all four.
void setMoveInput(bool active);

}  // namespace fake
