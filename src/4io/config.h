// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The configuration file blomp.cfg and the paths of all the files the game owns.
//
// blomp.cfg is plain text, one "key=number" line per setting: the two volumes in
// percent, the pad bindings and the music mixer's settings. Key bindings may be
// written in by hand as k_<name>=<letter or number> lines; the game never writes them.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int NUM_PARAMS = 7;       // bindings named in the file
constexpr int CONFIG_LINES = 21;    // lines dumpConfig writes
constexpr int FILENAME_SIZE = 1024; // the one path buffer filename() fills

extern const char* configFolder;             // folder of the game's files, or null for the working directory
extern const char* const params[NUM_PARAMS]; // binding names: jump, fire, start, up, down, left, right

void getConfigFolder(); // leaves configFolder unset: every file lives in the working directory
const char* filename(const char* folder, const char* name, const char* extension); // "./[folder/]name.ext"

void loadConfig();                             // reads blomp.cfg, if there is one, into the settings
int32_t keyID(int32_t value, int32_t current); // value if a key the file may bind, else current
void dumpConfig();                             // writes the 21 lines of blomp.cfg, replacing it whole
void dumpKey(const char* name, int32_t key, FILE* file); // one hand-written style key line
