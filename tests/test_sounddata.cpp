// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The sound effects the data builder makes: valid WAV files SDL_mixer loads,
// short, about equally loud, loud enough to stand out over the music and click-free
// at both ends; and the recipe reader's answer to broken recipes.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdlib>

#include "build.h"
#include "soundsynth.h"
#include "testutil.h"

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
