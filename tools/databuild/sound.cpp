// The "sound" archive: the thirteen effects of the game, each synthesized from
// its recipe text in assets/sound (see the README there).
#include "build.h"
#include "soundsynth.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The effects by the game's sound numbers 0 to 12; each comes from <name>.txt.
const char* const effectNames[] = {"klonk", "krack",  "aj",    "blubb", "jipie", "chew",  "knirk",
                                   "tada",  "trdoor", "boink", "bat",   "klack", "splash"};

// readText: a whole file into a string, or false. Called by buildSounds.
bool readText(const std::string& path, std::string& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(char(c));
    std::fclose(f);
    return true;
}

} // namespace

// buildSounds: renders every recipe into a WAV entry. Called by databuild's main;
// a missing or broken recipe stops the build, since the game cannot run without it.
void buildSounds(const std::string& assetsDir, Entries& out) {
    for (const char* name : effectNames) {
        std::string path = assetsDir + "/sound/" + name + ".txt";
        std::string text;
        if (!readText(path, text)) {
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
