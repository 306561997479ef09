// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: a resource archive. The bytes become ./data/maps.zda; the game
// opens its archives, and every entry the table lists (and a few names it does
// not) is looked up and inflated the way the loaders do it.
#include "fuzz.h"

#include "2platform/zda.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int MAX_LISTED = 64; // entries read from one archive; a table may claim millions

// Names the game asks for that an archive may or may not hold.
const char* const askedFor[][2] = {{"plan0", "bin"}, {"beginner", "bin"}, {"", ""}, {"x", ""}};

} // namespace

// Reads every listed entry of the archive; refused when the game sees no archive in it.
int fuzzArchive(const uint8_t* data, size_t size) {
    fuzzEnter();
    if (!fuzzWriteFile("data/maps.zda", data, size)) fuzzFail("cannot write the archive");
    openArchives();
    const uint8_t* header = zda_full_header[ARC_MAPS];
    const int outcome = header ? FUZZ_ACCEPTED : FUZZ_REFUSED;
    const int count = gp_zda_count(header);
    for (int i = 0; i < count && i < MAX_LISTED; i++) {
        char name[ZDA_NAME_SIZE + 1];
        gp_zda_name(header, i, name, sizeof name);
        int32_t got = -1;
        uint8_t* entry = uncompressZDA(ARC_MAPS, name, &got);
        // An entry handed out must be as long as the caller is told.
        if (entry && (got < 1 || got > gp_zda_usize(header, name)))
            fuzzFail("an entry's size is not what it holds");
        if (entry) {
            volatile uint8_t sum = 0;
            for (int32_t k = 0; k < got; k++)
                sum = (uint8_t)(sum + entry[k]); // every byte handed out is readable
        }
        free(entry);
    }
    for (const auto& a : askedFor) free(loadZDAFile(ARC_MAPS, a[0], a[1], nullptr));
    closeArchives();
    fuzzLeave();
    return outcome;
}
