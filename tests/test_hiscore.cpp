// The hiscore table and its scrambled file hiscores.dat.
#include "io/config.h"
#include "io/hiscore.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// One entry as a test describes it; laid out into the file by hand below.
struct Entry {
    std::string name;
    int origin;
    int32_t score;
};

class Hiscore : public ::testing::Test {
protected:
    HiscoreEntry saved[NUM_HISCORES];
    const char* savedFolder;
    ScratchDir scratch;

    void SetUp() override {
        memcpy(saved, hiscores, sizeof saved);
        savedFolder = configFolder;
        configFolder = nullptr;
    }
    void TearDown() override {
        memcpy(hiscores, saved, sizeof saved);
        configFolder = savedFolder;
    }

    // The plain 160 bytes of a table: name, origin, two reserved bytes, score little-endian.
    static std::vector<uint8_t> layOut(const std::vector<Entry>& table) {
        std::vector<uint8_t> b(HISCORE_FILE_SIZE, 0);
        for (size_t i = 0; i < table.size(); i++) {
            uint8_t* e = &b[i * HISCORE_ENTRY];
            for (size_t j = 0; j < table[i].name.size() && j < 9; j++) e[j] = (uint8_t)table[i].name[j];
            e[9] = (uint8_t)table[i].origin;
            uint32_t s = (uint32_t)table[i].score;
            e[12] = (uint8_t)s;
            e[13] = (uint8_t)(s >> 8);
            e[14] = (uint8_t)(s >> 16);
            e[15] = (uint8_t)(s >> 24);
        }
        return b;
    }
    // A table of ten players, 9000 down to 0 in steps of 1000.
    static std::vector<Entry> playerTable() {
        std::vector<Entry> t;
        const char* names[NUM_HISCORES] = {"ANNA",   "BO",  "CARLOTTA", "DEE", "ED",
                                           "FRIEDA", "GUS", "HAL",      "IVY", "JO"};
        for (int i = 0; i < NUM_HISCORES; i++) t.push_back({names[i], 0, 9000 - 1000 * i});
        return t;
    }
    static void writeTable(const std::string& path, const std::vector<Entry>& table) {
        std::vector<uint8_t> b = layOut(table);
        codebuf(b.data(), (int)b.size(), HISCORE_SEED);
        writeFile(path, b);
    }
    // The file unscrambled, as the game would read it.
    static std::vector<uint8_t> plainFile(const std::string& path) {
        std::vector<uint8_t> b = readFile(path);
        decodebuf(b.data(), (int)b.size(), HISCORE_SEED);
        return b;
    }
    // The table in memory, in the file's layout.
    static std::vector<uint8_t> memoryTable() {
        std::vector<Entry> t;
        for (const HiscoreEntry& e : hiscores)
            t.push_back({std::string(e.name, strnlen(e.name, 9)), e.origin, e.score});
        return layOut(t);
    }
    static ino_t inode(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    static int filesIn(const std::string& dir) {
        int n = 0;
        DIR* d = opendir(dir.c_str());
        if (!d) return -1;
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') n++;
        closedir(d);
        return n;
    }
    static void expectCheaters() {
        for (const HiscoreEntry& e : hiscores) {
            EXPECT_STREQ(e.name, "CHEATER");
            EXPECT_EQ(e.origin, 2);
            EXPECT_EQ(e.score, 50000);
        }
    }
};

TEST_F(Hiscore, ScramblingChainsEachByteToTheOneBefore) {
    uint8_t b[3] = {0x01, 0x02, 0x03};
    codebuf(b, 3, 0x10);
    EXPECT_EQ(b[0], 0x11);
    EXPECT_EQ(b[1], 0x13);
    EXPECT_EQ(b[2], 0x10);
    decodebuf(b, 3, 0x10);
    EXPECT_EQ(b[0], 0x01);
    EXPECT_EQ(b[1], 0x02);
    EXPECT_EQ(b[2], 0x03);
    // A whole table round trip, and lengths below 1 leave the buffer alone.
    uint8_t t[HISCORE_FILE_SIZE], orig[HISCORE_FILE_SIZE];
    for (int i = 0; i < HISCORE_FILE_SIZE; i++) orig[i] = t[i] = (uint8_t)(i * 37 + 11);
    codebuf(t, HISCORE_FILE_SIZE, HISCORE_SEED);
    EXPECT_NE(memcmp(t, orig, sizeof t), 0);
    decodebuf(t, HISCORE_FILE_SIZE, HISCORE_SEED);
    EXPECT_EQ(memcmp(t, orig, sizeof t), 0);
    codebuf(t, 0, 0x55);
    codebuf(t, -4, 0x55);
    decodebuf(t, -1, 0x55);
    EXPECT_EQ(memcmp(t, orig, sizeof t), 0);
}

TEST_F(Hiscore, AFirstStartWritesADefaultTableAtOnce) {
    loadHiscores();
    std::vector<uint8_t> plain = plainFile("hiscores.dat");
    ASSERT_EQ(plain.size(), 160u);
    EXPECT_EQ(plain, memoryTable());
    std::set<std::string> names;
    for (int i = 0; i < NUM_HISCORES; i++) {
        const HiscoreEntry& e = hiscores[i];
        names.insert(e.name);
        EXPECT_EQ(e.origin, 1);
        EXPECT_EQ(e.name[8], 0);
        EXPECT_EQ(e.reserved[0] | e.reserved[1], 0);
        EXPECT_GE(e.score, 2500 - 250 * i);
        EXPECT_LE(e.score, 2500 - 250 * i + 99);
    }
    EXPECT_EQ(names, std::set<std::string>(score_names, score_names + NUM_HISCORES));
    EXPECT_EQ(filesIn("."), 1);
}

TEST_F(Hiscore, APlayerTableLoadsUnchangedAndIsNotRewritten) {
    std::vector<Entry> t = playerTable();
    t[0].score = 50000;     // the highest honest score
    t[2].name = "CARLOTTA"; // eight characters fill the name
    writeTable("hiscores.dat", t);
    ino_t before = inode("hiscores.dat");
    loadHiscores();
    EXPECT_EQ(memoryTable(), layOut(t));
    EXPECT_STREQ(hiscores[2].name, "CARLOTTA");
    EXPECT_EQ(inode("hiscores.dat"), before);
    EXPECT_EQ(plainFile("hiscores.dat"), layOut(t));
}

TEST_F(Hiscore, DefaultEntriesGetFreshNamesAndKeepTheirScores) {
    std::vector<Entry> t = playerTable();
    t[1] = {"TOLM", 1, 8100};
    t[4] = {"RUVEKA", 1, 5050};
    t[6] = {"", 0, 3000}; // a player who typed no name
    writeTable("hiscores.dat", t);
    ino_t before = inode("hiscores.dat");
    loadHiscores();
    std::set<std::string> picked;
    const int renamed[] = {1, 4, 6};
    for (int i : renamed) {
        picked.insert(hiscores[i].name);
        EXPECT_NE(std::find(score_names, score_names + NUM_HISCORES, std::string(hiscores[i].name)),
                  score_names + NUM_HISCORES)
            << hiscores[i].name;
    }
    EXPECT_EQ(picked.size(), 3u); // no default name twice
    EXPECT_EQ(hiscores[1].score, 8100);
    EXPECT_EQ(hiscores[1].origin, 1);
    EXPECT_EQ(hiscores[4].score, 5050);
    EXPECT_EQ(hiscores[6].origin, 0);
    EXPECT_STREQ(hiscores[0].name, "ANNA");
    EXPECT_STREQ(hiscores[9].name, "JO");
    EXPECT_EQ(inode("hiscores.dat"), before);
}

TEST_F(Hiscore, AnyImpossibleEntryMakesEveryoneACheater) {
    struct Case {
        const char* what;
        Entry entry;
        int bad;
    };
    const Case cases[] = {
        {"score 50000", {"MAX", 0, 50000}, 0},
        {"score 50001", {"MAX", 0, 50001}, 1},
        {"negative score", {"NEG", 0, -1}, 1},
        {"8 characters", {"ABCDEFGH", 0, 100}, 0},
        {"9 characters", {"ABCDEFGHI", 0, 100}, 1},
        {"origin 2", {"X", 2, 100}, 0},
        {"origin 3", {"X", 3, 100}, 1},
    };
    for (const Case& c : cases) {
        std::vector<Entry> t = playerTable();
        t[7] = c.entry;
        writeTable("hiscores.dat", t);
        ino_t before = inode("hiscores.dat");
        loadHiscores();
        if (!c.bad) {
            EXPECT_EQ(memoryTable(), layOut(t)) << c.what;
            EXPECT_EQ(inode("hiscores.dat"), before) << c.what;
            continue;
        }
        SCOPED_TRACE(c.what);
        expectCheaters();
        EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
        // The cheaters' table passes the check from then on and stays.
        before = inode("hiscores.dat");
        loadHiscores();
        expectCheaters();
        EXPECT_EQ(inode("hiscores.dat"), before);
    }
    // Reserved bytes are not looked at.
    std::vector<uint8_t> b = layOut(playerTable());
    b[16 * 3 + 10] = 0xAB;
    codebuf(b.data(), (int)b.size(), HISCORE_SEED);
    writeFile("hiscores.dat", b);
    loadHiscores();
    EXPECT_STREQ(hiscores[3].name, "DEE");
}

TEST_F(Hiscore, AFileCutShortCountsAsTampered) {
    // The game writes the file whole or not at all, so a short file was cut by hand.
    std::vector<uint8_t> b = layOut(playerTable());
    codebuf(b.data(), (int)b.size(), HISCORE_SEED);
    b.resize(HISCORE_FILE_SIZE - HISCORE_ENTRY); // nine whole entries that would pass the check
    writeFile("hiscores.dat", b);
    loadHiscores();
    expectCheaters();
    std::vector<uint8_t> plain = plainFile("hiscores.dat");
    EXPECT_EQ(plain.size(), 160u);
    EXPECT_EQ(plain, memoryTable());
    writeFile("hiscores.dat", {});
    memcpy(hiscores, saved, sizeof saved);
    loadHiscores();
    expectCheaters();
}

TEST_F(Hiscore, ANewScoreRanksBelowEqualOlderScores) {
    writeTable("hiscores.dat", playerTable());
    loadHiscores();
    saveHiscores(5000, "NEWBIE"); // equal to entry 4
    const char* order[NUM_HISCORES] = {"ANNA",   "BO",     "CARLOTTA", "DEE", "ED",
                                       "NEWBIE", "FRIEDA", "GUS",      "HAL", "IVY"};
    for (int i = 0; i < NUM_HISCORES; i++) EXPECT_STREQ(hiscores[i].name, order[i]) << i;
    EXPECT_EQ(hiscores[5].score, 5000);
    EXPECT_EQ(hiscores[5].origin, 0);
    EXPECT_EQ(hiscores[6].score, 4000);
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
    // A best score goes to the top; a long name is cut to eight characters.
    saveHiscores(9999, "MAXIMILIAN");
    EXPECT_STREQ(hiscores[0].name, "MAXIMILI");
    EXPECT_EQ(hiscores[0].score, 9999);
    EXPECT_STREQ(hiscores[1].name, "ANNA");
    EXPECT_STREQ(hiscores[9].name, "HAL");
    // Just above the last entry.
    saveHiscores(1001, "LAST");
    EXPECT_STREQ(hiscores[9].name, "LAST");
    EXPECT_STREQ(hiscores[8].name, "GUS"); // HAL dropped out
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
}

TEST_F(Hiscore, WritesReplaceTheFileWholeOrNotAtAll) {
    mkdir("cfg", 0755);
    configFolder = "cfg";
    loadHiscores();
    EXPECT_TRUE(fileExists("cfg/hiscores.dat"));
    EXPECT_FALSE(fileExists("hiscores.dat"));
    saveHiscores(9000, "FIRST");
    EXPECT_EQ(filesIn("cfg"), 1); // no temporary file left behind
    std::vector<uint8_t> before = readFile("cfg/hiscores.dat");
    // A folder nobody may write to; the size limit makes the write fail for root as well.
    chmod("cfg", 0555);
    struct rlimit old, tiny;
    getrlimit(RLIMIT_FSIZE, &old);
    tiny = old;
    tiny.rlim_cur = 16;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    saveHiscores(9500, "SECOND");
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    chmod("cfg", 0755);
    EXPECT_EQ(readFile("cfg/hiscores.dat"), before);
    EXPECT_EQ(filesIn("cfg"), 1);
    // The table in memory still holds the new score, and the next write stores it.
    EXPECT_STREQ(hiscores[0].name, "SECOND");
    saveBuffer();
    EXPECT_EQ(plainFile("cfg/hiscores.dat"), memoryTable());
    // No folder at all: nothing is written and nothing breaks.
    configFolder = "missing";
    saveBuffer();
    EXPECT_FALSE(fileExists("missing"));
}

} // namespace
