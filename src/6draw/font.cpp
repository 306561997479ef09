// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Bitmap fonts: glyph tables cut from a font sheet, and the text and number drawing
// every screen uses. Glyph i shows the character 32 + i; all glyphs of a table
// share the size of glyph 0, which is also the advance.
#include "6draw/font.h"

#include "6draw/blit.h"
#include "6draw/gfx.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

SDL_Surface** font = nullptr;
SDL_Surface** fontbig = nullptr;

namespace {

constexpr int FIRST_CODE = 32;               // glyph 0 is the blank
constexpr int MAX_GLYPHS = 256 - FIRST_CODE; // codes are bytes: cells past code 255 are never drawn
constexpr int NUMBER_BUF = 16;               // "%d" of any 32-bit value fits
constexpr int MAX_ZEROS = 8;                 // the zero padding of a number never exceeds this

constexpr int COUNTED = 4; // glyph tables whose length glyphCount remembers

// Glyph tables already counted, and their numbers of glyphs.
struct Counted {
    SDL_Surface** table;
    int glyphs;
};
Counted counted[COUNTED];

// Frees one glyph table up to its null entry. Called by destroyFonts.
void freeFont(SDL_Surface** glyphs) {
    if (!glyphs) return;
    for (Counted& c : counted)
        if (c.table == glyphs) c.table = nullptr;
    for (int i = 0; glyphs[i]; i++) freeSurface(glyphs[i]);
    free(glyphs);
}

// Number of glyphs in a table, so that characters past its end can be left out;
// a table counted once is remembered until it is freed. Called by drawRun.
int glyphCount(SDL_Surface** glyphs) {
    for (const Counted& c : counted)
        if (c.table == glyphs) return c.glyphs;
    int n = 0;
    while (glyphs[n]) n++;
    for (Counted& c : counted)
        if (!c.table) {
            c = {glyphs, n};
            break;
        }
    return n;
}

// Draws at most n characters of text from x on. A character whose glyph the table
// lacks (a hiscore name read from a file may hold any byte) draws nothing but
// still takes its place. Characters wholly left or right of the target cost no blit.
// Called by every text and number function.
void drawRun(SDL_Surface* dst, const char* text, int n, int x, int y, SDL_Surface** glyphs) {
    if (!dst || !text || n < 1 || !glyphs || !glyphs[0]) return;
    const int count = glyphCount(glyphs);
    const int w = glyphs[0]->w, h = glyphs[0]->h;
    for (int i = 0; i < n && text[i]; i++, x += w) {
        if (x <= -w || x >= dst->w) continue;
        const int index = (unsigned char)text[i] - FIRST_CODE;
        if (index < 0 || index >= count) continue;
        SDL_Rect src = {0, 0, (Uint16)w, (Uint16)h};
        SDL_Rect to = {(Sint16)x, (Sint16)y, (Uint16)w, (Uint16)h};
        blitSurface(glyphs[index], &src, dst, &to);
    }
}

// Width of glyph 0, the advance of every character; 0 for an empty table.
int advance(SDL_Surface** glyphs) {
    return glyphs && glyphs[0] ? glyphs[0]->w : 0;
}

} // namespace

// Cuts the sheet bitmap `sheet` into w x h glyphs, row by row, each keyed on
// magenta, into a table ended by a null entry. Called by loadSpriteFont.
SDL_Surface** createFont(const char* sheet, int w, int h) {
    SDL_Surface* s = loadGFX(sheet, 0, 0, 0, 0);
    const int columns = s && w > 0 ? s->w / w : 0;
    const int rows = s && h > 0 ? s->h / h : 0;
    const int count = columns * rows < MAX_GLYPHS ? columns * rows : MAX_GLYPHS;
    SDL_Surface** glyphs = (SDL_Surface**)calloc((size_t)(count + 1), sizeof(SDL_Surface*));
    if (!glyphs) {
        freeSurface(s);
        return nullptr;
    }
    // Glyph n is cell n of the sheet. Should SDL fail to make a glyph, the table
    // ends there: a gap would shift every later character onto the wrong glyph.
    for (int n = 0; n < count; n++) {
        SDL_Surface* g = createSurface(w, h, 1);
        if (!g) break;
        SDL_Rect src = {(Sint16)(n % columns * w), (Sint16)(n / columns * h), (Uint16)w, (Uint16)h};
        SDL_Rect to = {0, 0, (Uint16)w, (Uint16)h};
        SDL_UpperBlit(s, &src, g, &to);
        setColorKey(g, 255, 0, 255);
        stampSurface(g);
        glyphs[n] = g;
    }
    freeSurface(s);
    return glyphs;
}

// Builds `font` (8 x 8) and `fontbig` (16 x 16) from the sheets of graphic set
// `set`. Called by main at start-up and again when the hidden set was chosen.
void loadSpriteFont(int set) {
    destroyFonts();
    font = createFont(gfxFont[set], 8, 8);
    fontbig = createFont(gfxFontBig[set], 16, 16);
}

// Frees both glyph tables. Called by main before a reload and by exitGame.
void destroyFonts() {
    freeFont(font);
    freeFont(fontbig);
    font = nullptr;
    fontbig = nullptr;
}

// Draws text with its first character's top-left corner at (x, y). Called by every screen.
void drawTextAt(SDL_Surface* dst, const char* text, int x, int y, SDL_Surface** glyphs) {
    if (!text) return;
    drawRun(dst, text, (int)strlen(text), x, y, glyphs);
}

// Draws at most n characters of text at (x, y). Called by the hiscore name entry and the scroller.
void drawTextNAt(SDL_Surface* dst, const char* text, int n, int x, int y, SDL_Surface** glyphs) {
    drawRun(dst, text, n, x, y, glyphs);
}

// Draws text centred on column 160 of the frame. Called by titles, menus and messages.
void drawTextCenterAt(SDL_Surface* dst, const char* text, int y, SDL_Surface** glyphs) {
    if (!text) return;
    const int len = (int)strlen(text);
    drawRun(dst, text, len, SCREEN_W / 2 - len * (advance(glyphs) / 2), y, glyphs);
}

// Draws text so that it ends at column x.
void drawTextRightAt(SDL_Surface* dst, const char* text, int x, int y, SDL_Surface** glyphs) {
    if (!text) return;
    const int len = (int)strlen(text);
    drawRun(dst, text, len, x - len * advance(glyphs), y, glyphs);
}

// Draws value right-aligned in a field of `digits` characters from x on, the
// field's left part filled with zeros when zeroPad is set; a number longer than
// the field runs out to the left of x. Called by the HUD, the bonus count and the hiscore table.
void drawNumberAt(SDL_Surface* dst, int32_t value, int x, int y, int digits, int zeroPad,
                  SDL_Surface** glyphs) {
    static char buf[NUMBER_BUF];
    static const char zeros[] = "00000000";
    snprintf(buf, sizeof buf, "%d", (int)value);
    const int len = (int)strlen(buf);
    const int w = advance(glyphs);
    if (zeroPad && len < digits) {
        const int pad = digits - len < MAX_ZEROS ? digits - len : MAX_ZEROS;
        drawRun(dst, zeros, pad, x, y, glyphs);
    }
    drawRun(dst, buf, len, digits >= 1 ? x + w * (digits - len) : x, y, glyphs);
}
