// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Tiles drawn by code: terrain of every theme, water and the water strip, and the
// working parts of a level (bump block, brick, crumbling floor, traps, door, lethal block).
#pragma once

#include "gfximage.h"

// Draws every coded tile of one graphic set onto the block sheet. Called by makeBlockSheet.
void drawCodedTiles(Pic& sheet, int set);
