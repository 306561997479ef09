// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The sound of the whole game, captured with SDL's disk audio driver while the
// harness plays in real time: the title's music fades in; a menu move clicks even
// with the music turned off; and at the default volumes every sound effect stands
// well above the music in the real mix.
#include "testutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 22050; // the device: 16-bit stereo at this rate
constexpr int NUM_EFFECTS = 13;
// The effects' lengths in seconds, 0 to 12, to space them in the capture.
constexpr double effectSeconds[NUM_EFFECTS] = {0.12, 0.32, 0.27, 0.24, 0.96, 0.21, 0.43,
                                               1.22, 0.31, 0.39, 0.19, 0.18, 0.47};
constexpr int EFFECTS_FROM_MS = 5000;              // the first effect of the music-off capture
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
    // The sounding stretches (first and last frame) between gaps of at least 100 ms of
    // digital silence, from second `from` on.
    std::vector<std::pair<size_t, size_t>> bursts(double from) const {
        std::vector<std::pair<size_t, size_t>> out;
        size_t frames = samples.size() / 2, gap = RATE / 10;
        for (size_t f = (size_t)(from * RATE); f < frames; f++) {
            if (!samples[2 * f] && !samples[2 * f + 1]) continue;
            if (out.empty() || f - out.back().second > gap)
                out.push_back({f, f});
            else
                out.back().second = f;
        }
        return out;
    }
    // The RMS of the loudest 50 ms within frames a to b, both channels.
    double loudest50ms(size_t a, size_t b) const {
        size_t win = RATE / 20;
        double best = 0;
        for (size_t at = a; at == a || at + win <= b + 1; at += win / 10) {
            double sum = 0;
            for (size_t f = at; f < at + win && 2 * f + 1 < samples.size(); f++)
                sum +=
                    (double)samples[2 * f] * samples[2 * f] + (double)samples[2 * f + 1] * samples[2 * f + 1];
            best = std::max(best, sum / (2.0 * win));
        }
        return std::sqrt(best);
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

// dB of a level against another.
double db(double level, double reference) {
    return 20 * std::log10(std::max(level, 1e-3) / std::max(reference, 1e-3));
}

// The two captures, each made once in a process and only when a test needs it.
const Capture& titleMusic() { // default volumes; the title's music plays
    static Capture c = capture("", "tap 9500 escape\n");
    return c;
}
const Capture& musicOff() { // music at 0; a menu move, then every effect in turn
    static Capture c;
    if (c.samples.empty()) {
        std::string script = "tap 3000 return\ntap 3500 down\n";
        int at = EFFECTS_FROM_MS;
        for (int n = 0; n < NUM_EFFECTS; n++) {
            script += "sfx " + std::to_string(at) + " " + std::to_string(n) + "\n";
            at += (int)(effectSeconds[n] * 1000) + 300;
        }
        script += "tap " + std::to_string(at) + " escape\n";
        c = capture("mus_volume=0\n", script);
    }
    return c;
}

TEST(AudioGame, TheTitleMusicIsAudibleAndRisesDuringItsFadeIn) {
    const Capture& title = titleMusic();
    ASSERT_GT(title.samples.size(), (size_t)RATE * 2 * 9); // nine seconds were played
    EXPECT_EQ(title.peak(0, 1.0), 0);                      // the intro screens are silent
    const double early = title.rms(1.6, 2.6), late = title.rms(MUSIC_FROM, MUSIC_TO);
    EXPECT_GT(late, 500);                   // clearly audible once faded in
    EXPECT_GT(late, 3 * early);             // and much quieter while it fades in
    EXPECT_LT(title.peak(1.5, 9.0), 32767); // never clipped
}

// With the music off, a menu move clicks; and at the default volumes (music 100 %,
// effects 15 %) the loudest 50 ms of every effect, as the mixer hands it to the device,
// stand at least 6 dB above the RMS of the music. The mixer adds effects and music, so
// each is measured where the other is silent.
TEST(AudioGame, AMenuMoveClicksAndEveryEffectStandsSixDbAboveTheMusic) {
    const Capture& effects = musicOff();
    ASSERT_GT(effects.samples.size(), (size_t)RATE * 2 * 5);
    EXPECT_EQ(effects.peak(0, 3.0), 0);     // no music at volume 0, no effect yet
    EXPECT_GT(effects.peak(3.4, 5.0), 300); // the "klonk" of the cursor moving
    const double music = titleMusic().rms(MUSIC_FROM, MUSIC_TO);
    ASSERT_GT(music, 0);
    // the menu move's click, then each effect alone, one after the other
    std::vector<std::pair<size_t, size_t>> heard = effects.bursts(3.0);
    ASSERT_EQ(heard.size(), (size_t)NUM_EFFECTS + 1);
    for (int n = 0; n < NUM_EFFECTS; n++) {
        const std::pair<size_t, size_t>& effect = heard[n + 1];
        double margin = db(effects.loudest50ms(effect.first, effect.second), music);
        EXPECT_GE(margin, 6.0) << "effect " << n << " stands only " << margin << " dB above the music";
    }
}

} // namespace
