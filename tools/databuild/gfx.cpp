// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// buildGfx: every bitmap of the "gfx" archive, in a fixed order.
#include "build.h"
#include "gfxart.h"

namespace {

// Appends one finished picture as a BMP entry.
void addBmp(Entries& out, const char* name, const Pic& p) {
    Entry e;
    e.name = std::string(name) + ".bmp";
    e.bytes = picToBmp(p);
    out.push_back(e);
}

} // namespace

// Draws every picture of the game and hands them to the archive packer. Called by databuild's main.
void buildGfx(const std::string& assetsDir, Entries& out) {
    addBmp(out, "blocks", makeBlockSheet(assetsDir, SET_CLASSIC));
    addBmp(out, "newblocks", makeBlockSheet(assetsDir, SET_DELUXE));
    addBmp(out, "gbblocks", makeBlockSheet(assetsDir, SET_GB));
    addBmp(out, "back", makeBack(SET_CLASSIC));
    addBmp(out, "newback", makeBack(SET_DELUXE));
    addBmp(out, "moon", makeMoon());
    addBmp(out, "logo", makeLogo(SET_DELUXE));
    addBmp(out, "gblogo", makeLogo(SET_GB));
    addBmp(out, "font", makeFontSheet(assetsDir, SET_DELUXE, false));
    addBmp(out, "fontbig", makeFontSheet(assetsDir, SET_DELUXE, true));
    addBmp(out, "gbfont", makeFontSheet(assetsDir, SET_GB, false));
    addBmp(out, "gbfontbig", makeFontSheet(assetsDir, SET_GB, true));
    addBmp(out, "muse", makeMuse());
    static const char* const flagNames[4] = {"flag_uk", "flag_de", "flag_fr", "flag_es"};
    for (int i = 0; i < 4; i++) addBmp(out, flagNames[i], makeFlag(i));
    addBmp(out, "cursor", makeCursor());
}
