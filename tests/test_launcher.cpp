// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The installed launcher: it gives each player a folder of their own with links
// to the installed data, starts the game there with the options given, keeps a
// data folder the player made, and says why when there is no folder to use; and the
// icon the desktop shows for it.
#include "icon.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An installed tree in a scratch folder: the launcher in games/, a stand-in for
// the game in libexec/blomp that prints where it runs and with what, and data.
class Launcher : public ::testing::Test {
protected:
    ScratchDir scratch;
    std::string prefix, home;

    void SetUp() override {
        prefix = scratch.path() + "/usr";
        home = scratch.path() + "/home";
        int status = -1;
        runCommand("mkdir -p usr/games usr/libexec/blomp usr/share/games/blomp/data "
                   "usr/share/games/blomp/mapsen home",
                   &status);
        ASSERT_EQ(status, 0);
        std::vector<uint8_t> launcher = readFile(BLOMP_SOURCE_DIR "/packaging/blomp.sh");
        ASSERT_FALSE(launcher.empty());
        writeFile(prefix + "/games/blomp", launcher);
        writeText(prefix + "/libexec/blomp/blomp",
                  "#!/bin/sh\necho \"cwd=$(pwd -P) args=$*\"\ncat data/gfx.zda\n");
        ASSERT_EQ(chmod((prefix + "/games/blomp").c_str(), 0755), 0);
        ASSERT_EQ(chmod((prefix + "/libexec/blomp/blomp").c_str(), 0755), 0);
        writeText(prefix + "/share/games/blomp/data/gfx.zda", "installed archive\n");
    }

    // Runs the launcher with the given environment in front; returns what it printed.
    std::string launch(const std::string& env, const std::string& args, int* status) {
        return runCommand(
            "env -i PATH=/usr/bin:/bin " + env + " " + prefix + "/games/blomp " + args + " 2>&1", status);
    }

    static std::string linkOf(const std::string& path) {
        char buf[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
        return n < 0 ? "" : std::string(buf, (size_t)n);
    }
};

TEST_F(Launcher, PicksThePlayersFolderAndStartsTheGameThere) {
    const struct {
        const char* name;
        std::string env;
        std::string folder; // where the game must run
    } cases[] = {
        {"home only", "HOME=" + home, home + "/.local/share/blomp"},
        {"XDG_DATA_HOME absolute", "HOME=" + home + " XDG_DATA_HOME=" + home + "/xdg", home + "/xdg/blomp"},
        {"XDG_DATA_HOME relative is ignored", "HOME=" + home + " XDG_DATA_HOME=rel",
         home + "/.local/share/blomp"},
        {"XDG_DATA_HOME empty", "HOME=" + home + " XDG_DATA_HOME=", home + "/.local/share/blomp"},
    };
    for (const auto& c : cases) {
        int status = -1;
        const std::string out = launch(c.env, "-x2 -b24", &status);
        EXPECT_EQ(status, 0) << c.name << ": " << out;
        char real[PATH_MAX];
        ASSERT_TRUE(realpath(c.folder.c_str(), real)) << c.name;
        EXPECT_EQ(out, "cwd=" + std::string(real) + " args=-x2 -b24\ninstalled archive\n") << c.name;
        EXPECT_EQ(linkOf(c.folder + "/data"), prefix + "/share/games/blomp/data") << c.name;
        EXPECT_EQ(linkOf(c.folder + "/mapsen"), prefix + "/share/games/blomp/mapsen") << c.name;
    }
}

// A folder an earlier start has set up is used as it is, even when it cannot be written;
// an old link to data elsewhere (an earlier install) is renewed, and a player's own data kept.
TEST_F(Launcher, ACompleteFolderIsLeftAsItIsAnOldLinkRenewedAndAPlayersOwnDataKept) {
    const std::string folder = home + "/.local/share/blomp";
    int status = -1;
    launch("HOME=" + home, "", &status);
    ASSERT_EQ(status, 0);
    // The links' own times are set far back: a link made anew would carry the time of now.
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    for (const char* item : {"/data", "/mapsen"})
        ASSERT_EQ(utimensat(AT_FDCWD, (folder + item).c_str(), old, AT_SYMLINK_NOFOLLOW), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    std::string out = launch("HOME=" + home, "-w", &status);
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("args=-w\ninstalled archive"), std::string::npos) << out;
    for (const char* item : {"/data", "/mapsen"}) {
        struct stat st;
        ASSERT_EQ(lstat((folder + item).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1000) << item;
    }
    ASSERT_EQ(unlink((folder + "/data").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/data", (folder + "/data").c_str()), 0);
    out = launch("HOME=" + home, "", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(linkOf(folder + "/data"), prefix + "/share/games/blomp/data");
    ASSERT_EQ(unlink((folder + "/data").c_str()), 0); // a real folder the player put there
    ASSERT_EQ(mkdir((folder + "/data").c_str(), 0755), 0);
    writeText(folder + "/data/gfx.zda", "my own archive\n");
    out = launch("HOME=" + home, "", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("my own archive"), std::string::npos) << out;
    EXPECT_EQ(linkOf(folder + "/data"), "");
}

TEST_F(Launcher, WithoutAFolderToUseItSaysWhyAndFails) {
    int status = -1;
    std::string out = launch("", "", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("neither HOME nor XDG_DATA_HOME"), std::string::npos) << out;
    // a file where the folder should be
    writeFile(home + "/.local", {'x'});
    out = launch("HOME=" + home, "", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("cannot make the folder"), std::string::npos) << out;
    EXPECT_EQ(out.find("cwd="), std::string::npos) << out;
}

// The program's icon: the PNG files a desktop reads are well-formed and carry the
// picture drawn, and the picture is Blomp on a clear background at every size.
// The icon files at every size, and a 3 x 2 picture with every byte distinct (a
// writer that mixes up width and height fails on it), read back as a viewer would.
TEST(Icon, EverySizeIsAValidPngOfThePictureDrawn) {
    std::vector<std::pair<int, int>> shapes = {{3, 2}};
    for (int size : ICON_SIZES) shapes.push_back({size, size});
    for (const auto& s : shapes) {
        std::vector<uint8_t> pic(3 * 2 * 4);
        for (size_t i = 0; i < pic.size(); i++) pic[i] = (uint8_t)(i * 7 + 1);
        if (s.first == s.second) pic = drawIcon(s.first);
        ASSERT_EQ(pic.size(), (size_t)s.first * s.second * 4) << s.first;
        const DecodedPng d = decodePng(pngRGBA(pic, s.first, s.second));
        ASSERT_TRUE(d.ok) << s.first << ": " << d.error;
        EXPECT_EQ(d.channels, 4) << s.first;
        EXPECT_EQ(d.w, (uint32_t)s.first);
        EXPECT_EQ(d.h, (uint32_t)s.second);
        EXPECT_TRUE(d.pixels == pic) << s.first;
    }
}

TEST(Icon, BlompSitsOnAClearBackgroundAtEverySize) {
    for (int size : ICON_SIZES) {
        const std::vector<uint8_t> pic = drawIcon(size);
        auto px = [&](double fx, double fy) {
            const int x = (int)(fx * size), y = (int)(fy * size);
            return &pic[((size_t)y * size + x) * 4];
        };
        // the corners are clear, the middle of the body solid and orange (red over green over blue)
        for (auto corner : {px(0, 0), px(0.99, 0), px(0, 0.99), px(0.99, 0.99)})
            EXPECT_EQ(corner[3], 0) << size;
        const uint8_t* belly = px(0.5, 0.75);
        EXPECT_EQ(belly[3], 255) << size;
        EXPECT_TRUE(belly[0] > belly[1] && belly[1] > belly[2]) << size;
        // how much of the square he covers: a disc of radius 0.45
        double cover = 0;
        for (size_t i = 0; i < pic.size(); i += 4) cover += pic[i + 3] / 255.0;
        cover /= (double)size * size;
        EXPECT_NEAR(cover, M_PI * 0.449 * 0.449, 0.03) << size;
    }
}

} // namespace
