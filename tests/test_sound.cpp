// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Sound effects, music selection and the module player: effects loaded from our
// archive onto a full mixer, the volume scale, modules by number and stopping them,
// and the player driven buffer by buffer (fades, volume changes, loops, the end of
// a module) as the audio thread would. The device is opened with the dummy driver
// and paused, so the channels stay busy and only the tests call the music hook.
#include "2platform/zda.h"
#include "3audio/music.h"
#include "3audio/sound.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdlib>
#include <libmodplug/modplug.h>
#include <string>
#include <unistd.h>
#include <vector>

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
std::vector<uint8_t> wav(uint32_t rate, int channels, int bits, int frames) {
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
    put(1, 2); // PCM
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

// What is taken, converted to the device's 22,050 Hz 16-bit stereo. (What is refused,
// odd rates, channels, bits, codings and cut files, is kept as refused-* inputs of the
// wav fuzz target in tests/regress/wav, which the fuzz test replays through loadSFX.)
TEST_F(Sound, PlainWavsOfSaneRatesAreLoaded) {
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
        // SDL doubles and halves rates, so the edges come out 4 and 4.35 times too short
        const int frames = 4000;
        const int taken[][4] = {{11025, 1, 16, frames * 2 * 4},
                                {22050, 2, 8, frames * 4},
                                {44100, 2, 16, frames / 2 * 4},
                                {4000, 1, 8, frames * 4 * 4},
                                {96000, 2, 16, frames / 4 * 4}};
        for (const auto& t : taken) {
            soundArchiveWithKlonk(ours, wav((uint32_t)t[0], t[1], t[2], frames));
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

// The module music player driven buffer by buffer on our own modules: fades,
// volume changes, loops and the end of a module, as the audio thread would
// see them. The device is opened (dummy driver) but paused, so only the tests
// call the hook.
namespace {

constexpr int bufferBytes = 4096; // 1024 stereo 16-bit frames, as the game's device

class Music : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestAudio(); }
    static void TearDownTestSuite() { closeTestAudio(); }

    ModPlugFile* module = nullptr;
    uint8_t buffer[bufferBytes];

    void SetUp() override {
        mp_volume = mp_fade = 128;
        mp_delta = mpLoops = 0;
        int32_t size = 0;
        uint8_t* data = loadZDAFile(ARC_MUSIC, "sceney", "xm", &size);
        module = data ? MP_LoadMusic(data, size, 0) : nullptr;
        std::free(data);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override {
        MP_HaltMusic();
        MP_FreeMusic(module);
    }

    // hook: audio buffers, as SDL_mixer's thread asks for them.
    void hook(int times = 1) {
        for (int i = 0; i < times; i++) MP_HookMusic(module, buffer, bufferBytes);
    }

    // buffersToEnd: calls of the hook until the music stops (a broken end gives 100000).
    int buffersToEnd() {
        int calls = 0;
        while (mp_music && calls < 100000) hook(), calls++;
        return calls;
    }
};

} // namespace

TEST_F(Music, FadesClimbToTheVolumeAndRunDownToTheEnd) {
    MP_VolumeMusic(100);
    MP_FadeInMusic(module, -1, 300);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 1u);
    hook(98);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 99u);
    hook(); // volume - 1 buffers, then it holds
    hook(50);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 100u);
    EXPECT_EQ(mp_music, module);

    // a fade out from 100 runs down one step a buffer, 99 buffers, and ends the music
    MP_FadeOutMusic(5000);
    hook(98);
    EXPECT_EQ(mp_music, module);
    hook(); // reaches 0 and ends, though the module has more to play
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
}

TEST_F(Music, VolumeChangeStopsAFadeAndZeroNeverStarts) {
    MP_FadeInMusic(module, -1, 300);
    hook(10);
    MP_VolumeMusic(50);
    hook(100);
    EXPECT_EQ(mp_fade, 50);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 50u);

    MP_FadeOutMusic(5000);
    hook(5);
    MP_VolumeMusic(70);
    hook(100);
    EXPECT_EQ(mp_fade, 70);
    EXPECT_EQ(mp_music, module);
    MP_HaltMusic();

    // at volume 0 a fade in never starts the music
    MP_VolumeMusic(0);
    MP_FadeInMusic(module, -1, 300);
    EXPECT_EQ(mp_music, nullptr);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);

    // a fade out at volume 0 leaves the fade at -1; the game-over music played
    // then must stay at the bottom, not jump to libmodplug's loudest setting
    MP_FadeOutMusic(5000);
    EXPECT_EQ(mp_fade, -1);
    MP_PlayMusic(module, -1);
    EXPECT_LE(ModPlug_GetMasterVolume(module), 1u);
}

TEST_F(Music, TwoLoopsPlayTwiceThenLetGoOfTheModule) {
    MP_PlayMusic(module, 0);
    int once = buffersToEnd();
    ASSERT_LT(once, 100000);
    MP_PlayMusic(module, 2);
    EXPECT_EQ(buffersToEnd(), 2 * once);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
    // the module is still loaded and plays from the start
    ModPlug_Seek(module, 0);
    EXPECT_EQ(ModPlug_Read(module, buffer, bufferBytes), bufferBytes);
}

TEST_F(Music, EndOnABufferBoundaryIsNoticedAtTheNextBuffer) {
    // libmodplug fills the last buffer of a module whole and then returns 0
    ModPlug_Seek(module, 0);
    int full = 0, n;
    while ((n = ModPlug_Read(module, buffer, bufferBytes)) == bufferBytes) full++;
    ASSERT_EQ(n, 0);
    MP_PlayMusic(module, 0);
    hook(full);
    EXPECT_EQ(mp_music, module); // every buffer so far was whole
    hook();                      // nothing more came
    EXPECT_EQ(mp_music, nullptr);
}
