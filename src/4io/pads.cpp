// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The table of known pads and the look-up by name.
#include "4io/pads.h"

#include <cctype>
#include <cstddef>

// Xbox-style numbering, which the game has always used: A 0, B 1, Back 6, Start 7.
const PadLayout defaultPadLayout = {"pad not in the table (Xbox numbering)", 7, 6, 0, 1};

namespace {

// A part of a pad's name, as the Linux kernel's drivers report it, and the layout it means.
struct KnownPad {
    const char* namePart;
    PadLayout layout;
};

// Button numbers as SDL 1.2 gets them from the kernel's joystick driver. Jump is the
// bottom face button, fire (the pause menu) the right one. Order matters: the first
// match wins, so the more particular names come first.
const PadLayout xbox = {"Xbox-style pad (also 8BitDo in X-input mode)", 7, 6, 0, 1};
const PadLayout playstation = {"PlayStation-style pad (DualShock 3 and 4, DualSense)", 9, 8, 0, 1};
const PadLayout snes = {"SNES-style USB pad", 9, 8, 2, 1};
const PadLayout eightBitDo = {"8BitDo pad in D-input mode", 11, 10, 1, 0};
const PadLayout switchPro = {"8BitDo pad in Switch mode (Pro Controller)", 9, 8, 0, 1};

const KnownPad knownPads[] = {
    {"X-Box", xbox},
    {"Xbox", xbox},
    {"XInput", xbox},
    {"PLAYSTATION(R)3", playstation},
    {"DualSense", playstation},
    {"Sony", playstation},
    {"Wireless Controller", playstation},
    {"8BitDo", eightBitDo},
    {"Pro Controller", switchPro},
    {"SNES", snes},
    {"USB Gamepad", snes},
    {"2-axis 8-button gamepad", snes},
};

// True when part stands anywhere in name, case ignored. Called by padLayoutFor.
bool containsNoCase(const char* name, const char* part) {
    for (const char* s = name; *s; s++) {
        size_t i = 0;
        while (part[i] && s[i] && tolower((unsigned char)s[i]) == tolower((unsigned char)part[i])) i++;
        if (!part[i]) return true;
    }
    return false;
}

} // namespace

// The layout of a pad by its name. Called by the input when a pad is opened.
const PadLayout& padLayoutFor(const char* name) {
    if (name)
        for (const KnownPad& k : knownPads)
            if (containsNoCase(name, k.namePart)) return k.layout;
    return defaultPadLayout;
}
