// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The data builder: turns the sources in assets/ into the game's archive entries.
// Each builder below lives in its own file of this folder and appends finished
// entries (name with extension, bytes) to the list it is given. main.cpp packs
// the lists into the seven .zda archives. Every builder must be deterministic:
// the same sources give the same bytes on every run and every machine (no clock,
// no rand() without a fixed seed of its own, no unordered iteration).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One archive entry: "name.ext" and its plain (unscrambled, uncompressed) bytes.
struct Entry {
    std::string name;
    std::vector<uint8_t> bytes;
};
using Entries = std::vector<Entry>;

// Bitmaps of the "gfx" archive (".bmp" entries), from assets/gfx. gfx.cpp and friends.
void buildGfx(const std::string& assetsDir, Entries& out);

// Tracker modules of the "music" archive (".xm" entries), from assets/music. music.cpp.
void buildMusic(const std::string& assetsDir, Entries& out);

// Sound effects of the "sound" archive (".wav" entries), from assets/sound. sound.cpp.
void buildSounds(const std::string& assetsDir, Entries& out);

// Level maps (".bin" entries) for one language: 0 English ("maps"), 1 German
// ("mapsde"), 2 French ("mapsfr"), 3 Spanish ("mapses"). maps.cpp.
void buildMaps(const std::string& assetsDir, int lang, Entries& out);

// The plain test map written as mapsen/test.bin beside data/. maps.cpp.
std::vector<uint8_t> buildTestMap(const std::string& assetsDir);

// Reads a whole source file into text; false when it cannot be opened. sources.cpp.
bool readTextFile(const std::string& path, std::string& text);

// Makes every missing folder of path, like mkdir -p; false when one cannot be made
// or a part of the path is not a folder. sources.cpp.
bool makeDirs(const std::string& path);
