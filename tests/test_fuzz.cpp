// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The fuzz targets and the soak, outside the fuzzer: our own data goes through
// every target as accepted input, every input kept in tests/regress/<target>/
// (named accepted-* or refused-* by how the game must take it) replays without
// a crash or a broken promise, and the soak plays the same run from the same seed.
#include "fuzz.h"
#include "2platform/zda.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> failures; // broken promises reported by the targets during one input

void recordFailure(const char* what) {
    failures.push_back(what);
}

// The entry function of a target by name.
int (*entryOf(const std::string& target))(const uint8_t*, size_t) {
    for (const FuzzTarget& t : fuzzTargets)
        if (target == t.name) return t.entry;
    return nullptr;
}

// Runs one input through a target; the outcome, with the broken promises in failures.
int replay(const std::string& target, const std::vector<uint8_t>& bytes) {
    failures.clear();
    fuzzFailHook = recordFailure;
    auto entry = entryOf(target);
    if (!entry) {
        ADD_FAILURE() << "no target " << target;
        return -1;
    }
    const int outcome = entry(bytes.data(), bytes.size());
    fuzzFailHook = nullptr;
    return outcome;
}

// An entry of one of the built archives.
std::vector<uint8_t> builtEntry(int archive, const char* name) {
    std::vector<uint8_t> out;
    if (chdir(BLOMP_RUN_DIR) != 0) return out;
    openArchives();
    int32_t size = 0;
    uint8_t* data = uncompressZDA(archive, name, &size);
    if (data) out.assign(data, data + size);
    free(data);
    closeArchives();
    return out;
}

} // namespace

// Our own files are what every target must take: a level, a picture, a sound, a module, an archive.
TEST(Fuzz, OurDataIsAcceptedByEveryTarget) {
    ScratchDir here;
    const std::string saved = here.path();
    struct Case {
        const char* target;
        int archive; // -1: a file of the run folder
        const char* name;
    } cases[] = {
        {"map", ARC_MAPS, "beginner.bin"}, {"map", ARC_MAPS, "plane.bin"},
        {"map", -1, "mapsen/test.bin"},    {"bitmap", ARC_GFX, "font.bmp"},
        {"bitmap", ARC_GFX, "moon.bmp"},   {"wav", ARC_SOUND, "klonk.wav"},
        {"wav", ARC_SOUND, "splash.wav"},  {"music", ARC_MUSIC, "sceney.xm"},
        {"archive", -1, "data/maps.zda"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.archive >= 0 ? builtEntry(c.archive, c.name)
                                                    : readFile(std::string(BLOMP_RUN_DIR "/") + c.name);
        ASSERT_FALSE(bytes.empty()) << c.name;
        ASSERT_EQ(chdir(saved.c_str()), 0);
        EXPECT_EQ(replay(c.target, bytes), FUZZ_ACCEPTED) << c.target << " " << c.name;
        EXPECT_TRUE(failures.empty()) << c.target << " " << c.name << ": " << failures[0];
    }
}

// Every kept input replays as its name says, without a crash or a broken promise: the
// crashes the fuzzer found, and files a player could hand the game (what it writes
// itself, junk, files cut short), with nothing left behind in the working folder.
TEST(Fuzz, KeptInputsReplay) {
    ScratchDir here;
    int replayed = 0;
    for (const FuzzTarget& t : fuzzTargets) {
        const std::string dir = std::string(BLOMP_SOURCE_DIR "/tests/regress/") + t.name;
        for (const std::string& name : folderNames(dir)) {
            if (name[0] == '.') continue;
            int expect = -1;
            if (name.rfind("accepted-", 0) == 0) expect = FUZZ_ACCEPTED;
            if (name.rfind("refused-", 0) == 0) expect = FUZZ_REFUSED;
            EXPECT_NE(expect, -1) << dir << "/" << name << ": the name must start with accepted- or refused-";
            EXPECT_EQ(replay(t.name, readFile(dir + "/" + name)), expect) << t.name << "/" << name;
            EXPECT_TRUE(failures.empty()) << t.name << "/" << name << ": " << failures[0];
            replayed++;
        }
    }
    EXPECT_GT(replayed, 0) << "no kept inputs under tests/regress";
    // Whatever the targets did, they did it in their own folder.
    const std::vector<std::string> left = folderNames(".");
    EXPECT_TRUE(left.empty()) << left[0];
}

// A short soak ends cleanly, reaches play and the menus, and the same seed plays the same run.
TEST(Fuzz, SoakIsCleanAndRepeatable) {
    int status = -1;
    const std::string command = "cd " BLOMP_RUN_DIR " && " SOAK_BINARY " 6000 7 2>&1";
    const std::string first = runCommand(command, &status);
    EXPECT_EQ(status, 0) << first;
    EXPECT_NE(first.find("nothing found"), std::string::npos) << first;
    for (const char* state : {"play", "main menu", "intro screens"}) {
        const size_t at = first.find(std::string("  ") + state + " ");
        ASSERT_NE(at, std::string::npos) << state;
        EXPECT_GT(atol(first.c_str() + first.find_first_not_of(' ', at + 2 + strlen(state))), 0) << state;
    }
    EXPECT_EQ(runCommand(command, &status), first);
}
