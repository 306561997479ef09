// Sound effects and music selection: effects loaded from our archive onto a
// full mixer, the volume scale, modules by number and stopping them. The
// device is opened with the dummy driver and paused, so the channels stay busy.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

#include <cstdlib>

#include "audio/sound.h"
#include "platform/zda.h"

namespace {

class Sound : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(MP_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
        SDL_PauseAudio(1); // nothing is mixed, so a played effect keeps its channel
        allocateSFXChannels();
        openArchives();
    }
    static void TearDownTestSuite() {
        closeArchives();
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
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

TEST_F(Sound, PercentToMixerVolume) {
    const int32_t table[][2] = {{0, 0}, {5, 6}, {15, 19}, {50, 64}, {99, 126}, {100, 128}};
    for (const auto& t : table) EXPECT_EQ(percentToVolume(t[0]), t[1]) << t[0];
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
