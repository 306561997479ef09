// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The data the build makes: every entry of every archive reads back whole, and the
// builder makes the same bytes every time. (That every entry the game asks for is there,
// the golden runs in all three sets, the demos in all four languages and the effect and
// module tests of test_sound show by loading each. That every text has its glyphs follows
// from test_text's character set and test_gfxdata's inked glyph for every such character
// in every font.)
#include "2platform/zda.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class GameData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chdir(BLOMP_RUN_DIR), 0);
        openArchives();
    }
    void TearDown() override { closeArchives(); }
};

TEST_F(GameData, EveryEntryOfEveryArchiveReadsBackWhole) {
    for (int a = 0; a < NUM_ARCHIVES; a++) {
        const uint8_t* header = zda_full_header[a];
        ASSERT_NE(header, nullptr) << archives[a];
        for (int i = 0; i < gp_zda_count(header); i++) {
            char name[ZDA_NAME_SIZE + 1];
            gp_zda_name(header, i, name, sizeof name);
            int32_t size = 0;
            uint8_t* data = uncompressZDA(a, name, &size);
            EXPECT_NE(data, nullptr) << archives[a] << " " << name;
            EXPECT_EQ(size, gp_zda_usize(header, name)) << name;
            free(data);
        }
    }
}

// The data of the run folder is made by the build machine's databuild; the one
// built for this machine (run under an emulator in a cross build) must make the
// very same bytes, or a Pi would see other pictures, levels or sounds.
TEST(GameDataBuild, TheSameSourcesGiveTheSameBytes) {
    ScratchDir dir;
    int status = -1;
    for (const char* to : {"one", "two"}) {
        runCommand(std::string(DATABUILD_BINARY " " BLOMP_SOURCE_DIR "/assets ") + to + " >/dev/null 2>&1",
                   &status);
        ASSERT_EQ(status, 0) << to;
    }
    for (const char* a : archives) {
        std::string name = std::string("/data/") + a + ".zda";
        std::vector<uint8_t> one = readFile("one" + name);
        EXPECT_FALSE(one.empty()) << a;
        EXPECT_EQ(one, readFile("two" + name)) << a;
        EXPECT_EQ(one, readFile(BLOMP_RUN_DIR + name)) << a << " differs from the run folder's";
    }
    EXPECT_EQ(readFile("one/mapsen/test.bin"), readFile("two/mapsen/test.bin"));
    EXPECT_EQ(readFile("one/mapsen/test.bin"), readFile(BLOMP_RUN_DIR "/mapsen/test.bin"));
}

} // namespace
