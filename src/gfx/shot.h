// Screenshots: any surface written as an RGB PNG file, for tests and for looking at screens.
#pragma once

#include <SDL.h>

// Writes s as an 8-bit RGB PNG at path (atomically); 1 on success, 0 on failure.
int saveSurfacePNG(SDL_Surface* s, const char* path);
