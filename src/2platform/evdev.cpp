// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Console keyboards read straight from /dev/input: each key press and release
// becomes an SDL key event. The devices are grabbed, so the keys do not also
// reach the shell on the console behind the game. A keyboard unplugged lets go of
// its keys; one plugged in while the game runs is found (the device folder's watch,
// devwatch.h) and grabbed too.
#include "2platform/evdev.h"

#include "2platform/devwatch.h"
#include "2platform/sys.h"

#include <SDL.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MAX_DEVICES = 32; // /dev/input/event0 .. event31 are looked at at the start

// One keyboard being read, and the keys it holds down now.
struct Keyboard {
    int fd;
    uint64_t id;               // what it is: the device number of a device node, else the inode
    uint8_t held[KEY_CNT / 8]; // by kernel key code
};

Keyboard boards[MAX_KEYBOARDS];
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

// What an open device is, so that one plugged in is not read twice; 0 when unknown.
// Called by evdevAdd and tryDevice.
uint64_t deviceId(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return 0;
    return S_ISCHR(st.st_mode) ? (uint64_t)st.st_rdev : (uint64_t)st.st_ino;
}

// 1 when bit n is set in a kernel bit array.
int bitSet(const uint8_t* bits, int bytes, int n) {
    return n / 8 < bytes && (bits[n / 8] >> (n % 8)) & 1;
}

// Queues one SDL key event; 1 when queued. Called by the reader and the unplugging.
int pushKey(int sym, int down) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = (SDLKey)sym;
    return SDL_PushEvent(&e) == 0;
}

// The keyboard checked and grabbed; 1 when it is one to read. Called through evdevAccept.
int acceptKeyboard(int fd) {
    uint8_t bits[KEY_MAX / 8 + 1] = {};
    return ioctl(fd, EVIOCGBIT(EV_KEY, sizeof bits), bits) >= 0 && evdevIsKeyboard(bits, sizeof bits) &&
           ioctl(fd, EVIOCGRAB, 1) == 0;
}

// Reads every pending event of one keyboard and queues its key changes; returns how many.
// Sets *gone when the keyboard has been unplugged (end of file, ENODEV or another error).
int readDevice(Keyboard& k, bool* gone) {
    input_event ev[64];
    int queued = 0;
    for (;;) {
        const ssize_t n = read(k.fd, ev, sizeof ev);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) {
            *gone = true;
            break;
        }
        for (size_t i = 0; i < (size_t)n / sizeof(input_event); i++) {
            if (ev[i].type != EV_KEY || ev[i].value > 1) continue; // value 2 is the console's key repeat
            const int code = ev[i].code;
            const int sym = evdevKeySym(code);
            if (!sym || code >= KEY_CNT) continue;
            if (ev[i].value)
                k.held[code / 8] |= (uint8_t)(1 << (code % 8));
            else
                k.held[code / 8] &= (uint8_t) ~(1 << (code % 8));
            queued += pushKey(sym, ev[i].value);
        }
    }
    return queued;
}

// Lets go of a keyboard that has gone: every key it held is released, since the kernel
// sends no release from a device that is no longer there. Returns the releases queued.
// Called by evdevPump.
int dropKeyboard(int i) {
    int queued = 0;
    for (int code = 0; code < KEY_CNT; code++)
        if (bitSet(boards[i].held, sizeof boards[i].held, code)) queued += pushKey(evdevKeySym(code), 0);
    close(boards[i].fd);
    boards[i] = boards[--count];
    return queued;
}

// Opens a device node and reads it if it is a keyboard not read yet. Called at the start
// for every node and later for each new one the folder's watch reports.
void tryDevice(const char* path) {
    if (count == MAX_KEYBOARDS) return;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    const uint64_t id = deviceId(fd);
    bool known = id == 0;
    for (int i = 0; i < count && !known; i++) known = boards[i].id == id;
    if (known || !evdevAccept(fd) || !evdevAdd(fd)) close(fd);
}

// Opens the keyboards whose nodes the folder's watch has seen appear: a node is made,
// then given to the input group, so both are looked at. Called by evdevPump.
void takeNewNodes() {
    char name[64], path[512];
    while (devWatchNextNode(name, sizeof name))
        if (snprintf(path, sizeof path, "%s/%s", evdevFolder, name) < (int)sizeof path) tryDevice(path);
}

} // namespace

const char* evdevFolder = "/dev/input";
int (*evdevAccept)(int fd) = acceptKeyboard;

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
    Keyboard& k = boards[count++];
    memset(&k, 0, sizeof k);
    k.fd = fd;
    k.id = deviceId(fd);
    sysInputHook = [] { evdevPump(); };
    return 1;
}

// Opens every keyboard the user may read (the input group) and grabs it, and watches
// the folder for keyboards plugged in later. Called by videoOpen when the console display starts.
void evdevOpen() {
    for (int i = 0; i < MAX_DEVICES && count < MAX_KEYBOARDS; i++) {
        char path[512];
        if (snprintf(path, sizeof path, "%s/event%d", evdevFolder, i) < (int)sizeof path) tryDevice(path);
    }
    if (devWatchOpen(evdevFolder, DEVWATCH_KEYBOARDS)) sysInputHook = [] { evdevPump(); };
    if (count == 0)
        fprintf(stderr, "blomp: no keyboard can be read on the console (is the user in the input group?)\n");
}

// Lets the keyboards go. Called by the console display's close.
void evdevClose() {
    for (int i = 0; i < count; i++) close(boards[i].fd);
    count = 0;
    devWatchClose(DEVWATCH_KEYBOARDS);
    sysInputHook = nullptr;
}

// Queues the key changes of every keyboard, lets go of the ones unplugged and takes up
// new ones. Called through sysInputHook whenever the game reads events.
int evdevPump() {
    int queued = 0;
    takeNewNodes(); // nothing without a watch
    for (int i = 0; i < count;) {
        bool gone = false;
        queued += readDevice(boards[i], &gone);
        if (gone)
            queued += dropKeyboard(i); // the last keyboard moves into place i
        else
            i++;
    }
    return queued;
}
