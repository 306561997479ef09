// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The program's icon: Blomp himself, the round fellow with the big eyes who is
// the O of the title logo, in the logo's colours, drawn at any size with soft
// edges, and the PNG files that carry it to a desktop.
#pragma once

#include <cstdint>
#include <vector>

// The sizes the build makes, in pixels (square), for the hicolor icon theme.
constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

// The icon at size x size as RGBA bytes, row by row from the top; alpha 0 around Blomp.
std::vector<uint8_t> drawIcon(int size);

// The bytes of an 8-bit RGBA PNG file of a w x h RGBA picture.
std::vector<uint8_t> pngRGBA(const std::vector<uint8_t>& rgba, int w, int h);
