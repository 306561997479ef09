// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The program's icon: the PNG files a desktop reads are well-formed and carry the
// picture drawn, and the picture is Blomp on a clear background at every size.
#include "icon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <zlib.h>

namespace {

uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

// A PNG file taken apart the way a viewer would: chunks with checked CRCs,
// the header's fields, and the inflated rows without their filter bytes.
struct Decoded {
    bool ok = false;
    std::string error;
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgba;
};

Decoded decodePNG(const std::vector<uint8_t>& f) {
    Decoded d;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (f.size() < 8 || memcmp(f.data(), signature, 8) != 0) return d.error = "signature", d;
    std::vector<uint8_t> idat;
    std::vector<std::string> order;
    size_t at = 8;
    while (at + 12 <= f.size()) {
        const uint32_t len = get32(f, at);
        if (at + 12 + len > f.size()) return d.error = "chunk past the end", d;
        const std::string type(f.begin() + at + 4, f.begin() + at + 8);
        uLong crc = crc32(0L, Z_NULL, 0);
        crc = crc32(crc, f.data() + at + 4, len + 4);
        if (get32(f, at + 8 + len) != (uint32_t)crc) return d.error = "CRC of " + type, d;
        order.push_back(type);
        if (type == "IHDR") {
            if (len != 13) return d.error = "IHDR length", d;
            d.w = get32(f, at + 8);
            d.h = get32(f, at + 12);
            const uint8_t* rest = &f[at + 16];
            if (rest[0] != 8 || rest[1] != 6 || rest[2] || rest[3] || rest[4])
                return d.error = "not 8-bit RGBA", d;
        } else if (type == "IDAT") {
            idat.insert(idat.end(), f.begin() + at + 8, f.begin() + at + 8 + len);
        }
        at += 12 + len;
    }
    if (at != f.size()) return d.error = "bytes after the last chunk", d;
    if (order.empty() || order.front() != "IHDR" || order.back() != "IEND") return d.error = "chunk order", d;
    const size_t stride = 1 + (size_t)d.w * 4;
    std::vector<uint8_t> raw(stride * d.h);
    uLongf rawLen = (uLongf)raw.size();
    if (uncompress(raw.data(), &rawLen, idat.data(), (uLong)idat.size()) != Z_OK || rawLen != raw.size())
        return d.error = "IDAT does not inflate to the picture's size", d;
    for (uint32_t y = 0; y < d.h; y++) {
        if (raw[y * stride] != 0) return d.error = "filter byte", d;
        d.rgba.insert(d.rgba.end(), raw.begin() + y * stride + 1, raw.begin() + (y + 1) * stride);
    }
    d.ok = true;
    return d;
}

TEST(Icon, EverySizeIsAValidPngOfThePictureDrawn) {
    for (int size : ICON_SIZES) {
        const std::vector<uint8_t> pic = drawIcon(size);
        ASSERT_EQ(pic.size(), (size_t)size * size * 4) << size;
        const Decoded d = decodePNG(pngRGBA(pic, size, size));
        ASSERT_TRUE(d.ok) << size << ": " << d.error;
        EXPECT_EQ(d.w, (uint32_t)size);
        EXPECT_EQ(d.h, (uint32_t)size);
        EXPECT_TRUE(d.rgba == pic) << size;
    }
}

TEST(Icon, APictureOtherThanSquareKeepsItsRows) {
    // 3 x 2 with every byte distinct: a writer that mixes up width and height fails
    std::vector<uint8_t> pic(3 * 2 * 4);
    for (size_t i = 0; i < pic.size(); i++) pic[i] = (uint8_t)(i * 7 + 1);
    const Decoded d = decodePNG(pngRGBA(pic, 3, 2));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.w, 3u);
    EXPECT_EQ(d.h, 2u);
    EXPECT_TRUE(d.rgba == pic);
}

TEST(Icon, BlompSitsOnAClearBackgroundWithHisEyesOpen) {
    for (int size : ICON_SIZES) {
        const std::vector<uint8_t> pic = drawIcon(size);
        auto px = [&](double fx, double fy) {
            const int x = (int)(fx * size), y = (int)(fy * size);
            return &pic[((size_t)y * size + x) * 4];
        };
        // the corners are clear, the middle of the body solid and orange (red over green over blue)
        for (auto corner : {px(0, 0), px(0.99, 0), px(0, 0.99), px(0.99, 0.99)})
            EXPECT_EQ(corner[3], 0) << size;
        const uint8_t* belly = px(0.5, 0.75);
        EXPECT_EQ(belly[3], 255) << size;
        EXPECT_TRUE(belly[0] > belly[1] && belly[1] > belly[2]) << size;
        // how much of the square he covers: a disc of radius 0.45
        double cover = 0;
        for (size_t i = 0; i < pic.size(); i += 4) cover += pic[i + 3] / 255.0;
        cover /= (double)size * size;
        EXPECT_NEAR(cover, M_PI * 0.449 * 0.449, 0.03) << size;
        // at 32 pixels and more the eyes are seen: a dark pupil inside white
        if (size < 32) continue;
        for (double eyeX : {0.39 + 0.03, 0.625 + 0.03}) {
            const uint8_t* pupil = px(eyeX, 0.43);
            EXPECT_LT(pupil[0] + pupil[1] + pupil[2], 3 * 80) << size << " eye at " << eyeX;
            const uint8_t* white = px(eyeX - 0.06, 0.43);
            EXPECT_GT(white[0] + white[1] + white[2], 3 * 200) << size << " eye at " << eyeX;
        }
    }
}

} // namespace
