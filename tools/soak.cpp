// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompsoak: the monkey soak. Plays the whole game, from the intro screens to
// the exit, with random input on the simulated clock, session after session,
// until a number of frames has passed, and prints how often each state of the
// game was seen. Built with the sanitizers (scripts/soak.sh), it must find nothing.
//
//   blompsoak <frames> [seed [demo folder]]
//
// Run it in the run folder (it needs data/ and mapsen/). Each session is the
// program from its start (a child process, so every session starts as fresh as
// the game does) and plays until the player quits from the menu; the files the
// game writes (configuration, hiscores, saved game) live in a scratch folder and
// carry over from session to session, then are removed. The input is biased so
// that menus, pauses, deaths, the options page, key captures, game over and name
// entries are all reached. Given the folder of the recorded demos (tests/demos),
// most fresh level starts are played by their demo, so that levels are
// completed and the bonus count, the story, saved games, continues and the
// ending are reached too. A frame is one poll of the input after the simulated
// clock moved. Same seed, same run. Exit status 0 when every session ended
// cleanly, 1 when one crashed, failed a sanitizer check or could not be left.
#include "7game/run.h"
#include "5world/world.h"
#include "7game/screens.h"
#include "7game/startup.h"
#include "7game/stuff.h"
#include "7game/options.h"
#include "6draw/gfx.h"
#include "4io/hiscore.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "5world/figure.h"
#include "5world/map.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <initializer_list>
#include <csignal>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The states the monkey tells apart from the game's globals.
enum State {
    ST_INTRO,    // the intro screens before the title
    ST_TITLE,    // the title's attract mode
    ST_MENU,     // the title's main menu
    ST_HISCORES, // the hiscore page
    ST_OPTIONS,  // the options page
    ST_CAPTURE,  // a capture of key or pad bindings on the options page
    ST_PLAY,     // a level (with its intro, the story and the bonus count)
    ST_PAUSE,    // the pause menu
    ST_QUIT,     // the quit question during a level
    ST_DYING,    // a death and its countdown
    ST_GAMEOVER, // game over, its name entry and the question whether to continue
    ST_ENDING,   // the ending after the last level
    NUM_STATES
};
const char* const stateNames[NUM_STATES] = {"intro screens", "title",       "main menu", "hiscore page",
                                            "options page",  "key capture", "play",      "pause menu",
                                            "quit question", "dying",       "game over", "ending"};

// What happened, counted when the game's globals change.
enum Event {
    EV_SESSION,  // the program started
    EV_EXIT,     // the player quit from the menu and the program ended
    EV_GAME,     // a game started from the title
    EV_LEVEL,    // a level was completed
    EV_DEATH,    // a life was lost
    EV_PAUSE,    // the pause menu opened
    EV_QUIT,     // the quit question opened during a level
    EV_GAMEOVER, // the last life was lost
    EV_NAME,     // a name entered into the hiscore table
    EV_CONTINUE, // the lost level played again after game over
    EV_CAPTURE,  // a capture of bindings started
    EV_HIDDEN,   // the hidden graphic set was chosen
    NUM_EVENTS
};
const char* const eventNames[NUM_EVENTS] = {
    "sessions", "exits from the menu", "games started", "levels completed", "lives lost",
    "pauses",   "quit questions",      "game overs",    "names entered",    "continues",
    "captures", "hidden set chosen"};

// Counters shared by the sessions (child processes) and the parent.
struct Shared {
    long frames; // frames of every session so far
    long stateFrames[NUM_STATES];
    long events[NUM_EVENTS];
    int state; // the state of the running session's last frame
    int stuck; // a session could not be left
};
Shared* shared = nullptr;

long target = 0;       // frames to play in all
uint32_t rng = 1;      // the monkey's generator
uint32_t lastTick = 0; // the simulated clock at the previous frame
long sessionFrames = 0;
long sessionBudget = 0;        // frames after which this session heads for the exit
int pad = 0;                   // a pad is plugged in this session
int menuGoal = 1;              // the menu entry the monkey is heading for
uint32_t heldUntil[SDLK_LAST]; // a key the monkey holds, until then
uint32_t hiscoreSum = 0;       // of the table as last seen
int prevLevel = 0, prevLives = START_LIVES, prevPaused = 0, prevEscape = 0, prevStatus = 0, prevSet = 0;

constexpr long STUCK_FRAMES = 200000; // past its budget, a session that does not end is stuck
constexpr uint32_t DEMO_CHANCE = 2;   // in 4 fresh level starts with a demo, the demo plays
constexpr uint32_t DEMO_DROP = 3000;  // in each frame, one chance in this that the monkey takes over

// The recorded input of each level, one mask a frame (1 left, 2 right, 4 jump, 8 crawl); empty without one.
std::vector<uint8_t> demos[NUM_LEVEL_NAMES];
int demoLevel = 0;  // the level whose demo is playing now, 0 when the monkey plays
int demoHeld = 0;   // the controls the demo holds now
int startArmed = 1; // the clock ran since the last level start, so the next full clock is a new start
int downsToGo = 0;  // releases of down still to make on the graphic-set screen

uint32_t next() {
    rng ^= rng << 13;
    rng ^= rng >> 17;
    rng ^= rng << 5;
    return rng;
}

// True with probability n / d.
bool chance(uint32_t n, uint32_t d) {
    return next() % d < n;
}

// Presses a key now and lets it go after a while, unless it is already held.
void press(int32_t sym, uint32_t holdMs = 0) {
    if (sym <= 0 || sym >= SDLK_LAST || heldUntil[sym] > simClock) return;
    if (!holdMs) holdMs = 20 + next() % 120;
    SDL_Event ev = {};
    ev.type = SDL_KEYDOWN;
    ev.key.state = SDL_PRESSED;
    ev.key.keysym.sym = (SDLKey)sym;
    simPushEvent(ev);
    ev.type = SDL_KEYUP;
    ev.key.state = SDL_RELEASED;
    simScheduleEvent(simClock + holdMs, ev);
    heldUntil[sym] = simClock + holdMs + 1;
}

// A pad button pressed now and released a little later.
void pressButton(int button) {
    SDL_Event ev = {};
    ev.type = SDL_JOYBUTTONDOWN;
    ev.jbutton.button = (Uint8)button;
    ev.jbutton.state = SDL_PRESSED;
    simPushEvent(ev);
    ev.type = SDL_JOYBUTTONUP;
    ev.jbutton.state = SDL_RELEASED;
    simScheduleEvent(simClock + 30 + next() % 100, ev);
}

// Any key at all: the bound ones, letters, digits, cursor keys, escape.
void pressAnything() {
    static const int32_t extra[] = {SDLK_UP,    SDLK_DOWN,   SDLK_LEFT,  SDLK_RIGHT, SDLK_RETURN,
                                    SDLK_SPACE, SDLK_ESCAPE, SDLK_s,     SDLK_d,     SDLK_l,
                                    SDLK_r,     SDLK_c,      SDLK_LSHIFT};
    const uint32_t r = next() % 3;
    if (r == 0)
        press(extra[next() % (sizeof extra / sizeof extra[0])]);
    else if (r == 1)
        press('a' + (int32_t)(next() % 26));
    else if (pad)
        pressButton((int)(next() % 12));
    else
        press('0' + (int32_t)(next() % 10));
}

// Reads the demo of every level from a folder; a level without one is played by the monkey.
void loadDemos(const char* folder) {
    for (int n = 1; n < NUM_LEVEL_NAMES; n++) {
        char path[1200], line[256];
        snprintf(path, sizeof path, "%s/%s.demo", folder, levelNames[n]);
        FILE* f = fopen(path, "r");
        if (!f) continue;
        while (fgets(line, sizeof line, f)) {
            int mask = 0, count = 0;
            if (line[0] == '#' || sscanf(line, "%d %d", &mask, &count) != 2) continue;
            if (mask >= 0 && mask <= 15 && count > 0 && demos[n].size() + (size_t)count <= (size_t)LEVEL_TIME)
                demos[n].insert(demos[n].end(), (size_t)count, (uint8_t)mask);
        }
        fclose(f);
    }
}

// The key of each demo control bit.
int32_t demoKey(int bit) {
    return bit == 1   ? input.LEFT_KEY
           : bit == 2 ? input.RIGHT_KEY
           : bit == 4 ? input.JUMP_KEY
                      : input.DOWN_KEY;
}

// A key event now, without a release scheduled: the demo lets go itself.
void keyNow(int32_t sym, int down) {
    if (sym <= 0 || sym >= SDLK_LAST) return;
    SDL_Event ev = {};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.sym = (SDLKey)sym;
    simPushEvent(ev);
}

// Lets go of what the demo holds and hands the play back to the monkey.
void stopDemo() {
    for (int bit = 1; bit <= 8; bit <<= 1)
        if (demoHeld & bit) keyNow(demoKey(bit), 0);
    demoHeld = 0;
    demoLevel = 0;
}

// One frame of a demo. The clock of the level tells the frame: it runs down by one in
// each frame of play, from the first. Until then (the level's intro, which throws
// input away) the first frame's controls are pressed again every frame.
void playDemo() {
    const std::vector<uint8_t>& d = demos[demoLevel];
    const int32_t index = LEVEL_TIME - world.timeLeft;
    if (index < 0 || index >= (int32_t)d.size()) {
        stopDemo();
        return;
    }
    const int want = d[(size_t)index];
    for (int bit = 1; bit <= 8; bit <<= 1) {
        if ((want & bit) && (!(demoHeld & bit) || index == 0)) keyNow(demoKey(bit), 1);
        if (!(want & bit) && (demoHeld & bit)) keyNow(demoKey(bit), 0);
    }
    demoHeld = want;
}

// At a level's start (full clock, the figure at the level's own start point) the demo
// may take over; a death, a pause or anything but play ends it.
void steerDemo(State s, bool leaving) {
    const bool fullClock = world.play.level > 0 && world.timeLeft == LEVEL_TIME;
    if (fullClock && startArmed && s == ST_PLAY) {
        startArmed = 0;
        if (demoLevel) stopDemo();
        if (world.play.level < NUM_LEVEL_NAMES && !demos[world.play.level].empty() &&
            world.map.startx == 16 && world.map.starty == 100 && chance(DEMO_CHANCE, 4))
            demoLevel = world.play.level;
    }
    if (!fullClock) startArmed = 1;
    if (demoLevel && (s != ST_PLAY || demoLevel != world.play.level || leaving || chance(1, DEMO_DROP)))
        stopDemo();
    if (demoLevel) playDemo();
}

// The state the game is in, read from its globals.
State classify() {
    if (currentScreen < NUM_SCREENS) return ST_INTRO;
    if (world.play.level == 0) {
        if (world.play.workflow == 0) return ST_TITLE;
        if (world.play.workflow == -3) return ST_HISCORES;
        if (world.play.workflow == -4) return cfgStatus ? ST_CAPTURE : ST_OPTIONS;
        return ST_MENU;
    }
    if (world.play.level >= 17) return ST_ENDING;
    if (world.play.lives <= 0) return ST_GAMEOVER;
    if (world.play.paused) return ST_PAUSE;
    if (input.escape) return ST_QUIT;
    if (world.play.messageString[0]) return ST_DYING;
    return ST_PLAY;
}

// A checksum of the hiscore table, to see a name go in.
uint32_t tableSum() {
    uint32_t h = 2166136261u;
    const uint8_t* p = (const uint8_t*)hiscores;
    for (size_t i = 0; i < sizeof hiscores; i++) h = (h ^ p[i]) * 16777619u;
    return h;
}

// Counts what changed since the last frame.
void countEvents(State s) {
    if (prevLevel == 0 && world.play.level > 0) shared->events[EV_GAME]++;
    if (world.play.level == prevLevel + 1 && prevLevel > 0 && world.play.lives > 0)
        shared->events[EV_LEVEL]++;
    if (world.play.lives < prevLives && world.play.level > 0) shared->events[EV_DEATH]++;
    if (world.play.lives == 0 && prevLives > 0) shared->events[EV_GAMEOVER]++;
    if (prevLives == 0 && world.play.lives > 0 && world.play.level > 0) shared->events[EV_CONTINUE]++;
    if (world.play.paused && !prevPaused) shared->events[EV_PAUSE]++;
    if (input.escape && !prevEscape && world.play.level > 0) shared->events[EV_QUIT]++;
    if (cfgStatus && !prevStatus) shared->events[EV_CAPTURE]++;
    if (gfxSet == 2 && prevSet != 2) shared->events[EV_HIDDEN]++;
    const uint32_t sum = tableSum();
    if (sum != hiscoreSum && s != ST_INTRO) {
        for (const HiscoreEntry& e : hiscores)
            if (e.origin == ORIGIN_PLAYER) {
                shared->events[EV_NAME]++;
                break;
            }
    }
    hiscoreSum = sum;
    prevLevel = world.play.level, prevLives = world.play.lives, prevPaused = world.play.paused,
    prevEscape = input.escape, prevStatus = cfgStatus;
    prevSet = gfxSet;
}

// The menu entry to head for: mostly a new game, sometimes the others; the exit when leaving.
int pickMenuGoal(bool leaving) {
    if (leaving) return 5;
    const uint32_t r = next() % 100;
    if (r < 60) return 1; // new game
    if (r < 75) return 2; // continue
    if (r < 86) return 3; // hiscores
    if (r < 98) return 4; // options
    return 5;             // exit
}

// The monkey's move for one frame of a state.
void act(State s, bool leaving) {
    switch (s) {
    case ST_INTRO:
        if (!chance(1, 8) && downsToGo == 0) return;
        if (currentScreen == 0)
            press(chance(3, 4) ? input.START_KEY : chance(1, 2) ? input.RIGHT_KEY : input.DOWN_KEY);
        else if (currentScreen == 1)
            pressAnything();
        else if (currentScreen == 4 && (downsToGo > 0 || chance(1, 6))) {
            // the tenth release of down picks the hidden set
            if (downsToGo == 0) downsToGo = SECRET_DOWNS;
            if (heldUntil[input.DOWN_KEY > 0 && input.DOWN_KEY < SDLK_LAST ? input.DOWN_KEY : 0] <=
                simClock) {
                press(input.DOWN_KEY, 30);
                downsToGo--;
            }
        } else if (currentScreen == 4)
            press(chance(1, 2) ? input.LEFT_KEY : input.RIGHT_KEY);
        else
            press(chance(4, 5) ? input.UP_KEY : input.JUMP_KEY);
        return;
    case ST_TITLE:
        menuGoal = pickMenuGoal(leaving);
        if (chance(1, 10)) press(chance(1, 2) ? input.START_KEY : input.DOWN_KEY);
        return;
    case ST_MENU:
        if (!chance(1, 6)) return;
        if (leaving) menuGoal = 5;
        if (world.play.workflow == menuGoal)
            press(chance(1, 2) ? input.START_KEY : input.FIRE_KEY);
        else if (chance(1, 15))
            pressAnything();
        else
            press(world.play.workflow < menuGoal ? input.DOWN_KEY : input.UP_KEY);
        return;
    case ST_HISCORES:
        if (chance(1, 40)) press(input.START_KEY);
        menuGoal = pickMenuGoal(leaving);
        return;
    case ST_OPTIONS:
        menuGoal = pickMenuGoal(leaving);
        if (!chance(1, 5)) return;
        if (leaving || chance(1, 15)) {
            // back to the menu: the last row, confirmed
            if (cfgIndex == 4)
                press(input.START_KEY);
            else
                press(input.DOWN_KEY);
        } else {
            static const int pick[] = {0, 0, 1, 1, 2, 2, 3, 4};
            const int r = pick[next() % 8];
            if (r == 0) press(chance(1, 2) ? input.UP_KEY : input.DOWN_KEY);
            if (r == 1) press(chance(1, 2) ? input.LEFT_KEY : input.RIGHT_KEY);
            if (r == 2 && chance(1, 4)) press(input.START_KEY); // a capture on the keys or pad row
            if (r == 3 && pad) pressButton((int)(next() % 12));
            if (r == 4) pressAnything();
        }
        return;
    case ST_CAPTURE:
        // Mostly keys the monkey knows its way with afterwards, sometimes any.
        if (!chance(1, 4)) return;
        if (pad && chance(1, 2)) {
            pressButton((int)(next() % 12));
        } else if (chance(2, 3)) {
            static const int32_t usual[] = {SDLK_RETURN, SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_x, SDLK_z};
            press(usual[next() % 6]);
        } else {
            pressAnything();
        }
        return;
    case ST_PLAY:
        if (demoLevel) return; // the demo plays
        if (leaving && chance(1, 20)) {
            press(SDLK_ESCAPE);
            return;
        }
        if (chance(1, 3)) press(input.RIGHT_KEY, 100 + next() % 900);
        if (chance(1, 12)) press(input.JUMP_KEY, 50 + next() % 400);
        if (chance(1, 40)) press(input.LEFT_KEY, 50 + next() % 500);
        if (chance(1, 120)) press(input.DOWN_KEY, 50 + next() % 500);
        if (chance(1, 700)) press(input.FIRE_KEY); // the pause menu
        if (chance(1, 3000)) press(SDLK_ESCAPE);   // the quit question
        if (chance(1, 400)) pressAnything();
        return;
    case ST_PAUSE:
        if (!chance(1, 8)) return;
        if (chance(1, 3))
            press(chance(1, 2) ? input.UP_KEY : input.DOWN_KEY);
        else if (chance(1, 2))
            press(input.START_KEY);
        else
            pressAnything();
        return;
    case ST_QUIT:
        if (chance(1, 10)) press(leaving || chance(2, 5) ? input.LEFT_KEY : input.RIGHT_KEY);
        return;
    case ST_DYING:
        if (chance(1, 50)) pressAnything();
        return;
    case ST_GAMEOVER:
        // Game over needs start, the name entry letters and moves, the question left or right.
        if (!chance(1, 5)) return;
        switch (next() % 8) {
        case 0: press(input.START_KEY); break;
        case 1: press(input.UP_KEY); break;
        case 2: press(input.DOWN_KEY); break;
        case 3: press(input.RIGHT_KEY); break;
        case 4: press(input.FIRE_KEY); break;
        case 5: press(leaving ? input.RIGHT_KEY : input.LEFT_KEY); break;
        case 6: press(input.RIGHT_KEY); break;
        default: pressAnything(); break;
        }
        return;
    case ST_ENDING:
        if (chance(1, 10)) press(chance(3, 4) ? input.START_KEY : input.RIGHT_KEY);
        return;
    default: return;
    }
}

// Called whenever the game drains its input queue; acts once per new frame.
void onPoll() {
    if (simClock == lastTick) return;
    lastTick = simClock;
    const State s = classify();
    shared->frames++;
    shared->stateFrames[s]++;
    shared->state = s;
    sessionFrames++;
    countEvents(s);
    const bool leaving = sessionFrames > sessionBudget || shared->frames >= target;
    if (sessionFrames > sessionBudget + STUCK_FRAMES) {
        fprintf(stderr,
                "blompsoak: a session cannot be left (state %s); keys up %d down %d left %d right %d jump %d "
                "fire %d "
                "start %d, pad %d, level %d, workflow %d, lives %d\n",
                stateNames[s], (int)input.UP_KEY, (int)input.DOWN_KEY, (int)input.LEFT_KEY,
                (int)input.RIGHT_KEY, (int)input.JUMP_KEY, (int)input.FIRE_KEY, (int)input.START_KEY, pad,
                (int)world.play.level, (int)world.play.workflow, (int)world.play.lives);
        shared->stuck = 1;
        fflush(stderr);
        _exit(4);
    }
    steerDemo(s, leaving);
    act(s, leaving);
}

// One session: the game from its start to its exit, in this (child) process.
int session(uint32_t seed, int number) {
    rng = seed * 2654435761u + (uint32_t)number * 40503u + 1u;
    if (!rng) rng = 1;
    for (int i = 0; i < 8; i++) next();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    simStart(0);
    pad = chance(1, 3);
    if (pad) simSetJoystick(1, 12);
    simPollHook = onPoll;
    sessionBudget = 20000 + (long)(next() % 60000);
    // Now and then a game saved before the last level, so that the ending is reached too.
    if (chance(1, 4)) {
        world.play.level = NUM_LEVEL_NAMES - 1;
        saveGame();
        world.play.level = 0;
        world.play.saved = 0;
    }
    hiscoreSum = tableSum();
    char name[] = "blomp";
    char* argv[] = {name, nullptr};
    const int status = blompMain(1, argv);
    shared->events[EV_EXIT]++;
    return status;
}

char scratch[1024];

int removeOne(const char* path, const struct stat*, int, struct FTW*) {
    remove(path);
    return 0;
}

// The scratch folder with data/ and mapsen/ of the run folder linked in.
bool makeScratch() {
    char here[1024];
    if (!getcwd(here, sizeof here)) return false;
    const char* base = getenv("TMPDIR");
    struct stat st;
    if (!base || !*base) base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
    snprintf(scratch, sizeof scratch, "%s/blompsoak.XXXXXX", base);
    if (!mkdtemp(scratch)) return false;
    for (const char* d : {"data", "mapsen"}) {
        char from[1100], to[1100];
        snprintf(from, sizeof from, "%s/%s", here, d);
        snprintf(to, sizeof to, "%s/%s", scratch, d);
        if (stat(from, &st) != 0 || symlink(from, to) != 0) return false;
    }
    return chdir(scratch) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4 || atol(argv[1]) < 1) {
        fprintf(stderr, "usage: blompsoak <frames> [seed [demo folder]]   (in the run folder)\n");
        return 2;
    }
    target = atol(argv[1]);
    const uint32_t seed = argc >= 3 ? (uint32_t)strtoul(argv[2], nullptr, 10) : 1;
    if (argc == 4) loadDemos(argv[3]);
    shared =
        (Shared*)mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return 1;
    memset(shared, 0, sizeof *shared);
    if (!makeScratch()) {
        fprintf(
            stderr,
            "blompsoak: cannot make a scratch folder with data/ and mapsen/ (run it in the run folder)\n");
        return 1;
    }
    int failed = 0;
    for (int number = 0; shared->frames < target && !failed; number++) {
        shared->events[EV_SESSION]++;
        fflush(stdout);
        const pid_t child = fork();
        if (child < 0) {
            failed = 1;
            break;
        }
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // a soak stopped from outside takes its session with it
            // What the game prints is not kept; a fatal line shows as the session's status 1.
            if (!freopen("/dev/null", "w", stdout)) _exit(1);
            const int status = session(seed, number);
            fflush(stdout);
            exit(status);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            fprintf(stderr, "blompsoak: session %d (seed %u) ended with %s %d in state %s after %ld frames\n",
                    number, seed, WIFEXITED(status) ? "status" : "signal",
                    WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status), stateNames[shared->state],
                    shared->frames);
            failed = 1;
        }
    }
    nftw(scratch, removeOne, 16, FTW_DEPTH | FTW_PHYS);
    printf("soak: seed %u, %ld frames, %s\n", seed, shared->frames, failed ? "FAILED" : "nothing found");
    printf("frames by state:\n");
    for (int i = 0; i < NUM_STATES; i++) printf("  %-16s %9ld\n", stateNames[i], shared->stateFrames[i]);
    printf("events:\n");
    for (int i = 0; i < NUM_EVENTS; i++) printf("  %-20s %7ld\n", eventNames[i], shared->events[i]);
    return failed ? 1 : 0;
}
