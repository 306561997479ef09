// The module music player driven buffer by buffer on our own modules: fades,
// volume changes, loops and the end of a module, as the audio thread would
// see them. The device is opened (dummy driver) but paused, so only the tests
// call the hook.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

#include <cstdlib>
#include <vector>

#include "audio/music.h"
#include "platform/zda.h"

namespace {

constexpr int bufferBytes = 4096; // 1024 stereo 16-bit frames, as the game's device

int finishedCalls = 0; // how often the end callback ran
void countFinished() {
    finishedCalls++;
}

class Music : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        mpFrequency = 0;
        mpChannels = 0;
        ASSERT_EQ(MP_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
        SDL_PauseAudio(1); // the tests are the audio thread
        openArchives();
    }
    static void TearDownTestSuite() {
        closeArchives();
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    ModPlugFile* module = nullptr;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(bufferBytes);

    void SetUp() override {
        mp_music = nullptr;
        mp_volume = mp_fade = 128;
        mp_delta = 0;
        mpLoops = 0;
        mp_hook = nullptr;
        finishedCalls = 0;
        module = load("sceney");
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override {
        MP_HaltMusic();
        MP_FreeMusic(module);
        mp_hook = nullptr;
        mp_volume = mp_fade = 128;
    }

    // load: a module of the music archive through the player.
    static ModPlugFile* load(const char* name) {
        int32_t size = 0;
        uint8_t* data = loadZDAFile(ARC_MUSIC, name, "xm", &size);
        if (!data) return nullptr;
        ModPlugFile* m = MP_LoadMusic(data, size, 0);
        std::free(data);
        return m;
    }

    // hook: one audio buffer, as SDL_mixer's thread asks for it.
    void hook(int times = 1) {
        for (int i = 0; i < times; i++) MP_HookMusic(module, buffer.data(), int(buffer.size()));
    }

    // buffersToEnd: calls of the hook until the music stops (at most limit).
    int buffersToEnd(int limit) {
        int calls = 0;
        while (mp_music && calls < limit) hook(), calls++;
        return calls;
    }
};

} // namespace

TEST_F(Music, FadeInClimbsOneStepPerBufferToTheVolume) {
    MP_VolumeMusic(100);
    MP_FadeInMusic(module, -1, 300);
    EXPECT_EQ(mp_music, module);
    EXPECT_EQ(Mix_GetMusicHookData(), module);
    EXPECT_EQ(mp_fade, 1);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 1u);
    hook(98);
    EXPECT_EQ(mp_fade, 99);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 99u);
    hook();
    EXPECT_EQ(mp_fade, 100); // volume - 1 buffers
    hook(50);
    EXPECT_EQ(mp_fade, 100);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 100u);
    EXPECT_EQ(mp_music, module);
}

TEST_F(Music, FadeOutRunsDownAndEndsTheMusic) {
    MP_PlayMusic(module, -1);
    MP_FadeOutMusic(5000);
    EXPECT_EQ(mp_fade, 127);
    hook(126);
    EXPECT_EQ(mp_fade, 1);
    EXPECT_EQ(mp_music, module);
    hook(); // reaches 0 and ends, though the module has more to play
    EXPECT_EQ(mp_fade, 0);
    EXPECT_EQ(mp_music, nullptr);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
    EXPECT_FALSE(MP_PlayingMusic());

    // at volume 1 the fade out starts at 0 and the next buffer ends it
    MP_VolumeMusic(1);
    MP_PlayMusic(module, -1);
    MP_FadeOutMusic(5000);
    hook();
    EXPECT_EQ(mp_music, nullptr);

    // playing again after a finished fade out starts silent and ends at once
    MP_VolumeMusic(80);
    MP_FadeOutMusic(5000);
    MP_PlayMusic(module, -1);
    EXPECT_EQ(buffersToEnd(200), 79);
    MP_PlayMusic(module, -1);
    EXPECT_EQ(buffersToEnd(10), 1);
}

TEST_F(Music, VolumeChangeStopsAFade) {
    MP_FadeInMusic(module, -1, 300);
    hook(10);
    EXPECT_EQ(mp_fade, 11);
    MP_VolumeMusic(50);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 50u);
    hook(100);
    EXPECT_EQ(mp_fade, 50);
    EXPECT_EQ(ModPlug_GetMasterVolume(module), 50u);

    MP_FadeOutMusic(5000);
    hook(5);
    EXPECT_EQ(mp_fade, 44);
    MP_VolumeMusic(70);
    hook(100);
    EXPECT_EQ(mp_fade, 70);
    EXPECT_EQ(mp_music, module);
}

TEST_F(Music, VolumeZeroNeverStartsNorEnds) {
    MP_VolumeMusic(0);
    MP_FadeInMusic(module, -1, 300);
    EXPECT_EQ(mp_music, nullptr);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
    EXPECT_EQ(mp_fade, 0);
    EXPECT_EQ(mp_delta, 0);

    // started anyway, a fade out from volume 0 sits at -1 and never ends it
    MP_PlayMusic(module, -1);
    MP_FadeOutMusic(5000);
    EXPECT_EQ(mp_fade, -1);
    hook(300);
    EXPECT_EQ(mp_fade, -1);
    EXPECT_EQ(mp_music, module);
}

TEST_F(Music, LoopsPlayTheModuleAgainThenLetGo) {
    MP_PlayMusic(module, 0);
    int once = buffersToEnd(100000);
    ASSERT_LT(once, 100000);
    EXPECT_GT(once, 100);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);

    MP_PlayMusic(module, 2);
    EXPECT_EQ(buffersToEnd(100000), 2 * once);
    EXPECT_EQ(mpLoops, 0);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
    // the module is still loaded and plays from the start
    ModPlug_Seek(module, 0);
    EXPECT_EQ(ModPlug_Read(module, buffer.data(), bufferBytes), bufferBytes);

    // for ever: still playing after three rounds
    MP_PlayMusic(module, -1);
    hook(3 * once);
    EXPECT_EQ(mp_music, module);
    EXPECT_EQ(mpLoops, -1);
}

TEST_F(Music, EndOnABufferBoundaryIsNoticedAtTheNextBuffer) {
    // libmodplug fills the last buffer of a module whole and then returns 0
    ModPlug_Seek(module, 0);
    int full = 0;
    int n;
    while ((n = ModPlug_Read(module, buffer.data(), bufferBytes)) == bufferBytes) full++;
    ASSERT_EQ(n, 0);

    MP_PlayMusic(module, 0);
    hook(full);
    EXPECT_EQ(mp_music, module); // every buffer so far was whole
    hook();                      // nothing more came
    EXPECT_EQ(mp_music, nullptr);
}

TEST_F(Music, EndCallbackReplacesTheRemoval) {
    MP_HookMusicFinished(countFinished);
    MP_PlayMusic(module, 0);
    MP_FadeOutMusic(5000);
    hook(127);
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_EQ(mp_music, module);
    EXPECT_EQ(Mix_GetMusicHookData(), module);
    MP_HookMusicFinished(nullptr);
}

TEST_F(Music, SettingsRecordCarriesTheConfiguredValues) {
    EXPECT_EQ(mpFrequency, 22050);
    EXPECT_EQ(mpChannels, 2);

    ModPlug_Settings before;
    ModPlug_GetSettings(&before);
    ModPlug_Settings odd = before;
    odd.mStereoSeparation = 77;
    odd.mMaxMixChannels = 99;
    odd.mLoopCount = 3;
    odd.mBits = 8;
    ModPlug_SetSettings(&odd);

    mpFlags = MODPLUG_ENABLE_REVERB | MODPLUG_ENABLE_MEGABASS | MODPLUG_ENABLE_SURROUND;
    mpResamplingMode = MODPLUG_RESAMPLE_SPLINE;
    mpReverbDepth = 30;
    mpReverbDelay = 80;
    mpBassAmount = 40;
    mpBassRange = 60;
    mpSurroundDepth = 20;
    mpSurroundDelay = 15;
    ModPlugFile* other = load("turbochip");
    ASSERT_NE(other, nullptr);

    ModPlug_Settings s;
    ModPlug_GetSettings(&s);
    EXPECT_EQ(s.mFlags, 4 | 8 | 16);
    EXPECT_EQ(s.mChannels, 2);
    EXPECT_EQ(s.mBits, 16);
    EXPECT_EQ(s.mFrequency, 22050);
    EXPECT_EQ(s.mResamplingMode, 2);
    EXPECT_EQ(s.mReverbDepth, 30);
    EXPECT_EQ(s.mReverbDelay, 80);
    EXPECT_EQ(s.mBassAmount, 40);
    EXPECT_EQ(s.mBassRange, 60);
    EXPECT_EQ(s.mSurroundDepth, 20);
    EXPECT_EQ(s.mSurroundDelay, 15);
    EXPECT_EQ(s.mStereoSeparation, 77); // left as libmodplug had them
    EXPECT_EQ(s.mMaxMixChannels, 99);
    EXPECT_EQ(s.mLoopCount, 3);
    // the player's own record holds the same
    const ModPlug_Settings& own = mp_settings;
    EXPECT_EQ(own.mFlags, s.mFlags);
    EXPECT_EQ(own.mSurroundDelay, 15);

    // rendered in the device's format: a second of music is 22050 stereo 16-bit frames
    std::vector<uint8_t> second(22050 * 4);
    EXPECT_EQ(ModPlug_Read(other, second.data(), int(second.size())), int(second.size()));
    MP_FreeMusic(other);

    mpFlags = 3;
    mpResamplingMode = 1;
    mpReverbDepth = mpReverbDelay = mpBassAmount = mpBassRange = mpSurroundDepth = mpSurroundDelay = 0;
    ModPlug_SetSettings(&before);
}

TEST_F(Music, NothingHappensWithoutAModule) {
    MP_PlayMusic(nullptr, -1);
    MP_FadeInMusic(nullptr, -1, 300);
    EXPECT_EQ(mp_music, nullptr);
    EXPECT_EQ(Mix_GetMusicHookData(), nullptr);
    EXPECT_EQ(MP_LoadMusic("not a module", 12, 0), nullptr);
}
