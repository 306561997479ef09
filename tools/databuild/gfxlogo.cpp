// The BLOMP title logo: chunky letters from a coarse grid, smoothed, outlined and shaded.
#include "gfxart.h"

namespace {

constexpr int LETTER_ROWS = 7;
constexpr int CELL = 8; // every grid cell becomes 8 x 8 pixels
constexpr int LOGO_W = 248;
constexpr int LOGO_H = 80;

// The five letters on a 7-row grid; '#' is ink.
const char* const letterB[LETTER_ROWS] = {"#####.", "##..##", "##..##", "#####.", "##..##", "##..##", "#####."};
const char* const letterL[LETTER_ROWS] = {"##....", "##....", "##....", "##....", "##....", "##....", "######"};
const char* const letterO[LETTER_ROWS] = {".####.", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."};
const char* const letterM[LETTER_ROWS] = {"##...##", "###.###", "#######", "##.#.##", "##...##", "##...##",
                                          "##...##"};
const char* const letterP[LETTER_ROWS] = {"#####.", "##..##", "##..##", "#####.", "##....", "##....", "##...."};
const char* const* const letters[5] = {letterB, letterL, letterO, letterM, letterP};
const int bob[5] = {6, 2, 0, 2, 6}; // the letters sit on a gentle arch

// Colours of one look: fill gradient, rim light, outline, drop shadow.
struct LogoLook {
    uint32_t top, bottom, rim, outline, shadow;
};
const LogoLook looks[NUM_SETS] = {
    {0xffe040, 0xf06010, 0xfffff0, 0x301008, 0x000000},
    {0xffe040, 0xf06010, 0xfffff0, 0x301008, 0x000000},
    {0xc8d4a8, 0x8c9c74, 0xc8d4a8, 0x1c2418, 0x4e5c44},
};

// One smoothing doubling of a mask: corners follow two agreeing neighbours.
std::vector<uint8_t> smoothDouble(const std::vector<uint8_t>& m, int w, int h) {
    std::vector<uint8_t> o(static_cast<size_t>(w) * h * 4);
    auto at = [&](int x, int y) -> uint8_t { return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : m[y * w + x]; };
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t p = at(x, y), a = at(x, y - 1), b = at(x + 1, y), c = at(x - 1, y), d = at(x, y + 1);
            o[(2 * y) * 2 * w + 2 * x] = (c == a && c != d && a != b) ? a : p;
            o[(2 * y) * 2 * w + 2 * x + 1] = (a == b && a != c && b != d) ? b : p;
            o[(2 * y + 1) * 2 * w + 2 * x] = (d == c && d != b && c != a) ? c : p;
            o[(2 * y + 1) * 2 * w + 2 * x + 1] = (b == d && b != a && d != c) ? d : p;
        }
    return o;
}

} // namespace

// The logo on magenta, about 248 x 80. Called by buildGfx for "logo" and "gblogo".
Pic makeLogo(int set) {
    const LogoLook& look = looks[set];
    // lay the letters out on one coarse mask, one blank column between letters
    const int gw = 6 + 6 + 6 + 7 + 6 + 4, gh = LETTER_ROWS;
    std::vector<uint8_t> mask(static_cast<size_t>(gw) * gh, 0);
    std::vector<int> owner(static_cast<size_t>(gw), -1);
    int gx = 0;
    for (int l = 0; l < 5; l++) {
        int lw = static_cast<int>(std::string(letters[l][0]).size());
        for (int y = 0; y < gh; y++)
            for (int x = 0; x < lw; x++)
                if (letters[l][y][x] == '#') mask[y * gw + gx + x] = 1;
        for (int x = 0; x < lw; x++) owner[gx + x] = l;
        gx += lw + 1;
    }
    // three doublings: 8 pixels a cell with rounded corners and smooth diagonals
    int w = gw, h = gh;
    for (int i = 0; i < 3; i++) {
        mask = smoothDouble(mask, w, h);
        w *= 2;
        h *= 2;
    }
    Pic p = picNew(LOGO_W, LOGO_H, PIC_KEY);
    const int ox = (LOGO_W - w) / 2, oy = 6;
    auto inked = [&](int x, int y) {
        // each letter column is lifted by its bob offset
        if (x < 0 || x >= w) return false;
        int l = owner[x / CELL];
        int yy = y + (l >= 0 ? bob[l] : 0) - 6;
        return yy >= 0 && yy < h && mask[yy * w + x] != 0;
    };
    // shadow, outline, then the gradient fill with a light rim at the top left of each stroke
    for (int y = 0; y < LOGO_H; y++)
        for (int x = 0; x < LOGO_W; x++)
            if (inked(x - ox - 4, y - oy - 4 + 6)) picPut(p, x, y, look.shadow);
    for (int y = 0; y < LOGO_H; y++)
        for (int x = 0; x < LOGO_W; x++) {
            bool near = false;
            for (int j = -3; j <= 3 && !near; j++)
                for (int i = -3; i <= 3 && !near; i++)
                    if (i * i + j * j <= 10 && inked(x - ox + i, y - oy + j + 6)) near = true;
            if (near) picPut(p, x, y, look.outline);
        }
    for (int y = 0; y < LOGO_H; y++)
        for (int x = 0; x < LOGO_W; x++) {
            if (!inked(x - ox, y - oy + 6)) continue;
            uint32_t c = picMix(look.top, look.bottom, (y - oy) * 256 / (LETTER_ROWS * CELL + 6));
            if (!inked(x - ox - 2, y - oy + 6 - 2)) c = look.rim;
            else if (!inked(x - ox + 2, y - oy + 6 + 2)) c = picMix(c, look.outline, 90);
            if (set == SET_GB) c = picToGb(c);
            picPut(p, x, y, c);
        }
    return p;
}
