// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Composing a frame of the game: back picture and moon, the map's tiles, the
// monsters and the figure, the HUD band, and the overlays of the moment (level
// intro, death message, pause menu, the title's logo, scroller and menu).
#pragma once

#include <SDL.h>
#include <cstdint>

#include "5world/world.h"

void drawScreen(int32_t frame, const Figure& figure,
                int present);                       // one whole frame; presents and paces when asked
void placeMoon();                                   // the moon's place for a new level (after worldStart)
void drawMonster(const Monster& m);                 // one monster at its map position
void drawMonsters();                                // every active monster
void drawFigure(const Figure& fig);                 // the figure's picture, while alive
void drawTiles(int32_t frame);                      // the visible map cells
void drawBlock(int x, int y, int tile);             // one tile at map position (x, y)
void drawWBlock(int x, int y, int phase, int half); // one water tile at map position (x, y)
void drawLoop(SDL_Surface* picture, int y, int height, int scroll,
              int sourceY); // a picture repeating across the width
