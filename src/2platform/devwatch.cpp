// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The watch on the device folder: inotify, read without blocking once a frame by
// the pads' question, its news of event nodes kept for the keyboards.
#include "2platform/devwatch.h"

#include "2platform/sys.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t RESCAN_MS = 2000; // without a watch: how often the pads hear "maybe"
// What makes a device appear or vanish: its node made or removed, or its permissions
// set (udev makes the node first and gives it to the input group a moment later).
constexpr uint32_t WATCHED = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM;
// What makes a node one a keyboard may be read through now (the keyboards never look
// at removals: a keyboard gone is seen by its own read failing).
constexpr uint32_t APPEARED = IN_CREATE | IN_ATTRIB;
constexpr int MAX_NODES = 8; // node names waiting for the keyboards; more in one frame are dropped
constexpr int NODE_NAME = 32;

int watchFd = -1;
int readers = 0;         // DevWatchReader bits of those listening
uint32_t lastRescan = 0; // without a watch: the clock at the last "maybe"
char nodes[MAX_NODES][NODE_NAME];
int nodeFirst = 0, nodeCount = 0;

// True for the names of the nodes SDL opens pads through. Called by devWatchRead.
bool padNode(const char* name) {
    return (name[0] == 'j' && name[1] == 's') || strncmp(name, "event", 5) == 0;
}

// Keeps the name of an event node that appeared for the keyboards. Called by devWatchRead.
void keepNode(const char* name) {
    if (nodeCount == MAX_NODES || strlen(name) >= NODE_NAME) return;
    snprintf(nodes[(nodeFirst + nodeCount) % MAX_NODES], NODE_NAME, "%s", name);
    nodeCount++;
}

} // namespace

// Starts the watch, or adds a reader to it. Called by the console keyboards' open and
// by the input when it opens the first pad (or finds none).
int devWatchOpen(const char* folder, DevWatchReader reader) {
    if (readers == 0) {
        lastRescan = sysTicks();
        nodeFirst = nodeCount = 0;
        watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watchFd >= 0 && inotify_add_watch(watchFd, folder, WATCHED) < 0) {
            close(watchFd);
            watchFd = -1;
        }
    }
    readers |= reader;
    return watchFd >= 0;
}

// A reader leaves; the last one ends the watch. Called by the console keyboards' close.
void devWatchClose(DevWatchReader reader) {
    readers &= ~reader;
    if (!(readers & DEVWATCH_KEYBOARDS)) nodeFirst = nodeCount = 0;
    if (readers || watchFd < 0) return;
    close(watchFd);
    watchFd = -1;
}

// Reads every waiting change; 1 when one concerned a pad's node. Called once a frame by
// sysPadsChanged, which checkInput asks before it takes the frame's events.
int devWatchRead() {
    if (watchFd < 0) {
        if (!(readers & DEVWATCH_PADS) || sysTicks() - lastRescan < RESCAN_MS) return 0;
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
            p += (ssize_t)sizeof(inotify_event) + e->len;
            if (e->len == 0 || !padNode(e->name)) continue;
            changed = 1;
            if ((readers & DEVWATCH_KEYBOARDS) && (e->mask & APPEARED) && strncmp(e->name, "event", 5) == 0)
                keepNode(e->name);
        }
    }
    return changed && (readers & DEVWATCH_PADS);
}

// Hands out the oldest event node that appeared. Called by the console keyboards' pump.
int devWatchNextNode(char* name, int size) {
    if (nodeCount == 0) return 0;
    snprintf(name, (size_t)size, "%s", nodes[nodeFirst]);
    nodeFirst = (nodeFirst + 1) % MAX_NODES;
    nodeCount--;
    return 1;
}
