// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The sound of the whole game, captured with SDL's disk audio driver while the
// harness plays in real time: the title's music fades in, and a menu move clicks
// even with the music turned off. (That every effect stands above the music at the
// default volumes follows from the effect and module loudness in test_audiodata and
// the volume scale in test_sound.)
#include "testutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 22050;                        // the device: 16-bit stereo at this rate
constexpr double MUSIC_FROM = 7.6, MUSIC_TO = 9.4; // the title music at full volume, in seconds

// One capture: what the device was given, left and right interleaved.
struct Capture {
    std::vector<int16_t> samples;

    // Loudness of the stretch from second `from` to second `to`.
    double rms(double from, double to) const {
        size_t a = (size_t)(from * RATE) * 2, b = std::min(samples.size(), (size_t)(to * RATE) * 2);
        double sum = 0;
        for (size_t i = a; i < b; i++) sum += (double)samples[i] * samples[i];
        return b > a ? std::sqrt(sum / (double)(b - a)) : 0;
    }
    int peak(double from, double to) const {
        size_t a = (size_t)(from * RATE) * 2, b = std::min(samples.size(), (size_t)(to * RATE) * 2);
        int p = 0;
        for (size_t i = a; i < b; i++) p = std::max(p, std::abs((int)samples[i]));
        return p;
    }
};

// Runs the game in the harness with real-time waits: the intro screens are passed, then
// the script runs; returns what the disk audio driver was given.
Capture capture(const std::string& config, const std::string& script) {
    ScratchDir dir;
    dir.linkGameData();
    if (!config.empty()) writeText("blomp.cfg", config);
    int status = -1;
    runHarness("realtime 1\ntap 100 return\ntap 1100 return\ntap 1200 up\ntap 1300 up\ntap 1400 right\n" +
                   script,
               "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=out.raw SDL_DISKAUDIODELAY=46", "", &status);
    Capture c;
    if (status != 0) return c;
    std::vector<uint8_t> raw = readFile("out.raw");
    for (size_t i = 0; i + 1 < raw.size(); i += 2) c.samples.push_back((int16_t)(raw[i] | raw[i + 1] << 8));
    return c;
}

TEST(AudioGame, TheTitleMusicIsAudibleAndRisesDuringItsFadeIn) {
    const Capture title = capture("", "tap 9500 escape\n"); // default volumes
    ASSERT_GT(title.samples.size(), (size_t)RATE * 2 * 9);  // nine seconds were played
    EXPECT_EQ(title.peak(0, 1.0), 0);                       // the intro screens are silent
    const double early = title.rms(1.6, 2.6), late = title.rms(MUSIC_FROM, MUSIC_TO);
    EXPECT_GT(late, 500);                   // clearly audible once faded in
    EXPECT_GT(late, 3 * early);             // and much quieter while it fades in
    EXPECT_LT(title.peak(1.5, 9.0), 32767); // never clipped
}

// With the music off nothing sounds until a menu move clicks.
TEST(AudioGame, AMenuMoveClicksWithTheMusicOff) {
    const Capture effects = capture("mus_volume=0\n", "tap 3000 return\ntap 3500 down\ntap 5000 escape\n");
    ASSERT_GT(effects.samples.size(), (size_t)RATE * 2 * 4);
    EXPECT_EQ(effects.peak(0, 3.0), 0);     // no music at volume 0, no effect yet
    EXPECT_GT(effects.peak(3.4, 5.0), 300); // the "klonk" of the cursor moving
}

} // namespace
