// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// blompfuzzseeds: builds the fuzzers' seed corpora from the game's own data.
//
//   blompfuzzseeds <run folder> <corpus folder>
//
// Writes <corpus folder>/<target>/<name> for every target: the built archives
// and a small one, every level map, the configuration, hiscore table and saved
// game files the game writes itself, and the bitmaps, WAVs and XM modules of
// the archives. Run by the build after the data.
#include "7game/stuff.h"
#include "5world/world.h"
#include "4io/config.h"
#include "4io/hiscore.h"
#include "2platform/zda.h"
#include "2platform/zdawrite.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int32_t MAX_SEED = 24 * 1024; // larger entries make slow seeds; the small ones cover the same code

std::string out; // the corpus folder, absolute

// Writes one seed file; ends the program when it cannot.
void writeSeed(const char* target, const std::string& name, const uint8_t* data, size_t size) {
    std::string dir = out + "/" + target;
    mkdir(dir.c_str(), 0755);
    std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) {
        fprintf(stderr, "blompfuzzseeds: cannot write %s\n", path.c_str());
        exit(1);
    }
}

// Copies a file the game wrote in the working folder into a corpus, then removes it.
void takeWritten(const char* file, const char* target, const std::string& name) {
    int32_t size = 0;
    uint8_t* data = loadBINFile(file, &size);
    if (!data) {
        fprintf(stderr, "blompfuzzseeds: the game wrote no %s\n", file);
        exit(1);
    }
    writeSeed(target, name, data, (size_t)size);
    free(data);
    remove(file);
}

// Every entry of an archive with the extension, up to the seed size, into a corpus.
void entries(int archive, const char* extension, const char* target) {
    const uint8_t* header = zda_full_header[archive];
    const int count = gp_zda_count(header);
    int taken = 0;
    for (int i = 0; i < count; i++) {
        char name[ZDA_NAME_SIZE + 1];
        gp_zda_name(header, i, name, sizeof name);
        const char* dot = strrchr(name, '.');
        if (!dot || strcmp(dot + 1, extension) != 0) continue;
        int32_t size = 0;
        uint8_t* data = uncompressZDA(archive, name, &size);
        if (data && size <= MAX_SEED) {
            writeSeed(target, name, data, (size_t)size);
            taken++;
        }
        free(data);
    }
    if (!taken) {
        fprintf(stderr, "blompfuzzseeds: no %s entries in %s\n", extension, archives[archive]);
        exit(1);
    }
}

// A whole file into a corpus.
void wholeFile(const std::string& path, const char* target, const std::string& name) {
    int32_t size = 0;
    uint8_t* data = loadBINFile(path.c_str(), &size);
    if (!data) {
        fprintf(stderr, "blompfuzzseeds: cannot read %s\n", path.c_str());
        exit(1);
    }
    writeSeed(target, name, data, (size_t)size);
    free(data);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: blompfuzzseeds <run folder> <corpus folder>\n");
        return 2;
    }
    mkdir(argv[2], 0755);
    char* abs = realpath(argv[2], nullptr);
    if (!abs || chdir(argv[1]) != 0) {
        fprintf(stderr, "blompfuzzseeds: cannot use %s and %s\n", argv[1], argv[2]);
        return 1;
    }
    out = abs;
    free(abs);

    // Entries of the built archives, and the archives themselves where they are small.
    openArchives();
    entries(ARC_MAPS, "bin", "map");
    entries(ARC_GFX, "bmp", "bitmap");
    entries(ARC_SOUND, "wav", "wav");
    entries(ARC_MUSIC, "xm", "music");
    closeArchives();
    wholeFile("data/maps.zda", "archive", "maps.zda");
    wholeFile("mapsen/test.bin", "map", "test.bin");

    // Files the game writes itself, made in the corpus folder.
    if (chdir(out.c_str()) != 0) return 1;
    const uint8_t small[] = "a small entry";
    const ZdaItem items[] = {{"plan0.bin", small, 13}, {"x", small, 1}};
    if (!writeZDA("small.zda", items, 2)) return 1;
    takeWritten("small.zda", "archive", "small.zda");
    dumpConfig();
    takeWritten("blomp.cfg", "config", "default.cfg");
    const char handmade[] = "k_jump=x\nk_fire=5\nj_fire=12\nmus_volume=150\nmpResamplingMode=3\n"
                            "mpFlagsREVERB=1\nmpReverbDepth=40\nmpReverbDelay=300\nk_up=a\n\n";
    writeSeed("config", "handmade.cfg", (const uint8_t*)handmade, sizeof handmade - 1);
    srand(1);
    loadHiscores(); // no file: the default table, written
    takeWritten("hiscores.dat", "hiscores", "default.dat");
    saveHiscores(4321, "PLAYER");
    saveHiscores(50, "");
    takeWritten("hiscores.dat", "hiscores", "played.dat");
    for (int n = 2; n <= 16; n += 7) {
        world.play.level = n;
        saveGame();
        takeWritten("savegame.dat", "savegame", "level" + std::to_string(n) + ".dat");
    }
    return 0;
}
