// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The XM module writer: header, packed patterns, instruments and delta-coded
// sample data, every field written byte by byte in little-endian order.
#include "xm.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int XM_HEADER_SIZE = 276;       // from the size field to the end of the order table
constexpr int XM_INSTR_HEADER_SIZE = 263; // FT2's size of an instrument header with samples
constexpr int XM_SAMPLE_HEADER_SIZE = 40;
constexpr double XM_C4_HZ = 8363.0; // the rate at which an untuned sample plays C-4

// Appends one byte.
void put8(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
}

// Appends a little-endian 16-bit word.
void put16(std::vector<uint8_t>& out, int v) {
    put8(out, v);
    put8(out, v >> 8);
}

// Appends a little-endian 32-bit word.
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<int>(v & 0xffff));
    put16(out, static_cast<int>(v >> 16));
}

// Appends a text padded with the given byte to a fixed width (longer texts are cut).
void putText(std::vector<uint8_t>& out, const std::string& s, int width, int pad) {
    for (int i = 0; i < width; i++) put8(out, i < static_cast<int>(s.size()) ? s[i] : pad);
}

// Overwrites a little-endian 16-bit word written earlier (the packed pattern size).
void patch16(std::vector<uint8_t>& out, size_t at, int v) {
    out[at] = static_cast<uint8_t>(v & 0xff);
    out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xff);
}

// Says why a module cannot be written; the writer then returns nothing.
std::vector<uint8_t> refuse(const XmModule& mod, const char* why) {
    fprintf(stderr, "xm: %s: %s\n", mod.name.c_str(), why);
    return {};
}

// Checks the limits of the format that a song could break.
const char* checkModule(const XmModule& mod) {
    if (mod.channels < 1 || mod.channels > XM_MAX_CHANNELS) return "bad channel count";
    if (mod.orders.empty() || mod.orders.size() > XM_MAX_ORDERS) return "bad order list length";
    if (mod.patterns.empty() || mod.patterns.size() > XM_MAX_PATTERNS) return "bad pattern count";
    if (mod.instruments.size() > XM_MAX_INSTRUMENTS) return "too many instruments";
    if (mod.speed < 1 || mod.speed > 31 || mod.bpm < 32 || mod.bpm > 255) return "bad speed or tempo";
    if (mod.restart < 0 || mod.restart >= static_cast<int>(mod.orders.size())) return "bad restart";
    for (int o : mod.orders)
        if (o < 0 || o >= static_cast<int>(mod.patterns.size())) return "order names a missing pattern";
    for (const XmPattern& p : mod.patterns) {
        if (p.rows < 1 || p.rows > XM_MAX_ROWS) return "bad pattern length";
        if (p.cells.size() != static_cast<size_t>(p.rows * mod.channels)) return "pattern size mismatch";
        for (const XmCell& c : p.cells)
            if (c.note > XM_NOTE_OFF || c.instr > static_cast<int>(mod.instruments.size()) || c.fx > 35)
                return "bad cell";
    }
    for (const XmInstrument& in : mod.instruments) {
        if (in.env.size() > XM_MAX_ENV_POINTS) return "too many envelope points";
        if (in.envSustain >= static_cast<int>(in.env.size())) return "bad sustain point";
        if (in.loopLength < 0 || in.loopStart < 0 ||
            in.loopStart + in.loopLength > static_cast<int>(in.data.size()))
            return "loop outside the sample";
        if (in.volume < 0 || in.volume > 64) return "bad sample volume";
        for (size_t i = 0; i < in.env.size(); i++) {
            if (in.env[i].value < 0 || in.env[i].value > 64) return "bad envelope value";
            if (i > 0 && in.env[i].tick <= in.env[i - 1].tick) return "envelope ticks must grow";
        }
    }
    return nullptr;
}

// Writes the fixed module header with the order table.
void writeHeader(std::vector<uint8_t>& out, const XmModule& mod) {
    putText(out, "Extended Module: ", 17, 0);
    putText(out, mod.name, 20, 0);
    put8(out, 0x1a);
    putText(out, "blomp databuild", 20, ' ');
    put16(out, 0x0104);
    put32(out, XM_HEADER_SIZE);
    put16(out, static_cast<int>(mod.orders.size()));
    put16(out, mod.restart);
    put16(out, mod.channels);
    put16(out, static_cast<int>(mod.patterns.size()));
    put16(out, static_cast<int>(mod.instruments.size()));
    put16(out, 1); // linear frequency table
    put16(out, mod.speed);
    put16(out, mod.bpm);
    for (int i = 0; i < XM_MAX_ORDERS; i++)
        put8(out, i < static_cast<int>(mod.orders.size()) ? mod.orders[i] : 0);
}

// Writes one cell: a full cell as five plain bytes, any other with a mask byte
// that tells which fields follow (an empty cell is the single byte 0x80).
void writeCell(std::vector<uint8_t>& out, const XmCell& c) {
    if (c.note && c.instr && c.vol && c.fx && c.param) {
        put8(out, c.note);
        put8(out, c.instr);
        put8(out, c.vol);
        put8(out, c.fx);
        put8(out, c.param);
        return;
    }
    int mask =
        0x80 | (c.note ? 1 : 0) | (c.instr ? 2 : 0) | (c.vol ? 4 : 0) | (c.fx ? 8 : 0) | (c.param ? 16 : 0);
    put8(out, mask);
    if (c.note) put8(out, c.note);
    if (c.instr) put8(out, c.instr);
    if (c.vol) put8(out, c.vol);
    if (c.fx) put8(out, c.fx);
    if (c.param) put8(out, c.param);
}

// Writes one pattern header and its packed cells.
void writePattern(std::vector<uint8_t>& out, const XmPattern& p) {
    put32(out, 9); // header length
    put8(out, 0);  // packing type
    put16(out, p.rows);
    size_t sizeAt = out.size();
    put16(out, 0);
    size_t start = out.size();
    for (const XmCell& c : p.cells) writeCell(out, c);
    patch16(out, sizeAt, static_cast<int>(out.size() - start));
}

// Writes one instrument: its header, the one sample header and the delta-coded data.
void writeInstrument(std::vector<uint8_t>& out, const XmInstrument& in) {
    put32(out, XM_INSTR_HEADER_SIZE);
    putText(out, in.name, 22, 0);
    put8(out, 0);  // type
    put16(out, 1); // one sample
    put32(out, XM_SAMPLE_HEADER_SIZE);
    for (int i = 0; i < 96; i++) put8(out, 0); // every note plays sample 0
    for (int i = 0; i < XM_MAX_ENV_POINTS; i++) {
        bool used = i < static_cast<int>(in.env.size());
        put16(out, used ? in.env[i].tick : 0);
        put16(out, used ? in.env[i].value : 0);
    }
    for (int i = 0; i < XM_MAX_ENV_POINTS * 2; i++) put16(out, i & 1 ? 32 : 0); // flat panning envelope
    put8(out, static_cast<int>(in.env.size()));
    put8(out, 0); // panning points
    put8(out, in.envSustain < 0 ? 0 : in.envSustain);
    put8(out, 0); // volume loop start
    put8(out, 0); // volume loop end
    put8(out, 0);
    put8(out, 0);
    put8(out, 0);
    put8(out, in.env.empty() ? 0 : 1 | (in.envSustain >= 0 ? 2 : 0));
    put8(out, 0); // panning envelope off
    put8(out, in.vibType);
    put8(out, in.vibSweep);
    put8(out, in.vibDepth);
    put8(out, in.vibRate);
    put16(out, in.fadeout);
    for (int i = 0; i < 22; i++) put8(out, 0); // reserved

    int bytesPer = in.bits16 ? 2 : 1;
    put32(out, static_cast<uint32_t>(in.data.size() * bytesPer));
    put32(out, static_cast<uint32_t>(in.loopStart * bytesPer));
    put32(out, static_cast<uint32_t>(in.loopLength * bytesPer));
    put8(out, in.volume);
    put8(out, in.finetune);
    put8(out, (in.loopLength > 0 ? 1 : 0) | (in.bits16 ? 16 : 0));
    put8(out, in.panning);
    put8(out, in.relNote);
    put8(out, 0); // plain delta coding
    putText(out, in.name, 22, 0);

    // Each value is stored as its difference to the one before, which packs better.
    int prev = 0;
    for (int16_t s : in.data) {
        int v = in.bits16 ? s : s >> 8;
        if (in.bits16)
            put16(out, v - prev);
        else
            put8(out, v - prev);
        prev = v;
    }
}

} // namespace

// Turns a module into XM file bytes. Called by the music builder and the tests.
std::vector<uint8_t> xmWrite(const XmModule& mod) {
    if (const char* why = checkModule(mod)) return refuse(mod, why);
    std::vector<uint8_t> out;
    writeHeader(out, mod);
    for (const XmPattern& p : mod.patterns) {
        size_t before = out.size();
        writePattern(out, p);
        if (out.size() - before - 9 > 0xffff) return refuse(mod, "pattern too big to pack");
    }
    for (const XmInstrument& in : mod.instruments) writeInstrument(out, in);
    return out;
}

// Rate at which C-4 plays a sample of the given tuning. Called by the instrument maker.
double xmC4Rate(int relNote, int finetune) {
    return XM_C4_HZ * std::pow(2.0, (relNote + finetune / 128.0) / 12.0);
}

// Finds the tuning that plays a sample at rate Hz on C-4. Called by the instrument maker.
void xmTuneForRate(double rate, int& relNote, int& finetune) {
    double semis = 12.0 * std::log2(rate / XM_C4_HZ);
    int steps = static_cast<int>(std::lround(semis * 128.0));
    relNote = steps >= 0 ? steps / 128 : -((-steps + 127) / 128);
    finetune = steps - relNote * 128;
    if (finetune > 63) {
        relNote++;
        finetune -= 128;
    }
}
