// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Helpers shared by the tests.
#include "testutil.h"

#include "2platform/video.h"
#include "2platform/zda.h"
#include "2platform/zdawrite.h"
#include "3audio/music.h"
#include "3audio/sound.h"
#include "6draw/font.h"
#include "6draw/gfx.h"

#include <gtest/gtest.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

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

SDL_Surface* frameSurface(int bpp, int w, int h) {
    if (bpp == 16) return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bpp, 0xFF0000, 0x00FF00, 0x0000FF, 0);
}

Uint32 pixelAt(SDL_Surface* s, int x, int y) {
    const uint8_t* p = (const uint8_t*)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    memcpy(&v, p, s->format->BytesPerPixel);
    return v;
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

void openTestAudio() {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    mpFrequency = mpChannels = 0; // set again by the open
    ASSERT_EQ(MP_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    SDL_PauseAudio(1);
    allocateSFXChannels();
    openArchives();
}

void closeTestAudio() {
    closeArchives();
    closeAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool writeDataArchive(const std::string& name, const ArchiveFiles& files) {
    mkdir("data", 0755);
    std::vector<ZdaItem> items;
    for (const auto& f : files) items.push_back({f.first.c_str(), f.second.data(), (int32_t)f.second.size()});
    return writeZDA(("data/" + name + ".zda").c_str(), items.data(), (int)items.size()) == 1;
}

void linkDataArchives(std::initializer_list<const char*> names) {
    mkdir("data", 0755);
    for (const char* a : names) {
        const std::string file = std::string(a) + ".zda";
        if (symlink((BLOMP_RUN_DIR "/data/" + file).c_str(), ("data/" + file).c_str()) != 0) return;
    }
}

bool writeLevelMaps(const std::vector<uint8_t>& level) {
    static const char* const names[17] = {"plan0", "beginner", "plan8", "plan2", "plan6", "planc",
                                          "plan1", "plan3",    "plan4", "plan7", "plana", "plan9",
                                          "planb", "plan5",    "pland", "plane", "planf"};
    ArchiveFiles files;
    for (const char* n : names) files.push_back({std::string(n) + ".bin", level});
    for (int lang = 0; lang < 4; lang++)
        if (!writeDataArchive(archives[maps[lang]], files)) return false;
    return true;
}

std::string runHarness(const std::string& script, const std::string& env, const std::string& options,
                       int* status) {
    writeFile("script.txt", std::vector<uint8_t>(script.begin(), script.end()));
    return runCommand("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + env +
                          " " HARNESS_BINARY " script.txt " + options + " 2>&1",
                      status);
}

HarnessStates harnessStates(const std::string& out) {
    HarnessStates states;
    std::istringstream lines(out);
    std::string line, word;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        unsigned at = 0;
        if (!(words >> word) || word != "state" || !(words >> at)) continue;
        while (words >> word) {
            const size_t eq = word.find('=');
            if (eq != std::string::npos) states[at][word.substr(0, eq)] = atoi(word.c_str() + eq + 1);
        }
    }
    return states;
}

int stateField(const HarnessStates& states, unsigned at, const std::string& name) {
    const auto s = states.find(at);
    if (s == states.end()) return -999;
    const auto f = s->second.find(name);
    return f == s->second.end() ? -999 : f->second;
}

static uint32_t readBe32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

DecodedPng decodePng(const std::vector<uint8_t>& f) {
    DecodedPng d;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (f.size() < 8 || memcmp(f.data(), signature, 8) != 0) return d.error = "signature", d;
    std::vector<uint8_t> idat;
    std::vector<std::string> order;
    size_t at = 8;
    while (at + 12 <= f.size()) {
        const uint32_t len = readBe32(f, at);
        if (at + 12 + len > f.size()) return d.error = "chunk past the end", d;
        const std::string type(f.begin() + at + 4, f.begin() + at + 8);
        if (readBe32(f, at + 8 + len) != (uint32_t)crc32(0L, f.data() + at + 4, len + 4))
            return d.error = "CRC of " + type, d;
        order.push_back(type);
        if (type == "IHDR") {
            if (len != 13) return d.error = "IHDR length", d;
            d.w = readBe32(f, at + 8);
            d.h = readBe32(f, at + 12);
            const uint8_t* rest = &f[at + 16];
            d.channels = rest[1] == 6 ? 4 : rest[1] == 2 ? 3 : 0;
            if (rest[0] != 8 || !d.channels || rest[2] || rest[3] || rest[4])
                return d.error = "not 8-bit RGB(A)", d;
        } else if (type == "IDAT") {
            idat.insert(idat.end(), f.begin() + at + 8, f.begin() + at + 8 + len);
        }
        at += 12 + len;
    }
    if (at != f.size()) return d.error = "bytes after the last chunk", d;
    if (order.empty() || order.front() != "IHDR" || order.back() != "IEND") return d.error = "chunk order", d;
    const size_t stride = 1 + (size_t)d.w * d.channels;
    std::vector<uint8_t> raw(stride * d.h);
    uLongf rawLen = (uLongf)raw.size();
    if (uncompress(raw.data(), &rawLen, idat.data(), (uLong)idat.size()) != Z_OK || rawLen != raw.size())
        return d.error = "IDAT does not inflate to the picture's size", d;
    for (uint32_t y = 0; y < d.h; y++) {
        if (raw[y * stride] != 0) return d.error = "filter byte", d;
        d.pixels.insert(d.pixels.end(), raw.begin() + y * stride + 1, raw.begin() + (y + 1) * stride);
    }
    d.ok = true;
    return d;
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
