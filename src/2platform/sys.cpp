// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Clock, events and joystick: SDL's own, or a simulation driven by a script.
#include "2platform/sys.h"

#include "2platform/devwatch.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

int sysSimulated = 0;
uint32_t simClock = 0;
void (*simPollHook)() = nullptr;
int simRealtime = 0;
void (*sysInputHook)() = nullptr;
volatile std::sig_atomic_t sysStopSignal = 0;

namespace {

constexpr int MAX_SCRIPT = 8192; // scripted events waiting for their time
constexpr int MAX_QUEUE = 256;   // delivered events waiting to be polled (SDL's queue)
constexpr int MAX_BUTTONS = 32;  // buttons of the simulated pad

struct ScriptedEvent {
    uint32_t at;
    SDL_Event event;
};

ScriptedEvent script[MAX_SCRIPT]; // sorted by time; equal times keep their order
int scriptCount = 0;
int scriptNext = 0;
SDL_Event queue[MAX_QUEUE];
int queueHead = 0;
int queueCount = 0;
uint8_t simKeys[SDLK_LAST];
uint8_t simButtons[MAX_BUTTONS];
int simPadPresent = 0;
int simPadButtons = 0;
int simPadHandle = 0; // its address stands in for the pad's handle; it is never dereferenced
char simPadName[64] = "";
int simPadChange = 0;            // a pad was plugged in or pulled out since the game last asked
constexpr int SIM_PLUG = 0x504c; // the code of the user event that plugs a pad in or pulls it out

// Puts an event into the pending queue and updates the held-key state, as SDL's pump does.
void deliver(const SDL_Event& ev) {
    if (ev.type == SDL_USEREVENT && ev.user.code == SIM_PLUG) { // a plug is no event SDL would queue
        const intptr_t buttons = (intptr_t)ev.user.data1;
        simPadPresent = buttons > 0;
        simPadButtons = buttons < MAX_BUTTONS ? (int)buttons : MAX_BUTTONS;
        memset(simButtons, 0, sizeof simButtons);
        simPadChange = 1;
        return;
    }
    if (ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) {
        int sym = ev.key.keysym.sym;
        if (sym > 0 && sym < SDLK_LAST) simKeys[sym] = ev.type == SDL_KEYDOWN;
    } else if (ev.type == SDL_JOYBUTTONDOWN || ev.type == SDL_JOYBUTTONUP) {
        if (ev.jbutton.button < MAX_BUTTONS) simButtons[ev.jbutton.button] = ev.type == SDL_JOYBUTTONDOWN;
    }
    if (queueCount == MAX_QUEUE) return; // a full queue drops events, as SDL's does
    queue[(queueHead + queueCount) % MAX_QUEUE] = ev;
    queueCount++;
}

// Moves every scripted event whose time has come into the pending queue.
void pumpScript() {
    while (scriptNext < scriptCount && script[scriptNext].at <= simClock) deliver(script[scriptNext++].event);
}

// A stop signal: remembered for the game's next frame. More of them change nothing
// (timeout, for one, signals both the program and its process group at once).
void onStopSignal(int sig) {
    sysStopSignal = sig;
}

// The signals that end the program at once with a core or a message; while a
// display's last resort is armed they run it first.
const int fatalSignals[] = {SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGABRT};
constexpr int NUM_FATAL = sizeof fatalSignals / sizeof fatalSignals[0];
void (*lastResort)() = nullptr;          // what a fatal signal runs first (the console's mode), else null
struct sigaction fatalBefore[NUM_FATAL]; // their dispositions before the last resort was armed

// A fatal signal: the display's last resort, then the signal as if it had not been caught.
void onFatalSignal(int sig) {
    if (lastResort) lastResort();
    signal(sig, SIG_DFL);
    raise(sig);
}

// Installs handler for sig unless the program was started with sig ignored (nohup,
// a job started in the background): what the parent chose to ignore stays ignored.
void catchUnlessIgnored(int sig, void (*handler)(int), struct sigaction* before) {
    struct sigaction action;
    sigaction(sig, nullptr, before);
    if (before->sa_handler == SIG_IGN) return;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

} // namespace

// The program's signals, set up once for every display: the stop signals are
// caught, except those the game was started to ignore (nohup). SIGPIPE is
// ignored: a write to a standard output nobody reads any more (the key capture's
// line) fails instead of ending the game unsaved. Called by blompMain at start,
// before SDL, which then leaves them alone.
void sysCatchSignals() {
    const int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction before;
    for (int sig : stopSignals) catchUnlessIgnored(sig, onStopSignal, &before);
    signal(SIGPIPE, SIG_IGN);
}

// Arms the last resort on the fatal signals not ignored, or with null puts back
// what was there. Called by the console display when it is about to change the
// screen's mode, and when it gives it back.
void sysLastResort(void (*restore)()) {
    if (restore && !lastResort)
        for (int i = 0; i < NUM_FATAL; i++)
            catchUnlessIgnored(fatalSignals[i], onFatalSignal, &fatalBefore[i]);
    if (!restore && lastResort)
        for (int i = 0; i < NUM_FATAL; i++) sigaction(fatalSignals[i], &fatalBefore[i], nullptr);
    lastResort = restore;
}

// Milliseconds since start. Called by the frame pacing and the hiscore seeding.
uint32_t sysTicks() {
    return sysSimulated ? simClock : SDL_GetTicks();
}

// Sleeps; the simulated clock just moves on. Called by the blocking screens (100 ms polls).
void sysDelay(uint32_t ms) {
    if (!sysSimulated) {
        SDL_Delay(ms);
        return;
    }
    simClock += ms;
    if (simRealtime) SDL_Delay(ms);
}

// Busy-waits until the clock reaches tick; no sleeping, so a frame ends on its millisecond. Called by
// controlFPS.
void sysWaitUntil(uint32_t tick) {
    if (sysSimulated) {
        if ((int32_t)(tick - simClock) > 0) {
            if (simRealtime) SDL_Delay(tick - simClock);
            simClock = tick;
        }
        return;
    }
    while ((int32_t)(SDL_GetTicks() - tick) < 0) {
    }
}

// Takes the next pending event. Called by checkInput.
int sysPollEvent(SDL_Event* event) {
    if (!sysSimulated) {
        if (sysInputHook) sysInputHook();
        return SDL_PollEvent(event);
    }
    pumpScript();
    if (queueCount == 0 && simPollHook) {
        simPollHook();
        pumpScript();
    }
    if (queueCount == 0) return 0;
    *event = queue[queueHead];
    queueHead = (queueHead + 1) % MAX_QUEUE;
    queueCount--;
    return 1;
}

// Refreshes held keys and buttons without taking events. Called by waitKeyUp.
void sysPumpEvents() {
    if (sysSimulated) {
        // A pump is a poll too: the script's hook sees the waits that only pump (and can end a stuck one).
        if (simPollHook) simPollHook();
        pumpScript();
        return;
    }
    if (sysInputHook) sysInputHook();
    SDL_PumpEvents();
}

// Held keys by symbol. Called by waitKeyUp.
const uint8_t* sysKeyState(int* numkeys) {
    if (!sysSimulated) return SDL_GetKeyState(numkeys);
    if (numkeys) *numkeys = SDLK_LAST;
    return simKeys;
}

// Number of joysticks SDL sees. Called by main.
int sysNumJoysticks() {
    if (sysSimulated) return simPadPresent;
    return SDL_NumJoysticks();
}

// Opens a joystick. Called by main.
SDL_Joystick* sysJoystickOpen(int index) {
    if (sysSimulated) return simPadPresent && index == 0 ? (SDL_Joystick*)(void*)&simPadHandle : nullptr;
    return SDL_JoystickOpen(index);
}

// Closes a joystick. Called by exitGame.
void sysJoystickClose(SDL_Joystick* joy) {
    if (!joy) return;
    if (sysSimulated) return;
    SDL_JoystickClose(joy);
}

// Number of buttons of an open joystick. Called by waitKeyUp.
int sysJoystickNumButtons(SDL_Joystick* joy) {
    if (!joy) return 0;
    if (sysSimulated) return simPadButtons;
    return SDL_JoystickNumButtons(joy);
}

// 1 while a button is held. Called by waitKeyUp.
int sysJoystickButton(SDL_Joystick* joy, int button) {
    if (!joy) return 0;
    if (sysSimulated) return button >= 0 && button < MAX_BUTTONS ? simButtons[button] : 0;
    return SDL_JoystickGetButton(joy, button);
}

// The name the pad at index reports, "" for none. Called by the input when it opens a pad.
const char* sysJoystickName(int index) {
    if (sysSimulated) return simPadPresent && index == 0 ? simPadName : "";
    const char* name = SDL_JoystickName(index);
    return name ? name : "";
}

// Starts SDL's joystick part again, so it finds the pads plugged in now. Every
// pad handle is invalid afterwards. Called by the input after a pad change.
void sysJoystickRescan() {
    if (sysSimulated) return;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) SDL_JoystickEventState(SDL_ENABLE);
}

// 1 when pads may have been plugged in or pulled out since the last call. The device
// folder's one watch is read here, and keeps the keyboards' news for their reader on the
// console. Called once a frame by checkInput, before it takes the frame's events.
int sysPadsChanged() {
    if (!sysSimulated) return devWatchRead();
    const int changed = simPadChange;
    simPadChange = 0;
    return changed;
}

// Switches to the simulated clock with an empty script and nothing held. Called by tests and the harness.
void simStart(uint32_t startTick) {
    sysSimulated = 1;
    simRealtime = 0;
    simClock = startTick;
    simPollHook = nullptr;
    scriptCount = scriptNext = 0;
    queueHead = queueCount = 0;
    memset(simKeys, 0, sizeof simKeys);
    memset(simButtons, 0, sizeof simButtons);
    simPadPresent = simPadButtons = 0;
    simPadChange = 0;
    snprintf(simPadName, sizeof simPadName, "%s", "");
}

// Returns to SDL's clock and event queue. Called by tests.
void simStop() {
    sysSimulated = 0;
    simPollHook = nullptr;
}

// Adds an event to the script, kept in time order. Called by tests.
void simScheduleEvent(uint32_t at, const SDL_Event& event) {
    if (scriptCount == MAX_SCRIPT) return;
    int i = scriptCount++;
    while (i > scriptNext && script[i - 1].at > at) {
        script[i] = script[i - 1];
        i--;
    }
    script[i].at = at;
    script[i].event = event;
}

// Scripts a key press or release. Called by tests.
void simKey(uint32_t at, int sym, int down) {
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.sym = (SDLKey)sym;
    simScheduleEvent(at, ev);
}

// Scripts a press and its release. Called by tests.
void simTapKey(uint32_t at, int sym, uint32_t holdMs) {
    simKey(at, sym, 1);
    simKey(at + holdMs, sym, 0);
}

// Delivers an event at once. Called from poll hooks.
void simPushEvent(const SDL_Event& event) {
    deliver(event);
}

// Pretends a pad with numButtons buttons is (or is not) plugged in. Called by tests.
void simSetJoystick(int present, int numButtons) {
    simPadPresent = present;
    simPadButtons = numButtons < MAX_BUTTONS ? numButtons : MAX_BUTTONS;
}

// Scripts a pad of the given name and buttons plugged in at `at` (buttons 0: the pad
// pulled out). Called by tests and the harness.
void simPlugPad(uint32_t at, int numButtons, const char* name) {
    SDL_Event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = SDL_USEREVENT;
    ev.user.code = SIM_PLUG;
    ev.user.data1 = (void*)(intptr_t)numButtons;
    if (name) snprintf(simPadName, sizeof simPadName, "%s", name);
    simScheduleEvent(at, ev);
}

// Scripted events not yet polled. Called by tests to see a script has been used up.
int simPendingEvents() {
    return (scriptCount - scriptNext) + queueCount;
}
