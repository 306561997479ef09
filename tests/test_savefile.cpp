// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The files the game owns: a writer killed at any moment leaves each file whole,
// old or new, and no pile of temporary files beside it; a failed save is told; and
// the saved game's four bytes, with score and lives as the play-through keeps them.
#include "2platform/savefile.h"
#include "3audio/sound.h"
#include "4io/config.h"
#include "4io/hiscore.h"
#include "5world/world.h"
#include "7game/stuff.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sched.h>
#include <signal.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Version v of a file of the given size: every byte tells the version and its place.
std::vector<uint8_t> version(int v, size_t size) {
    std::vector<uint8_t> b(size);
    for (size_t i = 0; i < size; i++) b[i] = (uint8_t)(v * 101 + i * 7);
    return b;
}

// A fresh folder in memory (/dev/shm) to work in, or the scratch folder on disk when
// there is none: syncing to a disk takes long enough to make 200 kills slow.
class MemoryDir : ScratchDir {
    char dir[32] = "/dev/shm/blomp_testXXXXXX";
    const bool inMemory = mkdtemp(dir) && chdir(dir) == 0;

public:
    ~MemoryDir() { // before the scratch folder's own end takes the test back where it was
        if (inMemory && system(("rm -rf '" + std::string(dir) + "'").c_str()) != 0) return;
    }
};

// What fn prints on standard error, read through a pipe: under a file size limit a
// capture file could not be written.
std::string stderrOf(void (*fn)()) {
    int p[2];
    if (pipe(p) != 0) return "(no pipe)";
    fflush(stderr);
    const int saved = dup(2);
    dup2(p[1], 2);
    close(p[1]);
    fn();
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    char buf[4096];
    const ssize_t n = read(p[0], buf, sizeof buf);
    close(p[0]);
    return std::string(buf, n > 0 ? (size_t)n : 0);
}

// Runs `prepare` and then `check` in a child process working in a folder whose disk is
// full: a 64 KiB tmpfs in a mount namespace of the child's own, filled up after
// `prepare`; where mounting is not allowed, a file size limit of 0 bytes makes every
// write fail instead. `check` gets the errno such a write fails with. Returns 1 when
// the child found no fault.
bool onFullDisk(void (*prepare)(), void (*check)(int err)) {
    ScratchDir dir;
    const pid_t child = fork();
    if (child == 0) {
        int err = EFBIG;
        if (unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
            mount("tmpfs", ".", "tmpfs", 0, "size=64k") == 0 && chdir(dir.path().c_str()) == 0)
            err = ENOSPC; // the working folder is now the tmpfs mounted over it
        prepare();
        if (err == ENOSPC) {
            FILE* filler = fopen("filler", "wb");
            static char block[4096];
            while (filler && fwrite(block, 1, sizeof block, filler) == sizeof block && fflush(filler) == 0) {
            }
        } else {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit none = {0, 0};
            setrlimit(RLIMIT_FSIZE, &none);
        }
        check(err);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = -1;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// A save that fails says so in one line naming the file and the reason, keeps the
// old file and lets the game go on.
TEST(SaveFile, AFailedSaveIsToldAndKeepsTheOldFile) {
    const bool ok = onFullDisk(
        [] {
            configFolder = nullptr;
            world.play.level = 3;
            saveGame();
            dumpConfig();
            loadHiscores(); // no file yet: the default table is written
        },
        [](int err) {
            const struct {
                const char* path;
                void (*save)();
            } writers[] = {
                {"./savegame.dat", [] { world.play.level = 5, saveGame(); }},
                {"./blomp.cfg", [] { _mus_volume_100_ = 35, dumpConfig(); }},
                {"./hiscores.dat", [] { saveHiscores(9000, "NEW"); }},
            };
            for (const auto& w : writers) {
                const std::vector<uint8_t> old = readFile(w.path);
                EXPECT_FALSE(old.empty()) << w.path;
                const std::string said = stderrOf(w.save);
                EXPECT_EQ(said, std::string("blomp: cannot save ") + w.path + ": " + strerror(err) + "\n");
                EXPECT_EQ(readFile(w.path), old) << w.path;
            }
        });
    EXPECT_TRUE(ok);
}

TEST(SaveFile, WritersKilledAtRandomMomentsLeaveWholeFilesAndNoPile) {
    MemoryDir dir;
    // the saved game, the hiscores, the configuration (and something larger)
    const struct {
        const char* name;
        size_t size;
    } files[] = {{"savegame.dat", 4}, {"hiscores.dat", 160}, {"blomp.cfg", 600}, {"big.zda", 16000}};
    constexpr int FILES = sizeof files / sizeof files[0];
    std::vector<uint8_t> versions[FILES][2];
    for (int i = 0; i < FILES; i++) {
        for (int v : {0, 1}) versions[i][v] = version(v, files[i].size);
        ASSERT_EQ(writeFileAtomic(files[i].name, versions[i][0].data(), (long)files[i].size), 1);
    }
    srand(13);
    for (int kill = 0; kill < 200; kill++) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // writes versions 1 and 0 in turn, for ever
            if (write(ready[1], "x", 1) != 1) _exit(2);
            for (int v = 1;; v ^= 1)
                for (int i = 0; i < FILES; i++)
                    writeFileAtomic(files[i].name, versions[i][v].data(), (long)files[i].size);
        }
        close(ready[1]);
        char c;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
        usleep((useconds_t)(rand() % 3000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";
        for (int i = 0; i < FILES; i++) {
            const std::vector<uint8_t> now = readFile(files[i].name);
            ASSERT_TRUE(now == versions[i][0] || now == versions[i][1])
                << files[i].name << " after kill " << kill;
        }
    }
    // at most one temporary file (name.tmp.XXXXXX) for each file written
    const std::vector<std::string> names = folderNames(".");
    EXPECT_LE(names.size(), 2u * FILES) << names.size() << " files left";
    const std::regex known(R"((savegame\.dat|hiscores\.dat|blomp\.cfg|big\.zda)(\.tmp\..{6})?)");
    for (const std::string& n : names) EXPECT_TRUE(std::regex_match(n, known)) << n;
}

// Two games writing the same file at once: every write is done, and a reader only
// ever finds one whole version or the other.
TEST(SaveFile, TwoWritersAtOnceNeverTearAFile) {
    MemoryDir dir;
    constexpr long SIZE = 600; // blomp.cfg
    const std::vector<uint8_t> versions[2] = {version(0, SIZE), version(1, SIZE)};
    ASSERT_EQ(writeFileAtomic("blomp.cfg", versions[0].data(), SIZE), 1);
    pid_t writers[2];
    for (int w = 0; w < 2; w++) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            int failed = 0;
            for (int i = 0; i < 500; i++) failed += !writeFileAtomic("blomp.cfg", versions[w].data(), SIZE);
            _exit(failed ? 1 : 0);
        }
    }
    int torn = 0, running = 2, status[2] = {-1, -1};
    while (running > 0) {
        const std::vector<uint8_t> now = readFile("blomp.cfg");
        torn += now != versions[0] && now != versions[1];
        for (int w = 0; w < 2; w++)
            if (writers[w] > 0 && waitpid(writers[w], &status[w], WNOHANG) == writers[w])
                writers[w] = 0, running--;
    }
    EXPECT_EQ(torn, 0);
    for (int w = 0; w < 2; w++)
        EXPECT_TRUE(WIFEXITED(status[w]) && WEXITSTATUS(status[w]) == 0) << "writer " << w;
}

// After the rename the folder is synced too: until then a power cut can bring the old file back.
TEST(SaveFile, TheFolderIsSyncedAfterTheRename) {
    ScratchDir dir;
    static const std::vector<uint8_t> old = version(0, 4), now = version(1, 4);
    static std::vector<std::string> syncs; // what each sync was for
    ASSERT_EQ(writeFileAtomic("savegame.dat", old.data(), 4), 1);
    syncs.clear();
    saveSync = [](int fd) {
        struct stat st;
        if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            syncs.push_back(readFile("savegame.dat") == now ? "folder, new file in place"
                                                            : "folder, old file");
        else
            syncs.push_back("file");
        return fsync(fd);
    };
    const int wrote = writeFileAtomic("savegame.dat", now.data(), 4);
    saveSync = fsync;
    EXPECT_EQ(wrote, 1);
    EXPECT_EQ(syncs, (std::vector<std::string>{"file", "folder, new file in place"}));
}

// Score, lives and the saved game: points and the extra life per hundred,
// the cap, the four saved bytes and every file the reader must refuse.
namespace {

class Stuff : public ::testing::Test {
protected:
    ScratchDir dir;
    void TearDown() override { world.play = Play(); }
};

// The four bytes for a key and a level count.
std::vector<uint8_t> saveBytes(int key, int n) {
    const uint8_t kh = (uint8_t)(key >> 8), kl = (uint8_t)key;
    return {kh, (uint8_t)(kl ^ n), kl, (uint8_t)(kh ^ n)};
}

} // namespace

TEST_F(Stuff, PointsAndOneLifePerCallForANewHundred) {
    const struct {
        int32_t score, lives, points, newScore, newLives;
    } cases[] = {
        {99, 6, 1, 100, 7},    {9998, 6, 1, 9999, 6}, {9999, 6, 5, 9999, 6},    {80, 6, 250, 330, 7},
        {99, 99, 1, 100, 99},  {98, 98, 5, 103, 99},  {0, 6, INT_MAX, 9999, 7}, {9900, 6, 200, 9999, 6},
        {9899, 6, 1, 9900, 7}, {50, 6, 0, 50, 6},     {199, 6, 1000, 1199, 7},  {0, 6, 99, 99, 6},
    };
    for (const auto& c : cases) {
        world.play.score = c.score;
        world.play.lives = c.lives;
        addScore(c.points);
        EXPECT_EQ(world.play.score, c.newScore) << c.score << " + " << c.points;
        EXPECT_EQ(world.play.lives, c.newLives) << c.score << " + " << c.points;
    }
}

TEST_F(Stuff, TheSavedGameIsFourBytesOfKeyAndLevelCountAndReadsBack) {
    writeFile("savegame.dat", std::vector<uint8_t>(100, 0x55)); // replaced whole
    for (int lv = 2; lv <= 16; lv++) {
        srand(lv * 7919);
        world.play.level = lv;
        saveGame();
        EXPECT_EQ(world.play.saved, lv - 1);
        const std::vector<uint8_t> b = readFile("savegame.dat");
        ASSERT_EQ(b.size(), 4u);
        const int key = b[0] * 256 + b[2];
        EXPECT_TRUE(key != 0 && key != 0xFFFF) << key;
        EXPECT_EQ(b, saveBytes(key, lv - 1));
        world.play.saved = 0;
        EXPECT_EQ(loadGame(), lv - 1);
    }
}

TEST_F(Stuff, TheReaderRefusesEveryBadFile) {
    EXPECT_EQ(loadGame(), 0); // no file
    const struct {
        std::vector<uint8_t> bytes;
        int32_t result;
    } cases[] = {
        {{}, 0},
        {{0x12, 0x37, 0x34}, 0},               // short
        {{0x00, 0x05, 0x00, 0x05}, 0},         // key 0
        {saveBytes(0xFFFF, 5), 0},             // key 0xFFFF
        {{0x12, 0x34 ^ 3, 0x34, 0x12 ^ 4}, 0}, // bytes 1 and 3 disagree
        {saveBytes(0x1234, 0), 0},             // nothing completed
        {saveBytes(0x1234, 1), 1},             // the first level done
        {saveBytes(0x1234, 16), 16},           // all done: straight to the ending
        {saveBytes(0x1234, 17), 0},            // more levels than there are
        {saveBytes(0x0001, 2), 2},             // a small key is still a key
        {saveBytes(0xFF00, 7), 7},             // so is one with a full high byte
        {{0x80, 0x80, 0x80, 0x80}, 0},         // the count folds to 0
    };
    for (const auto& c : cases) {
        writeFile("savegame.dat", c.bytes);
        EXPECT_EQ(loadGame(), c.result) << c.bytes.size() << " bytes";
    }
}
