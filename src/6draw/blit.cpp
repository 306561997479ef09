// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Our own blitters for the frame format: prepared colour-keyed pictures, plain
// copies, fills and the halving of the darkening. See blit.h for why.
#include "6draw/blit.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int TABLE_BITS = 11;              // the table of prepared pictures: 2048 slots,
constexpr int TABLE_SIZE = 1 << TABLE_BITS; // kept at most three quarters full
constexpr int TABLE_LIMIT = TABLE_SIZE * 3 / 4;
constexpr uint8_t ROW_EMPTY = 0;  // nothing of the row shows
constexpr uint8_t ROW_OPAQUE = 1; // the row's span shows whole: a plain copy
constexpr uint8_t ROW_MIXED = 2;  // the span mixes shown and kept bytes: a masked copy

// Sixteen bytes handled at once; GCC and clang turn this into one vector register
// on x86-64 (SSE2) and ARM (NEON), and into pairs of words elsewhere.
typedef uint64_t Wide __attribute__((vector_size(16)));

// A prepared picture. Row r holds rowBytes bytes to draw (zero where the
// picture is transparent) at bytes + 2 * r * rowBytes and the mask of the bytes
// to keep (0xFF where transparent) right after them.
struct StampRow {
    uint16_t lo, hi; // the byte span [lo, hi) that holds shown bytes
    uint8_t kind;    // ROW_EMPTY, ROW_OPAQUE or ROW_MIXED
};

struct Stamp {
    SDL_Surface* surface;
    int w, h, bpp, rowBytes;
    uint8_t* bytes;
    StampRow* rows;
};

Stamp* table[TABLE_SIZE]; // prepared pictures by surface, open addressing
int stamps = 0;

// The table slot a surface's search starts at.
int home(const SDL_Surface* s) {
    return (int)(((uint64_t)(uintptr_t)s * 0x9E3779B97F4A7C15ULL) >> (64 - TABLE_BITS));
}

// The slot holding s, or -1.
int slotOf(const SDL_Surface* s) {
    for (int i = home(s);; i = (i + 1) & (TABLE_SIZE - 1)) {
        if (!table[i]) return -1;
        if (table[i]->surface == s) return i;
    }
}

// Same pixel layout: a picture of one format can be copied byte for byte into the other.
bool sameFormat(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
    if (a == b) return a->BytesPerPixel >= 2;
    return a->BytesPerPixel >= 2 && a->BytesPerPixel == b->BytesPerPixel && a->Rmask == b->Rmask &&
           a->Gmask == b->Gmask && a->Bmask == b->Bmask && a->Amask == b->Amask;
}

// Copies n bytes; short spans in a few overlapping wide moves, each byte written with its final value.
inline void copySpan(uint8_t* d, const uint8_t* s, int n) {
    if (n == 32) { // a row of a 16-pixel tile at 2 bytes a pixel
        Wide a, b;
        memcpy(&a, s, 16);
        memcpy(&b, s + 16, 16);
        memcpy(d, &a, 16);
        memcpy(d + 16, &b, 16);
    } else if (n == 48) { // a row of a 16-pixel tile at 3 bytes a pixel
        Wide a, b, c;
        memcpy(&a, s, 16);
        memcpy(&b, s + 16, 16);
        memcpy(&c, s + 32, 16);
        memcpy(d, &a, 16);
        memcpy(d + 16, &b, 16);
        memcpy(d + 32, &c, 16);
    } else if (n >= 16) {
        Wide v;
        for (int i = 0; i + 16 < n; i += 16) {
            memcpy(&v, s + i, 16);
            memcpy(d + i, &v, 16);
        }
        memcpy(&v, s + n - 16, 16);
        memcpy(d + n - 16, &v, 16);
    } else if (n >= 8) {
        uint64_t a, b;
        memcpy(&a, s, 8);
        memcpy(&b, s + n - 8, 8);
        memcpy(d, &a, 8);
        memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        memcpy(&a, s, 4);
        memcpy(&b, s + n - 4, 4);
        memcpy(d, &a, 4);
        memcpy(d + n - 4, &b, 4);
    } else {
        for (int i = 0; i < n; i++) d[i] = s[i];
    }
}

// d = (d AND m) OR s over n >= sizeof(W) bytes in steps of W. Doing a byte
// twice gives the same result (s is zero where m keeps), so the last step may
// overlap the one before.
template <typename W> inline void maskWords(uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {
    constexpr int size = (int)sizeof(W);
    W vd, vs, vm;
    for (int at = 0;; at += size) {
        if (at + size >= n) at = n - size;
        memcpy(&vd, d + at, size);
        memcpy(&vs, s + at, size);
        memcpy(&vm, m + at, size);
        vd = (vd & vm) | vs;
        memcpy(d + at, &vd, size);
        if (at == n - size) break;
    }
}

// d = (d AND m) OR s over n bytes, in the widest steps that fit.
inline void maskSpan(uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {
    if (n >= 16)
        maskWords<Wide>(d, s, m, n);
    else if (n >= 8)
        maskWords<uint64_t>(d, s, m, n);
    else if (n >= 4)
        maskWords<uint32_t>(d, s, m, n);
    else
        for (int i = 0; i < n; i++) d[i] = (uint8_t)((d[i] & m[i]) | s[i]);
}

// Draws rows sy .. sy + h - 1, columns sx .. sx + w - 1 of a prepared picture
// with that corner at (dx, dy) of dst; everything is already clipped.
void drawStamp(const Stamp* st, int sx, int sy, int w, int h, SDL_Surface* dst, int dx, int dy) {
    const int bpp = st->bpp, rowBytes = st->rowBytes, pitch = dst->pitch;
    const int left = sx * bpp, right = (sx + w) * bpp;
    uint8_t* row = (uint8_t*)dst->pixels + dy * pitch + (dx - sx) * bpp;
    const uint8_t* s = st->bytes + 2 * sy * rowBytes;
    const StampRow* sr = st->rows + sy;
    for (int r = 0; r < h; r++, row += pitch, s += 2 * rowBytes, sr++) {
        if (sr->kind == ROW_EMPTY) continue;
        const int a = sr->lo > left ? sr->lo : left;
        const int b = sr->hi < right ? sr->hi : right;
        if (a >= b) continue;
        if (sr->kind == ROW_OPAQUE)
            copySpan(row + a, s + a, b - a);
        else
            maskSpan(row + a, s + a, s + rowBytes + a, b - a);
    }
}

// Copies a w x h rectangle between two surfaces of one format, row by row.
void copyRows(SDL_Surface* src, int sx, int sy, int w, int h, SDL_Surface* dst, int dx, int dy) {
    const int bpp = src->format->BytesPerPixel;
    const uint8_t* s = (const uint8_t*)src->pixels + sy * src->pitch + sx * bpp;
    uint8_t* d = (uint8_t*)dst->pixels + dy * dst->pitch + dx * bpp;
    const int n = w * bpp;
    if (n > 64) {
        for (int r = 0; r < h; r++, s += src->pitch, d += dst->pitch) memcpy(d, s, (size_t)n);
    } else {
        for (int r = 0; r < h; r++, s += src->pitch, d += dst->pitch) copySpan(d, s, n);
    }
}

// Halves n bytes of 5-6-5 pixels, (p AND 0xF7DE) >> 1 each, 32 bytes a step. Called by fastHalve.
void halve565(uint8_t* p, int n) {
    const Wide keep = {0xF7DEF7DEF7DEF7DEULL, 0xF7DEF7DEF7DEF7DEULL};
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        Wide a, b;
        memcpy(&a, p + i, 16);
        memcpy(&b, p + i + 16, 16);
        a = (a & keep) >> 1;
        b = (b & keep) >> 1;
        memcpy(p + i, &a, 16);
        memcpy(p + i + 16, &b, 16);
    }
    for (; i + 2 <= n; i += 2) {
        uint16_t v;
        memcpy(&v, p + i, 2);
        v = (uint16_t)((v & 0xF7DE) >> 1);
        memcpy(p + i, &v, 2);
    }
}

// Halves n bytes of 8-bit channels rounding up, (v >> 1) + (v AND 1) each, 32 bytes a step.
// Called by fastHalve.
void halve888(uint8_t* p, int n) {
    const Wide keep = {0x7F7F7F7F7F7F7F7FULL, 0x7F7F7F7F7F7F7F7FULL};
    const Wide ones = {0x0101010101010101ULL, 0x0101010101010101ULL};
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        Wide a, b;
        memcpy(&a, p + i, 16);
        memcpy(&b, p + i + 16, 16);
        a = ((a >> 1) & keep) + (a & ones);
        b = ((b >> 1) & keep) + (b & ones);
        memcpy(p + i, &a, 16);
        memcpy(p + i + 16, &b, 16);
    }
    for (; i < n; i++) p[i] = (uint8_t)((p[i] >> 1) + (p[i] & 1));
}

// Builds the preparation of a keyed picture from what SDL's own blit makes of it
// over a background of zero bytes and one of 0xFF bytes: a byte that differs
// between the two is kept from the background, one that agrees is drawn. Returns
// null when SDL's result is anything else (such a picture stays with SDL).
Stamp* makeStamp(SDL_Surface* s) {
    const SDL_PixelFormat* f = s->format;
    const int bpp = f->BytesPerPixel, rowBytes = s->w * bpp;
    SDL_Surface* over[2];
    for (int k = 0; k < 2; k++) {
        over[k] = SDL_CreateRGBSurface(SDL_SWSURFACE, s->w, s->h, f->BitsPerPixel, f->Rmask, f->Gmask,
                                       f->Bmask, f->Amask);
        if (!over[k]) {
            if (k) SDL_FreeSurface(over[0]);
            return nullptr;
        }
        memset(over[k]->pixels, k ? 0xFF : 0x00, (size_t)over[k]->pitch * s->h);
        SDL_Rect at = {0, 0, 0, 0};
        SDL_UpperBlit(s, nullptr, over[k], &at);
    }
    const size_t size = sizeof(Stamp) + sizeof(StampRow) * s->h + (size_t)2 * rowBytes * s->h;
    Stamp* st = (Stamp*)calloc(1, size);
    bool ok = st != nullptr;
    if (ok) {
        st->surface = s;
        st->w = s->w, st->h = s->h, st->bpp = bpp, st->rowBytes = rowBytes;
        st->rows = (StampRow*)(st + 1);
        st->bytes = (uint8_t*)(st->rows + s->h);
    }
    for (int r = 0; ok && r < s->h; r++) {
        const uint8_t* a = (const uint8_t*)over[0]->pixels + r * over[0]->pitch;
        const uint8_t* b = (const uint8_t*)over[1]->pixels + r * over[1]->pitch;
        uint8_t* draw = st->bytes + 2 * r * rowBytes;
        uint8_t* keep = draw + rowBytes;
        int lo = rowBytes, hi = 0;
        for (int i = 0; i < rowBytes; i++) {
            if (a[i] == b[i]) {
                draw[i] = a[i];
                if (lo > i) lo = i;
                hi = i + 1;
            } else if (a[i] == 0x00 && b[i] == 0xFF) {
                keep[i] = 0xFF;
            } else {
                ok = false;
            }
        }
        StampRow& sr = st->rows[r];
        sr.lo = (uint16_t)(lo < hi ? lo : 0);
        sr.hi = (uint16_t)hi;
        sr.kind = ROW_EMPTY;
        if (lo < hi) {
            sr.kind = ROW_OPAQUE;
            for (int i = lo; i < hi; i++)
                if (keep[i]) sr.kind = ROW_MIXED;
        }
    }
    SDL_FreeSurface(over[0]);
    SDL_FreeSurface(over[1]);
    if (!ok) free(st);
    return ok ? st : nullptr;
}

} // namespace

// Prepares a colour-keyed picture in a format of 2 to 4 bytes a pixel. Called by the
// loaders once the picture is final: keyed bitmaps, tiles, water tiles, glyphs.
void stampSurface(SDL_Surface* s) {
    if (!s || !(s->flags & SDL_SRCCOLORKEY) || (s->flags & SDL_SRCALPHA) || s->format->BytesPerPixel < 2 ||
        s->format->Amask || SDL_MUSTLOCK(s) || s->w > 4096 || stamps >= TABLE_LIMIT)
        return;
    unstampSurface(s);
    Stamp* st = makeStamp(s);
    if (!st) return;
    int i = home(s);
    while (table[i]) i = (i + 1) & (TABLE_SIZE - 1);
    table[i] = st;
    stamps++;
}

// Forgets a picture's preparation. Called by freeSurface and the font freeing.
void unstampSurface(SDL_Surface* s) {
    int i = s ? slotOf(s) : -1;
    if (i < 0) return;
    free(table[i]);
    table[i] = nullptr;
    stamps--;
    // Move back the entries after the gap that can no longer be reached from their home slot.
    for (int j = (i + 1) & (TABLE_SIZE - 1); table[j]; j = (j + 1) & (TABLE_SIZE - 1)) {
        const int k = home(table[j]->surface);
        const bool reachable = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (reachable) continue;
        table[i] = table[j];
        table[j] = nullptr;
        i = j;
    }
}

// How many pictures are prepared. Used by the tests.
int stampCount() {
    return stamps;
}

// SDL_UpperBlit for a plain picture or a prepared keyed one in dst's format.
// Called by every blit of the game.
int fastBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect) {
    if (!src || !dst || src == dst || !sameFormat(src->format, dst->format) || (src->flags & SDL_SRCALPHA) ||
        src->format->Amask || SDL_MUSTLOCK(src) || SDL_MUSTLOCK(dst))
        return 0;
    const Stamp* st = nullptr;
    if (src->flags & SDL_SRCCOLORKEY) {
        const int i = slotOf(src);
        if (i < 0) return 0;
        st = table[i];
    }
    // The clipping of SDL_UpperBlit, step by step, so that the same pixels are drawn
    // and the caller's destination rectangle ends as SDL leaves it.
    SDL_Rect whole = {0, 0, 0, 0};
    if (!dstRect) dstRect = &whole;
    int sx = 0, sy = 0, w = src->w, h = src->h;
    int dx = dstRect->x, dy = dstRect->y;
    if (srcRect) {
        sx = srcRect->x, w = srcRect->w;
        if (sx < 0) w += sx, dx -= sx, sx = 0;
        if (src->w - sx < w) w = src->w - sx;
        sy = srcRect->y, h = srcRect->h;
        if (sy < 0) h += sy, dy -= sy, sy = 0;
        if (src->h - sy < h) h = src->h - sy;
    }
    const SDL_Rect& clip = dst->clip_rect;
    int cut = clip.x - dx;
    if (cut > 0) w -= cut, dx += cut, sx += cut;
    cut = dx + w - clip.x - clip.w;
    if (cut > 0) w -= cut;
    cut = clip.y - dy;
    if (cut > 0) h -= cut, dy += cut, sy += cut;
    cut = dy + h - clip.y - clip.h;
    if (cut > 0) h -= cut;
    dstRect->x = (Sint16)dx, dstRect->y = (Sint16)dy;
    if (w <= 0 || h <= 0) {
        dstRect->w = dstRect->h = 0;
        return 1;
    }
    dstRect->w = (Uint16)w, dstRect->h = (Uint16)h;
    if (st)
        drawStamp(st, sx, sy, w, h, dst, dx, dy);
    else
        copyRows(src, sx, sy, w, h, dst, dx, dy);
    return 1;
}

// SDL_FillRect on a surface of 2 to 4 bytes a pixel: the rectangle clipped to the
// clip rectangle, then each row filled with the pixel's bytes. Called by fillRect.
int fastFill(SDL_Surface* dst, SDL_Rect* r, Uint32 colour) {
    if (!dst || SDL_MUSTLOCK(dst) || dst->format->BytesPerPixel < 2 || SDL_BYTEORDER != SDL_LIL_ENDIAN)
        return 0;
    const int bpp = dst->format->BytesPerPixel;
    const SDL_Rect& clip = dst->clip_rect;
    int x0 = clip.x, y0 = clip.y, x1 = clip.x + clip.w, y1 = clip.y + clip.h;
    if (r) {
        if (r->x > x0) x0 = r->x;
        if (r->y > y0) y0 = r->y;
        if (r->x + r->w < x1) x1 = r->x + r->w;
        if (r->y + r->h < y1) y1 = r->y + r->h;
        r->x = (Sint16)x0, r->y = (Sint16)y0;
        r->w = (Uint16)(x1 > x0 ? x1 - x0 : 0), r->h = (Uint16)(y1 > y0 ? y1 - y0 : 0);
    }
    if (x1 <= x0 || y1 <= y0) return 1;
    // The pattern of whole pixels in one or three 16-byte steps.
    uint8_t pattern[48];
    for (int i = 0; i < 48; i++) pattern[i] = (uint8_t)(colour >> (8 * (i % bpp)));
    const int n = (x1 - x0) * bpp;
    const int period = bpp == 3 ? 48 : 16;
    bool flat = true;
    for (int i = 1; i < bpp; i++) flat = flat && pattern[i] == pattern[0];
    uint8_t* first = (uint8_t*)dst->pixels + y0 * dst->pitch + x0 * bpp;
    if (flat) {
        for (int y = y0; y < y1; y++, first += dst->pitch) memset(first, pattern[0], (size_t)n);
        return 1;
    }
    // The first row from the pattern (its last period may overlap the one before and
    // writes the same bytes there), every other row a copy of the first.
    if (n < period) {
        for (int i = 0; i < n; i++) first[i] = pattern[i];
    } else {
        for (int i = 0; i + period < n; i += period) memcpy(first + i, pattern, (size_t)period);
        memcpy(first + n - period, pattern, (size_t)period);
    }
    uint8_t* row = first + dst->pitch;
    for (int y = y0 + 1; y < y1; y++, row += dst->pitch) copySpan(row, first, n);
    return 1;
}

// Halves every channel of the w x h rectangle at (0, 0) of dst the way SDL
// blends black at alpha 128 over it: on 5-6-5 pixels (p AND 0xF7DE) >> 1, rounding
// down; on 3-byte pixels each byte rounded up, (v >> 1) + (v AND 1). Called by darken.
int fastHalve(SDL_Surface* dst, int w, int h) {
    if (!dst || SDL_MUSTLOCK(dst)) return 0;
    const SDL_PixelFormat* f = dst->format;
    const bool is565 =
        f->BytesPerPixel == 2 && f->Rmask == 0xF800 && f->Gmask == 0x07E0 && f->Bmask == 0x001F;
    const bool is888 = f->BytesPerPixel == 3 && (f->Rmask | f->Gmask | f->Bmask) == 0xFFFFFF &&
                       (f->Rmask == 0xFF || f->Rmask == 0xFF00 || f->Rmask == 0xFF0000) &&
                       (f->Gmask == 0xFF || f->Gmask == 0xFF00 || f->Gmask == 0xFF0000);
    if (!is565 && !is888) return 0;
    const SDL_Rect& clip = dst->clip_rect;
    if (w > clip.x + clip.w) w = clip.x + clip.w;
    if (h > clip.y + clip.h) h = clip.y + clip.h;
    if (clip.x > 0 || clip.y > 0) return 0; // a clip rectangle inside the frame: left to SDL
    if (w <= 0 || h <= 0) return 1;
    int n = w * f->BytesPerPixel, rows = h;
    if (dst->pitch == n) n *= h, rows = 1; // whole rows one after the other: one long span
    uint8_t* row = (uint8_t*)dst->pixels;
    for (int y = 0; y < rows; y++, row += dst->pitch) {
        if (is565)
            halve565(row, n);
        else
            halve888(row, n);
    }
    return 1;
}
