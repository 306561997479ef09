// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Paths of the game's own files, and the configuration file: read once at
// start-up, written once at exit.
#include "4io/config.h"

#include <cstdlib>
#include <cstring>

#include "3audio/music.h"
#include "3audio/sound.h"
#include "4io/input.h"
#include "2platform/savefile.h"
#include "2platform/zda.h"

const char* configFolder = nullptr;
const char* const params[NUM_PARAMS] = {"jump", "fire", "start", "up", "down", "left", "right"};

namespace {

char fname_buf[FILENAME_SIZE]; // the one buffer filename() writes into

constexpr int32_t NOT_FOUND = -1;           // a binding the file does not give
constexpr int32_t MIN_SETTINGS_SIZE = 10;   // shorter files hold no setting line worth scanning for
constexpr int MAX_SEARCH_TEXT = 16;         // "k_start=" and the like
constexpr int CONFIG_TEXT_SIZE = 2048;      // the whole file as dumpConfig writes it, pad lines too
constexpr int64_t NUMBER_LIMIT = INT32_MAX; // absurdly long numbers stop here rather than wrap

// Where the bindings of each name in params go.
int32_t* const keyBinding[NUM_PARAMS] = {&JUMP_KEY, &FIRE_KEY, &START_KEY, &UP_KEY,
                                         &DOWN_KEY, &LEFT_KEY, &RIGHT_KEY};
int32_t* const buttonBinding[NUM_PARAMS] = {&JUMP_BUTTON, &FIRE_BUTTON, &START_BUTTON, &UP_BUTTON,
                                            &DOWN_BUTTON, &LEFT_BUTTON, &RIGHT_BUTTON};

// Characters other than letters and digits that a hand-written key line may bind.
const char keyPunctuation[] = {' ', '#', '*', ',', ':', ';', '<', '>'};

// How a setting line changes its variable.
enum SettingRule {
    RULE_RANGE, // lo..hi taken as is, anything else gives fallback
    RULE_CLAMP, // clamped to lo..hi
    RULE_FLAG,  // the number 1 sets the bit `fallback` in the variable; nothing ever clears it
};

struct Setting {
    const char* key;
    SettingRule rule;
    int32_t* var;
    int32_t lo, hi, fallback;
};

// The setting lines, compared in this order at every position of the file.
const Setting settings[] = {
    {"mus_volume=", RULE_RANGE, &_mus_volume_100_, 0, 100, 100},
    {"sfx_volume=", RULE_RANGE, &_sfx_volume_100_, 0, 100, 100},
    {"mpFlagsOVERSAMPLING=", RULE_FLAG, &mpFlags, 0, 0, 1},
    {"mpFlagsNOISE_REDUCTION=", RULE_FLAG, &mpFlags, 0, 0, 2},
    {"mpFlagsREVERB=", RULE_FLAG, &mpFlags, 0, 0, 4},
    {"mpFlagsMEGABASS=", RULE_FLAG, &mpFlags, 0, 0, 8},
    {"mpFlagsSURROUND=", RULE_FLAG, &mpFlags, 0, 0, 16},
    {"mpResamplingMode=", RULE_RANGE, &mpResamplingMode, 0, 3, 1},
    {"mpReverbDepth=", RULE_CLAMP, &mpReverbDepth, 0, 100, 0},
    {"mpReverbDelay=", RULE_CLAMP, &mpReverbDelay, 40, 200, 0},
    {"mpBassAmount=", RULE_CLAMP, &mpBassAmount, 0, 100, 0},
    {"mpBassRange=", RULE_CLAMP, &mpBassRange, 10, 100, 0},
    {"mpSurroundDepth=", RULE_CLAMP, &mpSurroundDepth, 0, 100, 0},
    {"mpSurroundDelay=", RULE_CLAMP, &mpSurroundDelay, 5, 40, 0},
};

// One line of the written file: a key and its variable, or one bit of it written as 0 or 1.
struct ConfigLine {
    const char* key;
    const int32_t* var;
    int32_t bit; // 0: the value itself
};

const ConfigLine configLines[CONFIG_LINES] = {
    {"mus_volume=", &_mus_volume_100_, 0},
    {"sfx_volume=", &_sfx_volume_100_, 0},
    {"j_jump=", &padBase.jump, 0}, // the buttons of a pad the table does not know
    {"j_fire=", &padBase.fire, 0},
    {"j_start=", &padBase.start, 0},
    {"j_up=", &UP_BUTTON, 0},
    {"j_down=", &DOWN_BUTTON, 0},
    {"j_left=", &LEFT_BUTTON, 0},
    {"j_right=", &RIGHT_BUTTON, 0},
    {"mpFlagsOVERSAMPLING=", &mpFlags, 1},
    {"mpResamplingMode=", &mpResamplingMode, 0},
    {"mpFlagsNOISE_REDUCTION=", &mpFlags, 2},
    {"mpFlagsREVERB=", &mpFlags, 4},
    {"mpReverbDepth=", &mpReverbDepth, 0},
    {"mpReverbDelay=", &mpReverbDelay, 0},
    {"mpFlagsMEGABASS=", &mpFlags, 8},
    {"mpBassAmount=", &mpBassAmount, 0},
    {"mpBassRange=", &mpBassRange, 0},
    {"mpFlagsSURROUND=", &mpFlags, 16},
    {"mpSurroundDepth=", &mpSurroundDepth, 0},
    {"mpSurroundDelay=", &mpSurroundDelay, 0},
};

// Reads a decimal number at p, as a person would write it: leading blanks and a sign
// allowed, up to the first non-digit or the end of the file; no digits is 0.
// Called by the binding and setting scans.
int32_t readNumber(const uint8_t* buf, int32_t size, int32_t p) {
    while (p < size && (buf[p] == ' ' || buf[p] == '\t')) p++;
    int negative = 0;
    if (p < size && (buf[p] == '-' || buf[p] == '+')) negative = buf[p++] == '-';
    int64_t value = 0;
    for (; p < size && buf[p] >= '0' && buf[p] <= '9'; p++) {
        value = value * 10 + (buf[p] - '0');
        if (value > NUMBER_LIMIT) value = NUMBER_LIMIT;
    }
    return int32_t(negative ? -value : value);
}

// True when the text lies at p in full. Called by the scans.
int textAt(const uint8_t* buf, int32_t size, int32_t p, const char* text, int32_t n) {
    return p + n <= size && memcmp(buf + p, text, (size_t)n) == 0;
}

// Finds the key and button values of one binding name; a negative value counts as
// absent. The scan stops once both are found, so the first complete pair wins.
// Called by loadConfig.
void scanBinding(const uint8_t* buf, int32_t size, const char* name, int32_t* keyValue,
                 int32_t* buttonValue) {
    char keyText[MAX_SEARCH_TEXT], buttonText[MAX_SEARCH_TEXT];
    snprintf(keyText, sizeof keyText, "k_%s=", name);
    snprintf(buttonText, sizeof buttonText, "j_%s=", name);
    int32_t n = (int32_t)strlen(keyText);
    *keyValue = *buttonValue = NOT_FOUND;
    // A value must end at least two bytes before the end of the file to be seen.
    for (int32_t p = 0; p < size - n - 1; p++) {
        if (*keyValue >= 0 && *buttonValue >= 0) break;
        int32_t v;
        if (textAt(buf, size, p, keyText, n)) {
            uint8_t c = buf[p + n];
            v = c >= 'a' && c <= 'z' ? c : readNumber(buf, size, p + n);
            if (v >= 0) *keyValue = v;
        } else if (textAt(buf, size, p, buttonText, n)) {
            v = readNumber(buf, size, p + n);
            if (v >= 0) *buttonValue = v;
        }
    }
}

// Applies one setting's rule to the number read for it. Called by scanSettings.
void applySetting(const Setting& s, int32_t v) {
    switch (s.rule) {
    case RULE_RANGE: *s.var = v >= s.lo && v <= s.hi ? v : s.fallback; break;
    case RULE_CLAMP: *s.var = v < s.lo ? s.lo : v > s.hi ? s.hi : v; break;
    case RULE_FLAG:
        if (v == 1) *s.var |= s.fallback;
        break;
    }
}

// Applies every setting line found, a later line overriding an earlier one. Called by loadConfig.
void scanSettings(const uint8_t* buf, int32_t size) {
    if (size < MIN_SETTINGS_SIZE) return;
    for (int32_t p = 0; p < size - MIN_SETTINGS_SIZE; p++) {
        for (const Setting& s : settings) {
            int32_t n = (int32_t)strlen(s.key);
            if (!textAt(buf, size, p, s.key, n)) continue;
            applySetting(s, readNumber(buf, size, p + n));
            break;
        }
    }
}

// The start of a pad line: "padbind=<start> <jump> <the pad's name>". Nothing in it
// reads as a key the older rules know, so a file with pad lines still reads the same there.
const char* const PAD_LINE = "padbind=";

// Reads every pad line at the start of a line into the remembered pads. Called by loadConfig.
void scanPadLines(const uint8_t* buf, int32_t size) {
    const int32_t n = (int32_t)strlen(PAD_LINE);
    int count = 0;
    for (int32_t p = 0; p < size && count < MAX_PAD_MEMORY; p++) {
        if ((p > 0 && buf[p - 1] != '\n') || !textAt(buf, size, p, PAD_LINE, n)) continue;
        char line[PAD_NAME + 32];
        int32_t len = 0;
        while (p + n + len < size && buf[p + n + len] != '\n' && len < (int32_t)sizeof line - 1) {
            line[len] = (char)buf[p + n + len];
            len++;
        }
        line[len] = 0;
        int start = -1, jump = -1, used = 0;
        if (sscanf(line, "%d %d %n", &start, &jump, &used) < 2 || start < 0 || jump < 0 || !line[used])
            continue;
        PadMemory& m = padMemory[count++];
        m.start = start;
        m.jump = jump;
        snprintf(m.name, sizeof m.name, "%s", line + used);
    }
}

} // namespace

// Chooses the folder for the game's files: the working directory. Called by main first thing.
void getConfigFolder() {
    configFolder = nullptr;
}

// Builds "./name.ext" or "./folder/name.ext" in a static buffer that the next call
// overwrites. Called by the configuration, hiscore and saved-game code.
const char* filename(const char* folder, const char* name, const char* extension) {
    if (!folder)
        snprintf(fname_buf, sizeof fname_buf, "%s%s.%s", "./", name, extension);
    else
        snprintf(fname_buf, sizeof fname_buf, "%s%s%c%s.%s", "./", folder, '/', name, extension);
    return fname_buf;
}

// Accepts a key the file may bind: a lower-case letter, a digit or one of a few
// punctuation keys; cursor keys, return and capitals keep the current binding.
// Called by loadConfig.
int32_t keyID(int32_t value, int32_t current) {
    if ((value >= 'a' && value <= 'z') || (value >= '0' && value <= '9')) return value;
    for (char c : keyPunctuation)
        if (value == c) return value;
    return current;
}

// Reads blomp.cfg into the volumes, bindings and mixer settings; a missing or empty
// file changes nothing. Called by main once the audio is open.
void loadConfig() {
    int32_t size = 0;
    uint8_t* buf = loadBINFile(filename(configFolder, "blomp", "cfg"), &size);
    if (!buf) return;
    if (size <= 0) {
        free(buf);
        return;
    }
    int32_t keyValue[NUM_PARAMS], buttonValue[NUM_PARAMS];
    for (int i = 0; i < NUM_PARAMS; i++) scanBinding(buf, size, params[i], &keyValue[i], &buttonValue[i]);
    scanSettings(buf, size);
    for (int i = 0; i < NUM_PARAMS; i++) {
        *keyBinding[i] = keyID(keyValue[i], *keyBinding[i]);
        if (buttonValue[i] >= 0) *buttonBinding[i] = buttonValue[i];
    }
    _mus_volume_ = percentToVolume(_mus_volume_100_);
    _sfx_volume_ = percentToVolume(_sfx_volume_100_);
    scanPadLines(buf, size);
    inputPadBindingsRead();
    free(buf);
}

// Writes the 21 setting lines; the old file is replaced whole or not at all, so a crash
// while writing never loses the settings. Key bindings are not written. Called by exitGame.
void dumpConfig() {
    char text[CONFIG_TEXT_SIZE];
    int len = 0;
    for (const ConfigLine& l : configLines) {
        int32_t v = l.bit ? (*l.var & l.bit) != 0 : *l.var;
        int n = snprintf(text + len, sizeof text - (size_t)len, "%s%d\n", l.key, (int)v);
        if (n < 0 || n >= (int)sizeof text - len) return; // cannot happen with 21 short lines
        len += n;
    }
    for (const PadMemory& m : padMemory) {
        if (!m.name[0]) continue;
        int n = snprintf(text + len, sizeof text - (size_t)len, "%s%d %d %s\n", PAD_LINE, (int)m.start,
                         (int)m.jump, m.name);
        if (n < 0 || n >= (int)sizeof text - len) return; // eight short lines fit
        len += n;
    }
    saveGameFile(filename(configFolder, "blomp", "cfg"), (const uint8_t*)text, len);
}

// Writes one key line the way a person would: a letter as itself, anything else as a
// number. Kept for hand-made configuration files; the game never writes key lines.
void dumpKey(const char* name, int32_t key, FILE* file) {
    if (!file) return;
    if (key >= 'a' && key <= 'z')
        fprintf(file, "k_%s=%c\n", name, (char)key);
    else
        fprintf(file, "k_%s=%d\n", name, (int)key);
}
