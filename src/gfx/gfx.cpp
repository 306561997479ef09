// The frame surface, the named colours, the darkening overlay and the small blit
// functions all drawing goes through; presenting a finished frame.
#include "gfx/gfx.h"

#include "world/map.h"

#include <cstdlib>
#include <cstring>

SDL_Surface* screen = nullptr;
SDL_Surface* fscreen = nullptr;
SDL_Surface* black = nullptr;
SDL_Surface* logo = nullptr;
SDL_Surface* background = nullptr;
SDL_Surface* moon = nullptr;
SDL_Surface* blocks[NUM_BLOCKS] = {};
SDL_Surface* wblocks[NUM_WBLOCKS] = {};
int32_t moonx = 0;
int gfxSet = 1;
int aa2 = 0;
int s2x = 0;
uint8_t* aabuf = nullptr;
Uint32 BLACK = 0, RED = 0, DRED = 0, BLUE = 0, DBLUE = 0, PURPLE = 0, GREY = 0, LGREY = 0, DGREY = 0;

const char* const gfxBlocks[3] = {"blocks", "newblocks", "gbblocks"};
const char* const gfxBack[3] = {"back", "newback", nullptr};
const char* const gfxLogo[3] = {"logo", "logo", "gblogo"};
const char* const gfxFont[3] = {"font", "font", "gbfont"};
const char* const gfxFontBig[3] = {"fontbig", "fontbig", "gbfontbig"};

namespace {

constexpr int AABUF_SIZE = 640 * 480 * 2; // the zoom buffer "-aa" reserves

// Copies the frame into a surface twice its size, each pixel as a 2 x 2 block.
// Both surfaces share one pixel format. Used to show the frame in the 640 x 480 modes.
void zoom2x(SDL_Surface* src, SDL_Surface* dst) {
    const int bpp = src->format->BytesPerPixel;
    if (SDL_MUSTLOCK(dst) && SDL_LockSurface(dst) < 0) return;
    if (SDL_MUSTLOCK(src) && SDL_LockSurface(src) < 0) {
        if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
        return;
    }
    for (int y = 0; y < src->h && 2 * y + 1 < dst->h; y++) {
        const uint8_t* s = (const uint8_t*)src->pixels + y * src->pitch;
        uint8_t* d0 = (uint8_t*)dst->pixels + 2 * y * dst->pitch;
        uint8_t* d1 = d0 + dst->pitch;
        for (int x = 0; x < src->w && 2 * x + 1 < dst->w; x++) {
            memcpy(d0 + 2 * x * bpp, s + x * bpp, bpp);
            memcpy(d0 + (2 * x + 1) * bpp, s + x * bpp, bpp);
        }
        memcpy(d1, d0, (size_t)(2 * src->w * bpp));
    }
    if (SDL_MUSTLOCK(src)) SDL_UnlockSurface(src);
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
}

// Shows the frame through SDL's own window: a plain copy into the 320 x 240
// window, or the frame doubled into the 640 x 480 modes.
void presentSDL() {
    SDL_Surface* video = SDL_GetVideoSurface();
    if (!video || !screen) return;
    if (video->w >= 2 * screen->w && video->h >= 2 * screen->h &&
        video->format->BytesPerPixel == screen->format->BytesPerPixel &&
        video->format->Rmask == screen->format->Rmask && video->format->Bmask == screen->format->Bmask) {
        zoom2x(screen, video);
    } else {
        SDL_BlitSurface(screen, nullptr, video, nullptr);
    }
    SDL_Flip(video);
}

} // namespace

// Maps the nine named colours in the frame format. Called by main once the frame surface exists.
void mapColors() {
    SDL_PixelFormat* f = screen->format;
    BLACK = SDL_MapRGB(f, 0, 0, 0);
    RED = SDL_MapRGB(f, 255, 0, 0);
    DRED = SDL_MapRGB(f, 128, 0, 0);
    BLUE = SDL_MapRGB(f, 0, 0, 255);
    DBLUE = SDL_MapRGB(f, 0, 0, 128);
    PURPLE = SDL_MapRGB(f, 255, 0, 255);
    GREY = SDL_MapRGB(f, 128, 128, 128);
    LGREY = SDL_MapRGB(f, 192, 192, 192);
    DGREY = SDL_MapRGB(f, 96, 96, 96);
}

// Reserves the zoom buffer when "-aa" was chosen. Called by main in the zoom modes.
void gfxInit() {
    if (aa2 && !aabuf) aabuf = (uint8_t*)calloc(1, AABUF_SIZE);
}

// Frees the zoom buffer. Called by exitGame.
void gfxShutdown() {
    free(aabuf);
    aabuf = nullptr;
}

// Draws the whole of src with its top-left corner at (x, y); the blit clips.
void blitImage(SDL_Surface* src, int x, int y, SDL_Surface* dst) {
    if (!src || !dst) return;
    SDL_Rect r;
    r.x = (Sint16)x;
    r.y = (Sint16)y;
    r.w = (Uint16)src->w;
    r.h = (Uint16)src->h;
    SDL_UpperBlit(src, nullptr, dst, &r);
}

// SDL's clipping blit, unchanged. Used by the language screen for the cursor.
void blitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect) {
    if (!src || !dst) return;
    SDL_UpperBlit(src, srcRect, dst, dstRect);
}

// Draws tile `tile` at map position (x, y), unless it lies wholly out of view.
// Called by the figure and monster drawing.
void drawSprite(int x, int y, int tile) {
    if (x + 16 < step || x > step + 320 || y < -15 || y > 192) return;
    if (tile < 0 || tile >= NUM_BLOCKS || !blocks[tile]) return;
    blitImage(blocks[tile], x - step, y, screen);
}

// Fills a rectangle with a pixel value.
void fillRect(SDL_Surface* dst, int x, int y, int w, int h, Uint32 colour) {
    static SDL_Rect r;
    if (!dst || w <= 0 || h <= 0) return;
    r.x = (Sint16)x;
    r.y = (Sint16)y;
    r.w = (Uint16)w;
    r.h = (Uint16)h;
    SDL_FillRect(dst, &r, colour);
}

// Frees a surface (null is fine).
void freeSurface(SDL_Surface* s) {
    if (s) SDL_FreeSurface(s);
}

// Halves every colour channel of the play area by blending the black overlay at
// alpha 128; the HUD band stays as it is. Used by pauses, menus and messages.
void darken() {
    if (black) blitImage(black, 0, 0, screen);
}

// Presents the finished frame. Called once per drawn frame by every loop.
// The frame goes through SDL's own window here; the Raspberry Pi's GPU display
// path (an EGL layer with the scan-line shader) is not part of this build yet.
void flipScreen() {
    presentSDL();
}
