// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fonts and texts: where texts and numbers land, clipping at the edge, characters
// without a glyph, and the text table (the characters the fonts can draw, the room
// the screens have, lookups by language).
#include "1base/text.h"
#include "2platform/zda.h"
#include "6draw/font.h"
#include "6draw/gfx.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr Uint16 GLYPH_BASE = 1000; // glyph i of a test table is the solid pixel value 1000 + i

// A table of `count` solid w x w glyphs, so a drawn character is told by any of its pixels.
SDL_Surface** solidTable(int count, int w) {
    SDL_Surface** t = (SDL_Surface**)calloc((size_t)count + 1, sizeof(SDL_Surface*));
    for (int i = 0; i < count; i++) {
        t[i] = createSurface(w, w, 0);
        fillRect(t[i], 0, 0, w, w, GLYPH_BASE + i);
    }
    return t;
}

// What a row should show: "AB." in 4-pixel cells is "AAAABBBB....".
std::string cells(const std::string& text, int w) {
    std::string out;
    for (char c : text) out += std::string(w, c);
    return out;
}

class FontTest : public ::testing::Test {
protected:
    SDL_Surface** small = nullptr; // 8 x 8, codes 32..90 only
    SDL_Surface** big = nullptr;   // 16 x 16, codes 32..127
    void SetUp() override {
        screen = frameSurface(16);
        mapColors();
        fillRect(screen, 0, 0, 320, 240, BLACK);
        small = solidTable(59, 8);
        big = solidTable(96, 16);
    }
    void TearDown() override {
        for (SDL_Surface** t : {small, big}) {
            for (int i = 0; t[i]; i++) SDL_FreeSurface(t[i]);
            free(t);
        }
        SDL_FreeSurface(screen);
        screen = nullptr;
    }
    // Row y, one character per column: the character whose glyph covers it, or '.'.
    std::string row(int y) {
        std::string out;
        for (int x = 0; x < 320; x++) {
            const Uint16 v = ((Uint16*)((uint8_t*)screen->pixels + y * screen->pitch))[x];
            out += v ? (char)(v - GLYPH_BASE + 32) : '.';
        }
        return out;
    }
};

TEST_F(FontTest, TextsAndNumbersLandWhereTheScreensPutThem) {
    drawTextAt(screen, "WXYZ", -20, 0, small); // W and X wholly left, Y clipped
    drawTextCenterAt(screen, "EXIT", 20, big);
    drawTextCenterAt(screen, "  TIME:", 40, small);
    // the small table ends at 'Z'; a hiscore name from a file can hold any byte
    drawTextAt(screen,
               "A\x01Z\xff"
               "a\x7f"
               "B",
               0, 60, small);
    drawNumberAt(screen, 12345, 124, 90, 4, 0, big); // too many digits: runs out left of x
    drawNumberAt(screen, 0, 0, 110, 2, 1, small);
    drawNumberAt(screen, -5, 0, 120, 2, 1, small);
    drawNumberAt(screen, 1, 0, 130, 10, 1, small); // eight zeros at most
    const struct {
        int y, x;
        std::string shows;
    } rows[] = {
        {0, 0, "YYYYZZZZZZZZ.."},
        {20, 127, "." + cells("EXIT", 16) + "."},
        {40, 131, "." + cells("  TIME:", 8) + "."},
        {60, 0, cells("A.Z...B.", 8)},
        {90, 107, "." + cells("12345", 16) + "."},
        {110, 0, cells("00.", 8)},
        {120, 0, cells("-5.", 8)},
        {130, 0, cells("00000000.1.", 8)},
    };
    for (const auto& r : rows) EXPECT_EQ(row(r.y).substr(r.x, r.shows.size()), r.shows) << "row " << r.y;
}

TEST_F(FontTest, ASheetOfMoreCellsThanByteCodesGivesOneGlyphPerCodeOnly) {
    ScratchDir dir;
    // 256 cells of 8 x 8, cell n painted in a colour of its own
    SDL_Surface* sheet = frameSurface(24, 128, 128);
    for (int n = 0; n < 256; n++) {
        SDL_Rect r = {(Sint16)(n % 16 * 8), (Sint16)(n / 16 * 8), 8, 8};
        SDL_FillRect(sheet, &r, SDL_MapRGB(sheet->format, (Uint8)n, (Uint8)(255 - n), 7));
    }
    SDL_SaveBMP(sheet, "sheet.bmp");
    SDL_FreeSurface(sheet);
    ASSERT_TRUE(writeDataArchive("gfx", {{"sheet.bmp", readFile("sheet.bmp")}}));
    openArchives();
    SDL_Surface** t = createFont("sheet", 8, 8);
    ASSERT_NE(t, nullptr);
    int count = 0;
    while (t[count]) count++;
    EXPECT_EQ(count, 224);                                                    // codes 32 to 255
    EXPECT_EQ(pixelAt(t[223], 3, 3), SDL_MapRGB(t[223]->format, 223, 32, 7)); // code 255 is cell 223
    for (int i = 0; t[i]; i++) SDL_FreeSurface(t[i]);
    free(t);
    closeArchives();
}

// The game's text table: the characters the fonts can draw, the room the screens have,
// and lookups by language.
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

// A text number or a language from outside the table reads nothing past its end.
TEST(TextLookup, StaysInsideTheTable) {
    for (int bad : {NUM_LANGUAGES, -1}) {
        lang_id = bad;
        EXPECT_EQ(tr(15), translation[15]) << "language " << bad; // read as English
    }
    lang_id = 0; // the rest of the suite sees the default
    EXPECT_STREQ(tr(-1), "");
    EXPECT_STREQ(tr(NUM_TEXTS), "");
}

} // namespace
