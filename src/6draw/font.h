// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Bitmap fonts: glyph tables cut from a font sheet, and text and number drawing.
#pragma once

#include <SDL.h>
#include <cstdint>

extern SDL_Surface** font;    // 8 x 8 glyphs, ended by a null entry
extern SDL_Surface** fontbig; // 16 x 16 glyphs, ended by a null entry

SDL_Surface** createFont(const char* sheet, int w, int h); // cuts a sheet into a glyph table
void loadSpriteFont(int set);                              // builds font and fontbig of a graphic set
void destroyFonts();                                       // frees both tables

// Text and numbers in a glyph table; every character advances by the width of glyph 0,
// and one without a glyph (below 32 or past the table's end) draws nothing.
void drawTextAt(SDL_Surface* dst, const char* text, int x, int y, SDL_Surface** glyphs);
void drawTextNAt(SDL_Surface* dst, const char* text, int n, int x, int y, SDL_Surface** glyphs);
void drawTextCenterAt(SDL_Surface* dst, const char* text, int y, SDL_Surface** glyphs);
void drawTextRightAt(SDL_Surface* dst, const char* text, int x, int y, SDL_Surface** glyphs);
void drawNumberAt(SDL_Surface* dst, int32_t value, int x, int y, int digits, int zeroPad,
                  SDL_Surface** glyphs);
