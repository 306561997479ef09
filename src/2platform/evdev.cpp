// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Console keyboards read straight from /dev/input: each key press and release
// becomes an SDL key event. The devices are grabbed, so the keys do not also
// reach the shell on the console behind the game.
#include "2platform/evdev.h"

#include "2platform/sys.h"

#include <SDL.h>
#include <cstdio>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int MAX_DEVICES = 32; // /dev/input/event0 .. event31 are looked at

int fds[MAX_KEYBOARDS];
int count = 0;

// Kernel key codes and the SDL keys they are.
const struct {
    uint16_t code;
    uint16_t sym;
} keyTable[] = {
    {KEY_ESC, SDLK_ESCAPE},
    {KEY_ENTER, SDLK_RETURN},
    {KEY_KPENTER, SDLK_KP_ENTER},
    {KEY_SPACE, SDLK_SPACE},
    {KEY_BACKSPACE, SDLK_BACKSPACE},
    {KEY_TAB, SDLK_TAB},
    {KEY_UP, SDLK_UP},
    {KEY_DOWN, SDLK_DOWN},
    {KEY_LEFT, SDLK_LEFT},
    {KEY_RIGHT, SDLK_RIGHT},
    {KEY_LEFTSHIFT, SDLK_LSHIFT},
    {KEY_RIGHTSHIFT, SDLK_RSHIFT},
    {KEY_LEFTCTRL, SDLK_LCTRL},
    {KEY_RIGHTCTRL, SDLK_RCTRL},
    {KEY_LEFTALT, SDLK_LALT},
    {KEY_RIGHTALT, SDLK_RALT},
    {KEY_PAUSE, SDLK_PAUSE},
    {KEY_MINUS, SDLK_MINUS},
    {KEY_EQUAL, SDLK_EQUALS},
    {KEY_COMMA, SDLK_COMMA},
    {KEY_DOT, SDLK_PERIOD},
    {KEY_SLASH, SDLK_SLASH},
    {KEY_SEMICOLON, SDLK_SEMICOLON},
    {KEY_APOSTROPHE, SDLK_QUOTE},
    {KEY_KP8, SDLK_KP8},
    {KEY_KP2, SDLK_KP2},
    {KEY_KP4, SDLK_KP4},
    {KEY_KP6, SDLK_KP6},
    {KEY_KP0, SDLK_KP0},
    {KEY_KP5, SDLK_KP5},
    {KEY_A, 'a'},
    {KEY_B, 'b'},
    {KEY_C, 'c'},
    {KEY_D, 'd'},
    {KEY_E, 'e'},
    {KEY_F, 'f'},
    {KEY_G, 'g'},
    {KEY_H, 'h'},
    {KEY_I, 'i'},
    {KEY_J, 'j'},
    {KEY_K, 'k'},
    {KEY_L, 'l'},
    {KEY_M, 'm'},
    {KEY_N, 'n'},
    {KEY_O, 'o'},
    {KEY_P, 'p'},
    {KEY_Q, 'q'},
    {KEY_R, 'r'},
    {KEY_S, 's'},
    {KEY_T, 't'},
    {KEY_U, 'u'},
    {KEY_V, 'v'},
    {KEY_W, 'w'},
    {KEY_X, 'x'},
    {KEY_Y, 'y'},
    {KEY_Z, 'z'},
    {KEY_0, '0'},
    {KEY_1, '1'},
    {KEY_2, '2'},
    {KEY_3, '3'},
    {KEY_4, '4'},
    {KEY_5, '5'},
    {KEY_6, '6'},
    {KEY_7, '7'},
    {KEY_8, '8'},
    {KEY_9, '9'},
    {KEY_F1, SDLK_F1},
    {KEY_F2, SDLK_F2},
    {KEY_F3, SDLK_F3},
    {KEY_F4, SDLK_F4},
    {KEY_F5, SDLK_F5},
    {KEY_F6, SDLK_F6},
    {KEY_F7, SDLK_F7},
    {KEY_F8, SDLK_F8},
    {KEY_F9, SDLK_F9},
    {KEY_F10, SDLK_F10},
    {KEY_F11, SDLK_F11},
    {KEY_F12, SDLK_F12},
};

// 1 when bit n is set in a kernel bit array.
int bitSet(const uint8_t* bits, int bytes, int n) {
    return n / 8 < bytes && (bits[n / 8] >> (n % 8)) & 1;
}

// Reads every pending event of one device and queues its key changes; returns how many.
int readDevice(int fd) {
    input_event ev[64];
    int queued = 0;
    for (;;) {
        const ssize_t n = read(fd, ev, sizeof ev);
        if (n < (ssize_t)sizeof(input_event)) break;
        for (size_t i = 0; i < (size_t)n / sizeof(input_event); i++) {
            if (ev[i].type != EV_KEY || ev[i].value > 1) continue; // value 2 is the console's key repeat
            const int sym = evdevKeySym(ev[i].code);
            if (!sym) continue;
            SDL_Event e = {};
            e.type = ev[i].value ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.state = ev[i].value ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.sym = (SDLKey)sym;
            if (SDL_PushEvent(&e) == 0) queued++;
        }
    }
    return queued;
}

} // namespace

// The SDL key of a kernel key code. Called by the reader and the tests.
int evdevKeySym(int code) {
    for (const auto& k : keyTable)
        if (k.code == code) return k.sym;
    return 0;
}

// A keyboard has letter keys and Return and is no pad (pads stay with SDL's joystick code).
int evdevIsKeyboard(const uint8_t* keyBits, int bytes) {
    return bitSet(keyBits, bytes, KEY_A) && bitSet(keyBits, bytes, KEY_Z) &&
           bitSet(keyBits, bytes, KEY_ENTER) && !bitSet(keyBits, bytes, BTN_GAMEPAD) &&
           !bitSet(keyBits, bytes, BTN_JOYSTICK);
}

// Reads keys from an open, non-blocking device as well. Called by evdevOpen and the tests.
int evdevAdd(int fd) {
    if (count == MAX_KEYBOARDS) return 0;
    fds[count++] = fd;
    sysInputHook = [] { evdevPump(); };
    return 1;
}

// Opens every keyboard the user may read (the input group) and grabs it. Called by
// videoOpen when the console display starts.
void evdevOpen() {
    for (int i = 0; i < MAX_DEVICES && count < MAX_KEYBOARDS; i++) {
        char path[32];
        snprintf(path, sizeof path, "/dev/input/event%d", i);
        int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        uint8_t bits[KEY_MAX / 8 + 1] = {};
        if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof bits), bits) >= 0 && evdevIsKeyboard(bits, sizeof bits) &&
            ioctl(fd, EVIOCGRAB, 1) == 0) {
            evdevAdd(fd);
            continue;
        }
        close(fd);
    }
    if (count == 0)
        fprintf(stderr, "blomp: no keyboard can be read on the console (is the user in the input group?)\n");
}

// Lets the keyboards go. Called by videoClose and at exit.
void evdevClose() {
    for (int i = 0; i < count; i++) close(fds[i]);
    count = 0;
    sysInputHook = nullptr;
}

// Queues the key changes of every keyboard. Called through sysInputHook whenever the game reads events.
int evdevPump() {
    int queued = 0;
    for (int i = 0; i < count; i++) queued += readDevice(fds[i]);
    return queued;
}
