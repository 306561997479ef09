// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The picture generators behind buildGfx, one file each: block sheets, fonts,
// and the single pictures (back pictures, moon, logos, quotation picture, flags, cursor).
#pragma once

#include "gfximage.h"

#include <string>

constexpr int SHEET_W = 320; // 20 tiles of 16
constexpr int SHEET_H = 192; // 12 rows of 16
constexpr int NUM_TILES = 240;

// The block sheet of one graphic set, drawn from the sources in assetsDir/gfx. gfxblocks.cpp.
Pic makeBlockSheet(const std::string& assetsDir, int set);
// The deluxe set's own leafy tree crown and bush, over the placed pixel art. gfxfoliage.cpp.
void drawDeluxeFoliage(Pic& sheet);
// A font sheet of one set: 8 x 8 glyphs (big false) or 16 x 16, 16 to a row, codes 32..127. gfxfont.cpp.
Pic makeFontSheet(const std::string& assetsDir, int set, bool big);
// The night sky drawn behind the play area (classic or deluxe). gfxback.cpp.
Pic makeBack(int set);
// The moon over the back picture, magenta around it. gfxback.cpp.
Pic makeMoon();
// The BLOMP title logo of a set. gfxlogo.cpp.
Pic makeLogo(int set);
// The calm picture behind the quotation. gfxscreens.cpp.
Pic makeMuse();
// The flag of a language: 0 English, 1 German, 2 French, 3 Spanish. gfxscreens.cpp.
Pic makeFlag(int lang);
// The language screen's arrow, pointing up, in the top-left 16 x 8. gfxscreens.cpp.
Pic makeCursor();
