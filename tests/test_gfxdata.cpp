// The game's pictures as the data builder makes them: every bitmap loads in SDL at
// the size the game cuts it by, the tile sheets keep their promises (sprites have a
// see-through background, ground is solid, the water strip wraps without a seam,
// every code in the tile list is drawn), the fonts cover every character the texts
// use, the three sets look different, and the pixel-art reader refuses broken art.
#include <gtest/gtest.h>

#include <SDL.h>

#include <array>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "build.h"
#include "gfxart.h"

namespace {

const std::string assets = BLOMP_SOURCE_DIR "/assets";

// The entries of one build, made once for the whole file.
const Entries& built() {
    static Entries e;
    if (e.empty()) buildGfx(assets, e);
    return e;
}

const Entry* findEntry(const std::string& name) {
    for (const Entry& e : built())
        if (e.name == name) return &e;
    return nullptr;
}

// Decodes an entry with SDL's own BMP reader; an empty picture when SDL refuses it.
Pic decodeWithSdl(const Entry& e) {
    Pic p;
    SDL_RWops* rw = SDL_RWFromConstMem(e.bytes.data(), static_cast<int>(e.bytes.size()));
    SDL_Surface* s = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (!s) return p;
    p = picNew(s->w, s->h, 0);
    SDL_LockSurface(s);
    const int bpp = s->format->BytesPerPixel;
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++) {
            const uint8_t* at = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * bpp;
            Uint32 v = 0;
            std::memcpy(&v, at, bpp); // little-endian machine: the low bytes hold the pixel
            Uint8 r, g, b;
            SDL_GetRGB(v, s->format, &r, &g, &b);
            picPut(p, x, y, picRgb(r, g, b));
        }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return p;
}

Pic tileOf(const Pic& sheet, int code) {
    Pic t = picNew(16, 16, 0);
    picBlit(t, sheet, 16 * (code % 20), 16 * (code / 20), 16, 16, 0, 0, false);
    return t;
}

int countKey(const Pic& p) {
    int n = 0;
    for (uint32_t v : p.px) n += v == PIC_KEY;
    return n;
}

std::set<uint32_t> coloursOf(const Pic& p) {
    return std::set<uint32_t>(p.px.begin(), p.px.end());
}

const Pic& sheetOf(int set) {
    static Pic sheets[NUM_SETS];
    if (sheets[set].px.empty()) sheets[set] = makeBlockSheet(assets, set);
    return sheets[set];
}

// Every code named in the first column of the tile list's tables.
std::set<int> codesInTileList() {
    std::ifstream f(assets + "/gfx/TILES.md");
    std::set<int> codes;
    std::string line;
    while (std::getline(f, line)) {
        if (line.size() < 2 || line[0] != '|') continue;
        std::string cell = line.substr(1, line.find('|', 1) - 1);
        std::istringstream in(cell);
        std::string word;
        while (in >> word) {
            if (word.back() == ',') word.pop_back();
            bool digits = !word.empty();
            for (char c : word) digits = digits && c >= '0' && c <= '9';
            if (digits) codes.insert(std::stoi(word));
        }
    }
    return codes;
}

// Codes of the figure, the monsters and the pickups: drawn over the level, never square blocks.
const int spriteCodes[] = {1,   2,   3,   4,   5,   6,  7,  8,  65, 68, 24, 9,  10,  11,  12,  13,  14,
                           15,  16,  33,  57,  34,  35, 36, 37, 53, 54, 55, 56, 121, 122, 123, 124, 125,
                           126, 141, 142, 143, 144, 67, 41, 26, 42, 17, 18, 19, 105, 86,  87,  88};
// Ground, walls and the solid working parts: the back picture must never show through them.
const int solidCodes[] = {20,  21,  22,  23,  40,  43,  44,  63,  64, 69,
                          128, 129, 130, 131, 132, 133, 134, 135, 136};

} // namespace

// ---- every bitmap: present, readable by SDL, the right size ----

TEST(GfxDataEntries, EveryBitmapLoadsInSdlAtItsSize) {
    struct Want {
        const char* name;
        int minW, maxW, minH, maxH;
    };
    const Want wants[] = {
        {"blocks.bmp", 320, 320, 192, 192},   {"newblocks.bmp", 320, 320, 192, 192},
        {"gbblocks.bmp", 320, 320, 192, 192}, {"back.bmp", 321, 2048, 1, 192},
        {"newback.bmp", 321, 2048, 1, 192},   {"moon.bmp", 8, 96, 8, 96},
        {"logo.bmp", 160, 320, 40, 120},      {"gblogo.bmp", 160, 320, 40, 120},
        {"font.bmp", 128, 128, 48, 64},       {"fontbig.bmp", 256, 256, 96, 128},
        {"gbfont.bmp", 128, 128, 48, 64},     {"gbfontbig.bmp", 256, 256, 96, 128},
        {"muse.bmp", 320, 320, 100, 240},     {"flag_uk.bmp", 80, 100, 50, 70},
        {"flag_de.bmp", 80, 100, 50, 70},     {"flag_fr.bmp", 80, 100, 50, 70},
        {"flag_es.bmp", 80, 100, 50, 70},     {"cursor.bmp", 16, 32, 8, 32},
    };
    EXPECT_EQ(built().size(), sizeof(wants) / sizeof(wants[0]));
    for (const Want& w : wants) {
        const Entry* e = findEntry(w.name);
        ASSERT_NE(e, nullptr) << w.name;
        Pic p = decodeWithSdl(*e);
        ASSERT_GT(p.w, 0) << w.name << ": " << SDL_GetError();
        EXPECT_GE(p.w, w.minW) << w.name;
        EXPECT_LE(p.w, w.maxW) << w.name;
        EXPECT_GE(p.h, w.minH) << w.name;
        EXPECT_LE(p.h, w.maxH) << w.name;
    }
    // all four flags share one size, so the language screen lines them up
    Pic uk = decodeWithSdl(*findEntry("flag_uk.bmp"));
    for (const char* n : {"flag_de.bmp", "flag_fr.bmp", "flag_es.bmp"}) {
        Pic f = decodeWithSdl(*findEntry(n));
        EXPECT_EQ(f.w, uk.w) << n;
        EXPECT_EQ(f.h, uk.h) << n;
    }
}

TEST(GfxDataEntries, SdlReadsBackTheColoursDrawn) {
    // bottom-up rows and blue-green-red order: a mix-up would turn or tint every picture
    Pic sheet = sheetOf(SET_DELUXE);
    Pic viaSdl = decodeWithSdl(*findEntry("newblocks.bmp"));
    ASSERT_EQ(viaSdl.w, sheet.w);
    ASSERT_EQ(viaSdl.h, sheet.h);
    EXPECT_TRUE(viaSdl.px == sheet.px);
    // an odd width exercises the row padding
    Pic odd = picNew(3, 2, 0x102030);
    picPut(odd, 2, 0, 0xff0000);
    picPut(odd, 0, 1, 0x0000ff);
    Entry e{"odd.bmp", picToBmp(odd)};
    EXPECT_EQ(e.bytes.size(), 54u + 2 * 12);
    Pic back = decodeWithSdl(e);
    EXPECT_TRUE(back.px == odd.px);
}

TEST(GfxDataEntries, SameSourcesGiveTheSameBytes) {
    Entries again;
    buildGfx(assets, again);
    ASSERT_EQ(again.size(), built().size());
    for (size_t i = 0; i < again.size(); i++) {
        EXPECT_EQ(again[i].name, built()[i].name);
        EXPECT_TRUE(again[i].bytes == built()[i].bytes) << again[i].name;
    }
}

// ---- the block sheets ----

TEST(GfxDataSheets, SpritesHaveSeeThroughBackgroundsAndGroundIsSolid) {
    for (int set = 0; set < NUM_SETS; set++) {
        const Pic& sheet = sheetOf(set);
        for (int code : spriteCodes) {
            Pic t = tileOf(sheet, code);
            EXPECT_GT(countKey(t), 0) << "set " << set << " sprite " << code << " is a square block";
            EXPECT_LT(countKey(t), 256) << "set " << set << " sprite " << code << " is empty";
        }
        for (int code : solidCodes)
            EXPECT_EQ(countKey(tileOf(sheet, code)), 0)
                << "set " << set << " solid tile " << code << " has holes";
        // the empty code is never drawn, but must not hide anything either
        EXPECT_EQ(countKey(tileOf(sheet, 0)), 256);
    }
}

TEST(GfxDataSheets, EveryCodeInTheTileListIsDrawn) {
    std::set<int> codes = codesInTileList();
    ASSERT_GT(codes.size(), 100u); // the list was read at all
    for (int set = 0; set < NUM_SETS; set++)
        for (int code : codes) {
            if (code == 0) continue;
            ASSERT_LT(code, 240);
            EXPECT_LT(countKey(tileOf(sheetOf(set), code)), 256) << "set " << set << ": code " << code;
        }
}

TEST(GfxDataSheets, WaterStripWrapsWithoutASeam) {
    for (int set = 0; set < NUM_SETS; set++) {
        const Pic& sheet = sheetOf(set);
        int crest[32];
        for (int x = 0; x < 32; x++) {
            crest[x] = 16;
            for (int y = 0; y < 16; y++)
                if (picGet(sheet, x, 128 + y) != PIC_KEY) {
                    crest[x] = y;
                    break;
                }
            ASSERT_LT(crest[x], 12) << "set " << set << " column " << x << " has no water";
            // below the crest the water is solid down to the tile's bottom
            for (int y = crest[x]; y < 16; y++) EXPECT_NE(picGet(sheet, x, 128 + y), PIC_KEY);
        }
        // every step along the strip is gentle, including the one from column 31 back to 0
        for (int x = 0; x < 32; x++)
            EXPECT_LE(std::abs(crest[x] - crest[(x + 1) % 32]), 1) << "set " << set << " at " << x;
        // the bottom rows are the same water as the tile under the surface
        for (int x = 0; x < 32; x++)
            EXPECT_EQ(picGet(sheet, x, 128 + 15), picGet(sheet, 16 * 5 + x % 16, 64 + 15));
    }
}

TEST(GfxDataSheets, WalkingLeftMirrorsWalkingRight) {
    const Pic& sheet = sheetOf(SET_DELUXE);
    const int pairs[][2] = {{1, 5},   {2, 6},     {3, 7},     {4, 8},  {65, 68},
                            {13, 15}, {121, 144}, {124, 141}, {53, 55}};
    for (const auto& pr : pairs) {
        Pic a = tileOf(sheet, pr[0]), b = tileOf(sheet, pr[1]);
        EXPECT_TRUE(picMirror(a).px == b.px) << pr[0] << " and " << pr[1];
        EXPECT_FALSE(a.px == b.px) << pr[0] << " faces both ways";
    }
    // the walk cycle has four different pictures, and the crumbling frames all differ
    const int cycles[][4] = {{1, 2, 3, 4}, {200, 201, 202, 203}, {180, 181, 182, 183}, {40, 200, 201, 202}};
    for (const auto& c : cycles)
        for (int i = 0; i < 4; i++)
            for (int j = i + 1; j < 4; j++)
                EXPECT_FALSE(tileOf(sheet, c[i]).px == tileOf(sheet, c[j]).px) << c[i] << " and " << c[j];
}

TEST(GfxDataSheets, TheThreeSetsLookDifferent) {
    std::set<uint32_t> classic = coloursOf(sheetOf(SET_CLASSIC));
    std::set<uint32_t> deluxe = coloursOf(sheetOf(SET_DELUXE));
    std::set<uint32_t> gb = coloursOf(sheetOf(SET_GB));
    // classic: a small fixed palette; handheld: four shades and the key; deluxe: rich
    EXPECT_LE(classic.size(), 17u);
    EXPECT_EQ(gb.size(), 5u);
    for (int i = 0; i < 4; i++) EXPECT_TRUE(gb.count(picGbShades[i])) << i;
    EXPECT_GT(deluxe.size(), 3 * classic.size());
    for (std::set<uint32_t>* s : {&classic, &deluxe, &gb}) EXPECT_TRUE(s->count(PIC_KEY));
}

TEST(GfxDataSheets, EverySetDrawsTheSameShapes) {
    // the codes mean the same in every set, so a tile must cover the same pixels in all three:
    // a hole in one set would let the player see through a wall or miss a spike
    const Pic& deluxe = sheetOf(SET_DELUXE);
    for (int set : {SET_CLASSIC, SET_GB}) {
        const Pic& other = sheetOf(set);
        int differing = 0;
        for (size_t i = 0; i < deluxe.px.size(); i++)
            differing += (deluxe.px[i] == PIC_KEY) != (other.px[i] == PIC_KEY);
        EXPECT_EQ(differing, 0) << "set " << set;
    }
}

TEST(GfxDataSheets, MissingOrBrokenArtStopsTheBuildWithAMessage) {
    EXPECT_EXIT(makeBlockSheet("/nonexistent/assets", SET_DELUXE), ::testing::ExitedWithCode(1),
                "cannot read");
    EXPECT_EXIT(makeFontSheet("/nonexistent/assets", SET_DELUXE, false), ::testing::ExitedWithCode(1),
                "cannot read");
}

// ---- fonts ----

TEST(GfxDataFonts, EveryCharacterOfTheTextsHasAGlyph) {
    const struct {
        const char* name;
        int cell;
    } fonts[] = {{"font.bmp", 8}, {"fontbig.bmp", 16}, {"gbfont.bmp", 8}, {"gbfontbig.bmp", 16}};
    for (const auto& f : fonts) {
        Pic sheet = decodeWithSdl(*findEntry(f.name));
        ASSERT_EQ(sheet.w % f.cell, 0) << f.name;
        const int cols = sheet.w / f.cell;
        ASSERT_GE(cols * (sheet.h / f.cell), 127 - 32) << f.name;
        std::map<std::vector<uint32_t>, int> seen;
        for (int code = 32; code < 127; code++) {
            Pic g = picNew(f.cell, f.cell, 0);
            int i = code - 32;
            picBlit(g, sheet, (i % cols) * f.cell, (i / cols) * f.cell, f.cell, f.cell, 0, 0, false);
            int ink = f.cell * f.cell - countKey(g);
            if (code == ' ') {
                EXPECT_EQ(ink, 0) << f.name << ": the blank has ink";
                continue;
            }
            EXPECT_GT(ink, 0) << f.name << ": no glyph for '" << char(code) << "'";
            if (code >= 'a' && code <= 'z') continue; // lower case repeats upper case
            // two characters drawn alike would make a text unreadable
            auto it = seen.find(g.px);
            EXPECT_TRUE(it == seen.end()) << f.name << ": '" << char(code) << "' looks like '"
                                          << char(it == seen.end() ? ' ' : it->second) << "'";
            seen[g.px] = code;
        }
    }
}

TEST(GfxDataFonts, HandheldFontsHaveTheSameLetters) {
    // only the colours change with the set: the same text takes the same room
    static const char* const pairs[2][2] = {{"font.bmp", "gbfont.bmp"}, {"fontbig.bmp", "gbfontbig.bmp"}};
    for (const auto& pair : pairs) {
        Pic a = decodeWithSdl(*findEntry(pair[0])), b = decodeWithSdl(*findEntry(pair[1]));
        ASSERT_EQ(a.w, b.w);
        ASSERT_EQ(a.h, b.h);
        for (size_t i = 0; i < a.px.size(); i++)
            ASSERT_EQ(a.px[i] == PIC_KEY, b.px[i] == PIC_KEY) << pair[1] << " at " << i;
        for (uint32_t v : coloursOf(b))
            EXPECT_TRUE(v == PIC_KEY || v == picGbShades[0] || v == picGbShades[1] || v == picGbShades[2] ||
                        v == picGbShades[3])
                << pair[1] << std::hex << " " << v;
    }
}

TEST(GfxDataFonts, LettersStayInsideTheirCells) {
    // ink touching the right or bottom edge of a small glyph runs into the next character
    Pic sheet = decodeWithSdl(*findEntry("font.bmp"));
    for (int i = 0; i < 96; i++) {
        int cx = (i % 16) * 8, cy = (i / 16) * 8;
        for (int k = 0; k < 8; k++) EXPECT_EQ(picGet(sheet, cx + 7, cy + k), PIC_KEY) << "glyph " << i + 32;
    }
}

// ---- single pictures ----

TEST(GfxDataPictures, BackPicturesRepeatSeamlesslyAndFadeToBlackAtTheTop) {
    for (const char* n : {"back.bmp", "newback.bmp"}) {
        Pic p = decodeWithSdl(*findEntry(n));
        ASSERT_GT(p.w, 320);
        EXPECT_EQ(countKey(p), 0) << n << " is drawn without a key";
        // the band above the picture is filled black: the top row must meet it
        for (int x = 0; x < p.w; x++) EXPECT_LT(picLuma(picGet(p, x, 0)), 24) << n << " at " << x;
        // the hills across the wrap: the last column and the first differ no more than neighbours do
        auto differ = [&](int a, int b) {
            int d = 0;
            for (int y = p.h / 2; y < p.h; y++) d += picGet(p, a, y) != picGet(p, b, y);
            return d;
        };
        int worst = 0;
        for (int x = 0; x + 1 < p.w; x++) worst = std::max(worst, differ(x, x + 1));
        EXPECT_LE(differ(p.w - 1, 0), worst) << n;
        int bottomDiff = 0;
        for (int y = p.h - 12; y < p.h; y++) bottomDiff += picGet(p, p.w - 1, y) != picGet(p, 0, y);
        EXPECT_LE(bottomDiff, 3) << n << ": the near hills jump at the wrap";
    }
}

TEST(GfxDataPictures, QuotationTextAreaIsDarkAndQuiet) {
    Pic p = decodeWithSdl(*findEntry("muse.bmp"));
    const int y0 = (240 - p.h) / 2;
    long sum = 0, n = 0, bright = 0;
    for (int y = 90 - y0; y < 206 - y0 && y < p.h; y++)
        for (int x = 8; x < 312; x++) {
            int l = picLuma(picGet(p, x, y));
            sum += l;
            bright += l > 140;
            n++;
        }
    EXPECT_LT(sum / n, 50);
    EXPECT_LT(bright * 100 / n, 2); // only a sprinkle of bright pixels
}

TEST(GfxDataPictures, KeyedPicturesHaveMagentaRoundTheirShapes) {
    for (const char* n : {"moon.bmp", "logo.bmp", "gblogo.bmp", "cursor.bmp"}) {
        Pic p = decodeWithSdl(*findEntry(n));
        EXPECT_EQ(picGet(p, 0, 0), PIC_KEY) << n;
        EXPECT_EQ(picGet(p, p.w - 1, p.h - 1), PIC_KEY) << n;
        EXPECT_GT(countKey(p), 0) << n;
        EXPECT_LT(countKey(p), p.w * p.h * 9 / 10) << n << " is nearly empty";
    }
    // the cursor's arrow points up: narrow at the top of its 16 x 8 corner, wide lower down
    Pic c = decodeWithSdl(*findEntry("cursor.bmp"));
    auto ink = [&](int y) {
        int k = 0;
        for (int x = 0; x < 16; x++) k += picGet(c, x, y) != PIC_KEY;
        return k;
    };
    EXPECT_GT(ink(0), 0);
    EXPECT_GT(ink(4), ink(0) + 4);
    // the handheld logo keeps to the handheld's shades
    for (uint32_t v : coloursOf(decodeWithSdl(*findEntry("gblogo.bmp"))))
        EXPECT_TRUE(v == PIC_KEY || v == picGbShades[0] || v == picGbShades[1] || v == picGbShades[2] ||
                    v == picGbShades[3])
            << std::hex << v;
}

TEST(GfxDataPictures, FlagsAreTheirCountries) {
    Pic de = decodeWithSdl(*findEntry("flag_de.bmp"));
    Pic fr = decodeWithSdl(*findEntry("flag_fr.bmp"));
    Pic es = decodeWithSdl(*findEntry("flag_es.bmp"));
    Pic uk = decodeWithSdl(*findEntry("flag_uk.bmp"));
    auto rgbAt = [](const Pic& p, int x, int y, int ch) { return (picGet(p, x, y) >> (16 - 8 * ch)) & 255; };
    // Germany: black over red over gold
    EXPECT_LT(picLuma(picGet(de, de.w / 2, de.h / 6)), 40);
    EXPECT_GT(rgbAt(de, de.w / 2, de.h / 2, 0), 180u);
    EXPECT_GT(rgbAt(de, de.w / 2, de.h * 5 / 6, 1), 150u);
    // France: blue, white, red from the hoist
    EXPECT_GT(rgbAt(fr, fr.w / 6, fr.h / 2, 2), 120u);
    EXPECT_GT(picLuma(picGet(fr, fr.w / 2, fr.h / 2)), 220);
    EXPECT_GT(rgbAt(fr, fr.w * 5 / 6, fr.h / 2, 0), 180u);
    // Spain: red edges, a yellow middle
    EXPECT_GT(rgbAt(es, es.w * 3 / 4, es.h / 10, 0), 150u);
    EXPECT_GT(rgbAt(es, es.w * 3 / 4, es.h / 2, 1), 150u);
    // the union flag: a red cross through the middle, blue in the corners' fields
    EXPECT_GT(rgbAt(uk, uk.w / 2, uk.h / 4, 0), 150u);
    EXPECT_LT(rgbAt(uk, uk.w / 2, uk.h / 4, 1), 80u);
    EXPECT_GT(rgbAt(uk, uk.w * 3 / 10, 3, 2), 90u);
    EXPECT_EQ(countKey(uk) + countKey(de) + countKey(fr) + countKey(es), 0);
}

// ---- the pixel-art reader ----

TEST(GfxDataArt, ReadsTilesColoursMirrorsAndTallObjects) {
    std::string text = "# a test\ncolor . key\ncolor x 102030 - 2\n"
                       "tile 5\n";
    for (int i = 0; i < 16; i++) text += i == 3 ? "x...............\n" : "................\n";
    text += "tile 6 mirror 5\ntile 7 1x2\n";
    for (int i = 0; i < 32; i++) text += "xxxxxxxxxxxxxxxx\n";
    ArtFile a;
    std::string err;
    ASSERT_TRUE(parseArt(text, "t", a, err)) << err;
    ASSERT_EQ(a.tiles.size(), 3u);
    EXPECT_EQ(a.tiles[1].mirrorOf, 5);
    EXPECT_EQ(a.tiles[2].hTiles, 2);
    Pic p = renderArt(a.tiles[0], SET_DELUXE);
    EXPECT_EQ(picGet(p, 0, 3), 0x102030u);
    EXPECT_EQ(picGet(p, 1, 3), PIC_KEY);
    EXPECT_EQ(picGet(renderArt(a.tiles[0], SET_GB), 0, 3), picGbShades[2]);
    EXPECT_EQ(picGet(renderArt(a.tiles[0], SET_CLASSIC), 0, 3), picToClassic(0x102030));
    EXPECT_EQ(renderArt(a.tiles[2], SET_DELUXE).h, 32);
}

TEST(GfxDataArt, RefusesBrokenArtAndSaysWhere) {
    const std::string rows16 = [] {
        std::string s;
        for (int i = 0; i < 16; i++) s += "................\n";
        return s;
    }();
    const struct {
        std::string text;
        const char* says;
    } bad[] = {
        {"color . key\ntile 3\n" + rows16.substr(0, 17 * 15), "ends early"},
        {"color . key\ntile 3\n.................\n" + rows16, "17 characters"},
        {"color . key\ntile 3\n" + std::string("..y.............\n") + rows16, "'y'"},
        {"color . key\ntile 240\n" + rows16, "0..239"},
        {"color . key\ntile 19 2x1\n" + rows16, "runs off"},
        {"color q 12345 - 1\n", "bad colour"},
        {"color q 123456 - 4\n", "bad colour"},
        {"colour q 123456 - 1\n", "unknown word"},
        {"tile 4 mirror\n", "needs a tile code"},
    };
    for (const auto& b : bad) {
        ArtFile a;
        std::string err;
        EXPECT_FALSE(parseArt(b.text, "bad.txt", a, err)) << b.says;
        EXPECT_NE(err.find(b.says), std::string::npos) << err;
        EXPECT_NE(err.find("bad.txt"), std::string::npos) << err;
    }
}
