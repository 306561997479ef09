// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Demos: a recorded way through every level, replayed with the world code from
// a fresh level start. A change to the figure, the monsters, the animated
// objects or a level map that alters how a level plays shows up here as the
// level and the frame where the replay went another way. After a deliberate
// change, remake the demos with blompplaycheck -d (see docs/levels.md).
#include "7game/demo.h"
#include "5world/world.h"
#include "7game/run.h"
#include "1base/text.h"
#include "4io/input.h"
#include "2platform/zda.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// Starts level n as the game flow does and plays the demo's frames in the
// game's order; returns how the replay went another way, or "" when the figure
// entered the door in the demo's frame.
std::string replayDemo(int n, const Demo& d) {
    inputClear();
    worldPlayLevel(n, levelNames[n]);
    const Figure& fig = world.figure;
    for (int frame = 1; frame <= (int)d.inputs.size(); frame++) {
        applyDemoInput(d.inputs[frame - 1]);
        worldStep();
        if (haveMadeit(fig)) return frame == d.frames ? "" : "in the door at frame " + std::to_string(frame);
        if (!isActive(fig)) return "died at frame " + std::to_string(frame) + ": " + world.play.messageString;
    }
    return "did not reach the door by frame " + std::to_string(d.inputs.size());
}

} // namespace

// Every level's demo enters the door at its frame with its score and lives, and no death on
// the way, with the maps of each of the four languages (each has its own maps archive).
TEST(Demos, EveryLevelReplaysToItsDoorInEveryLanguage) {
    ASSERT_EQ(chdir(BLOMP_RUN_DIR), 0);
    openArchives();
    const int language = lang_id;
    for (int n = 1; n < NUM_LEVEL_NAMES; n++) {
        Demo d;
        const std::string err =
            readDemo(std::string(BLOMP_SOURCE_DIR "/tests/demos/") + levelNames[n] + ".demo", d);
        EXPECT_EQ(err, "") << "level " << n << ": " << err;
        if (!err.empty()) continue;
        EXPECT_EQ(d.level, n) << "level " << n << ": the demo is of another level";
        for (lang_id = 0; lang_id < 4; lang_id++) {
            const std::string where = "level " + std::to_string(n) + " (" + levelNames[n] + ", language " +
                                      std::to_string(lang_id) + "): ";
            const std::string went = replayDemo(n, d);
            EXPECT_EQ(went, "") << where << went << " (recorded: the door at frame " << d.frames << ")";
            if (!went.empty()) continue; // the score and lives of a replay gone astray say nothing more
            EXPECT_EQ(world.play.score, d.score) << where << "score at the end of the replay";
            EXPECT_EQ(world.play.lives, d.lives) << where << "lives at the end of the replay";
        }
    }
    lang_id = language;
    closeArchives();
    freeLevel();
}
