// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's text table: the characters the fonts can draw, the room the screens have,
// the wording players know, and lookups by language.
#include "game/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

enum { EN = 0, DE = 1, FR = 2, ES = 3 };

// Text n of language l straight from the table.
std::string txt(int l, int n) {
    return translation[l * NUM_TEXTS + n];
}

// Restores English after each test so the rest of the suite sees the default.
class TextLookup : public ::testing::Test {
protected:
    void TearDown() override { lang_id = 0; }
};

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
    const size_t scroller[NUM_LANGUAGES] = {399, 483, 425, 399}; // the title scroll is timed to them
    for (int l = 0; l < NUM_LANGUAGES; l++) EXPECT_EQ(txt(l, TEXT_SCROLLER).size(), scroller[l]) << l;
}

TEST(TextTable, RowsThatMustReadExactly) {
    const struct {
        int n;
        const char *en, *de, *fr, *es;
    } rows[] = {
        {9, "  TIME:", "  ZEIT:", " TEMPS:", "TIEMPO"}, // right-aligned before the bar
        {10, "   AIR:", "  LUFT:", "   AIR:", "  AIRE"},
        {12, "SUICIDE", "REINKARNATION", "SUICIDE", "SUICIDIO"},
        {15, "BLOMP, RUN!", "BLOMP, LAUF!", "BLOMP, COURS!", "BLOMP, CORRE!"},
        {59, "THE NIGHT", "", "LA NUIT!", "LA NOCHE"},
        {62, "GAME OVER!", "GAME OVER!", "GAME OVER!", "FIN DEL JUEGO!"},
        {83, "THOSE", "", "CEUX", ""},
    };
    for (const auto& r : rows) {
        const char* want[] = {r.en, r.de, r.fr, r.es};
        for (int l = EN; l <= ES; l++) EXPECT_EQ(txt(l, r.n), want[l]) << "language " << l << " text " << r.n;
    }
}

TEST_F(TextLookup, FollowsTheChosenLanguageAndStaysInsideTheTable) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        lang_id = l;
        for (int n = 0; n < NUM_TEXTS; n++) EXPECT_EQ(tr(n), translation[l * NUM_TEXTS + n]);
    }
    lang_id = FR;
    EXPECT_STREQ(tr(-1), "");
    EXPECT_STREQ(tr(NUM_TEXTS), "");
    lang_id = NUM_LANGUAGES; // a language outside the table reads as English rather than past its end
    EXPECT_STREQ(tr(15), "BLOMP, RUN!");
    lang_id = -1;
    EXPECT_STREQ(tr(15), "BLOMP, RUN!");
}

} // namespace
