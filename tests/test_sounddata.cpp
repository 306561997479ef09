// The sound effects the data builder makes: valid WAV files SDL_mixer loads,
// short, about equally loud, click-free at both ends and the same on every build;
// and the recipe reader's answer to broken recipes.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "build.h"
#include "soundsynth.h"

namespace {

const char* const effectNames[13] = {"klonk", "krack",  "aj",    "blubb", "jipie", "chew",  "knirk",
                                     "tada",  "trdoor", "boink", "bat",   "klack", "splash"};

// le16 / le32: little-endian fields of a WAV header.
uint32_t le16(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}
uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

// samplesOf: the 16-bit samples after a 44-byte header.
std::vector<int> samplesOf(const Entry& e) {
    std::vector<int> s;
    for (size_t i = 44; i + 1 < e.bytes.size(); i += 2) s.push_back(int16_t(le16(e.bytes, i)));
    return s;
}

// loudnessDb: the loudest 50 ms of an effect, RMS in dB below full scale.
double loudnessDb(const std::vector<int>& s) {
    const size_t win = soundRate / 20;
    double best = 0;
    for (size_t at = 0; at + win <= s.size() || at == 0; at += win / 10) {
        double sum = 0;
        for (size_t i = at; i < at + win && i < s.size(); i++) sum += double(s[i]) * s[i];
        best = std::fmax(best, sum / win);
        if (at + win >= s.size()) break;
    }
    return 10 * std::log10(best / (32768.0 * 32768.0));
}

class SoundData : public ::testing::Test {
protected:
    static Entries effects;
    static void SetUpTestSuite() {
        effects.clear();
        buildSounds(BLOMP_SOURCE_DIR "/assets", effects);
    }
};
Entries SoundData::effects;

// parseError: the message a broken recipe gives, or "" when it is accepted.
std::string parseError(const char* text) {
    SoundRecipe r;
    char err[160] = "";
    return parseSoundRecipe(text, r, err, sizeof(err)) ? std::string() : std::string(err);
}

} // namespace

TEST_F(SoundData, ThirteenMonoPcmFilesInGameOrder) {
    ASSERT_EQ(effects.size(), 13u);
    for (size_t i = 0; i < effects.size(); i++) {
        const std::vector<uint8_t>& b = effects[i].bytes;
        SCOPED_TRACE(effects[i].name);
        EXPECT_EQ(effects[i].name, std::string(effectNames[i]) + ".wav");
        ASSERT_GT(b.size(), 44u);
        EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
        EXPECT_EQ(le32(b, 4), b.size() - 8);
        EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(le16(b, 20), 1u);     // PCM
        EXPECT_EQ(le16(b, 22), 1u);     // mono
        EXPECT_EQ(le32(b, 24), 22050u); // rate
        EXPECT_EQ(le32(b, 28), 44100u); // bytes a second
        EXPECT_EQ(le16(b, 32), 2u);
        EXPECT_EQ(le16(b, 34), 16u);
        EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
        EXPECT_EQ(le32(b, 40), b.size() - 44);
    }
}

TEST_F(SoundData, SdlMixerLoadsEveryEffect) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    for (const Entry& e : effects) {
        SDL_RWops* rw = SDL_RWFromConstMem(e.bytes.data(), int(e.bytes.size()));
        Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 0);
        SDL_FreeRW(rw);
        ASSERT_NE(chunk, nullptr) << e.name << ": " << Mix_GetError();
        // the device is stereo at the same rate: four bytes for every mono sample
        EXPECT_EQ(chunk->alen, (e.bytes.size() - 44) * 2) << e.name;
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

TEST_F(SoundData, ShortFanfaresLongerThanClicks) {
    for (const Entry& e : effects) {
        double seconds = double(samplesOf(e).size()) / soundRate;
        bool long_ = e.name == "tada.wav" || e.name == "jipie.wav";
        EXPECT_GE(seconds, long_ ? 0.6 : 0.08) << e.name;
        EXPECT_LE(seconds, long_ ? 1.5 : 0.5) << e.name;
    }
}

TEST_F(SoundData, PeaksBelowFullScaleAndLoudnessAlike) {
    double sum = 0, loud[13];
    for (size_t i = 0; i < effects.size(); i++) {
        std::vector<int> s = samplesOf(effects[i]);
        int peak = 0;
        for (int v : s) peak = std::max(peak, std::abs(v));
        double peakDb = 20 * std::log10(peak / 32768.0);
        EXPECT_LE(peakDb, -2.5) << effects[i].name; // headroom for the mixer
        EXPECT_GE(peakDb, -9.0) << effects[i].name; // but not lost under the music
        loud[i] = loudnessDb(s);
        sum += loud[i];
    }
    double mean = sum / 13;
    for (size_t i = 0; i < effects.size(); i++) EXPECT_NEAR(loud[i], mean, 3.0) << effects[i].name;
}

TEST_F(SoundData, StartAndEndInSilence) {
    const size_t halfMs = soundRate / 2000, oneMs = soundRate / 1000;
    for (const Entry& e : effects) {
        std::vector<int> s = samplesOf(e);
        ASSERT_GT(s.size(), 4 * oneMs);
        EXPECT_EQ(s.front(), 0) << e.name;
        EXPECT_EQ(s.back(), 0) << e.name;
        int head = 0, tail = 0;
        for (size_t i = 0; i < halfMs; i++) head = std::max(head, std::abs(s[i]));
        for (size_t i = s.size() - oneMs; i < s.size(); i++) tail = std::max(tail, std::abs(s[i]));
        EXPECT_LT(head, 3277) << e.name; // under 10 % in the first half millisecond
        EXPECT_LT(tail, 1639) << e.name; // under 5 % in the last millisecond
    }
}

TEST_F(SoundData, SameBytesOnEveryBuild) {
    Entries again;
    buildSounds(BLOMP_SOURCE_DIR "/assets", again);
    ASSERT_EQ(again.size(), effects.size());
    for (size_t i = 0; i < again.size(); i++)
        EXPECT_TRUE(again[i].bytes == effects[i].bytes) << again[i].name;
}

TEST(SoundDataSynth, OwnMathMatchesTheLibrary) {
    for (double x = -40; x < 40; x += 0.0137) EXPECT_NEAR(synthSin(x), std::sin(x), 1e-9) << x;
    for (double x = -30; x < 30; x += 0.0113) EXPECT_NEAR(synthExp2(x) / std::exp2(x), 1.0, 1e-12) << x;
    for (double x = 1e-5; x < 1e5; x *= 1.37) EXPECT_NEAR(synthLog2(x), std::log2(x), 1e-10) << x;
}

TEST(SoundDataSynth, PitchAndFilterAreInHertz) {
    SoundRecipe r;
    char err[160];
    ASSERT_TRUE(parseSoundRecipe("voice sine len 1 freq 440 attack 0 release 0\n", r, err, sizeof(err)))
        << err;
    std::vector<int16_t> s = renderSound(r);
    int rises = 0;
    for (size_t i = 1; i < s.size(); i++) rises += s[i - 1] < 0 && s[i] >= 0;
    EXPECT_NEAR(rises, 440, 2);

    // noise through a band-pass at 500 Hz keeps far more of 500 Hz than of 4 kHz
    ASSERT_TRUE(parseSoundRecipe("voice noise len 1 bp 500 q 5\n", r, err, sizeof(err))) << err;
    s = renderSound(r);
    auto power = [&](double hz) {
        double re = 0, im = 0;
        for (size_t i = 0; i < s.size(); i++) {
            re += s[i] * std::cos(2 * M_PI * hz * i / soundRate);
            im += s[i] * std::sin(2 * M_PI * hz * i / soundRate);
        }
        return re * re + im * im;
    };
    EXPECT_GT(power(500), 100 * power(4000));
}

TEST(SoundDataRecipe, ReadsCommentsGlidesAndDefaults) {
    SoundRecipe r;
    char err[160] = "";
    ASSERT_TRUE(parseSoundRecipe("# a comment line\n\npeak -6   # trailing\r\n"
                                 "voice saw at 0.1 len 0.2 freq 100 200 300 lp 900 q 2 vib 5 0.5\n"
                                 "voice noise\n",
                                 r, err, sizeof(err)))
        << err;
    EXPECT_EQ(r.peakDb, -6);
    ASSERT_EQ(r.voiceCount, 2);
    EXPECT_EQ(r.voices[0].wave, WAVE_SAW);
    EXPECT_EQ(r.voices[0].freq.count, 3);
    EXPECT_EQ(r.voices[0].freq.v[2], 300);
    EXPECT_EQ(r.voices[0].filter, FILTER_LP);
    EXPECT_EQ(r.voices[0].vibDepth, 0.5);
    EXPECT_EQ(r.voices[1].wave, WAVE_NOISE);
    EXPECT_EQ(r.voices[1].filter, FILTER_NONE);
    EXPECT_EQ(r.voices[1].len, 0.1);
}

TEST(SoundDataRecipe, RejectsBrokenRecipesWithTheLine) {
    EXPECT_EQ(parseError(""), "no voices");
    EXPECT_EQ(parseError("# only talk\n"), "no voices");
    EXPECT_EQ(parseError("voice sine freq 100\nvoice flute freq 100\n"), "line 2: unknown wave \"flute\"");
    EXPECT_EQ(parseError("voice sine freq 100 colour 3\n"), "line 1: unknown key \"colour\"");
    EXPECT_EQ(parseError("voice sine freq\n"), "line 1: \"freq\" wants one or more numbers");
    EXPECT_EQ(parseError("voice sine freq 100 vib 5\n"), "line 1: \"vib\" wants two numbers");
    EXPECT_EQ(parseError("voice sine freq 100 len x\n"), "line 1: \"len\" wants a number");
    EXPECT_EQ(parseError("voice sine freq 100 len -1\n"), "line 1: \"len\" out of range");
    EXPECT_EQ(parseError("voice sine freq 100 q 0\n"), "line 1: \"q\" out of range");
    EXPECT_EQ(parseError("voice sine len 0.1\n"), "line 1: voice without \"freq\"");
    EXPECT_EQ(parseError("voice\n"), "line 1: voice without a wave");
    EXPECT_EQ(parseError("peak 3\nvoice noise\n"), "line 1: \"peak\" wants one number in range");
    EXPECT_EQ(parseError("peak\nvoice noise\n"), "line 1: \"peak\" wants one number in range");
    EXPECT_EQ(parseError("voice noise\nlength nan\n"), "line 2: \"length\" wants one number in range");
    EXPECT_EQ(parseError("volume 3\n"), "line 1: unknown line \"volume\"");
    std::string many;
    for (int i = 0; i <= soundMaxVoices; i++) many += "voice noise\n";
    EXPECT_EQ(parseError(many.c_str()), "line 25: more than 24 voices");
    std::string longWord = "voice sine freq 1" + std::string(40, '0') + "\n";
    EXPECT_EQ(parseError(longWord.c_str()), "line 1: line too long");
}
