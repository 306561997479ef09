// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Reading the text sources of assets/, shared by the builders.
#include "build.h"

#include <cstdio>
#include <sys/stat.h>

// Reads a whole file into text. Called by the level, music and sound builders.
bool readTextFile(const std::string& path, std::string& text) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    text.clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    return true;
}

// Makes every missing folder of path, like mkdir -p. Called by the data builder and the icon tool.
bool makeDirs(const std::string& path) {
    for (size_t at = 1; at <= path.size(); at++) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        struct stat st;
        if (stat(part.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) return false;
        } else if (mkdir(part.c_str(), 0755) != 0) {
            return false;
        }
    }
    return true;
}
