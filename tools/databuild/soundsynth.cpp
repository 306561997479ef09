// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The effect synthesizer: renders a recipe of voices into 16-bit samples.
// Everything here is plain IEEE arithmetic plus our own sine and exponential,
// so every machine builds the same bytes.
#include "soundsynth.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double fadeIn = 0.003;  // seconds of the raised-cosine fade at the start
constexpr double fadeOut = 0.008; // and at the end

// nextRandom: xorshift32 in [0,1), the noise of one voice. Called by renderVoice.
double nextRandom(uint32_t& s) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return double(s >> 8) / 16777216.0;
}

// curveLog2: the breakpoints of a glide turned to log2, so gliding is linear
// interpolation. Called by renderVoice.
void curveLog2(const SoundCurve& c, double* out) {
    for (int i = 0; i < c.count; i++) out[i] = synthLog2(c.v[i] > 1e-6 ? c.v[i] : 1e-6);
}

// curveAt: the glide's value at fraction u (0..1) of the voice. Called by renderVoice.
double curveAt(const double* lg, int count, double u) {
    if (count <= 1) return synthExp2(lg[0]);
    double pos = u * (count - 1);
    int i = int(pos);
    if (i >= count - 1) return synthExp2(lg[count - 1]);
    double f = pos - i;
    return synthExp2(lg[i] + (lg[i + 1] - lg[i]) * f);
}

// polyBlep: rounds a hard edge of a square or saw off over one sample, so high
// notes do not alias into whistles. Called by oscillate.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// oscillate: one sample of a tonal wave at phase (0..1) and step dt. Called by renderVoice.
double oscillate(const SoundVoice& v, double phase, double dt, double pm) {
    switch (v.wave) {
    case WAVE_SINE: return synthSin(2 * pi * phase + pm);
    case WAVE_TRI: return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
    case WAVE_SAW: return 2 * phase - 1 - polyBlep(phase, dt);
    case WAVE_SQUARE: {
        double s = phase < v.duty ? 1.0 : -1.0;
        s += polyBlep(phase, dt);
        double p2 = phase - v.duty + (phase < v.duty ? 1.0 : 0.0);
        s -= polyBlep(p2, dt);
        return s;
    }
    }
    return 0;
}

// Filter: the topology-preserving state-variable filter, stable at any cutoff.
struct Svf {
    double ic1 = 0, ic2 = 0;
};

// filterStep: runs one sample through the voice's filter. Called by renderVoice.
double filterStep(Svf& f, int kind, double x, double cutoff, double q) {
    if (cutoff > 0.45 * soundRate) cutoff = 0.45 * soundRate;
    double w = pi * cutoff / soundRate;
    double g = synthSin(w) / synthSin(w + pi / 2);
    double k = 1.0 / q;
    double a1 = 1.0 / (1.0 + g * (g + k));
    double a2 = g * a1;
    double a3 = g * a2;
    double v3 = x - f.ic2;
    double v1 = a1 * f.ic1 + a2 * v3;
    double v2 = f.ic2 + a2 * f.ic1 + a3 * v3;
    f.ic1 = 2 * v1 - f.ic1;
    f.ic2 = 2 * v2 - f.ic2;
    switch (kind) {
    case FILTER_LP: return v2;
    case FILTER_HP: return x - k * v1 - v2;
    case FILTER_BP: return k * v1; // unity gain at the centre
    }
    return x;
}

// envelope: the voice's loudness at time t into it. Called by renderVoice.
double envelope(const SoundVoice& v, double t) {
    double a = 1;
    if (v.attack > 0 && t < v.attack) a = t / v.attack;
    if (v.decay > 0 && t > v.attack) a *= synthExp2(-(t - v.attack) / v.decay * 1.4426950408889634);
    double left = v.len - t;
    if (v.release > 0 && left < v.release) a *= left > 0 ? left / v.release : 0;
    return a * v.level;
}

// renderVoice: adds one voice into the mix. Called by renderSound.
void renderVoice(const SoundVoice& v, std::vector<double>& mix) {
    double freqLog[soundMaxPoints], cutLog[soundMaxPoints];
    curveLog2(v.freq, freqLog);
    curveLog2(v.cutoff, cutLog);
    long start = long(v.at * soundRate + 0.5);
    long n = long(v.len * soundRate + 0.5);
    uint32_t seed = v.seed ? v.seed : 1;
    Svf svf;
    double phase = 0, fmPhase = 0, vibPhase = 0, cycle = 1;
    for (long i = 0; i < n && start + i < long(mix.size()); i++) {
        double t = double(i) / soundRate;
        double u = n > 1 ? double(i) / double(n - 1) : 0;
        double f = v.freq.count ? curveAt(freqLog, v.freq.count, u) : 440;
        if (v.vibDepth > 0) f *= synthExp2(v.vibDepth / 12 * synthSin(2 * pi * vibPhase));
        vibPhase += v.vibRate / soundRate;
        vibPhase -= std::floor(vibPhase);
        double s;
        if (v.wave == WAVE_NOISE) {
            s = 2 * nextRandom(seed) - 1;
        } else if (v.wave == WAVE_DUST) {
            // f clicks a second on average, each of its own strength and sign
            s = 0;
            if (nextRandom(seed) < f / soundRate) {
                double r = nextRandom(seed);
                s = (r < 0.5 ? -1 : 1) * (0.4 + 0.6 * nextRandom(seed));
            }
        } else {
            double dt = f * cycle / soundRate;
            double pm = 0;
            if (v.fmIndex > 0) {
                pm = v.fmIndex * synthSin(2 * pi * fmPhase);
                fmPhase += f * v.fmRatio / soundRate;
                fmPhase -= std::floor(fmPhase);
            }
            s = oscillate(v, phase, dt, pm);
            phase += dt;
            if (phase >= 1) {
                phase -= std::floor(phase);
                if (v.jitter > 0) cycle = 1 + v.jitter * (2 * nextRandom(seed) - 1);
            }
        }
        if (v.filter != FILTER_NONE) {
            double c = v.cutoff.count ? curveAt(cutLog, v.cutoff.count, u) : 1000;
            s = filterStep(svf, v.filter, s, c, v.q);
        }
        mix[start + i] += s * envelope(v, t);
    }
}

// softClip: a tanh curve, smooth and odd, that never passes 1. Called by renderSound.
double softClip(double x) {
    if (x > 20) return 1;
    if (x < -20) return -1;
    double e = synthExp2(2 * x * 1.4426950408889634);
    return (e - 1) / (e + 1);
}

} // namespace

// synthSin: sine of x in radians, good to about 1e-9. Called by the synthesizer.
double synthSin(double x) {
    x -= 2 * pi * std::floor(x / (2 * pi) + 0.5); // now within -pi..pi
    if (x > pi / 2) x = pi - x;
    if (x < -pi / 2) x = -pi - x;
    double x2 = x * x, term = x, sum = x;
    for (int k = 1; k <= 7; k++) {
        term *= -x2 / double((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

// synthExp2: 2 to the power x. Called by the synthesizer for glides and envelopes.
double synthExp2(double x) {
    if (x < -1000) return 0;
    if (x > 1000) x = 1000;
    double k = std::floor(x);
    double r = (x - k) * 0.6931471805599453; // e^r = 2^(x-k), 0 <= r < ln 2
    double term = 1, sum = 1;
    for (int i = 1; i <= 14; i++) {
        term *= r / i;
        sum += term;
    }
    return std::ldexp(sum, int(k));
}

// synthLog2: log2 of a positive x. Called by the synthesizer for glides and levels.
double synthLog2(double x) {
    if (x <= 0) return -1000;
    int e;
    double m = std::frexp(x, &e) * 2; // 1 <= m < 2
    e -= 1;
    double s = (m - 1) / (m + 1), s2 = s * s, term = s, sum = 0;
    for (int k = 1; k <= 23; k += 2) {
        sum += term / k;
        term *= s2;
    }
    return e + 2 * sum * 1.4426950408889634;
}

// renderSound: mixes the voices and finishes the effect. Called by buildSounds and tests.
std::vector<int16_t> renderSound(const SoundRecipe& r) {
    double length = r.length;
    if (length <= 0) {
        for (int i = 0; i < r.voiceCount; i++)
            if (r.voices[i].at + r.voices[i].len > length) length = r.voices[i].at + r.voices[i].len;
        length += 0.01;
    }
    long n = long(length * soundRate + 0.5);
    if (n < 2) n = 2;
    std::vector<double> mix(static_cast<size_t>(n), 0.0);
    for (int i = 0; i < r.voiceCount; i++) renderVoice(r.voices[i], mix);

    // a soft clipper brings the body of a short, spiky sound up to its peaks,
    // so a click is heard about as loud as a held note
    if (r.driveDb > 0) {
        double peak = 0;
        for (double s : mix) peak = std::fabs(s) > peak ? std::fabs(s) : peak;
        double g = synthExp2(r.driveDb / 20 * 3.321928094887362) / (peak > 0 ? peak : 1);
        for (double& s : mix) s = softClip(s * g);
    }

    // a gentle high-pass at about 20 Hz takes away any offset a decaying
    // noise or an uneven pulse leaves, which would click when it stops
    double prevIn = 0, prevOut = 0, hp = 1.0 - 2 * pi * 20.0 / soundRate;
    for (double& s : mix) {
        double out = s - prevIn + hp * prevOut;
        prevIn = s;
        prevOut = out;
        s = out;
    }

    // raised-cosine fades, so the effect starts and ends at silence
    long in = long(fadeIn * soundRate), out = long(fadeOut * soundRate);
    for (long i = 0; i < in && i < n; i++) mix[i] *= 0.5 - 0.5 * synthSin(pi * i / in + pi / 2);
    for (long i = 0; i < out && i < n; i++) mix[n - 1 - i] *= 0.5 - 0.5 * synthSin(pi * i / out + pi / 2);

    double peak = 0;
    for (double s : mix) peak = std::fabs(s) > peak ? std::fabs(s) : peak;
    double scale = peak > 0 ? 32767.0 * synthExp2(r.peakDb / 20 * 3.321928094887362) / peak : 0;
    std::vector<int16_t> samples(static_cast<size_t>(n));
    for (long i = 0; i < n; i++) {
        double v = std::floor(mix[i] * scale + 0.5);
        if (v > 32767) v = 32767;
        if (v < -32767) v = -32767;
        samples[i] = int16_t(v);
    }
    samples[0] = 0;
    samples[n - 1] = 0;
    return samples;
}

namespace {

// put16 / put32: little-endian writers for the WAV header. Called by makeWav.
void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v & 0xff));
    b.push_back(uint8_t((v >> 8) & 0xff));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

} // namespace

// makeWav: a 16-bit mono PCM file around the samples. Called by buildSounds.
std::vector<uint8_t> makeWav(const std::vector<int16_t>& s) {
    std::vector<uint8_t> b;
    uint32_t data = uint32_t(s.size() * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(b, 36 + data);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);            // size of the format chunk
    put16(b, 1);             // PCM
    put16(b, 1);             // mono
    put32(b, soundRate);     // samples a second
    put32(b, soundRate * 2); // bytes a second
    put16(b, 2);             // bytes a frame
    put16(b, 16);            // bits a sample
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, data);
    for (int16_t v : s) put16(b, uint16_t(v));
    return b;
}
