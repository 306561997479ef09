// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The real program, started as a user would start it, and its command line: later
// options override earlier ones, "-h" stops everything.
#include "6draw/gfx.h"
#include "7game/startup.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string blomp(const std::string& args, int* status) {
    return runCommand("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " BLOMP_BINARY " " + args + " 2>/dev/null",
                      status);
}

TEST(Binary, HelpPrintsItsEightLinesAndEndsWell) {
    ScratchDir dir; // no data here: "-h" must not need any
    int status = -1;
    std::string out = blomp("-h", &status);
    EXPECT_EQ(status, 0);
    std::string expected;
    for (const char* line : helpLines) expected += std::string(line) + "\n";
    EXPECT_EQ(out, expected);
    EXPECT_EQ(expected.substr(0, 34), "-w : window mode (not fullscreen)\n");
    // Options before "-h" do not matter, nothing after it is looked at.
    EXPECT_EQ(blomp("-fs -b24 -h -x", &status), expected);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(fileExists("blomp.cfg")); // it stopped before anything was written
}

TEST(Binary, WithoutDataTheFirstBitmapIsFatal) {
    ScratchDir dir;
    int status = -1;
    std::string out = blomp("", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "Error loading gfx file: font\n");
    EXPECT_FALSE(fileExists("blomp.cfg")); // a fatal error writes no configuration
}

// kill or a logout ends the game at once, even on the intro screens, which wait
// out a closed window: the settings are written as after the last quit, status 0.
TEST(Binary, AStopSignalEndsTheGameWithItsSettingsWritten) {
    ScratchDir dir;
    dir.linkGameData();
    for (const std::string sig : {"TERM", "HUP"}) {
        remove("blomp.cfg");
        int status = -1;
        const std::string out = runCommand("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " BLOMP_BINARY
                                           " </dev/null >/dev/null 2>&1 & game=$!; sleep 2; kill -" +
                                               sig +
                                               " $game; (sleep 20; kill -KILL $game) >/dev/null 2>&1 & "
                                               "watchdog=$!; wait $game; echo $?; kill $watchdog",
                                           &status);
        EXPECT_EQ(out, "0\n") << "SIG" << sig << " (137: still running 20 s later)";
        EXPECT_TRUE(fileExists("blomp.cfg")) << "SIG" << sig;
    }
}

// The options page's key capture writes a line to standard output. With that a
// pipe nobody reads any more (a closed terminal, `blomp | head -0`) the write
// fails and the game goes on: it ends as the player asks, its settings written.
TEST(Binary, AClosedStandardOutputDoesNotEndTheGame) {
    ScratchDir dir;
    dir.linkGameData();
    // Through the intro screens, down to OPTIONS, four new keys, escape.
    writeText("script.txt", "tap 500 return\ntap 2000 return\ntap 2500 up\ntap 3000 up\ntap 3500 right\n"
                            "tap 5000 down\ntap 5500 down\ntap 6000 down\ntap 6500 down\ntap 7000 return\n"
                            "tap 7500 return\ntap 8500 a\ntap 9000 b\ntap 9500 c\ntap 10000 d\n"
                            "tap 11000 escape\nlimit 20000\n");
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    close(p[0]); // nobody reads
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(p[1], 1);
        dup2(open("/dev/null", O_WRONLY), 2);
        signal(SIGPIPE, SIG_DFL); // as a shell starts it
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(HARNESS_BINARY, HARNESS_BINARY, "script.txt", (char*)nullptr);
        _exit(127);
    }
    close(p[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_FALSE(WIFSIGNALED(status)) << "ended by " << strsignal(WTERMSIG(status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << WEXITSTATUS(status);
    EXPECT_TRUE(fileExists("blomp.cfg"));
}

// Parses the given arguments (after the program name) from a clean start.
StartOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "blomp");
    aa2 = s2x = 0;
    StartOptions o;
    parseArgs((int)args.size(), const_cast<char**>(args.data()), &o);
    return o;
}

TEST(CmdLine, LaterOptionsOverrideEarlierOnesAndHelpStopsEverything) {
    // Arguments, then what start-up makes of them: zoom, full screen, aa2, s2x, depth, test, help.
    const struct {
        std::vector<const char*> args;
        std::vector<int> want;
    } cases[] = {
        {{}, {0, 0, 0, 0, 16, 0, 0}},            // the GPU mode in 16 bits
        {{"-fs", "-w"}, {0, 0, 0, 0, 16, 0, 0}}, // the later of the two wins
        {{"-w", "-fs"}, {1, 1, 0, 0, 16, 0, 0}},
        {{"-aa", "-x2"}, {1, 0, 0, 0, 16, 0, 0}}, // no zoom buffer then
        {{"-x2", "-aa"}, {1, 0, 1, 0, 16, 0, 0}}, // ... but here
        {{"-aa", "-s2x"}, {1, 0, 0, 1, 16, 0, 0}},
        {{"-s2x", "-b24"}, {1, 0, 0, 1, 24, 0, 0}},
        {{"-b24", "-s2x"}, {1, 0, 0, 1, 16, 0, 0}},
        {{"-fs", "-aa", "-t"}, {0, 0, 0, 0, 16, 1, 0}},  // test mode: no zoom, the test level
        {{"-fs", "-h", "-b24"}, {1, 1, 0, 0, 16, 0, 1}}, // nothing after "-h" is looked at
        {{"-FS", "-fss", "fs", "-W", "-b32", "--h", "-H", "-T", ""}, {0, 0, 0, 0, 16, 0, 0}}, // look-alikes
    };
    for (const auto& c : cases) {
        StartOptions o = parse(c.args);
        std::string line;
        for (const char* a : c.args) line += std::string(a) + " ";
        EXPECT_EQ((std::vector<int>{o.zoom, o.fullScreen, aa2, s2x, o.bpp, o.test, o.help}), c.want) << line;
    }
}

} // namespace
