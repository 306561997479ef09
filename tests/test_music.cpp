// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The module music player driven buffer by buffer on our own modules: fades,
// volume changes, loops and the end of a module, as the audio thread would
// see them. The device is opened (dummy driver) but paused, so only the tests
// call the hook.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

#include <cstdlib>

#include "3audio/music.h"
#include "2platform/zda.h"
#include "testutil.h"

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
