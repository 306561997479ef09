// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The night behind the play area, and the moon. One picture sits behind every theme
// (meadow, forest, cave, castle, ice, night), so it shows nothing that belongs to only
// one of them: a starry sky, a far range of snowy peaks, a nearer dark ridge and a
// valley of haze that sinks into black. The lower band is the darkest part because it
// is what a pit in the ground shows, and a pit must look deep, not like a hill.
// The back picture repeats sideways, so every shape here is periodic in 640 pixels.
#include "gfxart.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr int BACK_W = 640;
constexpr int BACK_H = 192;
constexpr int MOON_SIZE = 40;
constexpr int BAND_TOP = 150; // from here down: the dark valley floor that pits show

// Colours of the classic and the deluxe night.
struct SkyLook {
    uint32_t skyTop, skyLow;     // the sky, from the top row to the horizon
    uint32_t farRock, farLit;    // far peaks: faces in shadow and faces in moonlight
    uint32_t snow, snowShade;    // snow on the high peaks, lit and in shadow
    uint32_t nearRidge, nearRim; // the nearer ridge and its moonlit rim
    uint32_t haze;               // thin mist over the valley
    uint32_t bandTop, bandLow;   // the valley floor, top of the lower band to the bottom row
    uint32_t star;
    bool flat; // classic: flat colours, no gradients, no haze
};
const SkyLook skyLooks[2] = {
    {0x000000, 0x000000, 0x202450, 0x343c6c, 0xb8b8b8, 0x707080, 0x141834, 0x141834, 0x000000, 0x000000,
     0x000000, 0xf8f8f8, true},
    {0x03040a, 0x1c2452, 0x1c2246, 0x2c3462, 0xb0bce0, 0x646e9c, 0x10152a, 0x2e3a66, 0x28304e, 0x0a0c18,
     0x020204, 0xf0f0ff, false},
};

// One peak of the far range: its summit, its height over the range's foot and the
// steepness of its flanks (pixels down per pixel across, in 16ths).
struct Peak {
    int cx, height, slope;
};
constexpr int NUM_PEAKS = 9;
constexpr int PEAK_FOOT = 124;

// The peaks, placed by fixed noise and ordered tallest first, so the lower ones stand in front.
void makePeaks(Peak* peaks) {
    for (int i = 0; i < NUM_PEAKS; i++)
        peaks[i] = {i * BACK_W / NUM_PEAKS + static_cast<int>(picNoise(i, 0, 14) % 40),
                    26 + static_cast<int>(picNoise(i, 1, 14) % 40),
                    14 + static_cast<int>(picNoise(i, 2, 14) % 10)};
    for (int i = 1; i < NUM_PEAKS; i++)
        for (int j = i; j > 0 && peaks[j].height > peaks[j - 1].height; j--)
            std::swap(peaks[j], peaks[j - 1]);
}

// A gentle ridge that wraps round: the sum of sines whose periods divide the width.
int ridgeTop(int x, int base, double amp, int seed) {
    const double t = x * 2 * M_PI / BACK_W;
    double h = 0;
    for (int k = 1; k <= 4; k++) {
        const int waves = k + 1 + static_cast<int>(picNoise(k, seed, 9) % 3);
        const double phase = (picNoise(k, seed, 10) % 628) / 100.0;
        h += picSin(t * waves + phase) * amp / k;
    }
    return base - static_cast<int>(h);
}

int clamp256(int v) {
    return v < 0 ? 0 : v > 256 ? 256 : v;
}

// The sky and its stars.
void drawSky(Pic& p, const SkyLook& s) {
    for (int y = 0; y < BACK_H; y++) {
        const int t = clamp256(y * 256 / BAND_TOP);
        const uint32_t c = s.flat ? s.skyTop : picMix(s.skyTop, s.skyLow, t * t / 256);
        for (int x = 0; x < BACK_W; x++) picPut(p, x, y, c);
    }
    for (int i = 0; i < 200; i++) {
        const int x = picNoise(i, 0, 31) % BACK_W, y = 6 + picNoise(i, 1, 31) % 104;
        const int b = 110 + picNoise(i, 2, 31) % 146;
        if (s.flat && b < 180) continue; // the classic sky keeps only the bright stars
        picPut(p, x, y, s.flat ? s.star : picMix(picGet(p, x, y), s.star, b));
        if (picNoise(i, 3, 31) % 11 == 0) { // a few big ones with a cross of light
            const uint32_t d = s.flat ? s.star : picMix(picGet(p, x, y + 2), s.star, b / 3);
            picPut(p, (x + BACK_W - 1) % BACK_W, y, d); // wrap round like the picture does
            picPut(p, (x + 1) % BACK_W, y, d);
            picPut(p, x, y - 1, d);
            picPut(p, x, y + 1, d);
        }
    }
}

// The far range: each peak's left face in moonlight, its right face in shadow, snow on top.
void drawPeaks(Pic& p, const SkyLook& s) {
    Peak peaks[NUM_PEAKS];
    makePeaks(peaks);
    for (int i = 0; i < NUM_PEAKS; i++) {
        const Peak& k = peaks[i];
        const int summit = PEAK_FOOT - k.height;
        const int depth = i * 256 / NUM_PEAKS / 4; // lower peaks stand nearer: a touch darker
        for (int x = k.cx - 200; x <= k.cx + 200; x++) {
            const int dx = x - k.cx, wx = ((x % BACK_W) + BACK_W) % BACK_W;
            const int grit = static_cast<int>(picNoise(wx / 2, i, 11) % 2);
            const int top = summit + std::abs(dx) * k.slope / 16 + grit;
            // the line between light and shade runs down from the summit, a little crooked
            const int divide = (top - summit) / 3 + static_cast<int>(picNoise(x / 3, i, 12) % 2);
            for (int y = top > 0 ? top : 0; y < BAND_TOP; y++) {
                const bool lit = dx < (y - summit) * 5 / 16 - divide / 4;
                const bool snowy = k.height > 34 &&
                                   y < summit + k.height / 4 + static_cast<int>(picNoise(wx / 3, i, 15) % 4);
                uint32_t c = snowy ? (lit ? s.snow : s.snowShade) : (lit ? s.farLit : s.farRock);
                if (!s.flat) {
                    c = picMix(c, 0x000000, depth);
                    c = picMix(c, s.skyLow, clamp256((y - summit) * 2)); // fades into the haze below
                }
                picPut(p, wx, y, c);
            }
        }
    }
}

// The nearer ridge, darker and lower, and the haze that lies in the valley.
void drawRidge(Pic& p, const SkyLook& s) {
    for (int x = 0; x < BACK_W; x++) {
        const int top = ridgeTop(x, 136, 9.0, 2);
        for (int y = top; y < BAND_TOP; y++) {
            uint32_t c = s.nearRidge;
            if (!s.flat && y == top) c = s.nearRim;
            if (!s.flat) c = picMix(c, s.bandTop, clamp256((y - top) * 256 / (BAND_TOP - top + 1)));
            picPut(p, x, y, c);
        }
    }
    if (s.flat) return;
    for (int y = 124; y < BAND_TOP; y++) {
        const int w = 80 - std::abs(y - 140) * 80 / 14; // thickest a little above the valley floor
        if (w <= 0) continue;
        for (int x = 0; x < BACK_W; x++) {
            const int wave = static_cast<int>(picNoise(x / 8, y / 3, 13) % 24);
            picPut(p, x, y, picMix(picGet(p, x, y), s.haze, clamp256(w - wave)));
        }
    }
}

// The valley floor: the lower band, darkening to the bottom row.
void drawBand(Pic& p, const SkyLook& s) {
    for (int y = BAND_TOP; y < BACK_H; y++) {
        const int t = (y - BAND_TOP) * 256 / (BACK_H - 1 - BAND_TOP);
        const uint32_t c = s.flat ? s.bandTop : picMix(s.bandTop, s.bandLow, t);
        for (int x = 0; x < BACK_W; x++) {
            picPut(p, x, y, c);
        }
    }
}

} // namespace

// The back picture of the classic (set 0) or deluxe (set 1) graphics, 640 x 192. Called by buildGfx.
Pic makeBack(int set) {
    const SkyLook& s = skyLooks[set == SET_CLASSIC ? 0 : 1];
    Pic p = picNew(BACK_W, BACK_H, s.skyTop);
    drawSky(p, s);
    drawPeaks(p, s);
    drawRidge(p, s);
    drawBand(p, s);
    return p;
}

// A pale full moon with soft craters, 40 x 40 on magenta. Called by buildGfx.
Pic makeMoon() {
    Pic p = picNew(MOON_SIZE, MOON_SIZE, PIC_KEY);
    const double r = MOON_SIZE / 2.0 - 1, c = MOON_SIZE / 2.0;
    static const int craters[][3] = {{14, 13, 5}, {25, 22, 4}, {17, 27, 3}, {27, 11, 2}, {10, 21, 2}};
    for (int y = 0; y < MOON_SIZE; y++)
        for (int x = 0; x < MOON_SIZE; x++) {
            double dx = x + 0.5 - c, dy = y + 0.5 - c, d = std::sqrt(dx * dx + dy * dy);
            if (d > r) continue;
            // lit from the upper left, darker towards the lower-right rim
            int light = 256 - static_cast<int>((dx + dy + r * 1.4) * 40 / r);
            uint32_t col = picMix(0xfff8e0, 0xb8b090, 256 - (light < 0 ? 0 : light > 256 ? 256 : light));
            for (const auto& k : craters) {
                int ex = x - k[0], ey = y - k[1];
                if (ex * ex + ey * ey <= k[2] * k[2]) col = picScale(col, 86);
            }
            if (d > r - 1) col = picMix(col, 0x807860, 100);
            picPut(p, x, y, col);
        }
    return p;
}
