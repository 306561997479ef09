// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Small helpers shared by the tests: a scratch folder to run in, files in and out.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <string>
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

Uint32 pixelAt(SDL_Surface* s, int x, int y);                        // one raw pixel value
bool surfaceShows(SDL_Surface* dst, SDL_Surface* pic, int x, int y); // dst at (x, y) shows pic, its key aside

// The offscreen frame with the game's archives, sprite font and level 1 blocks loaded
// from the run folder (which becomes the working folder); close undoes it all.
void openLevelScreen();
void closeLevelScreen();
