// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's music modules: they load and play in libmodplug the way the game sets
// it up, sound neither silent nor clipped, all about as loud and soft enough for
// the effects to stand out, end in time, loop without a gap or a stumbled beat,
// and are all different. Also the XM writer's header and the song
// gain on small songs of our own.
#include "build.h"
#include "xm.h"
#include "xmsong.h"

#include <gtest/gtest.h>
#include <libmodplug/modplug.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 22050;  // the game's audio device: 22050 Hz, stereo, 16 bit
constexpr int BUFFER = 1024; // frames in one of the game's audio buffers
// Every song's RMS lies in this band: even between songs, and low enough that the
// effects at their default volume stand 6 dB above the loudest song.
constexpr double SONG_RMS_LOW_DB = -33.5, SONG_RMS_HIGH_DB = -31.5;

// What one module sounded like when played through to its end.
struct Played {
    bool loaded = false;
    bool endedShort = false; // the last read returned less than asked
    double seconds = 0, rms = 0;
    int peak = 0;
    std::vector<int16_t> samples; // left and right interleaved
};

// dbfs: a level in dB below full scale.
double dbfs(double level) {
    return 20 * std::log10(std::max(level, 1e-3) / 32768.0);
}

// play: renders a module as the game's music hook does (mixer settings, master volume 128).
Played play(const std::vector<uint8_t>& bytes, double limitSeconds) {
    ModPlug_Settings s;
    ModPlug_GetSettings(&s);
    s.mFlags = MODPLUG_ENABLE_OVERSAMPLING | MODPLUG_ENABLE_NOISE_REDUCTION;
    s.mChannels = 2;
    s.mBits = 16;
    s.mFrequency = RATE;
    s.mResamplingMode = MODPLUG_RESAMPLE_LINEAR;
    s.mReverbDepth = s.mReverbDelay = s.mBassAmount = s.mBassRange = s.mSurroundDepth = s.mSurroundDelay = 0;
    s.mLoopCount = 0;
    ModPlug_SetSettings(&s);
    Played p;
    ModPlugFile* mod = ModPlug_Load(bytes.data(), int(bytes.size()));
    if (!(p.loaded = mod != nullptr)) return p;
    ModPlug_SetMasterVolume(mod, 128);
    std::vector<int16_t> buf(2048); // 1024 frames, one audio buffer of the game
    long frames = 0;
    double sum = 0;
    while (frames < limitSeconds * RATE && !p.endedShort) {
        int n = ModPlug_Read(mod, buf.data(), int(buf.size() * 2));
        for (int i = 0; i < n / 2; i++) {
            p.peak = std::max(p.peak, std::abs(int(buf[i])));
            sum += double(buf[i]) * buf[i];
        }
        p.samples.insert(p.samples.end(), buf.begin(), buf.begin() + n / 2);
        frames += n / 4;
        p.endedShort = n < int(buf.size() * 2);
    }
    ModPlug_Unload(mod);
    p.seconds = double(frames) / RATE;
    p.rms = frames ? std::sqrt(sum / (frames * 2.0)) : 0;
    return p;
}

// builtMusic: the built modules, made once for all tests.
const Entries& builtMusic() {
    static Entries music;
    if (music.empty()) buildMusic(BLOMP_SOURCE_DIR "/assets", music);
    return music;
}

// silentMs: milliseconds of 10 ms windows below -45 dBFS, counted from the start
// (fromEnd false) or back from the end of the samples.
int silentMs(const std::vector<int16_t>& s, bool fromEnd) {
    const size_t win = RATE / 100 * 2, windows = s.size() / win;
    size_t quiet = 0;
    for (; quiet < windows; quiet++) {
        size_t at = fromEnd ? s.size() - (quiet + 1) * win : quiet * win;
        double sum = 0;
        for (size_t k = at; k < at + win; k++) sum += double(s[k]) * s[k];
        if (dbfs(std::sqrt(sum / win)) >= -45) break;
    }
    return int(quiet * 10);
}

// songSeconds: how long the song's rows last at its own speed and tempo, the time from
// one downbeat of its first row to the next when it plays round; libmodplug counts
// whole samples per tick.
double songSeconds(const std::string& entryName) {
    std::string name = entryName.substr(0, entryName.size() - 3), text, err;
    XmModule mod;
    if (!readTextFile(BLOMP_SOURCE_DIR "/assets/music/" + name + ".txt", text) ||
        !xmParseSong(text, mod, err))
        return 0;
    long rows = 0;
    for (int o : mod.orders) rows += mod.patterns[o].rows;
    long samplesPerTick = RATE * 5 / (mod.bpm * 2);
    return double(rows * mod.speed * samplesPerTick) / RATE;
}

} // namespace

// Every module plays through libmodplug: audible, never clipped, about as loud as the
// others, and it ends on its own within its length (the game restarts it when the last
// read comes back short). And as the game starts it again from its first row, no song
// may end or start in silence (at most 150 ms of both together), and the time from the
// last row's end to the next downbeat, that is libmodplug's fade at the end plus the
// rest of the game's last audio buffer, must be what the song takes back from its last
// rows: the beat runs on through the seam within one tick.
TEST(MusicDataPlay, EighteenModulesSoundEvenEndInTimeAndLoopWithoutAGapOrAStumble) {
    const Entries& music = builtMusic();
    ASSERT_EQ(music.size(), 18u);
    for (size_t i = 0; i < music.size(); i++) {
        const Played p = play(music[i].bytes, 200);
        const std::string& name = music[i].name;
        ASSERT_TRUE(p.loaded) << name;
        EXPECT_TRUE(p.endedShort) << name << " never ends";
        EXPECT_GE(p.seconds, 40.0) << name;
        EXPECT_LE(p.seconds, 120.0) << name;
        EXPECT_LT(p.peak, 30000) << name << " clips or leaves no headroom";
        EXPECT_GE(dbfs(p.rms), SONG_RMS_LOW_DB) << name << " is quieter than the others";
        EXPECT_LE(dbfs(p.rms), SONG_RMS_HIGH_DB)
            << name << " is louder than the others and drowns the effects";
        int start = silentMs(p.samples, false), end = silentMs(p.samples, true);
        EXPECT_LE(start + end, 150) << name << ": " << start << " ms silent at the start, " << end
                                    << " at the end";
        size_t frames = p.samples.size() / 2;
        double period = double((frames + BUFFER - 1) / BUFFER * BUFFER) / RATE;
        double nominal = songSeconds(name);
        ASSERT_GT(nominal, 0) << name;
        EXPECT_NEAR(period, nominal, 0.025) << name << ": the loop comes round off the beat";
    }
}

// No two songs are the same module.
TEST(MusicDataBuild, EverySongIsItsOwn) {
    std::set<std::vector<uint8_t>> seen;
    for (const Entry& e : builtMusic()) EXPECT_TRUE(seen.insert(e.bytes).second) << e.name << " is a copy";
}
