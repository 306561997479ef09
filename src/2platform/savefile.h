// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Writing the files the game owns (configuration, hiscores, saved game) and the
// archives the tools make, so that a crash or a power cut never leaves a
// half-written file in place of the old one.
#pragma once

#include <cstdint>

// Writes len bytes to path through a temporary file of its own in the same
// folder that is synced and then renamed over path; temporary files a write cut
// short has left are removed. Games sharing the folder take turns (a lock on the
// folder), so the last writer wins and no file is ever torn. Returns 1 on
// success, 0 when nothing was replaced (the old file, if any, is untouched;
// errno tells why).
int writeFileAtomic(const char* path, const uint8_t* data, long len);
// writeFileAtomic for the game's own files: a failure is told in one line on
// standard error, the file and the reason, and the game goes on. Returns as
// writeFileAtomic does.
int saveGameFile(const char* path, const uint8_t* data, long len);
// Holds the folder of path locked against other games' writes there, so that a file
// can be read, merged and written back in one turn; this process's own writes go
// ahead. Returns a handle for unlockFolder, -1 when no lock could be had in time.
int lockFolder(const char* path);
// The sync of a written file and then of its folder (fsync); tests put a recorder in its place.
extern int (*saveSync)(int fd);
void unlockFolder(int handle);
