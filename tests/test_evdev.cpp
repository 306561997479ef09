// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The console keyboards coming and going, with a named pipe in a folder of the
// test's own standing in for a device node in /dev/input, and the pads hearing of
// it from the same watch.
#include "2platform/devwatch.h"
#include "2platform/evdev.h"
#include "2platform/sys.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <fcntl.h>
#include <linux/input.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// What the game's next frame finds, as checkInput takes it: "pads" when the pads are
// told to look again, then the key events, "+sym" for a press and "-sym" for a release.
std::vector<std::string> keyEvents() {
    std::vector<std::string> got;
    if (sysPadsChanged()) got.push_back("pads"); // reads the folder's watch
    SDL_Event ev;
    while (sysPollEvent(&ev)) // the pump hook reads the keyboards first
        if (ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP)
            got.push_back((ev.type == SDL_KEYDOWN ? "+" : "-") + std::to_string(ev.key.keysym.sym));
    return got;
}

} // namespace

// A keyboard plugged in while the game runs is taken up; unplugged, it lets go of the
// keys it held (the kernel sends no release from a device that is gone) and is closed.
// The pads hear of every event node made or removed, and of nothing else.
TEST(Evdev, AKeyboardPluggedInIsTakenAndUnpluggedLetsGoOfItsKeys) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0); // SDL's queue
    ScratchDir dir;
    int (*const grab)(int) = evdevAccept;
    evdevFolder = dir.path().c_str();
    evdevAccept = [](int fd) {
        struct stat st;
        return fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode) ? 1 : 0;
    };
    testing::internal::CaptureStderr();
    evdevOpen(); // no keyboard yet
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(devWatchOpen(dir.path().c_str(), DEVWATCH_PADS), 1); // the same watch
    keyEvents();
    const size_t openFiles = folderNames("/proc/self/fd").size();
    ASSERT_EQ(mkfifo("mice", 0600), 0); // no event node: neither a keyboard nor a pad
    EXPECT_TRUE(keyEvents().empty());

    const auto press = [](int sym) { return "+" + std::to_string(sym); };
    const auto release = [](int sym) { return "-" + std::to_string(sym); };
    // Repeats and keys the game has no use for are dropped.
    const input_event keys[] = {{{0, 0}, EV_KEY, KEY_RIGHT, 1},    {{0, 0}, EV_SYN, 0, 0},
                                {{0, 0}, EV_KEY, KEY_RIGHT, 2},    {{0, 0}, EV_KEY, KEY_UP, 1},
                                {{0, 0}, EV_KEY, KEY_VOLUMEUP, 1}, {{0, 0}, EV_KEY, KEY_UP, 0}};
    for (int plug = 0; plug < 2; plug++) { // plugged in, unplugged with right held, and again
        unlink("event4");
        ASSERT_EQ(mkfifo("event4", 0600), 0);
        const int kernel = open("event4", O_RDWR | O_NONBLOCK); // the kernel's end of the device
        ASSERT_GE(kernel, 0);
        EXPECT_EQ(keyEvents(), std::vector<std::string>{"pads"}) << plug;
        ASSERT_EQ(write(kernel, keys, sizeof keys), (ssize_t)sizeof keys);
        EXPECT_EQ(keyEvents(),
                  (std::vector<std::string>{press(SDLK_RIGHT), press(SDLK_UP), release(SDLK_UP)}))
            << plug;
        close(kernel);
        EXPECT_EQ(keyEvents(), std::vector<std::string>{release(SDLK_RIGHT)}) << plug;
        EXPECT_TRUE(keyEvents().empty()) << plug;
        EXPECT_EQ(folderNames("/proc/self/fd").size(), openFiles) << plug; // closed
    }
    evdevClose();
    devWatchClose(DEVWATCH_PADS);
    EXPECT_EQ(sysInputHook, nullptr);
    EXPECT_EQ(folderNames("/proc/self/fd").size(), openFiles - 1); // the watch ended too
    evdevFolder = "/dev/input";
    evdevAccept = grab;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// What counts as a keyboard: letters and enter; a power button does not, nor a
// pad that has a keypad: pads are left to SDL.
TEST(Evdev, KeyboardsAreTakenPadsAreLeftToSDL) {
    uint8_t bits[KEY_MAX / 8 + 1] = {};
    auto set = [&](int n) { bits[n / 8] |= (uint8_t)(1 << (n % 8)); };
    EXPECT_FALSE(evdevIsKeyboard(bits, sizeof bits)); // a power button
    set(KEY_A), set(KEY_Z), set(KEY_ENTER);
    EXPECT_TRUE(evdevIsKeyboard(bits, sizeof bits));
    set(BTN_GAMEPAD);
    EXPECT_FALSE(evdevIsKeyboard(bits, sizeof bits));
}
