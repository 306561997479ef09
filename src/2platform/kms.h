// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The console display without a desktop: KMS/DRM with GBM (Raspberry Pi OS Lite,
// kiosks, cabinets). Built where libdrm and libgbm are found.
#pragma once

#include <cstdint>

// A display mode as the console offers it: size, refresh and whether the screen prefers it.
struct KmsMode {
    uint32_t width, height, refresh;
    int preferred;
};

int kmsUsable(); // 1 when a /dev/dri card can be opened and drives a connected screen
int kmsPickMode(const KmsMode* modes, int count); // the screen's preferred mode, else its first; -1 for none
