// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// What the fuzz targets share: the private scratch folder, catching the game's
// fatal error, the frame surface and the game's own graphics, and the table of targets.
#include "fuzz.h"

#include "7game/startup.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "2platform/video.h"
#include "2platform/zda.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

const FuzzTarget fuzzTargets[NUM_FUZZ_TARGETS] = {
    {"archive", fuzzArchive},   {"map", fuzzMap},       {"config", fuzzConfig}, {"hiscores", fuzzHiscores},
    {"savegame", fuzzSavegame}, {"bitmap", fuzzBitmap}, {"wav", fuzzWav},       {"music", fuzzMusic},
};

void (*fuzzFailHook)(const char* what) = nullptr;

namespace {

char scratch[1024]; // the private folder, empty until made
char home[1024];    // where the caller was when fuzzEnter was called
jmp_buf fatalJump;  // where a fatal error of the game returns to
int guarding = 0;   // 1 while fuzzGuard runs its body

// Removes one file or folder of the scratch tree. Called by nftw, deepest first.
int removeOne(const char* path, const struct stat*, int, struct FTW*) {
    remove(path);
    return 0;
}

// Removes the scratch folder and all in it. Registered with atexit.
void removeScratch() {
    if (scratch[0]) nftw(scratch, removeOne, 16, FTW_DEPTH | FTW_PHYS);
    scratch[0] = 0;
}

// The game's fatal error while a guarded body runs: back to fuzzGuard.
void onFatal() {
    if (guarding) longjmp(fatalJump, 1);
}

// Makes the scratch folder: in $TMPDIR when set, else in memory (/dev/shm) when
// there is one, so the game's synced writes cost nothing, else in /tmp.
void makeScratch() {
    const char* base = getenv("TMPDIR");
    struct stat st;
    if (!base || !*base) base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
    snprintf(scratch, sizeof scratch, "%s/blompfuzz.XXXXXX", base);
    if (!mkdtemp(scratch)) {
        fprintf(stderr, "fuzz: cannot make a scratch folder in %s\n", base);
        abort();
    }
    atexit(removeScratch);
    char data[1100];
    snprintf(data, sizeof data, "%s/data", scratch);
    mkdir(data, 0755);
    snprintf(data, sizeof data, "%s/mapsen", scratch);
    mkdir(data, 0755);
}

} // namespace

// A broken promise: the hook (the regression test) or a crash libFuzzer keeps.
void fuzzFail(const char* what) {
    if (fuzzFailHook) {
        fuzzFailHook(what);
        return;
    }
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

// Changes into the scratch folder, making it on first use.
void fuzzEnter() {
    if (!scratch[0]) makeScratch();
    if (!getcwd(home, sizeof home)) home[0] = 0;
    if (chdir(scratch) != 0) abort();
}

// Changes back to where fuzzEnter was called.
void fuzzLeave() {
    if (home[0] && chdir(home) != 0) abort();
}

// Runs the body with the game's fatal error turned into a return of 0.
int fuzzGuard(void (*body)(void*), void* arg) {
    errorHook = onFatal;
    guarding = 1;
    if (setjmp(fatalJump)) {
        guarding = 0;
        return 0;
    }
    body(arg);
    guarding = 0;
    return 1;
}

// Writes a whole file; 1 on success.
int fuzzWriteFile(const char* path, const void* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    const bool ok = size == 0 || fwrite(data, 1, size, f) == size; // an empty input has no buffer at all
    return fclose(f) == 0 && ok;
}

// ./data/<name>.zda pointing at the built game's archive.
void fuzzLinkGameArchive(const char* name) {
    char from[1100], to[256];
    snprintf(from, sizeof from, "%s/data/%s.zda", BLOMP_RUN_DIR, name);
    snprintf(to, sizeof to, "data/%s.zda", name);
    remove(to);
    if (symlink(from, to) != 0) {
        fprintf(stderr, "fuzz: cannot link %s\n", from);
        abort();
    }
}

// The frame surface; the game's blocks, fonts, back picture and moon of the classic set, read once
// from the built archive. Called in the scratch folder by the targets that draw.
void fuzzVideo() {
    static int ready = 0;
    if (ready && screen && blocks[0] && font && fontbig) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (!screen && !videoOpenOffscreen()) {
        fprintf(stderr, "fuzz: no frame surface: %s\n", platformError());
        abort();
    }
    fuzzLinkGameArchive("gfx");
    closeArchives();
    openArchives();
    gfxSet = 0;
    initBlocks(0);
    loadSpriteFont(0);
    loadScenery(0);
    closeArchives();
    ready = 1;
}

// FNV-1a over the input: the seed of a target's own choices.
uint32_t fuzzHash(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; i++) h = (h ^ data[i]) * 16777619u;
    return h;
}

// xorshift32; the state must not be 0.
uint32_t fuzzRandom(uint32_t* state) {
    uint32_t x = *state ? *state : 0x9E3779B9u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return x;
}
