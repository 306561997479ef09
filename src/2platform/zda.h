// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Resource archives: the seven ".zda" files in ./data that hold every bitmap,
// level map, music module and sound sample, and plain-file loading.
//
// A .zda file is a 12-byte head ("ZDA\0", entry count N, header size H), an
// entry table of N 52-byte records (name, uncompressed size, compressed size,
// data offset from H) and the entries' zlib streams. Entry contents are stored
// scrambled by a chained XOR that starts from the seed 0xA6.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int NUM_ARCHIVES = 7;    // gfx, music, maps, mapsde, mapsfr, mapses, sound
constexpr int ZDA_HEAD_SIZE = 12;  // magic, N and H
constexpr int ZDA_ENTRY_SIZE = 52; // one entry of the table
constexpr int ZDA_NAME_SIZE = 40;  // the name field of an entry
constexpr uint8_t ZDA_SEED = 0xA6; // first link of the restore chain

// Archive numbers, indexes into `archives`.
enum {
    ARC_GFX = 0,
    ARC_MUSIC = 1,
    ARC_MAPS = 2,
    ARC_MAPSDE = 3,
    ARC_MAPSFR = 4,
    ARC_MAPSES = 5,
    ARC_SOUND = 6
};

extern const char* const archives[NUM_ARCHIVES]; // archive names: "gfx", "music", "maps", ...
extern const int maps[4];                        // maps archive of each language (lang_id order)
extern FILE* zda_file[NUM_ARCHIVES];             // the open archive files, or null
extern uint8_t* zda_full_header[NUM_ARCHIVES];   // each archive's whole header, or null
extern long zda_file_size[NUM_ARCHIVES];         // byte length of each open archive file

// Opening and closing all archives (start-up and exit).
void openArchives();
void closeArchives();

// Per-archive building blocks of openArchives/closeArchives.
int openID(int archive);
void closeID(int archive);
int loadZDAHeader(int archive);
void closeZDA(int archive);

// Lookups: a fresh malloc'ed buffer with the restored entry, or null. The caller frees it.
uint8_t* loadZDAFile(int archive, const char* name, const char* extension, int32_t* size_out);
uint8_t* uncompressZDA(int archive, const char* entryName, int32_t* size_out);

// Header readers; 0 when there is no header, the magic is wrong, N < 1 or the name is absent.
int32_t gp_zda_headersize(const uint8_t* header);
int32_t gp_zda_csize(const uint8_t* header, const char* entryName);
int32_t gp_zda_usize(const uint8_t* header, const char* entryName);
int32_t gp_zda_offset(const uint8_t* header, const char* entryName);
int32_t gp_zda_count(const uint8_t* header);
const char* gp_zda_name(const uint8_t* header, int index, char* out, int outSize);

// zlib's uncompress; returns zlib's result code.
int gp_uncompressZDA(uint8_t* dest, unsigned long* destLen, const uint8_t* source, unsigned long sourceLen);

// Archive access by open file, shared by the game's reader and the archive tool.
uint8_t* zdaReadHeader(FILE* f, long fileSize);
uint8_t* zdaReadEntry(FILE* f, long fileSize, const uint8_t* header, const char* entryName,
                      int32_t* size_out);

// Plain files.
uint8_t* loadBINFile(const char* path, int32_t* size_out);
long binfilesize(FILE* f);
