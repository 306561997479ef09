// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// databuild: builds the game's data from the sources in assets/.
//
//   databuild <assetsDir> <runDir>
//
// writes runDir/data/{gfx,music,maps,mapsde,mapsfr,mapses,sound}.zda and the
// plain test map runDir/mapsen/test.bin. The same sources always give the same
// bytes. Exits with status 1 and a message when anything cannot be built.
#include "build.h"

#include "2platform/savefile.h"
#include "2platform/zda.h"
#include "2platform/zdawrite.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

// Packs one archive; entries keep the order their builder gave them.
bool writeArchive(const std::string& runDir, int archive, const Entries& entries) {
    std::set<std::string> seen;
    std::vector<ZdaItem> items;
    for (const Entry& e : entries) {
        if (!seen.insert(e.name).second) {
            fprintf(stderr, "databuild: %s: entry %s given twice\n", archives[archive], e.name.c_str());
            return false;
        }
        items.push_back({e.name.c_str(), e.bytes.data(), (int32_t)e.bytes.size()});
    }
    std::string path = runDir + "/data/" + archives[archive] + ".zda";
    if (!writeZDA(path.c_str(), items.data(), (int)items.size())) {
        fprintf(stderr, "databuild: cannot write %s\n", path.c_str());
        return false;
    }
    printf("databuild: %-24s %3d entries\n", path.c_str(), (int)items.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: databuild <assetsDir> <runDir>\n");
        return 1;
    }
    std::string assets = argv[1], run = argv[2];
    if (!makeDirs(run + "/data") || !makeDirs(run + "/mapsen")) {
        fprintf(stderr, "databuild: cannot make the folders in %s\n", run.c_str());
        return 1;
    }
    Entries gfx, music, sound;
    buildGfx(assets, gfx);
    buildMusic(assets, music);
    buildSounds(assets, sound);
    bool ok = writeArchive(run, ARC_GFX, gfx) && writeArchive(run, ARC_MUSIC, music) &&
              writeArchive(run, ARC_SOUND, sound);
    for (int lang = 0; lang < 4 && ok; lang++) {
        Entries levels;
        buildMaps(assets, lang, levels);
        ok = writeArchive(run, maps[lang], levels);
    }
    if (!ok) return 1;
    std::vector<uint8_t> test = buildTestMap(assets);
    std::string testPath = run + "/mapsen/test.bin";
    if (test.empty() || !writeFileAtomic(testPath.c_str(), test.data(), (long)test.size())) {
        fprintf(stderr, "databuild: cannot write %s\n", testPath.c_str());
        return 1;
    }
    return 0;
}
