// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Golden frames: whole games played by the harness in every graphic set at 16
// and 24 bits per pixel, with the hash of the frame surface's colours taken at
// chosen moments (intro screens, title, menus, hiscore and options pages, level
// intro, play with water and monsters, pause, death message, quit question,
// story, level end). The runs are written in tests/golden_runs.txt and the hashes
// stored in tests/golden_frames.txt; any change to what the player sees shows up
// here, named, with the frame saved as a PNG in the build folder's golden/.
//
// After a deliberate change of art, levels or a screen, rewrite the stored hashes:
//   BLOMP_UPDATE_GOLDEN=1 build-test/blomp_tests --gtest_filter='Golden*'
// (or scripts/update-golden.sh), look at the new frames, and commit the file.
#include "testutil.h"
#include "worldmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const GOLDEN_FILE = BLOMP_SOURCE_DIR "/tests/golden_frames.txt";
const char* const RUNS_FILE = BLOMP_SOURCE_DIR "/tests/golden_runs.txt";
const char* const FAILED_DIR = BLOMP_RUN_DIR "/../golden"; // frames that differ, as PNG

// A graphic set and the intro-screen input that chooses it on the graphic-set screen.
struct GfxChoice {
    const char* name;
    const char* script;
};

const GfxChoice gfxChoices[3] = {
    {"classic", "tap 4100 left\n"},
    {"deluxe", "tap 4100 right\n"},
    {"handheld", "tap 4100 down\ntap 4250 down\ntap 4400 down\ntap 4550 down\ntap 4700 down\n"
                 "tap 4850 down\ntap 5000 down\ntap 5150 down\ntap 5300 down\ntap 5450 down\n"},
};

// One scripted game of golden_runs.txt.
struct GoldenRun {
    std::string name;
    bool tinyMaps = false;     // every level is the small level below instead of the shipped maps
    std::vector<uint8_t> save; // the bytes of savegame.dat; none when empty
    std::string script;        // frame, choose and harness lines
};

// The runs of golden_runs.txt, in their order.
std::vector<GoldenRun> readRuns() {
    std::vector<GoldenRun> runs;
    std::istringstream lines(readText(RUNS_FILE));
    std::string line, word;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        if (!(words >> word) || word[0] == '#') continue;
        if (word != "run") {
            if (!runs.empty()) runs.back().script += line + "\n";
            continue;
        }
        runs.push_back({});
        words >> runs.back().name;
        while (words >> word)
            if (word == "tiny")
                runs.back().tinyMaps = true;
            else if (word == "save" && words >> word)
                for (size_t i = 0; i + 1 < word.size(); i += 2)
                    runs.back().save.push_back((uint8_t)std::stoi(word.substr(i, 2), nullptr, 16));
    }
    return runs;
}

// A 40-column level: ground along the bottom, the open exit door at columns 8-9,
// a pond of water over the ground from column 14 on, and bricks.
std::vector<uint8_t> smallLevel() {
    std::string wave;
    for (int c = 14; c < 40; c += 2) wave += "~=";
    return levelFile({row(40, '.'), "...BBB" + row(34, '.'), row(40, '.'), row(40, '.'),
                      "........12...." + wave, "........34...." + row(26, '_'), row(40, '#')});
}

// The stored hashes, by frame key.
std::map<std::string, std::string> readGolden() {
    std::map<std::string, std::string> out;
    FILE* f = fopen(GOLDEN_FILE, "r");
    if (!f) return out;
    char line[256], key[200], hash[64];
    while (fgets(line, sizeof line, f))
        if (line[0] != '#' && sscanf(line, "%199s %63s", key, hash) == 2) out[key] = hash;
    fclose(f);
    return out;
}

// Rewrites the stored hashes: those of other sets and depths kept, this one's replaced.
void writeGolden(const std::string& prefix, const std::map<std::string, std::string>& mine) {
    std::map<std::string, std::string> all = readGolden();
    for (auto it = all.begin(); it != all.end();)
        it = it->first.find(prefix) != std::string::npos ? all.erase(it) : std::next(it);
    for (const auto& m : mine) all[m.first] = m.second;
    FILE* f = fopen(GOLDEN_FILE, "w");
    ASSERT_NE(f, nullptr) << "cannot write " << GOLDEN_FILE;
    fprintf(
        f,
        "# Golden frames: <run>/<graphic set>/<bits per pixel>/<frame> and the hash of its colours.\n"
        "# Written by BLOMP_UPDATE_GOLDEN=1 blomp_tests --gtest_filter='Golden*' (see test_golden.cpp).\n");
    for (const auto& a : all) fprintf(f, "%s %s\n", a.first.c_str(), a.second.c_str());
    fclose(f);
}

// Turns a run into a harness script for one set: frame lines become a shot and a hash,
// their names added to `frames`; the choose line becomes the set's choice.
std::string harnessScript(const GoldenRun& run, const GfxChoice& set, std::vector<std::string>& frames) {
    std::string out;
    std::istringstream lines(run.script);
    std::string line;
    while (std::getline(lines, line)) {
        char name[64];
        unsigned at = 0;
        if (line == "choose") {
            out += set.script;
        } else if (sscanf(line.c_str(), "frame %u %63s", &at, name) == 2) {
            out += "shot " + std::to_string(at) + " " + name + ".png\n";
            out += "hash " + std::to_string(at) + " " + name + "\n";
            frames.push_back(name);
        } else {
            out += line + "\n";
        }
    }
    return out + "limit 60000\n";
}

// Plays one run in the working folder; returns its frames' hashes by frame name.
std::map<std::string, std::string> playRun(const GoldenRun& run, const std::string& script, int bpp,
                                           int& status) {
    std::map<std::string, std::string> hashes;
    if (run.tinyMaps) {
        linkDataArchives({"gfx", "music", "sound"});
        writeLevelMaps(smallLevel());
    } else {
        linkDataArchives({"gfx", "music", "sound", "maps", "mapsde", "mapsfr", "mapses"});
    }
    if (!run.save.empty()) writeFile("savegame.dat", run.save);
    const std::string out = runHarness(script, "", "-b" + std::to_string(bpp), &status);
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        char name[64], hash[32];
        if (sscanf(line.c_str(), "hash %63s %31s", name, hash) == 2) hashes[name] = hash;
    }
    return hashes;
}

class Golden : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Every golden frame of both runs, in one set at one depth, hashes as stored.
TEST_P(Golden, FramesMatchTheStoredHashes) {
    const GfxChoice& set = gfxChoices[std::get<0>(GetParam())];
    const int bpp = std::get<1>(GetParam());
    const std::string tag = std::string("/") + set.name + "/" + std::to_string(bpp) + "/";
    const bool update = getenv("BLOMP_UPDATE_GOLDEN") && *getenv("BLOMP_UPDATE_GOLDEN") == '1';
    const std::map<std::string, std::string> stored = readGolden();
    std::map<std::string, std::string> mine;
    const std::vector<GoldenRun> runs = readRuns();
    ASSERT_FALSE(runs.empty()) << RUNS_FILE;
    for (const GoldenRun& run : runs) {
        ScratchDir dir;
        int status = -1;
        std::vector<std::string> frames;
        std::map<std::string, std::string> got = playRun(run, harnessScript(run, set, frames), bpp, status);
        EXPECT_EQ(status, 0) << run.name << tag << ": the game did not end by itself";
        // Every frame of the script was taken (a shot line the game never reached is a failure too).
        for (const std::string& name : frames) {
            const std::string key = run.name + tag + name;
            auto g = got.find(name);
            if (g == got.end()) {
                ADD_FAILURE() << key << ": the frame was never taken";
                continue;
            }
            mine[key] = g->second;
            if (update) continue;
            auto s = stored.find(key);
            const std::string want = s == stored.end() ? "(none stored)" : s->second;
            if (want == g->second) continue;
            mkdir(FAILED_DIR, 0755);
            std::string png = std::string(FAILED_DIR) + "/" + run.name + "_" + set.name + "_" +
                              std::to_string(bpp) + "_" + name + ".png";
            writeFile(png, readFile(name + ".png"));
            ADD_FAILURE() << key << " differs: hash " << g->second << ", stored " << want
                          << "; the frame is in " << png;
        }
    }
    if (update) writeGolden(tag, mine);
}

std::string paramName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
    return std::string(gfxChoices[std::get<0>(info.param)].name) + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Golden, Golden,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Values(16, 24)),
                         paramName);

} // namespace
