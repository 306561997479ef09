// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The hiscore table and its scrambled file hiscores.dat.
#include "4io/config.h"
#include "4io/hiscore.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Entry {
    std::string name;
    int origin;
    int32_t score;
};

// The plain 160 bytes of a table, laid out by hand: name, origin, two reserved bytes, score little-endian.
std::vector<uint8_t> layOut(const std::vector<Entry>& table) {
    std::vector<uint8_t> b(HISCORE_FILE_SIZE, 0);
    for (size_t i = 0; i < table.size(); i++) {
        uint8_t* e = &b[i * 16];
        memcpy(e, table[i].name.data(), table[i].name.size() < 9 ? table[i].name.size() : 9);
        e[9] = (uint8_t)table[i].origin;
        for (int j = 0; j < 4; j++) e[12 + j] = (uint8_t)((uint32_t)table[i].score >> (8 * j));
    }
    return b;
}

// Ten players, 9000 down to 0 in steps of 1000; the first has the highest honest score and
// the third a name of eight characters, both allowed.
std::vector<Entry> players() {
    const char* names[] = {"ANNA", "BO", "CARLOTTA", "DEE", "ED", "FRIEDA", "GUS", "HAL", "IVY", "JO"};
    std::vector<Entry> t;
    for (int i = 0; i < NUM_HISCORES; i++) t.push_back({names[i], 0, i ? 9000 - 1000 * i : 50000});
    return t;
}

// Writes hiscores.dat scrambled as the game does, cut to the given length.
void writeTable(const std::vector<Entry>& table, size_t length = HISCORE_FILE_SIZE) {
    std::vector<uint8_t> b = layOut(table);
    codebuf(b.data(), (int)b.size(), HISCORE_SEED);
    b.resize(length);
    writeFile("hiscores.dat", b);
}

std::vector<uint8_t> plainFile(const std::string& path) {
    std::vector<uint8_t> b = readFile(path);
    decodebuf(b.data(), (int)b.size(), HISCORE_SEED);
    return b;
}

// The table in memory, laid out as its file must read.
std::vector<uint8_t> memoryTable() {
    std::vector<Entry> t;
    for (const HiscoreEntry& e : hiscores)
        t.push_back({std::string(e.name, strnlen(e.name, 9)), e.origin, e.score});
    return layOut(t);
}

class Hiscore : public ::testing::Test {
protected:
    HiscoreEntry saved[NUM_HISCORES]; // the table as other suites see it
    ScratchDir scratch;
    void SetUp() override { memcpy(saved, hiscores, sizeof saved); }
    void TearDown() override {
        memcpy(hiscores, saved, sizeof saved);
        configFolder = nullptr;
    }
};

TEST_F(Hiscore, ScramblingChainsEachByteFromTheSeed) {
    uint8_t b[3] = {0x01, 0x02, 0x03}, want[3] = {0x11, 0x13, 0x10};
    codebuf(b, 3, 0x10);
    EXPECT_EQ(memcmp(b, want, 3), 0);
}

TEST_F(Hiscore, AFirstStartWritesADefaultTableAtOnce) {
    loadHiscores();
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
    std::set<std::string> names;
    for (int i = 0; i < NUM_HISCORES; i++) {
        names.insert(hiscores[i].name);
        EXPECT_TRUE(hiscores[i].score >= 2500 - 250 * i && hiscores[i].score < 2600 - 250 * i)
            << hiscores[i].score;
    }
    EXPECT_EQ(names, std::set<std::string>(score_names, score_names + NUM_HISCORES));
}

// A score above 50000 or below 0, a name of nine characters, an unknown origin or a cut
// file (the game writes it whole or not at all) turn the whole table into cheaters.
TEST_F(Hiscore, AnyImpossibleEntryMakesEveryoneACheater) {
    const Entry bad[] = {
        {"MAX", 0, 50001}, {"NEG", 0, -1}, {"ABCDEFGHI", 0, 100}, {"X", 3, 100}, {"CUT", 0, 0}};
    for (const Entry& e : bad) {
        std::vector<Entry> t = players();
        t[7] = e;
        writeTable(t, e.name == "CUT" ? HISCORE_FILE_SIZE - 16 : HISCORE_FILE_SIZE);
        loadHiscores();
        for (const HiscoreEntry& h : hiscores)
            EXPECT_TRUE(!strcmp(h.name, "CHEATER") && h.origin == 2 && h.score == 50000) << e.name;
        EXPECT_EQ(plainFile("hiscores.dat"), memoryTable()) << e.name;
    }
}

TEST_F(Hiscore, PlayersTablesLoadUnchangedAndNewScoresRankBelowEqualOlderOnes) {
    writeTable(players());
    struct stat st, after;
    stat("hiscores.dat", &st);
    loadHiscores();
    EXPECT_EQ(memoryTable(), layOut(players()));
    EXPECT_TRUE(stat("hiscores.dat", &after) == 0 &&
                after.st_ino == st.st_ino); // a good file is not rewritten
    saveHiscores(5000, "NEWBIE");           // equal to entry 4
    saveHiscores(9999, "MAXIMILIAN");
    const char* order[] = {"ANNA", "MAXIMILI", "BO",     "CARLOTTA", "DEE",
                           "ED",   "NEWBIE",   "FRIEDA", "GUS",      "HAL"};
    for (int i = 0; i < NUM_HISCORES; i++) EXPECT_STREQ(hiscores[i].name, order[i]) << i;
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
}

// A file that is there but cannot be read is no first start: the game plays with a
// default table, says so once and never writes over the file.
TEST_F(Hiscore, AnUnreadableFileIsNeverWrittenOver) {
    for (const bool link : {true, false}) { // the open fails on a link to itself, the read on a folder
        ScratchDir here;
        ASSERT_EQ(link ? symlink("hiscores.dat", "hiscores.dat") : mkdir("hiscores.dat", 0755), 0);
        struct stat before, after;
        ASSERT_EQ(lstat("hiscores.dat", &before), 0);
        testing::internal::CaptureStderr();
        loadHiscores();
        saveHiscores(9000, "NEW");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << link << ": " << said;
        EXPECT_NE(said.find("cannot read ./hiscores.dat: "), std::string::npos) << link << ": " << said;
        for (int i = 0; i < NUM_HISCORES; i++)
            EXPECT_EQ(hiscores[i].origin, i ? ORIGIN_DEFAULT : ORIGIN_PLAYER) << link << " " << i;
        ASSERT_EQ(lstat("hiscores.dat", &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << link;
        EXPECT_EQ(folderNames(".").size(), 1u) << link;
    }
}

// Games ending together in one folder, each with the table it read at its start:
// every game's entry is in the file at the end.
TEST_F(Hiscore, GamesEndingTogetherKeepEveryEntry) {
    loadHiscores(); // the default table, written
    constexpr int GAMES = 4;
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    for (int i = 0; i < GAMES; i++) {
        const pid_t game = fork();
        ASSERT_GE(game, 0);
        if (game == 0) {
            close(go[1]);
            loadHiscores();
            char c = 'r';
            // every game has read the table before any of them writes
            if (write(ready[1], &c, 1) != 1 || read(go[0], &c, 1) != 0) _exit(2);
            char name[HISCORE_NAME];
            snprintf(name, sizeof name, "GAME%d", i);
            saveHiscores(5000 + i, name);
            _exit(0);
        }
    }
    char c;
    for (int i = 0; i < GAMES; i++) ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(go[1]);
    for (int i = 0; i < GAMES; i++) {
        int status = -1;
        EXPECT_GT(wait(&status), 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    loadHiscores();
    std::set<std::string> names;
    for (const HiscoreEntry& e : hiscores) names.insert(e.name);
    for (int i = 0; i < GAMES; i++) EXPECT_EQ(names.count("GAME" + std::to_string(i)), 1u) << i;
}

} // namespace
