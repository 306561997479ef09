// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// A small PNG writer: one IHDR, one IDAT of zlib-compressed RGB scan lines, IEND.
// Every surface depth is read through its own format, so what is written is the
// colour SDL would show.
#include "6draw/shot.h"

#include "2platform/savefile.h"

#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace {

constexpr int CHUNK_OVERHEAD = 12; // length, type and CRC around every chunk's data
constexpr int IHDR_SIZE = 13;
const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Stores v as four bytes, most significant first, as PNG wants. Called by the chunk writer.
void putBE32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)(v >> 24);
    p[1] = (uint8_t)(v >> 16);
    p[2] = (uint8_t)(v >> 8);
    p[3] = (uint8_t)v;
}

// Writes one chunk (length, type, data, CRC of type and data) at out; returns the bytes used.
long putChunk(uint8_t* out, const char* type, const uint8_t* data, uint32_t len) {
    putBE32(out, len);
    memcpy(out + 4, type, 4);
    if (len) memcpy(out + 8, data, len);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out + 4, (uInt)(len + 4));
    putBE32(out + 8 + len, (uint32_t)crc);
    return (long)len + CHUNK_OVERHEAD;
}

// The pixel value at (x, y) of a locked surface of 1 to 4 bytes per pixel.
Uint32 pixelAt(const SDL_Surface* s, int x, int y) {
    const uint8_t* p = (const uint8_t*)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1: return p[0];
    case 2: {
        Uint16 v;
        memcpy(&v, p, 2);
        return v;
    }
    case 3:
        // three bytes in memory order: the lowest byte first on little-endian machines
        if (SDL_BYTEORDER == SDL_LIL_ENDIAN) return (Uint32)p[0] | (Uint32)p[1] << 8 | (Uint32)p[2] << 16;
        return (Uint32)p[0] << 16 | (Uint32)p[1] << 8 | (Uint32)p[2];
    default: {
        Uint32 v;
        memcpy(&v, p, 4);
        return v;
    }
    }
}

} // namespace

// Writes the surface as a PNG file. Called by tests and screenshot tools.
int saveSurfacePNG(SDL_Surface* s, const char* path) {
    if (!s || !path || s->w < 1 || s->h < 1) return 0;
    const long rowBytes = 1 + 3L * s->w; // filter byte 0, then R, G, B per pixel
    const uLong rawSize = (uLong)(rowBytes * s->h);
    uint8_t* raw = (uint8_t*)malloc(rawSize);
    uLong packedSize = compressBound(rawSize);
    uint8_t* packed = (uint8_t*)malloc(packedSize);
    uint8_t* file = (uint8_t*)malloc(sizeof SIGNATURE + 3 * CHUNK_OVERHEAD + IHDR_SIZE + packedSize);
    int ok = raw && packed && file && SDL_LockSurface(s) == 0;
    if (ok) {
        for (int y = 0; y < s->h; y++) {
            uint8_t* row = raw + y * rowBytes;
            row[0] = 0;
            for (int x = 0; x < s->w; x++)
                SDL_GetRGB(pixelAt(s, x, y), s->format, &row[1 + 3 * x], &row[2 + 3 * x], &row[3 + 3 * x]);
        }
        SDL_UnlockSurface(s);
        ok = compress2(packed, &packedSize, raw, rawSize, Z_BEST_COMPRESSION) == Z_OK;
    }
    if (ok) {
        uint8_t ihdr[IHDR_SIZE];
        putBE32(ihdr, (uint32_t)s->w);
        putBE32(ihdr + 4, (uint32_t)s->h);
        ihdr[8] = 8;  // bits per channel
        ihdr[9] = 2;  // colour type: RGB
        ihdr[10] = 0; // deflate
        ihdr[11] = 0; // adaptive filtering (every row uses filter 0)
        ihdr[12] = 0; // no interlace
        long n = 0;
        memcpy(file, SIGNATURE, sizeof SIGNATURE);
        n += sizeof SIGNATURE;
        n += putChunk(file + n, "IHDR", ihdr, IHDR_SIZE);
        n += putChunk(file + n, "IDAT", packed, (uint32_t)packedSize);
        n += putChunk(file + n, "IEND", nullptr, 0);
        ok = writeFileAtomic(path, file, n);
    }
    free(raw);
    free(packed);
    free(file);
    return ok ? 1 : 0;
}

// Hashes the colours of every pixel of s, as SDL would show them. Called by the harness.
uint64_t surfaceHash(SDL_Surface* s) {
    uint64_t h = 0xcbf29ce484222325ULL; // FNV-1a offset basis
    if (!s || SDL_LockSurface(s) != 0) return 0;
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++) {
            uint8_t rgb[3];
            SDL_GetRGB(pixelAt(s, x, y), s->format, &rgb[0], &rgb[1], &rgb[2]);
            for (uint8_t c : rgb) h = (h ^ c) * 0x100000001b3ULL; // FNV-1a prime
        }
    SDL_UnlockSurface(s);
    return h;
}
