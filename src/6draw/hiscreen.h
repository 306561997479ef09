// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The hiscore page of the title and the name entry after a game.
#pragma once

struct Figure;

void drawHiscorePage();            // the ten entries over the darkened title
void checkHiscore(Figure& figure); // the name entry when the score enters the table
