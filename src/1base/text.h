// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's texts in four languages, looked up by number by every screen.
#pragma once

constexpr int NUM_LANGUAGES = 4;  // English, German, French, Spanish, in the order of the flags
constexpr int NUM_TEXTS = 90;     // texts per language
constexpr int MAX_TEXT_LEN = 39;  // longest text that must fit one line of the small font
constexpr int TEXT_SCROLLER = 89; // the title's scrolling text, the only longer one

extern int lang_id; // current language: 0 English, 1 German, 2 French, 3 Spanish; set by the language screen

// all texts, language-major: text n of language l is translation[l * NUM_TEXTS + n]
extern const char* const translation[NUM_LANGUAGES * NUM_TEXTS];

// Text n of the current language; "" for a number outside the table. Called by every screen.
const char* tr(int n);
