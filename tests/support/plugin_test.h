#pragma once
// The unit tests' fixture: a freshly loaded plug-in (every record as at load)
// facing a fresh fake game that records every call, and the helpers the tests
// share to drive it through the script loop and the keyboard callback and to
// read what reached the host. After each test no call may have broken a rule
// of the host boundary.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game.h"
#include "host.h"
#include "support/call_names.h"

using Names = std::vector<std::string>;
using Caps = std::vector<std::optional<float>>;

inline constexpr uint32_t shiftKey = 0x10;
inline constexpr uint32_t altKey = 0x12;
inline constexpr uint32_t endKey = 0x23;
inline constexpr uint32_t numpad1 = 0x61;
inline constexpr uint32_t numpad2 = 0x62;
inline constexpr uint32_t numpad3 = 0x63;

// Milliseconds the clock moves in one pass of the script loop.
inline constexpr uint32_t frameMs = 33;

// A fresh load facing a fresh game, again, within one test (for each case of
// a table).
void startFreshPlugin();

// What the plug-in asked and did since the last look, without playerPed and
// hashOfText, each four-query move-input probe as one "moveInput"; forgets it.
Names commands();

// One pass of the script loop: controllerTick, dispatchKeys, then a frame on
// the clock. Returns the commands of the pass, as commands() gives them.
Names tick();

// Key dispatch alone, as the script loop runs it after the controller: its
// commands, as commands() gives them.
Names dispatch();

// The speed the last setPedMaxSpeed among `names` capped, if any.
std::optional<float> capIn(const Names& names);
// The caps of `count` passes of the loop, one per pass.
Caps caps(int count);
// The speeds imposed among `names`: their setPedMinSpeed and setPedMaxSpeed.
Names speedsIn(const Names& names);
// Whether `names` holds `name`.
bool has(const Names& names, const std::string& name);

// Keyboard messages as the host delivers them: a key going down, the
// auto-repeat of a held key, a key going up.
void press(uint32_t key);
void repeat(uint32_t key);
void release(uint32_t key);

// Holds `key` for `ticks` passes of the loop after the one that sees it go
// down, auto-repeating, and lets it go before the last, whose key dispatch
// handles the release. Returns the calls of each pass, that first one too.
std::vector<Names> holdKey(uint32_t key, int ticks);

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override { startFreshPlugin(); }
    void TearDown() override { EXPECT_EQ(fake::host().fault, ""); }
};
