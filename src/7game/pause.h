// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The pause menu of play: the cursor in workflow (1 SUICIDE, 2 GO ON, 3 EXIT).
#pragma once
#include "5world/figure.h"

void openPauseOnFire(int level, int active); // a typed fire in a level, the figure active: the menu opens
void updatePaused(Figure& fig);              // one frame of the pause menu, instead of the world's step
