// Sound effects on SDL_mixer's channels and music modules by number.
#include "audio/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <libmodplug/modplug.h>

#include <cstdlib>

#include "game/startup.h"
#include "platform/zda.h"

const char* const snd_name[NUM_SFX] = {"klonk", "krack",  "aj",    "blubb", "jipie", "chew",  "knirk",
                                       "tada",  "trdoor", "boink", "bat",   "klack", "splash"};
Mix_Chunk* snd_data[NUM_SFX] = {};
const char* const musix[NUM_MUSIC] = {"turbochip",
                                      "sceney",
                                      "welcome_home",
                                      "zennypocket",
                                      "bollockNES",
                                      "brewed",
                                      "chipattack",
                                      "fantastic_times",
                                      "fast_quest",
                                      "fuelship",
                                      "her_cloud",
                                      "mias_song",
                                      "oldendays",
                                      "picking_a_mushroom",
                                      "reentry_overture",
                                      "release",
                                      "rocking_on_your_dime",
                                      "tired_tiger"};

int32_t _sfx_volume_100_ = 15;
int32_t _mus_volume_100_ = 100;
int32_t _sfx_volume_ = 0;
int32_t _mus_volume_ = 0;

// loadSFX: every effect once, in table order; the game cannot run without
// them. Called when the game flow sets up.
void loadSFX() {
    for (int i = 0; i < NUM_SFX; i++) {
        int32_t size = 0;
        uint8_t* buffer = loadZDAFile(ARC_SOUND, snd_name[i], "wav", &size);
        if (!buffer) error("Can't load sound file", snd_name[i]);
        SDL_RWops* rw = SDL_RWFromMem(buffer, size);
        Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 0) : nullptr;
        if (rw) SDL_FreeRW(rw);
        std::free(buffer); // SDL_mixer has converted the samples into a copy of its own
        if (!chunk) error("Unable to load sound", SDL_GetError());
        snd_data[i] = chunk;
    }
}

// playSFX: the effect on the first free channel, once, no time limit. With
// every channel busy SDL_mixer refuses and the effect is simply not heard.
// Called by the figure, monsters, menus and the score.
void playSFX(int number) {
    if (number < 0 || number >= NUM_SFX || !snd_data[number]) return;
    Mix_PlayChannelTimed(-1, snd_data[number], 0, -1);
}

// freeSFX: releases one effect. Called by exitGame for 0 to 12.
void freeSFX(int number) {
    if (number < 0 || number >= NUM_SFX) return;
    if (snd_data[number]) Mix_FreeChunk(snd_data[number]);
    snd_data[number] = nullptr;
}

// loadMusic: a missing module only means silence. Called by the game flow at
// a level's start and after the last life is lost.
ModPlugFile* loadMusic(int number) {
    if (number < 0 || number >= NUM_MUSIC) return nullptr;
    int32_t size = 0;
    uint8_t* buffer = loadZDAFile(ARC_MUSIC, musix[number], "xm", &size);
    if (!buffer) return nullptr;
    ModPlugFile* module = MP_LoadMusic(buffer, size, -1);
    std::free(buffer); // libmodplug keeps a copy of its own
    return module;
}

// stopMusic: the hook goes first, under SDL_mixer's lock, so the audio thread
// never renders from an unloaded module. Called by the game flow before the
// next module is loaded and when it leaves.
void stopMusic(ModPlugFile* module) {
    if (!module) return;
    mp_hook = nullptr;
    Mix_HookMusic(nullptr, nullptr);
    mp_music = nullptr;
    ModPlug_Unload(module);
}

// percentToVolume: 15 % gives 19, 50 % gives 64, 100 % gives 128. Called by
// applyVolumes and the options page.
int32_t percentToVolume(int32_t percent) {
    return percent * 128 / 100;
}

// setSFXVolume: one volume for all mixing channels. Called by applyVolumes and
// the options page.
void setSFXVolume(int32_t volume) {
    // Without an open device SDL_mixer has no channels to set.
    if (!Mix_QuerySpec(nullptr, nullptr, nullptr)) return;
    Mix_Volume(-1, volume);
}

// applyVolumes: the percents of the configuration file turned into volumes
// and applied. Called by start-up after the configuration is read.
void applyVolumes() {
    _sfx_volume_ = percentToVolume(_sfx_volume_100_);
    _mus_volume_ = percentToVolume(_mus_volume_100_);
    setSFXVolume(_sfx_volume_);
    MP_VolumeMusic(_mus_volume_);
}

// allocateSFXChannels: the channels the effects play on. Called by start-up.
void allocateSFXChannels() {
    Mix_AllocateChannels(SFX_CHANNELS);
}

// closeAudio: the device goes; the music hook with it. Called by exitGame.
void closeAudio() {
    Mix_CloseAudio();
}
