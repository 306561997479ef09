// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompplaycheck: proves that each level can be finished by playing it with the
// game's own world code. A beam search tries inputs held for a few frames at a
// time from snapshots of the whole world, keeps the most promising states that
// are still alive, and stops at the first one that walks into the open door.
// The winning inputs are then replayed from a fresh level start to make sure
// the snapshots left nothing out. From the search and the level's cells it
// works out how hard each level is (see docs/levels.md).
//
//   blompplaycheck [-w beam width] [-k frames per move] [-v] [-d folder] [-p folder]
//                  [-m file] [level ...]
//   blompplaycheck -s
//   blompplaycheck -c chart.png old.txt new.txt
//   blompplaycheck -f tries [-g slack] [-o file] [-r recorded] [level ...]
//   blompplaycheck -C chart.png before.txt after.txt
//   blompplaycheck -G fairness.txt
//
// Run it in the run folder (it reads data/maps.zda). Levels are numbers 1..16;
// without any, all sixteen are checked. -v prints the winning inputs. -d writes
// the winning inputs of every finished level as a demo, <folder>/<name>.demo,
// which the test suite replays. -p draws every finished level with the bot's
// way as <folder>/<name>.png; -m writes each level's measure to a file.
// -s only reads the cells of every level in all four maps archives: variety,
// water, bump blocks, checkpoints and the first meeting with every danger.
// -c draws two measure files as a chart. -f plays every level `tries` times
// with each kind of player of the player model (playermodel.cpp) and prints how
// fair it is; -o writes the shares to a file, -g checks the fairness goals
// loosened by `slack` points, -r instead compares with a file -o wrote (the
// shares may fall by `slack` points); -C draws two such files as a chart, -G
// checks the goals on such a file. The exit
// status is 0 when every level checked was finished (with -s, when no level
// breaks a rule; with -g, when every goal holds), 1 otherwise.
#include "7game/run.h"
#include "5world/world.h"
#include "7game/stuff.h"
#include "4io/input.h"
#include "2platform/savefile.h"
#include "2platform/zda.h"
#include "5world/anims.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"

#include "beamsearch.h"
#include "levelpics.h"
#include "playermodel.h"
#include "levelscan.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int MAX_FRAMES = LEVEL_TIME;

// What a finished or failed search reports.
struct Result {
    int finished;
    int frames;
    int eaten, items;
    int furthestX;                // furthest x any state reached
    int deathX;                   // x of the furthest death
    std::string killer;           // what killed the figure there
    std::vector<int> inputs;      // the winning moves
    std::vector<int> frameInputs; // the inputs of every frame up to the door
    int replayed;                 // the replay from a fresh start finished at the same frame
    int score, lives;
    int64_t tried;              // moves played by the search, over all its attempts
    int64_t deaths;             // of those, the ones that killed the figure
    std::vector<PathPoint> way; // the figure's place in every frame of the replay
    World best;                 // the most promising state at the end of a failed search
};

int beamWidth = 300;
SearchRules rules;   // the move length and manner of judging of the search under way
int fixedFrames = 0; // the move length given on the command line, 0 to try several
int verbose = 0;
const char* demoFolder = nullptr; // where -d writes the demos, or null

// The searches tried on a level, one after another until one finishes.
struct Attempt {
    int byDistance;
    int frames; // frames a move is held
};
constexpr Attempt attempts[] = {{0, 4}, {1, 4}, {0, 3}, {1, 3}, {0, 6}, {1, 6}};
constexpr int NUM_ATTEMPTS = sizeof(attempts) / sizeof(attempts[0]);

std::vector<PathPoint>* wayOut = nullptr; // where the replay notes the figure's places, or null

// Loads level n the way the game flow starts a level. Called before the
// search and before the replay.
void startLevel(int n) {
    inputClear();
    worldPlayLevel(n, levelNames[n]);
    rules.itemsAtStart = world.map.stars;
}

// The inputs of every frame the found moves play, up to the frame the figure
// enters the door. Called once a search has finished; the demo and the replay
// both play exactly these.
std::vector<int> framesOf(const std::vector<int>& list, int frames) {
    std::vector<int> in;
    for (int move : list)
        for (int f = 0; f < rules.moveFrames && (int)in.size() < frames; f++)
            in.push_back(moveInputs(move, f, rules.moveFrames));
    return in;
}

// Plays the found frame inputs again from a fresh level start; 1 when the
// figure enters the door in the last of them.
int replay(int n, const std::vector<int>& in) {
    startLevel(n);
    for (size_t frame = 0; frame < in.size(); frame++) {
        playFrame(in[frame]);
        if (wayOut) wayOut->push_back({world.figure.x, world.figure.y});
        if (haveMadeit(world.figure)) return frame + 1 == in.size();
        if (!isActive(world.figure)) return 0;
    }
    return 0;
}

// Searches level n for a way to the door without a death.
Result checkLevel(int n) {
    Result res{};
    startLevel(n);
    res.items = rules.itemsAtStart;
    std::vector<Node> beam(1), next;
    saveWorld(beam[0].w);
    beam[0].history = -1;
    std::vector<HistoryEntry> history;
    std::vector<Candidate> cands;
    res.furthestX = world.figure.x;
    res.deathX = -1;

    for (int depth = 0; depth * rules.moveFrames < MAX_FRAMES && !beam.empty(); depth++) {
        Expansion e;
        expandBeam(beam, rules, cands, e);
        res.tried += e.tried;
        res.deaths += e.deaths;
        res.furthestX = std::max(res.furthestX, e.furthestX);
        if (e.deathX > res.deathX) {
            res.deathX = e.deathX;
            res.killer = e.killer;
        }
        if (e.found >= 0) {
            history.push_back({beam[e.found].history, (uint8_t)e.foundMove});
            res.finished = 1;
            res.frames = depth * rules.moveFrames + e.foundFrames;
            res.eaten = rules.itemsAtStart - world.map.stars;
            res.score = world.play.score;
            res.lives = world.play.lives;
            res.inputs = movesOf(history, (int32_t)history.size() - 1);
            res.frameInputs = framesOf(res.inputs, res.frames);
            wayOut = &res.way;
            res.replayed = replay(n, res.frameInputs);
            wayOut = nullptr;
            return res;
        }
        keepBest(beam, cands, beamWidth, rules, history, next);
        beam.swap(next);
        if (verbose > 1 && !beam.empty())
            printf("  frame %5d: %zu states, best x %d items %d\n", (depth + 1) * rules.moveFrames,
                   beam.size(), beam[0].w.figure.x, rules.itemsAtStart - beam[0].w.map.stars);
        if (!beam.empty()) res.eaten = std::max(res.eaten, rules.itemsAtStart - beam[0].w.map.stars);
        if (!beam.empty()) res.best = beam[0].w;
    }
    return res;
}

// The winning moves as letters, runs of one move shortened to a count.
void printInputs(const std::vector<int>& list) {
    printf("  inputs (%d frames a move; R right, U right+jump, . none, L left, Y left+jump, J jump, "
           "r/l crawl):\n  ",
           rules.moveFrames);
    int col = 2;
    for (size_t i = 0; i < list.size();) {
        size_t j = i;
        while (j < list.size() && list[j] == list[i]) j++;
        char buf[32];
        if (j - i > 1)
            snprintf(buf, sizeof(buf), "%c%zu ", moves[list[i]].letter, j - i);
        else
            snprintf(buf, sizeof(buf), "%c ", moves[list[i]].letter);
        if (col + (int)strlen(buf) > 100) {
            printf("\n  ");
            col = 2;
        }
        printf("%s", buf);
        col += (int)strlen(buf);
        i = j;
    }
    printf("\n");
}

// Where the most promising state of a failed search stands, and the items it still misses.
void printLeftItems(const World& w) {
    if (w.map.mapData.empty()) return;
    printf("  best state: figure at x %d y %d, view at %d, %d items missing:", w.figure.x, w.figure.y,
           w.map.step, w.map.stars);
    for (int c = 0; c < world.map.mapLength; c++)
        for (int r = 0; r < MAP_ROWS; r++)
            if (w.map.mapData[(size_t)c * MAP_ROWS + r] == BLK_ITEM) printf(" (%d,%d)", c, r);
    printf("\n");
}

// Writes the demo of a finished level: a comment, the level, the frame of the
// door, the score and lives there, then the frame inputs as runs "<mask> <count>".
// Called by main for every level finished when -d is given; 0 when the file
// could not be written.
int writeDemo(int n, const Result& r) {
    std::string text;
    char line[320];
    snprintf(
        line, sizeof(line),
        "# blomp demo of level %d (%s), found by blompplaycheck; remake it with "
        "\"../blompplaycheck -d ../../tests/demos %d\" in build/run; after the lives, runs of frame inputs "
        "\"<mask> <frames>\" with mask bits %d left, %d right, %d jump, %d crawl\n",
        n, levelNames[n], n, IN_LEFT, IN_RIGHT, IN_JUMP, IN_CRAWL);
    text += line;
    snprintf(line, sizeof(line), "level %d\nframes %d\nscore %d\nlives %d\n", n, r.frames, r.score, r.lives);
    text += line;
    const std::vector<int>& in = r.frameInputs;
    for (size_t i = 0; i < in.size();) {
        size_t j = i;
        while (j < in.size() && in[j] == in[i]) j++;
        snprintf(line, sizeof(line), "%d %zu\n", in[i], j - i);
        text += line;
        i = j;
    }
    std::string path = std::string(demoFolder) + "/" + levelNames[n] + ".demo";
    if (writeFileAtomic(path.c_str(), (const uint8_t*)text.data(), (long)text.size())) return 1;
    printf("  cannot write %s\n", path.c_str());
    return 0;
}

// Reads level n of a language's maps archive as the file holds it; false when it is missing or cut short.
bool readGrid(int lang, int n, LevelGrid& grid) {
    int32_t size = 0;
    uint8_t* bytes = loadZDAFile(maps[lang], levelNames[n], "bin", &size);
    const bool ok = gridFromFile(bytes, size, grid);
    free(bytes);
    return ok;
}

// Prints a level's scan on one line and its problems below; returns the number of problems.
int printScan(int n, const LevelScan& s, const char* language) {
    printf("%-5d %-9s %-3s %5d %5d %4d%% %5.1f %6d%% ", n, levelNames[n], language, s.columns, s.items,
           s.items ? 100 * s.offLine / s.items : 0, s.hazards, s.repeatPercent);
    if (s.spreadPercent >= 0)
        printf("%5d%%  ", s.spreadPercent);
    else
        printf("%6s  ", "-");
    for (size_t i = 0; i < s.checkpoints.size(); i++) printf("%s%d", i ? "," : "", s.checkpoints[i]);
    printf("\n");
    for (const std::string& p : s.problems) printf("      BROKEN: %s\n", p.c_str());
    return (int)s.problems.size();
}

// The cells-only check of every level in all four maps archives and the first
// meetings of the game's dangers; 1 when any rule is broken.
int scanAll() {
    static const char* const languages[4] = {"en", "de", "fr", "es"};
    openArchives();
    int broken = 0;
    printf("%-5s %-9s %-3s %5s %5s %5s %5s %7s %6s  %s\n", "level", "name", "map", "width", "items", "off",
           "haz", "repeat", "spread", "checkpoints");
    std::vector<std::vector<LevelGrid>> grids(4, std::vector<LevelGrid>(NUM_LEVEL_NAMES));
    for (int lang = 0; lang < 4; lang++)
        for (int n = 1; n < NUM_LEVEL_NAMES; n++) {
            LevelGrid& g = grids[lang][n];
            if (!readGrid(lang, n, g)) {
                printf("%-5d %-9s %-3s BROKEN: missing or cut short\n", n, levelNames[n], languages[lang]);
                broken++;
                continue;
            }
            // The other languages are shown only where their maps differ from the English ones.
            if (lang > 0 && g.columns == grids[0][n].columns && g.cells == grids[0][n].cells) continue;
            broken += printScan(n, scanLevel(g), languages[lang]);
        }
    for (int lang = 1; lang < 4; lang++) {
        int same = 1;
        for (int n = 1; n < NUM_LEVEL_NAMES; n++) same = same && grids[lang][n].cells == grids[0][n].cells;
        printf("maps of %s: %s\n", languages[lang],
               same ? "the same as en" : "differ from en (checked above)");
    }
    printf("first meetings:\n");
    for (int lang = 0; lang < 4; lang++)
        for (const FirstMeeting& m : firstMeetings(grids[lang])) {
            if (lang > 0 && m.problem.empty()) continue;
            if (m.level < 0)
                printf("  %-3s %-16s never met\n", languages[lang], m.kind);
            else
                printf("  %-3s %-16s level %2d column %3d  %s%s\n", languages[lang], m.kind, m.level,
                       m.column, m.problem.empty() ? "fair" : "UNFAIR: ", m.problem.c_str());
            broken += !m.problem.empty();
        }
    closeArchives();
    printf("%s\n", broken ? "level rules broken" : "every level keeps the rules");
    return broken ? 1 : 0;
}

// The parts of the difficulty measure of a finished level and their sum (see docs/levels.md).
struct Measure {
    double hazards; // monsters and hazard columns per 100 columns
    double risk;    // percent of the moves tried that killed the figure
    double time;    // percent of the level's time the bot's way takes
    int search;     // which of the searches found the way (1 the first)
    double value;
};

// The weights: a deadly move is the surest sign of a hard level, the time a
// level takes is what a player can least make up, hazards count for what the
// bot slips past, and each search the bot needs means moves out of the ordinary.
constexpr double W_HAZARDS = 0.5; // points of the measure per hazard in 100 columns
constexpr double W_RISK = 2.0;    // per percent of deadly moves
constexpr double W_TIME = 0.5;    // per percent of the time limit used
constexpr double W_SEARCH = 3.0;  // per search tried before the one that found the way

Measure measureOf(const LevelScan& s, const Result& r, int attempt) {
    Measure m;
    m.hazards = s.hazards;
    m.risk = r.tried ? 100.0 * (double)r.deaths / (double)r.tried : 0;
    m.time = 100.0 * r.frames / MAX_FRAMES;
    m.search = attempt;
    m.value = W_HAZARDS * m.hazards + W_RISK * m.risk + W_TIME * m.time + W_SEARCH * (attempt - 1);
    return m;
}

// Reads a measure file ("<level> <measure>" lines) into values of levels 1..16.
std::vector<double> readMeasures(const char* path) {
    std::vector<double> v;
    FILE* f = fopen(path, "r");
    if (!f) return v;
    int level = 0;
    double value = 0;
    char line[128];
    while (fgets(line, sizeof(line), f))
        if (sscanf(line, "%d %lf", &level, &value) == 2 && level >= 1 && level <= 16) {
            if ((int)v.size() < level) v.resize(level, 0);
            v[level - 1] = value;
        }
    fclose(f);
    return v;
}

} // namespace

// Checks the levels named on the command line, or all sixteen.
int main(int argc, char** argv) {
    std::vector<int> levels;
    const char* pictureFolder = nullptr;
    const char* measureFile = nullptr;
    FairnessOptions fair;
    int fairness = 0;
    if (argc == 2 && !strcmp(argv[1], "-s")) return scanAll();
    if (argc == 5 && !strcmp(argv[1], "-C")) return fairnessChart(argv[2], argv[3], argv[4]);
    if (argc == 3 && !strcmp(argv[1], "-G")) return fairnessGoals(argv[2]);
    if (argc == 5 && !strcmp(argv[1], "-c")) {
        openArchives(); // the tiles and the font come from the gfx archive
        const int ok = writeChart(argv[2], readMeasures(argv[3]), readMeasures(argv[4]));
        closePictures();
        closeArchives();
        if (!ok) printf("cannot write %s\n", argv[2]);
        return ok ? 0 : 1;
    }
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "-w") && i + 1 < argc)
            beamWidth = std::max(1, atoi(argv[++i]));
        else if (!strcmp(argv[i], "-k") && i + 1 < argc)
            fixedFrames = std::max(1, atoi(argv[++i]));
        else if (!strcmp(argv[i], "-v"))
            verbose++;
        else if (!strcmp(argv[i], "-d") && i + 1 < argc)
            demoFolder = argv[++i];
        else if (!strcmp(argv[i], "-p") && i + 1 < argc)
            pictureFolder = argv[++i];
        else if (!strcmp(argv[i], "-m") && i + 1 < argc)
            measureFile = argv[++i];
        else if (!strcmp(argv[i], "-f") && i + 1 < argc) {
            fairness = 1;
            fair.tries = std::max(1, atoi(argv[++i]));
        } else if (!strcmp(argv[i], "-g") && i + 1 < argc)
            fair.slack = std::max(0, atoi(argv[++i]));
        else if (!strcmp(argv[i], "-o") && i + 1 < argc)
            fair.outFile = argv[++i];
        else if (!strcmp(argv[i], "-r") && i + 1 < argc)
            fair.recorded = argv[++i];
        else if (atoi(argv[i]) >= 1 && atoi(argv[i]) < NUM_LEVEL_NAMES)
            levels.push_back(atoi(argv[i]));
        else {
            printf(
                "usage: blompplaycheck [-w beam width] [-k frames per move] [-v] [-d folder] [-p folder] "
                "[-m file] [level 1..%d ...]\n       blompplaycheck -s\n       blompplaycheck -c chart.png "
                "old.txt new.txt\n       blompplaycheck -f tries [-g slack] [-o file] [-r recorded] [level "
                "...]\n"
                "       blompplaycheck -C chart.png before.txt after.txt\n       blompplaycheck -G "
                "fairness.txt\n",
                NUM_LEVEL_NAMES - 1);
            return 2;
        }
    }
    if (levels.empty())
        for (int n = 1; n < NUM_LEVEL_NAMES; n++) levels.push_back(n);
    if (fairness) return fairnessMain(levels, fair);

    openArchives();
    FILE* measures = measureFile ? fopen(measureFile, "w") : nullptr;
    if (measureFile && !measures) printf("cannot write %s\n", measureFile);
    int failed = 0;
    printf("%-5s %-9s %5s %6s %7s %5s %5s %5s %6s %5s %5s %7s  %s\n", "level", "name", "width", "items",
           "frames", "time", "score", "lives", "risk", "haz", "try", "measure", "result");
    for (int n : levels) {
        LevelGrid grid;
        readGrid(0, n, grid);
        const LevelScan scan = scanLevel(grid);
        // The searches one after another, unless the command line fixed the move length.
        Result r{}, worst{};
        int tried = 0;
        int64_t allTried = 0, allDeaths = 0;
        for (int t = 0; t < NUM_ATTEMPTS && !r.finished; t++) {
            if (fixedFrames && attempts[t].frames != attempts[0].frames) continue;
            rules.byDistance = attempts[t].byDistance;
            rules.moveFrames = fixedFrames ? fixedFrames : attempts[t].frames;
            tried = t + 1;
            r = checkLevel(n);
            allTried += r.tried;
            allDeaths += r.deaths;
            if (!r.finished && (t == 0 || r.eaten > worst.eaten)) worst = r;
        }
        r.tried = allTried;
        r.deaths = allDeaths;
        if (r.finished) {
            const Measure m = measureOf(scan, r, tried);
            printf("%-5d %-9s %5d %3d/%-2d %7d %4.0f%% %5d %5d %5.1f%% %5.1f %5d %7.1f  finished%s\n", n,
                   levelNames[n], world.map.mapLength, r.eaten, r.items, r.frames, m.time, r.score, r.lives,
                   m.risk, m.hazards, tried, m.value, r.replayed ? "" : " (BUT THE REPLAY DIFFERS)");
            if (measures) fprintf(measures, "%d %.1f\n", n, m.value);
            if (!r.replayed) failed++;
            if (verbose) printInputs(r.inputs);
            // A demo that its own replay does not finish would only fail the test suite.
            if (demoFolder && r.replayed && !writeDemo(n, r)) failed++;
            if (pictureFolder) {
                const std::string path = std::string(pictureFolder) + "/" + levelNames[n] + ".png";
                if (!writeOverview(path.c_str(), n, grid, r.way)) {
                    printf("  cannot write %s\n", path.c_str());
                    failed++;
                }
            }
        } else {
            failed++;
            printf("%-5d %-9s %5d %3d/%-2d %7s %5s %5s %5s %6s %5.1f %5d %7s  NOT FINISHED: furthest x %d", n,
                   levelNames[n], world.map.mapLength, worst.eaten, worst.items, "-", "-", "-", "-", "-",
                   scan.hazards, tried, "-", worst.furthestX);
            if (worst.deathX >= 0) printf(", furthest death at x %d: %s", worst.deathX, worst.killer.c_str());
            printf("\n");
            if (verbose) printLeftItems(worst.best);
        }
        fflush(stdout);
    }
    if (measures) fclose(measures);
    closeArchives();
    closePictures();
    freeLevel();
    return failed ? 1 : 0;
}
