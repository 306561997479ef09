// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Helpers shared by the tests.
#include "testutil.h"

#include "gfx/font.h"
#include "gfx/gfx.h"
#include "platform/video.h"
#include "platform/zda.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

ScratchDir::ScratchDir() {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) oldCwd = buf;
    char tmpl[] = "/tmp/blomp_testXXXXXX";
    if (mkdtemp(tmpl)) dir = tmpl;
    if (chdir(dir.c_str()) != 0) dir.clear();
}

ScratchDir::~ScratchDir() {
    if (!oldCwd.empty() && chdir(oldCwd.c_str()) != 0) return;
    if (!dir.empty()) {
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0) return;
    }
}

void ScratchDir::linkGameData() const {
    if (symlink(BLOMP_RUN_DIR "/data", (dir + "/data").c_str()) != 0) return;
    if (symlink(BLOMP_RUN_DIR "/mapsen", (dir + "/mapsen").c_str()) != 0) return;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    for (int c; (c = fgetc(f)) != EOF;) out.push_back((uint8_t)c);
    fclose(f);
    return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string readText(const std::string& path) {
    const std::vector<uint8_t> b = readFile(path);
    return std::string(b.begin(), b.end());
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool fileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> folderNames(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = opendir(dir.c_str());
    if (!d) return out;
    while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") out.push_back(n);
    }
    closedir(d);
    return out;
}

std::string runCommand(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        if (status) *status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int st = pclose(p);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

Uint32 pixelAt(SDL_Surface* s, int x, int y) {
    const uint8_t* p = (const uint8_t*)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    memcpy(&v, p, s->format->BytesPerPixel);
    return v;
}

bool surfaceShows(SDL_Surface* dst, SDL_Surface* pic, int x, int y) {
    const bool keyed = (pic->flags & SDL_SRCCOLORKEY) != 0;
    for (int j = 0; j < pic->h; j++)
        for (int i = 0; i < pic->w; i++) {
            Uint32 v = pixelAt(pic, i, j);
            if (keyed && v == pic->format->colorkey) continue;
            if (pixelAt(dst, x + i, y + j) != v) return false;
        }
    return true;
}

void openLevelScreen() {
    videoOpenOffscreen();
    if (chdir(BLOMP_RUN_DIR) != 0) return;
    openArchives();
    loadSpriteFont(1);
    initBlocks(1);
}

void closeLevelScreen() {
    freeBlocks();
    destroyFonts();
    closeArchives();
    videoCloseOffscreen();
}

namespace {
// Every test runs headless: no window, no sound card. Set before any test touches SDL,
// whoever starts the binary (CTest, a developer, a debugger).
struct Headless {
    Headless() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
} headless;
} // namespace
