// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: blomp.cfg. The bytes are read as the configuration; whatever
// they hold, the settings stay in their ranges, and the file the game then
// writes reads back to the same settings. The one change a read-back may make
// is the lower clamp of the three delays and ranges the file did not name
// (0 by default, read back as 40, 10 and 5), after which the file stays as it is.
#include "fuzz.h"

#include "3audio/music.h"
#include "3audio/sound.h"
#include "4io/config.h"
#include "4io/input.h"

#include <cstdio>

namespace {

// Every setting the file may change, in one place (the mixer volumes follow from the percents).
int32_t* const settingVars[] = {
    &input.JUMP_KEY,   &input.FIRE_KEY,    &input.START_KEY,   &input.UP_KEY,       &input.DOWN_KEY,
    &input.LEFT_KEY,   &input.RIGHT_KEY,   &input.JUMP_BUTTON, &input.FIRE_BUTTON,  &input.START_BUTTON,
    &input.UP_BUTTON,  &input.DOWN_BUTTON, &input.LEFT_BUTTON, &input.RIGHT_BUTTON, &_mus_volume_100_,
    &_sfx_volume_100_, &mpFlags,           &mpResamplingMode,  &mpReverbDepth,      &mpReverbDelay,
    &mpBassAmount,     &mpBassRange,       &mpSurroundDepth,   &mpSurroundDelay,
};
constexpr int NUM_VARS = sizeof settingVars / sizeof settingVars[0];
constexpr int NUM_KEYS = 7; // the first seven are the key bindings, which the game never writes

// The settings that read back at their lower clamp when they were left at 0.
struct Clamped {
    const int32_t* var;
    int32_t low;
};
const Clamped clampedDefaults[] = {{&mpReverbDelay, 40}, {&mpBassRange, 10}, {&mpSurroundDelay, 5}};

// Ranges every read must leave a setting in.
struct Range {
    const int32_t* var;
    int32_t lo, hi;
};
const Range ranges[] = {
    {&_mus_volume_100_, 0, 100},
    {&_sfx_volume_100_, 0, 100},
    {&mpResamplingMode, 0, 3},
    {&mpFlags, 0, 31},
};

struct Values {
    int32_t v[NUM_VARS];
};

Values take() {
    Values s;
    for (int i = 0; i < NUM_VARS; i++) s.v[i] = *settingVars[i];
    return s;
}

void put(const Values& s) {
    for (int i = 0; i < NUM_VARS; i++) *settingVars[i] = s.v[i];
}

// The index of a setting in Values.
int indexOf(const int32_t* var) {
    for (int i = 0; i < NUM_VARS; i++)
        if (settingVars[i] == var) return i;
    return -1;
}

// Reports the first setting where two reads differ; from: the first one to compare.
void compare(const Values& a, const Values& b, int from, const char* what) {
    for (int i = from; i < NUM_VARS; i++) {
        if (a.v[i] == b.v[i]) continue;
        char text[160];
        snprintf(text, sizeof text, "%s: setting %d was %d, is %d", what, i, (int)a.v[i], (int)b.v[i]);
        fuzzFail(text);
        return;
    }
}

} // namespace

// Reads the bytes as blomp.cfg, writes the settings and reads them back twice.
int fuzzConfig(const uint8_t* data, size_t size) {
    static const Values defaults = take(); // the program's own start values
    const Values before = take();
    fuzzEnter();
    put(defaults);
    if (!fuzzWriteFile("blomp.cfg", data, size)) fuzzFail("cannot write blomp.cfg");
    loadConfig();
    const Values first = take();
    for (const Range& r : ranges)
        if (*r.var < r.lo || *r.var > r.hi) fuzzFail("a setting read from the file is out of its range");

    // What the game writes reads back as it was, starting from defaults (the keys are not written).
    dumpConfig();
    put(defaults);
    loadConfig();
    Values expect = first;
    for (int i = 0; i < NUM_KEYS; i++) expect.v[i] = defaults.v[i];
    for (const Clamped& c : clampedDefaults) {
        const int i = indexOf(c.var);
        if (expect.v[i] == 0) expect.v[i] = c.low;
    }
    const Values second = take();
    compare(expect, second, 0, "written and read back");

    // And once more: the written file no longer changes.
    dumpConfig();
    loadConfig();
    compare(second, take(), 0, "written and read back a second time");

    remove("blomp.cfg");
    put(before);
    fuzzLeave();
    return FUZZ_ACCEPTED; // every file is read; what it cannot say keeps its default
}
