// The night sky behind the play area (stars, hills, a town skyline) and the moon.
// The back picture repeats sideways, so every shape here is periodic in 640 pixels.
#include "gfxart.h"

#include <cmath>

namespace {

constexpr int BACK_W = 640;
constexpr int BACK_H = 192;
constexpr int MOON_SIZE = 40;

// Colours of the classic and the deluxe sky.
struct SkyLook {
    uint32_t skyTop, skyLow, farHill, town, window, nearHill, star;
    bool flat; // classic: bands of flat colour instead of gradients
};
const SkyLook skyLooks[2] = {
    {0x000000, 0x000000, 0x1c2470, 0x000000, 0xf8d040, 0x186018, 0xf8f8f8, true},
    {0x000000, 0x2a3478, 0x1c2a4c, 0x12142a, 0xffd870, 0x0c1c18, 0xf0f0ff, false},
};

// A hill line that wraps round: the sum of sines whose periods divide the width.
int hillHeight(int x, int base, double amp, int seed) {
    double t = x * 2 * M_PI / BACK_W, h = 0;
    for (int k = 1; k <= 4; k++) {
        int period = k + (picNoise(k, seed, 9) % 3); // whole numbers of waves per picture
        double phase = (picNoise(k, seed, 10) % 628) / 100.0;
        h += picSin(t * period + phase) * amp / k;
    }
    return base - static_cast<int>(h);
}

} // namespace

// The back picture of the classic (set 0) or deluxe (set 1) graphics, 640 x 192. Called by buildGfx.
Pic makeBack(int set) {
    const SkyLook& s = skyLooks[set == SET_CLASSIC ? 0 : 1];
    Pic p = picNew(BACK_W, BACK_H, s.skyTop);
    // sky: black at the top (it meets the black fill above) to a deep blue at the horizon
    for (int y = 0; y < BACK_H; y++) {
        int t = y * 256 / BACK_H;
        uint32_t c = picMix(s.skyTop, s.skyLow, t * t / 256);
        if (s.flat) c = s.skyTop; // the classic night is plain black
        for (int x = 0; x < BACK_W; x++) picPut(p, x, y, c);
    }
    // stars, a few of them bigger, all placed by fixed noise
    for (int i = 0; i < 220; i++) {
        int x = picNoise(i, 0, 31) % BACK_W, y = 24 + picNoise(i, 1, 31) % 110; // none in the black top
        int b = 120 + picNoise(i, 2, 31) % 136;
        uint32_t c = s.flat ? s.star : picMix(0x000000, s.star, b);
        picPut(p, x, y, c);
        if (picNoise(i, 3, 31) % 9 == 0) {
            uint32_t d = s.flat ? s.star : picMix(0x000000, s.star, b / 2);
            picPut(p, (x + BACK_W - 1) % BACK_W, y, d); // wrap round like the picture does
            picPut(p, (x + 1) % BACK_W, y, d);
            picPut(p, x, y - 1, d);
            picPut(p, x, y + 1, d);
        }
    }
    // far hills, their ridges caught by the moonlight
    for (int x = 0; x < BACK_W; x++) {
        int top = hillHeight(x, 112, 20.0, 1);
        for (int y = top; y < BACK_H; y++) {
            uint32_t c =
                s.flat ? s.farHill : picMix(s.farHill, 0x0c1428, (y - top) * 3 > 256 ? 256 : (y - top) * 3);
            if (!s.flat && y == top) c = picMix(s.farHill, 0x6878a8, 120);
            picPut(p, x, y, c);
        }
    }
    // the town: blocks of houses and towers with lit windows, laid out in a loop of 640
    int x = 0, b = 0;
    while (x < BACK_W) {
        int bw = 14 + picNoise(b, 0, 55) % 22;
        if (x + bw > BACK_W) bw = BACK_W - x;
        int bh = 22 + picNoise(b, 1, 55) % 38;
        if (picNoise(b, 2, 55) % 5 == 0) bh += 18; // now and then a tower
        int top = 168 - bh;
        bool gap = picNoise(b, 3, 55) % 6 == 0;
        if (!gap) {
            picFill(p, x, top, bw, BACK_H - top, s.town);
            if (picNoise(b, 4, 55) % 3 == 0) picFill(p, x + bw / 2 - 1, top - 6, 2, 6, s.town); // antenna
            for (int wy = top + 4; wy < 164; wy += 6)
                for (int wx = x + 3; wx + 2 < x + bw - 1; wx += 5)
                    if (picNoise(wx, wy, 56) % 5 < 2) {
                        uint32_t wc =
                            s.flat ? s.window : picMix(s.window, s.town, picNoise(wx, wy, 57) % 120);
                        picFill(p, wx, wy, 2, 3, wc);
                    }
        }
        x += bw + (gap ? 0 : 1);
        b++;
    }
    // near hills in front of the town
    for (int x2 = 0; x2 < BACK_W; x2++) {
        int top = hillHeight(x2, 174, 12.0, 2);
        for (int y = top; y < BACK_H; y++) {
            uint32_t c = s.flat ? s.nearHill
                                : picMix(picMix(s.nearHill, 0x3a6a40, 70), s.nearHill,
                                         (y - top) * 40 > 256 ? 256 : (y - top) * 40);
            picPut(p, x2, y, c);
        }
    }
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
