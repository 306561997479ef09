// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Our own blitters against SDL's: every pixel they draw must be the one SDL's
// blit, fill or 50 % blend would have drawn, in the 5-6-5 and the 24-bit frame
// formats, at every clipping position, for every pixel value that matters.
#include "6draw/blit.h"

#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Fills a surface's pixels with pseudo-random bytes from seed.
void scramble(SDL_Surface* s, unsigned seed) {
    for (int y = 0; y < s->h; y++)
        for (int i = 0; i < s->w * s->format->BytesPerPixel; i++) {
            seed = seed * 1103515245u + 12345u;
            ((uint8_t*)s->pixels)[y * s->pitch + i] = (uint8_t)(seed >> 16);
        }
}

// A copy of a surface in its own format.
SDL_Surface* copyOf(SDL_Surface* s) {
    SDL_Surface* c = frameSurface(s->format->BitsPerPixel, s->w, s->h);
    for (int y = 0; y < s->h; y++)
        memcpy((uint8_t*)c->pixels + y * c->pitch, (uint8_t*)s->pixels + y * s->pitch,
               (size_t)s->w * s->format->BytesPerPixel);
    return c;
}

// The first pixel where two surfaces of one size and format differ, as "x,y", or "".
std::string firstDifference(SDL_Surface* a, SDL_Surface* b) {
    for (int y = 0; y < a->h; y++)
        for (int x = 0; x < a->w; x++)
            if (pixelAt(a, x, y) != pixelAt(b, x, y)) return std::to_string(x) + "," + std::to_string(y);
    return "";
}

// A keyed picture: random pixels, a share of them the key colour (magenta),
// whole rows of key and whole opaque rows among them.
SDL_Surface* keyedPicture(int bpp, int w, int h, unsigned seed) {
    SDL_Surface* p = frameSurface(bpp, w, h);
    scramble(p, seed);
    const Uint32 key = SDL_MapRGB(p->format, 255, 0, 255);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            seed = seed * 1103515245u + 12345u;
            const bool transparent = y == 1 || (y != 2 && (seed >> 16) % 3 == 0) || (y == 3 && x < w / 2);
            if (transparent)
                memcpy((uint8_t*)p->pixels + y * p->pitch + x * p->format->BytesPerPixel, &key,
                       p->format->BytesPerPixel);
        }
    SDL_SetColorKey(p, SDL_SRCCOLORKEY, key);
    return p;
}

class Blit : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0); }
    void TearDown() override { SDL_Quit(); }
};

// Our blit of a picture and SDL's, from the same frame, give the same frame and rectangle.
void expectSameBlit(SDL_Surface* pic, SDL_Rect* srcRect, SDL_Surface* frame, int x, int y,
                    const std::string& what) {
    SDL_Surface* mine = copyOf(frame);
    SDL_Surface* sdl = copyOf(frame);
    SDL_Rect a = {(Sint16)x, (Sint16)y, 0, 0}, b = a;
    SDL_Rect srcA, srcB;
    if (srcRect) srcA = srcB = *srcRect;
    ASSERT_EQ(fastBlit(pic, srcRect ? &srcA : nullptr, mine, &a), 1) << what;
    SDL_UpperBlit(pic, srcRect ? &srcB : nullptr, sdl, &b);
    EXPECT_EQ(firstDifference(mine, sdl), "") << what << " at " << x << "," << y;
    EXPECT_TRUE(a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h)
        << what << " at " << x << "," << y << ": rectangle " << a.x << "," << a.y << " " << a.w << "x" << a.h
        << ", SDL's " << b.x << "," << b.y << " " << b.w << "x" << b.h;
    SDL_FreeSurface(mine);
    SDL_FreeSurface(sdl);
}

// Positions of a picture of size n along a frame side of size m: wholly out, one
// pixel in, half in, whole, at every edge.
std::vector<int> edges(int n, int m) {
    return {-n - 1,    -n,    -n + 1,    -n / 2,    -1,    0, 1,    m / 2,
            m - n - 1, m - n, m - n + 1, m - n / 2, m - 1, m, m + 1};
}

} // namespace

// Keyed pictures of tile, glyph and odd sizes, and plain ones, at every position from
// wholly off the left and top to wholly off the right and bottom of a small frame,
// onto frames of 2, 3 and 4 bytes a pixel; and parts of a tile (rectangles reaching
// past its edges or starting before them), also into a frame clipped smaller.
TEST_F(Blit, PicturesDrawAsSDLDrawsThemAtEveryClippingPosition) {
    const struct { int w, h; } sizes[] = {{16, 16}, {8, 8}, {13, 7}, {2, 3}, {40, 5}};
    const SDL_Rect parts[] = {{0, 0, 16, 16}, {3, 2, 8, 9}, {-4, -3, 10, 10}, {10, 12, 20, 20}, {0, 0, 0, 5}};
    SDL_Rect clip = {5, 4, 23, 17};
    for (int bpp : {16, 24, 32}) {
        SDL_Surface* frame = frameSurface(bpp, 48, 40);
        scramble(frame, 7);
        for (const auto& size : sizes) {
            for (int keyed = 0; keyed < 2; keyed++) {
                SDL_Surface* pic = keyedPicture(bpp, size.w, size.h, 99 + size.w);
                if (!keyed) SDL_SetColorKey(pic, 0, 0);
                stampSurface(pic);
                const std::string what = std::to_string(bpp) + " bits, " + std::to_string(size.w) + "x" +
                                         std::to_string(size.h) + (keyed ? " keyed" : " plain");
                for (int y : edges(size.h, frame->h))
                    for (int x : edges(size.w, frame->w)) expectSameBlit(pic, nullptr, frame, x, y, what);
                for (SDL_Rect* c : {(SDL_Rect*)nullptr, &clip}) {
                    SDL_SetClipRect(frame, c);
                    for (SDL_Rect part : parts)
                        for (int y = -20; y <= 42 && keyed && size.w == 16; y += 3)
                            for (int x = -20; x <= 50; x += 3)
                                expectSameBlit(pic, &part, frame, x, y,
                                               what + ", part " + std::to_string(part.x) + "," +
                                                   std::to_string(part.y) + (c ? ", clipped" : ""));
                }
                SDL_SetClipRect(frame, nullptr);
                unstampSurface(pic);
                SDL_FreeSurface(pic);
            }
        }
        SDL_FreeSurface(frame);
    }
    EXPECT_EQ(stampCount(), 0);
}

// What the fast blit must leave to SDL: a keyed picture never prepared, per-surface
// alpha, another format, a picture blitted onto itself.
TEST_F(Blit, WhatItCannotDrawExactlyIsLeftToSDL) {
    SDL_Surface* frame = frameSurface(16, 32, 32);
    SDL_Surface* keyed = keyedPicture(16, 8, 8, 1);
    SDL_Surface* other = keyedPicture(24, 8, 8, 1);
    SDL_Surface* alpha = frameSurface(16, 8, 8);
    SDL_SetAlpha(alpha, SDL_SRCALPHA, 128);
    SDL_Rect at = {0, 0, 0, 0};
    EXPECT_EQ(fastBlit(keyed, nullptr, frame, &at), 0) << "a keyed picture that was not prepared";
    EXPECT_EQ(fastBlit(alpha, nullptr, frame, &at), 0) << "per-surface alpha";
    stampSurface(other);
    EXPECT_EQ(fastBlit(other, nullptr, frame, &at), 0) << "a 24-bit picture onto a 16-bit frame";
    EXPECT_EQ(fastBlit(frame, nullptr, frame, &at), 0) << "onto itself";
    stampSurface(alpha);
    EXPECT_EQ(stampCount(), 1) << "only the keyed picture is prepared";
    unstampSurface(other);
    for (SDL_Surface* s : {frame, keyed, other, alpha}) SDL_FreeSurface(s);
}

// Many prepared pictures, freed in a scattered order: every one still prepared
// draws its own pixels (a lost or mixed-up entry would draw another's or fall
// back), and a table too full to take more leaves the rest to SDL.
TEST_F(Blit, PreparedPicturesAreFoundUntilForgotten) {
    const int count = 1800; // more than the table takes
    std::vector<SDL_Surface*> pics;
    for (int i = 0; i < count; i++) {
        pics.push_back(keyedPicture(16, 4, 2, 1000 + i));
        stampSurface(pics.back());
    }
    const int prepared = stampCount();
    EXPECT_GT(prepared, 1000);
    EXPECT_LT(prepared, count);
    for (int i = 0; i < count; i += 3) {
        unstampSurface(pics[i]);
        unstampSurface(pics[i]); // twice is harmless
    }
    SDL_Surface* frame = frameSurface(16, 8, 4);
    int drawn = 0;
    for (int i = 0; i < count; i++) {
        if (i % 3 == 0) {
            SDL_Rect at = {0, 0, 0, 0};
            EXPECT_EQ(fastBlit(pics[i], nullptr, frame, &at), 0) << "picture " << i << " was forgotten";
            continue;
        }
        scramble(frame, (unsigned)i);
        SDL_Rect at = {0, 0, 0, 0};
        if (fastBlit(pics[i], nullptr, frame, &at) == 0) continue; // one the full table never took
        drawn++;
        SDL_Surface* want = copyOf(frame);
        scramble(want, (unsigned)i);
        SDL_Rect b = {0, 0, 0, 0};
        SDL_UpperBlit(pics[i], nullptr, want, &b);
        EXPECT_EQ(firstDifference(frame, want), "") << "picture " << i;
        SDL_FreeSurface(want);
    }
    EXPECT_EQ(drawn, stampCount());
    for (SDL_Surface* p : pics) {
        unstampSurface(p);
        SDL_FreeSurface(p);
    }
    EXPECT_EQ(stampCount(), 0);
    SDL_FreeSurface(frame);
}

// Fills of plain and patterned colours, clipped at every edge, narrow and wide, as SDL_FillRect.
TEST_F(Blit, FillsAreSDLsFills) {
    const SDL_Rect rects[] = {{0, 0, 40, 30}, {-5, -5, 12, 9},  {3, 4, 1, 1},   {2, 7, 3, 2},
                              {5, 1, 9, 6},   {30, 20, 50, 50}, {39, 29, 1, 1}, {41, 0, 5, 5}};
    for (int bpp : {16, 24, 32}) {
        SDL_Surface* mine = frameSurface(bpp, 40, 30);
        SDL_Surface* sdl = frameSurface(bpp, 40, 30);
        const Uint32 colours[] = {0, SDL_MapRGB(mine->format, 255, 255, 255),
                                  SDL_MapRGB(mine->format, 255, 0, 0), SDL_MapRGB(mine->format, 12, 200, 77),
                                  0x12345678};
        for (Uint32 c : colours)
            for (const SDL_Rect& r : rects) {
                scramble(mine, c + r.x);
                scramble(sdl, c + r.x);
                SDL_Rect a = r, b = r;
                ASSERT_EQ(fastFill(mine, &a, c), 1);
                SDL_FillRect(sdl, &b, c);
                EXPECT_EQ(firstDifference(mine, sdl), "")
                    << bpp << " bits, colour " << std::hex << c << std::dec << ", rect " << r.x << "," << r.y
                    << " " << r.w << "x" << r.h;
            }
        SDL_FreeSurface(mine);
        SDL_FreeSurface(sdl);
    }
}

// The darkening halves exactly as SDL's blend of black at alpha 128: every 16-bit
// pixel value, every byte value in each byte of a 24-bit pixel, in frames whose
// rows are whole wide steps and ones that leave a tail, and with the rectangle
// smaller than the frame (the HUD band below it and a strip at its right stay).
TEST_F(Blit, HalvingIsSDLsHalfBlendOfBlackForEveryPixelValue) {
    const struct {
        int bpp, w, h, darkW, darkH;
    } cases[] = {{16, 256, 256, 256, 256}, {16, 37, 11, 37, 11}, {16, 50, 20, 41, 13},
                 {24, 256, 256, 256, 256}, {24, 37, 11, 37, 11}, {24, 50, 20, 41, 13}};
    for (const auto& c : cases) {
        SDL_Surface* mine = frameSurface(c.bpp, c.w, c.h);
        if (c.w == 256) {
            // 16 bits: pixel (x, y) holds x + 256 y, all 65536 values. 24 bits: bytes x, y, x ^ y.
            for (int y = 0; y < 256; y++)
                for (int x = 0; x < 256; x++) {
                    Uint32 v = c.bpp == 16 ? (Uint32)(x + 256 * y) : (Uint32)(x | y << 8 | (x ^ y) << 16);
                    memcpy((uint8_t*)mine->pixels + y * mine->pitch + x * mine->format->BytesPerPixel, &v,
                           mine->format->BytesPerPixel);
                }
        } else {
            scramble(mine, (unsigned)c.w);
        }
        SDL_Surface* sdl = copyOf(mine);
        SDL_Surface* black = frameSurface(c.bpp, c.darkW, c.darkH);
        SDL_FillRect(black, nullptr, SDL_MapRGB(black->format, 0, 0, 0));
        SDL_SetAlpha(black, SDL_SRCALPHA, 128);
        SDL_Rect at = {0, 0, 0, 0};
        SDL_UpperBlit(black, nullptr, sdl, &at);
        ASSERT_EQ(fastHalve(mine, c.darkW, c.darkH), 1);
        EXPECT_EQ(firstDifference(mine, sdl), "") << c.bpp << " bits, " << c.w << "x" << c.h;
        for (SDL_Surface* s : {mine, sdl, black}) SDL_FreeSurface(s);
    }
}
