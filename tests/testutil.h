// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Small helpers shared by the tests: a scratch folder to run in, files in and out.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Makes a fresh empty folder under /tmp and changes into it; the destructor
// changes back and removes it. Game code reads ./data relative to it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& path() const { return dir; }
    void linkGameData() const; // ./data and ./mapsen pointing at the built game data

private:
    std::string dir;
    std::string oldCwd;
};

std::vector<uint8_t> readFile(const std::string& path); // whole file, empty when missing
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::string readText(const std::string& path); // whole file as text, empty when missing
void writeText(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);
std::vector<std::string> folderNames(const std::string& dir);    // names in a folder, "." and ".." aside
std::string runCommand(const std::string& command, int* status); // standard output and exit status

// A surface in a frame format: 5-6-5 for 16 bits, 8-8-8 in three bytes for 24, in four for 32.
SDL_Surface* frameSurface(int bpp, int w = 320, int h = 240);
Uint32 pixelAt(SDL_Surface* s, int x, int y); // one raw pixel value

// The offscreen frame with the game's archives, sprite font and level 1 blocks loaded
// from the run folder (which becomes the working folder); close undoes it all.
void openLevelScreen();
void closeLevelScreen();

// The game's audio device (22,050 Hz, 16 bits, stereo, effect channels) on the dummy
// driver, paused so that nothing is mixed and the tests play the audio thread, with the
// archives of the working folder open; closeTestAudio undoes it all.
void openTestAudio();
void closeTestAudio();

// Files for a hand-made archive: name inside it and bytes.
using ArchiveFiles = std::vector<std::pair<std::string, std::vector<uint8_t>>>;
bool writeDataArchive(const std::string& name, const ArchiveFiles& files); // ./data/<name>.zda, 1 on success
void linkDataArchives(std::initializer_list<const char*> names); // ./data/<name>.zda -> the built ones
bool writeLevelMaps(const std::vector<uint8_t>& level); // every language's maps, the level under every name

// Runs the harness on `script` (written to ./script.txt) with the dummy drivers;
// env goes before the command, options after the script. Returns what it printed.
std::string runHarness(const std::string& script, const std::string& env, const std::string& options,
                       int* status);

// The harness's "state <ms> name=value ..." lines of a run: the fields by the time they were taken.
using HarnessStates = std::map<unsigned, std::map<std::string, int>>;
HarnessStates harnessStates(const std::string& out);
int stateField(const HarnessStates& states, unsigned at, const std::string& name); // -999 when not taken

// A PNG file taken apart the way a viewer would: chunks with checked CRCs, the
// header's fields, and the inflated rows without their filter bytes. Takes 8-bit
// RGB or RGBA without interlace; anything else is an error.
struct DecodedPng {
    bool ok = false;
    std::string error;
    uint32_t w = 0, h = 0;
    int channels = 0;            // 3 for RGB, 4 for RGBA
    std::vector<uint8_t> pixels; // rows top down, channels bytes a pixel
};
DecodedPng decodePng(const std::vector<uint8_t>& file);
