// The game's music modules: they load and play in libmodplug the way the game sets
// it up, sound neither silent nor clipped, end in time, and come out the same on
// every build. Also the XM writer and the song reader on their own.
#include "build.h"
#include "xm.h"
#include "xmsong.h"

#include <gtest/gtest.h>
#include <libmodplug/modplug.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 22050; // the game's audio device: 22050 Hz, stereo, 16 bit

// What one module sounded like when played through to its end.
struct Played {
    bool loaded = false;
    double seconds = 0;
    int peak = 0;
    long clipped = 0;
    double rms = 0;
    bool endedShort = false; // the last read returned less than asked
};

// Plays a module as the game's music hook does (mixer settings, master volume 128).
Played play(const std::vector<uint8_t>& bytes, double limitSeconds) {
    ModPlug_Settings s;
    ModPlug_GetSettings(&s);
    s.mFlags = MODPLUG_ENABLE_OVERSAMPLING | MODPLUG_ENABLE_NOISE_REDUCTION;
    s.mChannels = 2;
    s.mBits = 16;
    s.mFrequency = RATE;
    s.mResamplingMode = MODPLUG_RESAMPLE_LINEAR;
    s.mReverbDepth = s.mReverbDelay = s.mBassAmount = s.mBassRange = 0;
    s.mSurroundDepth = s.mSurroundDelay = 0;
    s.mLoopCount = 0;
    ModPlug_SetSettings(&s);
    Played p;
    ModPlugFile* mod = ModPlug_Load(bytes.data(), static_cast<int>(bytes.size()));
    if (!mod) return p;
    p.loaded = true;
    ModPlug_SetMasterVolume(mod, 128);
    std::vector<int16_t> buf(2048); // 1024 frames, one audio buffer of the game
    long frames = 0;
    double sum = 0;
    int bytesAsked = static_cast<int>(buf.size() * 2);
    while (frames < limitSeconds * RATE) {
        int n = ModPlug_Read(mod, buf.data(), bytesAsked);
        for (int i = 0; i < n / 2; i++) {
            int a = std::abs(static_cast<int>(buf[i]));
            p.peak = std::max(p.peak, a);
            if (a >= 32767) p.clipped++;
            sum += static_cast<double>(buf[i]) * buf[i];
        }
        frames += n / 4;
        if (n < bytesAsked) {
            p.endedShort = true;
            break;
        }
    }
    ModPlug_Unload(mod);
    p.seconds = static_cast<double>(frames) / RATE;
    p.rms = frames ? std::sqrt(sum / (frames * 2.0)) : 0;
    return p;
}

// The built modules, made once for all tests.
const Entries& builtMusic() {
    static Entries music;
    if (music.empty()) buildMusic(BLOMP_SOURCE_DIR "/assets", music);
    return music;
}

// Little-endian readers for checking written headers.
int read16(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}
long read32(const std::vector<uint8_t>& b, size_t at) {
    return read16(b, at) | static_cast<long>(read16(b, at + 2)) << 16;
}

// A small song in our notation that the reader tests build upon.
const char* const tinySong = "title Tiny\n"
                             "speed 5\n"
                             "bpm 140\n"
                             "channels 3\n"
                             "rows 16\n"
                             "inst lead pulse duty=25 vol=40 adsr=0,4,32,4\n"
                             "inst kick kick vol=50\n"
                             "drum K kick\n"
                             "track m @lead o4 l4 c e# g- x  # e# is f, g- is f#\n"
                             "track d [K2 r2]4\n"
                             "track n @lead o4 l4 r4 f\n"
                             "pat A = m d\n"
                             "pat B rows=8 = n+12\n"
                             "order A B*2\n";

} // namespace

// The modules named in the game's table are all there and none twice.
TEST(MusicDataBuild, AllEighteenModulesArePresent) {
    const char* names[] = {"turbochip",
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
    const Entries& music = builtMusic();
    ASSERT_EQ(music.size(), 18u);
    for (int i = 0; i < 18; i++) {
        EXPECT_EQ(music[i].name, std::string(names[i]) + ".xm");
        // small enough for the Pi to load quickly
        EXPECT_LT(music[i].bytes.size(), 64u * 1024) << music[i].name;
    }
}

// Two builds give the same bytes, and no two songs are the same module.
TEST(MusicDataBuild, RepeatableAndDistinct) {
    Entries again;
    buildMusic(BLOMP_SOURCE_DIR "/assets", again);
    const Entries& music = builtMusic();
    ASSERT_EQ(again.size(), music.size());
    std::set<std::vector<uint8_t>> seen;
    for (size_t i = 0; i < music.size(); i++) {
        EXPECT_EQ(again[i].bytes, music[i].bytes) << music[i].name;
        EXPECT_TRUE(seen.insert(music[i].bytes).second) << music[i].name << " is a copy";
    }
}

// Every module plays through libmodplug: audible, never clipped, and it ends on its own
// within its length (the game restarts it when the last read comes back short).
TEST(MusicDataPlay, EveryModuleSoundsAndEnds) {
    std::set<long> lengths;
    for (const Entry& e : builtMusic()) {
        Played p = play(e.bytes, 200);
        ASSERT_TRUE(p.loaded) << e.name;
        EXPECT_TRUE(p.endedShort) << e.name << " never ends";
        EXPECT_GE(p.seconds, 40.0) << e.name;
        EXPECT_LE(p.seconds, 120.0) << e.name;
        EXPECT_EQ(p.clipped, 0) << e.name;
        EXPECT_LT(p.peak, 30000) << e.name << " leaves no headroom";
        EXPECT_GT(p.peak, 6000) << e.name << " is too quiet";
        EXPECT_GT(p.rms, 1000.0) << e.name << " is mostly silence";
        lengths.insert(static_cast<long>(p.seconds));
    }
    EXPECT_GT(lengths.size(), 8u) << "the songs should not all be cut to one length";
}

// The written header carries the song's own numbers where trackers look for them.
TEST(MusicDataXm, HeaderFieldsReadBack) {
    XmModule mod;
    std::string err;
    ASSERT_TRUE(xmParseSong(tinySong, mod, err)) << err;
    std::vector<uint8_t> b = xmWrite(mod);
    ASSERT_GT(b.size(), 336u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
    EXPECT_EQ(std::string(b.begin() + 17, b.begin() + 21), "Tiny");
    EXPECT_EQ(b[37], 0x1a);
    EXPECT_EQ(read16(b, 58), 0x0104);
    EXPECT_EQ(read32(b, 60), 276);
    EXPECT_EQ(read16(b, 64), 3);     // orders: A B B
    EXPECT_EQ(read16(b, 68), 3);     // channels
    EXPECT_EQ(read16(b, 70), 2);     // patterns
    EXPECT_EQ(read16(b, 72), 2);     // instruments
    EXPECT_EQ(read16(b, 74) & 1, 1); // linear frequencies
    EXPECT_EQ(read16(b, 76), 5);
    EXPECT_EQ(read16(b, 78), 140);
    EXPECT_EQ(b[80], 0);
    EXPECT_EQ(b[81], 1);
    EXPECT_EQ(b[82], 1);
    // the first pattern: 16 rows, its packed size followed by exactly that many bytes
    size_t at = 60 + 276;
    EXPECT_EQ(read32(b, at), 9);
    EXPECT_EQ(read16(b, at + 5), 16);
    size_t second = at + 9 + read16(b, at + 7);
    EXPECT_EQ(read16(b, second + 5), 8);
    // libmodplug agrees: the title, and the song plays 16 + 8 + 8 rows of 5 ticks at 140 bpm
    ModPlugFile* m = ModPlug_Load(b.data(), static_cast<int>(b.size()));
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(ModPlug_GetName(m), "Tiny");
    ModPlug_Unload(m);
    Played p = play(b, 10);
    EXPECT_TRUE(p.endedShort);
    EXPECT_NEAR(p.seconds, 32 * 2.5 * 5 / 140, 0.15); // libmodplug notices the end a few ticks late
}

// Notes land on the rows and with the values the text gives: sharps, flats, key off,
// drums, transposition and the instrument numbers.
TEST(MusicDataXm, ReaderPlacesNotes) {
    XmModule mod;
    std::string err;
    ASSERT_TRUE(xmParseSong(tinySong, mod, err)) << err;
    ASSERT_EQ(mod.patterns.size(), 2u);
    const XmPattern& a = mod.patterns[0];
    auto cell = [&](const XmPattern& p, int row, int ch) { return p.cells[row * mod.channels + ch]; };
    EXPECT_EQ(cell(a, 0, 0).note, 49); // c4
    EXPECT_EQ(cell(a, 0, 0).instr, 1);
    EXPECT_EQ(cell(a, 4, 0).note, 54); // e# is f4
    EXPECT_EQ(cell(a, 8, 0).note, 55); // g- is f#4
    EXPECT_EQ(cell(a, 12, 0).note, XM_NOTE_OFF);
    EXPECT_EQ(cell(a, 1, 0).note, 0);
    EXPECT_EQ(cell(a, 0, 1).instr, 2); // the kick
    EXPECT_EQ(cell(a, 2, 1).note, 0);
    EXPECT_EQ(cell(a, 12, 1).note, 49); // the fourth repeat
    EXPECT_EQ(cell(a, 14, 1).note, 0);
    EXPECT_EQ(cell(a, 0, 2).note, 0); // channel 3 is silent
    EXPECT_EQ(cell(mod.patterns[1], 4, 0).note, 54 + 12);
    ASSERT_EQ(mod.orders.size(), 3u);
    EXPECT_EQ(mod.orders[2], 1);
}

// Sticky and one-shot effects, volume and dotted lengths reach the cells.
TEST(MusicDataXm, ReaderEffectsAndVolumes) {
    std::string text = "channels 1\nrows 16\ninst p tri\n"
                       "track t @p o3 v20 ~047 c6. %F03 d2 ~- v- e r1\norder X\n";
    text.insert(text.find("order"), "pat X = t\n");
    XmModule mod;
    std::string err;
    ASSERT_TRUE(xmParseSong(text, mod, err)) << err;
    const XmPattern& p = mod.patterns[0];
    EXPECT_EQ(p.cells[0].note, 37);
    EXPECT_EQ(p.cells[0].vol, 0x10 + 20);
    for (int r = 0; r < 9; r++) EXPECT_EQ(p.cells[r].param, 0x47) << r; // dotted 6 is 9 rows
    EXPECT_EQ(p.cells[9].note, 39);
    EXPECT_EQ(p.cells[9].fx, 15); // the one-shot wins on its row
    EXPECT_EQ(p.cells[9].param, 3);
    EXPECT_EQ(p.cells[10].param, 0x47);
    EXPECT_EQ(p.cells[11].note, 41);
    EXPECT_EQ(p.cells[11].vol, 0);
    EXPECT_EQ(p.cells[11].param, 0);
}

// Broken song texts are refused with the line that is wrong, never half read.
TEST(MusicDataXm, ReaderRefusesBadText) {
    const char* head = "channels 2\nrows 8\ninst p pulse\ndrum K p\n";
    struct Case {
        const char* body;
        const char* line;
    } cases[] = {
        {"track t @p c16\npat A = t\norder A\n", "line 5"},        // longer than the pattern
        {"track t c4\npat A = t\norder A\n", "line 5"},            // note without instrument
        {"track t @q c4\npat A = t\norder A\n", "line 5"},         // unknown instrument
        {"track t @p o7 b4 > c4\npat A = t\norder A\n", "line 5"}, // above the top note
        {"track t [K2\npat A = t\norder A\n", "line 5"},           // unclosed repeat
        {"track t @p c4\npat A = t t t\norder A\n", "line 6"},     // more tracks than channels
        {"track t @p c4\npat A = t+x\norder A\n", "line 6"},       // bad transposition
        {"track t @p c4\npat A = t\norder B\n", "line 7"},         // unknown pattern
        {"inst p saw\n", "line 5"},                                // instrument twice
        {"inst w wobble\n", "line 5"},                             // unknown wave
        {"inst w pulse duty=abc\n", "line 5"},                     // bad number
        {"inst w tri duty=50\n", "line 5"},                        // setting of another wave
        {"inst w tri adsr=1,2,3\n", "line 5"},                     // short envelope
        {"speed 0\n", "line 5"},
        {"tempo 120\n", "line 5"},
        {"  c4 d4\n", "line 4"}, // continues the drum line
        {"track t @p c4\npat A = t\n", "no order list"},
    };
    for (const Case& c : cases) {
        XmModule mod;
        std::string err;
        std::string text = std::string(head) + c.body;
        EXPECT_FALSE(xmParseSong(text, mod, err)) << c.body;
        EXPECT_NE(err.find(c.line), std::string::npos) << c.body << err;
    }
}

// The writer refuses modules the format cannot hold instead of writing broken files.
TEST(MusicDataXm, WriterRefusesBrokenModules) {
    XmModule good;
    std::string err;
    ASSERT_TRUE(xmParseSong(tinySong, good, err)) << err;
    ASSERT_FALSE(xmWrite(good).empty());

    XmModule m = good;
    m.orders.push_back(7); // no pattern 7
    EXPECT_TRUE(xmWrite(m).empty());
    m = good;
    m.patterns[0].cells.pop_back();
    EXPECT_TRUE(xmWrite(m).empty());
    m = good;
    m.instruments[0].loopLength = static_cast<int>(m.instruments[0].data.size()) + 1;
    EXPECT_TRUE(xmWrite(m).empty());
    m = good;
    m.patterns[0].cells[0].instr = 3; // only two instruments
    EXPECT_TRUE(xmWrite(m).empty());
    m = good;
    m.instruments[0].env = {{0, 64}, {0, 32}}; // ticks must grow
    EXPECT_TRUE(xmWrite(m).empty());
}

// Sample data is stored as differences: 8-bit and 16-bit both decode to the wave.
TEST(MusicDataXm, SampleDeltasDecode) {
    XmModule mod;
    mod.name = "deltas";
    mod.channels = 1;
    mod.orders = {0};
    mod.patterns.resize(1);
    mod.patterns[0].rows = 1;
    mod.patterns[0].cells.resize(1);
    XmInstrument in;
    in.data = {0, 30000, -30000, 256, -256, 32767};
    in.bits16 = true;
    mod.instruments = {in, in};
    mod.instruments[1].bits16 = false;
    std::vector<uint8_t> b = xmWrite(mod);
    ASSERT_FALSE(b.empty());
    size_t at = 60 + 276 + 9 + read16(b, 60 + 276 + 7); // first instrument
    for (int k = 0; k < 2; k++) {
        long size = read32(b, at);
        size_t sample = at + size;
        long bytes = read32(b, sample);
        EXPECT_EQ(b[sample + 14] & 16, k == 0 ? 16 : 0);
        size_t data = sample + 40;
        int v = 0;
        for (size_t i = 0; i < in.data.size(); i++) {
            if (k == 0) {
                v = static_cast<int16_t>(v + static_cast<int16_t>(read16(b, data + 2 * i)));
                EXPECT_EQ(v, in.data[i]);
            } else {
                v = static_cast<int8_t>(v + static_cast<int8_t>(b[data + i]));
                EXPECT_EQ(v, in.data[i] >> 8);
            }
        }
        at = data + bytes;
    }
    EXPECT_EQ(at, b.size());
}
