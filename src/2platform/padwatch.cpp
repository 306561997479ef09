// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The watch on the device folder: inotify, read without blocking once a frame.
#include "2platform/padwatch.h"

#include "2platform/sys.h"

#include <cerrno>
#include <cstdint>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t RESCAN_MS = 2000; // without a watch: how often a rescan is asked for
// What makes a pad appear or vanish: its node made or removed, or its permissions
// set (udev makes the node first and gives it to the input group a moment later).
constexpr uint32_t WATCHED = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM;

int watchFd = -1;
int watching = 0;        // padWatchOpen was called
uint32_t lastRescan = 0; // without a watch: the clock at the last "maybe"

// True for the names of the nodes SDL opens pads through.
bool padNode(const char* name) {
    return (name[0] == 'j' && name[1] == 's') || (name[0] == 'e' && name[1] == 'v');
}

} // namespace

// Starts the watch. Called by the input when it opens the first pad (or finds none).
int padWatchOpen(const char* folder) {
    padWatchClose();
    watching = 1;
    lastRescan = sysTicks();
    watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd < 0) return 0;
    if (inotify_add_watch(watchFd, folder, WATCHED) < 0) {
        close(watchFd);
        watchFd = -1;
        return 0;
    }
    return 1;
}

// Reads every waiting change; 1 when one concerned a pad's node. Called once a frame by checkInput.
int padWatchChanged() {
    if (!watching) return 0;
    if (watchFd < 0) {
        if (sysTicks() - lastRescan < RESCAN_MS) return 0;
        lastRescan = sysTicks();
        return 1;
    }
    int changed = 0;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = read(watchFd, buf, sizeof buf);
        if (n <= 0) break; // EAGAIN: nothing more waiting
        for (ssize_t p = 0; p + (ssize_t)sizeof(inotify_event) <= n;) {
            const inotify_event* e = (const inotify_event*)(buf + p);
            if (e->len > 0 && padNode(e->name)) changed = 1;
            p += (ssize_t)sizeof(inotify_event) + e->len;
        }
    }
    return changed;
}

// Ends the watch. Called by the input's close and before a new watch.
void padWatchClose() {
    if (watchFd >= 0) close(watchFd);
    watchFd = -1;
    watching = 0;
}
