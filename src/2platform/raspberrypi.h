// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The GPU presenter: every presented frame is uploaded into one texture, drawn
// over the display through the scan-line shader with its aspect kept, and
// swapped in step with the display's refresh. The native window comes from one
// of the GPU displays (an X11 window, the console through KMS, an off-screen
// buffer); its state stays inside; pi_picture_size tells its sizes.
#pragma once

#include <cstdint>

struct VideoDisplay;

// Brings the presenter up on display d's window: EGL, the shader program, the
// texture and the geometry. width x height is the frame, depth its bits per pixel
// (16: 5-6-5, 24: bytes red, green, blue), pixels its buffer, which must stay put
// until pi_deinit. Returns 1, or 0 with the reason in pi_error() and everything
// released again.
int pi_init(const VideoDisplay* d, int width, int height, int depth, int keep_aspect, const void* pixels);
void gles2_draw();      // uploads the frame and draws the picture; gpuPresent, each frame
void pi_videoflip();    // shows it on the display's next refresh; gpuPresent, each frame
void pi_deinit();       // tears everything down; gpuClose, and pi_init after a failure
const char* pi_error(); // why the last pi_init failed
// The display's size and the picture's on it; 0 when the presenter is not running.
int pi_picture_size(uint32_t* screen_w, uint32_t* screen_h, uint32_t* picture_w, uint32_t* picture_h);

// The size of the picture on a display of sw x sh for a frame of w x h with its
// aspect kept: the share of width and height it covers, and its size in pixels.
void gles2_aspect(uint32_t w, uint32_t h, uint32_t sw, uint32_t sh, float* scale_x, float* scale_y,
                  uint32_t* out_w, uint32_t* out_h);

extern const char* gles2VertexSource;   // the vertex shader's text (tests put a broken one here)
extern const char* gles2FragmentSource; // the fragment shader's text
