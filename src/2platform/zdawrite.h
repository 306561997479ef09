// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Writing ".zda" archives: the other half of the archive reader, used by the data
// builder and by the archive tool that people who make data use.
#pragma once

#include <cstdint>

// One entry to pack: its full name ("logo.bmp") and its plain content.
struct ZdaItem {
    const char* name;
    const uint8_t* data;
    int32_t size;
};

// Packs the entries, in the order given, into an archive at path (written
// atomically). Names must be 1..39 characters and sizes at least 1. Returns 1 on
// success, 0 on a bad entry or a write failure (then no file is replaced).
int writeZDA(const char* path, const ZdaItem* items, int count);
