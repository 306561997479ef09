// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Sound effects and music selection: effects loaded from our archive onto a
// full mixer, the volume scale, modules by number and stopping them. The
// device is opened with the dummy driver and paused, so the channels stay busy.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "3audio/sound.h"
#include "2platform/zda.h"
#include "testutil.h"

namespace {

class Sound : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestAudio(); } // paused: a played effect keeps its channel
    static void TearDownTestSuite() { closeTestAudio(); }
    void TearDown() override {
        Mix_HaltChannel(-1);
        for (int i = 0; i < NUM_SFX; i++) freeSFX(i);
    }
};

void noteEnd() {} // an end callback that stopMusic must take away

} // namespace

TEST_F(Sound, MissingEffectIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // SDL's audio thread is running
    closeArchives();
    EXPECT_EXIT(loadSFX(), ::testing::ExitedWithCode(1), "");
    openArchives();
}

// A WAV file: the format chunk's fields as given, then `frames` frames of silence.
std::vector<uint8_t> wav(uint32_t rate, int channels, int bits, int coding = 1, int frames = 8) {
    const uint32_t frame = (uint32_t)(channels * bits / 8), data = frame * (uint32_t)frames;
    std::vector<uint8_t> b;
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; i++) b.push_back((uint8_t)(v >> (8 * i)));
    };
    auto tag = [&b](const char* t) { // byte by byte: g++ -O3 misreads an insert here as an overflow
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)t[i]);
    };
    tag("RIFF");
    put(36 + data, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put((uint32_t)coding, 2);
    put((uint32_t)channels, 2);
    put(rate, 4);
    put(rate * frame, 4);
    put(frame, 2);
    put((uint32_t)bits, 2);
    tag("data");
    put(data, 4);
    b.resize(b.size() + data, bits == 8 ? 0x80 : 0);
    return b;
}

// In a scratch folder, a sound archive of our effects with klonk replaced.
void soundArchiveWithKlonk(const std::vector<std::vector<uint8_t>>& ours, const std::vector<uint8_t>& klonk) {
    ArchiveFiles files;
    for (int i = 0; i < NUM_SFX; i++)
        files.push_back({std::string(snd_name[i]) + ".wav", i == SFX_KLONK ? klonk : ours[i]});
    closeArchives();
    ASSERT_TRUE(writeDataArchive("sound", files));
    openArchives();
}

TEST_F(Sound, OnlyPlainWavsOfSaneRatesAreLoaded) {
    // A refused file never reaches SDL_mixer, so the forked child needs no audio thread.
    GTEST_FLAG_SET(death_test_style, "fast");
    std::vector<std::vector<uint8_t>> ours;
    for (int i = 0; i < NUM_SFX; i++) {
        int32_t size = 0;
        uint8_t* b = loadZDAFile(ARC_SOUND, snd_name[i], "wav", &size);
        ASSERT_NE(b, nullptr) << snd_name[i];
        ours.emplace_back(b, b + size);
        free(b);
    }
    {
        ScratchDir dir;
        // rates that overran SDL's converter (0, 1 and 100,000,000 Hz are kept inputs of the wav
        // fuzz target, replayed by test_fuzz), and forms it was never meant to get
        std::vector<uint8_t> cut = wav(22050, 1, 16);
        cut.resize(cut.size() - 4);
        std::vector<uint8_t> noData = wav(22050, 1, 16);
        noData.resize(44 - 8);
        noData[4] = 28;
        const std::pair<std::vector<uint8_t>, const char*> refused[] = {
            {wav(3999, 2, 8), "rate"},
            {wav(96001, 1, 8), "rate"},
            {wav(22050, 3, 16), "channel"},
            {wav(22050, 0, 16), "channel"},
            {wav(22050, 1, 24), "bits"},
            {wav(22050, 1, 4, 2), "PCM"},
            {cut, "cut short"},
            {noData, "without"},
        };
        for (const auto& r : refused) {
            soundArchiveWithKlonk(ours, r.first);
            EXPECT_EXIT(
                {
                    dup2(2, 1); // the fatal line goes to standard output
                    loadSFX();
                },
                ::testing::ExitedWithCode(1), std::string("Unable to load sound: .*") + r.second)
                << r.second;
        }
        // what is taken, converted to the device's 22,050 Hz 16-bit stereo; SDL
        // doubles and halves rates, so the edges come out 4 and 4.35 times too short
        const int frames = 4000;
        const int taken[][4] = {{11025, 1, 16, frames * 2 * 4},
                                {22050, 2, 8, frames * 4},
                                {44100, 2, 16, frames / 2 * 4},
                                {4000, 1, 8, frames * 4 * 4},
                                {96000, 2, 16, frames / 4 * 4}};
        for (const auto& t : taken) {
            soundArchiveWithKlonk(ours, wav((uint32_t)t[0], t[1], t[2], 1, frames));
            loadSFX();
            ASSERT_NE(snd_data[SFX_KLONK], nullptr) << t[0];
            EXPECT_EQ(snd_data[SFX_KLONK]->alen, (Uint32)t[3]) << t[0];
            for (int i = 0; i < NUM_SFX; i++) freeSFX(i);
        }
        closeArchives();
    }
    openArchives();
}

TEST_F(Sound, SeventeenthEffectIsDropped) {
    loadSFX();
    for (int i = 0; i < NUM_SFX; i++) ASSERT_NE(snd_data[i], nullptr) << snd_name[i];
    ASSERT_EQ(Mix_AllocateChannels(-1), SFX_CHANNELS);
    for (int i = 0; i < SFX_CHANNELS; i++) playSFX(SFX_KLONK);
    playSFX(SFX_TADA);
    for (int c = 0; c < SFX_CHANNELS; c++) EXPECT_EQ(Mix_GetChunk(c), snd_data[SFX_KLONK]) << c;
    // numbers outside the table and freed effects play nothing
    Mix_HaltChannel(-1);
    freeSFX(3);
    for (int n : {-1, NUM_SFX, 3}) playSFX(n);
    EXPECT_EQ(Mix_Playing(-1), 0);
}

// The percents of the settings reach the mixer's 0..128 scale: silent at 0, full at 100.
TEST_F(Sound, PercentsReachTheMixer) {
    EXPECT_EQ(percentToVolume(0), 0);
    EXPECT_EQ(percentToVolume(100), 128);
    _sfx_volume_100_ = 50;
    _mus_volume_100_ = 15;
    applyVolumes();
    EXPECT_EQ(Mix_Volume(0, -1), 64);
    EXPECT_EQ(Mix_Volume(SFX_CHANNELS - 1, -1), 64);
    EXPECT_EQ(mp_volume, 19);
}

TEST_F(Sound, EachNumberLoadsItsOwnModuleLoopingForEver) {
    for (int n = 0; n < NUM_MUSIC; n++) {
        mpLoops = 0;
        ModPlugFile* m = loadMusic(n);
        ASSERT_NE(m, nullptr) << musix[n]; // a missing module is a silent level
        EXPECT_EQ(mpLoops, -1);
        int32_t size = 0;
        uint8_t* data = loadZDAFile(ARC_MUSIC, musix[n], "xm", &size);
        ModPlugFile* direct = ModPlug_Load(data, size);
        ASSERT_NE(direct, nullptr) << musix[n];
        EXPECT_STREQ(ModPlug_GetName(m), ModPlug_GetName(direct)) << musix[n];
        std::free(data);
        ModPlug_Unload(direct);
        stopMusic(m);
    }
    EXPECT_EQ(loadMusic(-1), nullptr);
    EXPECT_EQ(loadMusic(NUM_MUSIC), nullptr);
}

TEST_F(Sound, StopMusicOnlyWithAModule) {
    ModPlugFile* m = loadMusic(0);
    ASSERT_NE(m, nullptr);
    MP_VolumeMusic(128);
    MP_PlayMusic(m, -1);
    MP_HookMusicFinished(noteEnd);
    stopMusic(nullptr);
    EXPECT_EQ(Mix_GetMusicHookData(), m);
    EXPECT_EQ(mp_hook, noteEnd);
    stopMusic(m); // hook first, then the module goes
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
    EXPECT_EQ(mp_hook, nullptr);
}
