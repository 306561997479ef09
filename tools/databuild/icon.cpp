// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The icon: Blomp as a round body with the logo's orange gradient, its dark
// outline, a rim of light on the upper left and shade on the lower right, and
// the logo's two upright eyes looking to the right. All in integer arithmetic on
// a grid of 1024 units, so every machine draws the same pixels.
#include "icon.h"

#include "gfximage.h"

#include <zlib.h>

namespace {

constexpr int64_t UNIT = 1024;      // the icon's side in drawing units
constexpr int SUB = 4;              // samples per pixel in each direction
constexpr int64_t CX = 512;         // the body's centre
constexpr int64_t CY = 540;         // a little low: he sits on the ground
constexpr int64_t RADIUS = 460;     // the body
constexpr int64_t OUTLINE = 56;     // the dark rim's width
constexpr int64_t LIGHT_SHIFT = 40; // how far the rim light and the shade reach in

// The logo's colours: fill gradient, rim light, outline, the eyes' pupils.
constexpr uint32_t TOP = 0xffe040, BOTTOM = 0xf06010, RIM = 0xfffff0, LINE = 0x301008, PUPIL = 0x101010;

// One eye: an upright oval at (x, y) with half-axes rx, ry.
struct Eye {
    int64_t x, y, rx, ry;
};
const Eye eyes[2] = {{400, 430, 92, 128}, {640, 430, 92, 128}};

// Inside a circle of radius r around the body's centre, shifted by (dx, dy).
bool inBody(int64_t x, int64_t y, int64_t r, int64_t dx, int64_t dy) {
    const int64_t ex = x - CX - dx, ey = y - CY - dy;
    return ex * ex + ey * ey <= r * r;
}

// The colour at one sample point (units), or false outside the body.
bool sampleAt(int64_t x, int64_t y, uint32_t* c) {
    if (!inBody(x, y, RADIUS, 0, 0)) return false;
    const int64_t inner = RADIUS - OUTLINE;
    if (!inBody(x, y, inner, 0, 0)) {
        *c = LINE;
        return true;
    }
    uint32_t body = picMix(TOP, BOTTOM, (int)((y - (CY - inner)) * 256 / (2 * inner)));
    if (!inBody(x, y, inner, LIGHT_SHIFT, LIGHT_SHIFT))
        body = RIM; // light from the upper left
    else if (!inBody(x, y, inner, -LIGHT_SHIFT, -LIGHT_SHIFT))
        body = picMix(body, LINE, 90); // shade on the lower right
    for (const Eye& e : eyes) {
        const int64_t dx = x - e.x, dy = y - e.y;
        // (dx / rx)^2 + (dy / ry)^2 against 1, scaled by (rx * ry)^2 to stay in integers
        const int64_t d = dx * dx * e.ry * e.ry + dy * dy * e.rx * e.rx, one = e.rx * e.rx * e.ry * e.ry;
        if (d > one) continue;
        body = d * 100 > one * 62 ? LINE : 0xffffff;
        if (dx >= 0 && dx <= e.rx * 4 / 7 && dy >= -e.ry * 2 / 9 && dy <= e.ry * 3 / 9) body = PUPIL;
        const int64_t gx = dx - e.rx / 7, gy = dy + e.ry / 9; // the glint on the pupil
        if (gx * gx + gy * gy <= (e.rx / 7) * (e.rx / 7)) body = 0xffffff;
    }
    *c = body;
    return true;
}

// Appends v as four bytes, most significant first.
void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back((uint8_t)(v >> s));
}

// Appends one PNG chunk: length, type, data and the CRC of type and data.
void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, (uint32_t)data.size());
    const size_t start = out.size();
    for (int i = 0; i < 4; i++) out.push_back((uint8_t)type[i]);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, (uInt)(out.size() - start));
    put32(out, (uint32_t)crc);
}

} // namespace

// Averages SUB x SUB samples per pixel: colour over the covered samples, alpha
// from how many are covered. Called by blompicons and the icon tests.
std::vector<uint8_t> drawIcon(int size) {
    std::vector<uint8_t> out(static_cast<size_t>(size) * size * 4, 0);
    const int64_t grid = (int64_t)size * SUB;
    for (int py = 0; py < size; py++)
        for (int px = 0; px < size; px++) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int sy = 0; sy < SUB; sy++)
                for (int sx = 0; sx < SUB; sx++) {
                    // the sample's centre in units
                    const int64_t x = ((int64_t)(px * SUB + sx) * 2 + 1) * UNIT / (2 * grid);
                    const int64_t y = ((int64_t)(py * SUB + sy) * 2 + 1) * UNIT / (2 * grid);
                    uint32_t c;
                    if (!sampleAt(x, y, &c)) continue;
                    r += (c >> 16) & 0xff;
                    g += (c >> 8) & 0xff;
                    b += c & 0xff;
                    n++;
                }
            if (n == 0) continue;
            uint8_t* p = &out[(static_cast<size_t>(py) * size + px) * 4];
            p[0] = (uint8_t)((r + n / 2) / n);
            p[1] = (uint8_t)((g + n / 2) / n);
            p[2] = (uint8_t)((b + n / 2) / n);
            p[3] = (uint8_t)((n * 255 + SUB * SUB / 2) / (SUB * SUB));
        }
    return out;
}

// Signature, header, the rows (each with filter byte 0) deflated at the
// highest level, and the end chunk. Called by blompicons and the icon tests.
std::vector<uint8_t> pngRGBA(const std::vector<uint8_t>& rgba, int w, int h) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> out(signature, signature + 8);
    std::vector<uint8_t> header;
    put32(header, (uint32_t)w);
    put32(header, (uint32_t)h);
    for (uint8_t v : {8, 6, 0, 0, 0}) header.push_back(v); // 8 bits, RGBA, deflate, no filter, no interlace
    putChunk(out, "IHDR", header);
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + (size_t)y * w * 4, rgba.begin() + (size_t)(y + 1) * w * 4);
    }
    uLongf packedLen = compressBound((uLong)raw.size());
    std::vector<uint8_t> packed(packedLen);
    if (compress2(packed.data(), &packedLen, raw.data(), (uLong)raw.size(), 9) != Z_OK) return {};
    packed.resize(packedLen);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}
