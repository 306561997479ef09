// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The hiscore table: defaults on the first start, the check of the file at every
// start, the insertion of a new score and the scrambled file.
#include "4io/hiscore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "4io/config.h"
#include "2platform/savefile.h"
#include "2platform/sys.h"

HiscoreEntry hiscores[NUM_HISCORES] = {
    {"", ORIGIN_DEFAULT, {0, 0}, 2500}, {"", ORIGIN_DEFAULT, {0, 0}, 2250},
    {"", ORIGIN_DEFAULT, {0, 0}, 2000}, {"", ORIGIN_DEFAULT, {0, 0}, 1750},
    {"", ORIGIN_DEFAULT, {0, 0}, 1500}, {"", ORIGIN_DEFAULT, {0, 0}, 1250},
    {"", ORIGIN_DEFAULT, {0, 0}, 1000}, {"", ORIGIN_DEFAULT, {0, 0}, 750},
    {"", ORIGIN_DEFAULT, {0, 0}, 500},  {"", ORIGIN_DEFAULT, {0, 0}, 250},
};

const char* const score_names[NUM_HISCORES] = {"RUVEKA", "TOLM",  "ABRIN", "WEXA",  "NIBU",
                                               "PIRRAN", "OSKEL", "DAVRI", "MONKU", "DR Q"};

namespace {

constexpr int32_t DEFAULT_TOP_SCORE = 2500; // entry 0 of the built-in table
constexpr int32_t DEFAULT_SCORE_STEP = 250; // each entry below is this much lower
constexpr int DEFAULT_SCORE_JITTER = 100;   // a fresh table adds 0..99 to each built-in score
constexpr uint8_t MAX_ORIGIN = ORIGIN_CHEATER;

// Offsets of the fields inside one 16-byte entry of the file.
constexpr int OFS_NAME = 0;
constexpr int OFS_ORIGIN = 9;
constexpr int OFS_RESERVED = 10;
constexpr int OFS_SCORE = 12;

int fileKept = 0; // hiscores.dat could not be read at start: it is never written over in this run

// The path of hiscores.dat, built like every other file of the game. Called by the load and the writer.
const char* hiscorePath() {
    return filename(configFolder, "hiscores", "dat");
}

// Lays the table out in file order, field by field. Called by saveBuffer.
void packTable(uint8_t* out) {
    for (int i = 0; i < NUM_HISCORES; i++) {
        const HiscoreEntry& e = hiscores[i];
        uint8_t* b = out + i * HISCORE_ENTRY;
        for (int j = 0; j < HISCORE_NAME; j++) b[OFS_NAME + j] = (uint8_t)e.name[j];
        b[OFS_ORIGIN] = e.origin;
        b[OFS_RESERVED] = e.reserved[0];
        b[OFS_RESERVED + 1] = e.reserved[1];
        uint32_t s = (uint32_t)e.score;
        for (int j = 0; j < 4; j++) b[OFS_SCORE + j] = (uint8_t)(s >> (8 * j));
    }
}

// Reads a table from file order, field by field. Called by loadHiscores and readFileTable.
void unpackTable(const uint8_t* in, HiscoreEntry* table) {
    for (int i = 0; i < NUM_HISCORES; i++) {
        HiscoreEntry& e = table[i];
        const uint8_t* b = in + i * HISCORE_ENTRY;
        for (int j = 0; j < HISCORE_NAME; j++) e.name[j] = (char)b[OFS_NAME + j];
        e.origin = b[OFS_ORIGIN];
        e.reserved[0] = b[OFS_RESERVED];
        e.reserved[1] = b[OFS_RESERVED + 1];
        uint32_t s = 0;
        for (int j = 0; j < 4; j++) s |= (uint32_t)b[OFS_SCORE + j] << (8 * j);
        e.score = (int32_t)s;
    }
}

// Sets an entry's name, at most 8 characters, with every unused byte cleared. Called by the table changes.
void setName(HiscoreEntry& e, const char* name) {
    memset(e.name, 0, sizeof e.name);
    const char* n = name ? name : "";
    memcpy(e.name, n, strnlen(n, sizeof e.name - 1)); // a longer name is cut, as the entry can hold no more
}

// Gives an entry a default name no other entry has got during this load: a random
// start, then the next free one. Called by loadHiscores.
void pickDefaultName(HiscoreEntry& e, uint8_t* taken) {
    int r = rand() % NUM_HISCORES;
    while (taken[r]) r = (r + 1) % NUM_HISCORES;
    taken[r] = 1;
    setName(e, score_names[r]);
}

// An entry no version of the game could have written: an unterminated name, a score
// out of reach (negative ones read as huge), an unknown origin. Called by loadHiscores.
int entryIsBad(const HiscoreEntry& e) {
    return e.name[HISCORE_NAME - 1] != 0 || (uint32_t)e.score > (uint32_t)HISCORE_MAX ||
           e.origin > MAX_ORIGIN;
}

// Replaces the whole table by entries nobody can beat, and keeps it that way. Called by loadHiscores.
void punishCheater() {
    for (HiscoreEntry& e : hiscores) {
        setName(e, "CHEATER");
        e.origin = ORIGIN_CHEATER;
        e.reserved[0] = e.reserved[1] = 0;
        e.score = HISCORE_MAX;
    }
}

// The table the file holds now, if it is whole and honest; 0 when it is missing,
// unreadable, cut or tampered. Called by saveHiscores.
int readFileTable(HiscoreEntry* table) {
    FILE* f = fopen(hiscorePath(), "rb");
    if (!f) return 0;
    uint8_t buf[HISCORE_FILE_SIZE];
    const size_t got = fread(buf, 1, sizeof buf, f);
    fclose(f);
    if (got < sizeof buf) return 0;
    decodebuf(buf, HISCORE_FILE_SIZE, HISCORE_SEED);
    unpackTable(buf, table);
    for (int i = 0; i < NUM_HISCORES; i++)
        if (entryIsBad(table[i])) return 0;
    return 1;
}

// Entries typed by a player among the first n of a table with the name and score of e. Called by
// saveHiscores.
int countPlayerEntry(const HiscoreEntry* table, int n, const HiscoreEntry& e) {
    int count = 0;
    for (int i = 0; i < n; i++)
        count += table[i].origin == ORIGIN_PLAYER && table[i].score == e.score &&
                 strncmp(table[i].name, e.name, HISCORE_NAME) == 0;
    return count;
}

// Puts a player's score into a table below every entry at least as high (equal scores
// keep the older one first), dropping the last entry. Called by saveHiscores.
void insertEntry(HiscoreEntry* table, int32_t score, const char* name) {
    int k = NUM_HISCORES - 1;
    for (; k > 0 && table[k - 1].score < score; k--) table[k] = table[k - 1];
    HiscoreEntry& e = table[k];
    setName(e, name);
    e.origin = ORIGIN_PLAYER;
    e.reserved[0] = e.reserved[1] = 0;
    e.score = score;
}

} // namespace

// Scrambles a buffer in place: each byte is chained to the scrambled byte before it.
// Called by saveBuffer and the tests.
void codebuf(uint8_t* buffer, int length, uint8_t seed) {
    uint8_t prev = seed;
    for (int i = 0; i < length; i++) {
        buffer[i] ^= prev;
        prev = buffer[i];
    }
}

// Undoes codebuf in place. Called by loadHiscores.
void decodebuf(uint8_t* buffer, int length, uint8_t seed) {
    uint8_t prev = seed;
    for (int i = 0; i < length; i++) {
        uint8_t stored = buffer[i];
        buffer[i] = stored ^ prev;
        prev = stored;
    }
}

// Fills the table: a fresh default table (written at once) on the first start, the
// file's table otherwise, with default entries renamed at random. A file that fails
// the check becomes a table of cheaters. A file that is there but cannot be read
// (another user's, an I/O error, no descriptors left) is no first start: the game
// plays with a default table and never writes over that file. Called by main once at start-up.
void loadHiscores() {
    uint8_t taken[NUM_HISCORES] = {};
    fileKept = 0;
    FILE* f = fopen(hiscorePath(), "rb");
    uint8_t buf[HISCORE_FILE_SIZE];
    size_t got = 0;
    int err = f ? 0 : errno;
    if (f) {
        got = fread(buf, 1, sizeof buf, f);
        if (ferror(f)) err = errno ? errno : EIO;
        fclose(f);
    }
    if (err) {
        srand(sysTicks());
        for (int i = 0; i < NUM_HISCORES; i++) {
            HiscoreEntry& e = hiscores[i];
            pickDefaultName(e, taken);
            e.origin = ORIGIN_DEFAULT;
            e.reserved[0] = e.reserved[1] = 0;
            e.score = DEFAULT_TOP_SCORE - i * DEFAULT_SCORE_STEP + rand() % DEFAULT_SCORE_JITTER;
        }
        if (err == ENOENT) {
            saveBuffer();
            return;
        }
        fileKept = 1;
        fprintf(stderr, "blomp: cannot read %s: %s; the hiscores of this game will not be saved\n",
                hiscorePath(), strerror(err));
        return;
    }
    // We always write the file whole through a temporary file and a rename, so a short
    // file is not a crash half-way through a save: it was cut or edited by hand, and it
    // is treated as tampered at once.
    if (got < sizeof buf) {
        punishCheater();
        saveBuffer();
        return;
    }
    decodebuf(buf, HISCORE_FILE_SIZE, HISCORE_SEED);
    unpackTable(buf, hiscores);
    for (HiscoreEntry& e : hiscores) {
        if (entryIsBad(e)) {
            punishCheater();
            saveBuffer();
            return;
        }
        if (e.origin == ORIGIN_DEFAULT || e.name[0] == 0) pickDefaultName(e, taken);
    }
}

// Puts a new score below every entry at least as high (equal scores keep the older one
// first), dropping the last entry, and writes the file. Another game in the same folder
// may have added entries since this one read the file: under the folder's lock the file
// is read again, the player entries of this table it lacks are put in, then the new one,
// so no game's entry is lost. Called by the name entry when the score beats entry 9.
void saveHiscores(int32_t score, const char* name) {
    const int lock = fileKept ? -1 : lockFolder(hiscorePath());
    HiscoreEntry merged[NUM_HISCORES];
    if (!fileKept && readFileTable(merged)) {
        for (int i = 0; i < NUM_HISCORES; i++) {
            const HiscoreEntry& e = hiscores[i];
            if (e.origin == ORIGIN_PLAYER && e.score > merged[NUM_HISCORES - 1].score &&
                countPlayerEntry(hiscores, i + 1, e) > countPlayerEntry(merged, NUM_HISCORES, e))
                insertEntry(merged, e.score, e.name);
        }
        memcpy(hiscores, merged, sizeof hiscores);
    }
    insertEntry(hiscores, score, name);
    saveBuffer();
    unlockFolder(lock);
}

// Writes the table scrambled, replacing the old file whole or not at all; the table in
// memory stays plain. A file that cannot be written is told on standard error and skipped: the next save
// retries. A file that could not be read at start is never written. Called by loadHiscores and saveHiscores.
void saveBuffer() {
    if (fileKept) return;
    uint8_t buf[HISCORE_FILE_SIZE];
    packTable(buf);
    codebuf(buf, HISCORE_FILE_SIZE, HISCORE_SEED);
    saveGameFile(hiscorePath(), buf, HISCORE_FILE_SIZE);
}
