// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Loading bitmaps from the "gfx" archive into the frame format, the colour key
// rule, and cutting the block sheet into tiles and water tiles.
#include "6draw/gfx.h"

#include "6draw/blit.h"
#include "1base/error.h"
#include "2platform/savefile.h"
#include "2platform/zda.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int TILE = 16;          // tiles are 16 x 16
constexpr int SHEET_COLUMNS = 20; // tiles per row of the block sheet
constexpr int WATER_Y = 128;      // the water strip: tiles 160 and 161
constexpr int WATER_W = 32;       // the strip repeats every 32 pixels
constexpr int WATER_PHASES = 4;   // water phases, each two tiles wide
constexpr int WATER_SHIFTS = 15;  // a phase is the strip rotated by 0..14 pixels
constexpr int MAX_SIDE = 2048;    // pixels a side a picture may have; ours have at most 640

// Copies the w x h rectangle at (sx, sy) of src to (dx, dy) of dst.
// Called by the tile cutting; both surfaces are in the frame format.
void copyRect(SDL_Surface* src, int sx, int sy, int w, int h, SDL_Surface* dst, int dx, int dy) {
    if (w <= 0 || h <= 0) return; // a water phase with offset 0 has an empty second piece
    SDL_Rect s, d;
    s.x = (Sint16)sx;
    s.y = (Sint16)sy;
    s.w = (Uint16)w;
    s.h = (Uint16)h;
    d.x = (Sint16)dx;
    d.y = (Sint16)dy;
    d.w = (Uint16)w;
    d.h = (Uint16)h;
    SDL_UpperBlit(src, &s, dst, &d);
}

// A 16 x 16 tile keyed on magenta, from one or two pieces of the sheet. Called by initBlocks.
SDL_Surface* cutTile(SDL_Surface* sheet, int sx, int sy, int w, int sx2, int w2) {
    SDL_Surface* t = createSurface(TILE, TILE, 1);
    if (!t) return nullptr;
    copyRect(sheet, sx, sy, w, TILE, t, 0, 0);
    copyRect(sheet, sx2, sy, w2, TILE, t, w, 0);
    setColorKey(t, 255, 0, 255);
    stampSurface(t);
    return t;
}

// A little-endian 16-bit field of a bitmap header. Called by bmpHeaderFault.
uint32_t le16(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

// A little-endian 32-bit field of a bitmap header. Called by bmpHeaderFault.
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}

// Why SDL's BMP reader must not see these bytes, or null when the header is one
// it reads safely: a depth or palette it does not know makes it build surfaces
// that crash later, so anything but the plain forms is refused. Called by loadGFX.
const char* bmpHeaderFault(const uint8_t* b, int32_t size) {
    constexpr int32_t FILE_HEAD = 14, CORE_HEAD = 12, INFO_HEAD = 40, LAST_HEAD = 124;
    if (size < FILE_HEAD + CORE_HEAD || b[0] != 'B' || b[1] != 'M') return "not a BMP file";
    const uint32_t offBits = le32(b + 10), headSize = le32(b + 14);
    if (headSize != CORE_HEAD && (headSize < INFO_HEAD || headSize > LAST_HEAD))
        return "unknown BMP header size";
    if (FILE_HEAD + (int32_t)headSize > size) return "BMP header cut short";
    const uint8_t* h = b + FILE_HEAD;
    const int core = headSize == CORE_HEAD;
    // the old OS/2 header has unsigned 16-bit sizes, the Windows one signed 32-bit
    // sizes, a negative height meaning rows stored top-down
    const int32_t width = core ? (int32_t)le16(h + 4) : (int32_t)le32(h + 4);
    const int32_t height = core ? (int32_t)le16(h + 6) : (int32_t)le32(h + 8);
    const uint32_t planes = le16(h + (core ? 8 : 12)), bits = le16(h + (core ? 10 : 14));
    const uint32_t compression = core ? 0 : le32(h + 16), colours = core ? 0 : le32(h + 32);
    if (width < 1 || width > MAX_SIDE || height == 0 || height > MAX_SIDE || height < -MAX_SIDE)
        return "BMP size out of range";
    if (planes != 1) return "BMP plane count not 1";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "unsupported BMP depth";
    // plain pixels, or (16 and 32 bits) pixels with colour masks
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32)))
        return "unsupported BMP compression";
    // SDL copies that many palette entries into a palette of 2^bits
    if (bits <= 8 && colours > (1u << bits)) return "BMP palette too long";
    if (offBits < (uint32_t)(FILE_HEAD + headSize) || offBits > (uint32_t)size)
        return "BMP pixels out of place";
    // rows are padded to whole 32-bit words
    const uint64_t rowBytes = ((uint64_t)width * bits + 31) / 32 * 4;
    if (offBits + rowBytes * (uint64_t)(height < 0 ? -height : height) > (uint64_t)size)
        return "BMP pixels cut short";
    return nullptr;
}

// The surface SDL made is one the conversion handles. Called by loadGFX.
int plainSurface(const SDL_Surface* s) {
    const int bits = s->format->BitsPerPixel;
    return s->w > 0 && s->w <= MAX_SIDE && s->h > 0 && s->h <= MAX_SIDE && s->pixels &&
           (bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

// Keeps the bytes SDL refused, so whoever made the archive can look at them,
// and ends the game. Called by loadGFX.
[[noreturn]] void refuseBitmap(uint8_t* bytes, int32_t size, const char* reason) {
    writeFileAtomic("fuu.xxx", bytes, size);
    free(bytes);
    error("Unable to load bitmap", reason);
}

} // namespace

// Loads bitmap `name` from the "gfx" archive, with or without a colour key, and
// converts it to the frame format. A missing or unreadable bitmap ends the game.
// Called by main (logo, back picture, moon), the intro screens, the fonts and initBlocks.
SDL_Surface* loadGFX(const char* name, int useKey, int r, int g, int b) {
    int32_t size = 0;
    uint8_t* bytes = loadZDAFile(ARC_GFX, name, "bmp", &size);
    if (!bytes) error("Error loading gfx file", name);
    const char* fault = bmpHeaderFault(bytes, size);
    if (fault) refuseBitmap(bytes, size, fault);
    SDL_RWops* rw = SDL_RWFromMem(bytes, size);
    SDL_Surface* raw = rw ? SDL_LoadBMP_RW(rw, 0) : nullptr;
    if (rw) SDL_FreeRW(rw);
    if (!raw) refuseBitmap(bytes, size, SDL_GetError());
    if (!plainSurface(raw)) {
        SDL_FreeSurface(raw);
        refuseBitmap(bytes, size, "unsupported bitmap surface");
    }
    free(bytes);

    Uint32 flags = SDL_HWSURFACE;
    if (useKey) {
        setColorKey(raw, r, g, b);
        flags |= SDL_SRCCOLORKEY; // the key survives the conversion, remapped to the frame format
    } else {
        SDL_SetColorKey(raw, 0, 0);
    }
    SDL_Surface* out = SDL_ConvertSurface(raw, screen->format, flags);
    SDL_FreeSurface(raw);
    if (!out) error("Unable to load bitmap", SDL_GetError());
    if (out && useKey) stampSurface(out); // keyed bitmaps are only ever drawn from
    return out;
}

// The colour key rule. A palette keys its first entry of colour (r, g, b), or
// entry 0 when none matches; a 16-bit surface is keyed only when it really holds
// a pixel of that colour, so surfaces without one blit as plain copies; any other
// depth keys the colour outright. Called by loadGFX, the tiles and the glyphs.
void setColorKey(SDL_Surface* s, int r, int g, int b) {
    if (!s) return;
    SDL_Palette* pal = s->format->palette;
    if (pal && pal->ncolors > 0) {
        Uint32 index = 0;
        for (int i = 0; i < pal->ncolors; i++) {
            const SDL_Color& c = pal->colors[i];
            if (c.r == r && c.g == g && c.b == b) {
                index = (Uint32)i;
                break;
            }
        }
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, index);
        return;
    }
    const Uint32 key = SDL_MapRGB(s->format, (Uint8)r, (Uint8)g, (Uint8)b);
    if (s->format->BytesPerPixel != 2) {
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, key);
        return;
    }
    int found = 0;
    if (SDL_LockSurface(s) == 0) {
        for (int y = 0; y < s->h && !found; y++) {
            const Uint16* row = (const Uint16*)((const Uint8*)s->pixels + y * s->pitch);
            for (int x = 0; x < s->w; x++) {
                if (row[x] == key) {
                    found = 1;
                    break;
                }
            }
        }
        SDL_UnlockSurface(s);
    }
    if (found)
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, key);
    else
        SDL_SetColorKey(s, 0, 0);
}

// A w x h surface in the frame format filled with BLACK, prepared for a colour key
// when withKey is set. Called by the tile and glyph cutting.
SDL_Surface* createSurface(int w, int h, int withKey) {
    const SDL_PixelFormat* f = screen->format;
    Uint32 flags = SDL_HWSURFACE | (withKey ? SDL_SRCCOLORKEY : 0);
    SDL_Surface* s =
        SDL_CreateRGBSurface(flags, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
    if (s) fillRect(s, 0, 0, w, h, BLACK);
    return s;
}

// Cuts the block sheet of graphic set `set` into the 240 tiles and builds the
// four water phases from the strip at tiles 160 and 161. Called by initStuff.
int initBlocks(int set) {
    freeBlocks();
    SDL_Surface* sheet = loadGFX(gfxBlocks[set], 0, 0, 0, 0);
    if (!sheet) return 1;
    for (int i = 0; i < NUM_BLOCKS; i++)
        blocks[i] = cutTile(sheet, TILE * (i % SHEET_COLUMNS), TILE * (i / SHEET_COLUMNS), TILE, 0, 0);
    for (int k = 0; k < WATER_PHASES; k++) {
        // each phase starts the strip at its own random column, so the surface ripples
        const int o = rand() % WATER_SHIFTS;
        wblocks[2 * k] = cutTile(sheet, o, WATER_Y, TILE, 0, 0);
        wblocks[2 * k + 1] = cutTile(sheet, o + TILE, WATER_Y, WATER_W - (o + TILE), 0, o);
    }
    SDL_FreeSurface(sheet);
    return 1;
}

// Frees the tiles and then the water tiles. Called by exitGame.
void freeBlocks() {
    for (int i = 0; i < NUM_BLOCKS; i++) {
        freeSurface(blocks[i]);
        blocks[i] = nullptr;
    }
    for (int i = 0; i < NUM_WBLOCKS; i += 2) {
        freeSurface(wblocks[i]);
        freeSurface(wblocks[i + 1]);
        wblocks[i] = wblocks[i + 1] = nullptr;
    }
}

// Loads the back picture of graphic set `set` (set 2 has none) and the moon.
// Called by main once the graphic set is chosen, and by the tests and tools that compose frames.
void loadScenery(int set) {
    freeScenery();
    background = gfxBack[set] ? loadGFX(gfxBack[set], 0, 0, 0, 0) : nullptr;
    moon = loadGFX("moon", 1, 255, 0, 255);
}

// Frees the back picture and the moon. Called by exitGame.
void freeScenery() {
    freeSurface(moon);
    freeSurface(background);
    moon = background = nullptr;
}
