// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Atomic replacement of small files: temporary file, fsync, rename.
#include "2platform/savefile.h"

#include <cstdio>
#include <unistd.h>

// Writes a whole file atomically. Called by the hiscore, configuration and saved-game writers and the archive
// writer.
int writeFileAtomic(const char* path, const uint8_t* data, long len) {
    char tmp[1100];
    if (!path || len < 0) return 0;
    // The temporary file lies beside the target so that the rename stays within one file system.
    // Its name is fixed: a write cut short by a kill leaves at most this one file, which the
    // next write of the same file truncates and renames away.
    if (snprintf(tmp, sizeof tmp, "%s.tmp", path) >= (int)sizeof tmp) return 0;
    FILE* f = fopen(tmp, "wb");
    if (!f) return 0;
    bool ok = len == 0 || fwrite(data, 1, (size_t)len, f) == (size_t)len;
    ok = fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(tmp, path) != 0) {
        remove(tmp);
        return 0;
    }
    return 1;
}
