// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The instrument maker: synthesizes the one sample of a module instrument (looped
// single-cycle waves for the tones, one-shot noise and sweeps for the drums) and
// sets its tuning, volume, panning, envelope and vibrato from named settings.
#pragma once

#include "xm.h"

#include <map>
#include <string>

// Makes an instrument of the given wave ("pulse", "tri", "saw", "sine", "organ",
// "fm", "kick", "snare", "hat", "tom", "crash") from key=value settings. Returns false
// and a reason in err for an unknown wave or setting or a bad value. Called by the
// song reader.
bool xmSynth(const std::string& wave, const std::map<std::string, std::string>& settings, XmInstrument& out,
             std::string& err);
