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

struct Entry {
    std::string name;
    int origin;
    int32_t score;
};

class Hiscore : public ::testing::Test {
protected:
    HiscoreEntry saved[NUM_HISCORES];
    ScratchDir scratch;

    void SetUp() override {
        memcpy(saved, hiscores, sizeof saved);
        configFolder = nullptr;
    }
    void TearDown() override {
        memcpy(hiscores, saved, sizeof saved);
        configFolder = nullptr;
    }
    // The plain 160 bytes of a table, laid out by hand: name, origin, two reserved bytes, score
    // little-endian.
    static std::vector<uint8_t> layOut(const std::vector<Entry>& table) {
        std::vector<uint8_t> b(HISCORE_FILE_SIZE, 0);
        for (size_t i = 0; i < table.size(); i++) {
            uint8_t* e = &b[i * 16];
            memcpy(e, table[i].name.data(), std::min<size_t>(table[i].name.size(), 9));
            e[9] = (uint8_t)table[i].origin;
            for (int j = 0; j < 4; j++) e[12 + j] = (uint8_t)((uint32_t)table[i].score >> (8 * j));
        }
        return b;
    }
    // Ten players, 9000 down to 0 in steps of 1000.
    static std::vector<Entry> players() {
        const char* names[] = {"ANNA", "BO", "CARLOTTA", "DEE", "ED", "FRIEDA", "GUS", "HAL", "IVY", "JO"};
        std::vector<Entry> t;
        for (int i = 0; i < NUM_HISCORES; i++) t.push_back({names[i], 0, 9000 - 1000 * i});
        return t;
    }
    static void writeTable(const std::vector<Entry>& table) {
        std::vector<uint8_t> b = layOut(table);
        codebuf(b.data(), (int)b.size(), HISCORE_SEED);
        writeFile("hiscores.dat", b);
    }
    static std::vector<uint8_t> plainFile(const std::string& path) {
        std::vector<uint8_t> b = readFile(path);
        decodebuf(b.data(), (int)b.size(), HISCORE_SEED);
        return b;
    }
    static std::vector<uint8_t> memoryTable() {
        std::vector<Entry> t;
        for (const HiscoreEntry& e : hiscores)
            t.push_back({std::string(e.name, strnlen(e.name, 9)), e.origin, e.score});
        return layOut(t);
    }
    static ino_t inode(const char* path) {
        struct stat st;
        return stat(path, &st) == 0 ? st.st_ino : 0;
    }
    static int filesIn(const char* dir) {
        int n = 0;
        DIR* d = opendir(dir);
        while (dirent* e = d ? readdir(d) : nullptr) n += e->d_name[0] != '.';
        if (d) closedir(d);
        return n;
    }
    static bool allCheaters() {
        for (const HiscoreEntry& e : hiscores)
            if (strcmp(e.name, "CHEATER") != 0 || e.origin != 2 || e.score != 50000) return false;
        return true;
    }
};

TEST_F(Hiscore, ScramblingChainsEachByteToTheOneBefore) {
    uint8_t b[3] = {0x01, 0x02, 0x03};
    codebuf(b, 3, 0x10);
    EXPECT_EQ(b[0], 0x11);
    EXPECT_EQ(b[1], 0x13);
    EXPECT_EQ(b[2], 0x10);
    uint8_t t[HISCORE_FILE_SIZE], orig[HISCORE_FILE_SIZE];
    for (int i = 0; i < HISCORE_FILE_SIZE; i++) orig[i] = t[i] = (uint8_t)(i * 37 + 11);
    codebuf(t, HISCORE_FILE_SIZE, HISCORE_SEED);
    codebuf(t, 0, 0x55); // lengths below 1 do nothing
    decodebuf(t, -1, 0x55);
    decodebuf(t, HISCORE_FILE_SIZE, HISCORE_SEED);
    EXPECT_EQ(memcmp(t, orig, sizeof t), 0);
}

TEST_F(Hiscore, AFirstStartWritesADefaultTableAtOnce) {
    loadHiscores();
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
    std::set<std::string> names;
    for (int i = 0; i < NUM_HISCORES; i++) {
        names.insert(hiscores[i].name);
        EXPECT_EQ(hiscores[i].origin, 1);
        EXPECT_GE(hiscores[i].score, 2500 - 250 * i);
        EXPECT_LE(hiscores[i].score, 2500 - 250 * i + 99);
    }
    EXPECT_EQ(names, std::set<std::string>(score_names, score_names + NUM_HISCORES));
}

TEST_F(Hiscore, GoodTablesLoadAsTheyAreAndAreNotRewritten) {
    std::vector<Entry> t = players();
    t[0].score = 50000; // the highest honest score
    writeTable(t);
    ino_t before = inode("hiscores.dat");
    loadHiscores();
    EXPECT_EQ(memoryTable(), layOut(t));
    EXPECT_STREQ(hiscores[2].name, "CARLOTTA"); // eight characters fill the name
    // Default entries and nameless ones get a default name, each at most once; scores stay.
    t[1] = {"TOLM", 1, 8100};
    t[4] = {"RUVEKA", 1, 5050};
    t[6] = {"", 0, 3000};
    writeTable(t);
    before = inode("hiscores.dat");
    loadHiscores();
    std::set<std::string> picked;
    for (int i : {1, 4, 6}) {
        picked.insert(hiscores[i].name);
        EXPECT_TRUE(std::count(score_names, score_names + NUM_HISCORES, std::string(hiscores[i].name))) << i;
    }
    EXPECT_EQ(picked.size(), 3u);
    EXPECT_EQ(hiscores[4].score, 5050);
    EXPECT_EQ(hiscores[6].origin, 0);
    EXPECT_EQ(inode("hiscores.dat"), before);
}

TEST_F(Hiscore, AnyImpossibleEntryMakesEveryoneACheater) {
    const Entry bad[] = {{"MAX", 0, 50001}, {"NEG", 0, -1}, {"ABCDEFGHI", 0, 100}, {"X", 3, 100}};
    for (const Entry& e : bad) {
        std::vector<Entry> t = players();
        t[7] = e;
        writeTable(t);
        loadHiscores();
        EXPECT_TRUE(allCheaters()) << e.name;
        EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
    }
    // The cheaters' table passes the check from then on and stays for good.
    ino_t before = inode("hiscores.dat");
    loadHiscores();
    EXPECT_TRUE(allCheaters());
    EXPECT_EQ(inode("hiscores.dat"), before);
    // Origin 2 and the reserved bytes are no sign of tampering.
    std::vector<Entry> t = players();
    t[3].origin = 2;
    std::vector<uint8_t> b = layOut(t);
    b[16 * 5 + 10] = 0xAB;
    codebuf(b.data(), (int)b.size(), HISCORE_SEED);
    writeFile("hiscores.dat", b);
    loadHiscores();
    EXPECT_STREQ(hiscores[5].name, "FRIEDA");
}

TEST_F(Hiscore, AFileCutShortCountsAsTampered) {
    // The game writes the file whole or not at all, so a short file was cut on purpose.
    std::vector<uint8_t> b = layOut(players());
    codebuf(b.data(), (int)b.size(), HISCORE_SEED);
    b.resize(HISCORE_FILE_SIZE - 16); // nine whole entries that would pass the check
    writeFile("hiscores.dat", b);
    loadHiscores();
    EXPECT_TRUE(allCheaters());
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
}

TEST_F(Hiscore, ANewScoreRanksBelowEqualOlderScores) {
    writeTable(players());
    loadHiscores();
    saveHiscores(5000, "NEWBIE"); // equal to entry 4
    saveHiscores(9999, "MAXIMILIAN");
    const char* order[] = {"MAXIMILI", "ANNA",   "BO",     "CARLOTTA", "DEE",
                           "ED",       "NEWBIE", "FRIEDA", "GUS",      "HAL"};
    for (int i = 0; i < NUM_HISCORES; i++) EXPECT_STREQ(hiscores[i].name, order[i]) << i;
    EXPECT_EQ(hiscores[6].origin, 0);
    EXPECT_EQ(plainFile("hiscores.dat"), memoryTable());
}

TEST_F(Hiscore, WritesReplaceTheFileWholeOrNotAtAll) {
    mkdir("cfg", 0755);
    configFolder = "cfg";
    loadHiscores();
    saveHiscores(9000, "FIRST");
    EXPECT_EQ(filesIn("cfg"), 1); // no temporary file left behind
    EXPECT_EQ(filesIn("."), 1);
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
    saveBuffer(); // the table in memory is still right, and the next write stores it
    EXPECT_EQ(plainFile("cfg/hiscores.dat"), memoryTable());
    EXPECT_STREQ(hiscores[0].name, "SECOND");
}

} // namespace
