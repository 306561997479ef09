// Demos: a recorded way through every level, replayed with the world code from
// a fresh level start. A change to the figure, the monsters, the animated
// objects or a level map that alters how a level plays shows up here as the
// level and the frame where the replay went another way. After a deliberate
// change, remake the demos with blompplaycheck -d (see docs/levels.md).
#include "game/run.h"
#include "game/stuff.h"
#include "io/input.h"
#include "platform/zda.h"
#include "world/anims.h"
#include "world/figure.h"
#include "world/map.h"
#include "world/monsters.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A recorded way through a level: where it ends and the input of every frame.
struct Demo {
    int level = -1, frames = -1, score = -1, lives = -1;
    std::vector<uint8_t> inputs; // one mask a frame: 1 left, 2 right, 4 jump, 8 crawl
};

// The lines before the inputs, each "<key> <number>".
const struct {
    const char* key;
    int Demo::*field;
} demoFields[] = {
    {"level", &Demo::level}, {"frames", &Demo::frames}, {"score", &Demo::score}, {"lives", &Demo::lives}};

// Reads a demo file; returns what is wrong with it, or "" when it was read whole.
std::string readDemo(const std::string& path, Demo& d) {
    FILE* f = fopen(path.c_str(), "r");
    if (!f) return "cannot open " + path;
    char line[512], key[16];
    std::string err;
    for (int n = 1; err.empty() && fgets(line, sizeof(line), f); n++) {
        int a = 0, b = 0, known = 0;
        line[strcspn(line, "\n")] = '\0';
        if (line[0] == '#') continue;
        if (sscanf(line, "%d %d", &a, &b) == 2) {
            // A run of one mask; a demo longer than the level's time cannot be a finished level.
            known = a >= 0 && a <= 15 && b >= 1 && d.inputs.size() + b <= (size_t)LEVEL_TIME;
            if (known) d.inputs.insert(d.inputs.end(), b, (uint8_t)a);
        } else if (sscanf(line, "%15s %d", key, &a) == 2 && d.inputs.empty()) {
            for (const auto& fd : demoFields)
                if (!strcmp(key, fd.key)) d.*fd.field = a, known = 1;
        }
        if (!known) err = "line " + std::to_string(n) + " of " + path + " not understood: " + line;
    }
    fclose(f);
    return err;
}

// Starts level n as the game flow does and plays the demo's frames in the
// game's order; returns how the replay went another way, or "" when the figure
// entered the door in the demo's frame.
std::string replayDemo(int n, const Demo& d) {
    Figure fig{};
    resetAnims();
    setStart(16, 100);
    prepareLevel(fig, levelNames[n], 0);
    lives = START_LIVES, score = 0, messageString[0] = '\0';
    last_left = last_right = 0;
    for (int frame = 1; frame <= (int)d.inputs.size(); frame++) {
        const int in = d.inputs[frame - 1];
        left = in & 1, right = (in >> 1) & 1, jump = (in >> 2) & 1, crawl = (in >> 3) & 1;
        updateAnims();
        updateMonsters(fig);
        if (fig.alive) updateAlive(fig);
        if (haveMadeit(fig)) return frame == d.frames ? "" : "in the door at frame " + std::to_string(frame);
        if (!isActive(fig)) return "died at frame " + std::to_string(frame) + ": " + messageString;
    }
    return "did not reach the door by frame " + std::to_string(d.inputs.size());
}

} // namespace

// Every level's demo enters the door at its frame with its score and lives, and no death on the way.
TEST(Demos, EveryLevelReplaysToItsDoor) {
    ASSERT_EQ(chdir(BLOMP_RUN_DIR), 0);
    openArchives();
    for (int n = 1; n < NUM_LEVEL_NAMES; n++) {
        Demo d;
        const std::string err =
            readDemo(std::string(BLOMP_SOURCE_DIR "/tests/demos/") + levelNames[n] + ".demo", d);
        const std::string where = "level " + std::to_string(n) + " (" + levelNames[n] + "): ";
        EXPECT_EQ(err, "") << where << err;
        if (!err.empty()) continue;
        EXPECT_EQ(d.level, n) << where << "the demo is of another level";
        const std::string went = replayDemo(n, d);
        EXPECT_EQ(went, "") << where << went << " (recorded: the door at frame " << d.frames << ")";
        if (!went.empty()) continue; // the score and lives of a replay gone astray say nothing more
        EXPECT_EQ(score, d.score) << where << "score at the end of the replay";
        EXPECT_EQ(lives, d.lives) << where << "lives at the end of the replay";
    }
    closeArchives();
    freeLevel();
}
