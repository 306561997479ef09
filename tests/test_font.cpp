// Fonts: cutting a sheet into glyphs, where texts and numbers land, characters
// without a glyph, and the shipped fonts against every text of the game.
#include "game/text.h"
#include "gfx/font.h"
#include "gfx/gfx.h"
#include "platform/zda.h"
#include "platform/zdawrite.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr Uint16 GLYPH_BASE = 1000; // glyph i of a test table is the solid pixel value 1000 + i

Uint16 pixel(SDL_Surface* s, int x, int y) {
    return ((Uint16*)((uint8_t*)s->pixels + y * s->pitch))[x];
}

// A table of `count` solid w x w glyphs, so a drawn character is told by any of its pixels.
SDL_Surface** solidTable(int count, int w) {
    SDL_Surface** t = (SDL_Surface**)calloc((size_t)count + 1, sizeof(SDL_Surface*));
    for (int i = 0; i < count; i++) {
        t[i] = createSurface(w, w, 0);
        fillRect(t[i], 0, 0, w, w, GLYPH_BASE + i);
    }
    return t;
}

void freeTable(SDL_Surface** t) {
    for (int i = 0; t[i]; i++) SDL_FreeSurface(t[i]);
    free(t);
}

// What a row should show: "AB." in 4-pixel cells is "AAAABBBB....".
std::string cells(const std::string& text, int w) {
    std::string out;
    for (char c : text) out += std::string(w, c);
    return out;
}

class FontTest : public ::testing::Test {
protected:
    ScratchDir dir;
    SDL_Surface** small = nullptr; // 8 x 8, codes 32..90 only
    SDL_Surface** big = nullptr;   // 16 x 16, codes 32..127
    void SetUp() override {
        screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
        mapColors();
        clear();
        small = solidTable(59, 8);
        big = solidTable(96, 16);
    }
    void TearDown() override {
        freeTable(small);
        freeTable(big);
        destroyFonts();
        closeArchives();
        SDL_FreeSurface(screen);
        screen = nullptr;
    }
    void clear() { fillRect(screen, 0, 0, 320, 240, BLACK); }
    // Row y, one character per column: the character whose glyph covers it, or '.'.
    std::string row(int y) {
        std::string out;
        for (int x = 0; x < 320; x++)
            out += pixel(screen, x, y) ? (char)(pixel(screen, x, y) - GLYPH_BASE + 32) : '.';
        return out;
    }
};

TEST_F(FontTest, TextPlacement) {
    drawTextAt(screen, "AB", 10, 20, small);
    EXPECT_EQ(row(20).substr(8, 20), ".." + cells("AB", 8) + "..");
    EXPECT_EQ(row(28).substr(10, 16), cells("..", 8)); // 8 rows high
    drawTextAt(screen, "WXYZ", -20, 0, small);         // W and X wholly left, Y clipped
    EXPECT_EQ(row(0).substr(0, 14), "YYYYZZZZZZZZ..");
    drawTextCenterAt(screen, "EXIT", 40, big);
    drawTextCenterAt(screen, "  TIME:", 60, small);
    EXPECT_EQ(row(40).substr(127, 66), "." + cells("EXIT", 16) + ".");
    EXPECT_EQ(row(60).substr(131, 58), "." + cells("  TIME:", 8) + ".");
    drawTextRightAt(screen, "AB", 100, 80, small);
    EXPECT_EQ(row(80).substr(83, 18), "." + cells("AB", 8) + ".");
    SDL_Surface** odd = solidTable(59, 5); // half a glyph rounds down: 160 - 2 x 2
    drawTextCenterAt(screen, "AB", 100, odd);
    EXPECT_EQ(row(100).substr(155, 12), "." + cells("AB", 5) + ".");
    freeTable(odd);
}

TEST_F(FontTest, EmptyShortAndGlyphlessTexts) {
    drawTextAt(screen, "", 0, 0, small);
    drawTextNAt(screen, "ABC", 0, 0, 0, small);
    drawTextCenterAt(screen, "", 0, small);
    EXPECT_EQ(row(0), std::string(320, '.'));
    char* exact = (char*)malloc(3); // reading past its end would be caught by the sanitizer
    memcpy(exact, "AB", 3);
    drawTextNAt(screen, exact, 50, 0, 0, small);
    drawTextNAt(screen, "ABCD", 3, 0, 10, small);
    free(exact);
    EXPECT_EQ(row(0).substr(0, 24), cells("AB.", 8));
    EXPECT_EQ(row(10).substr(0, 32), cells("ABC.", 8));
    // the small table ends at 'Z'; a hiscore name from a file can hold any byte
    drawTextAt(screen,
               "A\x01Z\xff"
               "a\x7f"
               "B",
               0, 20, small);
    drawTextCenterAt(screen, "\x80\x1f", 30, big);
    EXPECT_EQ(row(20).substr(0, 64), cells("A.Z...B.", 8));
    EXPECT_EQ(row(30), std::string(320, '.'));
}

TEST_F(FontTest, NumberPlacement) {
    drawNumberAt(screen, 7, 64, 0, 2, 1, big);
    drawNumberAt(screen, 12345, 124, 20, 4, 0, big);
    EXPECT_EQ(row(0).substr(63, 34), "." + cells("07", 16) + ".");
    EXPECT_EQ(row(20).substr(107, 82), "." + cells("12345", 16) + "."); // runs out left of x
    const struct {
        int32_t value;
        int digits, zeroPad;
        const char* shows;
    } cases[] = {{0, 2, 1, "00."},          {-5, 2, 1, "-5."}, {42, 4, 0, "..42."},
                 {1, 10, 1, "00000000.1."}, {3, 0, 1, "3."},   {INT32_MIN, 11, 1, "-2147483648."}};
    for (const auto& c : cases) {
        clear();
        drawNumberAt(screen, c.value, 0, 0, c.digits, c.zeroPad, small);
        EXPECT_EQ(row(0).substr(0, 8 * strlen(c.shows)), cells(c.shows, 8)) << c.value;
    }
}

TEST_F(FontTest, SheetsAreCutRowByRowAndKeyedOnMagenta) {
    // 20 x 17 holds 2 x 2 cells of 8 x 8; the partial column and row are not used
    SDL_Surface* sheet = SDL_CreateRGBSurface(SDL_SWSURFACE, 20, 17, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    SDL_FillRect(sheet, nullptr, SDL_MapRGB(sheet->format, 255, 0, 255));
    for (int cell = 0; cell < 4; cell++) {
        SDL_Rect r = {(Sint16)(cell % 2 * 8 + 2), (Sint16)(cell / 2 * 8 + 2), 4, 4};
        SDL_FillRect(sheet, &r, SDL_MapRGB(sheet->format, 0, 0, 64 * (cell + 1) - 1));
    }
    SDL_SaveBMP(sheet, "sheet.bmp");
    SDL_FreeSurface(sheet);
    std::vector<uint8_t> bmp = readFile("sheet.bmp");
    mkdir("data", 0755);
    ZdaItem item = {"tiny.bmp", bmp.data(), (int32_t)bmp.size()};
    ASSERT_EQ(writeZDA("data/gfx.zda", &item, 1), 1);
    openArchives();
    SDL_Surface** t = createFont("tiny", 8, 8);
    int n = 0;
    for (; t[n]; n++) {
        Uint8 r, g, b;
        SDL_GetRGB(pixel(t[n], 3, 3), t[n]->format, &r, &g, &b);
        EXPECT_EQ(b >> 3, (64 * (n + 1) - 1) >> 3) << "glyph " << n;
    }
    EXPECT_EQ(n, 4);
    fillRect(screen, 0, 0, 320, 240, RED);
    drawTextAt(screen, "!", 0, 0, t); // glyph 1: the magenta around it is see-through
    EXPECT_EQ(pixel(screen, 0, 0), RED);
    EXPECT_NE(pixel(screen, 3, 3), RED);
    freeTable(t);
}

// 1 when the glyph shows something: a pixel other than its transparent colour.
bool hasInk(SDL_Surface* g) {
    const Uint32 clear = (g->flags & SDL_SRCCOLORKEY) ? g->format->colorkey : BLACK;
    for (int y = 0; y < g->h; y++)
        for (int x = 0; x < g->w; x++)
            if (pixel(g, x, y) != clear) return true;
    return false;
}

TEST_F(FontTest, ShippedFontsDrawEveryTextOfTheGame) {
    dir.linkGameData();
    openArchives();
    for (int set : {1, 2}) { // sets 0 and 1 share their sheets
        loadSpriteFont(set);
        for (SDL_Surface** table : {font, fontbig}) {
            ASSERT_NE(table[0], nullptr);
            EXPECT_EQ(table[0]->w, table == font ? 8 : 16);
            int count = 0;
            while (table[count]) count++;
            for (int i = 0; i < NUM_LANGUAGES * NUM_TEXTS; i++)
                for (const char* c = translation[i]; *c; c++) {
                    const int g = (unsigned char)*c - 32;
                    ASSERT_TRUE(*c == ' ' || (g >= 0 && g < count && hasInk(table[g])))
                        << "set " << set << " text " << i << " '" << *c << "'";
                }
        }
    }
    destroyFonts();
    EXPECT_EQ(font, nullptr);
}

} // namespace
