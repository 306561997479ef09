// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Writing the files the game owns (configuration, hiscores, saved game) and the
// archives the tools make, so that a crash or a power cut never leaves a
// half-written file in place of the old one.
#pragma once

#include <cstdint>

// Writes len bytes to path through a temporary file in the same folder that is
// flushed, synced and then renamed over path. Returns 1 on success, 0 when
// nothing was replaced (the old file, if any, is untouched; errno tells why).
int writeFileAtomic(const char* path, const uint8_t* data, long len);
// writeFileAtomic for the game's own files: a failure is told in one line on
// standard error, the file and the reason, and the game goes on. Returns as
// writeFileAtomic does.
int saveGameFile(const char* path, const uint8_t* data, long len);
