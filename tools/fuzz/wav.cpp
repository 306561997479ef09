// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: a WAV. The bytes are stored as the first sound effect of a sound
// archive whose other twelve effects are a small sound of our own; the game
// loads all effects onto SDL_mixer (dummy driver, paused so that every channel
// keeps what it was given) and plays each once. A sound it cannot use gets its fatal line.
#include "fuzz.h"

#include "3audio/music.h"
#include "3audio/sound.h"
#include "2platform/zda.h"
#include "2platform/zdawrite.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Appends a little-endian number of n bytes.
void put(std::vector<uint8_t>& out, uint32_t v, int n) {
    for (int i = 0; i < n; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

// A 16-bit mono WAV of 64 samples of a rising ramp at 22050 Hz.
std::vector<uint8_t> smallSound() {
    std::vector<uint8_t> w;
    const uint32_t samples = 64, bytes = samples * 2;
    w.insert(w.end(), {'R', 'I', 'F', 'F'});
    put(w, 36 + bytes, 4);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(w, 16, 4);
    put(w, 1, 2);         // PCM
    put(w, 1, 2);         // mono
    put(w, 22050, 4);     // rate
    put(w, 22050 * 2, 4); // bytes a second
    put(w, 2, 2);         // block size
    put(w, 16, 2);        // bits
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    put(w, bytes, 4);
    for (uint32_t i = 0; i < samples; i++) put(w, i * 512, 2);
    return w;
}

// Loads every effect. Called through fuzzGuard.
void load(void*) {
    loadSFX();
}

// The mixer as start-up opens it, once.
void openMixer() {
    static int open = 0;
    if (open) return;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0 || MP_OpenAudio(22050, MP_FORMAT_S16LSB, 2, 1024) == -1) {
        fprintf(stderr, "fuzz: no audio: %s\n", SDL_GetError());
        abort();
    }
    SDL_PauseAudio(1);
    allocateSFXChannels();
    open = 1;
}

} // namespace

// Loads the bytes as the first effect and plays every effect; refused on the sound's fatal line.
int fuzzWav(const uint8_t* data, size_t size) {
    static const std::vector<uint8_t> ours = smallSound();
    if (size < 1) return FUZZ_REFUSED; // an archive holds no empty entry
    fuzzEnter();
    openMixer();
    char names[NUM_SFX][32];
    ZdaItem items[NUM_SFX];
    for (int i = 0; i < NUM_SFX; i++) {
        snprintf(names[i], sizeof names[i], "%s.wav", snd_name[i]);
        items[i] = {names[i], i == 0 ? data : ours.data(), i == 0 ? (int32_t)size : (int32_t)ours.size()};
    }
    closeArchives();
    if (!writeZDA("data/sound.zda", items, NUM_SFX)) fuzzFail("cannot write the archive");
    openArchives();
    const int accepted = fuzzGuard(load, nullptr);
    if (accepted) {
        for (int i = 0; i < NUM_SFX; i++)
            if (!snd_data[i]) fuzzFail("an effect loaded without its samples");
        for (int i = 0; i < NUM_SFX; i++) playSFX(i);
        if (Mix_GetChunk(0) != snd_data[0]) fuzzFail("the first effect did not play");
    }
    Mix_HaltChannel(-1);
    for (int i = 0; i < NUM_SFX; i++) freeSFX(i);
    closeArchives();
    remove("data/sound.zda");
    fuzzLeave();
    return accepted ? FUZZ_ACCEPTED : FUZZ_REFUSED;
}
