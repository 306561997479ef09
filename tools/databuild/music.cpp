// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The music builder: reads the eighteen song texts of assets/music and writes each
// as an XM module entry of the "music" archive.
#include "build.h"

#include "3audio/sound.h"
#include "xm.h"
#include "xmsong.h"

#include <cstdio>

// Builds every module of the "music" archive; a song that cannot be read is reported
// and left out, so the game stays silent there. Called by databuild.
void buildMusic(const std::string& assetsDir, Entries& out) {
    for (const char* name : musix) {
        std::string path = assetsDir + "/music/" + name + ".txt", text, err;
        XmModule mod;
        if (!readTextFile(path, text)) {
            fprintf(stderr, "music: cannot read %s\n", path.c_str());
            continue;
        }
        if (!xmParseSong(text, mod, err)) {
            fprintf(stderr, "music: %s: %s\n", path.c_str(), err.c_str());
            continue;
        }
        std::vector<uint8_t> bytes = xmWrite(mod);
        if (!bytes.empty()) out.push_back({std::string(name) + ".xm", bytes});
    }
}
