// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Reads the effect recipes of assets/sound: one line per voice, e.g.
//   voice sine at 0 len 0.1 freq 640 520 decay 0.02 level 1
// plus the effect-wide lines "length SECONDS", "peak DB" and "drive DB". '#' starts a comment.
#include "soundsynth.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int maxTokens = 64; // words on one recipe line
constexpr int maxToken = 32;  // characters in one word

// The wave names a voice line may start with, in SoundWave order.
const char* const waveNames[] = {"sine", "tri", "square", "saw", "noise", "dust"};

// The keys of a voice line: how many numbers each takes (-1: a glide of one to
// soundMaxPoints breakpoints), where they go and the range they must lie in.
// A glide goes to the pitch when filter is FILTER_NONE, else to the cutoff.
struct VoiceKey {
    const char* name;
    int numbers;
    double SoundVoice::*first;
    double SoundVoice::*second;
    double lo, hi;
    int filter;
};
const VoiceKey voiceKeys[] = {
    {"at", 1, &SoundVoice::at, nullptr, 0, 10, 0},
    {"len", 1, &SoundVoice::len, nullptr, 0.001, 10, 0},
    {"level", 1, &SoundVoice::level, nullptr, 0, 100, 0},
    {"duty", 1, &SoundVoice::duty, nullptr, 0.01, 0.99, 0},
    {"vib", 2, &SoundVoice::vibRate, &SoundVoice::vibDepth, 0, 100, 0},
    {"jitter", 1, &SoundVoice::jitter, nullptr, 0, 0.95, 0},
    {"fm", 2, &SoundVoice::fmRatio, &SoundVoice::fmIndex, 0, 100, 0},
    {"attack", 1, &SoundVoice::attack, nullptr, 0, 10, 0},
    {"decay", 1, &SoundVoice::decay, nullptr, 0, 10, 0},
    {"release", 1, &SoundVoice::release, nullptr, 0, 10, 0},
    {"q", 1, &SoundVoice::q, nullptr, 0.1, 100, 0},
    {"seed", 1, nullptr, nullptr, 1, 4294967295.0, 0},
    {"freq", -1, nullptr, nullptr, 0.01, 100000, FILTER_NONE},
    {"lp", -1, nullptr, nullptr, 1, 100000, FILTER_LP},
    {"hp", -1, nullptr, nullptr, 1, 100000, FILTER_HP},
    {"bp", -1, nullptr, nullptr, 1, 100000, FILTER_BP},
};

// The effect-wide lines: one number each, where it goes, its range.
struct EffectKey {
    const char* name;
    double SoundRecipe::*field;
    double lo, hi;
};
const EffectKey effectKeys[] = {
    {"length", &SoundRecipe::length, 0.01, 10},
    {"peak", &SoundRecipe::peakDb, -40, -0.1},
    {"drive", &SoundRecipe::driveDb, 0, 40},
};

// findEffectKey: the effect-wide key of that name, or none. Called by parseSoundRecipe.
const EffectKey* findEffectKey(const char* name) {
    for (const EffectKey& k : effectKeys)
        if (std::strcmp(k.name, name) == 0) return &k;
    return nullptr;
}

struct Line {
    int count = 0;
    char tok[maxTokens][maxToken];
};

// splitLine: breaks one line into words, dropping a comment. Called by parseSoundRecipe.
bool splitLine(const char* p, const char* end, Line& line) {
    line.count = 0;
    while (p < end && *p != '#') {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) p++;
        if (p >= end || *p == '#') break;
        if (line.count == maxTokens) return false;
        int n = 0;
        while (p < end && *p != ' ' && *p != '\t' && *p != '\r' && *p != '#') {
            if (n == maxToken - 1) return false;
            line.tok[line.count][n++] = *p++;
        }
        line.tok[line.count][n] = 0;
        line.count++;
    }
    return true;
}

// toNumber: a whole word as a finite number, or false. Called by the line readers.
bool toNumber(const char* s, double& out) {
    char* end = nullptr;
    out = std::strtod(s, &end);
    return end != s && *end == 0 && out == out && out < 1e9 && out > -1e9;
}

// readVoice: fills a voice from the words after "voice". Called by parseSoundRecipe.
bool readVoice(const Line& line, SoundVoice& v, char* why, int whySize) {
    if (line.count < 2) {
        std::snprintf(why, whySize, "voice without a wave");
        return false;
    }
    int w = 0;
    int waves = int(sizeof(waveNames) / sizeof(waveNames[0]));
    while (w < waves && std::strcmp(waveNames[w], line.tok[1]) != 0) w++;
    if (w == waves) {
        std::snprintf(why, whySize, "unknown wave \"%s\"", line.tok[1]);
        return false;
    }
    v = SoundVoice();
    v.wave = w;
    for (int i = 2; i < line.count;) {
        const VoiceKey* key = nullptr;
        for (const VoiceKey& k : voiceKeys)
            if (std::strcmp(k.name, line.tok[i]) == 0) key = &k;
        if (!key) {
            std::snprintf(why, whySize, "unknown key \"%s\"", line.tok[i]);
            return false;
        }
        double num[soundMaxPoints];
        int got = 0;
        i++;
        int want = key->numbers < 0 ? soundMaxPoints : key->numbers;
        while (i < line.count && got < want && toNumber(line.tok[i], num[got])) got++, i++;
        if (got == 0 || (key->numbers > 0 && got != key->numbers)) {
            std::snprintf(why, whySize, "\"%s\" wants %s number%s", key->name,
                          key->numbers < 0    ? "one or more"
                          : key->numbers == 1 ? "a"
                                              : "two",
                          key->numbers == 1 ? "" : "s");
            return false;
        }
        for (int j = 0; j < got; j++) {
            if (num[j] < key->lo || num[j] > key->hi) {
                std::snprintf(why, whySize, "\"%s\" out of range", key->name);
                return false;
            }
        }
        if (key->numbers < 0) {
            SoundCurve& c = key->filter == FILTER_NONE ? v.freq : v.cutoff;
            if (key->filter != FILTER_NONE) v.filter = key->filter;
            c.count = got;
            for (int j = 0; j < got; j++) c.v[j] = num[j];
        } else if (!key->first) {
            v.seed = uint32_t(num[0]);
        } else {
            v.*key->first = num[0];
            if (key->second) v.*key->second = num[1];
        }
    }
    if (v.wave != WAVE_NOISE && v.freq.count == 0) {
        std::snprintf(why, whySize, "voice without \"freq\"");
        return false;
    }
    return true;
}

} // namespace

// parseSoundRecipe: reads a whole recipe text. Called by buildSounds and tests.
bool parseSoundRecipe(const std::string& text, SoundRecipe& r, char* err, int errSize) {
    r = SoundRecipe();
    const char* p = text.data();
    const char* end = p + text.size();
    Line line;
    char why[128];
    for (int lineNo = 1; p < end; lineNo++) {
        const char* eol = p;
        while (eol < end && *eol != '\n') eol++;
        bool ok = splitLine(p, eol, line);
        p = eol < end ? eol + 1 : eol;
        if (!ok)
            std::snprintf(why, sizeof(why), "line too long");
        else if (line.count == 0)
            continue;
        else if (!std::strcmp(line.tok[0], "voice")) {
            if (r.voiceCount == soundMaxVoices) {
                std::snprintf(why, sizeof(why), "more than %d voices", soundMaxVoices);
                ok = false;
            } else {
                ok = readVoice(line, r.voices[r.voiceCount], why, sizeof(why));
                if (ok) r.voiceCount++;
            }
        } else if (const EffectKey* key = findEffectKey(line.tok[0])) {
            double num = 0;
            ok = line.count == 2 && toNumber(line.tok[1], num) && num >= key->lo && num <= key->hi;
            if (ok)
                r.*key->field = num;
            else
                std::snprintf(why, sizeof(why), "\"%s\" wants one number in range", line.tok[0]);
        } else {
            std::snprintf(why, sizeof(why), "unknown line \"%s\"", line.tok[0]);
            ok = false;
        }
        if (!ok) {
            std::snprintf(err, errSize, "line %d: %s", lineNo, why);
            return false;
        }
    }
    if (r.voiceCount == 0) {
        std::snprintf(err, errSize, "no voices");
        return false;
    }
    return true;
}
