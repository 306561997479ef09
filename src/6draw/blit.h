// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's own blitters for pictures in the frame format. SDL's general blit
// costs a few hundred instructions of set-up per call and tests every pixel of a
// colour-keyed picture; a frame holds over a hundred small pictures. Here a
// keyed picture whose pixels no longer change is prepared once ("stamped"): per
// row the bytes to draw, a mask of the bytes to keep, and the span that shows.
// Drawing it is then a few wide masked copies a row. The pixels are exactly
// those SDL's own blits give; anything these functions do not handle (other
// formats, per-surface alpha, surfaces that need locking) is left to SDL.
#pragma once

#include <SDL.h>

void stampSurface(SDL_Surface* s);   // prepares a keyed picture for fastBlit (pixels final, frame format)
void unstampSurface(SDL_Surface* s); // forgets the preparation; before s is freed
int stampCount();                    // pictures prepared now

// SDL_UpperBlit's clipping and result, drawn here; returns 0 when SDL must do it.
int fastBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect);
// SDL_FillRect's clipping and result (r null: the whole clip rectangle); 0 when SDL must do it.
int fastFill(SDL_Surface* dst, SDL_Rect* r, Uint32 colour);
// The 50 % blend of black over the w x h rectangle at the top left of dst, as
// SDL's per-surface alpha 128 gives it: every channel halved; 0 when SDL must do it.
int fastHalve(SDL_Surface* dst, int w, int h);
