// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's text table: the characters the fonts can draw, the room the screens have,
// and lookups by language.
#include "1base/text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(TextTable, EveryEntryUsesTheFontCharactersAndFitsALine) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        for (int n = 0; n < NUM_TEXTS; n++) {
            const char* s = translation[l * NUM_TEXTS + n];
            ASSERT_NE(s, nullptr) << "language " << l << " text " << n;
            // capitals, digits and a few signs are all the bitmap fonts carry
            EXPECT_EQ(std::strspn(s, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 !,-./:?"), std::strlen(s))
                << "language " << l << " text " << n << ": \"" << s << "\"";
            EXPECT_TRUE(n == TEXT_SCROLLER || std::strlen(s) <= size_t(MAX_TEXT_LEN))
                << "language " << l << " text " << n;
        }
    }
}

TEST(TextLookup, FollowsTheChosenLanguageAndStaysInsideTheTable) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        lang_id = l;
        for (int n = 0; n < NUM_TEXTS; n++) EXPECT_EQ(tr(n), translation[l * NUM_TEXTS + n]);
        EXPECT_STREQ(tr(-1), "");
        EXPECT_STREQ(tr(NUM_TEXTS), "");
    }
    // a language outside the table reads as English rather than past its end
    for (int bad : {NUM_LANGUAGES, -1}) {
        lang_id = bad;
        EXPECT_EQ(tr(15), translation[15]) << "language " << bad;
    }
    lang_id = 0; // the rest of the suite sees the default
}

} // namespace
