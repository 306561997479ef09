// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Archive writer: scrambles each entry with the chained XOR, deflates it and lays
// out head, entry table and data. The same entries always give the same bytes.
#include "2platform/zdawrite.h"

#include "2platform/savefile.h"
#include "2platform/zda.h"

#include <cstring>
#include <vector>
#include <zlib.h>

namespace {

// Appends a 32-bit little-endian integer.
void putLE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

// Stores each byte XOR the plain byte before it (the first XOR the seed); the
// reader undoes it by chaining over the restored bytes.
std::vector<uint8_t> scramble(const uint8_t* data, int32_t size) {
    std::vector<uint8_t> s((size_t)size);
    uint8_t prev = ZDA_SEED;
    for (int32_t i = 0; i < size; i++) {
        s[(size_t)i] = data[i] ^ prev;
        prev = data[i];
    }
    return s;
}

} // namespace

// Packs entries into a .zda archive. Called by the data builder and the archive tool.
int writeZDA(const char* path, const ZdaItem* items, int count) {
    if (count < 0 || (count > 0 && !items)) return 0;
    std::vector<std::vector<uint8_t>> packed;
    for (int i = 0; i < count; i++) {
        size_t len = items[i].name ? strlen(items[i].name) : 0;
        if (len < 1 || len >= (size_t)ZDA_NAME_SIZE || items[i].size < 1 || !items[i].data) return 0;
        std::vector<uint8_t> plain = scramble(items[i].data, items[i].size);
        uLongf clen = compressBound((uLong)plain.size());
        std::vector<uint8_t> z(clen);
        if (compress2(z.data(), &clen, plain.data(), (uLong)plain.size(), Z_BEST_COMPRESSION) != Z_OK)
            return 0;
        z.resize(clen);
        packed.push_back(std::move(z));
    }
    std::vector<uint8_t> out;
    const uint32_t h = (uint32_t)(ZDA_HEAD_SIZE + ZDA_ENTRY_SIZE * count);
    out.push_back('Z');
    out.push_back('D');
    out.push_back('A');
    out.push_back(0);
    putLE32(out, (uint32_t)count);
    putLE32(out, h);
    uint32_t offset = 0;
    for (int i = 0; i < count; i++) {
        uint8_t name[ZDA_NAME_SIZE] = {};
        memcpy(name, items[i].name, strlen(items[i].name));
        out.insert(out.end(), name, name + ZDA_NAME_SIZE);
        putLE32(out, (uint32_t)items[i].size);
        putLE32(out, (uint32_t)packed[(size_t)i].size());
        putLE32(out, offset);
        offset += (uint32_t)packed[(size_t)i].size();
    }
    for (const auto& z : packed) out.insert(out.end(), z.begin(), z.end());
    return writeFileAtomic(path, out.data(), (long)out.size());
}
