// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The "sound" archive: the thirteen effects of the game, each synthesized from
// its recipe text in assets/sound (see the README there).
#include "build.h"
#include "3audio/sound.h"
#include "soundsynth.h"

#include <cstdio>
#include <cstdlib>

// buildSounds: renders every recipe into a WAV entry. Called by databuild's main;
// a missing or broken recipe stops the build, since the game cannot run without it.
void buildSounds(const std::string& assetsDir, Entries& out) {
    for (const char* name : snd_name) {
        std::string path = assetsDir + "/sound/" + name + ".txt";
        std::string text;
        if (!readTextFile(path, text)) {
            std::fprintf(stderr, "databuild: can't read %s\n", path.c_str());
            std::exit(1);
        }
        SoundRecipe recipe;
        char err[160];
        if (!parseSoundRecipe(text, recipe, err, sizeof(err))) {
            std::fprintf(stderr, "databuild: %s: %s\n", path.c_str(), err);
            std::exit(1);
        }
        out.push_back({std::string(name) + ".wav", makeWav(renderSound(recipe))});
    }
}
