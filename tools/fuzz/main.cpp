// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// One libFuzzer program: the target named by BLOMP_FUZZ_TARGET at build time.
#include "fuzz.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The entry function of this program's target; found once.
int (*entry)(const uint8_t*, size_t) = nullptr;

} // namespace

// libFuzzer's entry: one input through the target. Every input is kept by libFuzzer's own rules.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!entry) {
        for (const FuzzTarget& t : fuzzTargets)
            if (strcmp(t.name, BLOMP_FUZZ_TARGET) == 0) entry = t.entry;
        if (!entry) {
            fprintf(stderr, "fuzz: no target %s\n", BLOMP_FUZZ_TARGET);
            abort();
        }
    }
    entry(data, size);
    return 0;
}
