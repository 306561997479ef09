// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompicons: writes the program's icon in every size of the hicolor theme.
//
//   blompicons <dir>
//
// makes <dir>/hicolor/NxN/apps/blomp.png for each size; the build runs it and
// `cmake --install` copies the result to share/icons. Exits with status 1 and a
// message when a file cannot be written.
#include "build.h"
#include "icon.h"

#include "2platform/savefile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: blompicons <dir>\n");
        return 1;
    }
    for (int size : ICON_SIZES) {
        char folder[512];
        snprintf(folder, sizeof folder, "%s/hicolor/%dx%d/apps", argv[1], size, size);
        const std::string path = std::string(folder) + "/blomp.png";
        const std::vector<uint8_t> png = pngRGBA(drawIcon(size), size, size);
        if (!makeDirs(folder) || png.empty() ||
            !writeFileAtomic(path.c_str(), png.data(), (long)png.size())) {
            fprintf(stderr, "blompicons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
