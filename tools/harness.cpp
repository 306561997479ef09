// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompharness: runs the whole game headless on the simulated clock with input
// from a script, saving frames as PNG pictures and printing the game's state at
// chosen moments. Used for screenshots and by the tests that play whole games.
//
//   blompharness <script> [game options ...]
//
// Run it in a folder that holds the game's data/ (the run folder). Script lines,
// times in simulated milliseconds from the start:
//   key   <ms> <key> down|up     a key event (key: a name below or an SDL key number)
//   tap   <ms> <key> [hold ms]   press, and release after hold ms (default 50)
//   shot  <ms> <file.png>        save the frame surface as it is at that moment
//   hash  <ms> <name>            print "hash <name> <16 hex digits>", the hash of the frame's colours
//   state <ms>                   print "state <ms> level= lives= score= workflow= ..." on standard output
//   sfx   <ms> <number>          play sound effect number (0..12) as the game does, at its volume
//   limit <ms>                   end with status 3 if the game is still running then (default 3600000)
//   pad   <buttons>              a pad with that many buttons is plugged in before the game starts
//   plug  <ms> <buttons> [name]  a pad (of that name) is plugged in while the game runs
//   unplug <ms>                  the pad is pulled out
//   button <ms> <n> down|up      a pad button event
//   hat   <ms> <mask>            the pad's hat moves to mask (1 up, 2 right, 4 down, 8 left, 0 centred)
//   axis  <ms> <axis> <value>    the pad's stick: axis 0 horizontal, 1 vertical, -32768..32767
//   realtime 0|1                 1: the simulated clock also waits in real time, so that the audio
//                                thread (for example SDL's disk audio driver) keeps pace with the game
// Key names: up down left right return space escape s d l r c, a single letter or digit.
#include "3audio/sound.h"
#include "5world/world.h"
#include "7game/startup.h"
#include "7game/stuff.h"
#include "6draw/gfx.h"
#include "6draw/shot.h"
#include "4io/input.h"
#include "2platform/sys.h"
#include "5world/map.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Action {
    uint32_t at;
    int kind; // 0 shot, 1 state, 2 hash, 3 sound effect
    std::string arg;
};

std::vector<Action> actions;
size_t nextAction = 0;
uint32_t timeLimit = 3600000;

// Turns a key name or number into an SDL key symbol; -1 when unknown.
int keyCode(const char* name) {
    static const struct {
        const char* name;
        int sym;
    } names[] = {{"up", SDLK_UP},        {"down", SDLK_DOWN},     {"left", SDLK_LEFT},
                 {"right", SDLK_RIGHT},  {"return", SDLK_RETURN}, {"space", SDLK_SPACE},
                 {"escape", SDLK_ESCAPE}};
    for (const auto& n : names)
        if (strcmp(name, n.name) == 0) return n.sym;
    if (strlen(name) == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9')))
        return name[0];
    char* end = nullptr;
    long v = strtol(name, &end, 10);
    if (end && *end == 0 && v > 0 && v < SDLK_LAST) return (int)v;
    return -1;
}

// Reads the script; returns false with a message on the first bad line.
bool readScript(const char* path) {
    FILE* f = fopen(path, "r");
    if (!f) {
        fprintf(stderr, "blompharness: cannot read %s\n", path);
        return false;
    }
    char line[512];
    int number = 0;
    while (fgets(line, sizeof line, f)) {
        number++;
        char cmd[32] = "", a[256] = "", b[64] = "";
        unsigned long at = 0;
        int n = sscanf(line, "%31s %lu %255s %63s", cmd, &at, a, b);
        if (n <= 0 || cmd[0] == '#') continue;
        bool ok = n >= 2;
        if (ok && strcmp(cmd, "key") == 0 && n == 4 && keyCode(a) > 0) {
            simKey((uint32_t)at, keyCode(a), strcmp(b, "down") == 0);
        } else if (ok && strcmp(cmd, "tap") == 0 && n >= 3 && keyCode(a) > 0) {
            simTapKey((uint32_t)at, keyCode(a), n == 4 ? (uint32_t)atoi(b) : 50);
        } else if (ok && strcmp(cmd, "shot") == 0 && n == 3) {
            actions.push_back({(uint32_t)at, 0, a});
        } else if (ok && strcmp(cmd, "hash") == 0 && n == 3) {
            actions.push_back({(uint32_t)at, 2, a});
        } else if (ok && strcmp(cmd, "sfx") == 0 && n == 3) {
            actions.push_back({(uint32_t)at, 3, a});
        } else if (ok && strcmp(cmd, "state") == 0) {
            actions.push_back({(uint32_t)at, 1, ""});
        } else if (strcmp(cmd, "pad") == 0 && n == 2) {
            simSetJoystick(1, (int)at);
        } else if (ok && strcmp(cmd, "plug") == 0 && n >= 3 && atoi(a) > 0) {
            int skip = 0; // the name is the rest of the line after the button count
            sscanf(line, "%*s %*s %*s %n", &skip);
            std::string name = line + skip;
            while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
            simPlugPad((uint32_t)at, atoi(a), name.c_str());
        } else if (ok && strcmp(cmd, "unplug") == 0 && n == 2) {
            simPlugPad((uint32_t)at, 0, nullptr);
        } else if (ok && strcmp(cmd, "button") == 0 && n == 4) {
            SDL_Event ev = {};
            ev.type = strcmp(b, "down") == 0 ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
            ev.jbutton.button = (Uint8)atoi(a);
            ev.jbutton.state = ev.type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            simScheduleEvent((uint32_t)at, ev);
        } else if (ok && strcmp(cmd, "hat") == 0 && n == 3) {
            SDL_Event ev = {};
            ev.type = SDL_JOYHATMOTION;
            ev.jhat.value = (Uint8)atoi(a);
            simScheduleEvent((uint32_t)at, ev);
        } else if (ok && strcmp(cmd, "axis") == 0 && n == 4) {
            SDL_Event ev = {};
            ev.type = SDL_JOYAXISMOTION;
            ev.jaxis.axis = (Uint8)atoi(a);
            ev.jaxis.value = (Sint16)atoi(b);
            simScheduleEvent((uint32_t)at, ev);
        } else if (ok && strcmp(cmd, "realtime") == 0) {
            simRealtime = at != 0;
        } else if (ok && strcmp(cmd, "limit") == 0) {
            timeLimit = (uint32_t)at;
        } else {
            fprintf(stderr, "blompharness: %s:%d: cannot understand: %s", path, number, line);
            fclose(f);
            return false;
        }
    }
    fclose(f);
    // Actions in time order, equal times in script order.
    for (size_t i = 1; i < actions.size(); i++)
        for (size_t j = i; j > 0 && actions[j - 1].at > actions[j].at; j--)
            std::swap(actions[j], actions[j - 1]);
    return true;
}

// Runs the due actions each time the game polls its input.
void onPoll() {
    while (nextAction < actions.size() && actions[nextAction].at <= simClock) {
        const Action& a = actions[nextAction++];
        if (a.kind == 3) {
            playSFX(atoi(a.arg.c_str()));
        } else if (a.kind == 0) {
            if (!screen || !saveSurfacePNG(screen, a.arg.c_str()))
                fprintf(stderr, "blompharness: cannot save %s\n", a.arg.c_str());
        } else if (a.kind == 2) {
            printf("hash %s %016llx\n", a.arg.c_str(),
                   screen ? (unsigned long long)surfaceHash(screen) : 0ULL);
            fflush(stdout);
        } else {
            printf("state %u level=%d lives=%d score=%d workflow=%d saved=%d step=%d stars=%d paused=%d\n",
                   (unsigned)a.at, world.play.level, world.play.lives, world.play.score, world.play.workflow,
                   world.play.saved, world.map.step, world.map.stars, (int)world.play.paused);
            fflush(stdout);
        }
    }
    if (simClock > timeLimit) {
        fprintf(stderr, "blompharness: the game still runs at %u ms\n", (unsigned)simClock);
        fflush(stdout);
        _exit(3);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: blompharness <script> [game options ...]\n");
        return 2;
    }
    // Headless unless told otherwise: no window, no sound card.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    simStart(0);
    if (!readScript(argv[1])) return 2; // after simStart: the script may ask for real time
    simPollHook = onPoll;
    argv[1] = argv[0];
    return blompMain(argc - 1, argv + 1);
}
