// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Atomic replacement of small files: temporary file, fsync, rename.
#include "2platform/savefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

// Writes a whole file atomically. Called by the hiscore, configuration and saved-game writers and the archive
// writer.
int writeFileAtomic(const char* path, const uint8_t* data, long len) {
    char tmp[1100];
    if (!path || len < 0) return 0;
    // The temporary file lies beside the target so that the rename stays within one file system.
    // Its name is fixed: a write cut short by a kill leaves at most this one file, which the
    // next write of the same file truncates and renames away.
    if (snprintf(tmp, sizeof tmp, "%s.tmp", path) >= (int)sizeof tmp) {
        errno = ENAMETOOLONG;
        return 0;
    }
    FILE* f = fopen(tmp, "wb");
    if (!f) return 0;
    // The first failure's errno is the reason the caller reports; the clean-up must not overwrite it.
    int err = 0;
    if (len > 0 && fwrite(data, 1, (size_t)len, f) != (size_t)len) err = errno;
    if (fflush(f) != 0 && !err) err = errno;
    if (fsync(fileno(f)) != 0 && !err) err = errno;
    if (fclose(f) != 0 && !err) err = errno;
    if (!err && rename(tmp, path) != 0) err = errno;
    if (err) {
        remove(tmp);
        errno = err;
        return 0;
    }
    return 1;
}

// Writes one of the game's own files and says on standard error when it could not:
// the player would otherwise find a score or a setting gone at the next start.
// Called by the saved game, the configuration and the hiscore writers.
int saveGameFile(const char* path, const uint8_t* data, long len) {
    if (writeFileAtomic(path, data, len)) return 1;
    const int err = errno;
    fprintf(stderr, "blomp: cannot save %s: %s\n", path ? path : "(no name)", strerror(err ? err : EIO));
    return 0;
}
