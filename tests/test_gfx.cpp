// Surfaces: bitmap loading and its fatal errors, the colour key rule, tiles and
// water tiles in both frame formats, sprite culling, darkening and screenshots.
#include "gfx/gfx.h"
#include "gfx/shot.h"
#include "platform/zda.h"
#include "platform/zdawrite.h"
#include "testutil.h"
#include "world/map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <zlib.h>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The colour of one pixel of any depth.
Rgb rgbAt(SDL_Surface* s, int x, int y) {
    const uint8_t* p = (const uint8_t*)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    for (int i = 0; i < s->format->BytesPerPixel; i++) v |= (Uint32)p[i] << (8 * i);
    Uint8 r, g, b;
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return {r, g, b};
}

// A colour as the frame format keeps it (16 bits lose the low bits of each channel).
Rgb inFrame(Rgb c) {
    Uint8 r, g, b;
    SDL_GetRGB(SDL_MapRGB(screen->format, c.r, c.g, c.b), screen->format, &r, &g, &b);
    return {r, g, b};
}

// A frame surface of the given depth, as start-up makes it (5-6-5 for 16 bits).
SDL_Surface* makeFrame(int bpp, int w = 320, int h = 240) {
    if (bpp == 16) return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
}

// An RGB surface painted by f(x, y).
template <class F> SDL_Surface* painted(int w, int h, F f) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Rgb c = f(x, y);
            SDL_Rect r = {(Sint16)x, (Sint16)y, 1, 1};
            SDL_FillRect(s, &r, SDL_MapRGB(s->format, c.r, c.g, c.b));
        }
    return s;
}

// An 8-bit surface whose palette starts with the given colours; the other entries are grey.
SDL_Surface* paletted(int w, int h, std::initializer_list<SDL_Color> first) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
    SDL_Color pal[256];
    for (SDL_Color& c : pal) c = {50, 50, 50, 0};
    int i = 0;
    for (const SDL_Color& c : first) pal[i++] = c;
    SDL_SetColors(s, pal, 0, 256);
    return s;
}

// The BMP file SDL writes for a surface (freed here).
std::vector<uint8_t> bmpOf(SDL_Surface* s) {
    SDL_SaveBMP(s, "tmp.bmp");
    SDL_FreeSurface(s);
    std::vector<uint8_t> b = readFile("tmp.bmp");
    remove("tmp.bmp");
    return b;
}

// Runs in a scratch folder with a 16-bit frame (or the parameter's depth) and a
// hand-made "gfx" archive.
class GfxTest : public ::testing::TestWithParam<int> {
protected:
    ScratchDir dir;
    void SetUp() override {
        if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_Init(SDL_INIT_VIDEO);
        screen = makeFrame(16);
        mapColors();
    }
    void TearDown() override {
        freeBlocks();
        closeArchives();
        SDL_FreeSurface(screen);
        screen = nullptr;
        step = 0;
    }
    void useFrame(int bpp) {
        SDL_FreeSurface(screen);
        screen = makeFrame(bpp);
        mapColors();
    }
    // Writes ./data/gfx.zda with the given bitmaps and opens the archives.
    void archive(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
        mkdir("data", 0755);
        std::vector<ZdaItem> items;
        for (const auto& f : files)
            items.push_back({f.first.c_str(), f.second.data(), (int32_t)f.second.size()});
        ASSERT_EQ(writeZDA("data/gfx.zda", items.data(), (int)items.size()), 1);
        closeArchives();
        openArchives();
    }
};

// Runs loadGFX in a child with its output sent to a file; returns what it printed.
std::string fatalLoad(const char* name) {
    EXPECT_EXIT(
        {
            if (!freopen("out.txt", "w", stdout)) _exit(3);
            loadGFX(name, 1, 255, 0, 255);
        },
        ::testing::ExitedWithCode(1), "");
    std::vector<uint8_t> out = readFile("out.txt");
    return std::string(out.begin(), out.end());
}

TEST_F(GfxTest, ColorKeyRuleForPalettes) {
    SDL_Surface* s = paletted(4, 4, {{10, 20, 30, 0}, {255, 0, 0, 0}, {255, 0, 254, 0}, {0, 0, 255, 0}});
    setColorKey(s, 255, 0, 255); // no exact magenta: index 0
    EXPECT_TRUE(s->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(s->format->colorkey, 0u);
    SDL_FreeSurface(s);
    s = paletted(4, 4,
                 {{10, 20, 30, 0},
                  {255, 0, 0, 0},
                  {255, 0, 254, 0},
                  {255, 0, 255, 0},
                  {1, 1, 1, 0},
                  {255, 0, 255, 0}});
    setColorKey(s, 255, 0, 255); // the first magenta entry
    EXPECT_EQ(s->format->colorkey, 3u);
    SDL_FreeSurface(s);
}

TEST_F(GfxTest, SixteenBitSurfacesAreKeyedOnlyWhenTheyHoldTheKeyColour) {
    SDL_Surface* t = createSurface(16, 16, 1); // all BLACK
    fillRect(t, 0, 0, 8, 16, RED);
    setColorKey(t, 255, 0, 255);
    EXPECT_FALSE(t->flags & SDL_SRCCOLORKEY);
    fillRect(screen, 0, 0, 320, 240, LGREY);
    blitImage(t, 0, 0, screen);
    EXPECT_EQ(rgbAt(screen, 12, 3), (Rgb{0, 0, 0})); // black drawn, not see-through
    fillRect(t, 15, 15, 1, 1, PURPLE);
    setColorKey(t, 255, 0, 255);
    EXPECT_TRUE(t->flags & SDL_SRCCOLORKEY);
    fillRect(screen, 0, 0, 320, 240, BLUE);
    blitImage(t, 0, 0, screen);
    EXPECT_EQ(rgbAt(screen, 15, 15), rgbAt(screen, 100, 100));
    EXPECT_EQ(rgbAt(screen, 12, 3), (Rgb{0, 0, 0}));
    SDL_FreeSurface(t);
    // other depths take the key whether or not a pixel holds it
    SDL_Surface* deep = painted(4, 4, [](int, int) { return Rgb{9, 9, 9}; });
    setColorKey(deep, 255, 0, 255);
    EXPECT_TRUE(deep->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(deep->format->colorkey, 0xFF00FFu);
    SDL_FreeSurface(deep);
}

TEST_F(GfxTest, LoadedBitmapsTakeTheFrameFormatAndTheirKey) {
    SDL_Surface* pal = paletted(8, 2, {{0, 128, 0, 0}, {255, 255, 0, 0}, {255, 0, 255, 0}});
    SDL_FillRect(pal, nullptr, 1);
    SDL_Rect corner = {0, 0, 1, 1};
    SDL_FillRect(pal, &corner, 0); // green: it must stay visible, as the key is entry 2
    std::vector<uint8_t> palBmp = bmpOf(pal);
    auto magentaCorner = painted(8, 2, [](int x, int y) {
        return x + y == 0 ? Rgb{255, 0, 255} : Rgb{200, 40, 0};
    });
    archive({{"pal.bmp", palBmp}, {"rgb.bmp", bmpOf(magentaCorner)}});
    for (int bpp : {16, 24}) {
        useFrame(bpp);
        SDL_Surface* keyed = loadGFX("rgb", 1, 255, 0, 255);
        SDL_Surface* plain = loadGFX("rgb", 0, 0, 0, 0);
        SDL_Surface* p = loadGFX("pal", 1, 255, 0, 255);
        for (SDL_Surface* s : {keyed, plain, p}) {
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->format->BitsPerPixel, bpp);
            EXPECT_EQ(s->format->Rmask, screen->format->Rmask);
            EXPECT_EQ(s->format->Bmask, screen->format->Bmask);
        }
        EXPECT_TRUE(keyed->flags & SDL_SRCCOLORKEY);
        EXPECT_EQ(keyed->format->colorkey, PURPLE);
        EXPECT_FALSE(plain->flags & SDL_SRCCOLORKEY);
        // the palette's own magenta (index 2) is found: the green corner stays drawn
        fillRect(screen, 0, 0, 320, 240, BLUE);
        blitImage(p, 0, 0, screen);
        blitImage(plain, 0, 10, screen);
        EXPECT_EQ(rgbAt(screen, 0, 0), inFrame({0, 128, 0}));
        EXPECT_EQ(rgbAt(screen, 0, 10).g, 0); // magenta drawn when unkeyed
        EXPECT_GT(rgbAt(screen, 0, 10).b, 200);
        for (SDL_Surface* s : {keyed, plain, p}) SDL_FreeSurface(s);
    }
}

TEST_F(GfxTest, APaletteWithoutTheKeyColourMakesIndexZeroTransparent) {
    SDL_Surface* pal = paletted(4, 4, {{0, 128, 0, 0}, {255, 255, 0, 0}});
    SDL_FillRect(pal, nullptr, 1);
    SDL_Rect corner = {0, 0, 1, 1};
    SDL_FillRect(pal, &corner, 0);
    archive({{"pal.bmp", bmpOf(pal)}});
    SDL_Surface* p = loadGFX("pal", 1, 255, 0, 255);
    fillRect(screen, 0, 0, 320, 240, BLUE);
    blitImage(p, 0, 0, screen);
    EXPECT_EQ(rgbAt(screen, 0, 0), inFrame({0, 0, 255}));
    EXPECT_EQ(rgbAt(screen, 1, 0), inFrame({255, 255, 0}));
    SDL_FreeSurface(p);
}

TEST_F(GfxTest, MissingOrBrokenBitmapsAreFatal) {
    const std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3, 0, 0xff, 'x', 'y', 0};
    archive({{"junk.bmp", junk}});
    EXPECT_EQ(fatalLoad("nosuch"), "Error loading gfx file: nosuch\n");
    EXPECT_FALSE(fileExists("fuu.xxx"));
    std::string out = fatalLoad("junk");
    EXPECT_EQ(out.rfind("Unable to load bitmap: ", 0), 0u) << out;
    EXPECT_GT(out.size(), strlen("Unable to load bitmap: \n"));
    EXPECT_EQ(readFile("fuu.xxx"), junk);
}

// The colour that stands for sheet position (x, y): its index y * 320 + x spelled
// as a 5-6-5 pixel, so it stays unique in both frame formats; never magenta.
Rgb positionColour(int x, int y) {
    const int p = y * 320 + x;
    return {(p >> 11) << 3, ((p >> 5) & 63) << 2, (p & 31) << 3};
}

// A block sheet whose every pixel tells its position; magenta in the top rows of tile 1 only.
SDL_Surface* positionSheet() {
    return painted(320, 192, [](int x, int y) {
        if (x >= 16 && x < 32 && y < 4) return Rgb{255, 0, 255};
        return positionColour(x, y);
    });
}

TEST_P(GfxTest, TilesAreCutFromTheSheetAndWaterIsTheStripRotated) {
    useFrame(GetParam());
    archive({{"blocks.bmp", bmpOf(positionSheet())}});
    // find a seed that also draws the offset 0 (a second half taken whole)
    unsigned seed = 1;
    int o[4];
    for (;; seed++) {
        srand(seed);
        bool zero = false;
        for (int& k : o) zero |= (k = rand() % 15) == 0;
        if (zero) break;
    }
    srand(seed);
    ASSERT_EQ(initBlocks(0), 1);
    for (int i : {0, 1, 2, 21, 159, 160, 239}) {
        SDL_Surface* t = blocks[i];
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->format->BitsPerPixel, GetParam());
        EXPECT_EQ(rgbAt(t, 5, 7), inFrame(positionColour(16 * (i % 20) + 5, 16 * (i / 20) + 7)))
            << "tile " << i;
        EXPECT_EQ(!!(t->flags & SDL_SRCCOLORKEY), i == 1 || GetParam() != 16) << "tile " << i;
    }
    for (int k = 0; k < 4; k++)
        for (int half = 0; half < 2; half++)
            for (int x = 0; x < 16; x++) {
                const Rgb want = inFrame(positionColour((o[k] + 16 * half + x) % 32, 128 + 3));
                ASSERT_EQ(rgbAt(wblocks[2 * k + half], x, 3), want)
                    << "phase " << k << " half " << half << " x " << x;
            }
    freeBlocks();
    for (SDL_Surface* s : blocks) EXPECT_EQ(s, nullptr);
    for (SDL_Surface* s : wblocks) EXPECT_EQ(s, nullptr);
}

INSTANTIATE_TEST_SUITE_P(FrameDepth, GfxTest, ::testing::Values(16, 24));

TEST_F(GfxTest, SpritesOutOfViewAreCulledAtTheirEdges) {
    SDL_FreeSurface(screen);
    screen = makeFrame(16, 360, 240); // wider than the view, so drawing past column 320 shows
    blocks[7] = createSurface(16, 16, 0);
    fillRect(blocks[7], 0, 0, 16, 16, RED);
    step = 1000;
    struct Case {
        int x, y;
        int seenX, seenY; // a pixel the sprite must cover, or -1 when nothing may be drawn
    } cases[] = {
        {1000 - 15, 50, 0, 50},    {1000 - 16, 50, -1, -1},     {1000 - 17, 50, -1, -1},
        {1000 + 320, 50, 320, 50}, {1000 + 321, 50, -1, -1},    {1000 + 100, -15, 100, 0},
        {1000 + 100, -16, -1, -1}, {1000 + 100, 192, 100, 207}, {1000 + 100, 193, -1, -1},
    };
    for (const Case& c : cases) {
        fillRect(screen, 0, 0, 360, 240, BLACK);
        drawSprite(c.x, c.y, 7);
        int red = 0;
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 360; x++) red += rgbAt(screen, x, y).r != 0;
        if (c.seenX < 0) {
            EXPECT_EQ(red, 0) << c.x - 1000 << "," << c.y;
        } else {
            EXPECT_EQ(rgbAt(screen, c.seenX, c.seenY).r, 255) << c.x - 1000 << "," << c.y;
            EXPECT_EQ(red, c.x == 1000 - 15 || c.y == -15 ? 16 : 256) << c.x - 1000 << "," << c.y;
        }
    }
}

TEST_F(GfxTest, DarkenHalvesThePlayAreaOnly) {
    black = createSurface(320, 192, 0);
    SDL_SetAlpha(black, SDL_SRCALPHA, 128);
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) fillRect(screen, x, y, 1, 1, (Uint32)(x * 211 + y * 97) & 0xFFFF);
    SDL_Surface* before = SDL_ConvertSurface(screen, screen->format, 0);
    darken();
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            const Uint16 was = ((Uint16*)((uint8_t*)before->pixels + y * before->pitch))[x];
            const Uint16 now = ((Uint16*)((uint8_t*)screen->pixels + y * screen->pitch))[x];
            const Uint16 half = (Uint16)((was & 0xF7DE) >> 1); // each of the three channels halved
            ASSERT_EQ(now, y < 192 ? half : was) << x << "," << y;
        }
    SDL_FreeSurface(before);
    SDL_FreeSurface(black);
    black = nullptr;
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

TEST_F(GfxTest, ScreenshotsAreValidPngFilesOfTheSurfaceColours) {
    SDL_Surface* s = makeFrame(16, 5, 3);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++)
            fillRect(s, x, y, 1, 1, SDL_MapRGB(s->format, x * 60, y * 100, 255 - x * 50));
    ASSERT_EQ(saveSurfacePNG(s, "a.png"), 1);
    std::vector<uint8_t> png = readFile("a.png");
    ASSERT_GT(png.size(), 8u + 3 * 12 + 13);
    EXPECT_EQ(memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    std::vector<std::string> types;
    std::vector<uint8_t> idat;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t len = be32(png, at);
        ASSERT_LE(at + 12 + len, png.size());
        types.push_back(std::string(png.begin() + at + 4, png.begin() + at + 8));
        EXPECT_EQ(crc32(0, png.data() + at + 4, len + 4), be32(png, at + 8 + len)) << types.back();
        if (types.back() == "IHDR") {
            EXPECT_EQ(be32(png, at + 8), 5u);
            EXPECT_EQ(be32(png, at + 12), 3u);
            EXPECT_EQ(png[at + 16], 8);
            EXPECT_EQ(png[at + 17], 2);
        }
        if (types.back() == "IDAT") idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + len);
        at += 12 + len;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    std::vector<uint8_t> raw(3 * 16);
    uLongf rawLen = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawLen, idat.data(), idat.size()), Z_OK);
    ASSERT_EQ(rawLen, 3u * 16);
    for (int y = 0; y < 3; y++) {
        EXPECT_EQ(raw[y * 16], 0);
        for (int x = 0; x < 5; x++) {
            Rgb c = rgbAt(s, x, y);
            EXPECT_EQ((Rgb{raw[y * 16 + 1 + 3 * x], raw[y * 16 + 2 + 3 * x], raw[y * 16 + 3 + 3 * x]}), c);
        }
    }
    ASSERT_EQ(saveSurfacePNG(s, "b.png"), 1);
    EXPECT_EQ(readFile("b.png"), png); // same picture, same bytes
    EXPECT_EQ(saveSurfacePNG(s, "no/such/folder/c.png"), 0);
    SDL_FreeSurface(s);
}

} // namespace
