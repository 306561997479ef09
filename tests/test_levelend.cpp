// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The sequences after a level: the bonus count, frame by frame on the simulated clock.
#include "7game/run.h"
#include "5world/world.h"
#include "7game/stuff.h"
#include "2platform/sys.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace {

class LevelEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openLevelScreen(); }
    static void TearDownTestSuite() { closeLevelScreen(); }
    void SetUp() override { simStart(0); }
    void TearDown() override { simStop(); }
};

} // namespace

TEST_F(LevelEnd, TheLifeBonusLineShowsTheLivesItAdds) {
    // time left in seconds, lives and score before; the life bonus line and the score after
    const struct {
        int seconds, lives, score;
        const char* line;
        int32_t after;
    } cases[] = {
        {110, 6, 0, "LIFE BONUS: 7", 117}, // the time bonus crosses 100: an extra life, counted too
        {50, 3, 10, "LIFE BONUS: 3", 63},
    };
    for (const auto& c : cases) {
        Flow g{};
        world.play.level = 1;
        world.play.lives = c.lives;
        world.play.score = c.score;
        world.timeLeft = c.seconds * 60;
        ASSERT_EQ(levelComplete(g), FLOW_AFTER_LEVEL);
        EXPECT_STREQ(g.bonusB, c.line);
        EXPECT_EQ(world.play.score, c.after) << c.line;
        EXPECT_EQ(world.play.level, 2);
    }
}
