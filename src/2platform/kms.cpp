// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The console display: the first DRM card with a connected screen, in the mode
// that screen prefers, EGL on a GBM surface, each finished picture shown by a
// page flip on vertical blank. The mode the console had is put back when the
// game ends, also through error() and on fatal signals.
#include "2platform/kms.h"

#include "2platform/display.h"
#include "2platform/evdev.h"
#include "2platform/sys.h"

// The screen's preferred mode, else its first. Called by the console display and the tests.
int kmsPickMode(const KmsMode* modes, int count) {
    for (int i = 0; i < count; i++)
        if (modes[i].preferred) return i;
    return count > 0 ? 0 : -1;
}

#ifdef BLOMP_KMS

#include <SDL.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <gbm.h>
#include <poll.h>
#include <unistd.h>
#include <xf86drm.h>
#include <xf86drmMode.h>

namespace {

constexpr int MAX_CARDS = 8;  // /dev/dri/card0 .. card7 are looked at
constexpr int MAX_MODES = 64; // modes of a connector looked at

struct Kms {
    int fd;
    uint32_t connector, crtc;
    drmModeModeInfo mode;
    drmModeCrtc* saved; // the console's mode, put back at the end
    gbm_device* gbm;
    gbm_surface* surface;
    gbm_bo* shown; // the buffer on screen
    int modeSet;   // our mode is on the screen
};

Kms kms = {-1, 0, 0, {}, nullptr, nullptr, nullptr, nullptr, 0};

// Finds a connected connector with modes on an open card, its preferred mode and
// a CRTC that can drive it. Returns 1 when found.
int findOutput(int fd, uint32_t* connector, uint32_t* crtc, drmModeModeInfo* mode) {
    drmModeRes* res = drmModeGetResources(fd);
    if (!res) return 0;
    int found = 0;
    for (int i = 0; i < res->count_connectors && !found; i++) {
        drmModeConnector* c = drmModeGetConnector(fd, res->connectors[i]);
        if (!c) continue;
        if (c->connection == DRM_MODE_CONNECTED && c->count_modes > 0) {
            KmsMode modes[MAX_MODES];
            const int n = c->count_modes < MAX_MODES ? c->count_modes : MAX_MODES;
            for (int m = 0; m < n; m++)
                modes[m] = {c->modes[m].hdisplay, c->modes[m].vdisplay, c->modes[m].vrefresh,
                            (c->modes[m].type & DRM_MODE_TYPE_PREFERRED) != 0};
            *mode = c->modes[kmsPickMode(modes, n)];
            *connector = c->connector_id;
            // The CRTC its encoder drives now, else the first one any of its encoders can use.
            for (int e = -1; e < c->count_encoders && !found; e++) {
                drmModeEncoder* enc = drmModeGetEncoder(fd, e < 0 ? c->encoder_id : c->encoders[e]);
                if (!enc) continue;
                if (e < 0 && enc->crtc_id) {
                    *crtc = enc->crtc_id;
                    found = 1;
                }
                for (int k = 0; k < res->count_crtcs && !found; k++)
                    if (enc->possible_crtcs & (1u << k)) {
                        *crtc = res->crtcs[k];
                        found = 1;
                    }
                drmModeFreeEncoder(enc);
            }
        }
        drmModeFreeConnector(c);
    }
    drmModeFreeResources(res);
    return found;
}

// Opens the first card that drives a connected screen; -1 when none does.
int openCard(uint32_t* connector, uint32_t* crtc, drmModeModeInfo* mode) {
    for (int i = 0; i < MAX_CARDS; i++) {
        char path[32];
        snprintf(path, sizeof path, "/dev/dri/card%d", i);
        int fd = open(path, O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        if (findOutput(fd, connector, crtc, mode)) return fd;
        close(fd);
    }
    return -1;
}

// Puts the console's mode back. Safe to call more than once, and from the last
// resort of a fatal signal.
void restoreMode() {
    if (kms.fd < 0 || !kms.saved || !kms.modeSet) return;
    drmModeSetCrtc(kms.fd, kms.saved->crtc_id, kms.saved->buffer_id, kms.saved->x, kms.saved->y,
                   &kms.connector, 1, &kms.saved->mode);
    kms.modeSet = 0;
}

// Frees a buffer's frame-buffer object with the buffer.
void destroyFb(gbm_bo* bo, void* data) {
    const uint32_t fb = (uint32_t)(uintptr_t)data;
    if (fb) drmModeRmFB(gbm_device_get_fd(gbm_bo_get_device(bo)), fb);
}

// The frame-buffer object of a GBM buffer, made once per buffer.
uint32_t fbOf(gbm_bo* bo) {
    if (void* data = gbm_bo_get_user_data(bo)) return (uint32_t)(uintptr_t)data;
    uint32_t fb = 0;
    if (drmModeAddFB(kms.fd, gbm_bo_get_width(bo), gbm_bo_get_height(bo), 24, 32, gbm_bo_get_stride(bo),
                     gbm_bo_get_handle(bo).u32, &fb) != 0)
        return 0;
    gbm_bo_set_user_data(bo, (void*)(uintptr_t)fb, destroyFb);
    return fb;
}

// Marks the page flip done. Called by drmHandleEvent.
void flipDone(int, unsigned, unsigned, unsigned, void* data) {
    *(int*)data = 0;
}

void kmsRelease();

// The card, its screen and mode, and a GBM surface of that size for EGL. From
// here on a fatal signal gives the console its mode back first.
int kmsWindow(DisplayTarget* t, const char** why) {
    kms.fd = openCard(&kms.connector, &kms.crtc, &kms.mode);
    if (kms.fd < 0) {
        *why = "no /dev/dri card drives a connected screen (is the user in the video group?)";
        return 0;
    }
    kms.saved = drmModeGetCrtc(kms.fd, kms.crtc);
    kms.gbm = gbm_create_device(kms.fd);
    if (kms.gbm)
        kms.surface = gbm_surface_create(kms.gbm, kms.mode.hdisplay, kms.mode.vdisplay, GBM_FORMAT_XRGB8888,
                                         GBM_BO_USE_SCANOUT | GBM_BO_USE_RENDERING);
    if (!kms.surface) {
        // Mesa could not load a driver for the card: on Debian its DRI drivers come in their own package.
        *why = "Mesa's DRI drivers are missing (install libgl1-mesa-dri)";
        kmsRelease();
        return 0;
    }
    sysLastResort(restoreMode);
    t->platform = EGL_PLATFORM_GBM_KHR;
    t->native_display = kms.gbm;
    t->window = (EGLNativeWindowType)kms.surface;
    t->surface_bit = EGL_WINDOW_BIT;
    t->visual_id = GBM_FORMAT_XRGB8888;
    t->width = kms.mode.hdisplay;
    t->height = kms.mode.vdisplay;
    return 1;
}

// Shows the buffer EGL just finished: the first one by setting our mode, then by a
// page flip that waits for vertical blank. The buffer shown before goes back to GBM.
void kmsAfterSwap() {
    gbm_bo* bo = gbm_surface_lock_front_buffer(kms.surface);
    if (!bo) return;
    const uint32_t fb = fbOf(bo);
    if (!kms.modeSet) {
        if (fb && drmModeSetCrtc(kms.fd, kms.crtc, fb, 0, 0, &kms.connector, 1, &kms.mode) == 0)
            kms.modeSet = 1;
    } else if (fb) {
        int waiting = 1;
        if (drmModePageFlip(kms.fd, kms.crtc, fb, DRM_MODE_PAGE_FLIP_EVENT, &waiting) == 0) {
            drmEventContext ev = {};
            ev.version = 2;
            ev.page_flip_handler = flipDone;
            while (waiting) {
                pollfd p = {kms.fd, POLLIN, 0};
                if (poll(&p, 1, 100) < 0 && errno != EINTR) break;
                if (p.revents & POLLIN) drmHandleEvent(kms.fd, &ev);
            }
        }
    }
    if (kms.shown) gbm_surface_release_buffer(kms.surface, kms.shown);
    kms.shown = bo;
}

// Puts the console's mode back and gives everything back. Called by pi_deinit after EGL is gone.
void kmsRelease() {
    restoreMode();
    sysLastResort(nullptr);
    if (kms.saved) drmModeFreeCrtc(kms.saved);
    if (kms.shown && kms.surface) gbm_surface_release_buffer(kms.surface, kms.shown);
    if (kms.surface) gbm_surface_destroy(kms.surface);
    if (kms.gbm) gbm_device_destroy(kms.gbm);
    if (kms.fd >= 0) close(kms.fd);
    kms = {-1, 0, 0, {}, nullptr, nullptr, nullptr, nullptr, 0};
}

// The presenter on the console's screen, and the keyboards read from /dev/input
// (SDL's dummy driver sees none).
int kmsOpen(int, int, int bpp) {
    if (!gpuOpen(&kmsDisplay, 320, 240, SDL_SWSURFACE | SDL_ANYFORMAT, bpp)) return 0;
    evdevOpen();
    return 1;
}

// The presenter and the screen given back (the console's mode with them), then the keyboards.
void kmsClose() {
    gpuClose();
    evdevClose();
}

} // namespace

const VideoDisplay kmsDisplay = {"kms",   kmsOpen,   gpuPresent,   kmsClose,
                                 "dummy", kmsWindow, kmsAfterSwap, kmsRelease};

// 1 when a card drives a connected screen. Called by videoInit for the automatic choice.
int kmsUsable() {
    uint32_t connector, crtc;
    drmModeModeInfo mode;
    int fd = openCard(&connector, &crtc, &mode);
    if (fd < 0) return 0;
    close(fd);
    return 1;
}

#else

// This build has no console display: the entry has no open.
const VideoDisplay kmsDisplay = {"kms", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

// This build has no console display.
int kmsUsable() {
    return 0;
}

#endif
