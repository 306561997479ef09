// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The program's icon: the PNG files a desktop reads are well-formed and carry the
// picture drawn, and the picture is Blomp on a clear background at every size.
#include "icon.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The icon files at every size, and a 3 x 2 picture with every byte distinct (a
// writer that mixes up width and height fails on it), read back as a viewer would.
TEST(Icon, EverySizeIsAValidPngOfThePictureDrawn) {
    std::vector<std::pair<int, int>> shapes = {{3, 2}};
    for (int size : ICON_SIZES) shapes.push_back({size, size});
    for (const auto& s : shapes) {
        std::vector<uint8_t> pic(3 * 2 * 4);
        for (size_t i = 0; i < pic.size(); i++) pic[i] = (uint8_t)(i * 7 + 1);
        if (s.first == s.second) pic = drawIcon(s.first);
        ASSERT_EQ(pic.size(), (size_t)s.first * s.second * 4) << s.first;
        const DecodedPng d = decodePng(pngRGBA(pic, s.first, s.second));
        ASSERT_TRUE(d.ok) << s.first << ": " << d.error;
        EXPECT_EQ(d.channels, 4) << s.first;
        EXPECT_EQ(d.w, (uint32_t)s.first);
        EXPECT_EQ(d.h, (uint32_t)s.second);
        EXPECT_TRUE(d.pixels == pic) << s.first;
    }
}

TEST(Icon, BlompSitsOnAClearBackgroundAtEverySize) {
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
    }
}

} // namespace
