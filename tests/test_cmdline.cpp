// The command line: later options override earlier ones, "-h" stops everything.
#include "game/startup.h"
#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Parses the given arguments (after the program name) from a clean start.
StartOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "blomp");
    aa2 = s2x = 0;
    StartOptions o;
    parseArgs((int)args.size(), const_cast<char**>(args.data()), &o);
    return o;
}

TEST(CmdLine, NoArgumentsMeanTheGpuModeIn16Bits) {
    StartOptions o = parse({});
    EXPECT_EQ(o.zoom, 0);
    EXPECT_EQ(o.fullScreen, 0);
    EXPECT_EQ(o.bpp, 16);
    EXPECT_EQ(o.test, 0);
    EXPECT_EQ(o.help, 0);
}

TEST(CmdLine, TheLaterOfWindowAndFullScreenWins) {
    StartOptions o = parse({"-fs", "-w"});
    EXPECT_EQ(o.zoom, 0);
    EXPECT_EQ(o.fullScreen, 0);
    o = parse({"-w", "-fs"});
    EXPECT_EQ(o.zoom, 1);
    EXPECT_EQ(o.fullScreen, 1);
}

TEST(CmdLine, AntialiasingFollowsTheLastZoomOption) {
    parse({"-aa", "-x2"});
    EXPECT_EQ(aa2, 0);
    StartOptions o = parse({"-x2", "-aa"});
    EXPECT_EQ(aa2, 1);
    EXPECT_EQ(o.zoom, 1);
    parse({"-aa", "-s2x"});
    EXPECT_EQ(aa2, 0);
    EXPECT_EQ(s2x, 1);
}

TEST(CmdLine, DepthFollowsTheLastOptionThatSetsIt) {
    EXPECT_EQ(parse({"-s2x", "-b24"}).bpp, 24);
    EXPECT_EQ(parse({"-b24", "-s2x"}).bpp, 16);
    EXPECT_EQ(parse({"-b24", "-t"}).bpp, 16);
}

TEST(CmdLine, HelpStopsTheParsingWhereverItStands) {
    StartOptions o = parse({"-fs", "-h", "-b24"});
    EXPECT_EQ(o.help, 1);
    EXPECT_EQ(o.bpp, 16); // never looked at
    EXPECT_EQ(o.zoom, 1);
}

TEST(CmdLine, LookAlikesAreIgnored) {
    StartOptions o = parse({"-FS", "-fss", "fs", "-W", "-b32", "--h", "-H", "-T", ""});
    EXPECT_EQ(o.zoom, 0);
    EXPECT_EQ(o.bpp, 16);
    EXPECT_EQ(o.help, 0);
    EXPECT_EQ(o.test, 0);
}

TEST(CmdLine, TestModeTurnsTheZoomOffAndAsksForTheTestLevel) {
    StartOptions o = parse({"-fs", "-aa", "-t"});
    EXPECT_EQ(o.test, 1);
    EXPECT_EQ(o.zoom, 0);
    EXPECT_EQ(o.fullScreen, 0);
    EXPECT_EQ(aa2, 0);
}

// Runs error() in a child process with standard output sent to a file; returns what it printed.
std::string errorOutput(const char* message, const char* detail) {
    char path[] = "/tmp/blomp_errorXXXXXX";
    int fd = mkstemp(path);
    close(fd);
    EXPECT_EXIT(
        {
            if (!freopen(path, "w", stdout)) _exit(3);
            error(message, detail);
        },
        ::testing::ExitedWithCode(1), "");
    std::string text;
    FILE* f = fopen(path, "r");
    for (int c; f && (c = fgetc(f)) != EOF;) text += (char)c;
    if (f) fclose(f);
    remove(path);
    return text;
}

TEST(CmdLine, ErrorPrintsMessageAndDetailAndExitsWithOne) {
    EXPECT_EQ(errorOutput("Can't load file", "plan3"), "Can't load file: plan3\n");
    EXPECT_EQ(errorOutput("Can't load file", nullptr), "Can't load file: unknown\n");
}

} // namespace
