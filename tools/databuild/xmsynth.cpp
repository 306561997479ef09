// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The instrument maker: single-cycle tones and one-shot drums, computed from a
// handful of numbers so every module carries only a few kilobytes of samples.
#include "xmsynth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double C4_HZ = 261.6256;     // a tone cycle sounds this pitch on note C-4
constexpr double DRUM_RATE = 16726.0;  // drums are made at this rate and play it on C-4
constexpr double FULL_SCALE = 32000.0; // peak of a sample at amp=1, a little under 16 bits

// A single-cycle wave: value at phase 0..1, given the instrument's settings.
struct ToneWave {
    const char* name;
    double (*value)(double phase, const double* arg);
    const char* argNames[2]; // up to two wave-specific settings
    double argDefaults[2];
};

double pulseWave(double ph, const double* a) {
    return ph < a[0] / 100.0 ? 1.0 : -1.0;
}
double triWave(double ph, const double*) {
    return 1.0 - 4.0 * std::fabs(ph - 0.5);
}
double sawWave(double ph, const double*) {
    return 2.0 * ph - 1.0;
}
double sineWave(double ph, const double*) {
    return std::sin(2.0 * PI * ph);
}
// Two-operator FM: a sine whose phase is pushed by another sine at a whole-number ratio,
// so the cycle still closes on itself.
double fmWave(double ph, const double* a) {
    return std::sin(2.0 * PI * ph + a[1] * std::sin(2.0 * PI * std::floor(a[0]) * ph));
}

// The organ is additive and takes its own harmonic list, so it is not in this table.
const ToneWave toneWaves[] = {
    {"pulse", pulseWave, {"duty", nullptr}, {50.0, 0.0}}, {"tri", triWave, {nullptr, nullptr}, {0.0, 0.0}},
    {"saw", sawWave, {nullptr, nullptr}, {0.0, 0.0}},     {"sine", sineWave, {nullptr, nullptr}, {0.0, 0.0}},
    {"fm", fmWave, {"ratio", "index"}, {2.0, 1.5}},
};

// A drum: a sine swept from f0 down to f1 plus filtered noise, each with its own decay.
// The named drums are only different starting values for the same recipe.
struct DrumPreset {
    const char* name;
    double f0, f1, sweep; // tone start and end pitch (Hz), sweep time constant (s)
    double tone, tdecay;  // tone level and decay time constant (s)
    double noise, ndecay; // noise level and decay time constant (s)
    double lp, hp;        // noise low-pass and high-pass corners (Hz), 0 for none
    double len;           // sample length (s)
};

const DrumPreset drumPresets[] = {
    {"kick", 170, 48, 0.025, 1.0, 0.14, 0.15, 0.01, 3000, 0, 0.30},
    {"tom", 260, 120, 0.05, 1.0, 0.16, 0.10, 0.03, 2500, 0, 0.32},
    {"snare", 200, 160, 0.02, 0.55, 0.05, 0.9, 0.10, 6000, 400, 0.26},
    {"hat", 0, 0, 0.01, 0.0, 0.01, 1.0, 0.025, 0, 5000, 0.09},
    {"crash", 0, 0, 0.01, 0.0, 0.01, 1.0, 0.45, 0, 3000, 1.10},
};

const char* const drumKeys[] = {"f0", "f1", "sweep", "tone", "tdecay", "noise", "ndecay", "lp", "hp", "len"};
const char* const commonKeys[] = {"vol", "pan", "adsr", "vib", "bits", "amp", "rel", "seed"};
const char* const organKeys[] = {"h"};
const char* const toneKeys[] = {"len"};

using Settings = std::map<std::string, std::string>;

// Reads a number setting within bounds into v (v keeps its default when absent).
bool getNum(const Settings& s, const char* key, double lo, double hi, double& v, std::string& err) {
    auto it = s.find(key);
    if (it == s.end()) return true;
    char* end = nullptr;
    double d = std::strtod(it->second.c_str(), &end);
    if (end == it->second.c_str() || *end || d < lo || d > hi) {
        err = std::string("bad value for ") + key + ": " + it->second;
        return false;
    }
    v = d;
    return true;
}

// Reads a comma-separated list of numbers (an empty result when the key is absent).
bool getList(const Settings& s, const char* key, size_t count, std::vector<double>& v, std::string& err) {
    auto it = s.find(key);
    if (it == s.end()) return true;
    const char* p = it->second.c_str();
    while (*p) {
        char* end = nullptr;
        v.push_back(std::strtod(p, &end));
        if (end == p || (*end && *end != ',')) {
            err = std::string("bad list for ") + key + ": " + it->second;
            return false;
        }
        p = *end ? end + 1 : end;
    }
    if (count && v.size() != count) {
        err = std::string("wrong number of values for ") + key;
        return false;
    }
    return true;
}

// True when key is one of the names in the list.
template <size_t N> bool listed(const std::string& key, const char* const (&names)[N]) {
    for (const char* n : names)
        if (key == n) return true;
    return false;
}

// The song's own noise source: a fixed linear congruential sequence, so the drums come
// out the same on every run.
struct Noise {
    uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

// Scales a wave to the given peak and stores it as 16-bit values.
void storeScaled(const std::vector<double>& w, double amp, XmInstrument& out) {
    double peak = 1e-9;
    for (double v : w) peak = std::fmax(peak, std::fabs(v));
    out.data.clear();
    for (double v : w) out.data.push_back(static_cast<int16_t>(std::lround(v / peak * amp * FULL_SCALE)));
}

// Computes one drum hit from a preset overridden by the settings.
bool makeDrum(const DrumPreset& preset, const Settings& s, double amp, uint32_t seed, XmInstrument& out,
              std::string& err) {
    DrumPreset d = preset;
    double* fields[] = {&d.f0,    &d.f1,     &d.sweep, &d.tone, &d.tdecay,
                        &d.noise, &d.ndecay, &d.lp,    &d.hp,   &d.len};
    for (int i = 0; i < 10; i++)
        if (!getNum(s, drumKeys[i], 0.0, 20000.0, *fields[i], err)) return false;
    if (d.len <= 0.0 || d.len > 3.0 || d.sweep <= 0.0 || d.tdecay <= 0.0 || d.ndecay <= 0.0) {
        err = "drum times must be above zero and the length at most 3 s";
        return false;
    }
    int n = static_cast<int>(d.len * DRUM_RATE);
    std::vector<double> w(n);
    Noise rng{seed};
    double phase = 0.0, low = 0.0, high = 0.0;
    double lpK = d.lp > 0 ? 1.0 - std::exp(-2.0 * PI * d.lp / DRUM_RATE) : 1.0;
    double hpK = d.hp > 0 ? 1.0 - std::exp(-2.0 * PI * d.hp / DRUM_RATE) : 0.0;
    for (int i = 0; i < n; i++) {
        double t = i / DRUM_RATE;
        double f = d.f1 + (d.f0 - d.f1) * std::exp(-t / d.sweep);
        phase += f / DRUM_RATE;
        double tone = std::sin(2.0 * PI * phase) * d.tone * std::exp(-t / d.tdecay);
        low += (rng.next() - low) * lpK; // one-pole low-pass
        high += (low - high) * hpK;      // what the high-pass takes away
        double noise = (low - high) * d.noise * std::exp(-t / d.ndecay);
        double tail = std::fmin(1.0, (n - i) / (0.05 * n)); // the last 5 % fade so the cut never clicks
        w[i] = (tone + noise) * tail;
    }
    storeScaled(w, amp, out);
    out.loopStart = out.loopLength = 0;
    out.bits16 = false;
    xmTuneForRate(DRUM_RATE, out.relNote, out.finetune);
    return true;
}

// Computes one looped cycle of a tone wave.
bool makeTone(const std::string& wave, const Settings& s, double amp, XmInstrument& out, std::string& err) {
    double len = 64;
    if (!getNum(s, "len", 8, 1024, len, err)) return false;
    int n = static_cast<int>(len);
    std::vector<double> w(n);
    if (wave == "organ") {
        std::vector<double> h;
        if (!getList(s, "h", 0, h, err)) return false;
        if (h.empty()) h = {1.0, 0.5, 0.25};
        for (int i = 0; i < n; i++)
            for (size_t k = 0; k < h.size(); k++) w[i] += h[k] * std::sin(2.0 * PI * (k + 1) * i / n);
    } else {
        const ToneWave* tw = nullptr;
        for (const ToneWave& t : toneWaves)
            if (wave == t.name) tw = &t;
        if (!tw) {
            err = "unknown wave " + wave;
            return false;
        }
        double arg[2] = {tw->argDefaults[0], tw->argDefaults[1]};
        for (int a = 0; a < 2; a++)
            if (tw->argNames[a] && !getNum(s, tw->argNames[a], 0.0, 100.0, arg[a], err)) return false;
        for (int i = 0; i < n; i++) w[i] = tw->value(static_cast<double>(i) / n, arg);
    }
    // A narrow pulse sits off centre; taking out its mean keeps notes from thumping
    // when they start and stop and leaves the mix its headroom.
    double mean = 0;
    for (double v : w) mean += v / n;
    for (double& v : w) v -= mean;
    storeScaled(w, amp, out);
    out.loopStart = 0;
    out.loopLength = n;
    out.bits16 = true;
    xmTuneForRate(C4_HZ * n, out.relNote, out.finetune);
    return true;
}

// Checks that every setting given belongs to this kind of instrument.
bool checkKeys(const std::string& wave, const DrumPreset* drum, const Settings& s, std::string& err) {
    for (const auto& kv : s) {
        const std::string& k = kv.first;
        bool ok = listed(k, commonKeys) || (drum ? listed(k, drumKeys) : listed(k, toneKeys));
        if (!ok && !drum && wave == "organ") ok = listed(k, organKeys);
        for (const ToneWave& t : toneWaves)
            if (!drum && wave == t.name)
                ok = ok || (t.argNames[0] && k == t.argNames[0]) || (t.argNames[1] && k == t.argNames[1]);
        if (!ok) {
            err = "setting " + k + " does not apply to " + wave;
            return false;
        }
    }
    return true;
}

// Sets envelope, vibrato, volume and panning, the parts every instrument shares.
bool applyCommon(const Settings& s, XmInstrument& out, std::string& err) {
    double vol = 48, pan = 128, bits = out.bits16 ? 16 : 8, rel = 0;
    if (!getNum(s, "vol", 0, 64, vol, err) || !getNum(s, "pan", 0, 255, pan, err) ||
        !getNum(s, "bits", 8, 16, bits, err) || !getNum(s, "rel", -48, 48, rel, err))
        return false;
    if (bits != 8 && bits != 16) {
        err = "bits must be 8 or 16";
        return false;
    }
    out.volume = static_cast<int>(vol);
    out.panning = static_cast<int>(pan);
    out.bits16 = bits == 16;
    out.relNote += static_cast<int>(rel);

    // adsr=attack,decay,sustain,release: ticks, ticks, level 0..64, ticks after key off.
    std::vector<double> adsr, vib;
    if (!getList(s, "adsr", 4, adsr, err) || !getList(s, "vib", 3, vib, err)) return false;
    if (!adsr.empty()) {
        int a = static_cast<int>(adsr[0]), d = static_cast<int>(adsr[1]);
        int sus = static_cast<int>(adsr[2]), r = static_cast<int>(adsr[3]);
        if (a < 0 || d < 0 || sus < 0 || sus > 64 || r < 0 || a + d + r > 10000) {
            err = "bad adsr";
            return false;
        }
        out.env.clear();
        if (a > 0) out.env.push_back({0, 0});
        out.env.push_back({a, 64});
        if (d > 0) out.env.push_back({a + d, sus});
        out.envSustain = static_cast<int>(out.env.size()) - 1;
        out.env.push_back({a + d + std::max(r, 1), 0});
    }
    // vib=depth,rate,sweep: the instrument's own vibrato, as trackers define it.
    if (!vib.empty()) {
        if (vib[0] < 0 || vib[0] > 15 || vib[1] < 0 || vib[1] > 63 || vib[2] < 0 || vib[2] > 255) {
            err = "bad vib";
            return false;
        }
        out.vibDepth = static_cast<int>(vib[0]);
        out.vibRate = static_cast<int>(vib[1]);
        out.vibSweep = static_cast<int>(vib[2]);
    }
    return true;
}

} // namespace

// Makes one instrument from its wave name and settings. Called by the song reader.
bool xmSynth(const std::string& wave, const Settings& settings, XmInstrument& out, std::string& err) {
    const DrumPreset* drum = nullptr;
    for (const DrumPreset& d : drumPresets)
        if (wave == d.name) drum = &d;
    if (!checkKeys(wave, drum, settings, err)) return false;
    double amp = 1.0, seed = 1;
    if (!getNum(settings, "amp", 0.01, 1.0, amp, err) || !getNum(settings, "seed", 0, 65535, seed, err))
        return false;
    bool made = drum ? makeDrum(*drum, settings, amp, static_cast<uint32_t>(seed), out, err)
                     : makeTone(wave, settings, amp, out, err);
    return made && applyCommon(settings, out, err);
}
