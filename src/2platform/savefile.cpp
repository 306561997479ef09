// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Atomic replacement of small files: a temporary file of its own per write, fsync,
// rename; the writes of games sharing a folder take turns under a lock on the folder.
#include "2platform/savefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int LOCK_TRIES = 200;          // a folder lock is tried this often,
constexpr useconds_t LOCK_PAUSE = 10000; // this long apart: a writer that hangs is not waited for beyond 2 s
constexpr char TMP_MARK[] = ".tmp";      // the temporary file of x is x.tmp.XXXXXX (older versions: x.tmp)
constexpr size_t TMP_RANDOM = 6;         // the XXXXXX that mkstemp fills in

int heldFolder = -1; // the folder this process holds locked through lockFolder, or -1
dev_t heldDev = 0;
ino_t heldIno = 0;

// The folder part of path ("." for a bare name) and its base name. Called by the writer and the lock.
std::string folderOf(const char* path, std::string* base) {
    const char* slash = strrchr(path, '/');
    if (base) *base = slash ? slash + 1 : path;
    if (!slash) return ".";
    if (slash == path) return "/";
    return std::string(path, (size_t)(slash - path));
}

// Locks an open folder against the writes of other processes, waiting a bounded time; 1 when
// locked (until the descriptor is closed). Called by lockFolder and the writer.
int lockOpenFolder(int fd) {
    for (int i = 0; i < LOCK_TRIES; i++) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return 1;
        if (errno != EWOULDBLOCK && errno != EINTR) return 0;
        usleep(LOCK_PAUSE);
    }
    return 0;
}

// True when fd is the folder this process already holds locked. Called by the writer.
bool isHeldFolder(int fd) {
    struct stat st;
    return heldFolder >= 0 && fstat(fd, &st) == 0 && st.st_dev == heldDev && st.st_ino == heldIno;
}

// Removes the temporary files of base that a write cut short has left. Only called
// with the folder locked: then no other write of ours has one in flight. Called by the writer.
void removeStale(int folder, const std::string& base) {
    const int fd = dup(folder);
    DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!d) {
        if (fd >= 0) close(fd);
        return;
    }
    const std::string mark = base + TMP_MARK;
    while (const dirent* e = readdir(d)) {
        const size_t n = strlen(e->d_name);
        const bool ours =
            strncmp(e->d_name, mark.c_str(), mark.size()) == 0 &&
            (n == mark.size() || (n == mark.size() + 1 + TMP_RANDOM && e->d_name[mark.size()] == '.'));
        if (ours) unlinkat(folder, e->d_name, 0);
    }
    closedir(d);
}

// Writes all of len bytes, over short writes; 0 with errno set on failure. Called by the writer.
int writeAll(int fd, const uint8_t* data, long len) {
    while (len > 0) {
        const ssize_t n = write(fd, data, (size_t)len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        data += n;
        len -= n;
    }
    return 1;
}

// The mode a new file gets: what the old file had, or what the umask leaves. Called by the writer
// (mkstemp makes its file for the owner alone).
mode_t newFileMode(const char* path) {
    struct stat st;
    if (stat(path, &st) == 0) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

int (*saveSync)(int fd) = fsync;

// Holds the folder of path locked against the writes of other games there, waiting at most
// about 2 s; this process's own writes go ahead meanwhile. Returns the handle for
// unlockFolder, -1 when there is no lock. Called by the hiscore writer around its re-read.
int lockFolder(const char* path) {
    if (!path || heldFolder >= 0) return -1;
    const int fd = open(folderOf(path, nullptr).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0) return -1;
    if (fstat(fd, &st) != 0 || !lockOpenFolder(fd)) {
        close(fd);
        return -1;
    }
    heldFolder = fd;
    heldDev = st.st_dev;
    heldIno = st.st_ino;
    return fd;
}

// Lets go of a lock taken by lockFolder. Called by the hiscore writer.
void unlockFolder(int handle) {
    if (handle < 0 || handle != heldFolder) return;
    close(heldFolder);
    heldFolder = -1;
}

// Writes a whole file atomically. Called by the hiscore, configuration and saved-game writers and the archive
// writer.
int writeFileAtomic(const char* path, const uint8_t* data, long len) {
    if (!path || len < 0 || (len > 0 && !data)) {
        errno = EINVAL;
        return 0;
    }
    std::string base;
    const int folder = open(folderOf(path, &base).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return 0;
    // Two games in one folder take turns; a writer that hangs is not waited for long, and
    // without the lock the write still cannot tear (its temporary file is its own), it
    // only leaves the clean-up to the next write.
    if (isHeldFolder(folder) || lockOpenFolder(folder)) removeStale(folder, base);
    // The temporary file lies beside the target, so that the rename stays within one file system.
    std::string tmp = std::string(path) + TMP_MARK + "." + std::string(TMP_RANDOM, 'X');
    const mode_t mode = newFileMode(path);
    const int fd = mkostemp(&tmp[0], O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        close(folder);
        errno = err;
        return 0;
    }
    // The first failure's errno is the reason the caller reports; the clean-up must not overwrite it.
    int err = 0;
    if (fchmod(fd, mode) != 0) err = errno;
    if (!err && !writeAll(fd, data, len)) err = errno ? errno : EIO;
    if (!err && saveSync(fd) != 0) err = errno;
    if (close(fd) != 0 && !err) err = errno;
    if (!err && rename(tmp.c_str(), path) != 0) err = errno;
    if (err) unlink(tmp.c_str());
    // The rename lives in the folder: until the folder is synced, a power cut can bring
    // the old file back. The new file is in place either way, so a folder that cannot be
    // synced (some file systems refuse) does not make the write a failure.
    if (!err) saveSync(folder);
    close(folder); // lets go of the folder lock, unless lockFolder holds it
    errno = err;
    return err ? 0 : 1;
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
