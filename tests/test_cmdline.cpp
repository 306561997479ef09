// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The command line: later options override earlier ones, "-h" stops everything.
// (The fatal error line is checked where files fail to load: test_gfx, test_map, test_binary.)
#include "7game/startup.h"
#include "6draw/gfx.h"

#include <gtest/gtest.h>

#include <string>
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
