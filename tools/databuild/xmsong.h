// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The song reader: turns the text of a song (tempo, instruments, tracks, patterns
// and order list in our compact notation, see assets/music/README.txt) into a module
// ready for the XM writer.
#pragma once

#include "xm.h"

#include <string>

// Reads a song text into mod. Returns false with a message naming the line in err
// when the text is wrong. Called by the music builder and the tests.
bool xmParseSong(const std::string& text, XmModule& mod, std::string& err);
