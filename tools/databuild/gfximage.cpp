// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Pixel grids, colours, the BMP writer and the pixel-art reader of the picture builder.
#include "gfximage.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

const uint32_t picGbShades[4] = {0xc8d4a8, 0x8c9c74, 0x4e5c44, 0x1c2418};

namespace {

// The classic set's fixed palette: twenty flat colours of our own choosing. Water (the
// blues), the soils (browns, the dark purple of the night) and the black of a pit are
// kept far apart, so no ground can be taken for water.
const uint32_t classicPalette[] = {
    0x000000, 0x1c2470, 0x3050d0, 0x70b8f8, 0x186018, 0x38b030, 0x98e858, 0x784820, 0xc87830, 0xf8d040,
    0xd02828, 0x801010, 0x9040b0, 0x707070, 0xb8b8b8, 0xf8f8f8, 0x4c2040, 0x4a2c18, 0x38383c, 0x1e6c64,
};
constexpr int numClassic = sizeof(classicPalette) / sizeof(classicPalette[0]);

int chanR(uint32_t c) {
    return (c >> 16) & 255;
}
int chanG(uint32_t c) {
    return (c >> 8) & 255;
}
int chanB(uint32_t c) {
    return c & 255;
}

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}

void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

// Reads a hex colour "rrggbb"; false on anything else.
bool parseHex(const std::string& s, uint32_t& out) {
    if (s.size() != 6) return false;
    uint32_t v = 0;
    for (char ch : s) {
        int d;
        if (ch >= '0' && ch <= '9')
            d = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            d = ch - 'A' + 10;
        else
            return false;
        v = v * 16 + d;
    }
    out = v;
    return true;
}

// Reads a whole decimal number in 0..max; false on anything else.
bool parseNum(const std::string& s, int max, int& out) {
    if (s.empty() || s.size() > 6) return false;
    int v = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + (ch - '0');
    }
    if (v > max) return false;
    out = v;
    return true;
}

} // namespace

// A picture of one colour; used by every generator.
Pic picNew(int w, int h, uint32_t fill) {
    Pic p;
    p.w = w;
    p.h = h;
    p.px.assign(static_cast<size_t>(w) * h, fill);
    return p;
}

// One pixel, 0 outside the picture.
uint32_t picGet(const Pic& p, int x, int y) {
    if (x < 0 || y < 0 || x >= p.w || y >= p.h) return 0;
    return p.px[static_cast<size_t>(y) * p.w + x];
}

// Sets one pixel; pixels outside the picture are dropped.
void picPut(Pic& p, int x, int y, uint32_t c) {
    if (x < 0 || y < 0 || x >= p.w || y >= p.h) return;
    p.px[static_cast<size_t>(y) * p.w + x] = c;
}

// Fills a rectangle, clipped to the picture.
void picFill(Pic& p, int x, int y, int w, int h, uint32_t c) {
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++) picPut(p, i, j, c);
}

// Copies a block between pictures; keyed leaves the target where the source is magenta.
void picBlit(Pic& dst, const Pic& src, int sx, int sy, int w, int h, int dx, int dy, bool keyed) {
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) {
            if (sx + i < 0 || sy + j < 0 || sx + i >= src.w || sy + j >= src.h) continue;
            uint32_t c = picGet(src, sx + i, sy + j);
            if (keyed && c == PIC_KEY) continue;
            picPut(dst, dx + i, dy + j, c);
        }
}

// The picture turned to face the other way (walking left from walking right).
Pic picMirror(const Pic& p) {
    Pic m = picNew(p.w, p.h, 0);
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) picPut(m, p.w - 1 - x, y, picGet(p, x, y));
    return m;
}

// A colour from channels, each held to 0..255 so gradients may overshoot.
uint32_t picRgb(int r, int g, int b) {
    r = r < 0 ? 0 : (r > 255 ? 255 : r);
    g = g < 0 ? 0 : (g > 255 ? 255 : g);
    b = b < 0 ? 0 : (b > 255 ? 255 : b);
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

// Linear blend of two colours.
uint32_t picMix(uint32_t a, uint32_t b, int t) {
    return picRgb(chanR(a) + (chanR(b) - chanR(a)) * t / 256, chanG(a) + (chanG(b) - chanG(a)) * t / 256,
                  chanB(a) + (chanB(b) - chanB(a)) * t / 256);
}

// Darker (below 100) or brighter (above 100) version of a colour.
uint32_t picScale(uint32_t c, int pct) {
    return picRgb(chanR(c) * pct / 100, chanG(c) * pct / 100, chanB(c) * pct / 100);
}

// Perceived brightness, the weights of television luma.
int picLuma(uint32_t c) {
    return (chanR(c) * 77 + chanG(c) * 150 + chanB(c) * 29) >> 8;
}

// The handheld look: four shades by brightness; the key colour is kept as it is.
uint32_t picToGb(uint32_t c) {
    if (c == PIC_KEY) return c;
    int l = picLuma(c);
    if (l >= 170) return picGbShades[0];
    if (l >= 105) return picGbShades[1];
    if (l >= 45) return picGbShades[2];
    return picGbShades[3];
}

// The classic look: the nearest of the twenty fixed colours.
uint32_t picToClassic(uint32_t c) {
    if (c == PIC_KEY) return c;
    int best = 0;
    long bestD = -1;
    for (int i = 0; i < numClassic; i++) {
        uint32_t p = classicPalette[i];
        long dr = chanR(p) - chanR(c), dg = chanG(p) - chanG(c), db = chanB(p) - chanB(c);
        long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return classicPalette[best];
}

// Repeatable noise: the same position and seed give the same value on every machine.
uint32_t picNoise(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Bhaskara's sine (error below 0.002): only exact IEEE operations, no maths library whose
// last bit might differ between machines and move a wave or a hill by a pixel.
double picSin(double rad) {
    const double pi = 3.14159265358979323846;
    double x = std::fmod(rad, 2 * pi);
    if (x < 0) x += 2 * pi;
    double sign = 1;
    if (x > pi) {
        x -= pi;
        sign = -1;
    }
    const double p = x * (pi - x);
    return sign * 16 * p / (5 * pi * pi - 4 * p);
}

// The picture as a 24-bit uncompressed BMP, rows bottom-up, each padded to four bytes.
std::vector<uint8_t> picToBmp(const Pic& p) {
    const uint32_t rowBytes = (static_cast<uint32_t>(p.w) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowBytes * static_cast<uint32_t>(p.h);
    std::vector<uint8_t> b;
    b.reserve(54 + dataSize);
    b.push_back('B');
    b.push_back('M');
    put32(b, 54 + dataSize); // file size
    put32(b, 0);             // reserved
    put32(b, 54);            // offset of the pixels
    put32(b, 40);            // size of the info header
    put32(b, static_cast<uint32_t>(p.w));
    put32(b, static_cast<uint32_t>(p.h)); // positive: bottom-up
    put16(b, 1);                          // planes
    put16(b, 24);                         // bits per pixel
    put32(b, 0);                          // BI_RGB
    put32(b, dataSize);
    put32(b, 2835); // 72 dpi, both ways
    put32(b, 2835);
    put32(b, 0); // colours used
    put32(b, 0); // important colours
    for (int y = p.h - 1; y >= 0; y--) {
        uint32_t n = 0;
        for (int x = 0; x < p.w; x++) {
            uint32_t c = picGet(p, x, y);
            b.push_back(chanB(c));
            b.push_back(chanG(c));
            b.push_back(chanR(c));
            n += 3;
        }
        for (; n < rowBytes; n++) b.push_back(0);
    }
    return b;
}

// Parses a pixel-art source (format in gfximage.h).
bool parseArt(const std::string& text, const std::string& name, ArtFile& out, std::string& err) {
    out.name = name;
    out.tiles.clear();
    std::vector<ArtColor> palette(128);
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    char msg[160];
    while (std::getline(in, line)) {
        lineNo++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string cmd;
        if (!(words >> cmd) || cmd[0] == '#') continue;
        if (cmd == "color") {
            std::string ch, a, b, c;
            words >> ch >> a;
            if (ch.size() != 1 || static_cast<unsigned char>(ch[0]) >= 128) {
                snprintf(msg, sizeof(msg), "%s:%d: a colour needs one plain character", name.c_str(), lineNo);
                err = msg;
                return false;
            }
            ArtColor col;
            col.used = true;
            if (a == "key") {
                col.key = true;
            } else {
                words >> b >> c;
                bool ok = parseHex(a, col.deluxe) && parseNum(c, 3, col.gb);
                if (b == "-")
                    col.classic = picToClassic(col.deluxe);
                else
                    ok = ok && parseHex(b, col.classic);
                if (!ok) {
                    snprintf(msg, sizeof(msg), "%s:%d: bad colour line", name.c_str(), lineNo);
                    err = msg;
                    return false;
                }
            }
            palette[static_cast<unsigned char>(ch[0])] = col;
            continue;
        }
        if (cmd != "tile") {
            snprintf(msg, sizeof(msg), "%s:%d: unknown word '%s'", name.c_str(), lineNo, cmd.c_str());
            err = msg;
            return false;
        }
        ArtTile t;
        std::string codeWord, opt;
        words >> codeWord;
        if (!parseNum(codeWord, 239, t.code)) {
            snprintf(msg, sizeof(msg), "%s:%d: tile code must be 0..239", name.c_str(), lineNo);
            err = msg;
            return false;
        }
        words >> opt;
        if (opt == "mirror" || opt == "copy") {
            std::string other;
            words >> other;
            int o = 0;
            if (!parseNum(other, 239, o)) {
                snprintf(msg, sizeof(msg), "%s:%d: %s needs a tile code", name.c_str(), lineNo, opt.c_str());
                err = msg;
                return false;
            }
            (opt == "mirror" ? t.mirrorOf : t.copyOf) = o;
            out.tiles.push_back(t);
            continue;
        }
        if (opt.size() == 3 && opt[1] == 'x' && opt[0] >= '1' && opt[0] <= '4' && opt[2] >= '1' &&
            opt[2] <= '4') {
            t.wTiles = opt[0] - '0';
            t.hTiles = opt[2] - '0';
            opt.clear();
            words >> opt;
        }
        static const char* const setWords[NUM_SETS] = {"classic", "deluxe", "handheld"};
        for (int i = 0; i < NUM_SETS; i++)
            if (opt == setWords[i]) t.onlySet = i;
        if (!opt.empty() && t.onlySet < 0) {
            snprintf(msg, sizeof(msg), "%s:%d: unknown word '%s' after tile %d", name.c_str(), lineNo,
                     opt.c_str(), t.code);
            err = msg;
            return false;
        }
        if (t.code % 20 + t.wTiles > 20 || t.code / 20 + t.hTiles > 12) {
            snprintf(msg, sizeof(msg), "%s:%d: tile %d runs off the sheet", name.c_str(), lineNo, t.code);
            err = msg;
            return false;
        }
        t.palette = palette;
        const size_t w = static_cast<size_t>(16 * t.wTiles);
        for (int r = 0; r < 16 * t.hTiles; r++) {
            std::string row;
            if (!std::getline(in, row)) {
                snprintf(msg, sizeof(msg), "%s: tile %d ends early", name.c_str(), t.code);
                err = msg;
                return false;
            }
            lineNo++;
            if (!row.empty() && row.back() == '\r') row.pop_back();
            if (row.size() != w) {
                snprintf(msg, sizeof(msg), "%s:%d: tile %d row has %zu characters, wants %zu", name.c_str(),
                         lineNo, t.code, row.size(), w);
                err = msg;
                return false;
            }
            for (char ch : row) {
                unsigned char u = static_cast<unsigned char>(ch);
                if (u >= 128 || !palette[u].used) {
                    snprintf(msg, sizeof(msg), "%s:%d: tile %d uses '%c' that has no colour", name.c_str(),
                             lineNo, t.code, ch);
                    err = msg;
                    return false;
                }
            }
            t.rows.push_back(row);
        }
        out.tiles.push_back(t);
    }
    return true;
}

// Reads one pixel-art source; a fault in the art stops the whole build loudly.
ArtFile loadArt(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        fprintf(stderr, "databuild: cannot read %s\n", path.c_str());
        exit(1);
    }
    std::stringstream ss;
    ss << f.rdbuf();
    ArtFile a;
    std::string err;
    if (!parseArt(ss.str(), path, a, err)) {
        fprintf(stderr, "databuild: %s\n", err.c_str());
        exit(1);
    }
    return a;
}

// The tile's pixels in the colours of one graphic set.
Pic renderArt(const ArtTile& t, int set) {
    Pic p = picNew(16 * t.wTiles, 16 * t.hTiles, PIC_KEY);
    for (int y = 0; y < p.h && y < static_cast<int>(t.rows.size()); y++)
        for (int x = 0; x < p.w; x++) {
            const ArtColor& c = t.palette[static_cast<unsigned char>(t.rows[y][x]) & 127];
            uint32_t v = PIC_KEY;
            if (!c.key) v = set == SET_CLASSIC ? c.classic : set == SET_GB ? picGbShades[c.gb] : c.deluxe;
            picPut(p, x, y, v);
        }
    return p;
}
