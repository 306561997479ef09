// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's clock, event queue, keyboard state and joystick, behind one thin
// layer. Normally each call goes straight to SDL. In simulation (tests and the
// screenshot harness) the clock is a counter that only moves when the game
// waits, and input comes from a script of SDL events, so whole game loops run
// deterministically and much faster than real time.
#pragma once

#include <SDL.h>
#include <csignal>
#include <cstdint>

extern int sysSimulated;       // 1 while the simulated clock and scripted input are in use
extern uint32_t simClock;      // the simulated millisecond clock
extern void (*simPollHook)();  // called whenever the game drains or pumps the event queue (simulation only)
extern int simRealtime;        // simulation that also waits in real time, so the audio thread keeps pace
extern void (*sysInputHook)(); // brings input SDL cannot see into its queue (the console's keyboards)
extern volatile std::sig_atomic_t sysStopSignal; // the stop signal received (SIGTERM, SIGINT, SIGHUP), else 0

// Clock and waiting.
uint32_t sysTicks();              // milliseconds since start (SDL_GetTicks)
void sysDelay(uint32_t ms);       // sleep (SDL_Delay); in simulation the clock jumps
void sysWaitUntil(uint32_t tick); // busy-wait on the clock until it reaches tick

// Events and input state.
int sysPollEvent(SDL_Event* event); // next pending event (SDL_PollEvent)
void sysPumpEvents();               // refresh key and button state without taking events (SDL_PumpEvents)
const uint8_t* sysKeyState(int* numkeys); // held keys by key symbol (SDL_GetKeyState)

// Stop signals: SDL would turn them into a window-close request, which the intro
// screens wait out and play answers with the quit question, so `kill` and a
// logout could not end the game. Once caught they set sysStopSignal instead.
// Signals ignored at start (nohup) stay ignored, on every display; SIGPIPE is
// ignored, so a closed standard output is harmless.
void sysCatchSignals(); // once, at start, before SDL
// The last resort of a display that must put something back even when a fatal
// signal ends the program (the console's mode): restore runs first, then the
// signal does what it would have done. Null takes it back.
void sysLastResort(void (*restore)());

// The joystick (first one), opened and read through here.
int sysNumJoysticks();
SDL_Joystick* sysJoystickOpen(int index);
void sysJoystickClose(SDL_Joystick* joy);
int sysJoystickNumButtons(SDL_Joystick* joy);
int sysJoystickButton(SDL_Joystick* joy, int button);
const char* sysJoystickName(int index); // the name the pad reports, "" for none
void sysJoystickRescan();               // SDL's joystick part started again: finds pads plugged in since
int sysPadsChanged(); // pads may have come or gone since the last call (reads the device folder's watch)

// Simulation control, used by tests and the screenshot harness.
void simStart(uint32_t startTick); // switch to the simulated clock and an empty script
void simStop();                    // back to SDL's clock and queue
void simScheduleEvent(uint32_t at, const SDL_Event& event);     // deliver event once the clock reaches at
void simKey(uint32_t at, int sym, int down);                    // a key press (down 1) or release (down 0)
void simTapKey(uint32_t at, int sym, uint32_t holdMs);          // press at `at`, release holdMs later
void simPushEvent(const SDL_Event& event);                      // deliver at once (from a poll hook)
void simSetJoystick(int present, int numButtons);               // pretend a pad is plugged in
void simPlugPad(uint32_t at, int numButtons, const char* name); // a pad plugged in (0 buttons: pulled out)
int simPendingEvents();                                         // scripted events not yet delivered or polled
