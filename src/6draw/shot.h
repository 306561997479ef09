// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Screenshots: any surface written as an RGB PNG file, for tests and for looking at screens.
#pragma once

#include <SDL.h>
#include <cstdint>

// Writes s as an 8-bit RGB PNG at path (atomically); 1 on success, 0 on failure.
int saveSurfacePNG(SDL_Surface* s, const char* path);

// A 64-bit FNV-1a hash of the colours s shows (red, green, blue of every pixel,
// row by row), so that two frames that look the same bit for bit hash the same
// whatever their masks. Used by the golden-frame test through the harness.
uint64_t surfaceHash(SDL_Surface* s);
