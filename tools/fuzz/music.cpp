// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Fuzz target: an XM module. The bytes are stored as a module of the music
// archive; the game loads it by number and the music hook renders a few seconds
// of it into audio buffers, with mixer settings and a loop count the input picks,
// fading in and out as the game does. A module libmodplug refuses is silence.
#include "fuzz.h"

#include "3audio/music.h"
#include "3audio/sound.h"
#include "2platform/zda.h"
#include "2platform/zdawrite.h"

#include <cstdio>

namespace {

constexpr int BUFFER = 4096; // bytes of one audio buffer: 1024 stereo 16-bit frames
constexpr int BUFFERS = 48;  // about two seconds at 22050 Hz
constexpr int TRACK = 3;     // the module number the input is stored as

int ended = 0; // the end callback ran

// The end-of-music callback a level installs. Called by the hook.
void onEnd() {
    ended++;
}

} // namespace

// Loads the bytes as a module and renders it through the hook; refused when libmodplug will not load it.
int fuzzMusic(const uint8_t* data, size_t size) {
    if (size < 1) return FUZZ_REFUSED; // an archive holds no empty entry
    fuzzEnter();
    uint32_t seed = fuzzHash(data, size);
    char name[64];
    snprintf(name, sizeof name, "%s.xm", musix[TRACK]);
    ZdaItem item = {name, data, (int32_t)size};
    closeArchives();
    if (!writeZDA("data/music.zda", &item, 1)) fuzzFail("cannot write the archive");
    openArchives();
    // The device the player renders for, as start-up opens it; no audio thread runs here,
    // so the hook is called directly.
    mpFrequency = 22050;
    mpChannels = 2;
    mpFlags = (int32_t)(fuzzRandom(&seed) & 31);
    mpResamplingMode = (int32_t)(fuzzRandom(&seed) % 4);
    mpReverbDepth = (int32_t)(fuzzRandom(&seed) % 101);
    mpReverbDelay = 40 + (int32_t)(fuzzRandom(&seed) % 161);
    mpBassAmount = (int32_t)(fuzzRandom(&seed) % 101);
    mpBassRange = 10 + (int32_t)(fuzzRandom(&seed) % 91);
    mpSurroundDepth = (int32_t)(fuzzRandom(&seed) % 101);
    mpSurroundDelay = 5 + (int32_t)(fuzzRandom(&seed) % 36);
    MP_VolumeMusic(64); // as start-up applies the volume: the fade starts there too
    ModPlugFile* module = loadMusic(TRACK);
    if (module) {
        ended = 0;
        const uint32_t how = fuzzRandom(&seed);
        if (how & 1) {
            MP_FadeInMusic(module, -1, 300);
        } else {
            MP_PlayMusic(module, 1 + (int)(how >> 1) % 3);
            MP_HookMusicFinished(onEnd);
        }
        static uint8_t buffer[BUFFER];
        for (int b = 0; b < BUFFERS && mp_music == module; b++) {
            if (b == BUFFERS / 2 && (how & 2)) MP_FadeOutMusic(1000);
            MP_HookMusic(module, buffer, BUFFER);
        }
        if (mp_fade < -1 || mp_fade > mp_volume) {
            char text[160];
            snprintf(text, sizeof text, "the fade ran out of its range: fade %d, volume %d, delta %d, how %u",
                     (int)mp_fade, (int)mp_volume, (int)mp_delta, (unsigned)how);
            fuzzFail(text);
        }
        stopMusic(module);
    }
    mpFlags = 3;
    mpResamplingMode = 1;
    mpReverbDepth = mpReverbDelay = mpBassAmount = mpBassRange = mpSurroundDepth = mpSurroundDelay = 0;
    closeArchives();
    remove("data/music.zda");
    fuzzLeave();
    return module ? FUZZ_ACCEPTED : FUZZ_REFUSED;
}
