// Tests of the game's text table: the character set the fonts can draw, the lengths
// the screens have room for, the wording players know, and lookups by language.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/text.h"

namespace {

constexpr int EN = 0, DE = 1, FR = 2, ES = 3;

// text n of language l straight from the table
std::string txt(int l, int n) {
    return translation[l * NUM_TEXTS + n];
}

// true when every character is one the bitmap fonts carry
bool drawable(const char* s) {
    for (; *s; s++) {
        char c = *s;
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) continue;
        if (!std::strchr(" !,-./:?", c)) return false;
    }
    return true;
}

// texts drawn in the 16-pixel font: 20 characters fill the screen
constexpr int bigFontTexts[] = {0,  1,  2,  3,  4,  5,  6,  11, 12, 13, 14, 15, 16, 18,
                                19, 20, 21, 22, 38, 39, 40, 41, 46, 47, 48, 49, 50, 51,
                                52, 53, 54, 55, 56, 57, 58, 59, 60, 62, 63, 64, 75};

// restores English after each test so the rest of the suite sees the default
class TextLookup : public ::testing::Test {
protected:
    void TearDown() override { lang_id = 0; }
};

} // namespace

TEST(TextTable, EveryEntryUsesTheFontCharactersAndFitsALine) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        for (int n = 0; n < NUM_TEXTS; n++) {
            const char* s = translation[l * NUM_TEXTS + n];
            ASSERT_NE(s, nullptr) << "language " << l << " text " << n;
            EXPECT_TRUE(drawable(s)) << "language " << l << " text " << n << ": \"" << s << "\"";
            if (n != TEXT_SCROLLER) {
                EXPECT_LE(std::strlen(s), size_t(MAX_TEXT_LEN)) << "language " << l << " text " << n;
            }
        }
    }
}

TEST(TextTable, ScrollerHasItsExactLengthInEachLanguage) {
    const size_t want[NUM_LANGUAGES] = {399, 483, 425, 399};
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        EXPECT_EQ(txt(l, TEXT_SCROLLER).size(), want[l]) << "language " << l;
        // the scroller is one line: no control characters slipped in
        EXPECT_EQ(txt(l, TEXT_SCROLLER).find('\n'), std::string::npos);
        EXPECT_NE(txt(l, TEXT_SCROLLER).find("BLOMP"), std::string::npos);
    }
}

TEST(TextTable, TextsFitWhereTheScreensDrawThem) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        for (int n : bigFontTexts) {
            size_t limit = (l == ES && n == 49) ? 33 : 20; // the Spanish ending line runs wide
            EXPECT_LE(txt(l, n).size(), limit) << "language " << l << " text " << n << " in the big font";
        }
        // HUD labels sit at x 4 and must end before their bar at x 64
        EXPECT_LE(txt(l, 9).size(), 7u) << "language " << l;
        EXPECT_LE(txt(l, 10).size(), 7u) << "language " << l;
        // bonus and score lines get ": " and a number appended in the big font
        EXPECT_LE(txt(l, 44).size() + 5, 20u) << "language " << l;
        EXPECT_LE(txt(l, 45).size() + 4, 20u) << "language " << l;
        EXPECT_LE(txt(l, 61).size() + 6, 20u) << "language " << l;
        // option values start at x 192 in the small font: 16 characters to the edge
        EXPECT_LE(txt(l, 23).size(), 16u) << "language " << l;
        EXPECT_LE(txt(l, 24).size(), 16u) << "language " << l;
        // option labels start at x 24 and must stay clear of the values
        for (int n : {25, 31, 35, 36, 37})
            EXPECT_LE(txt(l, n).size(), 20u) << "language " << l << " text " << n;
        // the quotation is drawn in the big font from x 8
        for (int n = 83; n <= 88; n++) EXPECT_LE(txt(l, n).size(), 19u) << "language " << l << " text " << n;
    }
}

TEST(TextTable, NoStrayBlanksOrMissingTranslations) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        for (int n = 0; n < NUM_TEXTS; n++) {
            std::string s = txt(l, n);
            if (n == 9 || n == 10 || n == TEXT_SCROLLER) continue; // aligned on purpose
            if (s.empty()) continue;
            // a stray blank would shift every centred text off the middle
            EXPECT_NE(s.front(), ' ') << "language " << l << " text " << n;
            EXPECT_NE(s.back(), ' ') << "language " << l << " text " << n;
            EXPECT_EQ(s.find("  "), std::string::npos) << "language " << l << " text " << n;
        }
    }
    // only these lines are left empty; any other empty text is a forgotten translation
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        for (int n = 0; n < NUM_TEXTS; n++) {
            bool gap = (l == DE && (n == 59 || (n >= 83 && n <= 85))) || (l == ES && n == 83);
            EXPECT_EQ(txt(l, n).empty(), gap) << "language " << l << " text " << n;
        }
    }
}

TEST(TextEnglish, WordingPlayersSee) {
    EXPECT_EQ(txt(EN, 0), "IMPALED TO DEATH");
    EXPECT_EQ(txt(EN, 3), "KILLED BY A HOGLET");
    EXPECT_EQ(txt(EN, 5), "EATEN BY A PIRANHA");
    EXPECT_EQ(txt(EN, 6), "KILLED BY A HAT GUY");
    EXPECT_EQ(txt(EN, 7), "PRESS LEFT FOR CLASSIC GRAPHICS");
    EXPECT_EQ(txt(EN, 9), "  TIME:");
    EXPECT_EQ(txt(EN, 10), "   AIR:");
    EXPECT_EQ(txt(EN, 11), "-PAUSE-");
    EXPECT_EQ(txt(EN, 15), "BLOMP, RUN!");
    EXPECT_EQ(txt(EN, 17), "GO TO PAUSE MODE AND SUICIDE");
    EXPECT_EQ(txt(EN, 18), "PRESS START");
    EXPECT_EQ(txt(EN, 21), "HISCORES");
    EXPECT_EQ(txt(EN, 24), "NOT AVAILABLE");
    EXPECT_EQ(txt(EN, 34), "PRESS FIRE BUTTON");
    EXPECT_EQ(txt(EN, 39), "TIME UP");
    EXPECT_EQ(txt(EN, 40), "DROWNED");
    EXPECT_EQ(txt(EN, 42), "PRESS LEFT FOR YES, PRESS RIGHT FOR NO");
    EXPECT_EQ(txt(EN, 43), "ANY POSSIBLE HISCORE ENTRY WILL BE LOST");
    EXPECT_EQ(txt(EN, 49), "ALL ITEMS ARE BACK");
    EXPECT_EQ(txt(EN, 53), "BLOMP WANDERED");
    EXPECT_EQ(txt(EN, 60), "GOOD LUCK!");
    EXPECT_EQ(txt(EN, 67), "PROJECTS IN AN UNMODDED FORM:");
    EXPECT_EQ(txt(EN, 74), "PRESS UP TO GO ON");
    EXPECT_EQ(txt(EN, 79), "THROW IT AGAINST AN OBJECT.");
    EXPECT_EQ(txt(EN, 83), "THOSE");
    EXPECT_EQ(txt(EN, 88), "PRODUCE NOTHING");
}

TEST(TextForeign, RowsThatMustReadExactly) {
    struct Row {
        int n;
        const char* de;
        const char* fr;
        const char* es;
    };
    const Row rows[] = {
        {9, "  ZEIT:", " TEMPS:", "TIEMPO"},
        {10, "  LUFT:", "   AIR:", "  AIRE"},
        {12, "REINKARNATION", "SUICIDE", "SUICIDIO"},
        {15, "BLOMP, LAUF!", "BLOMP, COURS!", "BLOMP, CORRE!"},
        {53, "BEIM WANDERN HAT", "BLOMP SE BALADAIT", "BLOMP VAGABA"},
        {54, "BLOMP EIN PAAR", "ET A PERDU TOUS", "POR AHI Y PERDIO"},
        {59, "", "LA NUIT!", "LA NOCHE"},
        {62, "GAME OVER!", "GAME OVER!", "FIN DEL JUEGO!"},
        {83, "", "CEUX", ""},
        {84, "", "QUI NE", "AQUELLOS"},
        {85, "", "VEULENT PAS", "QUE NO"},
        {86, "DIEJENIGEN DIE", "IMITER QUOI", "QUIEREN"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(txt(DE, r.n), r.de) << "German text " << r.n;
        EXPECT_EQ(txt(FR, r.n), r.fr) << "French text " << r.n;
        EXPECT_EQ(txt(ES, r.n), r.es) << "Spanish text " << r.n;
    }
    EXPECT_EQ(txt(ES, 49).size(), 33u); // the one big-font line wider than the screen
}

TEST_F(TextLookup, FollowsTheChosenLanguage) {
    for (int l = 0; l < NUM_LANGUAGES; l++) {
        lang_id = l;
        for (int n = 0; n < NUM_TEXTS; n++) EXPECT_EQ(tr(n), translation[l * NUM_TEXTS + n]);
    }
    lang_id = DE;
    EXPECT_STREQ(tr(12), "REINKARNATION");
    lang_id = ES;
    EXPECT_STREQ(tr(62), "FIN DEL JUEGO!");
    lang_id = EN;
    EXPECT_STREQ(tr(12), "SUICIDE");
}

TEST_F(TextLookup, BadNumbersGiveSafeTexts) {
    lang_id = FR;
    EXPECT_STREQ(tr(-1), "");
    EXPECT_STREQ(tr(NUM_TEXTS), "");
    EXPECT_STREQ(tr(1000000), "");
    // a language outside the table reads as English rather than past its end
    lang_id = NUM_LANGUAGES;
    EXPECT_STREQ(tr(15), "BLOMP, RUN!");
    lang_id = -1;
    EXPECT_STREQ(tr(15), "BLOMP, RUN!");
}
