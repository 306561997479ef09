// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The sound effects and the music modules the data builder makes, and the recipe
// and song readers' answers to broken sources.
#include "build.h"
#include "soundsynth.h"
#include "testutil.h"
#include "xm.h"
#include "xmsong.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <libmodplug/modplug.h>
#include <set>
#include <string>
#include <vector>

namespace {

// samplesOf: the little-endian 16-bit samples after a 44-byte header.
std::vector<int> samplesOf(const Entry& e) {
    std::vector<int> s;
    for (size_t i = 44; i + 1 < e.bytes.size(); i += 2)
        s.push_back(int16_t(e.bytes[i] | e.bytes[i + 1] << 8));
    return s;
}

// loudnessDb: the loudest 50 ms of an effect, RMS in dB below full scale.
double loudnessDb(const std::vector<int>& s) {
    const size_t win = soundRate / 20;
    double best = 0;
    for (size_t at = 0; at == 0 || at + win <= s.size(); at += win / 10) {
        double sum = 0;
        for (size_t i = at; i < at + win && i < s.size(); i++) sum += double(s[i]) * s[i];
        best = std::fmax(best, sum / win);
    }
    return 10 * std::log10(best / (32768.0 * 32768.0));
}

// At the default effect volume (15 %, 19 of 128) an effect reaches the speakers this
// much quieter than its file; the loudest song's RMS is held at -31.5 dBFS by the music
// data test; every effect's loudest 50 ms must stand 6 dB above it.
const double defaultSfxGainDb = 20 * std::log10(19.0 / 128.0);
constexpr double loudestSongDb = -31.5, marginDb = 6.0;

class SoundData : public ::testing::Test {
protected:
    static Entries effects;
    static void SetUpTestSuite() { buildSounds(BLOMP_SOURCE_DIR "/assets", effects); }
};
Entries SoundData::effects;

} // namespace

TEST_F(SoundData, ThirteenMonoWavFilesSdlMixerLoadsAt22050Hz) {
    ASSERT_EQ(effects.size(), 13u);
    openTestAudio(); // the game's device
    for (const Entry& e : effects) {
        SDL_RWops* rw = SDL_RWFromConstMem(e.bytes.data(), int(e.bytes.size()));
        Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 0);
        SDL_FreeRW(rw);
        ASSERT_NE(chunk, nullptr) << e.name << ": " << Mix_GetError();
        // the device is stereo 16-bit at 22050 Hz: four bytes for every mono sample means
        // the file is mono 16-bit at that rate too
        EXPECT_EQ(chunk->alen, (e.bytes.size() - 44) * 2) << e.name;
        Mix_FreeChunk(chunk);
    }
    closeTestAudio();
}

TEST_F(SoundData, ShortWithHeadroomAlikeInLoudnessAboveTheMusicAndSilentAtBothEnds) {
    const size_t halfMs = soundRate / 2000, oneMs = soundRate / 1000;
    double loud[13], mean = 0;
    for (size_t i = 0; i < effects.size() && i < 13; i++) {
        const Entry& e = effects[i];
        std::vector<int> s = samplesOf(e);
        ASSERT_GT(s.size(), 4 * oneMs) << e.name;
        double seconds = double(s.size()) / soundRate;
        bool fanfare = e.name == "tada.wav" || e.name == "jipie.wav";
        EXPECT_GE(seconds, fanfare ? 0.6 : 0.08) << e.name;
        EXPECT_LE(seconds, fanfare ? 1.5 : 0.5) << e.name;
        if (e.name == "chew.wav") {
            EXPECT_LE(seconds, 0.25) << "the item sound, heard up to 54 times a level";
        }
        int peak = 0, head = 0, tail = 0;
        for (size_t k = 0; k < s.size(); k++) peak = std::max(peak, std::abs(s[k]));
        for (size_t k = 0; k < halfMs; k++) head = std::max(head, std::abs(s[k]));
        for (size_t k = s.size() - oneMs; k < s.size(); k++) tail = std::max(tail, std::abs(s[k]));
        double peakDb = 20 * std::log10(peak / 32768.0);
        EXPECT_LE(peakDb, -2.5) << e.name; // headroom for the mixer
        EXPECT_GE(peakDb, -9.0) << e.name; // but not lost under the music
        EXPECT_EQ(s.front(), 0) << e.name;
        EXPECT_EQ(s.back(), 0) << e.name;
        EXPECT_LT(head, 3277) << e.name; // under 10 % in the first half millisecond
        EXPECT_LT(tail, 1639) << e.name; // under 5 % in the last millisecond
        mean += (loud[i] = loudnessDb(s)) / 13;
        EXPECT_GE(loud[i] + defaultSfxGainDb, loudestSongDb + marginDb) << e.name << " drowns in the music";
    }
    for (size_t i = 0; i < effects.size() && i < 13; i++) EXPECT_NEAR(loud[i], mean, 3.0) << effects[i].name;
}

TEST(SoundDataRecipe, RejectsBrokenRecipesWithTheLine) {
    std::string many;
    for (int i = 0; i <= soundMaxVoices; i++) many += "voice noise\n";
    const std::string cases[][2] = {
        {"voice sine freq 100\nvoice flute freq 100\n", "line 2: unknown wave \"flute\""},
        {"voice noise\nlength nan\n", "line 2: \"length\" wants one number in range"},
        {many, "line 25: more than 24 voices"},
        {"voice sine freq 1" + std::string(40, '0') + "\n", "line 1: line too long"},
    };
    for (const auto& c : cases) {
        SoundRecipe r;
        char err[160] = "";
        EXPECT_FALSE(parseSoundRecipe(c[0].c_str(), r, err, sizeof(err))) << c[0];
        EXPECT_EQ(std::string(err), c[1]) << c[0];
    }
}

// The game's music modules: they load and play in libmodplug the way the game sets
// it up, sound neither silent nor clipped, all about as loud and soft enough for
// the effects to stand out, end in time, loop without a gap or a stumbled beat,
// and are all different. Also the XM writer's header and the song
// gain on small songs of our own.
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
