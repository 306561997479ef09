// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The button layouts of the pads people plug into a Pi. SDL reports only button
// numbers, and each kind of pad numbers its buttons its own way; the pad's name
// tells which layout it has.
#pragma once

// Which button does what on one kind of pad.
struct PadLayout {
    const char* kind; // shown in the README's table and the tests
    int start, select, jump, fire;
};

// The layout for a pad of this name: the first table entry whose name part the
// pad's name contains (case ignored), or the defaults for a pad nobody knows.
const PadLayout& padLayoutFor(const char* name);
extern const PadLayout defaultPadLayout; // jump 0, fire 1, select 6, start 7
