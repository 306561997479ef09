// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The program's entry: everything happens in blompMain, which tests can call too.
#include "7game/startup.h"

int main(int argc, char** argv) {
    return blompMain(argc, argv);
}
