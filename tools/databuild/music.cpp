// The music builder: reads the eighteen song texts of assets/music and writes each
// as an XM module entry of the "music" archive.
#include "build.h"
#include "xm.h"
#include "xmsong.h"

#include <cstdio>

namespace {

constexpr int NUM_MUSIC = 18;

// The modules by the number the game plays them under: title, game over, the last
// level, then levels 1 to 15 in order.
const char* const musicNames[NUM_MUSIC] = {"turbochip",
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

// Reads a whole text file; false when it cannot be opened.
bool readText(const std::string& path, std::string& text) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    int c;
    while ((c = fgetc(f)) != EOF) text += static_cast<char>(c);
    fclose(f);
    return true;
}

} // namespace

// Builds every module of the "music" archive; a song that cannot be read is reported
// and left out, so the game stays silent there. Called by databuild.
void buildMusic(const std::string& assetsDir, Entries& out) {
    for (const char* name : musicNames) {
        std::string path = assetsDir + "/music/" + name + ".txt", text, err;
        XmModule mod;
        if (!readText(path, text)) {
            fprintf(stderr, "music: cannot read %s\n", path.c_str());
            continue;
        }
        if (!xmParseSong(text, mod, err)) {
            fprintf(stderr, "music: %s: %s\n", path.c_str(), err.c_str());
            continue;
        }
        std::vector<uint8_t> bytes = xmWrite(mod);
        if (!bytes.empty()) out.push_back({std::string(name) + ".xm", bytes});
    }
}
