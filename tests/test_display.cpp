// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Showing frames: the GPU display through the real presenter on Mesa's off-screen
// EGL (where the picture lands on displays of several shapes, every pixel against a
// CPU reference of the scan-line shader, a shader that fails, the fallback to SDL,
// the console's signals, the pacing on displays that refresh at 50, 60 and 75 Hz),
// and the frame pacing itself against the simulated clock.
#include "2platform/display.h"
#include "2platform/fps.h"
#include "2platform/kms.h"
#include "2platform/raspberrypi.h"
#include "2platform/sys.h"
#include "2platform/video.h"
#include "6draw/gfx.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <GLES2/gl2.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FW = 320, FH = 240; // the frame

// Developers without a GPU stack may opt out; CI never sets this, so a missing EGL fails there.
bool gpuOptOut() {
    const char* v = getenv("BLOMP_NO_GPU_TESTS");
    return v && *v == '1';
}

// A 5-6-5 frame and the colours it holds, channel by channel in 0..1.
struct Frame {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(FW * FH);
    void rgb(int x, int y, double* c) const {
        const uint16_t p = pixels[y * FW + x];
        c[0] = (p >> 11) / 31.0;
        c[1] = ((p >> 5) & 63) / 63.0;
        c[2] = (p & 31) / 31.0;
    }
};

// Sharp edges and gradients, so that the filtering shows.
Frame patternFrame() {
    Frame f;
    for (int y = 0; y < FH; y++)
        for (int x = 0; x < FW; x++) {
            const int r = (x * 7 + y * 3) & 31, g = (x ^ y) & 63, b = (x / 10 + y / 8) & 31;
            f.pixels[y * FW + x] = (uint16_t)(r << 11 | g << 5 | b);
        }
    return f;
}

Frame flatFrame(uint16_t p) {
    Frame f;
    for (uint16_t& v : f.pixels) v = p;
    return f;
}

// The presenter on an off-screen display of sw x sh.
struct Display {
    int w, h;
    Display(int sw, int sh, const void* pixels, int depth = 16) : w(sw), h(sh) {
        headlessSetSize((uint32_t)sw, (uint32_t)sh);
        ok = pi_init(&headlessDisplay, FW, FH, depth, 1, pixels);
    }
    ~Display() { pi_deinit(); }
    // Fills the display with magenta first, so a picture that leaves areas uncleared shows it.
    std::vector<uint8_t> present() {
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 1);
        gles2_draw();
        pi_videoflip();
        std::vector<uint8_t> rgba((size_t)w * h * 4);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba; // rows bottom up
    }
    int ok = 0;
};

#define NEED_GPU(display)                                                                                    \
    do {                                                                                                     \
        if (!(display).ok && gpuOptOut()) GTEST_SKIP() << "BLOMP_NO_GPU_TESTS=1: " << pi_error();            \
        ASSERT_TRUE((display).ok) << "no off-screen EGL display (install Mesa's EGL, scripts/deps.sh): "     \
                                  << pi_error();                                                             \
    } while (0)

// What the scan-line shader makes of pixel (px, gy) (gy counted from the bottom):
// false outside the picture, else its colour in 0..255.
bool reference(const Frame& f, int sw, int sh, int px, int gy, double out[3]) {
    float sx, sy;
    uint32_t ow, oh;
    gles2_aspect(FW, FH, (uint32_t)sw, (uint32_t)sh, &sx, &sy, &ow, &oh);
    const double ndcX = 2 * (px + 0.5) / sw - 1, ndcY = 2 * (gy + 0.5) / sh - 1;
    const double vx = ndcX / (2 * sx), vy = -ndcY / (2 * sy);
    if (std::fabs(vx) > 0.5 || std::fabs(vy) > 0.5) return false;
    const double u = vx + 0.5, v = vy + 0.5;
    // Linear filtering between the four nearest texels, edges clamped.
    const double tx = u * FW - 0.5, ty = v * FH - 0.5;
    const int x0 = (int)std::floor(tx), y0 = (int)std::floor(ty);
    const double fx = tx - x0, fy = ty - y0;
    double s[3] = {0, 0, 0};
    for (int j = 0; j < 2; j++)
        for (int i = 0; i < 2; i++) {
            const int x = std::min(std::max(x0 + i, 0), FW - 1), y = std::min(std::max(y0 + j, 0), FH - 1);
            double c[3];
            f.rgb(x, y, c);
            const double wgt = (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
            for (int k = 0; k < 3; k++) s[k] += wgt * c[k];
        }
    const double k = 0.05 * std::sin(u * 3.1415 * ow) + 0.15 * std::sin(v * 6.283 * FH);
    for (int c = 0; c < 3; c++) out[c] = std::min(1.0, std::max(0.0, s[c] * (0.95 + k))) * 255;
    return true;
}

struct Shape {
    int sw, sh;          // the display
    int left, top, w, h; // where the picture must land (top counted from the top)
};

const Shape shapes[] = {
    {1024, 768, 0, 0, 1024, 768},
    {1280, 1024, 0, 32, 1280, 960},
    {1920, 1080, 240, 0, 1440, 1080},
    {640, 480, 0, 0, 640, 480},
};

// Every pixel of the display: black outside the aspect rectangle, the shader's
// colour inside, on all four display shapes.
TEST(DisplayPicture, EveryPixelMatchesTheShaderOnEveryShape) {
    const Frame frame = patternFrame();
    for (const Shape& s : shapes) {
        Display d(s.sw, s.sh, frame.pixels.data());
        NEED_GPU(d);
        uint32_t sw = 0, sh = 0, pw = 0, ph = 0;
        ASSERT_TRUE(pi_picture_size(&sw, &sh, &pw, &ph));
        EXPECT_EQ(pw, (uint32_t)s.w);
        EXPECT_EQ(ph, (uint32_t)s.h);
        const std::vector<uint8_t> rgba = d.present();
        int outsideLit = 0, insideWrong = 0;
        double worst = 0;
        for (int gy = 0; gy < s.sh; gy++)
            for (int px = 0; px < s.sw; px++) {
                const uint8_t* p = &rgba[((size_t)gy * s.sw + px) * 4];
                const int row = s.sh - 1 - gy;
                const bool inRect = px >= s.left && px < s.left + s.w && row >= s.top && row < s.top + s.h;
                double ref[3] = {0, 0, 0};
                const bool inRef = reference(frame, s.sw, s.sh, px, gy, ref);
                ASSERT_EQ(inRect, inRef)
                    << "the reference disagrees with the rectangle at " << px << "," << row;
                if (!inRect) {
                    outsideLit += p[0] || p[1] || p[2];
                    continue;
                }
                for (int c = 0; c < 3; c++) worst = std::max(worst, std::fabs(p[c] - ref[c]));
                insideWrong += std::fabs(p[0] - ref[0]) > 3 || std::fabs(p[1] - ref[1]) > 3 ||
                               std::fabs(p[2] - ref[2]) > 3;
            }
        EXPECT_EQ(outsideLit, 0) << s.sw << "x" << s.sh << ": pixels outside the picture are not black";
        EXPECT_EQ(insideWrong, 0) << s.sw << "x" << s.sh << ": worst difference " << worst;
    }
}

// With 24 bits the frame is bytes red, green, blue and goes up unconverted as well.
TEST(DisplayPicture, ATwentyFourBitFrameShowsItsColours) {
    std::vector<uint8_t> rgb(FW * FH * 3);
    for (int y = 0; y < FH; y++)
        for (int x = 0; x < FW; x++) {
            uint8_t* p = &rgb[(y * FW + x) * 3];
            p[0] = x < FW / 2 ? 200 : 0;
            p[1] = y < FH / 2 ? 0 : 180;
            p[2] = 90;
        }
    Display d(640, 480, rgb.data(), 24);
    NEED_GPU(d);
    const std::vector<uint8_t> rgba = d.present();
    // Far from the edges the colours are flat; the shader's factor stays within 0.75..1.15.
    const struct {
        int x, row, r, g;
    } probes[] = {{100, 100, 200, 0}, {500, 100, 0, 0}, {100, 400, 200, 180}, {500, 400, 0, 180}};
    for (const auto& p : probes) {
        const uint8_t* px = &rgba[((size_t)(479 - p.row) * 640 + p.x) * 4];
        EXPECT_NEAR(px[0], p.r, p.r * 0.25 + 1) << p.x << "," << p.row;
        EXPECT_NEAR(px[1], p.g, p.g * 0.25 + 1) << p.x << "," << p.row;
        EXPECT_NEAR(px[2], 90, 90 * 0.25) << p.x << "," << p.row;
    }
}

// A shader that does not compile, and a program that does not link: the message
// and the log are printed, and the display is not left half set up.
TEST(DisplayShaders, AFailingShaderIsReportedAndReleased) {
    const char* vertex = gles2VertexSource;
    const char* fragment = gles2FragmentSource;
    const struct {
        const char* vertex;
        const char* fragment;
        const char* message;
    } cases[] = {
        {vertex, "void main() { gl_FragColor = nonsense; }\n", "Error compiling shader:\n"},
        {"void main() { gl_Position = }\n", fragment, "Error compiling shader:\n"},
        {vertex, "precision mediump float;\nvarying vec4 TEX9;\nvoid main() { gl_FragColor = TEX9; }\n",
         "Error linking program:\n"},
    };
    Frame frame = flatFrame(0);
    for (const auto& c : cases) {
        gles2VertexSource = c.vertex;
        gles2FragmentSource = c.fragment;
        testing::internal::CaptureStdout();
        headlessSetSize(640, 480);
        const int ok = pi_init(&headlessDisplay, FW, FH, 16, 1, frame.pixels.data());
        const std::string out = testing::internal::GetCapturedStdout();
        gles2VertexSource = vertex;
        gles2FragmentSource = fragment;
        if (gpuOptOut() && out.empty()) GTEST_SKIP();
        EXPECT_EQ(ok, 0);
        uint32_t sw, sh, pw, ph;
        EXPECT_FALSE(pi_picture_size(&sw, &sh, &pw, &ph)) << "left half set up";
        EXPECT_EQ(out.rfind(c.message, 0), 0u) << out;
        EXPECT_GT(out.size(), strlen(c.message) + 2) << "the log is missing: " << out;
    }
    // Afterwards the display comes up again as if nothing had happened.
    Display d(640, 480, frame.pixels.data());
    NEED_GPU(d);
}

// The start-up rule: a GPU path that cannot start falls back to SDL's window,
// unless the player forced it.
class DisplayStart : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("BLOMP_DISPLAY", "headless", 1);
        setenv("BLOMP_DISPLAY_SIZE", "800x600", 1);
    }
    void TearDown() override {
        videoClose();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        unsetenv("BLOMP_DISPLAY");
        unsetenv("BLOMP_DISPLAY_SIZE");
        gles2FragmentSource = fragment;
    }
    const char* fragment = gles2FragmentSource;
};

// (Forced, the failure is fatal: DisplayBinary shows that for the x11 display.)
TEST_F(DisplayStart, AShaderFailureFallsBackToSDL) {
    gles2FragmentSource = "void main() { broken }\n";
    ASSERT_TRUE(videoInit());
    videoForced = 0; // as if the automatic choice had picked this display
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(videoOpen(0, 0, 16), 1);
    testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(videoDisplayName(), "sdl");
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("showing the game through SDL"), std::string::npos) << err;
    flipScreen(); // through SDL now
}

// Under nohup (SIGHUP ignored) or as a background job (SIGINT ignored) those
// signals stay ignored while the console display holds the screen; SIGTERM still
// ends the game in order, and a fatal signal still gives the console its mode
// back before it ends the program. In a child, as the game sets them up.
int restoredTo = -1; // the pipe the child's last resort reports on
TEST(DisplayConsole, SignalsIgnoredAtStartStayIgnoredWhileTheModeIsOurs) {
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(p[0]);
        restoredTo = p[1];
        signal(SIGHUP, SIG_IGN);
        signal(SIGINT, SIG_IGN);
        sysCatchSignals();
        sysLastResort([] { (void)!write(restoredTo, "R", 1); }); // as the console display opens
        raise(SIGHUP);
        raise(SIGINT);
        raise(SIGTERM);
        if (sysStopSignal != SIGTERM) _exit(2);
        abort();
    }
    close(p[1]);
    int status = 0;
    waitpid(child, &status, 0);
    char restored = 0;
    EXPECT_EQ(read(p[0], &restored, 1), 1) << "no mode restored";
    close(p[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGABRT) << "ended by " << strsignal(WTERMSIG(status));
}

TEST(DisplayConsole, TheScreensPreferredModeIsTaken) {
    const KmsMode some[] = {{1920, 1080, 60, 0}, {1280, 720, 60, 1}, {640, 480, 60, 0}};
    const KmsMode none[] = {{1024, 768, 75, 0}, {800, 600, 60, 0}};
    EXPECT_EQ(kmsPickMode(some, 3), 1);
    EXPECT_EQ(kmsPickMode(none, 2), 0);
    EXPECT_EQ(kmsPickMode(none, 0), -1);
}

// The real program: refused display choices end with the one-line video error and
// status 1; a text-mode SDL driver is never a display.
TEST(DisplayBinary, NoPictureMeansTheVideoErrorAndStatusOne) {
    const struct {
        const char* env;
        const char* line;
    } cases[] = {
        {"SDL_VIDEODRIVER=caca",
         "Unable to init SDL: no display for a picture here (SDL offers only its text-mode "
         "driver caca)\n"},
        {"SDL_VIDEODRIVER=dummy BLOMP_DISPLAY=vga",
         "Unable to init SDL: unknown display \"vga\" (BLOMP_DISPLAY takes auto, x11, kms, headless or "
         "sdl)\n"},
        {"SDL_VIDEODRIVER=dummy BLOMP_DISPLAY=x11",
         "Unable to set video mode: the x11 display cannot start: x11: SDL's window is not an X11 window\n"},
    };
    ScratchDir dir;
    dir.linkGameData();
    for (const auto& c : cases) {
        int status = -1;
        const std::string out = runCommand(std::string("TERM=xterm SDL_AUDIODRIVER=dummy ") + c.env +
                                               " timeout 20 " BLOMP_BINARY " </dev/null 2>/dev/null",
                                           &status);
        EXPECT_EQ(status, 1) << c.env;
        // caca may have written its terminal codes before it was refused: the error is the last line.
        const size_t at = out.rfind("Unable to ");
        ASSERT_NE(at, std::string::npos) << c.env << ": " << out;
        EXPECT_EQ(out.substr(at), c.line) << c.env;
        EXPECT_FALSE(fileExists("blomp.cfg"));
    }
}

// Through the intro screens to the title and out again, every frame through the
// real presenter; under AddressSanitizer the run also shows that start-up, the
// frames and shutdown leave nothing of ours behind.
TEST(DisplayBinary, AWholeRunOnTheGPUDisplayEndsWell) {
    ScratchDir dir;
    dir.linkGameData();
    int status = -1;
    const std::string out =
        runHarness("tap 500 return\ntap 2000 return\ntap 2500 up\ntap 3000 up\ntap 3500 right\n"
                   "tap 5000 return\ntap 6000 escape\nlimit 8000\nshot 4800 title.png\n",
                   "BLOMP_DISPLAY=headless BLOMP_DISPLAY_SIZE=640x480", "", &status);
    if (status != 0 && gpuOptOut()) GTEST_SKIP();
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("through SDL"), std::string::npos) << "it fell back: " << out;
    EXPECT_TRUE(fileExists("title.png"));
}

// A display refreshing at hz: the swap waits on the simulated clock for its next refresh.
uint32_t refreshHz;
void waitForRefresh() {
    const double period = 1000.0 / refreshHz;
    const uint32_t next = (uint32_t)(std::floor(simClock / period + 1) * period);
    sysWaitUntil(next);
}

// Ten simulated seconds of frames that take 3 ms of work each, presented through
// the real presenter with swaps tied to the refresh: the game still updates 60
// times a second; only pictures are dropped.
TEST(DisplayPacing, VerticalBlankSwapsKeepTheGameAt60UpdatesASecond) {
    Frame frame = flatFrame(0x1234);
    VideoDisplay vblankDisplay = headlessDisplay; // off screen, with a swap that waits
    vblankDisplay.afterSwap = waitForRefresh;
    for (uint32_t hz : {50u, 60u, 75u}) {
        refreshHz = hz;
        headlessSetSize(320, 240);
        const int ok = pi_init(&vblankDisplay, FW, FH, 16, 1, frame.pixels.data());
        if (!ok && gpuOptOut()) GTEST_SKIP();
        ASSERT_TRUE(ok) << pi_error();
        simStart(1000);
        initFPS();
        int updates = 0, pictures = 0;
        while (simClock < 11000) {
            updates++;
            sysDelay(3); // the frame's update and drawing
            if (!skipFrame) {
                pi_videoflip(); // only the swap waits: drawing costs no simulated time
                pictures++;
            }
            controlFPS();
        }
        simStop();
        pi_deinit();
        EXPECT_NEAR(updates, 600, 2) << hz << " Hz";
        EXPECT_LE(pictures, (int)(10 * hz) + 1) << hz << " Hz";
        EXPECT_GE(pictures, (int)(10 * std::min(hz, 60u) * 0.8)) << hz << " Hz";
    }
}

// Frame pacing against the simulated clock.
class Fps : public ::testing::Test {
protected:
    void SetUp() override {
        simStart(1000);
        initFPS();
    }
    void TearDown() override { simStop(); }
    // One frame that takes `work` milliseconds before controlFPS; returns the clock after it.
    uint32_t frame(uint32_t work) {
        simClock += work;
        controlFPS();
        return simClock - 1000;
    }
};

TEST_F(Fps, FramesWaitForTheGridAndALateOneIsOwedBackBySkippingTheNext) {
    // each frame: the work before controlFPS; then the clock, the skip flag and the debt after it
    // (-1: not checked)
    struct Step {
        uint32_t work, clock;
        int skip, owed;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"light work ends on the group grid",
         {{5, 17, 0, 0}, {5, 34, 0, 0}, {5, 50, 0, 0}, {5, 67, 0, 0}, {5, 84, 0, 0}, {5, 100, 0, 0}}},
        {"late: no wait, then 8 + 5 <= 17 waits 4", {{25, 25, 1, 8}, {5, 34, 0, 0}}},
        {"exactly on budget", {{17, 17, 0, 0}}},
        // third frame: 40 ms since the group began plus 6 owed = 46 <= 50, waits 4
        {"the third frame measures the group plus the debt",
         {{20, 20, -1, 3}, {20, 40, -1, 6}, {0, 44, 0, -1}}},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const Step& s : c.steps) {
            EXPECT_EQ(frame(s.work), s.clock) << c.name;
            if (s.skip >= 0) {
                EXPECT_EQ(skipFrame, s.skip) << c.name << " at " << s.clock;
            }
            if (s.owed >= 0) {
                EXPECT_EQ(fpsSum, s.owed) << c.name << " at " << s.clock;
            }
        }
    }
}

TEST_F(Fps, InitForgetsTheDebt) {
    frame(100);
    ASSERT_EQ(skipFrame, 1);
    initFPS();
    frame(5);
    EXPECT_EQ(skipFrame, 0);
    EXPECT_EQ(fpsSum, 0);
}

} // namespace
