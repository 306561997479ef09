// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: hiscores.dat. The game reads the file either as the table it
// holds (default entries renamed) or, when it fails the check, as the cheaters'
// table; the table it then writes reads back the same, and a new score goes in
// at its place. The table is drawn as the hiscore page.
#include "fuzz.h"

#include "6draw/hiscreen.h"
#include "4io/hiscore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// True when every entry is the cheaters' entry.
bool isCheaters() {
    for (const HiscoreEntry& e : hiscores)
        if (strcmp(e.name, "CHEATER") != 0 || e.score != HISCORE_MAX || e.origin != ORIGIN_CHEATER)
            return false;
    return true;
}

// True when name is one of the default names.
bool isDefaultName(const char* name) {
    for (const char* n : score_names)
        if (strcmp(name, n) == 0) return true;
    return false;
}

// Compares two tables; an entry the game renames on reading (a default one, or one without a
// name) may have got a default name on the way.
void sameTable(const HiscoreEntry* was, const HiscoreEntry* now, const char* what) {
    for (int i = 0; i < NUM_HISCORES; i++) {
        const HiscoreEntry &a = was[i], &b = now[i];
        const bool renamed = (b.origin == ORIGIN_DEFAULT || a.name[0] == 0) && isDefaultName(b.name);
        if (a.score != b.score || a.origin != b.origin || a.reserved[0] != b.reserved[0] ||
            a.reserved[1] != b.reserved[1] || (!renamed && memcmp(a.name, b.name, HISCORE_NAME) != 0)) {
            char text[128];
            snprintf(text, sizeof text, "%s: entry %d changed", what, i);
            fuzzFail(text);
            return;
        }
    }
}

// The file's table as it lies in the file, read field by field.
void fileTable(const uint8_t* data, HiscoreEntry* out) {
    uint8_t plain[HISCORE_FILE_SIZE];
    memcpy(plain, data, HISCORE_FILE_SIZE);
    decodebuf(plain, HISCORE_FILE_SIZE, HISCORE_SEED);
    for (int i = 0; i < NUM_HISCORES; i++) {
        const uint8_t* b = plain + i * HISCORE_ENTRY;
        memcpy(out[i].name, b, HISCORE_NAME);
        out[i].origin = b[9];
        out[i].reserved[0] = b[10];
        out[i].reserved[1] = b[11];
        out[i].score =
            (int32_t)((uint32_t)b[12] | (uint32_t)b[13] << 8 | (uint32_t)b[14] << 16 | (uint32_t)b[15] << 24);
    }
}

} // namespace

// Reads the bytes as hiscores.dat, then writes and reads the table, inserts a score and draws the page.
int fuzzHiscores(const uint8_t* data, size_t size) {
    fuzzEnter();
    fuzzVideo();
    uint32_t seed = fuzzHash(data, size);
    if (!fuzzWriteFile("hiscores.dat", data, size)) fuzzFail("cannot write hiscores.dat");
    srand(seed);
    loadHiscores();
    HiscoreEntry first[NUM_HISCORES];
    memcpy(first, hiscores, sizeof first);
    const bool cheaters = isCheaters();
    if (!cheaters) {
        if (size < (size_t)HISCORE_FILE_SIZE) fuzzFail("a short file was taken as a table");
        HiscoreEntry file[NUM_HISCORES];
        fileTable(data, file);
        sameTable(file, first, "read from the file");
    }
    for (const HiscoreEntry& e : hiscores)
        if (e.name[HISCORE_NAME - 1] != 0 || e.score < 0 || e.score > HISCORE_MAX)
            fuzzFail("the table holds an entry no game could make");

    // What the game writes reads back the same.
    saveBuffer();
    loadHiscores();
    sameTable(first, hiscores, "written and read back");

    // A new score goes in below every entry at least as high and survives the file.
    const int32_t newScore = (int32_t)(fuzzRandom(&seed) % (HISCORE_MAX + 1));
    saveHiscores(newScore, "FUZZ");
    int at = -1;
    for (int i = 0; i < NUM_HISCORES; i++)
        if (strcmp(hiscores[i].name, "FUZZ") == 0 && hiscores[i].origin == ORIGIN_PLAYER) at = i;
    if (at < 0 || hiscores[at].score != newScore || (at > 0 && hiscores[at - 1].score < newScore))
        fuzzFail("a new score is not in its place");
    HiscoreEntry inserted[NUM_HISCORES];
    memcpy(inserted, hiscores, sizeof inserted);
    loadHiscores();
    sameTable(inserted, hiscores, "a new score read back");

    drawHiscorePage();
    remove("hiscores.dat");
    fuzzLeave();
    return cheaters ? FUZZ_REFUSED : FUZZ_ACCEPTED;
}
