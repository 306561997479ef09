// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Resource archive reader: finds entries by name, inflates them with zlib and
// restores the chained XOR. Every failure returns no buffer and prints nothing;
// the caller decides whether the game can go on.
#include "2platform/zda.h"

#include <cstdlib>
#include <cstring>
#include <zlib.h>

const char* const archives[NUM_ARCHIVES] = {"gfx", "music", "maps", "mapsde", "mapsfr", "mapses", "sound"};
const int maps[4] = {ARC_MAPS, ARC_MAPSDE, ARC_MAPSFR, ARC_MAPSES};
FILE* zda_file[NUM_ARCHIVES] = {};
uint8_t* zda_full_header[NUM_ARCHIVES] = {};
long zda_file_size[NUM_ARCHIVES] = {};

namespace {

// No entry is believed to inflate beyond this; a larger size in a table is a lie.
constexpr int32_t MAX_ENTRY_SIZE = 64 * 1024 * 1024;

// Reads a signed 32-bit little-endian integer; used by every header reader.
int32_t readLE32(const uint8_t* p) {
    return (int32_t)((uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
                     ((uint32_t)p[3] << 24));
}

// True when the header starts with "ZDA" and a zero byte.
bool hasMagic(const uint8_t* header) {
    return header && header[0] == 'Z' && header[1] == 'D' && header[2] == 'A' && header[3] == 0;
}

// Finds the first entry whose name equals entryName exactly; null when absent.
const uint8_t* findEntry(const uint8_t* header, const char* entryName) {
    if (!hasMagic(header) || !entryName) return nullptr;
    int32_t n = readLE32(header + 4);
    if (n < 1) return nullptr;
    size_t len = strlen(entryName);
    if (len >= (size_t)ZDA_NAME_SIZE) return nullptr; // no field can hold it
    for (int32_t i = 0; i < n; i++) {
        const uint8_t* e = header + ZDA_HEAD_SIZE + (size_t)i * ZDA_ENTRY_SIZE;
        if (memcmp(e, entryName, len) == 0 && e[len] == 0) return e;
    }
    return nullptr;
}

// Builds "./data/<name>.zda" for one archive.
void archivePath(int archive, char* out, size_t size) {
    snprintf(out, size, "%s%c%s.zda", "./data", '/', archives[archive]);
}

} // namespace

// Header size H from the head of an archive, 0 when the magic is wrong. Called by the loaders.
int32_t gp_zda_headersize(const uint8_t* header) {
    if (!hasMagic(header)) return 0;
    return readLE32(header + 8);
}

// Number of entries, 0 without a valid header. Used by the archive tool's listing.
int32_t gp_zda_count(const uint8_t* header) {
    if (!hasMagic(header)) return 0;
    int32_t n = readLE32(header + 4);
    return n < 1 ? 0 : n;
}

// Copies the name of entry `index` into out (zero-terminated, cut to fit). Used by the archive tool.
const char* gp_zda_name(const uint8_t* header, int index, char* out, int outSize) {
    if (outSize < 1) return out;
    out[0] = 0;
    if (index < 0 || index >= gp_zda_count(header)) return out;
    const uint8_t* e = header + ZDA_HEAD_SIZE + (size_t)index * ZDA_ENTRY_SIZE;
    int i = 0;
    while (i < ZDA_NAME_SIZE && i < outSize - 1 && e[i]) {
        out[i] = (char)e[i];
        i++;
    }
    out[i] = 0;
    return out;
}

// Compressed size of an entry; 0 when absent. Called by uncompressZDA.
int32_t gp_zda_csize(const uint8_t* header, const char* entryName) {
    const uint8_t* e = findEntry(header, entryName);
    return e ? readLE32(e + 44) : 0;
}

// Uncompressed size of an entry; 0 when absent. Called by uncompressZDA.
int32_t gp_zda_usize(const uint8_t* header, const char* entryName) {
    const uint8_t* e = findEntry(header, entryName);
    return e ? readLE32(e + 40) : 0;
}

// Absolute file position of an entry's data (H + offset); 0 when absent. Called by uncompressZDA.
int32_t gp_zda_offset(const uint8_t* header, const char* entryName) {
    const uint8_t* e = findEntry(header, entryName);
    if (!e) return 0;
    return (int32_t)((uint32_t)gp_zda_headersize(header) + (uint32_t)readLE32(e + 48));
}

// zlib's one-call inflate. Called by zdaReadEntry.
int gp_uncompressZDA(uint8_t* dest, unsigned long* destLen, const uint8_t* source, unsigned long sourceLen) {
    uLongf len = *destLen;
    int r = uncompress(dest, &len, source, sourceLen);
    *destLen = len;
    return r;
}

// Reads and checks the whole header of an open archive; null when the archive is
// not sound (wrong magic, a table that does not fit H or the file). Called by
// loadZDAHeader and the archive tool.
uint8_t* zdaReadHeader(FILE* f, long fileSize) {
    uint8_t head[ZDA_HEAD_SIZE];
    if (!f || fileSize < ZDA_HEAD_SIZE) return nullptr;
    if (fseek(f, 0, SEEK_SET) != 0 || fread(head, 1, ZDA_HEAD_SIZE, f) != ZDA_HEAD_SIZE) return nullptr;
    int32_t h = gp_zda_headersize(head);
    int32_t n = readLE32(head + 4);
    // The table must lie inside H, and H inside the file; a table we cannot trust has no entries.
    if (h < ZDA_HEAD_SIZE || n < 0 || (long)h > fileSize) return nullptr;
    if ((int64_t)ZDA_HEAD_SIZE + (int64_t)n * ZDA_ENTRY_SIZE > (int64_t)h) return nullptr;
    uint8_t* header = (uint8_t*)malloc((size_t)h);
    if (!header) return nullptr;
    if (fseek(f, 0, SEEK_SET) != 0 || fread(header, 1, (size_t)h, f) != (size_t)h) {
        free(header);
        return nullptr;
    }
    return header;
}

// Reads, inflates and restores one entry from an open archive; null on any fault.
// Sizes and offsets from the table are checked against the file before use.
uint8_t* zdaReadEntry(FILE* f, long fileSize, const uint8_t* header, const char* entryName,
                      int32_t* size_out) {
    int32_t csize = gp_zda_csize(header, entryName);
    if (csize < 1) return nullptr;
    const uint8_t* e = findEntry(header, entryName);
    int64_t pos = (int64_t)gp_zda_headersize(header) + readLE32(e + 48);
    int32_t usize = gp_zda_usize(header, entryName);
    if (size_out) *size_out = usize;
    if (usize < 1 || usize > MAX_ENTRY_SIZE) return nullptr;
    if (!f || readLE32(e + 48) < 0 || pos + csize > (int64_t)fileSize) return nullptr;
    uint8_t* packed = (uint8_t*)malloc((size_t)csize);
    if (!packed) return nullptr;
    if (fseek(f, (long)pos, SEEK_SET) != 0 || fread(packed, 1, (size_t)csize, f) != (size_t)csize) {
        free(packed);
        return nullptr;
    }
    uint8_t* data = (uint8_t*)malloc((size_t)usize);
    if (!data) {
        free(packed);
        return nullptr;
    }
    unsigned long produced = (unsigned long)usize;
    if (gp_uncompressZDA(data, &produced, packed, (unsigned long)csize) != Z_OK || produced < 1) {
        free(packed);
        free(data);
        return nullptr;
    }
    free(packed);
    // Restore: each byte is combined with the restored byte before it, the first with the seed.
    uint8_t p = ZDA_SEED;
    for (unsigned long i = 0; i < produced; i++) {
        p ^= data[i];
        data[i] = p;
    }
    if (size_out) *size_out = (int32_t)produced;
    return data;
}

// Opens one archive's file if it is not open yet; 1 when open. Called by loadZDAHeader and uncompressZDA.
int openID(int archive) {
    if (archive < 0 || archive >= NUM_ARCHIVES) return 0;
    if (zda_file[archive]) return 1;
    char path[1024];
    archivePath(archive, path, sizeof path);
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    zda_file[archive] = f;
    zda_file_size[archive] = binfilesize(f);
    return 1;
}

// Closes one archive's file. Called by closeZDA.
void closeID(int archive) {
    if (archive < 0 || archive >= NUM_ARCHIVES) return;
    if (zda_file[archive]) fclose(zda_file[archive]);
    zda_file[archive] = nullptr;
    zda_file_size[archive] = 0;
}

// Loads one archive's header if none is loaded; 1 when a header is there. Called by openArchives.
int loadZDAHeader(int archive) {
    if (archive < 0 || archive >= NUM_ARCHIVES) return 0;
    if (zda_full_header[archive]) return 1;
    if (!openID(archive)) return 0;
    zda_full_header[archive] = zdaReadHeader(zda_file[archive], zda_file_size[archive]);
    return zda_full_header[archive] != nullptr;
}

// Closes the file and frees the header of one archive. Called by closeArchives.
void closeZDA(int archive) {
    if (archive < 0 || archive >= NUM_ARCHIVES) return;
    closeID(archive);
    free(zda_full_header[archive]);
    zda_full_header[archive] = nullptr;
}

// Opens all seven archives at start-up; a missing one simply has no entries. Called by main.
void openArchives() {
    for (int i = 0; i < NUM_ARCHIVES; i++) {
        zda_file[i] = nullptr;
        zda_full_header[i] = nullptr;
        zda_file_size[i] = 0;
        loadZDAHeader(i);
    }
}

// Closes every archive and frees every header. Called by exitGame.
void closeArchives() {
    for (int i = 0; i < NUM_ARCHIVES; i++) closeZDA(i);
}

// Looks up "name.extension" in an archive. Called by every resource loader.
uint8_t* loadZDAFile(int archive, const char* name, const char* extension, int32_t* size_out) {
    char entry[1024];
    int32_t size = 0;
    snprintf(entry, sizeof entry, "%s.%s", name ? name : "", extension ? extension : "");
    return uncompressZDA(archive, entry, size_out ? size_out : &size);
}

// Reads one entry of an open archive, reopening its file if needed. Called by loadZDAFile.
uint8_t* uncompressZDA(int archive, const char* entryName, int32_t* size_out) {
    if (archive < 0 || archive >= NUM_ARCHIVES) return nullptr;
    const uint8_t* header = zda_full_header[archive];
    if (gp_zda_csize(header, entryName) < 1) return nullptr;
    if (!openID(archive)) return nullptr;
    return zdaReadEntry(zda_file[archive], zda_file_size[archive], header, entryName, size_out);
}

// Size of an open file: rewind, seek to the end, read the position, back to the start; 0 on failure.
long binfilesize(FILE* f) {
    if (!f) return 0;
    rewind(f);
    if (fseek(f, 0, SEEK_END) != 0) return 0;
    long size = ftell(f);
    if (fseek(f, 0, SEEK_SET) != 0 || size < 0) return 0;
    return size;
}

// Reads a whole plain file into a new buffer; null when missing, empty or unreadable.
// Called by loadConfig and loadLevel for the test map.
uint8_t* loadBINFile(const char* path, int32_t* size_out) {
    FILE* f = fopen(path, "rb");
    if (!f) return nullptr;
    long size = binfilesize(f);
    if (size <= 0 || size > MAX_ENTRY_SIZE) {
        fclose(f);
        return nullptr;
    }
    uint8_t* data = (uint8_t*)malloc((size_t)size);
    if (!data) {
        fclose(f);
        return nullptr;
    }
    size_t got = fread(data, 1, (size_t)size, f);
    fclose(f);
    if (got != (size_t)size) {
        free(data);
        return nullptr;
    }
    if (size_out) *size_out = (int32_t)size;
    return data;
}
